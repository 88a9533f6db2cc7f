#pragma once
// Downloads asked by components ("DOWNLOAD", "DOWNLOAD2"). One transfer per
// address however many components ask for it; when the browser has delivered the
// file it is decrypted in place, expanded for requesters of the new form, each
// requester gets a file of its own, and each is answered "DLDONE" or "DLERR".
#include "ComRef.h"
#include "CriticalSection.h"
#include "DiagOBPP.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CPlugInst;

class CManageDL
{
public:
    static constexpr uint32_t kAnyUserData = 0xFFFFFFFF; // vRemove: every request of the component

    static CManageDL& Get();

    // Registers a request. The first one for an address asks the instance to start
    // the transfer and returns true; later ones join it and return false.
    bool boAdd(CPlugInst* lpPlug, const std::string& strUrl, IDiagOBPP2Cmpt* lpDiag, uint32_t dwSize,
               uint32_t dwUserData, bool boNewNaming);
    // Withdraws the component's requests with that user data (any with kAnyUserData).
    // A transfer left without requester is abandoned (its file deleted with boDeleteFile).
    void vRemove(IDiagOBPP2Cmpt* lpDiag, uint32_t dwUserData, bool boDeleteFile);
    // A transfer ended: the browser's file (lpszPathFile) and the transfer's result.
    void vFinish(CPlugInst* lpPlug, const std::string& strUrl, bool boOk, const char* lpszPathFile,
                 HRESULT hrErr);
    // The instance is going: its transfers will never end, so they are abandoned and
    // their remaining requesters answered "DLERR".
    void vInstanceGone(CPlugInst* lpPlug);

    // Transfers in progress (for the tests).
    size_t ulGetCount();

private:
    struct SRequester
    {
        FdWin::TComRef<IDiagOBPP2Cmpt> diag;
        uint32_t dwUserData;
        bool boNewNaming;
    };
    struct SEntry
    {
        std::vector<SRequester> requesters; // the first one started the transfer
        CPlugInst* lpPlug;                  // the instance that runs the transfer
        uint64_t ulId;                      // tells a transfer from a later one of the same address
    };
    struct SAnswer
    {
        SRequester requester;
        std::string strPath;
    };

    CManageDL() = default;
    static void vAnswer(const std::string& strUrl, const std::vector<SAnswer>& answers, bool boOk,
                        uint32_t dwErr, bool boErrForAll);

    FdSystem::CCriticalSection m_lock;
    std::map<std::string, std::unique_ptr<SEntry>> m_entries;
    uint64_t m_ulNextId = 1;
};
