// The hub's COM object and its page jobs, in process, over a fake hub core:
// command words, parameter keys, the pilot's Send, callbacks held and
// dropped, and jobs delivered through the main window, modal loops included.
#include "PageCallback.h"
#include "PumpUntil.h"

#include <gtest/gtest.h>

#include "TestHelper.h"

#include <memory>

#include "LinkwellMessages.h"
#include "LinkwellV2.h"
#include "MainWindow.h"
#include "OBPPJob.h"
#include "TestFiles.h"

using namespace Linkwell;

namespace
{
constexpr DWORD kWaitMs = 2000;

// What the object asked of the core and of the program.
class CFakeCore : public IHubCore, public ILinkwellProgram
{
public:
    struct SConnect
    {
        uint32_t dwAddress;
        uint16_t wPort;
        uint32_t dwTimeoutMs;
    };
    struct SJob
    {
        HubRouting::SPageJob job;
        uint32_t dwAddress;
        uint16_t wPort;
    };

    uint32_t dwResolve(const std::string& host) override
    {
        // Enough for the tests: "a.b.c.d" in network order, names unknown.
        unsigned a, b, c, d;
        if (sscanf(host.c_str(), "%u.%u.%u.%u", &a, &b, &c, &d) != 4)
            return 0;
        return a | (b << 8) | (c << 16) | (d << 24);
    }
    void vConnect(uint32_t dwAddress, uint16_t wPort, uint32_t dwTimeoutMs) override
    {
        calls.push_back("connect");
        connects.push_back({dwAddress, wPort, dwTimeoutMs});
    }
    void vReleaseLink(uint32_t dwAddress, uint16_t wPort) override
    {
        calls.push_back("release");
        releases.push_back({dwAddress, wPort, 0});
    }
    bool boAddPageJob(const HubRouting::SPageJob& job, uint32_t dwAddress, uint16_t wPort) override
    {
        jobs.push_back({job, dwAddress, wPort});
        return boAcceptJobs;
    }
    bool boSend(uint32_t dwAddress, uint16_t wPort, const SPilotSend& send) override
    {
        sends.push_back(send);
        sendTargets.push_back({dwAddress, wPort, 0});
        return boSendOk;
    }
    void vApplyPageParam(EPageKey key, const SPageParams& params) override
    {
        applied.push_back(key);
        last = params;
    }
    void vPostQuit() override { ++iQuits; }
    void vSetTraceLevel(uint32_t dwLevel) override { traceLevels.push_back(dwLevel); }

