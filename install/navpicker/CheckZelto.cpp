#include "CheckZelto.h"

#include "BrowserDetect.h"
#include "CheckReport.h"
#include "DialogBase.h"
#include "NavTexts.h"
#include "NavpickerRes.h"
#include "WinHandle.h"
#include "WinModule.h"
#include "WinRegKey.h"

#include <mapi.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace FdNav
{
const char kszFallbackFile[] = "C:\\ZELTOCheck.txt";

namespace
{
using namespace FdNavReport;

constexpr DWORD kMessageRoom = 1024;
constexpr DWORD kValueNameRoom = 256;
constexpr DWORD kValueDataRoom = 1024;
constexpr DWORD kKeyNameRoom = 512;

const char* lpszOr(const char* lpsz)
{
    return lpsz ? lpsz : "";
}

std::string strSystemMessage(DWORD dwError)
{
    char sz[kMessageRoom] = "";
    const DWORD dw = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                    dwError, 0, sz, sizeof sz, nullptr);
    return std::string(sz, dw < sizeof sz ? dw : 0);
}

std::string strError(DWORD dwError)
{
    return strErrorText(static_cast<int32_t>(dwError), strSystemMessage(dwError));
}

// Dispatches what waits in the calling thread's queue; a quit message stops
// the loop and is posted again for the caller's own loop.
void vLetMessagesRun()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        if (msg.message == WM_QUIT)
        {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// The box shown while the report is made: it only shows its text.
class CCheckingBox : public FdWin::CDialogBase
{
protected:
    INT_PTR iOnMessage(UINT uMsg, WPARAM, LPARAM) override { return uMsg == WM_INITDIALOG ? TRUE : FALSE; }
};

std::string strJoin(const std::string& strFolder, const std::string& strName)
{
    if (!strFolder.empty() && (strFolder.back() == '\\' || strFolder.back() == '/'))
        return strFolder + strName;
    return strFolder + "\\" + strName;
}

// The FileVersion entries of each language of the file's version resource.
// False (with the system's error) when no version can be read and the system
// says why.
bool boVersionText(const std::string& strPath, std::string& strText, DWORD& dwError)
{
    strText.clear();
    SetLastError(0);
    DWORD dwHandle = 0;
    const DWORD dwSize = GetFileVersionInfoSizeA(strPath.c_str(), &dwHandle);
    if (dwSize == 0)
    {
        dwError = GetLastError();
        return dwError == 0;
    }
    std::vector<char> info(dwSize);
    if (!GetFileVersionInfoA(strPath.c_str(), 0, dwSize, info.data()))
    {
        dwError = GetLastError();
        return dwError == 0;
    }
    void* lpTranslations = nullptr;
    UINT uSize = 0;
    if (!VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", &lpTranslations, &uSize) ||
        !lpTranslations)
        return true;
    const auto* lpPairs = static_cast<const WORD*>(lpTranslations);
    for (UINT i = 0; i + 1 < uSize / sizeof(WORD); i += 2)
    {
        char szQuery[64];
        std::snprintf(szQuery, sizeof szQuery, "\\StringFileInfo\\%04x%04x\\FileVersion", lpPairs[i],
                      lpPairs[i + 1]);
        void* lpValue = nullptr;
        UINT uLength = 0;
        if (!VerQueryValueA(info.data(), szQuery, &lpValue, &uLength) || !lpValue)
            continue;
        const char* lpsz = static_cast<const char*>(lpValue);
        size_t ulLength = 0;
        while (ulLength < uLength && lpsz[ulLength])
            ++ulLength;
        if (!strText.empty())
            strText += " - ";
        strText += std::string(szQuery) + "=" + std::string(lpsz, ulLength);
    }
    return true;
}

class CReport
{
public:
    std::string& text() { return m_strText; }

    void vDumpKey(const std::string& strKey, const std::string& strIndent)
    {
        vLetMessagesRun();
        FdWin::CRegKey key;
        const LONG lOpen = key.lOpen(HKEY_LOCAL_MACHINE, strKey.c_str(), KEY_READ);
        if (lOpen != ERROR_SUCCESS)
        {
            m_strText += "*Impossible d'ouvrir la clé [" + strKey + "]." + kszCrLf +
                         strError(static_cast<DWORD>(lOpen));
            return;
        }
        m_strText += kszCrLf + strIndent + "[" + strKey + "]" + kszCrLf + kszCrLf;
        for (DWORD dwIndex = 0;; ++dwIndex)
        {
            char szName[kValueNameRoom];
            DWORD dwName = sizeof szName;
            BYTE aData[kValueDataRoom];
            DWORD dwData = sizeof aData;
            DWORD dwType = 0;
            const LONG l = RegEnumValueA(key.h(), dwIndex, szName, &dwName, nullptr, &dwType, aData, &dwData);
            if (l == ERROR_NO_MORE_ITEMS)
                break;
            if (l != ERROR_SUCCESS)
            {
                m_strText += std::string("*Erreur au retour de RegEnumValue.") + kszCrLf +
                             strError(static_cast<DWORD>(l));
                break;
            }
            const size_t ulName = dwName < sizeof szName ? dwName : 0;
            const size_t ulData = dwData <= sizeof aData ? dwData : 0;
            m_strText += strValueLine(strIndent, std::string(szName, ulName), dwType, aData, ulData);
        }
        for (DWORD dwIndex = 0;; ++dwIndex)
        {
            char szName[kKeyNameRoom];
            DWORD dwName = sizeof szName;
            const LONG l =
                RegEnumKeyExA(key.h(), dwIndex, szName, &dwName, nullptr, nullptr, nullptr, nullptr);
            if (l == ERROR_NO_MORE_ITEMS)
                break;
            if (l != ERROR_SUCCESS)
            {
                m_strText += std::string("*Erreur au retour de RegEnumKeyEx.") + kszCrLf +
                             strError(static_cast<DWORD>(l));
                break;
            }
            vDumpKey(strKey + "\\" + std::string(szName, dwName < sizeof szName ? dwName : 0),
                     strIndent + "  ");
        }
    }

    void vDumpFolder(const std::string& strFolder, const std::string& strIndent)
    {
        vLetMessagesRun();
        if (!SetCurrentDirectoryA(strFolder.c_str()))
        {
            m_strText +=
                std::string("*Erreur au retour de SetCurrentDirectory.") + kszCrLf + strError(GetLastError());
            return;
        }
        m_strText += kszCrLf + strIndent + "[" + strFolder + "]" + kszCrLf + kszCrLf;
        const std::vector<WIN32_FIND_DATAA> entries = entriesOf(strFolder);
        for (const WIN32_FIND_DATAA& entry : entries)
        {
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && entry.cFileName[0] != '.')
                continue;
            m_strText += strIndent + entry.cFileName + ": ";
            std::string strVersion;
            DWORD dwError = 0;
            if (boVersionText(strJoin(strFolder, entry.cFileName), strVersion, dwError))
                m_strText += strVersion;
            else
                m_strText += std::string(kszCrLf) + "*Erreur à la récupération de la version du fichier." +
                             kszCrLf + strError(dwError);
            m_strText += kszCrLf;
        }
        for (const WIN32_FIND_DATAA& entry : entries)
        {
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && entry.cFileName[0] != '.')
                vDumpFolder(strJoin(strFolder, entry.cFileName), strIndent + "  ");
        }
    }

private:
    // The folder's entries but "." and "..", which a drive's root lacks.
    static std::vector<WIN32_FIND_DATAA> entriesOf(const std::string& strFolder)
    {
        std::vector<WIN32_FIND_DATAA> entries;
        WIN32_FIND_DATAA data;
        HANDLE hFind = FindFirstFileA(strJoin(strFolder, "*.*").c_str(), &data);
        if (hFind == INVALID_HANDLE_VALUE)
            return entries;
        do
        {
            if (std::strcmp(data.cFileName, ".") != 0 && std::strcmp(data.cFileName, "..") != 0)
                entries.push_back(data);
        } while (FindNextFileA(hFind, &data));
        FindClose(hFind);
        return entries;
    }

    std::string m_strText;
};

