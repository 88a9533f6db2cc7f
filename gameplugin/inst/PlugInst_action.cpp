// CPlugInst: page actions and the launched components.
#include "PlugInst.h"

#include "ActionBuffer.h"
#include "AnsiText.h"
#include "CmptVocabulary.h"
#include "ExcptAcCopyRegister.h"
#include "ExcptLaunchedApp.h"
#include "FdBstr.h"
#include "FdUi.h"
#include "ImplCallback.h"
#include "InstallUtils.h"
#include "LaunchedApp.h"
#include "ManageDL.h"
#include "MessageTexts.h"
#include "PathRules.h"
#include "PlugSecurity.h"
#include "PlugTrace.h"
#include "ProcessList.h"
#include "WinRegKey.h"
#include "Security.h"
#include "VersionText.h"
#include "WinErrorText.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

namespace
{
constexpr const char* kszComponentsKey = "Software\\FdGame\\";
constexpr const char* kszSelf = "_self";
constexpr size_t kExtraMax = 1024;
constexpr size_t kVersionTextMax = 128;

[[noreturn]] void vRaiseCopy(uint32_t dwCode, uint32_t dwWin32, const char* lpszFormat, ...)
{
    char szExtra[kExtraMax + 1];
    va_list args;
    va_start(args, lpszFormat);
    std::vsnprintf(szExtra, sizeof szExtra, lpszFormat, args);
    va_end(args);
    throw CExcptAcCopyRegister(dwCode, "CPlugInst::vActionCOPYANDREGISTER", __FILE__, __LINE__, szExtra,
                               dwWin32);
}

LONG lSetText(HKEY hKey, const char* lpszName, const char* lpszValue)
{
    return RegSetValueExA(hKey, lpszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(lpszValue),
                          static_cast<DWORD>(std::strlen(lpszValue) + 1));
}

std::string strReport(const FdBase::CExceptionBase& e)
{
    char szReport[CPlugInst::kReportMax + 1];
    FdBase::ulFormatExceptionReport(e, szReport, sizeof szReport);
    return szReport;
}
} // namespace

// ---------------------------------------------------------------- action buffers

void CPlugInst::vExecuteAction(const char* lpBuffer, size_t ulSize)
{
    CPlugTrace trace(m_szTraceLabel, "CPlugInst::vExecuteAction", "(pBuf=%p, dwNbBytes=%ld)",
                     static_cast<const void*>(lpBuffer), static_cast<long>(ulSize));
    CParamList list(CParamList::kszActionSeparator);
    switch (PageAction::eReadActionBuffer(lpBuffer, ulSize, list, nullptr))
    {
    case PageAction::EBufferStatus::TooShort:
        vPlugTrace("!ERREUR! CPlugInst::vExecuteAction -> la taille du buffer est trop petite !");
        return;
    case PageAction::EBufferStatus::BadSuffix:
    {
        const std::string strEnd(lpBuffer + ulSize - PageAction::kSuffixLength, PageAction::kSuffixLength);
        vPlugTrace("!ERREUR! CPlugInst::vExecuteAction -> le buffer est invalide %s != $$action !",
                   strEnd.c_str());
        return;
    }
    case PageAction::EBufferStatus::BadBlock:
        vPlugTrace("!ERREUR! CPlugInst::vExecuteAction -> le buffer ne contient pas de bloc de paramètres "
                   "complet !");
        return;
    case PageAction::EBufferStatus::Ok:
        break;
    }
    if (!boTranslateParameters(list))
        return;
    vPlugTrace("CPlugInst::vExecuteAction -> action=%s", strForTrace(list).c_str());
    const int32_t lAction = PageAction::lGetAction(list);
    try
    {
        switch (lAction)
        {
        case PageAction::kActionNone:
            break;
        case PageAction::kActionGetUrl:
            vActionGETURL(list, false);
            break;
        case PageAction::kActionCopyAndRegister:
        {
            vActionCOPYANDREGISTER(lpBuffer, list);
            CParamList returnPage(CParamList::kszSeparator);
            returnPage.boParse(m_strReturnPage.c_str(), m_strReturnPage.size(), false, false);
            boSetMessage(0, nullptr);
            m_strReturnPage.clear();
            vActionGETURL(returnPage, true);
            break;
        }
        case PageAction::kActionLaunchApp:
            vActionLAUNCHAPP(list);
            break;
        case PageAction::kActionGetKeys:
            vActionGETKEYS(list);
            break;
        default:
            vPlugTrace("!ERREUR! CPlugInst::vExecuteAction -> action inconnue (%ld) !",
                       static_cast<long>(lAction));
            break;
        }
    }
    catch (const FdBase::CExceptionBase& e)
    {
        vPlugTrace(
            "!ERREUR! CPlugInst::vExecuteAction -> impossible d'installer un composant. Exception:\n%s",
            strReport(e).c_str());
    }
}

