// BrowserHost.exe with the test plug-in, against the web stand-in: what the
// plug-in is given (tables, arguments, window, streams, notifications) and
// what the page sees (navigations, pushed HTML, posts, status texts).
#include "BmpFile.h"
#include "HostRunner.h"
#include "NpApi.h"
#include "TestLog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

using namespace FdHostTest;

namespace
{
std::string strPlugin()
{
    return strProgramFolder() + "npfdhosttest.dll";
}

std::string strPattern(std::size_t n)
{
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>(i & 0xFF);
    return s;
}

std::vector<std::string> kinds(const Log& log)
{
    std::vector<std::string> v;
    for (const SLogLine& l : log)
        v.push_back(l.strKind);
    return v;
}

// ---- One run of a frameset page: tables, arguments, navigations, pushes.
class FramesPage : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_run = new SHostRun(
            runHost({"--page", strWebUrl("/frames.htm"), "--plugin", strPlugin(), "--quit-when-idle", "1000"},
                    strFreshFolder("frames")));
    }
    static void TearDownTestSuite()
    {
        delete s_run;
        s_run = nullptr;
    }
    const SHostRun& run() const { return *s_run; }
    std::string nav() const { return strInstanceOf(run().host, "nav"); }

    static SHostRun* s_run;
};
SHostRun* FramesPage::s_run = nullptr;

TEST_F(FramesPage, SessionEndsWhenIdle)
{
    EXPECT_EQ(0, run().lExit);
    ASSERT_FALSE(run().host.empty()) << "no host log in " << run().strDir;
    EXPECT_EQ("SESSION", run().host.front().strKind);
    EXPECT_EQ("idle", lineOf(run().host, "QUIT").strGet("reason"));
    EXPECT_EQ("END", run().host.back().strKind);
    EXPECT_TRUE(linesOf(run().host, "ERROR", "what", "page").empty());
    EXPECT_EQ(strWebUrl("/framed.htm"), lineOf(run().host, "FRAME", "name", "main").strGet("src"));
    EXPECT_EQ("about:blank", lineOf(run().host, "FRAME", "name", "game").strGet("src"));
    EXPECT_EQ("main", lineOf(run().host, "PAGE", "url", strWebUrl("/framed.htm")).strGet("frame"));
}

TEST_F(FramesPage, EntryPointsAndTables)
{
    const Log& h = run().host;
    ASSERT_EQ(1u, linesOf(h, "PLUGIN_LOAD").size()) << "one load for every instance";
    const SLogLine entry = lineOf(h, "NP_GETENTRYPOINTS");
    EXPECT_EQ("0", entry.strGet("result"));
    EXPECT_EQ(std::to_string(sizeof(NPPluginFuncs)), entry.strGet("size"));
    EXPECT_EQ("9", entry.strGet("version"));
    const SLogLine init = lineOf(h, "NP_INITIALIZE");
    EXPECT_EQ("0", init.strGet("result"));
    EXPECT_EQ(std::to_string((NP_VERSION_MAJOR << 8) | NP_VERSION_MINOR), init.strGet("version"));
    const SLogLine funcs = lineOf(h, "NP_FUNCS");
    for (const char* k : {"newp", "destroy", "setwindow", "newstream", "destroystream", "asfile",
                          "writeready", "write", "print", "event", "urlnotify", "getvalue", "setvalue"})
        EXPECT_EQ("1", funcs.strGet(k)) << k;
    EXPECT_EQ("0", funcs.strGet("javaclass"));

    // What the plug-in was given.
    const Log& p = run().plugin;
    const std::vector<std::string> k = kinds(p);
    ASSERT_GE(k.size(), 3u);
    EXPECT_EQ("NP_GETENTRYPOINTS", k[0]) << "entry points first, as Windows browsers do";
    EXPECT_EQ("NP_INITIALIZE", k[1]);
    EXPECT_EQ("NP_SHUTDOWN", k.back());
    EXPECT_EQ(1, std::count(k.begin(), k.end(), "NP_SHUTDOWN"));
    EXPECT_EQ(std::to_string(sizeof(NPPluginFuncs)), lineOf(p, "NP_GETENTRYPOINTS").strGet("size"));
    const SLogLine pinit = lineOf(p, "NP_INITIALIZE");
    EXPECT_EQ(std::to_string(sizeof(NPNetscapeFuncs)), pinit.strGet("size"));
    EXPECT_EQ(sizeof(void*) == 8 ? "176" : "88", pinit.strGet("size"));
    for (const auto& f : pinit.fields)
    {
        if (f.first != "size" && f.first != "version")
        {
            EXPECT_EQ("1", f.second) << f.first << " missing from the browser table";
        }
    }
}

