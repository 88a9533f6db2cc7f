#include "FdComModule.h"

#include "FdBstr.h"
#include "FdLocalServer.h"

#include <windows.h>
#include <oleauto.h>
#include <cctype>
#include <cstring>
#include <string>

namespace FdCom
{
namespace
{
const std::size_t kMaxClasses = 32;

LONG lSetValue(HKEY hRoot, const std::string& strKey, const char* pszName, const std::string& strData)
{
    HKEY hKey;
    LONG l = RegCreateKeyExA(hRoot, strKey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &hKey, nullptr);
    if (l != ERROR_SUCCESS)
        return l;
    l = RegSetValueExA(hKey, pszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(strData.c_str()),
                       static_cast<DWORD>(strData.size() + 1));
    RegCloseKey(hKey);
    return l;
}

// Removes a key and everything below it; a key that is not there is fine.
LONG lDeleteTree(HKEY hRoot, const std::string& strKey)
{
    LONG l = RegDeleteTreeA(hRoot, strKey.c_str());
    if (l == ERROR_FILE_NOT_FOUND)
        return ERROR_SUCCESS;
    if (l == ERROR_SUCCESS)
        l = RegDeleteKeyA(hRoot, strKey.c_str());
    return l == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : l;
}

std::string strReplaceModule(const char* pszData, const std::string& strModule)
{
    std::string s = pszData ? pszData : "";
    const std::string token = "%MODULE%";
    for (std::size_t pos = s.find(token); pos != std::string::npos;
         pos = s.find(token, pos + strModule.size()))
        s.replace(pos, token.size(), strModule);
    return s;
}

std::string strFileName(const std::string& strPath)
{
    std::size_t pos = strPath.find_last_of("\\/");
    return pos == std::string::npos ? strPath : strPath.substr(pos + 1);
}

// Type libraries of the module: resource index 1, 2, ...
template <class F> HRESULT hrForEachTypeLib(HMODULE hModule, const std::string& strPath, F f)
{
    for (int i = 1; FindResourceA(hModule, MAKEINTRESOURCEA(i), "TYPELIB"); ++i)
    {
        std::string strLib = strPath;
        if (i > 1)
            strLib += "\\" + std::to_string(i);
        int n = MultiByteToWideChar(CP_ACP, 0, strLib.c_str(), -1, nullptr, 0);
        std::wstring w(static_cast<std::size_t>(n), L'\0');
        MultiByteToWideChar(CP_ACP, 0, strLib.c_str(), -1, &w[0], n);
        HRESULT hr = f(w.c_str());
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}

// Class object over one class table row. Its references do not lock the
// module; LockServer does.
class CClassFactory final : public IClassFactory
{
public:
    explicit CClassFactory(const SClassEntry* pEntry) : m_pEntry(pEntry) {}
    virtual ~CClassFactory() = default;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory))
        {
            *ppv = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++m_lRef); }
    STDMETHODIMP_(ULONG) Release() override
    {
        LONG l = --m_lRef;
        if (l == 0)
            delete this;
        return static_cast<ULONG>(l);
    }
    STDMETHODIMP CreateInstance(IUnknown* pOuter, REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (pOuter)
            return CLASS_E_NOAGGREGATION;
        return m_pEntry->pfnCreate(riid, ppv);
    }
    STDMETHODIMP LockServer(BOOL fLock) override
    {
        if (fLock)
            CModule::Get().lLock();
        else
            CModule::Get().lUnlock();
        return S_OK;
    }

private:
    const SClassEntry* m_pEntry;
    std::atomic<LONG> m_lRef{0};
};

bool boWordIs(const char* p, std::size_t n, const char* pszWord)
{
    if (std::strlen(pszWord) != n)
        return false;
    for (std::size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(p[i])) !=
            std::tolower(static_cast<unsigned char>(pszWord[i])))
            return false;
    return true;
}
} // namespace

