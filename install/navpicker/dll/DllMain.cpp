// navpicker.dll's entry point and its in-process server entry points, which
// serve no class and register the empty type library.
#include "FdComModule.h"

#include <windows.h>

namespace
{
const FdCom::SServerInfo g_info = {nullptr, 0, nullptr, nullptr, true};
} // namespace

BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID)
{
    if (dwReason == DLL_PROCESS_ATTACH)
    {
        FdCom::CModule::Get();
        DisableThreadLibraryCalls(hInstance);
        // The library's state lives until the process ends: it pins itself
        // through its own handle (loading a file by name here could take
        // another module of that name).
        HMODULE hPinned = nullptr;
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                           reinterpret_cast<const char*>(&DllMain), &hPinned);
    }
    return TRUE;
}

extern "C" HRESULT __stdcall DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv)
{
    return FdCom::CModule::Get().hrGetClassObject(g_info, rclsid, riid, ppv);
}

// The library stays loaded whatever its lock count: its state is the process's.
extern "C" HRESULT __stdcall DllCanUnloadNow()
{
    return S_FALSE;
}

extern "C" HRESULT __stdcall DllRegisterServer()
{
    return FdCom::CModule::Get().hrRegister(g_info, false);
}

extern "C" HRESULT __stdcall DllUnregisterServer()
{
    return FdCom::CModule::Get().hrUnregister(g_info, false);
}
