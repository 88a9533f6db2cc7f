// The plug-in's entry points and its instance, called as a browser calls
// them: tables, versions, results, stream types, the finished-stream records
// and the container window.
#include "ChatContainerWnd.h"
#include "ChatInstance.h"
#include "ChatBrowser.h"
#include "TestKit.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

using namespace ChatPlugin;

namespace
{
struct SGetUrlCall
{
    std::string url, target;
};
std::vector<SGetUrlCall> g_getUrls;

NPError FakeGetUrl(NPP, const char* url, const char* target)
{
    g_getUrls.push_back({url ? url : "", target ? target : "(none)"});
    return NPERR_NO_ERROR;
}
NPError FakePostUrl(NPP, const char*, const char*, uint32_t, const char*, NPBool)
{
    return NPERR_NO_ERROR;
}

NPNetscapeFuncs BrowserTable(uint16_t version)
{
    NPNetscapeFuncs t;
    std::memset(&t, 0, sizeof t);
    t.size = sizeof t;
    t.version = version;
    t.geturl = FakeGetUrl;
    t.posturl = FakePostUrl;
    return t;
}

// The module initialised with a browser table for the test's length.
class Initialised
{
public:
    explicit Initialised(NPNetscapeFuncs table) : m_table(table)
    {
        std::memset(&m_funcs, 0, sizeof m_funcs);
        m_funcs.size = sizeof m_funcs;
        EXPECT_EQ(NPERR_NO_ERROR, NpGetEntryPoints(&m_funcs));
        EXPECT_EQ(NPERR_NO_ERROR, NpInitialize(&m_table));
    }
    ~Initialised()
    {
        NpShutdown();
        EXPECT_EQ(nullptr, lpBrowserTable());
    }
    NPPluginFuncs& funcs() { return m_funcs; }

private:
    NPNetscapeFuncs m_table;
    NPPluginFuncs m_funcs;
};

// A browser window for an instance: a top-level window of the test.
class CBrowserWindow
{
public:
    CBrowserWindow()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "NpvTestBrowserWnd";
        RegisterClassA(&wc);
        m_hwnd = CreateWindowExA(0, "NpvTestBrowserWnd", "browser", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10,
                                 420, 300, nullptr, nullptr, wc.hInstance, nullptr);
        m_window.window = m_hwnd;
        m_window.width = 400;
        m_window.height = 280;
        m_window.type = NPWindowTypeWindow;
    }
    ~CBrowserWindow()
    {
        if (IsWindow(m_hwnd))
            DestroyWindow(m_hwnd);
    }
    HWND hwnd() const { return m_hwnd; }
    NPWindow* window() { return &m_window; }

private:
    HWND m_hwnd = nullptr;
    NPWindow m_window = {};
};

NPStream StreamOf(const char* url)
{
    NPStream s;
    std::memset(&s, 0, sizeof s);
    s.url = url;
    return s;
}
} // namespace

TEST(NpEntry, EntryPointsFillTheTable)
{
    EXPECT_EQ(NPERR_INVALID_FUNCTABLE_ERROR, NpGetEntryPoints(nullptr));
    NPPluginFuncs f;
    std::memset(&f, 0xCC, sizeof f);
    f.size = sizeof f;
    ASSERT_EQ(NPERR_NO_ERROR, NpGetEntryPoints(&f));
    EXPECT_EQ(11, f.version);
    for (const void* p : {(const void*)f.newp, (const void*)f.destroy, (const void*)f.setwindow,
                          (const void*)f.newstream, (const void*)f.destroystream, (const void*)f.asfile,
                          (const void*)f.writeready, (const void*)f.write, (const void*)f.print})
        EXPECT_NE(nullptr, p);
    EXPECT_EQ(nullptr, reinterpret_cast<void*>(f.event));
}

TEST(NpEntry, InitialiseCountsOnlySuccessfulCalls)
{
    NPPluginFuncs f;
    std::memset(&f, 0, sizeof f);
    f.size = sizeof f;
    ASSERT_EQ(NPERR_NO_ERROR, NpGetEntryPoints(&f));
    NPNetscapeFuncs major1 = BrowserTable(0x0100 | 11);
    EXPECT_EQ(NPERR_INCOMPATIBLE_VERSION_ERROR, NpInitialize(&major1));
    EXPECT_EQ(NPERR_INVALID_FUNCTABLE_ERROR, NpInitialize(nullptr)) << "the failure counted no user";
    EXPECT_EQ(nullptr, lpBrowserTable());
    NPNetscapeFuncs good = BrowserTable(11);
    EXPECT_EQ(NPERR_NO_ERROR, NpInitialize(&good)) << "a later call initialises";
    ASSERT_NE(nullptr, lpBrowserTable());
    EXPECT_NE(nullptr, reinterpret_cast<void*>(f.urlnotify)) << "minor 11 gets URL notification";
    EXPECT_EQ(NPERR_NO_ERROR, NpInitialize(nullptr)) << "a second call answers 0 without a look";
    int major = -1, minor = -1;
    vBrowserVersion(major, minor);
    EXPECT_EQ(0, major);
    EXPECT_EQ(11, minor);
    EXPECT_STREQ("NP", pszBrowserKind());
    EXPECT_EQ(NPERR_NO_ERROR, NpShutdown());
    EXPECT_NE(nullptr, lpBrowserTable()) << "one user left";
    EXPECT_EQ(NPERR_NO_ERROR, NpShutdown());
    EXPECT_EQ(nullptr, lpBrowserTable());
}