ERegSwitch eFindRegSwitch(const char* pszCmdLine)
{
    if (!pszCmdLine)
        return ERegSwitch::None;
    for (const char* p = pszCmdLine; *p; ++p)
    {
        if (*p != '-' && *p != '/')
            continue;
        const char* pWord = p + 1;
        std::size_t n = 0;
        while (pWord[n] && std::isalpha(static_cast<unsigned char>(pWord[n])))
            ++n;
        if (boWordIs(pWord, n, "UnregServer"))
            return ERegSwitch::UnregServer;
        if (boWordIs(pWord, n, "RegServer"))
            return ERegSwitch::RegServer;
    }
    return ERegSwitch::None;
}

CModule& CModule::Get()
{
    static CModule s_module;
    return s_module;
}

HMODULE CModule::hModule() const
{
    HMODULE h = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&CModule::Get), &h);
    return h;
}

const char* CModule::pszModulePath() const
{
    static char s_szPath[MAX_PATH];
    if (!s_szPath[0])
        GetModuleFileNameA(hModule(), s_szPath, MAX_PATH);
    return s_szPath;
}

LONG CModule::lLock()
{
    LONG l = ++m_lLocks;
    m_boActivity = true;
    return l;
}

LONG CModule::lUnlock()
{
    LONG l = --m_lLocks;
    if (l == 0)
    {
        m_boActivity = true;
        if (m_hIdleEvent)
            SetEvent(m_hIdleEvent);
    }
    return l;
}

HRESULT CModule::hrRegister(const SServerInfo& info, bool bLocalServer)
{
    const std::string strModule = pszModulePath();
    const std::string strServer =
        strModule.find(' ') != std::string::npos ? "\"" + strModule + "\"" : strModule;
    LONG l = ERROR_SUCCESS;
    auto set = [&l](const std::string& key, const char* name, const std::string& data)
    {
        if (l == ERROR_SUCCESS)
            l = lSetValue(HKEY_CLASSES_ROOT, key, name, data);
    };
    for (std::size_t i = 0; i < info.nClasses; ++i)
    {
        const SClassEntry& c = info.pClasses[i];
        const std::string strClsid = FdCom::strGuidText(*c.pclsid);
        const std::string strKey = "CLSID\\" + strClsid;
        set(strKey, nullptr, c.pszDescription ? c.pszDescription : "");
        if (bLocalServer)
        {
            set(strKey + "\\LocalServer32", nullptr, strServer);
            if (info.pAppId)
                set(strKey, "AppID", FdCom::strGuidText(*info.pAppId));
        }
        else
        {
            set(strKey + "\\InprocServer32", nullptr, strModule);
            if (c.pszThreadingModel)
                set(strKey + "\\InprocServer32", "ThreadingModel", c.pszThreadingModel);
        }
        if (c.pszProgId)
        {
            set(strKey + "\\ProgID", nullptr, c.pszProgId);
            set(c.pszProgId, nullptr, c.pszDescription ? c.pszDescription : "");
            set(std::string(c.pszProgId) + "\\CLSID", nullptr, strClsid);
        }
        if (c.pszVersionIndependentProgId)
        {
            set(strKey + "\\VersionIndependentProgID", nullptr, c.pszVersionIndependentProgId);
            set(c.pszVersionIndependentProgId, nullptr, c.pszDescription ? c.pszDescription : "");
            set(std::string(c.pszVersionIndependentProgId) + "\\CLSID", nullptr, strClsid);
            if (c.pszProgId)
                set(std::string(c.pszVersionIndependentProgId) + "\\CurVer", nullptr, c.pszProgId);
        }
        for (const SRegValue* p = c.pExtra; p && (p->pszSubKey || p->pszName || p->pszData); ++p)
        {
            std::string strSub = p->pszSubKey && *p->pszSubKey ? strKey + "\\" + p->pszSubKey : strKey;
            set(strSub, p->pszName, strReplaceModule(p->pszData, strModule));
        }
    }
    if (bLocalServer && info.pAppId)
    {
        const std::string strAppId = FdCom::strGuidText(*info.pAppId);
        set("AppID\\" + strAppId, nullptr, info.pszAppIdName ? info.pszAppIdName : "");
        set("AppID\\" + strFileName(strModule), "AppID", strAppId);
    }
    if (l != ERROR_SUCCESS)
        return HRESULT_FROM_WIN32(l);
    if (!info.boTypeLibrary)
        return S_OK;
    return hrForEachTypeLib(hModule(), strModule,
                            [](const wchar_t* pwszLib)
                            {
                                ITypeLib* pLib = nullptr;
                                HRESULT hr = LoadTypeLibEx(pwszLib, REGKIND_REGISTER, &pLib);
                                if (pLib)
                                    pLib->Release();
                                return hr;
                            });
}

