// The ActiveX control's browser emulation with a recording plug-in table:
// PARAMs, page addresses, MIME types, navigation, the download workers and
// their hand-over on the control's thread.
#include "AxHttpStatus.h"
#include "PlgnHlpr.h"
#include "TestKit.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace ChatPlugin;

namespace
{
struct SEvent
{
    std::string kind, url, text; // text: mime, bytes or path
    int reason = -1;
    DWORD thread = 0;
};

struct SRecorder
{
    std::vector<SEvent> events;
    std::vector<std::string> argn, argv;
    std::string newMime;
    uint16_t nextType = NP_NORMAL;
    size_t count(const std::string& kind) const
    {
        size_t n = 0;
        for (const SEvent& e : events)
            n += e.kind == kind;
        return n;
    }
    const SEvent* find(const std::string& kind, const std::string& url) const
    {
        for (const SEvent& e : events)
            if (e.kind == kind && e.url == url)
                return &e;
        return nullptr;
    }
};
SRecorder g_rec;

NPError FakeNew(NPMIMEType type, NPP, uint16_t, int16_t argc, char* argn[], char* argv[], NPSavedData*)
{
    g_rec.newMime = type ? type : "";
    for (int i = 0; i < argc; ++i)
    {
        g_rec.argn.push_back(argn[i]);
        g_rec.argv.push_back(argv[i]);
    }
    return NPERR_NO_ERROR;
}
NPError FakeNewStream(NPP, NPMIMEType type, NPStream* s, NPBool, uint16_t* stype)
{
    g_rec.events.push_back({"new", s->url, type, -1, GetCurrentThreadId()});
    *stype = g_rec.nextType;
    return NPERR_NO_ERROR;
}
int32_t FakeWrite(NPP, NPStream* s, int32_t, int32_t len, void* buf)
{
    g_rec.events.push_back(
        {"write", s->url, std::string(static_cast<char*>(buf), len), -1, GetCurrentThreadId()});
    return len;
}
void FakeAsFile(NPP, NPStream* s, const char* path)
{
    g_rec.events.push_back({"asfile", s->url, path, -1, GetCurrentThreadId()});
}
NPError FakeDestroyStream(NPP, NPStream* s, NPReason reason)
{
    g_rec.events.push_back({"end", s->url, "", reason, GetCurrentThreadId()});
    return NPERR_NO_ERROR;
}

class CTestHelper : public CxPlgnHlpr
{
public:
    CTestHelper()
    {
        NPPluginFuncs& f = PluginFuncs();
        std::memset(&f, 0, sizeof f);
        f.newp = FakeNew;
        f.newstream = FakeNewStream;
        f.write = FakeWrite;
        f.asfile = FakeAsFile;
        f.destroystream = FakeDestroyStream;
    }
    std::vector<std::pair<std::string, std::string>> navigations;

protected:
    bool boHasSite() override { return true; }
    void vNavigate(const std::string& url, const std::string& target) override
    {
        navigations.emplace_back(url, target);
    }
};

// ---- Download stand-ins
std::string g_file;          // what the stand-ins hand back
std::atomic<int> g_calls{0}; // calls of the stand-in
std::atomic<int> g_running{0}, g_peak{0};
HANDLE g_release = nullptr; // the blocking stand-in waits for it

HRESULT DownloadOk(const char*, char* path, DWORD cch, DWORD* status)
{
    ++g_calls;
    std::snprintf(path, cch, "%s", g_file.c_str());
    *status = 200;
    return S_OK;
}
HRESULT DownloadFails(const char*, char* path, DWORD, DWORD* status)
{
    ++g_calls;
    path[0] = '\0';
    *status = 0;
    return E_FAIL;
}
HRESULT DownloadNotFound(const char*, char* path, DWORD cch, DWORD* status)
{
    // Wine's answer to a 404: success, and the error page in the cache.
    ++g_calls;
    std::snprintf(path, cch, "%s", g_file.c_str());
    *status = 404;
    return S_OK;
}
HRESULT DownloadSyntax(const char*, char* path, DWORD cch, DWORD* status)
{
    ++g_calls;
    std::snprintf(path, cch, "%s", g_file.c_str());
    *status = 0;
    return static_cast<HRESULT>(0x800401E4);
}
HRESULT DownloadBlocking(const char* url, char* path, DWORD cch, DWORD* status)
{
    const int now = ++g_running;
    int peak = g_peak;
    while (now > peak && !g_peak.compare_exchange_weak(peak, now))
    {
    }
    WaitForSingleObject(g_release, 10000);
    --g_running;
    return DownloadOk(url, path, cch, status);
}

class Emulation : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_rec = SRecorder();
        g_calls = 0;
        g_running = 0;
        g_peak = 0;
        g_file = m_scratch.File("cache.bin");
        FILE* f = std::fopen(g_file.c_str(), "wb");
        ASSERT_NE(nullptr, f);
        std::fputs("abc", f);
        std::fclose(f);
        g_release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    }
    void TearDown() override
    {
        SetEvent(g_release);
        EXPECT_TRUE(FdTestKit::boPumpUntil([] { return CxPlgnHlpr::lWorkersRunning() == 0; }));
        CloseHandle(g_release);
        CxPlgnHlpr::vSetDownloadFunction(nullptr);
    }
    FdTestKit::CScratchFolder m_scratch;
};
} // namespace

