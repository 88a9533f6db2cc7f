#include "AxBagControl.h"

#include "ComRef.h"
#include "FdBstr.h"

namespace FdAx
{
namespace
{
// A property's description from IPropertyBag2::GetPropertyInfo, its name freed on every way out.
struct SPropInfo
{
    PROPBAG2 info = {};
    SPropInfo() = default;
    SPropInfo(const SPropInfo&) = delete;
    SPropInfo& operator=(const SPropInfo&) = delete;
    ~SPropInfo() { CoTaskMemFree(info.pstrName); }
};

// A VARIANT cleared on every way out.
struct SVariant
{
    VARIANT v;
    SVariant() { VariantInit(&v); }
    SVariant(const SVariant&) = delete;
    SVariant& operator=(const SVariant&) = delete;
    ~SVariant() { VariantClear(&v); }
};
} // namespace

STDMETHODIMP CPropertyBagControl::GetClassID(CLSID* pClassID)
{
    if (!pClassID)
        return E_POINTER;
    *pClassID = ControlClassId();
    return S_OK;
}

void vReadStringProperties(IPropertyBag* pPropBag, IErrorLog* pErrorLog, EBagStrings eWhich,
                           const std::function<void(const std::string& name, BSTR value)>& onString)
{
    FdWin::TComRef<IPropertyBag2> bag2;
    if (!pPropBag || FAILED(pPropBag->QueryInterface(IID_IPropertyBag2, bag2.ppvOut())))
        return;
    ULONG ulCount = 0;
    if (FAILED(bag2->CountProperties(&ulCount)))
        ulCount = 0;
    for (ULONG i = 0; i < ulCount; ++i)
    {
        SPropInfo prop;
        ULONG ulGot = 0;
        if (FAILED(bag2->GetPropertyInfo(i, 1, &prop.info, &ulGot)) || ulGot != 1)
            continue;
        if (eWhich == EBagStrings::DeclaredAsString && prop.info.vt != VT_BSTR)
            continue;
        SVariant value;
        HRESULT hrRead = S_OK;
        if (SUCCEEDED(bag2->Read(1, &prop.info, pErrorLog, &value.v, &hrRead)) && SUCCEEDED(hrRead) &&
            value.v.vt == VT_BSTR)
            onString(FdCom::strFromWide(prop.info.pstrName), value.v.bstrVal);
    }
}
} // namespace FdAx