HRESULT CModule::hrUnregister(const SServerInfo& info, bool bLocalServer)
{
    const std::string strModule = pszModulePath();
    HRESULT hrResult = S_OK;
    if (info.boTypeLibrary)
    {
        hrResult =
            hrForEachTypeLib(hModule(), strModule,
                             [](const wchar_t* pwszLib)
                             {
                                 ITypeLib* pLib = nullptr;
                                 HRESULT hr = LoadTypeLibEx(pwszLib, REGKIND_NONE, &pLib);
                                 if (FAILED(hr))
                                     return hr;
                                 TLIBATTR* pAttr = nullptr;
                                 hr = pLib->GetLibAttr(&pAttr);
                                 if (SUCCEEDED(hr))
                                 {
                                     hr = UnRegisterTypeLib(pAttr->guid, pAttr->wMajorVerNum,
                                                            pAttr->wMinorVerNum, pAttr->lcid, pAttr->syskind);
                                     // A library that was not registered is already gone.
                                     if (hr == TYPE_E_REGISTRYACCESS || hr == TYPE_E_CANTLOADLIBRARY)
                                         hr = S_OK;
                                     pLib->ReleaseTLibAttr(pAttr);
                                 }
                                 pLib->Release();
                                 return hr;
                             });
    }
    LONG l = ERROR_SUCCESS;
    auto del = [&l](const std::string& key)
    {
        LONG r = lDeleteTree(HKEY_CLASSES_ROOT, key);
        if (l == ERROR_SUCCESS)
            l = r;
    };
    for (std::size_t i = 0; i < info.nClasses; ++i)
    {
        const SClassEntry& c = info.pClasses[i];
        del("CLSID\\" + FdCom::strGuidText(*c.pclsid));
        if (c.pszProgId)
            del(c.pszProgId);
        if (c.pszVersionIndependentProgId)
            del(c.pszVersionIndependentProgId);
    }
    if (bLocalServer && info.pAppId)
    {
        del("AppID\\" + FdCom::strGuidText(*info.pAppId));
        del("AppID\\" + strFileName(strModule));
    }
    if (l != ERROR_SUCCESS)
        return HRESULT_FROM_WIN32(l);
    return hrResult;
}

HRESULT CModule::hrRegisterClassObjects(const SServerInfo& info)
{
    if (info.nClasses > kMaxClasses)
        return E_INVALIDARG;
    for (std::size_t i = 0; i < info.nClasses; ++i)
    {
        CClassFactory* pFactory = new CClassFactory(&info.pClasses[i]);
        pFactory->AddRef();
        DWORD dwCookie = 0;
        DWORD dwFlags = info.pClasses[i].dwRegCls ? info.pClasses[i].dwRegCls : DWORD(REGCLS_MULTIPLEUSE);
        HRESULT hr = CoRegisterClassObject(*info.pClasses[i].pclsid, pFactory, CLSCTX_LOCAL_SERVER,
                                           dwFlags | REGCLS_SUSPENDED, &dwCookie);
        pFactory->Release();
        if (FAILED(hr))
        {
            vRevokeClassObjects();
            return hr;
        }
        m_adwCookies[m_nCookies++] = dwCookie;
    }
    return CoResumeClassObjects();
}

void CModule::vRevokeClassObjects()
{
    for (std::size_t i = 0; i < m_nCookies; ++i)
        CoRevokeClassObject(m_adwCookies[i]);
    m_nCookies = 0;
}

