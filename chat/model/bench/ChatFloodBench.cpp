// The chat flood benchmark (not a test), under Wine against ngircd behind
// the IRC sidecar: the chat window and a plain Python client (ircclient.py)
// join one room; a third client, exempt from the chat's flood control
// through CNF_FLOOD EXU, sends N room messages back to back, each carrying
// its wall-clock send time. The chat's lines are counted when the message
// zone's reload ends, the Python client's as they arrive; both read the
// Linux wall clock (here GetSystemTimePreciseAsFileTime).
//
// The message zone here is a recording view whose reload returns at once:
// the figures are the connection, the relay and the model; the renderer's
// reload time is not in them.
#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

#include "ChatWnd.h"
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

// The page as the benchmark needs it: one message zone, each reload measured.
class CZoneView : public IChatView
{
public:
    std::function<void()> onMessageZoneReloaded;
    bool boHasFrame(const std::string& name) override { return name == "msgs"; }
    void vReloadFrame(const std::string& name, bool) override
    {
        if (name == "msgs" && onMessageZoneReloaded)
            onMessageZoneReloaded();
    }
    void vLoad(const std::string&, const std::string&) override {}
    std::string strRootPath() override { return std::string(); }
    bool boReadField(const std::string&, std::string&) override { return false; }
    void vEnableControl(const std::string&, bool) override {}
    void vStopLoading() override {}
};

class CBackground
{
public:
    explicit CBackground(const std::string& line)
        : m_thread(
              [this, line]
              {
                  std::string a = ChatIrcTest::strControl(line);
                  std::lock_guard<std::mutex> hold(m_lock);
                  m_answer = a;
                  m_done = true;
              })
    {
    }
    ~CBackground() { m_thread.join(); }
    bool boDone()
    {
        std::lock_guard<std::mutex> hold(m_lock);
        return m_done;
    }
    std::string strAnswer()
    {
        std::lock_guard<std::mutex> hold(m_lock);
        return m_answer;
    }

private:
    std::mutex m_lock;
    bool m_done = false;
    std::string m_answer;
    std::thread m_thread;
};

} // namespace

int main(int argc, char** argv)
{
    const int lines = argc > 1 ? std::atoi(argv[1]) : 5000;
    if (lines <= 0 || lines > 1000000 || !ChatIrcTest::uSidecarPort("FD_IRC_PORT"))
    {
        std::fprintf(stderr, "usage: chat_flood_bench [lines] (with the IRC sidecar's FD_IRC_PORT)\n");
        return 1;
    }
    const DWORD bound = 600000;
    ChatIrc::CChatCnx cnx;
    CZoneView view;
    CChatWnd wnd(cnx);
    CChatModel& m = wnd.Model();
    ChatBench::CFloodMeter window;
    size_t scanned = 0;
    view.onMessageZoneReloaded = [&]
    {
        const int64_t now = llWallNs();
        for (; scanned < m.messages.size(); ++scanned)
            window.boOnText(m.messages[scanned].strText, now);
    };
    m.vSetView(&view);
    RECT r{0, 0, 400, 300};
    if (!wnd.boCreate(nullptr, r, GetModuleHandleA(nullptr)))
        return 1;
    m.strNick = m.strIrcNick = m.strNickHtml = "window";
    m.strRoom = "#flood";
    m.strServer = "127.0.0.1";
    m.uPort = ChatIrcTest::uSidecarPort("FD_IRC_PORT");
    m.strRoomModes = "n";
    m.zoneFrames[CChatModel::kZoneMessages] = "msgs";
    m.iParseMarkup("<CNF_FLOOD SIDE=RCVR EXU=\"flooder\"></CNF_FLOOD>");
    m.vConnect();
    if (!FdTestKit::boPumpUntil([&] { return m.boSynced; }, 60000))
    {
        std::fprintf(stderr, "the chat did not join #flood\n");
        return 1;
    }
    const std::string n = std::to_string(lines);
    CBackground python("RUN --quiet --wait 600 --nick pyl 'join #flood' 'measure #flood " + n + "'");
    if (!FdTestKit::boPumpUntil([&] { return m.lFindUser("pyl") >= 0 || python.boDone(); }, 60000) ||
        python.boDone())
    {
        std::fprintf(stderr, "the Python client did not join: %s\n", python.strAnswer().c_str());
        return 1;
    }
    bool sent = false;
    {
        CBackground flooder("RUN --quiet --wait 600 --nick flooder 'join #flood' 'flood #flood " + n + "'");
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
    std::printf("%d room messages back to back; message zone: a recording view (no rendering)\n", lines);
    std::printf("chat window (message zone reloads): %s\n", ChatBench::CFloodMeter::strFormat(win).c_str());
    if (pythonOk)
    {
        std::printf("Python client (ircclient.py):       %s\n",
                    ChatBench::CFloodMeter::strFormat(py).c_str());
        std::printf("rate ratio window / Python: %.2f\n",
                    py.linesPerSecond > 0 ? win.linesPerSecond / py.linesPerSecond : 0);
    }
    else
    {
        std::printf("Python client: no figures: %s\n", python.strAnswer().substr(0, 300).c_str());
    }
    return sent && pythonOk && win.lines == static_cast<size_t>(lines) ? 0 : 2;
}
