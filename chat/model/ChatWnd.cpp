#include "ChatWnd.h"

#include "ChatTextUtil.h"
#include "ChatView.h"
#include "FdUi.h"
#include "HtmlAttr.h"
#include "HtmlWnd.h"

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
    m_model.vSetHost(&m_host);
    m_model.vSetScrollBarEvents(&m_scrollBar);
}

// ---------------------------------------------------------------- the model's host

// The model asks for the close through message 1042, handled on the next turn.
void CChatWnd::CModelHost::vPostClose()
{
    if (m_wnd.hWnd())
        PostMessageA(m_wnd.hWnd(), kCloseMessage, 0, 0);
}

// The element lists' frames and the message frame are reloaded on the next
// turn of the loop, once per batch of directives.
bool CChatWnd::CModelHost::boPostListsChanged()
{
    if (m_wnd.hWnd())
        PostMessageA(m_wnd.hWnd(), kListsChangedMessage, 0, 0);
    else
        m_wnd.Events().vOnListsChanged();
    return true;
}

bool CChatWnd::CModelHost::boPostRefresh()
{
    if (!m_wnd.hWnd())
        m_wnd.Events().vRefreshZone(CChatModel::kZoneMessages);
    else
    {
        m_wnd.m_boPanesWanted = true;
        if (!m_wnd.boPostRefreshMessage())
            m_wnd.m_boPanesWanted = false;
    }
    return true;
}

// Queued frame navigations run on the next turn of the loop (1041).
void CChatWnd::CModelHost::vPostNavigate()
{
    if (m_wnd.hWnd())
        PostMessageA(m_wnd.hWnd(), kNavigateMessage, 0, 0);
}

void CChatWnd::CModelHost::vRestartReloadTimer()
{
    if (m_wnd.hWnd())
        SetTimer(m_wnd.hWnd(), kReloadTimer, 1000, nullptr);
}

void CChatWnd::CModelHost::vStartTimer(bool run)
{
    if (!m_wnd.hWnd())
        return;
    if (run)
        SetTimer(m_wnd.hWnd(), kStartTimer, 500, nullptr);
    else
        KillTimer(m_wnd.hWnd(), kStartTimer);
}

// ---- talk line: the keys held while the talk field's keys are handled ----
bool CChatWnd::CModelHost::boKeyHeld(int32_t key)
{
    return (GetKeyState(key) & 0x8000) != 0;
}
// ---- end talk line ----

bool CChatWnd::CModelHost::boCtrlAltDown()
{
    return (GetKeyState(VK_CONTROL) & 0x8000) != 0 && (GetKeyState(VK_MENU) & 0x8000) != 0;
}

std::string CChatWnd::CModelHost::strResolve(const std::string& host)
{
    return ResolveHostAddress(host);
}

std::string CChatWnd::CModelHost::strFrameAddress(const std::string& frame)
{
    auto* view = dynamic_cast<CChatHtmlView*>(m_wnd.m_viewAdapter.get());
    return view ? view->strFrameAddress(frame) : std::string();
}

void CChatWnd::CModelHost::vDebugBox(const std::string& text, const std::string& title)
{
    FdUi::iMessageBox(nullptr, text.c_str(), title.c_str(), MB_OK);
}

void CChatWnd::CModelHost::vTrackMenu(const std::vector<ChatMenuItem>& items, int32_t above)
{
    m_wnd.vTrackMenu(items, above);
}

void CChatWnd::CModelHost::vSetClipboard(const std::string& text)
{
    m_wnd.vSetClipboardText(text, CF_TEXT);
}

void CChatWnd::CModelHost::vLinkCursor(bool over, bool hand)
{
    if (over)
    {
        // The page's hand, else the system's pointer for links.
        HCURSOR cursor = LoadCursorA(nullptr, hand ? IDC_HAND : MAKEINTRESOURCEA(32516));
        HCURSOR previous = SetCursor(cursor);
        if (!m_wnd.m_savedCursor)
            m_wnd.m_savedCursor = previous;
    }
    else if (m_wnd.m_savedCursor)
    {
        SetCursor(m_wnd.m_savedCursor);
        m_wnd.m_savedCursor = nullptr;
    }
}

// Once the page's frames are laid out the thumbs are placed from their
// targets (the zones' own reloads do not move the frames).
void CChatWnd::CModelHost::vDocumentLoaded(HtmlWnd* loader)
{
    if (m_wnd.m_view && loader == m_wnd.m_view.get())
        m_wnd.m_scrollBar.RefreshParts();
}

namespace
{
// An address inside the module that holds the chat code.
void ChatCodeMarker() {}
} // namespace

void CChatWnd::vCreateView()
{
    // The view finds its pages and images in the module that holds this
    // code, whatever that module is called.
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(&ChatCodeMarker), &module))
        module = reinterpret_cast<HMODULE>(GetWindowLongPtrA(hWnd(), GWLP_HINSTANCE));
    RECT client;
    GetClientRect(hWnd(), &client);
    auto view = std::make_unique<HtmlWnd>(module);
    if (!view->Create(WS_CHILD | WS_VISIBLE, client, hWnd(), kViewId))
        return;
    view->SetHandler(&m_model);
    view->SetSourceType("HTTP");
    // A view made again gets a new adapter: the old one names the old view.
    const bool ownAdapter = !m_model.View() || m_model.View() == m_viewAdapter.get();
    if (ownAdapter)
        m_model.vSetView(nullptr);
    m_view = std::move(view);
    m_scrollBar.SetView(m_view.get());
    if (ownAdapter)
    {
        auto adapter = std::make_unique<CChatHtmlView>(*m_view, m_model);
        // The message zone is reloaded once per batch of lines, by 1039.
        adapter->onPostMergedReload = [this] { return boPostRefreshMessage(); };
        m_viewAdapter = std::move(adapter);
        m_model.vSetView(m_viewAdapter.get());
    }
}

