#include "LaunchedApp.h"

#include "AnsiText.h"
#include "CmptVocabulary.h"
#include "ExcptLaunchedApp.h"
#include "FdBstr.h"
#include "FdComActivate.h"
#include "FdComObject.h"
#include "FdBstr.h"
#include "ImplCallback.h"
#include "KillableProcessMap.h"
#include "ParamList.h"
#include "PlugInst.h"
#include "PlugTrace.h"
#include "WinRegKey.h"
#include "VersionText.h"
#include "WinErrorText.h"

#include <cstdarg>
#include <cstdio>
#include <map>
#include <mutex>

namespace
{
constexpr const char* kszAppsKey = "Software\\FdGame";
constexpr const char* kszFunction = "CLaunchedApp::CLaunchedApp";
constexpr size_t kExtraMax = 1024;

[[noreturn]] void vRaise(uint32_t dwCode, uint32_t dwWin32, const char* lpszFormat, ...)
{
    char szExtra[kExtraMax + 1];
    va_list args;
    va_start(args, lpszFormat);
    std::vsnprintf(szExtra, sizeof szExtra, lpszFormat, args);
    va_end(args);
    throw CExcptLaunchedApp(dwCode, kszFunction, __FILE__, __LINE__, szExtra, dwWin32);
}

LONG lReadText(HKEY hKey, const char* lpszValue, std::string* lpstrText)
{
    char szText[CLaunchedApp::kRegTextMax + 1] = "";
    DWORD dwSize = CLaunchedApp::kRegTextMax;
    DWORD dwType = 0;
    const LONG l =
        RegQueryValueExA(hKey, lpszValue, nullptr, &dwType, reinterpret_cast<BYTE*>(szText), &dwSize);
    if (l == ERROR_SUCCESS)
    {
        szText[dwSize < CLaunchedApp::kRegTextMax ? dwSize : CLaunchedApp::kRegTextMax] = '\0';
        *lpstrText = szText;
    }
    return l;
}

// Local servers in the killable-process table, counted per path within this
// process: two records of one server share one entry, which goes with the last.
std::mutex g_serverUsesLock;
std::map<std::string, int> g_serverUses;

std::string strUseKey(const std::string& strPath)
{
    std::string s = strPath;
    for (char& c : s)
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    return s;
}
} // namespace

CLaunchedApp::CLaunchedApp(const char* lpszAppName, const char* lpszRequiredVersion, bool boRemove)
    : m_boRemove(boRemove)
{
    CPlugTrace trace(lpszCurrentTraceLabel(), "CLaunchedApp::CLaunchedApp");
    const std::string strApp = sz(lpszAppName);
    const std::string strKey = std::string(kszAppsKey) + "\\" + strApp;
    FdWin::CRegKey key;
    LONG l = key.lOpen(HKEY_LOCAL_MACHINE, strKey.c_str(), KEY_READ);
    if (l == ERROR_FILE_NOT_FOUND)
        vRaise(kLaunchAppNotInstalled, static_cast<uint32_t>(l), "Application:%s", strApp.c_str());
    if (l != ERROR_SUCCESS)
        vRaise(kLaunchCantOpenKey, static_cast<uint32_t>(l), "Clé de registry:%s, erreur:%ld-%s",
               strKey.c_str(), static_cast<long>(l), strErrorText(static_cast<uint32_t>(l)).c_str());

    std::string strClsid;
    l = lReadText(key.h(), "CLSID", &strClsid);
    if (l != ERROR_SUCCESS)
        vRaise(kLaunchCantReadClsid, static_cast<uint32_t>(l), "Application:%s, erreur:%ld-%s",
               strApp.c_str(), static_cast<long>(l), strErrorText(static_cast<uint32_t>(l)).c_str());
    CLSID clsid;
    const HRESULT hrClsid = CLSIDFromString(FdCom::CBstr(strClsid).bstr(), &clsid);
    if (FAILED(hrClsid))
        vRaise(kLaunchBadClsid, 0, "Application:%s, CLSID:%s, erreur:%.8X-%s", strApp.c_str(),
               strClsid.c_str(), static_cast<unsigned>(hrClsid),
               strErrorText(static_cast<uint32_t>(hrClsid)).c_str());

    std::string strVersion;
    l = lReadText(key.h(), "VersionEx", &strVersion);
    if (l != ERROR_SUCCESS)
        l = lReadText(key.h(), "Version", &strVersion);
    if (l != ERROR_SUCCESS)
        vRaise(kLaunchCantReadVersion, static_cast<uint32_t>(l), "Application:%s, erreur:%ld-%s",
               strApp.c_str(), static_cast<long>(l), strErrorText(static_cast<uint32_t>(l)).c_str());
    if (lpszRequiredVersion && iCompareVersions(lpszRequiredVersion, strVersion.c_str(), kVersionDepth) > 0)
        vRaise(kLaunchVersionTooOld, 0, "Application:%s, curver:%s, ver:%s", strApp.c_str(),
               strVersion.c_str(), lpszRequiredVersion);

    IDiagOBPP2Cmpt* lpApp = nullptr;
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDiagOBPP2Cmpt,
                                  reinterpret_cast<void**>(&lpApp));
    if (FAILED(hr))
    {
        // A server on its way out is waited for: the next try reaches the
        // instance that COM starts after it.
        hr = FdCom::hrCreateInstance(clsid, CLSCTX_LOCAL_SERVER, IID_IDiagOBPP2Cmpt,
                                     reinterpret_cast<void**>(&lpApp));
        if (FAILED(hr))
            vRaise(kLaunchCantCreate, static_cast<uint32_t>(hr), "Application:%s, erreur:%.8X-%s",
                   strApp.c_str(), static_cast<unsigned>(hr),
                   strErrorText(static_cast<uint32_t>(hr)).c_str());
        m_boLocalServer = true;
    }
    m_app = FdWin::TComRef<IDiagOBPP2Cmpt>::adopt(lpApp);

    if (m_boLocalServer)
        vEnterKillableTable(FdCom::strGuidText(clsid));
}

