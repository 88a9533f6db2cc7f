// CPlugInst: life, attributes, install and version checks, parameter translation.
#include "PlugInst.h"

#include "AnsiText.h"
#include "ExcptCheckOB.h"
#include "FdBstr.h"
#include "FdUi.h"
#include "InstallUtils.h"
#include "InstanceRegistry.h"
#include "InterfaceRegistrar.h"
#include "LaunchedApp.h"
#include "ImplCallback.h"
#include "ManageDL.h"
#include "MessageTexts.h"
#include "ParamTranslator.h"
#include "PathRules.h"
#include "PlugSecurity.h"
#include "PlugTrace.h"
#include "WinRegKey.h"
#include "Security.h"
#include "TraceLabel.h"
#include "WinErrorText.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

namespace
{
constexpr const char* kszSuiteKey = "Software\\FdGame";
constexpr const char* kszVersionValue = "FdGame";
constexpr const char* kszWindowsKey = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr const char* kszProgramFilesValue = "ProgramFilesDir";
constexpr const char* kszInstallBoxTitle = "Orbelle";
constexpr const char* kszInstallBoxText =
    "La base de registre est mal configurée pour le fonctionnement de Orbelle. "
    "Merci de procéder à une réinstallation.\n\n%s";
constexpr const char* kszYes = "yes";
constexpr size_t kExtraMax = 1024;
constexpr unsigned kVersionRadix = 10;

[[noreturn]] void vRaiseCheckOB(uint32_t dwCode, uint32_t dwWin32, const char* lpszFormat, ...)
{
    char szExtra[kExtraMax + 1] = "";
    if (lpszFormat)
    {
        va_list args;
        va_start(args, lpszFormat);
        std::vsnprintf(szExtra, sizeof szExtra, lpszFormat, args);
        va_end(args);
    }
    throw CExcptCheckOB(dwCode, "CPlugInst::boCheckOBInstalled", __FILE__, __LINE__, szExtra, dwWin32);
}

std::string strReport(const FdBase::CExceptionBase& e, size_t ulMax)
{
    std::vector<char> report(ulMax + 1);
    FdBase::ulFormatExceptionReport(e, report.data(), report.size());
    return report.data();
}

bool boIsYes(const char* lpszValue)
{
    return boAnsiEqualNoCase(lpszValue, kszYes);
}

std::string strCut(const char* lpszText, size_t ulMax)
{
    std::string s = sz(lpszText);
    if (s.size() > ulMax)
        s.resize(ulMax);
    return s;
}

// Writes the module's version as "FdGame" into the open suite key.
void vWriteVersion(HKEY hKey, const char* lpszMethod)
{
    const DWORD dwVersion = CPlugInst::dwGetModuleVersion();
    if (dwVersion == 0)
        return;
    RegSetValueExA(hKey, kszVersionValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwVersion),
                   sizeof dwVersion);
    vPlugTrace("%s -> la version courante de l'obpp est %ld", lpszMethod, static_cast<long>(dwVersion));
}

std::string strWideToAnsi(const uint16_t* lpChars, size_t ulCount)
{
    if (ulCount == 0)
        return std::string();
    std::vector<wchar_t> wide(lpChars, lpChars + ulCount);
    const int n =
        WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(ulCount), nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return std::string();
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(ulCount), &s[0], n, nullptr, nullptr);
    return s;
}

std::string strDecryptParameter(const std::string& strValue)
{
    uint32_t dwSize = 0;
    std::unique_ptr<char[]> plain = PlugSecurity().lpszDecrypt(
        strValue.data(), static_cast<uint32_t>(strValue.size()), CSecurity::kParamsKey, &dwSize, false);
    return std::string(plain.get(), dwSize);
}
} // namespace

CPlugInst::CPlugInst(IBrowserLink* lpBrowser) : m_lpBrowser(lpBrowser)
{
    vSetName(nullptr);
}

