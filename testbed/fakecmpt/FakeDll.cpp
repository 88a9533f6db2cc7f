// FakeCmptDll.dll: the fake component as an in-process server.
#include "FakeCmpt.h"

namespace
{
const FdCom::SClassEntry g_classes[] = {{&CLSID_FakeCmptDll, hrCreateFakeCmptDll, "FakeCmptDll Class",
                                         "FdTestbed.FakeCmptDll.1", "FdTestbed.FakeCmptDll", "Apartment", 0,
                                         nullptr}};
const FdCom::SServerInfo g_info = {g_classes, 1, nullptr, nullptr, true};
} // namespace

extern "C" HRESULT __stdcall DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv)
{
    return FdCom::CModule::Get().hrGetClassObject(g_info, rclsid, riid, ppv);
}

extern "C" HRESULT __stdcall DllCanUnloadNow()
{
    return FdCom::CModule::Get().hrCanUnloadNow();
}

extern "C" HRESULT __stdcall DllRegisterServer()
{
    return FdCom::CModule::Get().hrRegister(g_info, false);
}

extern "C" HRESULT __stdcall DllUnregisterServer()
{
    return FdCom::CModule::Get().hrUnregister(g_info, false);
}
