// The COM module of one program or DLL: lock count, class table, class
// objects, self-registration and the idle exit of local servers.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <atomic>
#include <cstddef>

namespace FdCom
{
// One row of a class's extra registry data, below HKCR\CLSID\{clsid}:
// subkey (empty for the class key itself), value name (null for the default
// value) and data; "%MODULE%" in the data becomes the module's path.
struct SRegValue
{
    const char* pszSubKey;
    const char* pszName;
    const char* pszData;
};

// One COM class served by the module.
struct SClassEntry
{
    const CLSID* pclsid;
    HRESULT (*pfnCreate)(REFIID riid, void** ppv); // a new object, or the singleton
    const char* pszDescription;                    // default value of the CLSID key
    const char* pszProgId;                         // "Maker.Class.1", or null
    const char* pszVersionIndependentProgId;       // "Maker.Class", or null
    const char* pszThreadingModel;                 // in-process classes: "Apartment", "Both"...
    DWORD dwRegCls;                                // local servers: REGCLS_MULTIPLEUSE or REGCLS_SINGLEUSE
    const SRegValue* pExtra;                       // extra values, ended by a row of nulls; may be null
};

// What a module serves and registers.
struct SServerInfo
{
    const SClassEntry* pClasses;
    std::size_t nClasses;
    const GUID* pAppId;       // local servers: the AppID written for every class; may be null
    const char* pszAppIdName; // default value of the AppID key
    bool boTypeLibrary;       // the module holds TYPELIB resources 1, 2, ... to register
};

enum class ERegSwitch
{
    None,
    RegServer,
    UnregServer
};

// "RegServer" or "UnregServer" after "-" or "/", in any case, anywhere on
// the command line.
ERegSwitch eFindRegSwitch(const char* pszCmdLine);

class CModule
{
public:
    static CModule& Get();

    LONG lLock();
    LONG lUnlock();
    LONG lLockCount() const { return m_lLocks.load(); }

    // The module (EXE or DLL) that this library is linked into.
    HMODULE hModule() const;
    // Its full path.
    const char* pszModulePath() const;

    // Registration of every class of info (CLSID, LocalServer32 or
    // InprocServer32 + ThreadingModel, ProgIDs with CurVer, AppID) and of the
    // module's type libraries. bLocalServer picks LocalServer32.
    HRESULT hrRegister(const SServerInfo& info, bool bLocalServer);
    // Removes exactly what hrRegister wrote.
    HRESULT hrUnregister(const SServerInfo& info, bool bLocalServer);

    // Local servers: registers the class objects (suspended, then resumed
    // together) and revokes them.
    HRESULT hrRegisterClassObjects(const SServerInfo& info);
    void vRevokeClassObjects();

    // Local servers: once the lock count has stayed at zero for dwMs, the
    // thread message kIdleExitMessage is posted to dwThreadId, the thread
    // that registered the class objects and serves activations. Its loop
    // hands every message to boOnIdleExitMessage, which, when the count is
    // still zero, revokes the class objects and posts WM_QUIT: no new
    // activation can reach the dying process. The countdown also runs from
    // start-up (at least 15 s), so a server nobody uses does not linger.
    static const UINT kIdleExitMessage = WM_APP + 0x3A0;
    void vStartIdleExit(DWORD dwMs, DWORD dwThreadId);
    void vStopIdleExit();
    // True when msg was the idle-exit message (handled).
    bool boOnIdleExitMessage(const MSG& msg);
    // GetMessage for a local server's loop. An activation that reached a
    // class object just before the idle exit revoked it can still make an
    // object: the WM_QUIT of that idle exit is then held back and the
    // object served until it goes (the idle exit runs again after it).
    BOOL bGetServerMessage(MSG* pMsg);
    // For loops of their own: true when a WM_QUIT just taken is to be
    // ignored for that reason.
    bool boHoldIdleQuit();

    // In-process servers.
    HRESULT hrGetClassObject(const SServerInfo& info, REFCLSID rclsid, REFIID riid, void** ppv);
    HRESULT hrCanUnloadNow() const { return m_lLocks.load() == 0 ? S_OK : S_FALSE; }

private:
    CModule() = default;
    static DWORD WINAPI dwIdleThread(void* pv);
    void vIdleLoop();

    std::atomic<LONG> m_lLocks{0};
    DWORD m_adwCookies[32] = {};
    std::size_t m_nCookies = 0;
    HANDLE m_hIdleEvent = nullptr; // set on activity (a lock change)
    HANDLE m_hIdleStop = nullptr;
    HANDLE m_hIdleThread = nullptr;
    std::atomic<bool> m_boActivity{false};
    DWORD m_dwIdleMs = 0;
    DWORD m_dwMainThread = 0;
    bool m_boIdleQuitPosted = false; // main thread only
};

// A local server's whole WinMain when it serves info and nothing else: enters
// the apartment, runs CLocalServer (FdLocalServer.h), and leaves COM only if
// it was entered.
int iLocalServerMain(const SServerInfo& info, const char* pszCmdLine, DWORD dwIdleExitMs);
} // namespace FdCom

// The four exports of an in-process server over one class table; the .def
// file names them.
#define FD_COM_DLL_EXPORTS(info)                                                                             \
    extern "C" HRESULT __stdcall DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv)                 \
    {                                                                                                        \
        return FdCom::CModule::Get().hrGetClassObject(info, rclsid, riid, ppv);                              \
    }                                                                                                        \
    extern "C" HRESULT __stdcall DllCanUnloadNow()                                                           \
    {                                                                                                        \
        return FdCom::CModule::Get().hrCanUnloadNow();                                                       \
    }                                                                                                        \
    extern "C" HRESULT __stdcall DllRegisterServer()                                                         \
    {                                                                                                        \
        return FdCom::CModule::Get().hrRegister(info, false);                                                \
    }                                                                                                        \
    extern "C" HRESULT __stdcall DllUnregisterServer()                                                       \
    {                                                                                                        \
        return FdCom::CModule::Get().hrUnregister(info, false);                                              \
    }