TEST_F(FramesPage, ArgumentsInPageOrder)
{
    const std::vector<std::string> names = {"type",  "name", "Zeta",  "alpha", "hidden",
                                            "EMPTY", "text", "width", "height"};
    const std::vector<std::string> values = {"application/x-fd-hosttest", "args", "1", "deux", "", "",
                                             "caf\xE9 \xA3\xA3",          "100",  "40"};
    const SLogLine seen = lineOf(run().plugin, "NPP_NEW", "id", "args");
    ASSERT_EQ("NPP_NEW", seen.strKind);
    EXPECT_EQ(names, seen.all("argn"));
    EXPECT_EQ(values, seen.all("argv"));
    EXPECT_EQ("9", seen.strGet("argc"));
    EXPECT_EQ("1", seen.strGet("mode")) << "NP_EMBED";
    EXPECT_EQ("application/x-fd-hosttest", seen.strGet("type"));
    const SLogLine logged = lineOf(run().host, "NPP_NEW", "instance", strInstanceOf(run().host, "args"));
    EXPECT_EQ(names, logged.all("argn"));
    EXPECT_EQ(values, logged.all("argv"));
    EXPECT_EQ("main", logged.strGet("frame"));
}

TEST_F(FramesPage, RealChildWindow)
{
    const SLogLine w = lineOf(run().plugin, "SETWINDOW", "id", "nav");
    EXPECT_EQ("1", w.strGet("is_window"));
    EXPECT_EQ("1", w.strGet("child_of_browser"));
    EXPECT_EQ("200", w.strGet("client_width"));
    EXPECT_EQ("80", w.strGet("client_height"));
    EXPECT_EQ("200", w.strGet("width"));
    EXPECT_EQ("80", w.strGet("height"));
    EXPECT_EQ("1", w.strGet("type")) << "NPWindowTypeWindow";
    EXPECT_EQ("80", w.strGet("clip_bottom"));
    EXPECT_EQ("200", w.strGet("clip_right"));
    const SLogLine v = lineOf(run().plugin, "GETVALUE", "id", "nav");
    EXPECT_EQ("0", v.strGet("result"));
    EXPECT_EQ("1", v.strGet("window"));
    EXPECT_EQ("1", v.strGet("toplevel"));
    EXPECT_EQ(lineOf(run().host, "SESSION").strGet("user_agent"),
              lineOf(run().plugin, "USERAGENT", "id", "nav").strGet("text"));
}

TEST_F(FramesPage, NavigationsWithTargetsAreLogged)
{
    struct
    {
        const char* target;
        std::string url;
        const char* frame;
        const char* known;
    } const cases[] = {
        {"game", strWebUrl("/nav1.htm"), "game", "1"},
        {"_blank", strWebUrl("/nav2.htm"), "_blank", "0"},
        {"_self", strWebUrl("/nav3.htm"), "main", "1"},
        {"_parent", strWebUrl("/nav4.htm"), "_top", "1"},
        {"nowhere", "http://127.0.0.1:1/x.htm", "nowhere", "0"},
        {"game", strWebUrl("/nav6.htm#part"), "game", "1"},
    };
    const std::vector<SLogLine> navs = linesOf(run().host, "NAVIGATE", "instance", nav());
    ASSERT_EQ(6u, navs.size());
    for (std::size_t i = 0; i < 6; ++i)
    {
        EXPECT_EQ(cases[i].target, navs[i].strGet("target")) << i;
        EXPECT_EQ(cases[i].url, navs[i].strGet("url")) << i;
        EXPECT_EQ(cases[i].frame, navs[i].strGet("frame")) << i;
        EXPECT_EQ(cases[i].known, navs[i].strGet("known")) << i;
        EXPECT_EQ("GET", navs[i].strGet("method")) << i;
    }
    // No stream for a request with a target; its notification says done.
    EXPECT_TRUE(linesOf(run().plugin, "NEWSTREAM", "id", "nav").empty());
    const SLogLine n = lineOf(run().plugin, "URLNOTIFY", "tag", "T6");
    EXPECT_EQ("0", n.strGet("reason"));
    EXPECT_EQ("nav6.htm#part", n.strGet("url")) << "the address as the plug-in gave it";
}

