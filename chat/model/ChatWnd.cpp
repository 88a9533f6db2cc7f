#include "ChatWnd.h"

#include "FdUi.h"
#include "HtmlAttr.h"

namespace ChatModel
{

bool CChatCnxLink::boOpen(const std::string& host, uint16_t port)
{
    m_cnx.vSetConnectInThread(true);
    if (!m_cnx.boAttach(&m_target, nullptr))
        return false;
    return m_cnx.boConnect(host.c_str(), port);
}

size_t CChatCnxLink::uRoomUserCount(const std::string& room)
{
    ChatIrc::CIrcSession::Room r;
    return m_cnx.boGetRoom(room, r) ? r.users.size() : 0;
}

CChatWnd::CChatWnd(ChatIrc::CChatCnx& cnx, ClockFn clock)
    : m_cnx(cnx), m_link(cnx, m_model), m_model(m_link, m_settings, std::move(clock))
{
    // The model asks for the close through message 1042, handled on the next turn.
    m_model.onPostClose = [this]
    {
        if (hWnd())
            PostMessageA(hWnd(), kCloseMessage, 0, 0);
    };
    // The element lists' frames and the message frame are reloaded on the
    // next turn of the loop, once per batch of directives.
    m_model.onPostListsChanged = [this]
    {
        if (hWnd())
            PostMessageA(hWnd(), kListsChangedMessage, 0, 0);
        else
            m_model.vOnListsChanged();
    };
    m_model.onPostRefresh = [this]
    {
        if (!hWnd())
            m_model.vRefreshZone(CChatModel::kZoneMessages);
        else if (!m_boRefreshPending && PostMessageA(hWnd(), kRefreshMessage, 0, 0))
            m_boRefreshPending = true;
    };
    m_model.onCtrlAltDown = []
    { return (GetKeyState(VK_CONTROL) & 0x8000) != 0 && (GetKeyState(VK_MENU) & 0x8000) != 0; };
    // ---- talk line: the keys held while the talk field's keys are handled ----
    m_model.onKeyHeld = [](int32_t key) { return (GetKeyState(key) & 0x8000) != 0; };
    // ---- end talk line ----
    m_model.onDebugBox = [](const std::string& text, const std::string& title)
    { FdUi::iMessageBox(nullptr, text.c_str(), title.c_str(), MB_OK); };
    m_model.onResolve = ResolveHostAddress;
    m_model.onRestartReloadTimer = [this]
    {
        if (hWnd())
            SetTimer(hWnd(), kReloadTimer, 1000, nullptr);
    };
}

// Winsock is started by the chat connection's member, which lives as long
// as the window.
std::string ResolveHostAddress(const std::string& host)
{
    const hostent* h = gethostbyname(host.c_str());
    if (!h || h->h_addrtype != AF_INET || h->h_length < 4 || !h->h_addr_list[0])
        return std::string();
    const auto* b = reinterpret_cast<const unsigned char*>(h->h_addr_list[0]);
    return std::to_string(b[0]) + "." + std::to_string(b[1]) + "." + std::to_string(b[2]) + "." +
           std::to_string(b[3]);
}

CChatWnd::~CChatWnd()
{
    vDestroy();
    m_cnx.boAttach(nullptr, nullptr);
    m_cnx.vClose();
    if (m_hBrush)
        DeleteObject(m_hBrush);
}

bool CChatWnd::boCreate(HWND hParent, const RECT& rect, HINSTANCE hInstance)
{
    if (!boRegisterClass(hInstance, kClassName))
        return false;
    const DWORD style = hParent ? (WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN) : WS_POPUP;
    if (!hCreate(0, kClassName, "", style, rect.left, rect.top, rect.right - rect.left,
                 rect.bottom - rect.top, hParent, nullptr, hInstance))
        return false;
    m_model.vInit();
    m_hBrush = CreateSolidBrush(BackgroundColor());
    return true;
}

COLORREF CChatWnd::BackgroundColor() const
{
    const uint32_t c = ParseColor(m_model.strBgColor, HtmlPaletteRgb(0x00, 0x51, 0x85));
    return static_cast<COLORREF>(c);
}

LRESULT CChatWnd::lOnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg)
    {
    case kCloseMessage:
        m_link.vClose();
        return 0;
    case kRefreshMessage:
        m_boRefreshPending = false;
        m_model.vRefreshZone(CChatModel::kZoneMessages);
        return 0;
    case kListsChangedMessage:
        m_model.vOnListsChanged();
        return 0;
    case kDownloadsMessage:
        m_model.vDrainDownloads(m_finished);
        return 0;
    case WM_TIMER:
        if (wParam == kReloadTimer)
        {
            KillTimer(hWnd(), kReloadTimer);
            m_model.vOnReloadTimer();
        }
        return 0;
    case WM_ERASEBKGND:
    {
        HDC dc = reinterpret_cast<HDC>(wParam);
        RECT box;
        GetClipBox(dc, &box);
        HGDIOBJ old = SelectObject(dc, m_hBrush);
        PatBlt(dc, box.left, box.top, box.right - box.left, box.bottom - box.top, PATCOPY);
        SelectObject(dc, old);
        return 1;
    }
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<LRESULT>(m_hBrush);
    case WM_PAINT:
    {
        PAINTSTRUCT ps;
        BeginPaint(hWnd(), &ps);
        EndPaint(hWnd(), &ps);
        return 0;
    }
    case WM_WININICHANGE:
        return 0;
    default:
        return lDefault(uMsg, wParam, lParam);
    }
}

} // namespace ChatModel
