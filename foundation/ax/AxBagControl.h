// What the suite's ActiveX controls share beyond the in-place side: creation
// that lets nothing escape, IPersistPropertyBag around the control's own Load,
// and the reading of the page's string PARAMs from the property bag.
#pragma once

#include "AxInPlaceControl.h"
#include "FdComObject.h"

#include <ocidl.h>

#include <functional>
#include <string>

namespace FdAx
{
// A new control T for riid: whatever its construction throws, the container
// sees E_OUTOFMEMORY.
template <class T> HRESULT hrCreateControl(REFIID riid, void** ppv)
{
    try
    {
        return FdCom::TComObject<T>::hrCreate(riid, ppv);
    }
    catch (...)
    {
        return E_OUTOFMEMORY;
    }
}

// An in-place control that the page initialises from its PARAMs: the control
// writes Load and lists IPersistPropertyBag (via IPersist) in its map.
class CPropertyBagControl : public CInPlaceControl, public IPersistPropertyBag
{
public:
    STDMETHODIMP GetClassID(CLSID* pClassID) override;
    STDMETHODIMP InitNew() override { return S_OK; }
    STDMETHODIMP Save(IPropertyBag*, BOOL, BOOL) override { return E_NOTIMPL; }
};

// Which properties of the bag count: all whose value reads as a string, or
// only those the bag also declares as strings.
enum class EBagStrings
{
    AnyDeclared,
    DeclaredAsString
};

// Calls onString(name, value) for each string property of pPropBag, in the
// bag's order, through IPropertyBag2; value may be null (an empty BSTR).
// Nothing happens when the bag has no IPropertyBag2. Properties that cannot
// be read are passed over.
void vReadStringProperties(IPropertyBag* pPropBag, IErrorLog* pErrorLog, EBagStrings eWhich,
                           const std::function<void(const std::string& name, BSTR value)>& onString);
} // namespace FdAx
