// One ActiveX control of the page (an OBJECT with a classid): created by
// CLSID ("clsid:...") or ProgID, given its site, loaded from the PARAMs
// through IPersistPropertyBag::Load, activated in place in the window, and
// closed at the end. Keyboard messages for its window go to its
// IOleInPlaceActiveObject::TranslateAccelerator first, as a browser does.
#pragma once

#include "HostOptions.h"
#include "HostSession.h"

#include <ole2.h>

#include <string>

namespace FdBrowserHost
{
class CAxSite;

class CAxControl
{
public:
    CAxControl(CHostSession& session, int id, const SElementContext& ctx);
    CAxControl(const CAxControl&) = delete;
    CAxControl& operator=(const CAxControl&) = delete;
    ~CAxControl();

    // False when the control cannot be created (its OBJECT's content is
    // then used).
    bool boCreate(const RECT& rc);
    void vClose();
    // The address of the OBJECT's document (after its BASE).
    const std::string& strBaseUrl() const { return m_ctx.strBaseUrl; }
    int id() const { return m_id; }
    HWND hwnd() const { return m_hwnd; }
    // True when the control took the message.
    bool boPreTranslate(MSG* pMsg);
    void vStep(const SStep& step);

    // ---- From the site
    void vStatusText(const std::string& text);
    void vNavigate(const std::string& url, const std::string& frame);
    void vSetObjectRects(const RECT& rc);

private:
    CHostSession& m_session;
    int m_id;
    SElementContext m_ctx;
    RECT m_rc = {};
    IOleObject* m_pObject = nullptr;
    CAxSite* m_pSite = nullptr; // one reference held
    HWND m_hwnd = nullptr;
    bool m_boActive = false;
};

// The CLSID named by an OBJECT's classid: "clsid:XXXXXXXX-..." (braces
// optional) or a ProgID.
HRESULT hrClsidOf(const std::string& classid, CLSID* pClsid);
} // namespace FdBrowserHost