SOsVersion systemVersion()
{
    SOsVersion v;
    OSVERSIONINFOEXA ex;
    std::memset(&ex, 0, sizeof ex);
    ex.dwOSVersionInfoSize = sizeof ex;
    v.boExtended = GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&ex)) != FALSE;
    if (!v.boExtended)
    {
        ex.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&ex)))
            return v;
        FdWin::CRegKey key;
        if (key.lOpen(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\ProductOptions",
                      KEY_QUERY_VALUE) == ERROR_SUCCESS)
            key.lQueryString("ProductType", &v.strProductOption);
    }
    v.dwPlatformId = ex.dwPlatformId;
    v.dwMajor = ex.dwMajorVersion;
    v.dwMinor = ex.dwMinorVersion;
    v.dwBuild = ex.dwBuildNumber;
    v.strService.assign(ex.szCSDVersion, strnlen(ex.szCSDVersion, sizeof ex.szCSDVersion));
    v.byProductType = ex.wProductType;
    v.wSuiteMask = ex.wSuiteMask;
    return v;
}

std::string strFixedDrives()
{
    char sz[512] = "";
    const DWORD dw = GetLogicalDriveStringsA(sizeof sz, sz);
    std::string strLine;
    if (dw == 0 || dw >= sizeof sz)
        return strLine;
    for (const char* p = sz; *p; p += std::strlen(p) + 1)
    {
        if (GetDriveTypeA(p) != DRIVE_FIXED)
            continue;
        if (!strLine.empty())
            strLine += " - ";
        strLine += p;
    }
    return strLine;
}