TEST_F(FramesPage, PushedHtmlAndStatus)
{
    const SLogLine push = lineOf(run().host, "PUSH", "instance", nav());
    EXPECT_EQ("game", push.strGet("target"));
    EXPECT_EQ("game", push.strGet("frame"));
    EXPECT_EQ("1", push.strGet("known"));
    EXPECT_EQ("text/html", push.strGet("type"));
    EXPECT_EQ("0", push.strGet("reason"));
    EXPECT_EQ("1", push.strGet("complete"));
    EXPECT_EQ(std::string("<b>Bonjour</b>\0", 15), push.strGet("data")) << "the plug-in writes the NUL too";
    EXPECT_EQ("Chargement termin\xE9", lineOf(run().host, "STATUS", "instance", nav()).strGet("text"));
    for (const char* fn : {"NPN_NewStream", "NPN_DestroyStream"})
        EXPECT_EQ("0", lineOf(run().plugin, "CALL", "fn", fn).strGet("result")) << fn;
    EXPECT_EQ("15", lineOf(run().plugin, "CALL", "fn", "NPN_Write").strGet("result"));
}

TEST_F(FramesPage, FailedNewLeavesNoInstance)
{
    const std::string failing = strInstanceOf(run().host, "failing");
    EXPECT_EQ("1", lineOf(run().host, "NPP_NEW", "instance", failing).strGet("result"));
    EXPECT_TRUE(linesOf(run().host, "NPP_SETWINDOW", "instance", failing).empty());
    EXPECT_TRUE(linesOf(run().host, "NPP_DESTROY", "instance", failing).empty()) << "the browser forgets it";
    EXPECT_TRUE(linesOf(run().plugin, "NPP_DESTROY", "id", "failing").empty());
    // Every instance that started is destroyed before the plug-in shuts down.
    for (const char* id : {"nav", "args", "fallback", "byext"})
        EXPECT_EQ(1u, linesOf(run().plugin, "NPP_DESTROY", "id", id).size()) << id;
}

TEST_F(FramesPage, ObjectFallbackUnknownTypeAndExtension)
{
    const SLogLine ax = lineOf(run().host, "AX_CREATE");
    EXPECT_EQ("clsid:00000000-0000-0000-0000-0000000000F1", ax.strGet("classid"));
    EXPECT_NE("0x00000000", ax.strGet("result"));
    EXPECT_EQ(1u, linesOf(run().plugin, "NPP_NEW", "id", "fallback").size())
        << "the OBJECT's content is used";
    EXPECT_EQ("application/x-unknown-type", lineOf(run().host, "ERROR", "what", "plugin").strGet("type"));
    // An EMBED without type: the plug-in is chosen by its src extension, and src is streamed in.
    EXPECT_EQ("application/x-fd-hosttest", lineOf(run().plugin, "NPP_NEW", "id", "byext").strGet("type"));
    const SLogLine s = lineOf(run().plugin, "NEWSTREAM", "id", "byext");
    EXPECT_EQ(strWebUrl("/data.fdht"), s.strGet("url"));
    EXPECT_EQ("0", s.strGet("headers")) << "no response headers below version 17";
    const SLogLine d = lineOf(run().plugin, "DESTROYSTREAM", "id", "byext");
    EXPECT_EQ("0", d.strGet("reason"));
    EXPECT_EQ("donn\xE9"
              "es du src",
              d.strGet("data"));
    EXPECT_TRUE(linesOf(run().plugin, "URLNOTIFY", "id", "byext").empty());
}

