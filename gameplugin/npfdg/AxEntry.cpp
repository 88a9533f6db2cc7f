// npfdg's COM entry points: the ActiveX control's class object and its
// registration (registry values and the type library).
#include "AxModule.h"
#include "FdComModule.h"
#include "PlugInst.h"

#include <objbase.h>

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow()
{
    return FdCom::CModule::Get().hrCanUnloadNow();
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv)
{
    return FdCom::CModule::Get().hrGetClassObject(AxModule::info(), rclsid, riid, ppv);
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer()
{
    return FdCom::CModule::Get().hrRegister(AxModule::info(), false);
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer()
{
    return FdCom::CModule::Get().hrUnregister(AxModule::info(), false);
}