std::string strBuildReport(const SCheckArgs& args)
{
    CReport report;
    std::string& s = report.text();
    s += strBanner();
    s += strSectionBox(kszTitleSystem);
    s += strSystemDescription(systemVersion());
    s += "\r\n\r\n";

    s += strSectionBox(kszTitleRegistry);
    const std::string astrKeys[] = {lpszOr(args.lpszRegistryKey),
                                    "Software\\Microsoft\\Internet Explorer\\Plugins", "Software\\Netscape"};
    for (size_t i = 0; i < 3; ++i)
    {
        if (i > 0)
            s += strRule();
        s += "-->Dumping de la clé [" + astrKeys[i] + "]\r\n\r\n";
        report.vDumpKey(astrKeys[i], "");
        s += "\r\n-->Dumping terminé.\r\n\r\n";
    }

    s += strSectionBox(kszTitleFileSystem);
    const std::string strFolder = lpszOr(args.lpszFolder);
    s += "-->Dumping du répertoire [" + strFolder + "]\r\n\r\n";
    report.vDumpFolder(strFolder, "");
    s += "\r\n-->Dumping terminé.\r\n\r\n";
    CBrowserList browsers;
    vDetectBrowsers(browsers, true);
    for (size_t i = browsers.records().size(); i-- > 0;)
    {
        const std::string& strPath = browsers.records()[i].strPath;
        const size_t ulLast = strPath.rfind('\\');
        if (ulLast == std::string::npos)
            continue;
        const std::string strBrowserFolder = strPath.substr(0, ulLast);
        s += strRule();
        s += "-->Dumping du répertoire [" + strBrowserFolder + "]\r\n\r\n";
        report.vDumpFolder(strBrowserFolder, "");
        s += "\r\n-->Dumping terminé.\r\n\r\n";
    }
    s += strRule();
    s += "-->Dumping des disques fixes:\r\n\r\n";
    s += strFixedDrives() + kszCrLf;
    s += "\r\n-->Dumping terminé.\r\n\r\n";

    s += strSectionBox(kszTitleMail);
    s += "-->Le chemin du fichier de log de l'installation est " + std::string(lpszOr(args.lpszLogPath)) +
         ".\r\n";
    return s;
}

std::string strFileNameOf(const std::string& strPath)
{
    const size_t ulLast = strPath.rfind('\\');
    return ulLast == std::string::npos ? strPath : strPath.substr(ulLast + 1);
}

