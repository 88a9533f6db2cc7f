#include "AxControl.h"

#include "AxPropertyBag.h"
#include "AxSite.h"
#include "FdBstr.h"
#include "Url.h"

#include <cctype>
#include <cstdio>

namespace FdBrowserHost
{
namespace
{
const wchar_t kContainerName[] = L"FdBrowserHost";
const LONG kHimetricPerInch = 2540;
const LONG kPixelsPerInch = 96;

std::string strPtr(const void* p)
{
    char sz[32];
    std::snprintf(sz, sizeof sz, "%p", p);
    return sz;
}

} // namespace

HRESULT hrClsidOf(const std::string& classid, CLSID* pClsid)
{
    std::string s = classid;
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.pop_back();
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.erase(0, 1);
    if (s.size() > 6 && _strnicmp(s.c_str(), "clsid:", 6) == 0)
    {
        std::string g = s.substr(6);
        if (g.empty() || g[0] != '{')
            g = "{" + g + "}";
        return CLSIDFromString(FdCom::wstrFromAnsi(g).c_str(), pClsid);
    }
    return CLSIDFromProgID(FdCom::wstrFromAnsi(s).c_str(), pClsid);
}

CAxControl::CAxControl(CHostSession& session, int id, const SElementContext& ctx)
    : m_session(session), m_id(id), m_ctx(ctx)
{
}

CAxControl::~CAxControl()
{
    vClose();
}

bool CAxControl::boCreate(const RECT& rc)
{
    m_rc = rc;
    const std::string* classid = m_ctx.pElement->pAttr("classid");
    const std::string strClassid = classid ? *classid : std::string();
    CLSID clsid = CLSID_NULL;
    HRESULT hr = hrClsidOf(strClassid, &clsid);
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                              reinterpret_cast<void**>(&m_pObject));
    m_session.log().vWrite(SLogLine("AX_CREATE")
                               .addInt("instance", m_id)
                               .add("classid", strClassid)
                               .add("clsid", FdCom::strGuidText(clsid))
                               .add("frame", strFrameName(m_session.frames(), m_ctx.iFrame))
                               .addHex("result", static_cast<uint32_t>(hr)));
    if (FAILED(hr))
    {
        m_pObject = nullptr;
        return false;
    }

    IOleClientSite* pSiteItf = nullptr;
    if (FAILED(FdCom::TComObject<CAxSite>::hrCreate(IID_IOleClientSite, reinterpret_cast<void**>(&pSiteItf),
                                                    this, m_session.hwndMain(), rc)))
    {
        vClose();
        return false;
    }
    m_pSite = static_cast<CAxSite*>(pSiteItf);

    DWORD dwMisc = 0;
    m_pObject->GetMiscStatus(DVASPECT_CONTENT, &dwMisc);
    const bool boSiteFirst = (dwMisc & OLEMISC_SETCLIENTSITEFIRST) != 0;
    if (boSiteFirst)
        m_pObject->SetClientSite(pSiteItf);

    IPersistPropertyBag* pPersist = nullptr;
    hr = m_pObject->QueryInterface(IID_IPersistPropertyBag, reinterpret_cast<void**>(&pPersist));
    if (SUCCEEDED(hr))
    {
        IPropertyBag* pBag = nullptr;
        hr = FdCom::TComObject<CAxPropertyBag>::hrCreate(IID_IPropertyBag, reinterpret_cast<void**>(&pBag),
                                                         m_session.log(), m_id, m_ctx.pElement->params);
        if (SUCCEEDED(hr))
        {
            hr = pPersist->Load(pBag, nullptr);
            pBag->Release();
        }
        pPersist->Release();
    }
    m_session.log().vWrite(SLogLine("AX_LOAD")
                               .addInt("instance", m_id)
                               .addInt("params", static_cast<int64_t>(m_ctx.pElement->params.size()))
                               .addHex("result", static_cast<uint32_t>(hr)));

