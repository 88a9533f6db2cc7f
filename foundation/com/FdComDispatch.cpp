#include "FdComDispatch.h"

namespace FdCom
{
HRESULT hrLoadTypeInfo(REFGUID libid, REFIID riid, ITypeInfo** ppTypeInfo)
{
    *ppTypeInfo = nullptr;
    CModule& module = CModule::Get();
    const std::string strModule = module.pszModulePath();
    for (int i = 1; FindResourceA(module.hModule(), MAKEINTRESOURCEA(i), "TYPELIB"); ++i)
    {
        std::string strLib = i > 1 ? strModule + "\\" + std::to_string(i) : strModule;
        wchar_t wsz[MAX_PATH + 8];
        if (!MultiByteToWideChar(CP_ACP, 0, strLib.c_str(), -1, wsz, MAX_PATH + 8))
            continue;
        ITypeLib* pLib = nullptr;
        if (FAILED(LoadTypeLibEx(wsz, REGKIND_NONE, &pLib)))
            continue;
        TLIBATTR* pAttr = nullptr;
        bool boMatch = SUCCEEDED(pLib->GetLibAttr(&pAttr)) && IsEqualGUID(pAttr->guid, libid);
        if (pAttr)
            pLib->ReleaseTLibAttr(pAttr);
        HRESULT hr = boMatch ? pLib->GetTypeInfoOfGuid(riid, ppTypeInfo) : TYPE_E_ELEMENTNOTFOUND;
        pLib->Release();
        if (boMatch)
            return hr;
    }
    // Not embedded here: the registered library.
    ITypeLib* pLib = nullptr;
    HRESULT hr = LoadRegTypeLib(libid, 1, 0, LOCALE_NEUTRAL, &pLib);
    if (FAILED(hr))
        return hr;
    hr = pLib->GetTypeInfoOfGuid(riid, ppTypeInfo);
    pLib->Release();
    return hr;
}
} // namespace FdCom