// Mails the report; false with the mail error text. The report gains the
// note on a missing log file.
bool boMail(const SCheckArgs& args, std::string& strReport, std::string& strError)
{
    FdWin::CModule mapi;
    if (mapi.dwLoad("Mapi32.dll") != 0)
    {
        strError = "Unable to load MAPI32.dll";
        return false;
    }
    const auto pfnLogon = mapi.pfn<LPMAPILOGON>("MAPILogon");
    const auto pfnLogoff = mapi.pfn<LPMAPILOGOFF>("MAPILogoff");
    const auto pfnFreeBuffer = mapi.pfn<LPMAPIFREEBUFFER>("MAPIFreeBuffer");
    const auto pfnResolveName = mapi.pfn<LPMAPIRESOLVENAME>("MAPIResolveName");
    const auto pfnSendMail = mapi.pfn<LPMAPISENDMAIL>("MAPISendMail");
    const struct
    {
        bool boThere;
        const char* lpszName;
    } functions[] = {{pfnLogon != nullptr, "MAPILogon"},
                     {pfnLogoff != nullptr, "MAPILogoff"},
                     {pfnFreeBuffer != nullptr, "MAPIFreeBuffer"},
                     {pfnResolveName != nullptr, "MAPIResolveName"},
                     {pfnSendMail != nullptr, "MAPISendMail"}};
    for (const auto& f : functions)
    {
        if (!f.boThere)
        {
            strError = std::string("Could not find the ") + f.lpszName + " function";
            return false;
        }
    }
    LHANDLE hSession = 0;
    ULONG ulResult = pfnLogon(0, nullptr, nullptr, MAPI_LOGON_UI, 0, &hSession);
    if (ulResult != SUCCESS_SUCCESS)
    {
        strError = "Unable to logon.\r\n" + strErrorNumber(static_cast<int32_t>(ulResult));
        return false;
    }
    const std::string strLog = lpszOr(args.lpszLogPath);
    const bool boAttach = boFileExists(strLog);
    if (!boAttach)
        strReport += "*Ce fichier n'existe pas.\r\n\r\n";
    bool boSent = false;
    lpMapiRecipDesc lpRecipient = nullptr;
    ulResult = pfnResolveName(hSession, 0, const_cast<char*>(lpszOr(args.lpszRecipient)), MAPI_DIALOG, 0,
                              &lpRecipient);
    if (ulResult != SUCCESS_SUCCESS || !lpRecipient)
    {
        strError =
            "La fonction lpfnMAPIResolveName a échoué.\r\n" + strErrorNumber(static_cast<int32_t>(ulResult));
    }
    else
    {
        lpRecipient->ulRecipClass = MAPI_TO;
        std::string strPath = strLog;
        std::string strName = strFileNameOf(strLog);
        MapiFileDesc file;
        std::memset(&file, 0, sizeof file);
        file.nPosition = static_cast<ULONG>(-1);
        file.lpszPathName = &strPath[0];
        file.lpszFileName = &strName[0];
        std::string strSubject = lpszOr(args.lpszSubject);
        MapiMessage message;
        std::memset(&message, 0, sizeof message);
        message.lpszSubject = &strSubject[0];
        message.lpszNoteText = &strReport[0];
        message.nRecipCount = 1;
        message.lpRecips = lpRecipient;
        if (boAttach)
        {
            message.nFileCount = 1;
            message.lpFiles = &file;
        }
        ulResult = pfnSendMail(hSession, 0, &message, MAPI_DIALOG, 0);
        if (ulResult == SUCCESS_SUCCESS)
            boSent = true;
        else
            strError =
                "La fonction lpfnMAPISendMail a échoué.\r\n" + strErrorNumber(static_cast<int32_t>(ulResult));
        pfnFreeBuffer(lpRecipient);
    }
    pfnLogoff(hSession, 0, 0, 0);
    return boSent;
}

void vWriteFallback(const std::string& strReport)
{
    FdWin::CHandle file(CreateFileA(kszFallbackFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.boValid())
        return;
    DWORD dwWritten = 0;
    WriteFile(file.get(), strReport.data(), static_cast<DWORD>(strReport.size()), &dwWritten, nullptr);
}
} // namespace

int iCheckZelto(HINSTANCE hModule, const SCheckArgs& args)
{
    CCheckingBox progress;
    const HWND hProgress = progress.hCreate(hModule, MAKEINTRESOURCEA(IDD_CHECKING), nullptr);
    if (hProgress)
    {
        SetDlgItemTextA(hProgress, IDC_CHECKING_TEXT,
                        boEnglish(args.lpszLanguage) ? "Checking, please be patient..."
                                                     : "Vérification en cours, merci de patienter...");
        ShowWindow(hProgress, SW_SHOW);
        UpdateWindow(hProgress);
    }
    vLetMessagesRun();
    // The folder dumps move the current directory: the caller gets its own back.
    char szCurrent[MAX_PATH * 2] = "";
    const DWORD dwCurrent = GetCurrentDirectoryA(sizeof szCurrent, szCurrent);
    std::string strReport = strBuildReport(args);
    if (dwCurrent > 0 && dwCurrent < sizeof szCurrent)
        SetCurrentDirectoryA(szCurrent);
    vLetMessagesRun();
    progress.vDestroy();

    std::string strError;
    if (boMail(args, strReport, strError))
        return 1;
    strReport += "*Erreur à l'envoi du mail.\r\n\r\n" + strError;
    vWriteFallback(strReport);
    return 0;
}
} // namespace FdNav