TEST(NpEntry, InitialiseCopiesNoMoreThanTheBrowserTableHolds)
{
    // A short table: its size covers the get-URL entry only; the bytes
    // behind it are not the browser's and must not be taken.
    struct
    {
        NPNetscapeFuncs t;
    } block;
    std::memset(&block, 0xAB, sizeof block);
    block.t.version = 11;
    block.t.geturl = FakeGetUrl;
    block.t.size = offsetof(NPNetscapeFuncs, posturl);
    ASSERT_EQ(NPERR_NO_ERROR, NpInitialize(&block.t));
    const NPNetscapeFuncs* copy = lpBrowserTable();
    ASSERT_NE(nullptr, copy);
    EXPECT_EQ(reinterpret_cast<void*>(FakeGetUrl), reinterpret_cast<void*>(copy->geturl));
    EXPECT_EQ(nullptr, reinterpret_cast<void*>(copy->posturl));
    EXPECT_EQ(nullptr, reinterpret_cast<void*>(copy->forceredraw));
    EXPECT_EQ(nullptr, copy->getJavaPeer);
    NpShutdown();
}

TEST(NpEntry, GetUrlGoesOutOnlyThroughAUsableTable)
{
    NPNetscapeFuncs same = BrowserTable(11);
    same.posturl = reinterpret_cast<NPN_PostURLProcPtr>(reinterpret_cast<void*>(FakeGetUrl));
    {
        Initialised init(same);
        g_getUrls.clear();
        EXPECT_EQ(NPERR_NO_ERROR, iGetUrl(nullptr, "http://h/a", nullptr));
        EXPECT_TRUE(g_getUrls.empty()) << "get-URL equal to post-URL: skipped";
    }
    Initialised init(BrowserTable(11));
    g_getUrls.clear();
    iGetUrl(nullptr, "http://h/a", "main");
    ASSERT_EQ(1u, g_getUrls.size());
    EXPECT_EQ("main", g_getUrls[0].target);
}

TEST(NpEntry, InstanceCallsAndTheirResults)
{
    Initialised init(BrowserTable(11));
    NPPluginFuncs& f = init.funcs();
    EXPECT_EQ(NPERR_INVALID_INSTANCE_ERROR, f.newp(nullptr, nullptr, NP_EMBED, 0, nullptr, nullptr, nullptr));
    NPP_t empty = {nullptr, nullptr};
    EXPECT_EQ(NPERR_INVALID_PLUGIN_ERROR, f.destroy(&empty, nullptr));
    EXPECT_EQ(NPERR_INVALID_PLUGIN_ERROR, f.setwindow(&empty, nullptr));
    EXPECT_EQ(NPERR_INVALID_INSTANCE_ERROR, f.destroy(nullptr, nullptr));
    NPStream orphan = StreamOf("http://h/a");
    EXPECT_EQ(NPERR_GENERIC_ERROR, f.destroystream(&empty, &orphan, NPRES_DONE));
    EXPECT_EQ(-1, f.writeready(&empty, &orphan));

    char n0[] = "SERVER_NAME", v0[] = "irc.example", n1[] = "nickname", v1[] = "ann";
    char* argn[] = {n0, n1};
    char* argv[] = {v0, v1};
    NPP_t npp = {nullptr, nullptr};
    char type[] = "application/x-verbolt";
    ASSERT_EQ(NPERR_NO_ERROR, f.newp(type, &npp, NP_EMBED, 2, argn, argv, nullptr));
    auto* inst = static_cast<CChatInstance*>(npp.pdata);
    ASSERT_NE(nullptr, inst);
    EXPECT_STREQ("irc.example", inst->pszServerName());
    EXPECT_STREQ("ann", inst->pszNickname()) << "names compare without case";
    EXPECT_EQ(nullptr, inst->pszRoomName());
    EXPECT_FALSE(inst->boIsActiveX());

    struct Row
    {
        const char* type;
        const char* url;
        uint16_t expected;
    };
    const Row rows[] = {
        {"text/html", "http://h/p.htm", 1},
        {"text/", "http://h/p", 1},
        {"image/gif", "http://h/i.gif", 3},
        {"image/", "http://h/i", 1},
        {"application/octet-stream", "http://h/a.vblt", 1},
        {"application/octet-stream", ".vblt", 3},
        {"application/octet-stream", "http://h/x.bin", 3},
        {"application/octet-stream", "http://h/A.VERBOLT", 1},
    };
    for (const Row& r : rows)
    {
        NPStream s = StreamOf(r.url);
        uint16_t stype = 0;
        std::string t = r.type;
        ASSERT_EQ(NPERR_NO_ERROR, f.newstream(&npp, &t[0], &s, 0, &stype)) << r.type;
        EXPECT_EQ(r.expected, stype) << r.type << " " << r.url;
        EXPECT_EQ(0x0FFFFFFF, f.writeready(&npp, &s));
        EXPECT_EQ(NPERR_NO_ERROR, f.destroystream(&npp, &s, NPRES_DONE));
        EXPECT_EQ(nullptr, s.pdata);
    }
    EXPECT_EQ(NPERR_NO_ERROR, f.destroy(&npp, nullptr));
    EXPECT_EQ(nullptr, npp.pdata);
}