TEST_F(FramesPage, MemoryAccounting)
{
    EXPECT_EQ("1", lineOf(run().host, "NP_SHUTDOWN").strGet("memalloc_live"))
        << "the block leaked on purpose";
    EXPECT_EQ(1u, linesOf(run().host, "ERROR", "what", "NPN_MemFree").size());
}

// ---- One run of a page whose instances take streams every way.
class StreamsPage : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_run = new SHostRun(runHost(
            {"--page", strWebUrl("/streams.htm"), "--plugin", strPlugin(), "--quit-when-idle", "1000"},
            strFreshFolder("streams")));
    }
    static void TearDownTestSuite()
    {
        delete s_run;
        s_run = nullptr;
    }
    const SHostRun& run() const { return *s_run; }
    SLogLine plugin(const char* kind, const char* tag) const
    {
        return lineOf(run().plugin, kind, "tag", tag);
    }

    static SHostRun* s_run;
};
SHostRun* StreamsPage::s_run = nullptr;

TEST_F(StreamsPage, RequestsWithoutTarget)
{
    ASSERT_EQ(0, run().lExit);
    struct
    {
        const char* tag;
        bool started;    // NPP_NewStream came
        std::string url; // NPStream::url
        const char* type;
        const char* end;
        const char* reason; // of NPP_DestroyStream and NPP_URLNotify
        std::string data;   // what NPP_Write delivered
    } const cases[] = {
        {"body", true, strWebUrl("/_/body?text=Bonjour&type=text/plain"), "text/plain", "7", "0", "Bonjour"},
        {"big", true, strWebUrl("/_/bytes?n=100000"), "application/octet-stream", "100000", "0",
         strPattern(100000)},
        {"missing", false, "", "", "", "1", ""},
        {"cut", true, strWebUrl("/_/cut?n=5000&sent=1000"), "application/octet-stream", "5000", "1",
         strPattern(1000)},
        {"moved", true, strWebUrl("/_/body?text=moved"), "text/plain", "5", "0", "moved"},
        {"nolength", true, strWebUrl("/_/nolength?n=3000"), "application/octet-stream", "0", "0",
         strPattern(3000)},
        {"offsite", false, "", "", "", "1", ""},
        {"refused", false, "", "", "", "1", ""},
        {"script", false, "", "", "", "1", ""},
    };
    for (const auto& c : cases)
    {
        const SLogLine n = plugin("NEWSTREAM", c.tag);
        const SLogLine d = plugin("DESTROYSTREAM", c.tag);
        const SLogLine u = plugin("URLNOTIFY", c.tag);
        EXPECT_EQ("URLNOTIFY", u.strKind) << c.tag << ": exactly one notification";
        EXPECT_EQ(c.reason, u.strGet("reason")) << c.tag;
        if (!c.started)
        {
            EXPECT_EQ("", n.strKind) << c.tag << ": no stream for a failed request";
            EXPECT_EQ("", d.strKind) << c.tag;
            continue;
        }
        EXPECT_EQ(c.url, n.strGet("url")) << c.tag;
        EXPECT_EQ(c.type, n.strGet("type")) << c.tag;
        EXPECT_EQ(c.end, n.strGet("end")) << c.tag;
        EXPECT_EQ("0", n.strGet("seekable")) << c.tag;
        EXPECT_EQ(c.reason, d.strGet("reason")) << c.tag;
        EXPECT_EQ(std::to_string(c.data.size()), d.strGet("bytes")) << c.tag;
        EXPECT_EQ(strHash(c.data), d.strGet("hash")) << c.tag;
        EXPECT_EQ("1", d.strGet("offsets_ok")) << c.tag;
    }
    // The notification names the address as requested, even after a redirection.
    EXPECT_EQ("/_/redirect/302?to=/_/body%3Ftext%3Dmoved", plugin("URLNOTIFY", "moved").strGet("url"));
    EXPECT_NE(std::string::npos,
              lineOf(run().host, "STREAM_FAILED", "url", "/_/status/404").strGet("error").find("404"));
    EXPECT_EQ("404", lineOf(run().host, "STREAM_FAILED", "url", "/_/status/404").strGet("status"));
    EXPECT_NE(std::string::npos, lineOf(run().host, "STREAM_FAILED", "url", "http://192.0.2.1/x")
                                     .strGet("error")
                                     .find("not a loopback"));
    const SLogLine cut = lineOf(run().host, "STREAM_END", "url", strWebUrl("/_/cut?n=5000&sent=1000"));
    EXPECT_NE(std::string::npos, cut.strGet("error").find("transfer cut after 1000 of 5000"))
        << cut.strGet("error");
}

