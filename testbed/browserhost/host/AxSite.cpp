#include "AxSite.h"

#include "AxBrowserApp.h"
#include "AxControl.h"
#include "FdBstr.h"

#include <urlmon.h>

#include <string>

namespace FdBrowserHost
{
CAxSite::CAxSite(CAxControl* pControl, HWND hwndParent, const RECT& rc)
    : m_pControl(pControl), m_hwndParent(hwndParent), m_rc(rc)
{
}

CAxSite::~CAxSite()
{
    vReleaseActiveObject();
}

void CAxSite::vReleaseActiveObject()
{
    if (m_pActive)
        m_pActive->Release();
    m_pActive = nullptr;
}

// ---- IOleClientSite
STDMETHODIMP CAxSite::SaveObject()
{
    return E_NOTIMPL;
}

STDMETHODIMP CAxSite::GetMoniker(DWORD, DWORD dwWhichMoniker, IMoniker** ppmk)
{
    if (!ppmk)
        return E_POINTER;
    *ppmk = nullptr;
    // The document's address: what relative addresses of the control are resolved against.
    if (dwWhichMoniker != OLEWHICHMK_CONTAINER || !m_pControl || m_pControl->strBaseUrl().empty())
        return E_NOTIMPL;
    return CreateURLMonikerEx(nullptr, FdCom::wstrFromAnsi(m_pControl->strBaseUrl()).c_str(), ppmk,
                              URL_MK_UNIFORM);
}

STDMETHODIMP CAxSite::GetContainer(IOleContainer** ppContainer)
{
    if (ppContainer)
        *ppContainer = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP CAxSite::ShowObject()
{
    return S_OK;
}

STDMETHODIMP CAxSite::OnShowWindow(BOOL)
{
    return S_OK;
}

STDMETHODIMP CAxSite::RequestNewObjectLayout()
{
    return E_NOTIMPL;
}

// ---- IOleWindow
STDMETHODIMP CAxSite::GetWindow(HWND* phwnd)
{
    if (!phwnd)
        return E_POINTER;
    *phwnd = m_hwndParent;
    return S_OK;
}

STDMETHODIMP CAxSite::ContextSensitiveHelp(BOOL)
{
    return E_NOTIMPL;
}

// ---- IOleInPlaceSite
STDMETHODIMP CAxSite::CanInPlaceActivate()
{
    return m_pControl ? S_OK : S_FALSE;
}

STDMETHODIMP CAxSite::OnInPlaceActivate()
{
    return S_OK;
}

STDMETHODIMP CAxSite::OnUIActivate()
{
    return S_OK;
}

STDMETHODIMP CAxSite::GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc,
                                       LPRECT lprcPosRect, LPRECT lprcClipRect,
                                       LPOLEINPLACEFRAMEINFO lpFrameInfo)
{
    if (!ppFrame || !ppDoc || !lprcPosRect || !lprcClipRect)
        return E_POINTER;
    *ppFrame = static_cast<IOleInPlaceFrame*>(this);
    (*ppFrame)->AddRef();
    *ppDoc = nullptr;
    *lprcPosRect = m_rc;
    *lprcClipRect = m_rc;
    if (lpFrameInfo)
    {
        lpFrameInfo->fMDIApp = FALSE;
        lpFrameInfo->hwndFrame = m_hwndParent;
        lpFrameInfo->haccel = nullptr;
        lpFrameInfo->cAccelEntries = 0;
    }
    return S_OK;
}

STDMETHODIMP CAxSite::Scroll(SIZE)
{
    return E_NOTIMPL;
}

STDMETHODIMP CAxSite::OnUIDeactivate(BOOL)
{
    return S_OK;
}

STDMETHODIMP CAxSite::OnInPlaceDeactivate()
{
    return S_OK;
}

STDMETHODIMP CAxSite::DiscardUndoState()
{
    return E_NOTIMPL;
}

STDMETHODIMP CAxSite::DeactivateAndUndo()
{
    return E_NOTIMPL;
}

STDMETHODIMP CAxSite::OnPosRectChange(LPCRECT lprcPosRect)
{
    if (!lprcPosRect)
        return E_POINTER;
    m_rc = *lprcPosRect;
    if (m_pControl)
        m_pControl->vSetObjectRects(m_rc);
    return S_OK;
}

// ---- IOleInPlaceUIWindow
STDMETHODIMP CAxSite::GetBorder(LPRECT)
{
    return INPLACE_E_NOTOOLSPACE;
}

STDMETHODIMP CAxSite::RequestBorderSpace(LPCBORDERWIDTHS)
{
    return INPLACE_E_NOTOOLSPACE;
}

STDMETHODIMP CAxSite::SetBorderSpace(LPCBORDERWIDTHS)
{
    return S_OK;
}

STDMETHODIMP CAxSite::SetActiveObject(IOleInPlaceActiveObject* pActiveObject, LPCOLESTR)
{
    if (pActiveObject)
        pActiveObject->AddRef();
    vReleaseActiveObject();
    m_pActive = pActiveObject;
    return S_OK;
}

// ---- IOleInPlaceFrame
STDMETHODIMP CAxSite::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS)
{
    return S_OK;
}