TEST(NpEntry, ContainerHoldsTheChatWindowAndStreamsBecomeRecords)
{
    Initialised init(BrowserTable(11));
    NPPluginFuncs& f = init.funcs();
    CBrowserWindow browser;
    ASSERT_TRUE(browser.hwnd());
    NPP_t npp = {nullptr, nullptr};
    char type[] = "application/x-verbolt";
    ASSERT_EQ(NPERR_NO_ERROR, f.newp(type, &npp, NP_EMBED, 0, nullptr, nullptr, nullptr));
    auto* inst = static_cast<CChatInstance*>(npp.pdata);
    ASSERT_EQ(NPERR_NO_ERROR, f.setwindow(&npp, browser.window()));
    HWND chat = GetDlgItem(browser.hwnd(), CChatContainerWnd::kChatWindowId);
    ASSERT_NE(nullptr, chat) << "child 110";
    RECT client, child;
    GetClientRect(browser.hwnd(), &client);
    GetClientRect(chat, &child);
    EXPECT_EQ(client.right, child.right);
    EXPECT_EQ(client.bottom, child.bottom);
    // A new size reaches the chat window.
    SetWindowPos(browser.hwnd(), nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);
    GetClientRect(browser.hwnd(), &client);
    GetClientRect(chat, &child);
    EXPECT_EQ(client.right, child.right);
    EXPECT_EQ(client.bottom, child.bottom);
    // The same window again changes nothing; another one while this one is held neither.
    EXPECT_EQ(NPERR_NO_ERROR, f.setwindow(&npp, browser.window()));
    EXPECT_EQ(chat, GetDlgItem(browser.hwnd(), CChatContainerWnd::kChatWindowId));

    auto& queue = inst->ChatWnd()->FinishedDownloads();
    // Normal stream written in two blocks.
    NPStream text = StreamOf("http://h/ui.htm");
    uint16_t stype = 0;
    char html[] = "text/html";
    ASSERT_EQ(NPERR_NO_ERROR, f.newstream(&npp, html, &text, 0, &stype));
    char ab[] = "ab", c[] = "c";
    EXPECT_EQ(2, f.write(&npp, &text, 0, 2, ab));
    EXPECT_EQ(1, f.write(&npp, &text, 2, 1, c));
    f.destroystream(&npp, &text, NPRES_DONE);
    // A network error.
    NPStream broken = StreamOf("http://h/gone.htm");
    f.newstream(&npp, html, &broken, 0, &stype);
    f.write(&npp, &broken, 0, 2, ab);
    f.destroystream(&npp, &broken, NPRES_NETWORK_ERR);
    // A block that could not be kept fails the stream even when it ends well.
    NPStream cut = StreamOf("http://h/cut.htm");
    f.newstream(&npp, html, &cut, 0, &stype);
    f.write(&npp, &cut, 0, 2, ab);
    f.write(&npp, &cut, 2, 5, nullptr);
    f.destroystream(&npp, &cut, NPRES_DONE);
    // A file.
    NPStream file = StreamOf("http://h/i.gif");
    char gif[] = "image/gif";
    f.newstream(&npp, gif, &file, 0, &stype);
    f.asfile(&npp, &file, "C:\\cache\\i.gif");
    f.destroystream(&npp, &file, NPRES_DONE);

    auto r1 = queue.Pop();
    ASSERT_TRUE(r1);
    EXPECT_EQ("abc", r1->strText);
    EXPECT_EQ("http://h/ui.htm", r1->strUrl);
    EXPECT_EQ("text/html", r1->strMime);
    EXPECT_FALSE(r1->boFailed);
    EXPECT_FALSE(r1->boAsFile);
    auto r2 = queue.Pop();
    ASSERT_TRUE(r2);
    EXPECT_TRUE(r2->boFailed);
    EXPECT_EQ("", r2->strText);
    auto r3 = queue.Pop();
    ASSERT_TRUE(r3);
    EXPECT_TRUE(r3->boFailed) << "a block that could not be buffered";
    EXPECT_EQ("", r3->strText);
    auto r4 = queue.Pop();
    ASSERT_TRUE(r4);
    EXPECT_TRUE(r4->boAsFile);
    EXPECT_EQ("C:\\cache\\i.gif", r4->strPath);
    EXPECT_FALSE(queue.Pop());

    // Hiding the browser's window takes the chat window down.
    ShowWindow(browser.hwnd(), SW_HIDE);
    EXPECT_EQ(nullptr, GetDlgItem(browser.hwnd(), CChatContainerWnd::kChatWindowId));
    EXPECT_FALSE(IsWindow(chat));
    EXPECT_EQ(nullptr, inst->ChatWnd());
    EXPECT_EQ(NPERR_NO_ERROR, f.destroy(&npp, nullptr));
}

