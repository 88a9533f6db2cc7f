#include "ChatContainerWnd.h"

#include "ChatInstance.h"
#include "FdComModule.h"

namespace ChatPlugin
{
CChatContainerWnd::CChatContainerWnd(CChatInstance& instance) : m_instance(instance) {}

CChatContainerWnd::~CChatContainerWnd()
{
    vTearDown();
    m_chat.vDestroy();
}

ChatModel::CChatWnd* CChatContainerWnd::ChatWnd()
{
    return m_chat.hWnd() ? &m_chat : nullptr;
}

void CChatContainerWnd::vFillClient()
{
    if (!hWnd() || !m_chat.hWnd())
        return;
    RECT rc;
    GetClientRect(hWnd(), &rc);
    MoveWindow(m_chat.hWnd(), 0, 0, rc.right - rc.left, rc.bottom - rc.top, TRUE);
}

void CChatContainerWnd::vTearDown()
{
    vUnsubclass();
    m_chat.vDestroy();
    m_lpCurrent = nullptr;
}

NPError CChatContainerWnd::SetWindow(NPWindow* window)
{
    if (!m_lpCurrent && !window)
        return NPERR_NO_ERROR;
    if (!window || !window->window)
    {
        if (window && window->type == 0)
            return NPERR_NO_ERROR;
        if (m_lpCurrent)
            vTearDown();
        return NPERR_NO_ERROR;
    }
    if (m_lpCurrent && window->window == hWnd())
    {
        m_lpCurrent = window;
        vFillClient();
        return NPERR_NO_ERROR;
    }
    // Another window than the one held: browsers hand a new window in the
    // same record and destroy the old one afterwards, so the chat moves.
    if (m_lpCurrent)
        vTearDown();
    HWND hBrowser = static_cast<HWND>(window->window);
    if (!IsWindow(hBrowser) || !boSubclass(hBrowser))
        return NPERR_GENERIC_ERROR;
    m_lpCurrent = window;
    // The chat window's class belongs to this module, not to the browser's
    // (GWLP_HINSTANCE): a class left registered under the browser's instance
    // would keep this module's procedure address after the module unloads.
    HINSTANCE hInstance = FdCom::CModule::Get().hModule();
    RECT rc;
    GetClientRect(hBrowser, &rc);
    m_chat.Model().vSetInstance(&m_instance);
    if (!m_chat.boCreate(hBrowser, rc, hInstance))
    {
        vTearDown();
        return NPERR_GENERIC_ERROR;
    }
    SetWindowLongPtrA(m_chat.hWnd(), GWLP_ID, kChatWindowId);
    return NPERR_NO_ERROR;
}

LRESULT CChatContainerWnd::lOnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg)
    {
    case WM_SIZE:
        vFillClient();
        break;
    case WM_SHOWWINDOW:
        if (!wParam && lParam == 0)
        {
            vTearDown();
            return 0;
        }
        break;
    case WM_DESTROY:
        // The browser takes its window away: the chat window goes with it.
        {
            const LRESULT result = lDefault(uMsg, wParam, lParam);
            vTearDown();
            return result;
        }
    case WM_DISPLAYCHANGE:
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE:
    case WM_QUERYNEWPALETTE:
    case WM_PALETTECHANGED:
        return 0;
    default:
        break;
    }
    return lDefault(uMsg, wParam, lParam);
}
} // namespace ChatPlugin