void CLaunchedApp::vEnterKillableTable(const std::string& strClsid)
{
    const std::string strKey = "CLSID\\" + strClsid + "\\LocalServer32";
    FdWin::CRegKey key;
    if (key.lOpen(HKEY_CLASSES_ROOT, strKey.c_str(), KEY_READ) != ERROR_SUCCESS)
    {
        vPlugTrace("!ERREUR! CLaunchedApp::CLaunchedApp -> impossible d'ouvrir la clef HKLM\\%s",
                   strKey.c_str());
        return;
    }
    char szRaw[kServerPathMax + 1] = "";
    DWORD dwSize = kServerPathMax;
    if (RegQueryValueExA(key.h(), nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(szRaw), &dwSize) !=
        ERROR_SUCCESS)
    {
        vPlugTrace("!ERREUR! CLaunchedApp::CLaunchedApp -> impossible d'ouvrir la clef HKLM\\CLSID\\%s",
                   strClsid.c_str());
        return;
    }
    szRaw[dwSize < kServerPathMax ? dwSize : kServerPathMax] = '\0';
    char szExpanded[kServerPathMax + 1] = "";
    std::string strPath = szRaw;
    const DWORD n = ExpandEnvironmentStringsA(szRaw, szExpanded, sizeof szExpanded);
    if (n == 0 || n > sizeof szExpanded)
        vPlugTrace("!Warning! CLaunchedApp::CLaunchedApp -> ExpandEnvironmentStrings a échoué");
    else
        strPath = szExpanded;

    std::lock_guard<std::mutex> lock(g_serverUsesLock);
    int& iUses = g_serverUses[strUseKey(strPath)];
    if (iUses == 0 && !CKillableProcessMap::Get().boAddName(strPath.c_str()))
    {
        vPlugTrace(
            "!ERREUR! CLaunchedApp::CLaunchedApp -> impossible de rajouter le composant lancé à la liste des "
            "composants");
        g_serverUses.erase(strUseKey(strPath));
        return;
    }
    ++iUses;
    m_strServerPath = strPath;
}

CLaunchedApp::~CLaunchedApp()
{
    vRelease();
}