void CPlugInst::vActionGETURL(CParamList& list, bool boDefaultToSelf)
{
    const char* lpszUrl = list.lpszGetValue("URL");
    const char* lpszFrame = list.lpszGetValue("FRAME");
    CPlugTrace trace(m_szTraceLabel, "CPlugInst::vActionGETURL", "(url=%s, frame=%s)", sz(lpszUrl),
                     sz(lpszFrame));
    if (!lpszFrame || !*lpszFrame)
        lpszFrame = boDefaultToSelf ? kszSelf : nullptr;
    vOpenUrl(lpszUrl, lpszFrame);
}

void CPlugInst::vActionCOPYANDREGISTER(const char* lpBuffer, CParamList& list)
{
    const char* lpszRegPath = sz(list.lpszGetValue("regpath"));
    const char* lpszPhysPath = sz(list.lpszGetValue("physpath"));
    const char* lpszClsid = sz(list.lpszGetValue("clsid"));
    const char* lpszVersion = list.lpszGetValue("versionex");
    if (!lpszVersion)
        lpszVersion = list.lpszGetValue("version");
    CPlugTrace trace(m_szTraceLabel, "CPlugInst::vActionCOPYANDREGISTER",
                     "(regpath=%s, physpath=%s, clsid=%s, version=%s)", lpszRegPath, lpszPhysPath, lpszClsid,
                     sz(lpszVersion));

    // The page names a place inside the install folder, never outside it.
    const std::string strFilePath = std::string(m_szInstallDir) + lpszPhysPath;
    if (!PathRules::boIsSafeRelativePath(lpszPhysPath) || strFilePath.size() > kPhysPathMax)
        vRaiseCopy(kAcCopyCantCreateSubdir, 0, "szFilePath:%s", strFilePath.c_str());
    const std::string strRegKey = std::string(kszComponentsKey) + lpszRegPath;
    if (!boCreateDirectoryChain(strFilePath.c_str(), nullptr))
        vRaiseCopy(kAcCopyCantCreateSubdir, GetLastError(), "szFilePath:%s", strFilePath.c_str());

    // The payload is what lies ahead of the parameter block; none is refused
    // before decryption.
    const size_t ulPayload = list.ulGetParseStop();
    if (!lpBuffer || ulPayload == 0)
        vRaiseCopy(kAcCopyCantDecompressCmpt, 0,
                   "pBuf=%p, dwSize=%ld, szFilePath=%s, Win32Err=%ld, LZ32Err=%ld",
                   static_cast<const void*>(lpBuffer), 0L, strFilePath.c_str(), 0L, 0L);
    uint32_t dwPlain = 0;
    std::unique_ptr<char[]> plain = PlugSecurity().lpszDecrypt(lpBuffer, static_cast<uint32_t>(ulPayload),
                                                               CSecurity::kFilesKey, &dwPlain, false);

    const std::string strFileName = PathRules::strFileNamePart(strFilePath);
    const char* lpaszNames[] = {strFileName.c_str()};
    boKillProcessesByName(lpaszNames, 1, true, false);

    DWORD dwWin32 = 0;
    int iLz = 0;
    if (!boCopyBufferToFile(reinterpret_cast<const uint8_t*>(plain.get()), dwPlain, strFilePath.c_str(),
                            &dwWin32, &iLz))
        vRaiseCopy(kAcCopyCantDecompressCmpt, dwWin32,
                   "pBuf=%p, dwSize=%ld, szFilePath=%s, Win32Err=%ld, LZ32Err=%ld",
                   static_cast<const void*>(plain.get()), static_cast<long>(dwPlain), strFilePath.c_str(),
                   static_cast<long>(dwWin32), static_cast<long>(iLz));

    FdWin::CRegKey key;
    LONG l = key.lCreate(HKEY_LOCAL_MACHINE, strRegKey.c_str(), KEY_READ | KEY_WRITE);
    if (l != ERROR_SUCCESS)
        vRaiseCopy(kAcCopyCantOpenRegistryKey, static_cast<uint32_t>(l), "szRegPath=%s", strRegKey.c_str());
    l = lSetText(key.h(), "CLSID", lpszClsid);
    if (l != ERROR_SUCCESS)
        vRaiseCopy(kAcCopyCantModifyRegistry, static_cast<uint32_t>(l),
                   "clé=%s, lpszCLSID=%s, Erreur Win32:%ld-%s", strRegKey.c_str(), lpszClsid,
                   static_cast<long>(l), strErrorText(static_cast<uint32_t>(l)).c_str());
    if (lpszVersion)
    {
        char szCode[kVersionTextMax], szDotted[kVersionTextMax];
        vNormaliseVersion(szCode, sizeof szCode, lpszVersion, kVersionModeCode);
        vNormaliseVersion(szDotted, sizeof szDotted, lpszVersion, kVersionModeDotted);
        l = lSetText(key.h(), "Version", szCode);
        if (l == ERROR_SUCCESS)
            l = lSetText(key.h(), "VersionEx", szDotted);
        if (l != ERROR_SUCCESS)
        {
            RegDeleteValueA(key.h(), "CLSID");
            RegDeleteValueA(key.h(), "Version");
            vRaiseCopy(kAcCopyCantModifyRegistry, static_cast<uint32_t>(l),
                       "clé=%s, lpszVersion=%s, Erreur Win32:%ld-%s", strRegKey.c_str(), lpszVersion,
                       static_cast<long>(l), strErrorText(static_cast<uint32_t>(l)).c_str());
        }
    }
    l = lSetText(key.h(), "Path", strFilePath.c_str());
    if (l != ERROR_SUCCESS)
    {
        RegDeleteValueA(key.h(), "CLSID");
        RegDeleteValueA(key.h(), "Version");
        vRaiseCopy(kAcCopyCantModifyRegistry, static_cast<uint32_t>(l),
                   "clé=%s, szFilePath=%s, Erreur Win32:%ld-%s", strRegKey.c_str(), strFilePath.c_str(),
                   static_cast<long>(l), strErrorText(static_cast<uint32_t>(l)).c_str());
    }
    if (!boSelfRegister(strFilePath.c_str()))
    {
        const DWORD dwErr = GetLastError();
        vRaiseCopy(kAcCopyCantRegisterCmpt, dwErr, "szFilePath=%s, Erreur Win32:%ld-%s", strFilePath.c_str(),
                   static_cast<long>(dwErr), strErrorText(dwErr).c_str());
    }
}