CPlugInst::~CPlugInst()
{
    if (m_boRegistered)
        CInstanceRegistry::Get().vRemove(m_strName, this);
    m_apps.clear();
    vSetPicture(nullptr);
}

void CPlugInst::vSetName(const char* lpszName)
{
    m_strName = lpszName && *lpszName ? lpszName : TraceLabel::kszNoName;
    TraceLabel::vBuild(m_szTraceLabel, m_strName.c_str(),
                       static_cast<uint32_t>(reinterpret_cast<uintptr_t>(this)));
}

// ---------------------------------------------------------------- process start

void CPlugInst::vInitialize(bool boRegisterInterfaces, const FdCom::SServerInfo* lpModule)
{
    CPlugTrace trace(nullptr, "CPlugInst::vInitialize", "(boRegisterInterfaces=%ld)",
                     static_cast<long>(boRegisterInterfaces));
    if (boRegisterInterfaces)
    {
        if (lpModule)
            FdCom::CModule::Get().hrRegister(*lpModule, false);
        CInterfaceRegistrar::plugInInterfaces().lRegister();
        // The interfaces name the plug-in's type library: without it registered,
        // no component served out of process could be marshalled to the plug-in.
        ITypeLib* lpTypeLib = nullptr;
        const std::wstring wstrModule = FdCom::wstrFromAnsi(FdCom::CModule::Get().pszModulePath());
        if (SUCCEEDED(LoadTypeLibEx(wstrModule.c_str(), REGKIND_REGISTER, &lpTypeLib)))
            lpTypeLib->Release();
    }
    FdWin::CRegKey key;
    if (key.lCreate(HKEY_LOCAL_MACHINE, kszSuiteKey, KEY_READ | KEY_WRITE) != ERROR_SUCCESS)
        return;
    vWriteVersion(key.h(), "vInitialize");
}

void CPlugInst::vInitializeOnce(const FdCom::SServerInfo* lpModule)
{
    static std::once_flag s_once;
    std::call_once(s_once, [lpModule] { vInitialize(true, lpModule); });
}

uint32_t CPlugInst::dwGetModuleVersion()
{
    HMODULE hModule = FdCom::CModule::Get().hModule();
    HRSRC hResource = FindResourceA(hModule, MAKEINTRESOURCEA(VS_VERSION_INFO), MAKEINTRESOURCEA(16));
    const char* lpszFailed = nullptr;
    std::vector<uint8_t> copy;
    if (!hResource)
        lpszFailed = "FindResource";
    HGLOBAL hLoaded = lpszFailed ? nullptr : LoadResource(hModule, hResource);
    if (!lpszFailed && !hLoaded)
        lpszFailed = "LoadResource";
    const void* lpLocked = lpszFailed ? nullptr : LockResource(hLoaded);
    if (!lpszFailed && !lpLocked)
        lpszFailed = "LockResource";
    const DWORD dwSize = lpszFailed ? 0 : SizeofResource(hModule, hResource);
    if (!lpszFailed && dwSize == 0)
        lpszFailed = "SizeofResource";
    VS_FIXEDFILEINFO* lpInfo = nullptr;
    UINT uInfo = 0;
    if (!lpszFailed)
    {
        // VerQueryValue may write into its block: work on a copy.
        copy.assign(static_cast<const uint8_t*>(lpLocked), static_cast<const uint8_t*>(lpLocked) + dwSize);
        if (!VerQueryValueA(copy.data(), "\\", reinterpret_cast<void**>(&lpInfo), &uInfo) || !lpInfo ||
            uInfo < sizeof(VS_FIXEDFILEINFO))
            lpszFailed = "VerQueryValue";
    }
    if (lpszFailed)
    {
        const DWORD dwErr = GetLastError();
        vPlugTrace("!ERREUR! CPlugInst::dwGetModuleVersion -> erreur à l'appel de %s: %ld-%s", lpszFailed,
                   static_cast<long>(dwErr), strErrorText(dwErr).c_str());
        return 0;
    }
    const uint32_t a = HIWORD(lpInfo->dwFileVersionMS) & 0xFF;
    const uint32_t b = LOWORD(lpInfo->dwFileVersionMS) & 0xFF;
    const uint32_t c = HIWORD(lpInfo->dwFileVersionLS) & 0xFF;
    const uint32_t d = LOWORD(lpInfo->dwFileVersionLS) & 0xFF;
    return ((a * kVersionRadix + b) * kVersionRadix + c) * kVersionRadix + d;
}