TEST_F(StreamsPage, PlainGetUrlStreamsWithoutNotification)
{
    const SLogLine d = lineOf(run().plugin, "DESTROYSTREAM", "url", strWebUrl("/_/body?text=quiet"));
    EXPECT_EQ("0", d.strGet("reason"));
    EXPECT_EQ("quiet", d.strGet("data"));
    EXPECT_EQ("", d.strGet("tag"));
    EXPECT_TRUE(linesOf(run().plugin, "URLNOTIFY", "url", "/_/body?text=quiet").empty());
}

TEST_F(StreamsPage, WriteReadyLimitsEachWrite)
{
    const SLogLine d = plugin("DESTROYSTREAM", "slow");
    EXPECT_EQ("0", d.strGet("reason"));
    EXPECT_EQ(strHash(strPattern(20000)), d.strGet("hash"));
    EXPECT_EQ("1", d.strGet("offsets_ok")) << "contiguous offsets, never more than NPP_WriteReady allowed";
    const std::string instance = strInstanceOf(run().host, "slow");
    const std::vector<SLogLine> writes = linesOf(run().host, "STREAM_WRITE", "instance", instance);
    EXPECT_GE(writes.size(), 14u);
    for (const SLogLine& w : writes)
        EXPECT_LE(std::stoi(w.strGet("bytes")), 1500);
}

TEST_F(StreamsPage, StreamsAsFiles)
{
    const SLogLine f = plugin("ASFILE", "asfile");
    EXPECT_EQ("fichier", f.strGet("content"));
    EXPECT_FALSE(f.strGet("file").empty());
    EXPECT_EQ("fichier", plugin("DESTROYSTREAM", "asfile").strGet("data")) << "NP_ASFILE also writes";
    const SLogLine only = plugin("ASFILE", "asfileonly");
    EXPECT_EQ(strHash(strPattern(70000)), strHash(only.strGet("content")));
    EXPECT_EQ("0", plugin("DESTROYSTREAM", "asfileonly").strGet("bytes")) << "NP_ASFILEONLY does not write";
    EXPECT_EQ("0", plugin("URLNOTIFY", "asfileonly").strGet("reason"));
    EXPECT_TRUE(
        linesOf(run().host, "STREAM_WRITE", "instance", strInstanceOf(run().host, "fileonly")).empty());
    // The file is the browser's: gone once the stream ended.
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(f.strGet("file").c_str()));
}

TEST_F(StreamsPage, PluginEndsAStream)
{
    EXPECT_EQ("0", lineOf(run().plugin, "CALL", "what", "stop").strGet("result"));
    const SLogLine d = plugin("DESTROYSTREAM", "stop");
    EXPECT_EQ("2", d.strGet("reason")) << "NPRES_USER_BREAK";
    EXPECT_EQ("1000", d.strGet("bytes")) << "nothing is written after the plug-in ended the stream";
    EXPECT_EQ(1u, linesOf(run().host, "STREAM_WRITE", "instance", strInstanceOf(run().host, "abort")).size());
    EXPECT_EQ(
        "2",
        lineOf(run().host, "STREAM_END", "instance", strInstanceOf(run().host, "abort")).strGet("reason"));
    EXPECT_EQ("2", plugin("URLNOTIFY", "stop").strGet("reason"));
    EXPECT_EQ(1u, linesOf(run().plugin, "DESTROYSTREAM", "tag", "stop").size()) << "ended once";
}