void CChatWnd::vTrackMenu(const std::vector<CChatModel::MenuItem>& items, int32_t above)
{
    HMENU menu = CreatePopupMenu();
    if (!menu)
        return;
    for (const CChatModel::MenuItem& item : items)
    {
        if (item.boSeparator)
            InsertMenuA(menu, static_cast<UINT>(-1), MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
        else
            InsertMenuA(menu, static_cast<UINT>(-1),
                        MF_BYPOSITION | MF_STRING | (item.boGrayed ? MF_GRAYED : 0),
                        static_cast<UINT_PTR>(item.iId), item.strText.c_str());
    }
    POINT cursor = {0, 0};
    GetCursorPos(&cursor);
    const int chosen = FdUi::iTrackPopupMenu(menu, TPM_LEFTALIGN, cursor.x, cursor.y - above, hWnd());
    DestroyMenu(menu);
    // The chosen item reaches the command routing as a menu's WM_COMMAND would.
    if (chosen != 0)
        PostMessageA(hWnd(), WM_COMMAND, MAKEWPARAM(static_cast<WORD>(chosen), 0), 0);
}

void CChatWnd::vSetClipboardText(const std::string& text, UINT format)
{
    if (!OpenClipboard(hWnd()))
        return;
    if (EmptyClipboard())
    {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, text.size() + 2);
        if (block)
        {
            if (void* bytes = GlobalLock(block))
            {
                memcpy(bytes, text.c_str(), text.size() + 1);
                GlobalUnlock(block);
                // The clipboard owns the block once it took it.
                if (!SetClipboardData(format, block))
                    GlobalFree(block);
            }
            else
                GlobalFree(block);
        }
    }
    CloseClipboard();
}

bool CChatWnd::boPostRefreshMessage()
{
    if (m_boRefreshPending)
        return true;
    if (!hWnd() || !PostMessageA(hWnd(), kRefreshMessage, 0, 0))
        return false;
    m_boRefreshPending = true;
    return true;
}

void CChatWnd::vOnRefresh()
{
    // One 1039 serves both: the panes first (still pending, so the message
    // zone's reload they ask joins this batch and a refresh a directive asks
    // meanwhile waits for its end), then the reloads the view merged, taken
    // before they run so that one asked from inside them posts anew.
    const bool panes = m_boPanesWanted;
    m_boPanesWanted = false;
    if (panes)
        vRefreshPanes();
    m_boRefreshPending = false;
    if (auto* view = dynamic_cast<CChatHtmlView*>(m_viewAdapter.get()))
        view->vRunMergedReloads();
    if (m_boPanesWanted && !boPostRefreshMessage())
        m_boPanesWanted = false;
}

void CChatWnd::vRefreshPanes()
{
    const auto listed = [this](const std::string& frame)
    {
        for (const std::string& name : m_model.page.reloadRequests)
            if (ChatText::boEqualNoCase(name, frame))
                return true;
        return false;
    };
    if (!listed(m_model.cfg.zoneFrames[CChatModel::kZoneMessages]))
        Events().vRefreshZone(CChatModel::kZoneMessages);
    if (!listed(m_model.cfg.zoneFrames[CChatModel::kZoneUsers]))
        Events().vRefreshZone(CChatModel::kZoneUsers);
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
    Events().vInit();
    // A window made again (after a close) gets a brush of the colour it has now.
    if (m_hBrush)
        DeleteObject(m_hBrush);
    m_hBrush = CreateSolidBrush(BackgroundColor());
    vCreateView();
    SetTimer(hWnd(), kStartTimer, 500, nullptr);
    return true;
}

COLORREF CChatWnd::BackgroundColor() const
{
    const uint32_t c = ParseColor(m_model.page.strBgColor, HtmlPaletteRgb(0x00, 0x51, 0x85));
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
        vOnRefresh();
        return 0;
    case kListsChangedMessage:
        Events().vOnListsChanged();
        return 0;
    case kNavigateMessage:
        Events().vOnNavigateQueue();
        return 0;
    case kDownloadsMessage:
        Events().vDrainDownloads(m_finished);
        return 0;
    case WM_TIMER:
        if (wParam == kReloadTimer)
        {
            KillTimer(hWnd(), kReloadTimer);
            Events().vOnReloadTimer();
        }
        else if (wParam == kStartTimer)
            Events().vOnStartTimer();
        return 0;
    case WM_COMMAND:
        // Menus only: a control's notification carries its window, and its id
        // may fall in the ranges of the menu commands.
        if (lParam == 0)
            Events().boOnCommand(static_cast<int32_t>(LOWORD(wParam)));
        return lDefault(uMsg, wParam, lParam);
    case WM_SIZE:
        if (m_view && m_view->hWnd())
            MoveWindow(m_view->hWnd(), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        // The frames are back on their grid: the thumbs are placed again.
        if (m_view)
            m_scrollBar.RefreshParts();
        return 0;
    case WM_QUERYNEWPALETTE:
        if (m_view)
            m_view->Redraw();
        return lDefault(uMsg, wParam, lParam);
    case WM_PALETTECHANGED:
    {
        const LRESULT result = lDefault(uMsg, wParam, lParam);
        if (m_view)
            m_view->Redraw();
        return result;
    }
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