void CPlugInst::vActionLAUNCHAPP(CParamList& list)
{
    const char* lpszParamsApp = list.lpszGetValue("paramsapp");
    vPlugTrace("CPlugInst::vActionLAUNCHAPP -> PARAMSAPP=%s", sz(lpszParamsApp));
    const char* lpszVersion = list.lpszGetValue("versionex");
    if (!lpszVersion)
        lpszVersion = list.lpszGetValue("version");
    vLaunchApp(list.lpszGetValue("launchapp"), lpszParamsApp, lpszVersion, list.lpszGetValue("urldata"),
               list.lpszGetValue("sizedata"), list.lpszGetValue("thispage"), list.lpszGetValue("appid"),
               list.lpszGetValue("removewithfdgame"), list.lpszGetValue("urlcmptinstall"),
               list.lpszGetValue("urlcmptnoinstall"));
}

void CPlugInst::vActionGETKEYS(CParamList& list)
{
    const char* lpszParamsKey = list.lpszGetValue("privatekeyparams");
    const char* lpszFileKey = list.lpszGetValue("privatekeyfile");
    // The keys themselves never go to the trace: their lengths only.
    CPlugTrace trace(
        m_szTraceLabel, "CPlugInst::vActionGETKEYS", "(clé1:%ld caractères, clé2:%ld caractères)",
        static_cast<long>(std::strlen(sz(lpszParamsKey))), static_cast<long>(std::strlen(sz(lpszFileKey))));
    try
    {
        if (lpszParamsKey)
            PlugSecurity().vSetKey(CSecurity::kParamsKey, lpszParamsKey);
        if (lpszFileKey)
            PlugSecurity().vSetKey(CSecurity::kFilesKey, lpszFileKey);
    }
    catch (const FdBase::CExceptionBase& e)
    {
        vPlugTrace(
            "!ERREUR! CPlugInst::vActionGETKEYS -> erreur à la récupération d'une des clés de cryptage. "
            "Exception:\n%s",
            strReport(e).c_str());
    }
    vActionGETURL(list, false);
}