TEST_F(StreamsPage, Posts)
{
    const std::string instance = strInstanceOf(run().host, "post");
    const std::vector<SLogLine> posts = linesOf(run().host, "POSTURL", "instance", instance);
    ASSERT_EQ(4u, posts.size());
    EXPECT_EQ("a=1&b=2", posts[0].strGet("data"));
    EXPECT_EQ("game", posts[0].strGet("target"));
    EXPECT_EQ("1", posts[2].strGet("file"));
    EXPECT_EQ("contenu du fichier", posts[2].strGet("data"));
    const std::vector<SLogLine> navs = linesOf(run().host, "NAVIGATE", "instance", instance);
    ASSERT_EQ(2u, navs.size());
    EXPECT_EQ("POST", navs[0].strGet("method"));
    EXPECT_EQ("game", navs[0].strGet("frame"));
    EXPECT_EQ(strWebUrl("/_/echo"), navs[0].strGet("url"));
    EXPECT_EQ("a=1&b=2", navs[0].strGet("data"));
    EXPECT_EQ("_blank", navs[1].strGet("frame"));
    EXPECT_EQ("0", plugin("URLNOTIFY", "posted").strGet("reason"));
    // Without target the answer comes back as a stream.
    EXPECT_EQ("champ=valeur", plugin("DESTROYSTREAM", "echo").strGet("data"));
    EXPECT_EQ("0", plugin("URLNOTIFY", "echo").strGet("reason"));
    bool boFileEcho = false;
    for (const SLogLine& d : linesOf(run().plugin, "DESTROYSTREAM", "id", "post"))
        boFileEcho |= d.strGet("data") == "contenu du fichier";
    EXPECT_TRUE(boFileEcho);
}

// ---- Browser versions: what the plug-in is told, and a refusal.
TEST(BrowserVersion, Table)
{
    struct
    {
        const char* version;
        const char* announced;
        const char* initResult;
        bool instance;
        const char* headers;
    } const cases[] = {
        {"0.8", "8", "0", true, "0"},
        {"0.17", "17", "0", true, "1"},
        {"1.0", "256", "8", false, ""},
    };
    for (const auto& c : cases)
    {
        const SHostRun run = runHost({"--page", strWebUrl("/one.htm"), "--plugin", strPlugin(),
                                      "--quit-when-idle", "500", "--np-version", c.version, "--no-activex"},
                                     strFreshFolder(std::string("version") + c.version));
        EXPECT_EQ(0, run.lExit) << c.version;
        EXPECT_EQ(c.announced, lineOf(run.plugin, "NP_INITIALIZE").strGet("version")) << c.version;
        EXPECT_EQ(c.initResult, lineOf(run.host, "NP_INITIALIZE").strGet("result")) << c.version;
        EXPECT_EQ(c.instance ? 1u : 0u, linesOf(run.plugin, "NPP_NEW").size()) << c.version;
        EXPECT_EQ(c.instance ? 1u : 0u, linesOf(run.plugin, "NP_SHUTDOWN").size())
            << c.version << ": a plug-in that refused to start is not shut down";
        EXPECT_EQ(c.headers, lineOf(run.plugin, "NEWSTREAM", "id", "one").strGet("headers")) << c.version;
        // --no-activex: the OBJECT is skipped and its content used.
        EXPECT_TRUE(linesOf(run.host, "AX_CREATE").empty()) << c.version;
        EXPECT_EQ("ActiveX is off", lineOf(run.host, "SKIP").strGet("text")) << c.version;
    }
}