bool CPlugInst::boCheckOBVersion(uint32_t dwRequired)
{
    CPlugTrace trace(lpszCurrentTraceLabel(), "CPlugInst::boCheckOBVersion", "(%ld)",
                     static_cast<long>(dwRequired));
    FdWin::CRegKey key;
    LONG l = key.lOpen(HKEY_LOCAL_MACHINE, kszSuiteKey, KEY_READ);
    if (l != ERROR_SUCCESS)
    {
        vPlugTrace(
            "!ERREUR! CPlugInst::boCheckOBVersion -> impossible d'ouvrir la clé de registry Software\\FdGame "
            "! Erreur %ld-%s",
            static_cast<long>(l), strErrorText(static_cast<uint32_t>(l)).c_str());
        return false;
    }
    DWORD dwVersion = 0, dwSize = sizeof dwVersion, dwType = 0;
    l = RegQueryValueExA(key.h(), kszVersionValue, nullptr, &dwType, reinterpret_cast<BYTE*>(&dwVersion),
                         &dwSize);
    if (l == ERROR_SUCCESS && (dwType != REG_DWORD || dwSize != sizeof dwVersion))
        l = ERROR_INVALID_DATA;
    if (l != ERROR_SUCCESS)
    {
        vPlugTrace("!ERREUR! CPlugInst::boCheckOBVersion -> impossible de lire dans la registry la data "
                   "Software\\FdGame\\FdGame ! Erreur %ld-%s",
                   static_cast<long>(l), strErrorText(static_cast<uint32_t>(l)).c_str());
        return false;
    }
    return dwVersion >= dwRequired;
}

bool CPlugInst::boCheckOBInstalled(char* lpszDir, size_t ulSize)
{
    CPlugTrace trace(lpszCurrentTraceLabel(), "CPlugInst::boCheckOBInstalled");
    FdWin::CRegKey key;
    LONG l = key.lOpen(HKEY_LOCAL_MACHINE, kszSuiteKey, KEY_READ);
    if (l == ERROR_FILE_NOT_FOUND)
        vRaiseCheckOB(kCheckOBNotInstalled, static_cast<uint32_t>(l), nullptr);
    if (l != ERROR_SUCCESS)
        vRaiseCheckOB(kCheckOBCantReadRegistryKey, static_cast<uint32_t>(l),
                      "Clé de registry:Software\\FdGame, erreur:%ld-%s", static_cast<long>(l),
                      strErrorText(static_cast<uint32_t>(l)).c_str());

    std::vector<char> dir(ulSize + 1, '\0');
    DWORD dwSize = static_cast<DWORD>(ulSize > 1 ? ulSize - 1 : 0); // room for a final "\"
    l = RegQueryValueExA(key.h(), nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(dir.data()), &dwSize);
    if (l != ERROR_SUCCESS)
        vRaiseCheckOB(kCheckOBCantReadRegistryData, static_cast<uint32_t>(l),
                      "Registry data:(default), Erreur:%ld-%s", static_cast<long>(l),
                      strErrorText(static_cast<uint32_t>(l)).c_str());
    std::string strDir(dir.data());
    if (strDir.empty())
        vRaiseCheckOB(kCheckOBNotInstalled, 0, nullptr);
    if (strDir.back() != '\\')
        strDir += '\\';

    DWORD dwVersion = 0, dwType = 0;
    dwSize = sizeof dwVersion;
    l = RegQueryValueExA(key.h(), kszVersionValue, nullptr, &dwType, reinterpret_cast<BYTE*>(&dwVersion),
                         &dwSize);
    if (l != ERROR_SUCCESS)
        vRaiseCheckOB(kCheckOBCantReadRegistryData, static_cast<uint32_t>(l),
                      "Registry data:FdGame, Erreur:%ld-%s", static_cast<long>(l),
                      strErrorText(static_cast<uint32_t>(l)).c_str());

    char szSaved[MAX_PATH + 1] = "";
    const DWORD dwSaved = GetCurrentDirectoryA(sizeof szSaved, szSaved);
    if (!SetCurrentDirectoryA(strDir.c_str()))
    {
        const DWORD dwErr = GetLastError();
        vRaiseCheckOB(kCheckOBCantChangeDir, dwErr, "Chemin:%s, Erreur:%ld-%s", strDir.c_str(),
                      static_cast<long>(dwErr), strErrorText(dwErr).c_str());
    }
    if (dwSaved > 0 && dwSaved < sizeof szSaved)
        SetCurrentDirectoryA(szSaved);
    std::snprintf(lpszDir, ulSize, "%s", strDir.c_str());
    return true;
}