// ---------------------------------------------------------------- launches

void CPlugInst::vLaunchApp(const char* lpszAppName, const char* lpszParamsApp, const char* lpszVersion,
                           const char* lpszUrlData, const char* lpszSizeData, const char* lpszThisPage,
                           const char* lpszAppId, const char* lpszRemove, const char* lpszUrlCmptInstall,
                           const char* lpszUrlCmptNoInstall)
{
    CPlugTrace trace(m_szTraceLabel, "CPlugInst::vLaunchApp",
                     "(AppName=%s, ParamsApp=%s, Version=%s, UrlData=%s, SizeData=%s, ThisPage=%s, AppID=%s, "
                     "RemoveWithOBPP=%s, UrlCmptInstall=%s, UrlCmptNoInstall=%s)",
                     sz(lpszAppName), sz(lpszParamsApp), sz(lpszVersion), sz(lpszUrlData), sz(lpszSizeData),
                     sz(lpszThisPage), sz(lpszAppId), sz(lpszRemove), sz(lpszUrlCmptInstall),
                     sz(lpszUrlCmptNoInstall));
    if (!lpszAppName || !*lpszAppName)
        return;
    const bool boCheckOnly = lpszUrlCmptNoInstall && *lpszUrlCmptNoInstall;
    const bool boCallUrl = lpszUrlCmptInstall && *lpszUrlCmptInstall;
    const bool boRemove = boAnsiEqualNoCase(lpszRemove, "yes");
    CParamList params(CParamList::kszSeparator);
    if (lpszParamsApp && *lpszParamsApp)
        params.boParse(lpszParamsApp, std::strlen(lpszParamsApp), false, false);
    vPlugTrace("CPlugInst::vLaunchApp -> lancement de l'application... (boCheckOnly=%ld, "
               "boDontInstallButCallUrl=%ld)",
               static_cast<long>(boCheckOnly), static_cast<long>(boCallUrl));

    std::shared_ptr<CLaunchedApp> app;
    try
    {
        app = std::make_shared<CLaunchedApp>(lpszAppName, lpszVersion, boRemove);
    }
    catch (const CExcptLaunchedApp& e)
    {
        vPlugTrace("!ERREUR! CPlugInst::vLaunchApp -> impossible de lancer l'application. Exception:\n%s",
                   strReport(e).c_str());
        if (!m_boHideDialog)
        {
            const char* lpaszArgs[] = {lpszAppName};
            const std::string strQuestion = MessageTexts::strFormat(
                lpszGetMessageText(MessageTexts::kszInstCmpt), lpaszArgs, 1, kQuestionMax);
            const int iAnswer =
                FdUi::iMessageBox(nullptr, strQuestion.c_str(), lpszGetMessageText(MessageTexts::kszInfTitle),
                                  MB_TOPMOST | (m_boHideCancel ? MB_OK : MB_OKCANCEL));
            if (iAnswer != IDOK)
            {
                vPlugTrace(
                    "CPlugInst::vLaunchApp -> Application non lançable : Cancel choisit par l'utilisateur");
                vSendErrorToServer(kErrUserRefused, 0);
                return;
            }
        }
        if (boCallUrl)
        {
            vPlugTrace("CPlugInst::vLaunchApp -> Appel de l'url %s", lpszUrlCmptInstall);
            vOpenUrlList(lpszUrlCmptInstall, kszSelf);
        }
        else if (lpszUrlData && *lpszUrlData)
        {
            vPlugTrace("CPlugInst::vLaunchApp -> Chargement du composant %s", lpszUrlData);
            m_strReturnPage = sz(lpszThisPage);
            if (m_strReturnPage.size() > kUrlMax)
                m_strReturnPage.resize(kUrlMax);
            boSetMessage(0, lpszGetMessageText(MessageTexts::kszDlCmpt));
            // The package's own transfer counts its announced size, and
            // counts it down when it ends (the bar empties after it).
            const uint32_t dwSize =
                lpszSizeData && *lpszSizeData ? static_cast<uint32_t>(lParseDecimal(lpszSizeData)) : 0;
            vOpenUrl(lpszUrlData, nullptr, dwSize);
        }
        else
            vPlugTrace("!ERREUR! CPlugInst::vLaunchApp -> aucune action ne peut être entreprise pour lancer "
                       "correctement l'application !");
        return;
    }

    if (boCheckOnly)
    {
        vPlugTrace("CPlugInst::vLaunchApp -> Application lancée mais mode CheckOnly -> l'application va être "
                   "arrêtée");
        app.reset();
        vOpenUrlList(lpszUrlCmptNoInstall, kszSelf);
        return;
    }
    vPlugTrace("CPlugInst::vLaunchApp -> Application lancée");
    m_apps.push_back(app);
    // `app` keeps the record alive even when the component leaves while it is bound.
    if (!app->boBindWithObpp(this, params))
    {
        vPlugTrace(
            "!ERREUR! CPlugInst::vLaunchApp -> l'application n'a pas pu être liée au plug-in : elle est "
            "abandonnée");
        for (auto it = m_apps.begin(); it != m_apps.end(); ++it)
        {
            if (*it == app)
            {
                m_apps.erase(it);
                break;
            }
        }
    }
}