TEST(NpEntry, ANullWindowTearsDownAndAFreshOneBuildsAgain)
{
    Initialised init(BrowserTable(11));
    NPPluginFuncs& f = init.funcs();
    CBrowserWindow browser;
    NPP_t npp = {nullptr, nullptr};
    char type[] = "application/x-verbolt";
    ASSERT_EQ(NPERR_NO_ERROR, f.newp(type, &npp, NP_EMBED, 0, nullptr, nullptr, nullptr));
    ASSERT_EQ(NPERR_NO_ERROR, f.setwindow(&npp, browser.window()));
    ASSERT_NE(nullptr, GetDlgItem(browser.hwnd(), CChatContainerWnd::kChatWindowId));
    NPWindow none = {};
    none.type = NPWindowTypeWindow;
    EXPECT_EQ(NPERR_NO_ERROR, f.setwindow(&npp, &none));
    EXPECT_EQ(nullptr, GetDlgItem(browser.hwnd(), CChatContainerWnd::kChatWindowId));
    ASSERT_EQ(NPERR_NO_ERROR, f.setwindow(&npp, browser.window()));
    EXPECT_NE(nullptr, GetDlgItem(browser.hwnd(), CChatContainerWnd::kChatWindowId));
    // A new window in the same record, the old one destroyed afterwards: the chat moves with it.
    CBrowserWindow second;
    browser.window()->window = second.hwnd();
    ASSERT_EQ(NPERR_NO_ERROR, f.setwindow(&npp, browser.window()));
    EXPECT_EQ(nullptr, GetDlgItem(browser.hwnd(), CChatContainerWnd::kChatWindowId));
    HWND moved = GetDlgItem(second.hwnd(), CChatContainerWnd::kChatWindowId);
    ASSERT_NE(nullptr, moved);
    DestroyWindow(browser.hwnd());
    EXPECT_TRUE(IsWindow(moved)) << "the old window's end leaves the chat alone";
    EXPECT_EQ(NPERR_NO_ERROR, f.destroy(&npp, nullptr));
    EXPECT_EQ(nullptr, GetDlgItem(second.hwnd(), CChatContainerWnd::kChatWindowId))
        << "gone with the instance";
    // The browser's window keeps working after the container let it go.
    EXPECT_TRUE(SetWindowTextA(second.hwnd(), "still here"));
}

TEST(NpEntry, TheEmulationsMarkMakesTheBrowserKindAX)
{
    NPNetscapeFuncs ax = BrowserTable(11);
    ax.getJavaPeer = reinterpret_cast<NPN_GetJavaPeerProcPtr>(static_cast<intptr_t>(-1));
    Initialised init(ax);
    EXPECT_STREQ("AX", pszBrowserKind());
    NPP_t npp = {nullptr, nullptr};
    char type[] = "application/x-verbolt";
    ASSERT_EQ(NPERR_NO_ERROR, init.funcs().newp(type, &npp, NP_EMBED, 0, nullptr, nullptr, nullptr));
    EXPECT_TRUE(static_cast<CChatInstance*>(npp.pdata)->boIsActiveX());
    init.funcs().destroy(&npp, nullptr);
}