    std::vector<std::string> calls;
    std::vector<SConnect> connects;
    std::vector<SConnect> releases;
    std::vector<SJob> jobs;
    std::vector<SPilotSend> sends;
    std::vector<SConnect> sendTargets;
    std::vector<EPageKey> applied;
    SPageParams last;
    std::vector<uint32_t> traceLevels;
    int iQuits = 0;
    bool boAcceptJobs = true;
    bool boSendOk = true;
};

class CQuitRecorder : public CMainWindow::IHandler
{
public:
    void vOnQuit() override { ++iQuits; }
    void vOnTrayState(bool boAny) override { states.push_back(boAny); }
    int iQuits = 0;
    std::vector<bool> states;
};

HRESULT hrSet(IDiagOBPP2Cmpt* lpObject, const char* lpszName, const std::string& value)
{
    return lpObject->SetParameter(FdCom::CBstr(lpszName).bstr(), FdCom::CBstr(value).bstr());
}

HRESULT hrRun(IDiagOBPP2Cmpt* lpObject, const char* lpszWord)
{
    return lpObject->ExecuteCmd(FdCom::CBstr(lpszWord).bstr());
}

// Dispatches what is queued, as a modal loop does.
void vRunNestedLoop()
{
    FdWin::vPumpWaiting();
}

class LinkwellObject : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        m_lLocks = FdCom::CModule::Get().lLockCount();
        ASSERT_TRUE(m_window.boCreate(GetModuleHandleA(nullptr), m_handler));
        CLinkwellV2::vSetContext(&m_core, &m_core);
        m_lpObject = lpNewObject();
        m_lpCallback = CPageCallback::lpCreate();
    }
    void TearDown() override
    {
        if (m_lpObject != nullptr)
            m_lpObject->Release();
        m_window.vDestroy();
        EXPECT_EQ(1, m_lpCallback->lRefs()) << "a reference to the page's callback was left";
        m_lpCallback->Release();
        CLinkwellV2::vSetContext(nullptr, nullptr);
        EXPECT_EQ(m_lLocks, FdCom::CModule::Get().lLockCount()) << "an object of the scenario was left";
        CoUninitialize();
    }

    static IDiagOBPP2Cmpt* lpNewObject(FdTestKit::SWhere where = FdTestKit::SWhere::here())
    {
        FD_TRACE_CALLER(where);
        IDiagOBPP2Cmpt* p = nullptr;
        EXPECT_EQ(S_OK, hrCreateLinkwellV2(IID_IDiagOBPP2Cmpt, reinterpret_cast<void**>(&p)));
        return p;
    }
    void vAdvise(IDiagOBPP2Cmpt* lpObject, CPageCallback* lpCallback)
    {
        unsigned long dwCookie = 0xDEADBEEF;
        ASSERT_EQ(S_OK, lpObject->Advise(lpCallback, &dwCookie));
        EXPECT_EQ(0u, dwCookie);
    }

    CFakeCore m_core;
    CQuitRecorder m_handler;
    CMainWindow m_window;
    IDiagOBPP2Cmpt* m_lpObject = nullptr;
    CPageCallback* m_lpCallback = nullptr;
    LONG m_lLocks = 0;
};
} // namespace

TEST_F(LinkwellObject, ConxAndFonxConnectToTheServerOfCxipCxptAndCxtm)
{
    ASSERT_EQ(S_OK, hrSet(m_lpObject, "CXIP", "127.0.0.1"));
    ASSERT_EQ(S_OK, hrSet(m_lpObject, "cxpt", "9000"));
    ASSERT_EQ(S_OK, hrSet(m_lpObject, "CXTM", "2500"));
    ASSERT_EQ(S_OK, hrRun(m_lpObject, "CONX"));
    ASSERT_EQ(1u, m_core.connects.size());
    EXPECT_EQ(0x0100007Fu, m_core.connects[0].dwAddress);
    EXPECT_EQ(9000, m_core.connects[0].wPort);
    EXPECT_EQ(2500u, m_core.connects[0].dwTimeoutMs);
    EXPECT_TRUE(m_core.releases.empty());

    // Parameters stay for the next command: FONX releases, then connects.
    ASSERT_EQ(S_OK, hrRun(m_lpObject, "fonx"));
    EXPECT_EQ((std::vector<std::string>{"connect", "release", "connect"}), m_core.calls);
    ASSERT_EQ(1u, m_core.releases.size());
    EXPECT_EQ(0x0100007Fu, m_core.releases[0].dwAddress);
    EXPECT_EQ(9000, m_core.releases[0].wPort);

    // Other words do nothing and answer success.
    EXPECT_EQ(S_OK, hrRun(m_lpObject, "SETVER"));
    EXPECT_EQ(S_OK, hrRun(m_lpObject, ""));
    EXPECT_EQ(3u, m_core.calls.size());
    EXPECT_EQ(0, m_core.iQuits);
}

TEST_F(LinkwellObject, ClosAndForceRemovePostTheQuitMessage)
{
    EXPECT_EQ(S_OK, hrRun(m_lpObject, "CLOS"));
    EXPECT_EQ(1, m_core.iQuits);
    EXPECT_EQ(S_OK, m_lpObject->ForceRemove());
    EXPECT_EQ(2, m_core.iQuits);
}

