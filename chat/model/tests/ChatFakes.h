// Recording stand-ins for the chat model's view, plug-in instance, settings
// and connection. The connection is the real protocol core with its writes
// recorded, so the model's commands come out as wire lines.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ChatModel.h"
#include "IrcSession.h"
#include "NickScheme.h"

namespace ChatModelTest
{

class CFakeView : public ChatModel::IChatView
{
public:
    std::vector<std::string> frames{"msgs", "users", "status", "groups", "room"};
    std::vector<std::string> log;
    std::map<std::string, std::string> fields;
    bool boHasFrame(const std::string& name) override
    {
        for (const std::string& f : frames)
            if (f == name)
                return true;
        return false;
    }
    void vReloadFrame(const std::string& name, bool scroll) override
    {
        log.push_back("reload " + name + (scroll ? " end" : ""));
    }
    void vLoad(const std::string& address, const std::string& frame) override
    {
        log.push_back("load " + address + " in " + frame);
    }
    std::string strRootPath() override { return "file://root/"; }
    bool boReadField(const std::string& spec, std::string& value) override
    {
        auto it = fields.find(spec);
        if (it == fields.end())
            return false;
        value = it->second;
        return true;
    }
    void vEnableControl(const std::string& name, bool on) override
    {
        log.push_back((on ? "enable " : "disable ") + name);
    }
    void vStopLoading() override { log.push_back("stop"); }
    std::map<std::string, bool> switches;
    void vSetSwitchControl(const std::string& name, bool on) override
    {
        switches[name] = on;
        log.push_back((on ? "switch on " : "switch off ") + name);
    }
    bool boSwitchControlOn(const std::string& name) override
    {
        auto it = switches.find(name);
        return it != switches.end() && it->second;
    }
    // The page's image buttons by name, with their check state.
    std::map<std::string, int32_t> imageStates;
    int32_t iImageState(const std::string& name) override
    {
        auto it = imageStates.find(name);
        return it == imageStates.end() ? 0 : it->second;
    }
    void vSetImageState(const std::string&, const std::string& name, int state) override
    {
        imageStates[name] = state;
    }
    // The page's form fields by name.
    std::map<std::string, Field> formFields;
    bool boGetField(const std::string& name, Field& field) override
    {
        auto it = formFields.find(name);
        if (it == formFields.end())
            return false;
        field = it->second;
        return true;
    }
    void vSetField(const std::string& name, const Field& field) override { formFields[name] = field; }
    // Frames nested in a frame, by its name ("" the page view); without
    // any, the page view holds `frames`. boHasFrame looks in `frames` alone.
    std::map<std::string, std::vector<std::string>> frameTree;
    std::map<std::string, std::string> frameAddresses;
    std::vector<std::string> FrameNames(const std::string& frame) override
    {
        auto it = frameTree.find(frame);
        if (it != frameTree.end())
            return it->second;
        return frame.empty() && frameTree.empty() ? frames : std::vector<std::string>{};
    }
    std::string strFrameAddress(const std::string& frame) override
    {
        auto it = frameAddresses.find(frame);
        return it == frameAddresses.end() ? std::string() : it->second;
    }
    // Logged as "nav FRAME ADDRESS [base PATH]"; then onNavigate (a page
    // that loads and runs its directives).
    std::function<void(const std::string& frame)> onNavigate;
    void vNavigateFrame(const std::string& frame, const std::string& address,
                        const std::string& base) override
    {
        log.push_back("nav " + frame + " " + address + (base.empty() ? "" : " base " + base));
        if (onNavigate)
            onNavigate(frame);
    }
    size_t uCount(const std::string& entry) const
    {
        size_t n = 0;
        for (const std::string& l : log)
            n += l == entry ? 1 : 0;
        return n;
    }
};

class CFakeInstance : public ChatModel::IChatInstance
{
public:
    std::vector<std::pair<std::string, std::string>> args;
    std::vector<std::string> urls;
    int pending = 0;
    bool boHasArgs() override { return !args.empty(); }
    bool boGetArg(const std::string& name, std::string& value) override
    {
        for (const auto& a : args)
            if (a.first == name)
            {
                value = a.second;
                return true;
            }
        return false;
    }
    bool boGetUrl(const std::string& url, const std::string& target) override
    {
        urls.push_back(url + " -> " + target);
        return true;
    }
    void vCountPendingNavigation() override { ++pending; }
    bool boIsActiveX() override { return false; }
};

class CFakeSettings : public ChatModel::ISettingsStore
{
public:
    std::map<std::string, std::string> values;
    std::string strRead(const std::string& name, const std::string& def) override
    {
        auto it = values.find(name);
        return it == values.end() ? def : it->second;
    }
    bool boWrite(const std::string& name, const std::string& text) override
    {
        values[name] = text;
        return true;
    }
    // Values of other keys, by "path|name".
    std::map<std::string, std::string> pathValues;
    std::string strReadPath(const std::string& path, const std::string& name, const std::string& def) override
    {
        auto it = pathValues.find(path + "|" + name);
        return it == pathValues.end() ? def : it->second;
    }
};

// The protocol core with its writes kept as lines (CR LF dropped).
class CWireSession : public ChatIrc::CIrcSession, public ChatIrc::CNickScheme
{
public:
    std::vector<std::string> wire;
    void vSetStateForTest(int s) { vSetState(s); }

protected:
    bool boWrite(const std::string& text) override
    {
        std::string t = text;
        while (!t.empty() && (t.back() == '\n' || t.back() == '\r'))
            t.pop_back();
        wire.push_back(t);
        return true;
    }
};

class CFakeCnx : public ChatModel::IChatConnection
{
public:
    CWireSession session;
    std::vector<std::string> calls;
    int iState() override { return session.iGetState(); }
    bool boOpen(const std::string& host, uint16_t port) override
    {
        calls.push_back("open " + host + ":" + std::to_string(port));
        session.vSetStateForTest(1);
        return false;
    }
    void vClose() override
    {
        calls.push_back("close");
        session.vSetStateForTest(0);
    }
    void vDetach() override { calls.push_back("detach"); }
    bool boLogon(const std::string& nick, const std::string& real) override
    {
        return session.boLogon(nick, real);
    }
    bool boCreateRoom(const std::string& room, const std::string& modes, const std::string& key,
                      uint32_t flags) override
    {
        return session.boCreateRoom(room, modes, key, flags);
    }
    bool boLeaveRoom(const std::string& room) override { return session.boLeaveRoom(room); }
    bool boSay(const char* target, const std::string& text) override { return session.boSay(target, text); }
    size_t uRoomUserCount(const std::string& room) override
    {
        ChatIrc::CIrcSession::Room r;
        return session.boGetRoom(room, r) ? r.users.size() : 0;
    }
    ChatIrc::CNickScheme& Scheme() override { return session; }
    uint64_t received = 0, sent = 0;
    uint64_t ulReceivedBytes() override { return received; }
    uint64_t ulSentBytes() override { return sent; }
};

} // namespace ChatModelTest