TEST_F(Emulation, ParamsReachTheInstanceAndThePageGivesTheAddresses)
{
    CTestHelper h;
    h.vAddParam("Type", "application/x-verbolt");
    h.vAddParam("src", "cfg/chat.vblt");
    h.vAddParam("NICKNAME", "ann");
    h.vAfterLoad("http://h/a/b/p.htm");
    EXPECT_EQ("application/x-verbolt", g_rec.newMime) << "\"Type\" found as \"type\"";
    EXPECT_EQ((std::vector<std::string>{"Type", "src", "NICKNAME"}), g_rec.argn) << "names keep their case";
    EXPECT_EQ((std::vector<std::string>{"application/x-verbolt", "cfg/chat.vblt", "ann"}), g_rec.argv);
    EXPECT_EQ("http://h/a/b", h.strPageDir());
    EXPECT_EQ("http://h", h.strSiteRoot());
    EXPECT_EQ(".vblt", h.strSrcEnding());

    h.vFetch("/x", "main");
    h.vFetch("y.htm", "f");
    h.vFetch("ftp://z/q", "_top");
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"http://h/x", "main"}, {"http://h/a/b/y.htm", "f"}, {"ftp://z/q", "_top"}};
    EXPECT_EQ(expected, h.navigations);
    EXPECT_TRUE(g_rec.events.empty()) << "a navigation is no stream";
}

TEST_F(Emulation, TypesOfFetchedAddresses)
{
    CxPlgnHlpr::vSetDownloadFunction(DownloadOk);
    CTestHelper h;
    h.vAddParam("type", "application/x-verbolt");
    h.vAddParam("src", "chat.vblt");
    h.vAfterLoad("http://h/a/p.htm");
    const std::pair<const char*, const char*> rows[] = {
        {"X.GIF?v=1", "image/gif"},          {"a.asp", "text/asp"},   {"b.htm", "text/html"},
        {"c.vblt", "application/x-verbolt"}, {"d.txt", "text/plain"}, {"e.bin", "application/octet-stream"}};
    for (const auto& r : rows)
        h.vFetch(r.first, nullptr);
    for (const auto& r : rows)
    {
        const SEvent* e = g_rec.find("new", std::string("http://h/a/") + r.first);
        ASSERT_NE(nullptr, e) << r.first;
        EXPECT_EQ(r.second, e->text) << r.first;
    }
    EXPECT_TRUE(FdTestKit::boPumpUntil([] { return g_rec.count("end") == 6; }));
}