STDMETHODIMP CAxSite::SetMenu(HMENU, HOLEMENU, HWND)
{
    return S_OK;
}

STDMETHODIMP CAxSite::RemoveMenus(HMENU)
{
    return S_OK;
}

STDMETHODIMP CAxSite::SetStatusText(LPCOLESTR pszStatusText)
{
    if (m_pControl)
        m_pControl->vStatusText(FdCom::strFromWide(pszStatusText));
    return S_OK;
}

STDMETHODIMP CAxSite::EnableModeless(BOOL)
{
    return S_OK;
}

STDMETHODIMP CAxSite::TranslateAccelerator(LPMSG, WORD)
{
    return S_FALSE;
}

// ---- IServiceProvider
STDMETHODIMP CAxSite::QueryService(REFGUID guidService, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (IsEqualGUID(guidService, SID_SHlinkFrame))
        return static_cast<IServiceProvider*>(this)->QueryInterface(riid, ppv);
    // The hosting browser: its service id is its interface's id.
    if (IsEqualGUID(guidService, IID_IWebBrowserApp))
    {
        if (!m_pControl)
            return E_NOINTERFACE;
        CAxBrowserApp* pApp = nullptr;
        HRESULT hr = FdCom::TComObject<CAxBrowserApp>::hrCreateObject(&pApp, m_pControl->strBaseUrl());
        if (FAILED(hr))
            return hr;
        hr = pApp->QueryInterface(riid, ppv);
        static_cast<IWebBrowserApp*>(pApp)->Release();
        return hr;
    }
    return E_NOINTERFACE;
}

// ---- IHlinkFrame
STDMETHODIMP CAxSite::SetBrowseContext(IHlinkBrowseContext*)
{
    return E_NOTIMPL;
}

STDMETHODIMP CAxSite::GetBrowseContext(IHlinkBrowseContext** ppihlbc)
{
    if (ppihlbc)
        *ppihlbc = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CAxSite::Navigate(DWORD, LPBC, IBindStatusCallback*, IHlink* pihlNavigate)
{
    if (!pihlNavigate)
        return E_INVALIDARG;
    LPWSTR pwzTarget = nullptr;
    LPWSTR pwzLocation = nullptr;
    HRESULT hr = pihlNavigate->GetStringReference(HLINKGETREF_DEFAULT, &pwzTarget, &pwzLocation);
    if (FAILED(hr))
        return hr;
    LPWSTR pwzFrame = nullptr;
    if (FAILED(pihlNavigate->GetTargetFrameName(&pwzFrame)))
        pwzFrame = nullptr;
    std::string url = FdCom::strFromWide(pwzTarget);
    if (pwzLocation && *pwzLocation)
        url += "#" + FdCom::strFromWide(pwzLocation);
    const bool boHasFrame = pwzFrame != nullptr;
    const std::string frame = FdCom::strFromWide(pwzFrame);
    CoTaskMemFree(pwzTarget);
    CoTaskMemFree(pwzLocation);
    CoTaskMemFree(pwzFrame);
    if (!m_pControl)
        return E_UNEXPECTED;
    m_pControl->vNavigate(url, boHasFrame ? frame : std::string());
    return S_OK;
}

STDMETHODIMP CAxSite::OnNavigate(DWORD, IMoniker*, LPCWSTR, LPCWSTR, DWORD)
{
    return S_OK;
}

STDMETHODIMP CAxSite::UpdateHlink(ULONG, IMoniker*, LPCWSTR, LPCWSTR)
{
    return E_NOTIMPL;
}
} // namespace FdBrowserHost
