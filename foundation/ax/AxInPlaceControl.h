// The in-place control side of the suite's ActiveX controls: IOleObject,
// IOleInPlaceObject and IOleInPlaceActiveObject as a container drives them
// (client site, DoVerb activation in the in-place site's window, extent,
// position, deactivation). The control class supplies its window, class id
// and misc status, and lists these interfaces in its own interface map.
#pragma once

#include "ComRef.h"

#include <ocidl.h>
#include <oleidl.h>

namespace FdAx
{
class CInPlaceControl : public IOleObject, public IOleInPlaceObject, public IOleInPlaceActiveObject
{
public:
    // ---- IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* pClientSite) override;
    STDMETHODIMP GetClientSite(IOleClientSite** ppClientSite) override;
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP Close(DWORD dwSaveOption) override;
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
    STDMETHODIMP DoVerb(LONG iVerb, LPMSG, IOleClientSite* pActiveSite, LONG, HWND hwndParent,
                        LPCRECT lprcPosRect) override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
    STDMETHODIMP Update() override { return S_OK; }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID* pClsid) override;
    STDMETHODIMP GetUserType(DWORD, LPOLESTR*) override { return OLE_S_USEREG; }
    STDMETHODIMP SetExtent(DWORD dwDrawAspect, SIZEL* psizel) override;
    STDMETHODIMP GetExtent(DWORD dwDrawAspect, SIZEL* psizel) override;
    STDMETHODIMP Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP Unadvise(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
    STDMETHODIMP GetMiscStatus(DWORD dwAspect, DWORD* pdwStatus) override;
    STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // ---- IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject
    STDMETHODIMP GetWindow(HWND* phwnd) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP InPlaceDeactivate() override;
    STDMETHODIMP UIDeactivate() override { return S_OK; }
    STDMETHODIMP SetObjectRects(LPCRECT lprcPosRect, LPCRECT lprcClipRect) override;
    STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(LPMSG) override { return S_FALSE; }
    STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }

protected:
    CInPlaceControl() = default;
    virtual ~CInPlaceControl();

    // The control's child window in hwndParent at rc; null (GetLastError) on failure.
    virtual HWND hwndCreateControlWindow(HWND hwndParent, const RECT& rc) = 0;
    // Destroys the window hwndCreateControlWindow made.
    virtual void vDestroyControlWindow() = 0;
    virtual const CLSID& ControlClassId() const = 0;
    virtual DWORD dwControlMiscStatus() const = 0;

    // Tells the in-place site that the control is UI-active (a click in it).
    void vUIActivate();
    // Destroys the window and forgets the sites: the control's teardown.
    void vReleaseSites();

    FdWin::TComRef<IOleClientSite> m_site;
    FdWin::TComRef<IOleInPlaceSite> m_inPlaceSite;
    HWND m_hwnd = nullptr; // while the control is active in place
    RECT m_rcPos = {};
    SIZEL m_sizeExtent = {2540, 2540};

private:
    HRESULT hrActivate(HWND hwndParent, LPCRECT lprcPos);
    void vDestroyWindow();
    bool m_boUIActive = false;
};
} // namespace FdAx
