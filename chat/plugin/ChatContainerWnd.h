// The chat instance's window object: it subclasses the browser's plug-in
// window and holds the chat window as its child 110, filling its client
// area. A hidden or withdrawn browser window takes the chat window down.
#pragma once

#include "ChatCnx.h"
#include "ChatWnd.h"
#include "PluginBase.h"
#include "WindowBase.h"

namespace ChatPlugin
{
class CChatInstance;

class CChatContainerWnd : public FdWin::CWindowBase, public CPluginWindow
{
public:
    static constexpr int kChatWindowId = 110;

    explicit CChatContainerWnd(CChatInstance& instance);
    ~CChatContainerWnd() override;

    NPError SetWindow(NPWindow* window) override;
    // The chat window while it has a window (else null).
    ChatModel::CChatWnd* ChatWnd();
    ChatModel::CChatWnd& ChatWndObject() { return m_chat; }

protected:
    LRESULT lOnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

private:
    void vFillClient();
    void vTearDown();

    NPWindow* m_lpCurrent = nullptr;
    CChatInstance& m_instance;
    ChatIrc::CChatCnx m_cnx;
    ChatModel::CChatWnd m_chat{m_cnx};
};
} // namespace ChatPlugin
