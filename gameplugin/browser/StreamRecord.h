#pragma once
// One transfer from the browser into a plug-in instance: into memory (an action
// buffer, run when it ends well) or into a file of the install folder (a
// component download, handed to the download manager when it ends). Owned by
// the host's glue from the request to the end or abort of its stream.
#include "StreamBuffer.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

class CPlugInst;

class CStreamRecord
{
public:
    enum class EKind
    {
        Memory,
        File
    };
    static constexpr size_t kUrlMax = 2048;
    static constexpr uint32_t kErrNoOwner = 0xC8000005;
    // What a failed transfer reports when the browser gives no Windows error.
    static constexpr HRESULT kHrNetworkFailure = static_cast<HRESULT>(0x800C0008); // INET_E_DOWNLOAD_FAILURE
    static constexpr HRESULT kHrUserBreak = E_ABORT;

    CStreamRecord(EKind eKind, bool boNewNaming, uint32_t dwExpected,
                  const CStreamBuffer::SAllocator& allocator);
    ~CStreamRecord();
    CStreamRecord(const CStreamRecord&) = delete;
    CStreamRecord& operator=(const CStreamRecord&) = delete;

    // Takes the owner and the address (cut to kUrlMax); counts the expected
    // bytes in the owner's progress; opens the file or the buffer. False when
    // that failed: the record has then ended with failure (and reported it)
    // and must only be deleted.
    bool boBegin(CPlugInst& inst, const char* lpszUrl);
    // Keeps the bytes; false with the error (the record's Windows error, or
    // kErrNoOwner) when they cannot be kept.
    bool boGetData(const void* lpBytes, uint32_t ulLength, uint32_t* lpdwError);
    // The transfer ended: runs the action buffer, or hands the file to the
    // download manager. Happens once; later calls do nothing.
    void vEnd(bool boOk, HRESULT hrError);
    // The download manager gave the transfer up: the file is closed (and
    // deleted with boDeleteFile) and nothing will be reported.
    void vAbandon(bool boDeleteFile);

    EKind eGetKind() const { return m_eKind; }
    const std::string& strGetUrl() const { return m_strUrl; }
    const std::string& strGetPath() const { return m_strPath; }
    bool boEnded() const { return m_boEnded; }
    void vSetCancelled() { m_boCancelled = true; }
    // The browser's stream (opaque to the record).
    void* lpGetStream() const { return m_lpStream; }
    void vSetStream(void* lpStream) { m_lpStream = lpStream; }

private:
    bool boOpenFile();
    void vCloseFile();

    EKind m_eKind;
    HANDLE m_hFile = INVALID_HANDLE_VALUE;
    std::string m_strPath;
    CStreamBuffer m_buffer;
    std::string m_strUrl;
    CPlugInst* m_lpOwner = nullptr;
    bool m_boNewNaming;
    uint32_t m_dwLastError = 0;
    uint32_t m_dwExpected;
    bool m_boCancelled = false;
    bool m_boEnded = false;
    bool m_boCounted = false;
    void* m_lpStream = nullptr;
};
