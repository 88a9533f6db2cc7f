// The chat as an ActiveX control: an in-place control whose window the
// browser emulation hands to the plug-in as its window, with the page's
// string PARAMs as the instance's arguments.
#pragma once

#include "AxBagControl.h"
#include "AxVerboltTlb.h"
#include "FdComDispatch.h"
#include "FdComObject.h"
#include "PlgnHlpr.h"

#include <ocidl.h>

namespace ChatPlugin
{
class CAxVerbolt : public CxPlgnHlpr,
                   public FdCom::CObjectRoot,
                   public FdCom::TDispatchImpl<IAxVerbolt, &LIBID_CHATTABELLib>,
                   public FdAx::CPropertyBagControl
{
public:
    static constexpr const char* kszWindowClass = "VerboltAxWindow";
    static constexpr DWORD kMiscStatus = 131473;

    FD_COM_BEGIN_MAP(CAxVerbolt, IAxVerbolt)
    FD_COM_ENTRY(IAxVerbolt)
    FD_COM_ENTRY_VIA(IDispatch, IAxVerbolt)
    FD_COM_ENTRY(IOleObject)
    FD_COM_ENTRY_VIA(IOleWindow, IOleInPlaceObject)
    FD_COM_ENTRY(IOleInPlaceObject)
    FD_COM_ENTRY(IOleInPlaceActiveObject)
    FD_COM_ENTRY_VIA(IPersist, IPersistPropertyBag)
    FD_COM_ENTRY(IPersistPropertyBag)
    FD_COM_END_MAP()

    CAxVerbolt() = default;
    ~CAxVerbolt() override;
    static HRESULT hrCreate(REFIID riid, void** ppv);

    // ---- IPersistPropertyBag
    STDMETHODIMP Load(IPropertyBag* pPropBag, IErrorLog* pErrorLog) override;

protected:
    bool boHasSite() override { return static_cast<bool>(m_site); }
    void vNavigate(const std::string& url, const std::string& target) override;

private:
    HWND hwndCreateControlWindow(HWND hwndParent, const RECT& rc) override;
    void vDestroyControlWindow() override;
    const CLSID& ControlClassId() const override { return CLSID_AxVerbolt; }
    DWORD dwControlMiscStatus() const override { return kMiscStatus; }
    // The page's address from the hosting browser; empty when none answers.
    std::string strPageUrl();
    static LRESULT CALLBACK lWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
};
} // namespace ChatPlugin