TEST_F(LinkwellObject, ManagerKeysGoToTheCoreAndLogtToTheProgram)
{
    ASSERT_EQ(S_OK, hrSet(m_lpObject, "PSDO", "Joueur \xE9t\xE9"));
    ASSERT_EQ(S_OK, hrSet(m_lpObject, "lkid", "LKW2"));
    ASSERT_EQ(S_OK, hrSet(m_lpObject, "MSGC", "bonjour"));
    ASSERT_EQ(S_OK, hrSet(m_lpObject, "MSGD", "GAMEX"));
    ASSERT_EQ(S_OK, hrSet(m_lpObject, "DKAU", "300"));
    ASSERT_EQ(S_OK, hrSet(m_lpObject, "DKAT", "400"));
    ASSERT_EQ(S_OK, hrSet(m_lpObject, "LPCD", "LPC2"));
    ASSERT_EQ(S_OK, hrSet(m_lpObject, "PXPT", "8080"));
    ASSERT_EQ(S_OK, hrSet(m_lpObject, "URLL", "http://x/")); // the object's own
    ASSERT_EQ(S_OK, hrSet(m_lpObject, "NOPE", "1"));         // unknown
    ASSERT_EQ(S_OK, hrSet(m_lpObject, "LOGT", "30"));
    EXPECT_EQ((std::vector<EPageKey>{EPageKey::PSDO, EPageKey::LKID, EPageKey::MSGC, EPageKey::MSGD,
                                     EPageKey::DKAU, EPageKey::DKAT, EPageKey::LPCD, EPageKey::PXPT}),
              m_core.applied);
    EXPECT_EQ("Joueur \xE9t\xE9", m_core.last.pseudo);
    EXPECT_EQ("LKW2", m_core.last.hubId);
    EXPECT_EQ("bonjour", m_core.last.message);
    EXPECT_EQ("GAME", m_core.last.messageDstId);
    EXPECT_EQ(300u, m_core.last.dwKeepAliveUdpMs);
    EXPECT_EQ(400u, m_core.last.dwKeepAliveTcpMs);
    EXPECT_EQ(8080u, m_core.last.dwProxyPort);
    EXPECT_EQ((std::vector<uint32_t>{30}), m_core.traceLevels);
}

TEST_F(LinkwellObject, GetParameterAnswersNothing)
{
    ASSERT_EQ(S_OK, hrSet(m_lpObject, "CXIP", "127.0.0.1"));
    BSTR value = SysAllocString(L"sentinel");
    EXPECT_EQ(S_OK, m_lpObject->GetParameter(FdCom::CBstr("CXIP").bstr(), &value));
    EXPECT_EQ(nullptr, value);
    EXPECT_EQ(E_POINTER, m_lpObject->GetParameter(FdCom::CBstr("CXIP").bstr(), nullptr));
}

TEST_F(LinkwellObject, AdviseHoldsOneCallbackAndUnadviseDropsIt)
{
    FD_HELPER(vAdvise(m_lpObject, m_lpCallback));
    EXPECT_EQ(2, m_lpCallback->lRefs());
    CPageCallback* second = CPageCallback::lpCreate();
    FD_HELPER(vAdvise(m_lpObject, second));
    EXPECT_EQ(1, m_lpCallback->lRefs()) << "the previous callback is released";
    EXPECT_EQ(2, second->lRefs());
    EXPECT_EQ(E_POINTER, m_lpObject->Advise(m_lpCallback, nullptr));
    EXPECT_EQ(2, second->lRefs()) << "a refused Advise changes nothing";
    EXPECT_EQ(S_OK, m_lpObject->Unadvise(0));
    EXPECT_EQ(1, second->lRefs());
    EXPECT_FALSE(CLinkwellV2::boNewestHasCallback());
    second->Release();

    // An object that goes releases its callback.
    FD_HELPER(vAdvise(m_lpObject, m_lpCallback));
    m_lpObject->Release();
    m_lpObject = nullptr;
    EXPECT_EQ(1, m_lpCallback->lRefs());
}

