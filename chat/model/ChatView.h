// The chat's main view as the model sees it: the renderer's HtmlWnd with
// its frames and form controls behind the model's IChatView.
#pragma once

#include <windows.h>

#include "ChatModel.h"

class HtmlWnd;

namespace ChatModel
{

class CChatHtmlView : public IChatView
{
public:
    // Borrows the view; the handler is the one every load gets.
    CChatHtmlView(HtmlWnd& view, IHtmlWndEvents& handler) : m_view(view), m_handler(handler) {}

    bool boHasFrame(const std::string& name) override;
    void vReloadFrame(const std::string& name, bool scrollToEnd) override;
    void vLoad(const std::string& address, const std::string& frame) override;
    std::string strRootPath() override;
    bool boReadField(const std::string& spec, std::string& value) override;
    void vEnableControl(const std::string& name, bool enable) override;
    void vStopLoading() override {}
    void vSetImageState(const std::string& frame, const std::string& name, int state) override;
    int32_t iImageState(const std::string& name) override;
    void vSetSwitchControl(const std::string& name, bool on) override;
    bool boSwitchControlOn(const std::string& name) override;
    bool boGetField(const std::string& name, Field& field) override;
    void vSetField(const std::string& name, const Field& field) override;
    bool boFocusControl(const std::string& name) override;
    // ---- talk line ----
    bool boHasFocus(const std::string& name) override;
    void vCaretToEnd(const std::string& name) override;
    void vScrollFrameToEnd(const std::string& frame) override;
    // ---- end talk line ----

    // The address the frame shows; empty when there is no such frame.
    std::string strFrameAddress(const std::string& frame);

private:
    HtmlWnd& m_view;
    IHtmlWndEvents& m_handler;
};

} // namespace ChatModel