void CPlugInst::vAutoInstall(const char* lpszSubDir)
{
    CPlugTrace trace(lpszCurrentTraceLabel(), "CPlugInst::vAutoInstall", "(%s)", sz(lpszSubDir));
    // The page names a folder inside Program Files, never one elsewhere.
    if (!PathRules::boIsSafeRelativePath(lpszSubDir))
    {
        vPlugTrace("!ERREUR! CPlugInst::vAutoInstall -> le sous-répertoire %s n'est pas valide !",
                   sz(lpszSubDir));
        return;
    }
    FdWin::CRegKey windows;
    LONG l = windows.lOpen(HKEY_LOCAL_MACHINE, kszWindowsKey, KEY_READ);
    if (l != ERROR_SUCCESS)
    {
        vPlugTrace("!ERREUR! CPlugInst::vAutoInstall -> impossible d'ouvrir la clé de registry "
                   "Software\\Microsoft\\Windows\\CurrentVersion ! Erreur %ld-%s",
                   static_cast<long>(l), strErrorText(static_cast<uint32_t>(l)).c_str());
        return;
    }
    char szDir[kProgramFilesMax + 1] = "";
    DWORD dwSize = kProgramFilesMax;
    l = RegQueryValueExA(windows.h(), kszProgramFilesValue, nullptr, nullptr, reinterpret_cast<BYTE*>(szDir),
                         &dwSize);
    if (l != ERROR_SUCCESS)
    {
        vPlugTrace(
            "!ERREUR! CPlugInst::vAutoInstall -> impossible de lire la data ProgramFilesDir ! Erreur %ld-%s",
            static_cast<long>(l), strErrorText(static_cast<uint32_t>(l)).c_str());
        return;
    }
    szDir[dwSize < kProgramFilesMax ? dwSize : kProgramFilesMax] = '\0';
    std::string strDir = szDir;
    if (strDir.empty() || strDir.back() != '\\')
        strDir += '\\';
    strDir += sz(lpszSubDir);
    if (!CreateDirectoryA(strDir.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
    {
        const DWORD dwErr = GetLastError();
        vPlugTrace("!ERREUR! CPlugInst::vAutoInstall -> impossible de créer le répertoire %s ! Erreur %ld-%s",
                   strDir.c_str(), static_cast<long>(dwErr), strErrorText(dwErr).c_str());
        return;
    }
    lDeleteRegistryTree(HKEY_LOCAL_MACHINE, kszSuiteKey, 1);
    FdWin::CRegKey suite;
    l = suite.lCreate(HKEY_LOCAL_MACHINE, kszSuiteKey, KEY_READ | KEY_WRITE);
    if (l != ERROR_SUCCESS)
    {
        vPlugTrace(
            "!ERREUR! CPlugInst::vAutoInstall -> impossible de créer la clé de registry Software\\FdGame ! "
            "Erreur %ld-%s",
            static_cast<long>(l), strErrorText(static_cast<uint32_t>(l)).c_str());
        return;
    }
    l = RegSetValueExA(suite.h(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(strDir.c_str()),
                       static_cast<DWORD>(strDir.size() + 1));
    if (l != ERROR_SUCCESS)
    {
        vPlugTrace("!ERREUR! CPlugInst::vAutoInstall -> impossible de mettre à jour la default value de "
                   "Software\\FdGame avec la valeur %s ! Erreur %ld-%s",
                   strDir.c_str(), static_cast<long>(l), strErrorText(static_cast<uint32_t>(l)).c_str());
        return;
    }
    // The new key needs the suite's version too, or the install check that
    // follows the repair would fail on it.
    vWriteVersion(suite.h(), "CPlugInst::vAutoInstall");
}

LONG CPlugInst::lGetProgramFilesDir(char* lpszBuffer, size_t ulSize)
{
    FdWin::CRegKey key;
    LONG l = key.lOpen(HKEY_LOCAL_MACHINE, kszWindowsKey, KEY_READ);
    if (l != ERROR_SUCCESS)
        return l;
    char szDir[MAX_PATH + 1] = "";
    DWORD dwSize = MAX_PATH;
    l = RegQueryValueExA(key.h(), kszProgramFilesValue, nullptr, nullptr, reinterpret_cast<BYTE*>(szDir),
                         &dwSize);
    if (l != ERROR_SUCCESS)
        return l;
    szDir[dwSize < MAX_PATH ? dwSize : MAX_PATH] = '\0';
    std::strncpy(lpszBuffer, szDir, ulSize);
    lpszBuffer[ulSize] = '\0';
    return ERROR_SUCCESS;
}

CPlugInst* CPlugInst::lpFindInstanceByName(const char* lpszName)
{
    return lpszName ? CInstanceRegistry::Get().lpFind(lpszName) : nullptr;
}

// ---------------------------------------------------------------- life

bool CPlugInst::boNewInstance(CParamList& attributes)
{
    CPlugTrace trace(m_szTraceLabel, "CPlugInst::boNewInstance");
    if (!boTranslateParameters(attributes))
        return false;
    vSetName(attributes.lpszGetValue("name"));

    try
    {
        boCheckOBInstalled(m_szInstallDir, sizeof m_szInstallDir);
    }
    catch (const FdBase::CExceptionBase& e)
    {
        vReportException(
            "!ERREUR! CPlugInst::boNewInstance -> l'installation courante est incorrecte. Exception:\n%s", e);
        const char* lpszAutoInst = attributes.lpszGetValue("fdgameautoinst");
        if (lpszAutoInst && *lpszAutoInst)
            vAutoInstall(lpszAutoInst);
        try
        {
            boCheckOBInstalled(m_szInstallDir, sizeof m_szInstallDir);
        }
        catch (const FdBase::CExceptionBase& e2)
        {
            vReportException(
                "!ERREUR! CPlugInst::boNewInstance -> l'installation courante est incorrecte. Exception:\n%s",
                e2);
            const std::string strReportText = strReport(e2, kBoxReportMax);
            const char* lpaszArgs[] = {strReportText.c_str()};
            const std::string strBox =
                MessageTexts::strFormat(kszInstallBoxText, lpaszArgs, 1, kReportMax * 2);
            FdUi::iMessageBox(nullptr, strBox.c_str(), kszInstallBoxTitle, MB_ICONHAND | MB_TOPMOST);
            return false;
        }
    }

    for (size_t i = 0; i < kMessageCount; ++i)
    {
        m_strMessages[i].clear();
        m_aboMessageSet[i] = false;
    }
    m_crBackground = RGB(0, 0, 0);
    m_crText = RGB(0, 0, 0);
    m_lpMessageTexts = std::make_unique<CParamList>(CParamList::kszSeparator);
    MessageTexts::vAddDefaults(*m_lpMessageTexts);
    const char* lpszResources = attributes.lpszGetValue("resources");
    if (lpszResources && *lpszResources)
    {
        m_lpMessageTexts->vClear();
        m_lpMessageTexts->boParse(lpszResources, std::strlen(lpszResources), false, false);
    }

    // Registered only once it lives: a failed creation leaves no name behind.
    if (m_strName != TraceLabel::kszNoName)
    {
        CInstanceRegistry::Get().vAdd(m_strName, this);
        m_boRegistered = true;
    }
    vParseAttributes(attributes);
    return true;
}

void CPlugInst::vDestroyInstance()
{
    CPlugTrace trace(m_szTraceLabel, "CPlugInst::vDestroyInstance");
    if (m_boRegistered)
    {
        CInstanceRegistry::Get().vRemove(m_strName, this);
        m_boRegistered = false;
    }
    const std::vector<std::shared_ptr<CLaunchedApp>> apps = m_apps;
    for (const auto& app : apps)
    {
        IDiagOBPP2Cmpt* lpApp = app->lpGetApp();
        CImplCallback* lpSink = app->lpGetCallback();
        CManageDL::Get().vRemove(lpApp, CManageDL::kAnyUserData, true);
        if (!lpApp)
            continue;
        vPlugTrace("CPlugInst::vDestroyInstance -> appel de Unadvise sur une application fille (lpApp=%p, "
                   "lpSink=%p)",
                   static_cast<void*>(lpApp), static_cast<void*>(lpSink));
        lpApp->Unadvise(lpSink ? lpSink->dwGetCookie() : 0);
        if (app->boGetRemove())
        {
            vPlugTrace(
                "CPlugInst::vDestroyInstance -> appel de ForceRemove sur une application fille (lpApp=%p, "
                "lpSink=%p)",
                static_cast<void*>(lpApp), static_cast<void*>(lpSink));
            lpApp->ForceRemove();
        }
    }
    vPlugTrace("CPlugInst::vDestroyInstance -> vide la liste des applications");
    m_apps.clear();
    // Transfers this instance runs for components of other instances end here.
    CManageDL::Get().vInstanceGone(this);
    m_lpMessageTexts.reset();
}

void CPlugInst::vReportException(const char* lpszLine, const FdBase::CExceptionBase& e) const
{
    vPlugTrace(lpszLine, strReport(e, kReportMax).c_str());
}

const char* CPlugInst::lpszGetMessageText(const char* lpszKey) const
{
    return m_lpMessageTexts ? MessageTexts::lpszGet(*m_lpMessageTexts, lpszKey)
                            : MessageTexts::lpszDefault(lpszKey);
}

// ---------------------------------------------------------------- attributes

void CPlugInst::vSetHeight(uint32_t dwHeight)
{
    m_dwHeight = dwHeight;
    const int32_t iHeight = static_cast<int32_t>(dwHeight);
    const int32_t iBar = iHeight < kBarHeightMax ? iHeight : kBarHeightMax;
    m_rcBar.left = 0;
    m_rcBar.top = iHeight - kBarOffset;
    m_rcBar.right = static_cast<LONG>(m_dwWidth);
    m_rcBar.bottom = iHeight - kBarOffset + iBar;
}

void CPlugInst::vParseAttributes(CParamList& attributes)
{
    CPlugTrace trace(m_szTraceLabel, "CPlugInst::vParseAttributes");
    const char* lpszValue = nullptr;
    auto found = [&](const char* lpszName)
    {
        lpszValue = attributes.lpszGetValue(lpszName);
        if (lpszValue)
            vPlugTrace("CPlugInst::vParseAttributes -> %s=%s", lpszName, lpszValue);
        return lpszValue != nullptr;
    };

    std::string strInstallUrl;
    if (found("fdgameinsturl"))
        strInstallUrl = lpszValue;
    if (found("fdgameversion"))
    {
        const uint32_t dwRequired = static_cast<uint32_t>(lParseDecimal(lpszValue));
        if (!boCheckOBVersion(dwRequired))
        {
            vPlugTrace(
                "CPlugInst::vParseAttributes -> La version courante de l'obpp est inférieure à la version "
                "requise (%ld)",
                static_cast<long>(dwRequired));
            if (!strInstallUrl.empty())
                vOpenUrlList(strInstallUrl.c_str(), nullptr);
            return;
        }
    }
    if (found("hidecancel"))
        m_boHideCancel = boIsYes(lpszValue);
    if (found("hidedialog"))
        m_boHideDialog = boIsYes(lpszValue);
    if (found("bgcolor"))
        m_crBackground = dwParseColour(lpszValue);
    if (found("textcolor"))
        m_crText = dwParseColour(lpszValue);
    if (found("font"))
        vParseFontText(lpszValue, &m_font);
    if (found("dialogpage"))
        m_strDialogPage = strCut(lpszValue, kUrlMax);
    if (found("errurl"))
        m_strErrUrl = strCut(lpszValue, kUrlMax);
    if (found("errfrm"))
        m_strErrFrame = strCut(lpszValue, kFrameMax);
    if (found("width"))
    {
        m_dwWidth = static_cast<uint32_t>(lParseDecimal(lpszValue));
        m_dwCellCount = m_dwWidth / kCellWidth;
    }
    vSetHeight(found("height") ? static_cast<uint32_t>(lParseDecimal(lpszValue)) : 0);
    if (found("launchapp"))
        vActionLAUNCHAPP(attributes);
    if (found("calldiagpage") && boIsYes(lpszValue))
        vOpenUrl(m_strDialogPage.c_str(), nullptr);
    if (found("cyclic") && std::strcmp(lpszValue, "0") == 0)
        vOpenUrl(m_strDialogPage.c_str(), nullptr);
    if (found("redirdisp"))
        m_strRedirect = strCut(lpszValue, kRedirectMax);
}

// ---------------------------------------------------------------- translation

std::string CPlugInst::strForTrace(CParamList& list)
{
    // Private keys stay out of the trace files.
    static const char* const kaszSecret[] = {"privatekeyparams", "privatekeyfile"};
    for (const char* lpszName : kaszSecret)
        list.boSetHidden(lpszName, 1);
    std::string strText = sz(list.lpszSerialize(false));
    list.vSetAllHidden(0);
    return strText;
}

bool CPlugInst::boTranslateParameters(CParamList& list)
{
    CPlugTrace trace(m_szTraceLabel, "CPlugInst::boTranslateParameters", "(paramètres=%s)",
                     strForTrace(list).c_str());
    const CParamTranslator translator(strDecryptParameter, strWideToAnsi);
    try
    {
        std::string strName;
        if (translator.eTranslate(list, &strName) != CParamTranslator::EResult::Ok)
        {
            vPlugTrace("!ERREUR! CPlugInst::boTranslateParameters -> le paramètre %s n'est pas correctement "
                       "brouillé "
                       "!",
                       strName.c_str());
            vSendErrorToServer(kErrDecryptParams, 0);
            return false;
        }
    }
    catch (const FdBase::CExceptionBase& e)
    {
        vReportException("!ERREUR! CPlugInst::boTranslateParameters -> erreur au décryptage des paramètres. "
                         "Exception:\n%s",
                         e);
        vSendErrorToServer(kErrDecryptParams, 0);
        return false;
    }
    return true;
}