TEST_F(Emulation, ResultsReachThePluginOnTheControlsThread)
{
    struct Row
    {
        CxPlgnHlpr::FDownload download;
        uint16_t type;
        const char* what; // "write", "asfile" or "" (none)
        int reason;
        int calls;
    };
    const Row rows[] = {
        {DownloadOk, NP_NORMAL, "write", NPRES_DONE, 1},
        {DownloadOk, NP_ASFILE, "asfile", NPRES_DONE, 1},
        {DownloadFails, NP_NORMAL, "", NPRES_NETWORK_ERR, 1},
        {DownloadFails, NP_ASFILE, "", NPRES_NETWORK_ERR, 1},
        {DownloadNotFound, NP_NORMAL, "", NPRES_NETWORK_ERR, 1},
        {DownloadNotFound, NP_ASFILE, "", NPRES_NETWORK_ERR, 1},
        {DownloadSyntax, NP_NORMAL, "", NPRES_NETWORK_ERR, 6}, // the first try and five more
        {DownloadOk, NP_SEEK, "", NPRES_NETWORK_ERR, 1},
    };
    int row = 0;
    for (const Row& r : rows)
    {
        SCOPED_TRACE(row++);
        g_rec = SRecorder();
        g_rec.nextType = r.type;
        g_calls = 0;
        CxPlgnHlpr::vSetDownloadFunction(r.download);
        CTestHelper h;
        h.vAfterLoad("http://h/p.htm");
        h.vFetch("doc.bin", nullptr);
        ASSERT_TRUE(FdTestKit::boPumpUntil([] { return g_rec.count("end") == 1; }));
        EXPECT_EQ(r.calls, g_calls.load());
        const SEvent* end = g_rec.find("end", "http://h/doc.bin");
        ASSERT_NE(nullptr, end);
        EXPECT_EQ(r.reason, end->reason);
        EXPECT_EQ(GetCurrentThreadId(), end->thread);
        if (*r.what)
        {
            const SEvent* got = g_rec.find(r.what, "http://h/doc.bin");
            ASSERT_NE(nullptr, got);
            EXPECT_EQ(std::string(r.what) == "write" ? "abc" : g_file, got->text);
            EXPECT_EQ(GetCurrentThreadId(), got->thread);
        }
        EXPECT_EQ(0u, g_rec.count(*r.what && std::string(r.what) == "write" ? "asfile" : "write"));
        EXPECT_EQ(r.reason == NPRES_DONE ? 3u : 2u, g_rec.events.size());
    }
}

TEST_F(Emulation, AtMostTwentyDownloadsRunAtOnce)
{
    CxPlgnHlpr::vSetDownloadFunction(DownloadBlocking);
    CTestHelper h;
    h.vAfterLoad("http://h/p.htm");
    for (int i = 0; i < 25; ++i)
        h.vFetch("f" + std::to_string(i) + ".bin", nullptr);
    ASSERT_TRUE(FdTestKit::boPumpUntil([] { return g_running.load() == 20; }));
    FdTestKit::vPumpFor(100);
    EXPECT_EQ(20, g_running.load()) << "five wait for a place";
    EXPECT_EQ(25, CxPlgnHlpr::lWorkersRunning());
    SetEvent(g_release);
    ASSERT_TRUE(FdTestKit::boPumpUntil([] { return g_rec.count("end") == 25; }));
    EXPECT_EQ(20, g_peak.load());
    EXPECT_EQ(25u, g_rec.count("write"));
}

TEST_F(Emulation, AControlGoneMeanwhileReceivesNothing)
{
    CxPlgnHlpr::vSetDownloadFunction(DownloadBlocking);
    {
        CTestHelper h;
        h.vAfterLoad("http://h/p.htm");
        for (int i = 0; i < 3; ++i)
            h.vFetch("g" + std::to_string(i) + ".bin", nullptr);
        ASSERT_TRUE(FdTestKit::boPumpUntil([] { return g_running.load() == 3; }));
    }
    SetEvent(g_release);
    ASSERT_TRUE(FdTestKit::boPumpUntil([] { return CxPlgnHlpr::lWorkersRunning() == 0; }));
    FdTestKit::vPumpFor(100);
    EXPECT_EQ(3u, g_rec.count("new"));
    EXPECT_EQ(0u, g_rec.count("write"));
    EXPECT_EQ(0u, g_rec.count("end"));
}

TEST_F(Emulation, RealTransfersAndAnHttpError)
{
    const char* port = std::getenv("FD_WEB_PORT");
    ASSERT_NE(nullptr, port) << "the web stand-in";
    const std::string base = std::string("http://127.0.0.1:") + port;
    CTestHelper h;
    h.vAfterLoad(base + "/p.htm");
    h.vFetch("/chat.vblt", nullptr);
    h.vFetch("/_/status/404", nullptr);
    ASSERT_TRUE(FdTestKit::boPumpUntil([] { return g_rec.count("end") == 2; }, 20000));
    const SEvent* ok = g_rec.find("write", base + "/chat.vblt");
    ASSERT_NE(nullptr, ok);
    EXPECT_EQ("chat page\n", ok->text);
    EXPECT_EQ(NPRES_DONE, g_rec.find("end", base + "/chat.vblt")->reason);
    EXPECT_EQ(NPRES_NETWORK_ERR, g_rec.find("end", base + "/_/status/404")->reason);
    EXPECT_EQ(nullptr, g_rec.find("write", base + "/_/status/404")) << "an error page is no document";
}
