#include "StreamRecord.h"

#include "PlugInst.h"
#include "PlugTrace.h"
#include "UrlFileName.h"
#include "WinErrorText.h"

namespace
{
constexpr const char kszTempPrefix[] = "_tp";

bool boFileExists(const std::string& strPath)
{
    return GetFileAttributesA(strPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}
} // namespace

CStreamRecord::CStreamRecord(EKind eKind, bool boNewNaming, uint32_t dwExpected,
                             const CStreamBuffer::SAllocator& allocator)
    : m_eKind(eKind), m_buffer(allocator), m_boNewNaming(boNewNaming), m_dwExpected(dwExpected)
{
}

CStreamRecord::~CStreamRecord()
{
    vCloseFile();
}

bool CStreamRecord::boBegin(CPlugInst& inst, const char* lpszUrl)
{
    CPlugTrace trace(inst.lpszGetTraceLabel(), "CPlugInst::boDownload_Begin", "(stream=%p, url=%s)",
                     static_cast<void*>(this), sz(lpszUrl));
    m_lpOwner = &inst;
    m_strUrl = std::string(sz(lpszUrl)).substr(0, kUrlMax);
    if (m_dwExpected)
    {
        inst.vCountDownload(m_dwExpected);
        m_boCounted = true;
    }
    if (m_eKind == EKind::File)
    {
        if (!boOpenFile())
        {
            vEnd(false, HRESULT_FROM_WIN32(m_dwLastError));
            return false;
        }
        return true;
    }
    if (!m_buffer.boStart())
    {
        m_dwLastError = ERROR_NOT_ENOUGH_MEMORY;
        vEnd(false, HRESULT_FROM_WIN32(m_dwLastError));
        return false;
    }
    return true;
}

// The address's own name when it is a plain one that names no existing file
// (a component's file is never replaced); a temporary name otherwise.
bool CStreamRecord::boOpenFile()
{
    const std::string strDir = m_lpOwner->lpszGetInstallDir();
    const std::string strName = m_boNewNaming ? std::string() : UrlFileName::strFromUrl(m_strUrl.c_str());
    if (!strName.empty() && !boFileExists(strDir + strName))
        m_strPath = strDir + strName;
    else
    {
        char szTemp[MAX_PATH + 1] = {};
        if (!GetTempFileNameA(strDir.c_str(), kszTempPrefix, 0, szTemp))
        {
            m_dwLastError = GetLastError();
            vPlugTrace(
                "!ERREUR! CPlugInst::boDownload_Begin -> impossible de créer le fichier %s. Erreur Win32 "
                "%ld-%s",
                strDir.c_str(), static_cast<long>(m_dwLastError), strErrorText(m_dwLastError).c_str());
            return false;
        }
        m_strPath = szTemp;
    }
    vPlugTrace("CPlugInst::boDownload_Begin -> download dans le fichier %s", m_strPath.c_str());
    m_hFile = CreateFileA(m_strPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                          nullptr);
    if (m_hFile == INVALID_HANDLE_VALUE)
    {
        m_dwLastError = GetLastError();
        vPlugTrace(
            "!ERREUR! CPlugInst::boDownload_Begin -> impossible de créer le fichier %s. Erreur Win32 %ld-%s",
            m_strPath.c_str(), static_cast<long>(m_dwLastError), strErrorText(m_dwLastError).c_str());
        return false;
    }
    return true;
}

void CStreamRecord::vCloseFile()
{
    if (m_hFile != INVALID_HANDLE_VALUE)
        CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
}

bool CStreamRecord::boGetData(const void* lpBytes, uint32_t ulLength, uint32_t* lpdwError)
{
    uint32_t dwDummy = 0;
    uint32_t& dwError = lpdwError ? *lpdwError : dwDummy;
    if (!m_lpOwner || m_boEnded)
    {
        dwError = kErrNoOwner;
        return false;
    }
    if (m_boCancelled)
        return true;
    if (m_eKind == EKind::File)
    {
        DWORD dwWritten = 0;
        if (!WriteFile(m_hFile, lpBytes, ulLength, &dwWritten, nullptr) || dwWritten != ulLength)
        {
            m_dwLastError = GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
            vPlugTrace(
                "!ERREUR! CPlugInst::boDownload_GetData -> erreur à l'écriture de données dans le fichier "
                "temporaire. Erreur Win32 %ld-%s",
                static_cast<long>(m_dwLastError), strErrorText(m_dwLastError).c_str());
            dwError = m_dwLastError;
            return false;
        }
    }
    else if (!m_buffer.boAppend(lpBytes, ulLength))
    {
        m_dwLastError = ERROR_NOT_ENOUGH_MEMORY;
        dwError = m_dwLastError;
        return false;
    }
    // Every stream's bytes count while the instance expects some (a component
    // package announced by its page arrives through an uncounted stream).
    if (m_lpOwner->boAddReceived(ulLength))
    {
        const RECT rcBar = m_lpOwner->rcGetProgressBar();
        m_lpOwner->vRepaint(&rcBar);
    }
    return true;
}

void CStreamRecord::vAbandon(bool boDeleteFile)
{
    m_boCancelled = true;
    vCloseFile();
    if (boDeleteFile && !m_strPath.empty())
        DeleteFileA(m_strPath.c_str());
    m_boEnded = true;
}

void CStreamRecord::vEnd(bool boOk, HRESULT hrError)
{
    if (m_boEnded || !m_lpOwner)
    {
        m_boEnded = true;
        return;
    }
    m_boEnded = true;
    CPlugInst& inst = *m_lpOwner;
    if (m_dwLastError)
    {
        if (boOk)
            vPlugTrace(
                "CPlugInst::vDownload_End -> modification du status en non Ok car erreur interne détectée "
                "(Erreur Win32:%ld-%s)",
                static_cast<long>(m_dwLastError), strErrorText(m_dwLastError).c_str());
        boOk = false;
        hrError = HRESULT_FROM_WIN32(m_dwLastError);
    }
    // A failure always carries an error for the component's "DLERRC".
    if (!boOk && hrError == S_OK)
        hrError = kHrNetworkFailure;
    if (m_boCounted)
    {
        inst.vDownloadDone();
        const RECT rcBar = inst.rcGetProgressBar();
        inst.vRepaint(&rcBar);
    }
    if (m_eKind == EKind::File)
    {
        vCloseFile();
        if (!boOk && !m_strPath.empty())
            DeleteFileA(m_strPath.c_str());
        inst.vDownloadEnded(m_strUrl.c_str(), boOk, m_strPath.c_str(), boOk ? S_OK : hrError);
        return;
    }
    if (boOk)
    {
        const char* lpszText = m_buffer.lpszTerminate();
        vPlugTrace("CPlugInst::vDownload_End -> exécute l'action");
        inst.vExecuteAction(lpszText, m_buffer.ulHeld());
        vPlugTrace("CPlugInst::vDownload_End -> action exécutée");
    }
}