// ---- Window changes, a key, and the screenshot.
TEST(WindowSteps, SetWindowCasesKeyAndScreenshot)
{
    const std::string dir = strFreshFolder("steps");
    const std::string shot = dir + "\\shot.bmp";
    const SHostRun run =
        runHost({"--page", strWebUrl("/paint.htm"), "--plugin", strPlugin(), "--quit-when-idle", "500",
                 "--steps", "same,resize:150x70,null,new,key:65", "--screenshot", shot},
                dir);
    ASSERT_EQ(0, run.lExit);
    const std::vector<SLogLine> w = linesOf(run.plugin, "SETWINDOW", "id", "paint");
    ASSERT_EQ(5u, w.size());
    const std::string first = w[0].strGet("hwnd");
    EXPECT_EQ("120", w[0].strGet("client_width"));
    EXPECT_EQ(first, w[1].strGet("hwnd")) << "same";
    EXPECT_EQ(first, w[2].strGet("hwnd")) << "resize";
    EXPECT_EQ("150", w[2].strGet("width"));
    EXPECT_EQ("150", w[2].strGet("client_width"));
    EXPECT_EQ("70", w[2].strGet("client_height"));
    EXPECT_EQ("", w[3].strGet("is_window")) << "null: no window";
    EXPECT_NE(first, w[4].strGet("hwnd")) << "new";
    EXPECT_EQ("1", w[4].strGet("is_window"));
    EXPECT_EQ("150", w[4].strGet("client_width"));
    EXPECT_EQ("65", lineOf(run.plugin, "KEYDOWN", "id", "paint").strGet("vk"));

    const SLogLine s = lineOf(run.host, "SCREENSHOT");
    EXPECT_EQ("0", s.strGet("error"));
    const std::string bytes = strReadFile(shot);
    FdBrowserHost::SPixels pixels;
    ASSERT_TRUE(
        FdBrowserHost::boBmpDecode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &pixels));
    EXPECT_EQ(800u, pixels.dwWidth);
    EXPECT_EQ(600u, pixels.dwHeight);
    const SLogLine where = lineOf(run.host, "NPP_SETWINDOW", "why", "new");
    const uint32_t cx = static_cast<uint32_t>(std::stoi(where.strGet("x")) + 75);
    const uint32_t cy = static_cast<uint32_t>(std::stoi(where.strGet("y")) + 35);
    EXPECT_EQ(0x2080C0u, FdBrowserHost::dwPixel(pixels, cx, cy))
        << "the plug-in's own painting is in the picture";
    EXPECT_NE(0x2080C0u, FdBrowserHost::dwPixel(pixels, cx + 100, cy)) << "and only where its window is";
}

// ---- Pages that cannot be read, and a page read from a local folder.
TEST(Pages, MissingPageEndsWithCode3)
{
    const SHostRun run =
        runHost({"--page", strWebUrl("/nosuch.htm"), "--plugin", strPlugin()}, strFreshFolder("missing"));
    EXPECT_EQ(3, run.lExit);
    const SLogLine e = lineOf(run.host, "ERROR", "what", "page");
    EXPECT_NE(std::string::npos, e.strGet("text").find("HTTP 404")) << e.strGet("text");
    EXPECT_EQ("page", lineOf(run.host, "QUIT").strGet("reason"));
    EXPECT_TRUE(run.plugin.empty());
}

TEST(Pages, LocalFolderPage)
{
    const std::string dir = strFreshFolder("local");
    ASSERT_TRUE(boWriteFile(dir + "\\local.htm",
                            "<embed type=\"application/x-fd-hosttest\" name=local width=20 height=20 "
                            "actions=\"notify|local.fdht||f; geturl|shown.htm|_blank\">"));
    ASSERT_TRUE(boWriteFile(dir + "\\local.fdht", "contenu local"));
    ASSERT_TRUE(boWriteFile(dir + "\\shown.htm", "<p>Page \xE9"
                                                 "crite</p>"));
    const SHostRun run =
        runHost({"--page", dir + "\\local.htm", "--plugin", strPlugin(), "--quit-when-idle", "500"}, dir);
    EXPECT_EQ(0, run.lExit);
    const SLogLine d = lineOf(run.plugin, "DESTROYSTREAM", "tag", "f");
    EXPECT_EQ("contenu local", d.strGet("data"));
    EXPECT_EQ(0u, d.strGet("url").find("file:///")) << d.strGet("url");
    EXPECT_EQ("0", lineOf(run.plugin, "URLNOTIFY", "tag", "f").strGet("reason"));
    const SLogLine html = lineOf(run.host, "HTML");
    EXPECT_EQ("<p>Page \xE9"
              "crite</p>",
              html.strGet("data"))
        << "a local page opened in a window is logged";
    EXPECT_EQ("_blank", html.strGet("frame"));
}
} // namespace