bool CLaunchedApp::boBindWithObpp(CPlugInst* lpPlug, const CParamList& params)
{
    CPlugTrace trace(lpPlug ? lpPlug->lpszGetTraceLabel() : nullptr, "CLaunchedApp::boBindWithObpp");
    if (!m_app)
    {
        vPlugTrace("!ERREUR! CLaunchedApp::boBindWithObpp -> m_lpApp est NULL !");
        return false;
    }
    IDiagCmpt2OBPP2* lpItf = nullptr;
    if (FAILED(FdCom::TComObject<CImplCallback>::hrCreate(IID_IDiagCmpt2OBPP2,
                                                          reinterpret_cast<void**>(&lpItf))) ||
        !lpItf)
    {
        vPlugTrace("!ERREUR! CLaunchedApp::boBindWithObpp -> erreur à la création du sink !");
        return false;
    }
    // The record's reference is taken before the component sees the callback.
    CImplCallback* lpCallback = static_cast<CImplCallback*>(lpItf);
    lpCallback->vAttach(lpPlug, m_app.p());

    unsigned long dwCookie = 0;
    bool boNewAdvise = false;
    HRESULT hr;
    IDiagOBPP2Cmpt2* lpApp2 = nullptr;
    if (SUCCEEDED(m_app->QueryInterface(IID_IDiagOBPP2Cmpt2, reinterpret_cast<void**>(&lpApp2))) && lpApp2)
    {
        hr = lpApp2->Advise2(lpCallback, &dwCookie);
        lpApp2->Release();
        boNewAdvise = true;
    }
    else
        hr = m_app->Advise(lpCallback, &dwCookie);
    if (FAILED(hr))
    {
        vPlugTrace("!ERREUR! CLaunchedApp::boBindWithObpp -> l'application a refusé le pointeur de callback "
                   "(Erreur %.8X-%s)",
                   static_cast<unsigned>(hr), strErrorText(static_cast<uint32_t>(hr)).c_str());
        lpCallback->vDetach();
        lpItf->Release();
        return false;
    }
    vPlugTrace("CLaunchedApp::boBindWithObpp -> pointeur de callback %p passé à l'application (cookie=%ld, "
               "boNewAdvise=%ld)",
               static_cast<void*>(lpCallback), static_cast<long>(dwCookie), static_cast<long>(boNewAdvise));
    lpCallback->vSetCookie(dwCookie);
    m_lpCallback = lpCallback;

    vPlugTrace(
        "CLaunchedApp::boBindWithObpp -> communique la version courante (%ld) de l'obpp à l'application",
        2000L);
    // Keep the component alive through its own calls back (it may leave meanwhile).
    const FdWin::TComRef<IDiagOBPP2Cmpt> app = m_app;
    app->SetParameter(FdCom::CBstr(CommonOB::kszKeyVersion).bstr(),
                      FdCom::CBstr(CommonOB::kszPlugInVersion).bstr());
    app->ExecuteCmd(FdCom::CBstr(CommonOB::kszCmdSetVer).bstr());

    CParamList walk(params);
    walk.vSetCursor(0);
    while (const CParamPair* lpPair = walk.lpGetNext())
    {
        if (boAnsiEqualNoCase(lpPair->lpszGetName(), CommonOB::kszKeyCmd))
        {
            vPlugTrace("CLaunchedApp::boBindWithObpp -> exécute la commande %s", sz(lpPair->lpszGetValue()));
            app->ExecuteCmd(FdCom::CBstr(sz(lpPair->lpszGetValue())).bstr());
        }
        else
        {
            vPlugTrace("CLaunchedApp::boBindWithObpp -> passe le paramètre (%s,%s)",
                       sz(lpPair->lpszGetName()), sz(lpPair->lpszGetValue()));
            app->SetParameter(FdCom::CBstr(sz(lpPair->lpszGetName())).bstr(),
                              FdCom::CBstr(sz(lpPair->lpszGetValue())).bstr());
        }
    }
    return true;
}

void CLaunchedApp::vRelease()
{
    if (m_boLocalServer && !m_strServerPath.empty())
    {
        std::lock_guard<std::mutex> lock(g_serverUsesLock);
        auto it = g_serverUses.find(strUseKey(m_strServerPath));
        if (it != g_serverUses.end() && --it->second <= 0)
        {
            g_serverUses.erase(it);
            CKillableProcessMap::Get().boRemoveName(m_strServerPath.c_str());
        }
    }
    m_strServerPath.clear();
    if (CImplCallback* lpCallback = m_lpCallback)
    {
        m_lpCallback = nullptr;
        lpCallback->vDetach();
        // A local server holds the callback through COM's stubs, and one that
        // died never lets it go: the stubs drop it now, while this module is
        // loaded, instead of calling into it after the browser unloaded it.
        CoDisconnectObject(static_cast<IDiagCmpt2OBPP2*>(lpCallback), 0);
        static_cast<IDiagCmpt2OBPP2*>(lpCallback)->Release();
    }
    m_app.vReset();
}