void CPlugInst::vGiveHwndToApps()
{
    CPlugTrace trace(m_szTraceLabel, "CPlugInst::vGiveHwndToApps");
    char szHwnd[CommonOB::kNumberTextSize];
    std::snprintf(szHwnd, sizeof szHwnd, "%ld", static_cast<long>(HandleToLong(m_hwnd)));
    const std::vector<std::shared_ptr<CLaunchedApp>> apps = m_apps;
    for (const auto& app : apps)
    {
        if (IDiagOBPP2Cmpt* lpApp = app->lpGetApp())
            lpApp->SetParameter(FdCom::CBstr(CommonOB::kszKeyHwnd).bstr(), FdCom::CBstr(szHwnd).bstr());
    }
}

void CPlugInst::vRemoveAppFromList(CImplCallback* lpSink)
{
    CPlugTrace trace(m_szTraceLabel, "CPlugInst::vRemoveAppFromList", "(lpSink=%p)",
                     static_cast<void*>(lpSink));
    for (auto it = m_apps.begin(); it != m_apps.end(); ++it)
    {
        if ((*it)->lpGetCallback() != lpSink)
            continue;
        const std::shared_ptr<CLaunchedApp> app = *it;
        m_apps.erase(it);
        CManageDL::Get().vRemove(app->lpGetApp(), CManageDL::kAnyUserData, false);
        app->vRelease();
        return;
    }
    vPlugTrace("!ERREUR! CPlugInst::vRemoveAppFromList -> interface de callback non trouvé !");
}

CLaunchedApp* CPlugInst::lpGetApp(size_t ulIndex) const
{
    return ulIndex < m_apps.size() ? m_apps[ulIndex].get() : nullptr;
}