    if (!boSiteFirst)
        m_pObject->SetClientSite(pSiteItf);
    m_pObject->SetHostNames(kContainerName, nullptr);
    SIZEL size = {(rc.right - rc.left) * kHimetricPerInch / kPixelsPerInch,
                  (rc.bottom - rc.top) * kHimetricPerInch / kPixelsPerInch};
    m_pObject->SetExtent(DVASPECT_CONTENT, &size);
    RECT rcPos = rc;
    hr = m_pObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, pSiteItf, 0, m_session.hwndMain(), &rcPos);
    m_boActive = SUCCEEDED(hr);
    IOleInPlaceObject* pInPlace = nullptr;
    if (SUCCEEDED(m_pObject->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&pInPlace))))
    {
        pInPlace->GetWindow(&m_hwnd);
        pInPlace->Release();
    }
    m_session.log().vWrite(SLogLine("AX_ACTIVATE")
                               .addInt("instance", m_id)
                               .add("hwnd", strPtr(m_hwnd))
                               .addHex("result", static_cast<uint32_t>(hr)));
    return true;
}

void CAxControl::vClose()
{
    if (!m_pObject)
        return;
    if (m_pSite)
        m_pSite->vDetach();
    if (m_boActive)
    {
        IOleInPlaceObject* pInPlace = nullptr;
        if (SUCCEEDED(m_pObject->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&pInPlace))))
        {
            pInPlace->InPlaceDeactivate();
            pInPlace->Release();
        }
    }
    const HRESULT hr = m_pObject->Close(OLECLOSE_NOSAVE);
    m_pObject->SetClientSite(nullptr);
    m_pObject->Release();
    m_pObject = nullptr;
    if (m_pSite)
    {
        m_pSite->vReleaseActiveObject();
        static_cast<IOleClientSite*>(m_pSite)->Release();
        m_pSite = nullptr;
    }
    m_hwnd = nullptr;
    m_boActive = false;
    m_session.log().vWrite(
        SLogLine("AX_CLOSE").addInt("instance", m_id).addHex("result", static_cast<uint32_t>(hr)));
}

bool CAxControl::boPreTranslate(MSG* pMsg)
{
    if (!m_pObject || !m_hwnd || (pMsg->hwnd != m_hwnd && !IsChild(m_hwnd, pMsg->hwnd)))
        return false;
    IOleInPlaceActiveObject* pActive = m_pSite ? m_pSite->pActiveObject() : nullptr;
    bool boRelease = false;
    if (!pActive &&
        SUCCEEDED(m_pObject->QueryInterface(IID_IOleInPlaceActiveObject, reinterpret_cast<void**>(&pActive))))
        boRelease = true;
    if (!pActive)
        return false;
    const WPARAM wBefore = pMsg->wParam;
    const HRESULT hr = pActive->TranslateAccelerator(pMsg);
    if (boRelease)
        pActive->Release();
    m_session.log().vWrite(SLogLine("AX_ACCEL")
                               .addInt("instance", m_id)
                               .addHex("message", pMsg->message)
                               .addInt("wparam_before", static_cast<int64_t>(wBefore))
                               .addInt("wparam_after", static_cast<int64_t>(pMsg->wParam))
                               .addHex("result", static_cast<uint32_t>(hr)));
    return hr == S_OK;
}

void CAxControl::vStep(const SStep& step)
{
    if (step.eKind != EStep::Key || !m_hwnd)
        return;
    SetFocus(m_hwnd);
    PostMessageA(m_hwnd, WM_KEYDOWN, step.a, 1);
    PostMessageA(m_hwnd, WM_KEYUP, step.a, static_cast<LPARAM>(0xC0000001u));
    m_session.log().vWrite(SLogLine("KEY").addInt("instance", m_id).addInt("vk", step.a));
}

void CAxControl::vStatusText(const std::string& text)
{
    m_session.vStatus(m_id, text);
}

void CAxControl::vNavigate(const std::string& url, const std::string& frame)
{
    SNavigation nav;
    nav.iInstance = m_id;
    nav.iSelfFrame = m_ctx.iFrame;
    nav.strUrl = strResolveUrl(m_ctx.strBaseUrl, url);
    nav.strTarget = frame;
    m_session.navigate(nav);
}

void CAxControl::vSetObjectRects(const RECT& rc)
{
    m_rc = rc;
    IOleInPlaceObject* pInPlace = nullptr;
    if (m_pObject &&
        SUCCEEDED(m_pObject->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&pInPlace))))
    {
        pInPlace->SetObjectRects(&rc, &rc);
        pInPlace->Release();
    }
}
} // namespace FdBrowserHost