TEST_F(LinkwellObject, SurlPostsAJobThatTheCallbackGetsAsTurlBfrmSend)
{
    FD_HELPER(vAdvise(m_lpObject, m_lpCallback));
    ASSERT_EQ(S_OK, hrSet(m_lpObject, "URLL", "http://serveur/page?x=1"));
    ASSERT_EQ(S_OK, hrSet(m_lpObject, "FRMM", "cadre"));
    ASSERT_EQ(S_OK, hrRun(m_lpObject, "surl"));
    EXPECT_TRUE(m_lpCallback->Commands().empty()) << "the job runs from the main loop, not inside the call";
    ASSERT_TRUE(m_lpCallback->boWaitForCommands(1, kWaitMs));
    const SPageCommand& c = m_lpCallback->Commands()[0];
    EXPECT_EQ("SEND", c.cmd);
    ASSERT_EQ(2u, c.params.size()) << "no NUMERR for a page's own job";
    EXPECT_EQ("TURL", c.params[0].first);
    EXPECT_EQ("http://serveur/page?x=1", c.params[0].second);
    EXPECT_EQ("BFRM", c.params[1].first);
    EXPECT_EQ("cadre", c.params[1].second);
    EXPECT_TRUE(m_core.jobs.empty());
}

TEST_F(LinkwellObject, SurlAfterUripWaitsForThatServerOnceAndTheMarkIsCleared)
{
    FD_HELPER(vAdvise(m_lpObject, m_lpCallback));
    ASSERT_EQ(S_OK, hrSet(m_lpObject, "URLL", "http://u/"));
    ASSERT_EQ(S_OK, hrSet(m_lpObject, "FRMM", "f"));
    ASSERT_EQ(S_OK, hrSet(m_lpObject, "URIP", "10.1.2.3"));
    ASSERT_EQ(S_OK, hrSet(m_lpObject, "URPT", "9100"));
    ASSERT_EQ(S_OK, hrRun(m_lpObject, "SURL"));
    ASSERT_EQ(1u, m_core.jobs.size());
    EXPECT_EQ("http://u/", m_core.jobs[0].job.url);
    EXPECT_EQ("f", m_core.jobs[0].job.frame);
    EXPECT_EQ(HubRouting::kNoErrorNumber, m_core.jobs[0].job.lErrorNumber);
    EXPECT_EQ(0x0302010Au, m_core.jobs[0].dwAddress);
    EXPECT_EQ(9100, m_core.jobs[0].wPort);
    EXPECT_FALSE(m_lpCallback->boWaitForCommands(1, 100)) << "the job waits in the core";

    // The mark went with that job: the next SURL is posted at once.
    ASSERT_EQ(S_OK, hrRun(m_lpObject, "SURL"));
    EXPECT_EQ(1u, m_core.jobs.size());
    EXPECT_TRUE(m_lpCallback->boWaitForCommands(1, kWaitMs));

    // A server that takes no job (released, or none): the job is dropped.
    m_core.boAcceptJobs = false;
    ASSERT_EQ(S_OK, hrSet(m_lpObject, "URIP", "10.1.2.3"));
    ASSERT_EQ(S_OK, hrRun(m_lpObject, "SURL"));
    EXPECT_EQ(2u, m_core.jobs.size());
    EXPECT_FALSE(m_lpCallback->boWaitForCommands(2, 100));
}

