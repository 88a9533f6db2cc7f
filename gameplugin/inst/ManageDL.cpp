#include "ManageDL.h"

#include "CmptVocabulary.h"
#include "ExceptionBase.h"
#include "FdBstr.h"
#include "InstallUtils.h"
#include "LzFileOp.h"
#include "PlugInst.h"
#include "PlugSecurity.h"
#include "PlugTrace.h"
#include "Security.h"
#include "WinErrorText.h"

namespace
{
constexpr size_t kReportMax = 2047;
constexpr int kLzCopyMode = 0; // iLzFileOp: any mode but expand/compress copies

bool boWriteWholeFile(const char* lpszPath, const char* lpData, uint32_t dwSize, uint32_t* lpdwErr)
{
    HANDLE h =
        CreateFileA(lpszPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
    {
        const DWORD dwErr = GetLastError();
        vPlugTrace("!ERREUR! CManageDL::vFinish -> impossible de créer le fichier destinataire des données "
                   "décryptées. Erreur Win32:%ld-%s",
                   static_cast<long>(dwErr), strErrorText(dwErr).c_str());
        *lpdwErr = CommonOB::kdwDlErrCreateFile;
        return false;
    }
    DWORD dwWritten = 0;
    const bool boOk = WriteFile(h, lpData, dwSize, &dwWritten, nullptr) && dwWritten == dwSize;
    const DWORD dwErr = GetLastError();
    CloseHandle(h);
    if (!boOk)
    {
        vPlugTrace("!ERREUR! CManageDL::vFinish -> impossible d'écrire le fichier destinataire des données "
                   "décryptées. Erreur Win32:%ld-%s",
                   static_cast<long>(dwErr), strErrorText(dwErr).c_str());
        *lpdwErr = CommonOB::kdwDlErrWriteFile;
    }
    return boOk;
}

void vSet(IDiagOBPP2Cmpt* lpDiag, const char* lpszName, const std::string& strValue)
{
    lpDiag->SetParameter(FdCom::CBstr(lpszName).bstr(), FdCom::CBstr(strValue).bstr());
}

std::string strNumber(uint32_t dwValue)
{
    char sz[CommonOB::kNumberTextSize];
    return CommonOB::lpszFormatNumber(dwValue, sz, sizeof sz);
}
} // namespace

CManageDL& CManageDL::Get()
{
    static CManageDL s_manager;
    return s_manager;
}

bool CManageDL::boAdd(CPlugInst* lpPlug, const std::string& strUrl, IDiagOBPP2Cmpt* lpDiag, uint32_t dwSize,
                      uint32_t dwUserData, bool boNewNaming)
{
    CPlugTrace trace(lpszCurrentTraceLabel(), "CManageDL::boAdd",
                     "(lpPlug=%p, strUrl=%s, lpDiag=%p, dwSize=%ld, dwUserData=%ld, boNewNaming=%ld)",
                     static_cast<void*>(lpPlug), strUrl.c_str(), static_cast<void*>(lpDiag),
                     static_cast<long>(dwSize), static_cast<long>(dwUserData),
                     static_cast<long>(boNewNaming));
    {
        FdSystem::CAutoLock lock(&m_lock);
        auto it = m_entries.find(strUrl);
        if (it != m_entries.end())
        {
            it->second->requesters.push_back(
                SRequester{FdWin::TComRef<IDiagOBPP2Cmpt>(lpDiag), dwUserData, boNewNaming});
            return false;
        }
        auto entry = std::make_unique<SEntry>();
        entry->requesters.push_back(
            SRequester{FdWin::TComRef<IDiagOBPP2Cmpt>(lpDiag), dwUserData, boNewNaming});
        entry->lpPlug = lpPlug;
        entry->ulId = m_ulNextId++;
        m_entries.emplace(strUrl, std::move(entry));
    }
    // Outside the lock: a host may end the transfer at once.
    if (lpPlug)
        lpPlug->vStartDownload(strUrl.c_str(), boNewNaming, dwSize);
    return true;
}

void CManageDL::vRemove(IDiagOBPP2Cmpt* lpDiag, uint32_t dwUserData, bool boDeleteFile)
{
    CPlugTrace trace(lpszCurrentTraceLabel(), "CManageDL::vRemove", "(lpDiag=%p, dwUserData=%ld)",
                     static_cast<void*>(lpDiag), static_cast<long>(dwUserData));
    std::vector<SRequester> dropped;                         // released once the lock is left
    std::vector<std::pair<std::string, CPlugInst*>> aborted; // transfers left without requester
    {
        FdSystem::CAutoLock lock(&m_lock);
        for (auto it = m_entries.begin(); it != m_entries.end();)
        {
            auto& requesters = it->second->requesters;
            for (auto r = requesters.begin(); r != requesters.end();)
            {
                if (r->diag.p() == lpDiag && (dwUserData == kAnyUserData || r->dwUserData == dwUserData))
                {
                    vPlugTrace("CManageDL::vRemove -> suppression du paramètre (lpDiag=%p, dwUserData=%ld)",
                               static_cast<void*>(lpDiag), static_cast<long>(r->dwUserData));
                    dropped.push_back(std::move(*r));
                    r = requesters.erase(r);
                }
                else
                    ++r;
            }
            if (requesters.empty())
            {
                vPlugTrace("CManageDL::vRemove -> suppression de l'url %s", it->first.c_str());
                aborted.emplace_back(it->first, it->second->lpPlug);
                it = m_entries.erase(it);
            }
            else
                ++it;
        }
    }
    for (const auto& transfer : aborted)
    {
        if (transfer.second)
            transfer.second->vDownload_Abort(transfer.first.c_str(), boDeleteFile);
    }
}

void CManageDL::vFinish(CPlugInst* lpPlug, const std::string& strUrl, bool boOk, const char* lpszPathFile,
                        HRESULT hrErr)
{
    CPlugTrace trace(lpszCurrentTraceLabel(), "CManageDL::vFinish",
                     "(strUrl=%s, boOk=%ld, lpszPathFile=%s, hrErr=%.8X)", strUrl.c_str(),
                     static_cast<long>(boOk), sz(lpszPathFile), static_cast<unsigned>(hrErr));
    std::vector<SRequester> requesters;
    uint64_t ulEntryId = 0;
    {
        FdSystem::CAutoLock lock(&m_lock);
        auto it = m_entries.find(strUrl);
        if (it == m_entries.end())
        {
            vPlugTrace("!ERREUR! CManageDL::vFinish -> l'url n'est pas dans la liste ! ");
            if (lpszPathFile && *lpszPathFile)
                DeleteFileA(lpszPathFile);
            return;
        }
        ulEntryId = it->second->ulId;
        requesters = it->second->requesters;
        if (!lpPlug)
            lpPlug = it->second->lpPlug;
    }
    std::string strCurrent = sz(lpszPathFile);
    uint32_t dwErr = static_cast<uint32_t>(hrErr);
    const bool boTransferOk = boOk;

    // Decrypt the whole file in place.
    if (boOk)
    {
        try
        {
            uint32_t dwSize = 0;
            std::unique_ptr<char[]> plain =
                PlugSecurity().lpszDecrypt(strCurrent.c_str(), 0, CSecurity::kFilesKey, &dwSize, true);
            boOk = boWriteWholeFile(strCurrent.c_str(), plain.get(), dwSize, &dwErr);
        }
        catch (const FdBase::CExceptionBase& e)
        {
            char szReport[kReportMax + 1];
            FdBase::ulFormatExceptionReport(e, szReport, sizeof szReport);
            vPlugTrace("!ERREUR! CManageDL::vFinish -> impossible de décrypter le fichier. Exception:\n%s",
                       szReport);
            dwErr = CommonOB::kdwDlErrDecrypt;
            boOk = false;
        }
        if (!boOk && !strCurrent.empty())
            DeleteFileA(strCurrent.c_str());
    }

    // Expansion for requesters of the new form.
    const char* lpszTempFolder = lpPlug ? lpPlug->lpszGetInstallDir() : nullptr;
    std::string strFresh = strMakeTempFileName(lpszTempFolder);
    bool boNewNaming = false;
    for (const SRequester& r : requesters)
        boNewNaming = boNewNaming || (r.diag && r.boNewNaming);
    if (!boOk || !boNewNaming)
    {
        if (!strFresh.empty())
            DeleteFileA(strFresh.c_str());
    }
    else
    {
        DWORD dwWin32 = 0;
        const int iLz = iLzFileOp(strCurrent.c_str(), strFresh.c_str(), kLzModeExpand, &dwWin32);
        if (strFresh.empty() || iLz != kLzOk)
        {
            vPlugTrace(
                "!ERREUR! CManageDL::vFinish -> impossible de décompresser le fichier. Erreur Win32:%ld-%s, "
                "erreur LZ32:%ld",
                static_cast<long>(dwWin32), strErrorText(dwWin32).c_str(), static_cast<long>(iLz));
            dwErr = CommonOB::kdwDlErrExpand;
            boOk = false;
            if (!strFresh.empty())
                DeleteFileA(strFresh.c_str());
        }
        else
        {
            DeleteFileA(strCurrent.c_str());
            strCurrent = strFresh;
        }
    }

    // One file per requester: the first takes the result, every further one a copy.
    std::vector<SAnswer> answers;
    for (size_t i = 0; i < requesters.size(); ++i)
    {
        std::string strPath;
        if (i == 0)
            strPath = strCurrent;
        else if (boOk && requesters[i].diag)
        {
            strPath = strMakeTempFileName(lpszTempFolder);
            DWORD dwWin32 = 0;
            const int iLz = strPath.empty()
                                ? kLzCantCreateTarget
                                : iLzFileOp(strCurrent.c_str(), strPath.c_str(), kLzCopyMode, &dwWin32);
            if (iLz != kLzOk)
            {
                vPlugTrace(
                    "!ERREUR! CManageDL::vFinish -> impossible de doublonner le fichier %s vers %s. Erreur "
                    "Win32:%ld-%s, erreur LZ32:%ld",
                    strCurrent.c_str(), strPath.c_str(), static_cast<long>(dwWin32),
                    strErrorText(dwWin32).c_str(), static_cast<long>(iLz));
                if (!strPath.empty())
                    DeleteFileA(strPath.c_str());
                strPath.clear();
            }
        }
        answers.push_back(SAnswer{requesters[i], strPath});
    }

    vPlugTrace("CManageDL::vFinish -> suppression de l'url %s", strUrl.c_str());
    std::unique_ptr<SEntry> erased;
    {
        FdSystem::CAutoLock lock(&m_lock);
        auto it = m_entries.find(strUrl);
        if (it != m_entries.end() && it->second->ulId == ulEntryId)
        {
            erased = std::move(it->second);
            m_entries.erase(it);
        }
    }
    requesters.clear();
    erased.reset();

    // A file that arrived but could not be opened or expanded fails every requester alike.
    vAnswer(strUrl, answers, boOk, dwErr, boTransferOk && !boOk);
    vPlugTrace("CManageDL::vFinish -> fin du traitement");
}

void CManageDL::vAnswer(const std::string& strUrl, const std::vector<SAnswer>& answers, bool boOk,
                        uint32_t dwErr, bool boErrForAll)
{
    for (const SAnswer& answer : answers)
    {
        IDiagOBPP2Cmpt* lpDiag = answer.requester.diag.p();
        if (!lpDiag)
            continue;
        const std::string strUserData = strNumber(answer.requester.dwUserData);
        if (answer.requester.boNewNaming)
            vSet(lpDiag, CommonOB::kszKeyDlUsrd, strUserData);
        vSet(lpDiag, CommonOB::kszKeyDlPath, answer.strPath);
        vSet(lpDiag, CommonOB::kszKeyDlUrl, strUrl);
        if (boOk && !answer.strPath.empty())
        {
            vPlugTrace("CManageDL::vFinish -> notification download ok (userdata=%ld, dlpath=%s, dlurl=%s)",
                       static_cast<long>(answer.requester.dwUserData), answer.strPath.c_str(),
                       strUrl.c_str());
            lpDiag->ExecuteCmd(FdCom::CBstr(CommonOB::kszCmdDlDone).bstr());
            continue;
        }
        // A requester left without file learns why when the file could not be
        // opened or expanded; otherwise that another one's transfer failed.
        const uint32_t dwCode =
            answer.strPath.empty() && !boErrForAll ? CommonOB::kdwDlErrNoFileForYou : dwErr;
        if (answer.requester.boNewNaming)
            vSet(lpDiag, CommonOB::kszKeyDlErrc, strNumber(dwCode));
        vPlugTrace("CManageDL::vFinish -> notification download non ok (userdata=%ld, dlpath=%s, dlurl=%s, "
                   "dlerrc=%.8X)",
                   static_cast<long>(answer.requester.dwUserData), answer.strPath.c_str(), strUrl.c_str(),
                   static_cast<unsigned>(dwCode));
        lpDiag->ExecuteCmd(FdCom::CBstr(CommonOB::kszCmdDlErr).bstr());
    }
}

void CManageDL::vInstanceGone(CPlugInst* lpPlug)
{
    CPlugTrace trace(lpszCurrentTraceLabel(), "CManageDL::vInstanceGone", "(lpPlug=%p)",
                     static_cast<void*>(lpPlug));
    std::vector<std::pair<std::string, std::unique_ptr<SEntry>>> gone;
    {
        FdSystem::CAutoLock lock(&m_lock);
        for (auto it = m_entries.begin(); it != m_entries.end();)
        {
            if (it->second->lpPlug == lpPlug)
            {
                gone.emplace_back(it->first, std::move(it->second));
                it = m_entries.erase(it);
            }
            else
                ++it;
        }
    }
    for (auto& transfer : gone)
    {
        vPlugTrace("CManageDL::vInstanceGone -> suppression de l'url %s", transfer.first.c_str());
        lpPlug->vDownload_Abort(transfer.first.c_str(), true);
        std::vector<SAnswer> answers;
        for (const SRequester& r : transfer.second->requesters)
            answers.push_back(SAnswer{r, std::string()});
        vAnswer(transfer.first, answers, false, static_cast<uint32_t>(E_ABORT), false);
    }
}

size_t CManageDL::ulGetCount()
{
    FdSystem::CAutoLock lock(&m_lock);
    return m_entries.size();
}