void CModule::vStartIdleExit(DWORD dwMs, DWORD dwThreadId)
{
    if (m_hIdleThread)
        return;
    m_dwIdleMs = dwMs;
    m_dwMainThread = dwThreadId;
    m_hIdleEvent = CreateEventA(nullptr, FALSE, TRUE, nullptr); // counts down from start-up
    m_hIdleStop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_hIdleThread = CreateThread(nullptr, 0, dwIdleThread, this, 0, nullptr);
}

void CModule::vStopIdleExit()
{
    if (!m_hIdleThread)
        return;
    SetEvent(m_hIdleStop);
    WaitForSingleObject(m_hIdleThread, INFINITE);
    CloseHandle(m_hIdleThread);
    CloseHandle(m_hIdleEvent);
    CloseHandle(m_hIdleStop);
    m_hIdleThread = m_hIdleEvent = m_hIdleStop = nullptr;
}

DWORD WINAPI CModule::dwIdleThread(void* pv)
{
    static_cast<CModule*>(pv)->vIdleLoop();
    return 0;
}

void CModule::vIdleLoop()
{
    HANDLE ah[2] = {m_hIdleStop, m_hIdleEvent};
    // The first activation of a server that COM starts can take a while to
    // arrive: the start-up countdown is never shorter than this.
    const DWORD kStartupGraceMs = 15000;
    bool boStartup = true;
    for (;;)
    {
        // Wait for the lock count to reach zero (or start-up).
        if (WaitForMultipleObjects(2, ah, FALSE, INFINITE) == WAIT_OBJECT_0)
            return;
        // Then for quiet periods of the whole delay.
        for (;;)
        {
            m_boActivity = false;
            DWORD dwWait = boStartup && m_dwIdleMs < kStartupGraceMs ? kStartupGraceMs : m_dwIdleMs;
            boStartup = false;
            DWORD dw = WaitForMultipleObjects(2, ah, FALSE, dwWait);
            if (dw == WAIT_OBJECT_0)
                return;
            if (dw == WAIT_OBJECT_0 + 1)
                continue;
            if (m_boActivity || m_lLocks.load() != 0)
                break;
            // The main thread decides: activations are served on it, so a
            // check and a revocation there cannot race with one. Posted again
            // after each quiet period in case a modal loop dropped it.
            PostThreadMessageA(m_dwMainThread, kIdleExitMessage, 0, 0);
        }
    }
}

bool CModule::boOnIdleExitMessage(const MSG& msg)
{
    if (msg.hwnd || msg.message != kIdleExitMessage)
        return false;
    if (m_lLocks.load() == 0)
    {
        vRevokeClassObjects();
        m_boIdleQuitPosted = true;
        PostQuitMessage(0);
    }
    return true;
}

BOOL CModule::bGetServerMessage(MSG* pMsg)
{
    for (;;)
    {
        const BOOL b = GetMessageA(pMsg, nullptr, 0, 0);
        if (b != 0 || !boHoldIdleQuit())
            return b;
    }
}

bool CModule::boHoldIdleQuit()
{
    if (!m_boIdleQuitPosted || m_lLocks.load() == 0)
        return false;
    m_boIdleQuitPosted = false;
    return true;
}

HRESULT CModule::hrGetClassObject(const SServerInfo& info, REFCLSID rclsid, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    for (std::size_t i = 0; i < info.nClasses; ++i)
    {
        if (!IsEqualCLSID(rclsid, *info.pClasses[i].pclsid))
            continue;
        CClassFactory* pFactory = new CClassFactory(&info.pClasses[i]);
        pFactory->AddRef();
        HRESULT hr = pFactory->QueryInterface(riid, ppv);
        pFactory->Release();
        return hr;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

int iLocalServerMain(const SServerInfo& info, const char* pszCmdLine, DWORD dwIdleExitMs)
{
    HRESULT hrInit = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(hrInit))
        return static_cast<int>(hrInit);
    int iResult = CLocalServer(info, info, dwIdleExitMs).iRun(pszCmdLine);
    CoUninitialize();
    return iResult;
}
} // namespace FdCom
