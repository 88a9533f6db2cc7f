#include "AxInPlaceControl.h"

namespace FdAx
{
CInPlaceControl::~CInPlaceControl() = default;

STDMETHODIMP CInPlaceControl::SetClientSite(IOleClientSite* pClientSite)
{
    m_site = FdWin::TComRef<IOleClientSite>(pClientSite);
    return S_OK;
}

STDMETHODIMP CInPlaceControl::GetClientSite(IOleClientSite** ppClientSite)
{
    if (!ppClientSite)
        return E_POINTER;
    *ppClientSite = FdWin::TComRef<IOleClientSite>(m_site).pDetach();
    return S_OK;
}

STDMETHODIMP CInPlaceControl::Close(DWORD)
{
    InPlaceDeactivate();
    return S_OK;
}

STDMETHODIMP CInPlaceControl::DoVerb(LONG iVerb, LPMSG, IOleClientSite* pActiveSite, LONG, HWND hwndParent,
                                     LPCRECT lprcPosRect)
{
    switch (iVerb)
    {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE:
        if (!m_site && pActiveSite)
            SetClientSite(pActiveSite);
        return hrActivate(hwndParent, lprcPosRect);
    case OLEIVERB_HIDE:
        if (m_hwnd)
            ShowWindow(m_hwnd, SW_HIDE);
        return S_OK;
    default:
        return OLEOBJ_S_INVALIDVERB;
    }
}

HRESULT CInPlaceControl::hrActivate(HWND hwndParent, LPCRECT lprcPos)
{
    if (m_hwnd)
        return S_OK;
    if (!m_site)
        return E_UNEXPECTED;
    if (!m_inPlaceSite && FAILED(m_site->QueryInterface(IID_IOleInPlaceSite, m_inPlaceSite.ppvOut())))
        return E_NOINTERFACE;
    if (m_inPlaceSite->CanInPlaceActivate() != S_OK)
        return E_FAIL;
    m_inPlaceSite->OnInPlaceActivate();
    HWND hwndContainer = nullptr;
    if (FAILED(m_inPlaceSite->GetWindow(&hwndContainer)) || !hwndContainer)
        hwndContainer = hwndParent;
    if (lprcPos)
        m_rcPos = *lprcPos;
    m_hwnd = hwndCreateControlWindow(hwndContainer, m_rcPos);
    if (!m_hwnd)
        return HRESULT_FROM_WIN32(GetLastError());
    return S_OK;
}

void CInPlaceControl::vDestroyWindow()
{
    if (!m_hwnd)
        return;
    vDestroyControlWindow();
    m_hwnd = nullptr;
}

void CInPlaceControl::vUIActivate()
{
    if (m_boUIActive || !m_inPlaceSite)
        return;
    m_boUIActive = true;
    m_inPlaceSite->OnUIActivate();
    if (m_hwnd)
        SetFocus(m_hwnd);
}

void CInPlaceControl::vReleaseSites()
{
    vDestroyWindow();
    m_inPlaceSite.vReset();
    m_site.vReset();
}

STDMETHODIMP CInPlaceControl::GetUserClassID(CLSID* pClsid)
{
    if (!pClsid)
        return E_POINTER;
    *pClsid = ControlClassId();
    return S_OK;
}

STDMETHODIMP CInPlaceControl::SetExtent(DWORD dwDrawAspect, SIZEL* psizel)
{
    if (dwDrawAspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (!psizel)
        return E_POINTER;
    m_sizeExtent = *psizel;
    return S_OK;
}

STDMETHODIMP CInPlaceControl::GetExtent(DWORD dwDrawAspect, SIZEL* psizel)
{
    if (dwDrawAspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (!psizel)
        return E_POINTER;
    *psizel = m_sizeExtent;
    return S_OK;
}

STDMETHODIMP CInPlaceControl::GetMiscStatus(DWORD, DWORD* pdwStatus)
{
    if (!pdwStatus)
        return E_POINTER;
    *pdwStatus = dwControlMiscStatus();
    return S_OK;
}

STDMETHODIMP CInPlaceControl::GetWindow(HWND* phwnd)
{
    if (!phwnd)
        return E_POINTER;
    *phwnd = m_hwnd;
    return m_hwnd ? S_OK : E_FAIL;
}

STDMETHODIMP CInPlaceControl::InPlaceDeactivate()
{
    if (!m_hwnd)
        return S_OK;
    vDestroyWindow();
    if (m_inPlaceSite)
    {
        if (m_boUIActive)
            m_inPlaceSite->OnUIDeactivate(FALSE);
        m_boUIActive = false;
        m_inPlaceSite->OnInPlaceDeactivate();
        m_inPlaceSite.vReset();
    }
    return S_OK;
}

STDMETHODIMP CInPlaceControl::SetObjectRects(LPCRECT lprcPosRect, LPCRECT)
{
    if (!lprcPosRect)
        return E_POINTER;
    m_rcPos = *lprcPosRect;
    if (m_hwnd)
        MoveWindow(m_hwnd, m_rcPos.left, m_rcPos.top, m_rcPos.right - m_rcPos.left,
                   m_rcPos.bottom - m_rcPos.top, TRUE);
    return S_OK;
}
} // namespace FdAx
