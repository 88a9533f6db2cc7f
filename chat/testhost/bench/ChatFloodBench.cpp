// The chat flood benchmark (not a test), under Wine against ngircd behind
// the IRC sidecar: the sample chat (testbed/chatpages, from the web
// stand-in) in the chat's test host and a plain Python client
// (ircclient.py) join one room; a third client, exempt from the chat's flood
// control through the sample's CNF_FLOOD EXU, sends N room messages back to
// back, each carrying its wall-clock send time. The chat's lines are counted
// when the renderer's reload of its message zone has ended, the Python
// client's as they arrive; both read the Linux wall clock (here
// GetSystemTimePreciseAsFileTime). Then a steady room: 20 lines a second for
// 10 seconds to the same window, measured the same way.
#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

#include "ChatTestHost.h"
#include "ChatView.h"
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

// The mean time of one reload of the message zone, run at once, in ms.
double dReloadMs(CChatHtmlView& view, const std::string& zone, int times)
{
    LARGE_INTEGER f, a, b;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&a);
    for (int i = 0; i < times; ++i)
    {
        view.vReloadFrame(zone, true);
        view.vRunMergedReloads();
    }
    QueryPerformanceCounter(&b);
    return static_cast<double>(b.QuadPart - a.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart) / times;
}

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
    if (!FdTestKit::boPumpUntil([&] { return m.conn.boSynced && m.View(); }, 60000))
    {
        std::fprintf(stderr, "the chat did not join #flood: %s\n", m.msgs.strHistory.c_str());
        return 1;
    }
    auto* view = dynamic_cast<CChatHtmlView*>(m.View());
    if (!view)
    {
        std::fprintf(stderr, "the chat has no view of its own\n");
        return 1;
    }
    // Each reload of the message zone stamps the lines that reached the
    // message list since the one before.
    const std::string zone = m.cfg.zoneFrames[CChatModel::kZoneMessages];
    ChatBench::CFloodMeter flood, steady;
    ChatBench::CFloodMeter* meter = &flood;
    size_t scanned = 0, reloads = 0;
    view->onFrameReloaded = [&](const std::string& frame)
    {
        if (frame != zone)
            return;
        ++reloads;
        const int64_t now = llWallNs();
        if (scanned > m.msgs.messages.size())
            scanned = 0; // the list was cleared
        for (; scanned < m.msgs.messages.size(); ++scanned)
            meter->boOnText(m.msgs.messages[scanned].strText, now);
    };

    const auto onReloaded = view->onFrameReloaded;
    view->onFrameReloaded = nullptr;
    // A history at its limit early in the session (lines handed to the
    // window directly), to set beside the same after thousands of lines.
    const long sessionBefore = m.people.lRoomReceived;
    for (int i = 0; m.msgs.strHistory.size() + 200 < static_cast<size_t>(m.cfg.lHistoryLimit) && i < 1000;
         ++i)
        m.OnRoomMessage("flooder", "early line " + std::to_string(i), nullptr);
    const long earlyLines = m.people.lRoomReceived - sessionBefore;
    const size_t historyEarly = m.msgs.strHistory.size();
    const double reloadEarlyMs = dReloadMs(*view, zone, 20);
    view->onFrameReloaded = onReloaded;

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
            [&] { return flood.uCount() >= static_cast<size_t>(lines) && python.boDone() && flooder.boDone(); },
            bound);
        sent = flooder.strAnswer().compare(0, 6, "DONE 0") == 0;
        if (!sent)
            std::fprintf(stderr, "the flooder failed: %s\n", flooder.strAnswer().c_str());
    }
    const size_t floodReloads = reloads;
    FdTestKit::boPumpUntil([&] { return python.boDone(); }, bound);
    ChatBench::CFloodMeter::Figures py;
    const bool pythonOk = ChatBench::CFloodMeter::boParse(python.strAnswer(), py);
    const ChatBench::CFloodMeter::Figures win = flood.Compute();
    std::printf("%d room messages back to back; the sample chat's message zone reloaded by the renderer\n",
                lines);
    std::printf("chat window (at the zone's reload end): %s reloads=%zu (%.1f lines per reload)\n",
                ChatBench::CFloodMeter::strFormat(win).c_str(), floodReloads,
                floodReloads ? static_cast<double>(win.lines) / static_cast<double>(floodReloads) : 0.0);
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

    view->onFrameReloaded = nullptr;
    const double reloadAfterMs = dReloadMs(*view, zone, 20);
    std::printf(
        "one reload of the message zone: %.2f ms with %zu characters of history after %ld lines, %.2f ms "
        "with %zu after %ld (history limit %ld)\n",
        reloadEarlyMs, historyEarly, earlyLines, reloadAfterMs, m.msgs.strHistory.size(),
        m.people.lRoomReceived - sessionBefore, m.cfg.lHistoryLimit);
    view->onFrameReloaded = onReloaded;

    // The steady room: the same sender, paced.
    const int steadyLines = 200, steadyRate = 20;
    meter = &steady;
    reloads = 0;
    bool paced = false;
    {
        ChatIrcTest::CBackground pacer("RUN --quiet --wait 600 --nick flooder 'join #flood' 'pace #flood " +
                                       std::to_string(steadyLines) + " " + std::to_string(steadyRate) + "'");
        FdTestKit::boPumpUntil(
            [&] { return steady.uCount() >= static_cast<size_t>(steadyLines) && pacer.boDone(); }, bound);
        paced = pacer.strAnswer().compare(0, 6, "DONE 0") == 0;
        if (!paced)
            std::fprintf(stderr, "the steady sender failed: %s\n", pacer.strAnswer().c_str());
    }
    const ChatBench::CFloodMeter::Figures calm = steady.Compute();
    std::printf("steady room, %d lines at %d a second: chat window %s reloads=%zu\n", steadyLines, steadyRate,
                ChatBench::CFloodMeter::strFormat(calm).c_str(), reloads);
    view->onFrameReloaded = nullptr;
    return sent && paced && pythonOk && win.lines == static_cast<size_t>(lines) &&
                   calm.lines == static_cast<size_t>(steadyLines)
               ? 0
               : 2;
}