TEST_F(LinkwellObject, PilotSendMapsPortTypesAndIds)
{
    ILKWLv2Pilot* pilot = nullptr;
    ASSERT_EQ(S_OK, m_lpObject->QueryInterface(IID_ILKWLv2Pilot, reinterpret_cast<void**>(&pilot)));
    auto send = [&](const char* lpszIp, long lPortType, const char* lpszSrc, const char* lpszDst)
    {
        return pilot->Send(FdCom::CBstr(lpszIp).bstr(), 9000, FdCom::CBstr(std::string("d\0ata", 5)).bstr(),
                           FdCom::CBstr(lpszSrc).bstr(), FdCom::CBstr(lpszDst).bstr(), 1, lPortType, 10, 3,
                           20, 1);
    };
    EXPECT_EQ(S_OK, send("127.0.0.1", 0, "PAGEXX", "GAME"));
    EXPECT_EQ(S_OK, send("127.0.0.1", 1, "AB", "GAME"));
    for (long lBad : {2L, -1L, 3L})
        EXPECT_EQ(E_INVALIDARG, send("127.0.0.1", lBad, "PAGE", "GAME")) << "port type " << lBad;
    ASSERT_EQ(2u, m_core.sends.size()) << "an invalid port type reaches no link";
    EXPECT_EQ(1u, m_core.sends[0].dwPortType);
    EXPECT_EQ(2u, m_core.sends[1].dwPortType);
    EXPECT_EQ(std::string("d\0ata", 5), m_core.sends[0].data);
    EXPECT_EQ(0x45474150u, m_core.sends[0].dwSrcId) << "first 4 characters of PAGEXX";
    EXPECT_EQ(0x00004241u, m_core.sends[1].dwSrcId);
    EXPECT_EQ(0x454D4147u, m_core.sends[0].dwDstId);
    EXPECT_EQ(1, m_core.sends[0].wFlags);
    EXPECT_EQ(10u, m_core.sends[0].dwTimeBeforeSend);
    EXPECT_EQ(3u, m_core.sends[0].dwRepetitions);
    EXPECT_EQ(20u, m_core.sends[0].dwTimeBetween);
    EXPECT_EQ(0x0100007Fu, m_core.sendTargets[0].dwAddress);
    EXPECT_EQ(9000, m_core.sendTargets[0].wPort);

    m_core.boSendOk = false; // no link to that server
    EXPECT_EQ(E_FAIL, send("127.0.0.9", 0, "PAGE", "GAME"));
    pilot->Release();
}

TEST_F(LinkwellObject, CoreJobsGoToTheNewestObjectsCallbackAndErrorPage)
{
    FD_HELPER(vAdvise(m_lpObject, m_lpCallback));
    ASSERT_EQ(S_OK, hrSet(m_lpObject, "ERRU", "http://old/err"));
    EXPECT_TRUE(CLinkwellV2::boNewestHasCallback());

    IDiagOBPP2Cmpt* newer = lpNewObject();
    std::string url = "x";
    std::string frame = "y";
    EXPECT_FALSE(CLinkwellV2::boNewestHasCallback()) << "the newest object has no callback yet";
    EXPECT_FALSE(CLinkwellV2::boGetNewestErrorTarget(url, frame)) << "nor an error page";
    CPageCallback* second = CPageCallback::lpCreate();
    FD_HELPER(vAdvise(newer, second));
    ASSERT_EQ(S_OK, hrSet(newer, "ERRU", "http://new/err"));
    ASSERT_EQ(S_OK, hrSet(newer, "ERRF", "errframe"));
    ASSERT_TRUE(CLinkwellV2::boGetNewestErrorTarget(url, frame));
    EXPECT_EQ("http://new/err", url);
    EXPECT_EQ("errframe", frame);

    COBPPJob::vPostJob(COBPPJob::lpCallUrlForNewestPage(url, frame, 5002));
    ASSERT_TRUE(second->boWaitForCommands(1, kWaitMs));
    EXPECT_TRUE(m_lpCallback->Commands().empty());
    EXPECT_EQ("SEND", second->Commands()[0].cmd);
    EXPECT_EQ("5002", second->Commands()[0].Get("NUMERR"));
    EXPECT_EQ("http://new/err", second->Commands()[0].Get("TURL"));
    EXPECT_EQ("NUMERR", second->Commands()[0].params[2].first) << "after TURL and BFRM";

    // The newest goes: the older one is the newest again.
    newer->Release();
    EXPECT_EQ(1, second->lRefs());
    second->Release();
    ASSERT_TRUE(CLinkwellV2::boGetNewestErrorTarget(url, frame));
    EXPECT_EQ("http://old/err", url);
    COBPPJob::vPostJob(COBPPJob::lpCallUrlForNewestPage("http://svc/", "f", COBPPJob::kNoError));
    ASSERT_TRUE(m_lpCallback->boWaitForCommands(1, kWaitMs));
    EXPECT_FALSE(m_lpCallback->Commands()[0].boHas("NUMERR"));
}

