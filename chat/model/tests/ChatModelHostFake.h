// The model's host as a test scripts it: each call runs the test's function
// when one is set, else the interface's default (nothing done, or the work
// left to the model).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ChatModelHost.h"

namespace ChatModelTest
{

class CScriptedHost : public ChatModel::IChatModelHost
{
public:
    std::function<void()> onPostClose, onPostListsChanged, onPostRefresh, onPostNavigate,
        onRestartReloadTimer;
    std::function<void(bool run)> onStartTimer;
    std::function<bool(int32_t key)> onKeyHeld;
    std::function<bool()> onCtrlAltDown;
    std::function<std::string(const std::string& host)> onResolve;
    std::function<bool(const std::string& path, std::string& text)> onReadLocalFile;
    std::function<void(const std::string& address, const std::string& tag)> onConfigRequest;
    std::function<std::string(const std::string& address, const std::string& frame)> onDocumentRequest;
    std::function<void(bool priv)> onSendTalk;
    std::function<void(const std::vector<ChatModel::ChatMenuItem>& items, int32_t above)> onTrackMenu;
    std::function<void(const std::string& text)> onSetClipboard;
    std::function<void(bool over, bool hand)> onLinkCursor;
    std::function<void(const std::string& name, const std::string& attributes)> onTagSeen;

    void vPostClose() override { boRun(onPostClose); }
    bool boPostListsChanged() override { return boRun(onPostListsChanged); }
    bool boPostRefresh() override { return boRun(onPostRefresh); }
    void vPostNavigate() override { boRun(onPostNavigate); }
    void vRestartReloadTimer() override { boRun(onRestartReloadTimer); }
    void vStartTimer(bool run) override
    {
        if (onStartTimer)
            onStartTimer(run);
    }
    bool boKeyHeld(int32_t key) override { return onKeyHeld && onKeyHeld(key); }
    bool boCtrlAltDown() override { return onCtrlAltDown && onCtrlAltDown(); }
    std::string strResolve(const std::string& host) override
    {
        return onResolve ? onResolve(host) : std::string();
    }
    bool boReadLocalFile(const std::string& path, std::string& text) override
    {
        return onReadLocalFile ? onReadLocalFile(path, text) : IChatModelHost::boReadLocalFile(path, text);
    }
    bool boRequestConfig(const std::string& address, const std::string& tag) override
    {
        if (!onConfigRequest)
            return false;
        onConfigRequest(address, tag);
        return true;
    }
    std::string strRequestDocument(const std::string& address, const std::string& frame) override
    {
        return onDocumentRequest ? onDocumentRequest(address, frame) : std::string();
    }
    bool boSendTalk(bool priv) override
    {
        if (!onSendTalk)
            return false;
        onSendTalk(priv);
        return true;
    }
    void vTrackMenu(const std::vector<ChatModel::ChatMenuItem>& items, int32_t above) override
    {
        if (onTrackMenu)
            onTrackMenu(items, above);
    }
    void vSetClipboard(const std::string& text) override
    {
        if (onSetClipboard)
            onSetClipboard(text);
    }
    void vLinkCursor(bool over, bool hand) override
    {
        if (onLinkCursor)
            onLinkCursor(over, hand);
    }
    void vTagSeen(const std::string& name, const std::string& attributes) override
    {
        if (onTagSeen)
            onTagSeen(name, attributes);
    }

private:
    // True when the test's function ran (the call counts as taken).
    static bool boRun(const std::function<void()>& fn)
    {
        if (fn)
            fn();
        return static_cast<bool>(fn);
    }
};

} // namespace ChatModelTest
