// SampleCmptDll.dll: the sample component as an in-process server.
#include "SampleCmpt.h"

namespace
{
const FdCom::SClassEntry g_classes[] = {{&CLSID_SampleCmptDll, hrCreateSampleCmpt, "SampleCmptDll Class",
                                         "FdTestbed.SampleCmptDll.1", "FdTestbed.SampleCmptDll", "Apartment",
                                         0, nullptr}};
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