TEST_F(LinkwellObject, BreakingThePageLinksDropsEveryCallback)
{
    FD_HELPER(vAdvise(m_lpObject, m_lpCallback));
    IDiagOBPP2Cmpt* other = lpNewObject();
    CPageCallback* second = CPageCallback::lpCreate();
    FD_HELPER(vAdvise(other, second));
    IDiagOBPP2Cmpt* without = lpNewObject();

    CLinkwellV2::vBreakAllPageLinks();
    EXPECT_EQ(1, m_lpCallback->lRefs());
    EXPECT_EQ(1, second->lRefs());
    EXPECT_FALSE(CLinkwellV2::boNewestHasCallback());
    // Jobs that run afterwards find no callback.
    COBPPJob::vPostJob(COBPPJob::lpCallUrlForNewestPage("http://x/", "f", COBPPJob::kNoError));
    EXPECT_FALSE(second->boWaitForCommands(1, 100));
    without->Release();
    other->Release();
    second->Release();
}

TEST_F(LinkwellObject, JobsReachTheCallbackThroughAModalLoop)
{
    FD_HELPER(vAdvise(m_lpObject, m_lpCallback));
    COBPPJob::vPostJob(COBPPJob::lpCallUrl(m_lpCallback, "http://a/", "f", COBPPJob::kNoError));
    COBPPJob::vPostJob(COBPPJob::lpCallUrl(m_lpCallback, "http://b/", "f", 5000));
    EXPECT_EQ(4, m_lpCallback->lRefs()) << "each job holds the callback";
    // A modal loop (a menu, a message box) dispatches window messages only.
    vRunNestedLoop();
    ASSERT_EQ(2u, m_lpCallback->Commands().size());
    EXPECT_EQ("http://a/", m_lpCallback->Commands()[0].Get("TURL"));
    EXPECT_EQ("5000", m_lpCallback->Commands()[1].Get("NUMERR"));
    EXPECT_EQ(2, m_lpCallback->lRefs()) << "the jobs let go of the callback";
}

TEST_F(LinkwellObject, JobsThatCannotBePostedOrAreLeftAreFreed)
{
    COBPPJob::vPostJob(COBPPJob::lpCallUrl(m_lpCallback, "http://a/", "f", COBPPJob::kNoError));
    EXPECT_EQ(2, m_lpCallback->lRefs());
    m_window.vDestroy(); // the queued job is freed, unrun
    EXPECT_EQ(1, m_lpCallback->lRefs());
    COBPPJob::vPostJob(COBPPJob::lpCallUrl(m_lpCallback, "http://b/", "f", COBPPJob::kNoError));
    EXPECT_EQ(1, m_lpCallback->lRefs()) << "no window: freed at once";
    vRunNestedLoop();
    EXPECT_TRUE(m_lpCallback->Commands().empty());
}

TEST_F(LinkwellObject, TheMainWindowTreatsCloseAndEndOfSessionAsQuit)
{
    const HWND hWnd = m_window.hGetWindow();
    PostMessageA(hWnd, kMsgQuit, 0, 0);
    PostMessageA(hWnd, WM_CLOSE, 0, 0);
    vRunNestedLoop();
    EXPECT_EQ(2, m_handler.iQuits);
    EXPECT_EQ(TRUE, SendMessageA(hWnd, WM_QUERYENDSESSION, 0, 0));
    EXPECT_EQ(3, m_handler.iQuits);
    EXPECT_TRUE(IsWindow(hWnd)) << "closing is the program's decision";
    m_window.vPostTrayState(true);
    m_window.vPostTrayState(false);
    vRunNestedLoop();
    EXPECT_EQ((std::vector<bool>{true, false}), m_handler.states);
}
