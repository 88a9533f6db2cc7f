// The chat's main view as the model sees it: the renderer's HtmlWnd with
// its frames and form controls behind the model's IChatView.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

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

    // Reloads that end scrolled to the end (the message zone's, asked once
    // per added line) are merged while onPostMergedReload is set: the first
    // request of a batch calls it (the window posts its refresh message; false
    // when that failed, and the reload then runs at once), later ones only
    // join the batch, and vRunMergedReloads does each frame once, in the order
    // first asked. A reload asked while they run starts the next batch.
    std::function<bool()> onPostMergedReload;
    void vRunMergedReloads();
    // Told after each frame the renderer has reloaded (benchmarks and tests
    // count the message zone's reloads).
    std::function<void(const std::string& frame)> onFrameReloaded;

private:
    void vReloadNow(const std::string& name, bool scrollToEnd);

    HtmlWnd& m_view;
    IHtmlWndEvents& m_handler;
    std::vector<std::string> m_merged;
};

} // namespace ChatModel
