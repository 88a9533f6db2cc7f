// The chat flood benchmark (not a test), under Wine against ngircd behind
// the IRC sidecar: the sample chat (testbed/chatpages, from the web
// stand-in) in the chat's test host and a plain Python client
// (ircclient.py) join one room; a third client, exempt from the chat's flood
// control through the sample's CNF_FLOOD EXU, sends N room messages back to
// back, each carrying its wall-clock send time. The chat's lines are counted
// when the reload of its message zone (the renderer's frame) has ended, the
// Python client's as they arrive; both read the Linux wall clock (here
// GetSystemTimePreciseAsFileTime).
#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "ChatTestHost.h"
#include "FloodMeter.h"
#include "IrcWineKit.h"

using namespace ChatModel;

namespace
{

int64_t llWallNs()
{
    using PreciseFn = void(WINAPI*)(LPFILETIME);
    static const PreciseFn precise = reinterpret_cast<PreciseFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetSystemTimePreciseAsFileTime")));
    FILETIME ft;
    if (precise)
        precise(&ft);
    else
        GetSystemTimeAsFileTime(&ft);
    ULARGE_INTEGER u;
    u.LowPart = ft.dwLowDateTime;
    u.HighPart = ft.dwHighDateTime;
    // 100 ns units since 1601 to ns since 1970.
    return (static_cast<int64_t>(u.QuadPart) - 116444736000000000LL) * 100;
}

// The chat's view with the end of each message-zone reload reported.
class CTimedView : public IChatView
{
public:
    CTimedView(IChatView& view, std::string zone) : m_view(view), m_zone(std::move(zone)) {}
    std::function<void()> onZoneReloaded;

    bool boHasFrame(const std::string& name) override { return m_view.boHasFrame(name); }
    void vReloadFrame(const std::string& name, bool scrollToEnd) override
    {
        m_view.vReloadFrame(name, scrollToEnd);
        if (name == m_zone && onZoneReloaded)
            onZoneReloaded();
    }
    void vLoad(const std::string& address, const std::string& frame) override
    {
        m_view.vLoad(address, frame);
    }
    std::string strRootPath() override { return m_view.strRootPath(); }
    bool boReadField(const std::string& spec, std::string& value) override
    {
        return m_view.boReadField(spec, value);
    }
    void vEnableControl(const std::string& name, bool enable) override
    {
        m_view.vEnableControl(name, enable);
    }
    void vStopLoading() override { m_view.vStopLoading(); }
    void vSetImageState(const std::string& frame, const std::string& name, int state) override
    {
        m_view.vSetImageState(frame, name, state);
    }
    void vSetSwitchControl(const std::string& name, bool on) override { m_view.vSetSwitchControl(name, on); }
    bool boSwitchControlOn(const std::string& name) override { return m_view.boSwitchControlOn(name); }
    bool boGetField(const std::string& name, Field& field) override { return m_view.boGetField(name, field); }
    void vSetField(const std::string& name, const Field& field) override { m_view.vSetField(name, field); }
    bool boFocusControl(const std::string& name) override { return m_view.boFocusControl(name); }
    bool boHasFocus(const std::string& name) override { return m_view.boHasFocus(name); }
    void vCaretToEnd(const std::string& name) override { m_view.vCaretToEnd(name); }
    void vScrollFrameToEnd(const std::string& frame) override { m_view.vScrollFrameToEnd(frame); }

private:
    IChatView& m_view;
    std::string m_zone;
};

} // namespace

int main(int argc, char** argv)
{
    const int lines = argc > 1 ? std::atoi(argv[1]) : 5000;
    if (lines <= 0 || lines > 1000000 || !ChatIrcTest::uSidecarPort("FD_IRC_PORT") ||
        !ChatIrcTest::uSidecarPort("FD_WEB_PORT"))
    {
        std::fprintf(stderr, "usage: chat_flood_bench [lines] (with the IRC sidecar, then the web stand-in "
                             "serving testbed/chatpages with --subst-env)\n");
        return 1;
    }
    const DWORD bound = 600000;
    ChatTest::CChatTestHost host;
    host.Instance().args = {
        {"HTMLUI_URL", "http://127.0.0.1/chat.htm"}, {"ROOM_NAME", "#flood"}, {"NICKNAME", "window"}};
    host.Instance().vSetWebPort(ChatIrcTest::uSidecarPort("FD_WEB_PORT"));
    if (!host.boCreate(800, 600, "Chat flood") || !host.boLoadConfig("/chat.vblt"))
    {
        std::fprintf(stderr, "the chat could not start\n");
        return 1;
    }
    CChatModel& m = host.Model();
    if (!FdTestKit::boPumpUntil([&] { return m.boSynced && m.View(); }, 60000))
    {
        std::fprintf(stderr, "the chat did not join #flood: %s\n", m.strHistory.c_str());
        return 1;
    }
    IChatView* const real = m.View();
    CTimedView timed(*real, m.zoneFrames[CChatModel::kZoneMessages]);
    ChatBench::CFloodMeter window;
    size_t scanned = 0, reloads = 0;
    timed.onZoneReloaded = [&]
    {
        ++reloads;
        const int64_t now = llWallNs();
        if (scanned > m.messages.size())
            scanned = 0; // the list was cleared
        for (; scanned < m.messages.size(); ++scanned)
            window.boOnText(m.messages[scanned].strText, now);
    };
    m.vSetView(&timed);

    const std::string n = std::to_string(lines);
    ChatIrcTest::CBackground python("RUN --quiet --wait 600 --nick pyl 'join #flood' 'measure #flood " + n + "'");
    if (!FdTestKit::boPumpUntil([&] { return m.lFindUser("pyl") >= 0 || python.boDone(); }, 60000) ||
        python.boDone())
    {
        std::fprintf(stderr, "the Python client did not join: %s\n", python.strAnswer().c_str());
        return 1;
    }
    bool sent = false;
    {
        ChatIrcTest::CBackground flooder("RUN --quiet --wait 600 --nick flooder 'join #flood' 'flood #flood " + n + "'");
        FdTestKit::boPumpUntil(
            [&]
            { return window.uCount() >= static_cast<size_t>(lines) && python.boDone() && flooder.boDone(); },
            bound);
        sent = flooder.strAnswer().compare(0, 6, "DONE 0") == 0;
        if (!sent)
            std::fprintf(stderr, "the flooder failed: %s\n", flooder.strAnswer().c_str());
    }
    FdTestKit::boPumpUntil([&] { return python.boDone(); }, bound);
    ChatBench::CFloodMeter::Figures py;
    const bool pythonOk = ChatBench::CFloodMeter::boParse(python.strAnswer(), py);
    const ChatBench::CFloodMeter::Figures win = window.Compute();
    std::printf("%d room messages back to back; the sample chat's message zone reloaded by the renderer\n",
                lines);
    std::printf("chat window (at the zone's reload end): %s reloads=%zu\n",
                ChatBench::CFloodMeter::strFormat(win).c_str(), reloads);
    if (pythonOk)
    {
        std::printf("Python client (ircclient.py):           %s\n",
                    ChatBench::CFloodMeter::strFormat(py).c_str());
        std::printf("rate ratio window / Python: %.4f\n",
                    py.linesPerSecond > 0 ? win.linesPerSecond / py.linesPerSecond : 0);
    }
    else
    {
        std::printf("Python client: no figures: %s\n", python.strAnswer().substr(0, 300).c_str());
    }
    m.vSetView(real);
    return sent && pythonOk && win.lines == static_cast<size_t>(lines) ? 0 : 2;
}
