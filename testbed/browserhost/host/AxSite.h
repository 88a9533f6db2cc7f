// The container side of one ActiveX control: its client site, in-place
// site and frame (as little as showing it needs), and IHlinkFrame, found
// through the site's IServiceProvider under SID_SHlinkFrame, through which
// the control opens an address in a frame. Status texts and navigations go
// to the control's record in the session; once the control is closed the
// site forwards nothing more.
#pragma once

#include "FdComObject.h"

#include <hlink.h>
#include <oleidl.h>
#include <servprov.h>

#include <string>

namespace FdBrowserHost
{
class CAxControl;

class CAxSite : public FdCom::CObjectRoot,
                public IOleClientSite,
                public IOleInPlaceSite,
                public IOleInPlaceFrame,
                public IServiceProvider,
                public IHlinkFrame
{
public:
    CAxSite(CAxControl* pControl, HWND hwndParent, const RECT& rc);

    FD_COM_BEGIN_MAP(CAxSite, IOleClientSite)
    FD_COM_ENTRY(IOleClientSite)
    FD_COM_ENTRY(IOleInPlaceSite)
    FD_COM_ENTRY_VIA(IOleWindow, IOleInPlaceSite)
    FD_COM_ENTRY(IOleInPlaceFrame)
    FD_COM_ENTRY_VIA(IOleInPlaceUIWindow, IOleInPlaceFrame)
    FD_COM_ENTRY(IServiceProvider)
    // hlink.h gives IHlinkFrame no __uuidof.
    if (IsEqualIID(riid, IID_IHlinkFrame))
        return static_cast<IHlinkFrame*>(this);
    FD_COM_END_MAP()

    // The control's record is going: nothing is forwarded any more.
    void vDetach() { m_pControl = nullptr; }
    IOleInPlaceActiveObject* pActiveObject() const { return m_pActive; }
    void vReleaseActiveObject();

    // IOleClientSite
    STDMETHODIMP SaveObject() override;
    STDMETHODIMP GetMoniker(DWORD dwAssign, DWORD dwWhichMoniker, IMoniker** ppmk) override;
    STDMETHODIMP GetContainer(IOleContainer** ppContainer) override;
    STDMETHODIMP ShowObject() override;
    STDMETHODIMP OnShowWindow(BOOL fShow) override;
    STDMETHODIMP RequestNewObjectLayout() override;

    // IOleWindow (both the in-place site and the frame)
    STDMETHODIMP GetWindow(HWND* phwnd) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL fEnterMode) override;

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override;
    STDMETHODIMP OnInPlaceActivate() override;
    STDMETHODIMP OnUIActivate() override;
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc, LPRECT lprcPosRect,
                                  LPRECT lprcClipRect, LPOLEINPLACEFRAMEINFO lpFrameInfo) override;
    STDMETHODIMP Scroll(SIZE scrollExtant) override;
    STDMETHODIMP OnUIDeactivate(BOOL fUndoable) override;
    STDMETHODIMP OnInPlaceDeactivate() override;
    STDMETHODIMP DiscardUndoState() override;
    STDMETHODIMP DeactivateAndUndo() override;
    STDMETHODIMP OnPosRectChange(LPCRECT lprcPosRect) override;

    // IOleInPlaceUIWindow
    STDMETHODIMP GetBorder(LPRECT lprectBorder) override;
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS pborderwidths) override;
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS pborderwidths) override;
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* pActiveObject, LPCOLESTR pszObjName) override;

    // IOleInPlaceFrame
    STDMETHODIMP InsertMenus(HMENU hmenuShared, LPOLEMENUGROUPWIDTHS lpMenuWidths) override;
    STDMETHODIMP SetMenu(HMENU hmenuShared, HOLEMENU holemenu, HWND hwndActiveObject) override;
    STDMETHODIMP RemoveMenus(HMENU hmenuShared) override;
    STDMETHODIMP SetStatusText(LPCOLESTR pszStatusText) override;
    STDMETHODIMP EnableModeless(BOOL fEnable) override;
    STDMETHODIMP TranslateAccelerator(LPMSG lpmsg, WORD wID) override;

    // IServiceProvider
    STDMETHODIMP QueryService(REFGUID guidService, REFIID riid, void** ppv) override;

    // IHlinkFrame
    STDMETHODIMP SetBrowseContext(IHlinkBrowseContext* pihlbc) override;
    STDMETHODIMP GetBrowseContext(IHlinkBrowseContext** ppihlbc) override;
    STDMETHODIMP Navigate(DWORD grfHLNF, LPBC pbc, IBindStatusCallback* pibsc, IHlink* pihlNavigate) override;
    STDMETHODIMP OnNavigate(DWORD grfHLNF, IMoniker* pimkTarget, LPCWSTR pwzLocation, LPCWSTR pwzFriendlyName,
                            DWORD dwreserved) override;
    STDMETHODIMP UpdateHlink(ULONG uHLID, IMoniker* pimkTarget, LPCWSTR pwzLocation,
                             LPCWSTR pwzFriendlyName) override;

    ~CAxSite() override;

private:
    CAxControl* m_pControl;
    HWND m_hwndParent;
    RECT m_rc;
    IOleInPlaceActiveObject* m_pActive = nullptr;
};
} // namespace FdBrowserHost
