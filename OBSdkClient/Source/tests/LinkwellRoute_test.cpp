// Channels of the library through the real hub program: Linkwell.exe started
// by the test, asked by its page object ("Feldane.LinkwellV2.1") to connect
// to the stand-in game server, then ended under the channels' feet.
#include "SdkTestSupport.h"
#include "FdComActivate.h"

#include "FdBstr.h"
#include "GameServerControl.h"
#include "LinkwellV2_h.h"
#include "TestKit.h"

using namespace SdkTest;

namespace
{

const char kSettingsKey[] = "Software\\FDGame\\Binaries\\LinkwellV2";
const DWORD kStartWaitMs = 15000;

// The hub sets its unicity event once its class object is published.
bool boServing()
{
    HANDLE h = OpenEventA(SYNCHRONIZE, FALSE, "Linkwell v2.0 Unicity Event");
    if (h == nullptr)
        return false;
    const bool set = WaitForSingleObject(h, 0) == WAIT_OBJECT_0;
    CloseHandle(h);
    return set;
}

bool boListening(uint16_t wPort)
{
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(wPort);
    const bool ok = connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    closesocket(s);
    return ok;
}

// Linkwell.exe, ended (killed) with the object at the latest.
class CHubProcess
{
public:
    ~CHubProcess() { vKill(); }
    bool boRun(const std::string& args, DWORD* lpdwExit)
    {
        if (!boStart(args))
            return false;
        WaitForSingleObject(m_pi.hProcess, kStartWaitMs);
        GetExitCodeProcess(m_pi.hProcess, lpdwExit);
        vKill();
        return true;
    }
    bool boStart(const std::string& args)
    {
        std::string line = "\"" + FdTestKit::strProgramFolder() + "Linkwell.exe\" " + args;
        STARTUPINFOA si{};
        si.cb = sizeof si;
        return CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &m_pi) !=
               FALSE;
    }
    void vKill()
    {
        if (m_pi.hProcess == nullptr)
            return;
        TerminateProcess(m_pi.hProcess, 1);
        WaitForSingleObject(m_pi.hProcess, kStartWaitMs);
        CloseHandle(m_pi.hProcess);
        CloseHandle(m_pi.hThread);
        m_pi = PROCESS_INFORMATION{};
    }

private:
    PROCESS_INFORMATION m_pi{};
};

class SdkThroughLinkwell : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        CHubProcess reg;
        DWORD exitCode = 1;
        ASSERT_TRUE(reg.boRun("/RegServer", &exitCode));
        ASSERT_EQ(exitCode, 0u);
    }
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        ASSERT_TRUE(game.boConnect()) << "no stand-in game server";
        server = CHostRecord("127.0.0.1", game.wGamePort());
    }
    void TearDown() override
    {
        while (ulGetInitCount() != 0)
            Term();
        CoUninitialize();
    }

    // A hub listening on a port of its own; with the page, its page object
    // has it connect to the game server (else the first channel does).
    bool boStartHub(CHubProcess& hub, uint16_t* lpwLpcPort, bool boWithPage,
                    FdTestKit::SWhere where = FdTestKit::SWhere::here())
    {
        FD_TRACE_CALLER(where);
        *lpwLpcPort = FdTestKit::wFreePort();
        HKEY key = nullptr;
        const DWORD port = *lpwLpcPort;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                            nullptr) != ERROR_SUCCESS)
            return false;
        RegSetValueExA(key, "LPCPort", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&port), sizeof port);
        RegCloseKey(key);
        if (!hub.boStart(""))
            return false;
        if (!boPumpUntil([&] { return boServing() && boListening(*lpwLpcPort); }, kStartWaitMs))
        {
            ADD_FAILURE() << "the hub does not listen on " << *lpwLpcPort;
            return false;
        }
        if (!boWithPage)
            return true;

        CLSID clsid;
        IDiagOBPP2Cmpt* page = nullptr;
        HRESULT hr = CLSIDFromProgID(L"Feldane.LinkwellV2.1", &clsid);
        if (hr == S_OK)
            hr = FdCom::hrCreateInstance(clsid, CLSCTX_LOCAL_SERVER, IID_IDiagOBPP2Cmpt,
                                         reinterpret_cast<void**>(&page));
        if (hr != S_OK)
        {
            ADD_FAILURE() << "no page object: 0x" << std::hex << hr;
            return false;
        }
        const std::pair<const char*, std::string> params[] = {
            {"CXIP", "127.0.0.1"}, {"CXPT", std::to_string(game.wGamePort())}, {"CXTM", "5000"}};
        bool ok = true;
        for (const auto& p : params)
            ok =
                ok && page->SetParameter(FdCom::CBstr(p.first).bstr(), FdCom::CBstr(p.second).bstr()) == S_OK;
        ok = ok && page->ExecuteCmd(FdCom::CBstr("CONX").bstr()) == S_OK;
        page->Release();
        EXPECT_TRUE(ok) << "CONX";
        const std::string registered = game.Command("WAIT any registered 1 10000");
        EXPECT_EQ(registered.compare(0, 2, "OK"), 0) << registered;
        return ok && registered.compare(0, 2, "OK") == 0;
    }

    CGameServerControl game;
    CHostRecord server;
};

bool boSendText(CChannelBase& c, const std::string& text, uint32_t dwMessageId = CChannelBase::kNoMessageId)
{
    return c.boSend(text.data(), uint32_t(text.size()), dwMessageId, 0, 0, 0, 0, false);
}

} // namespace

TEST_F(SdkThroughLinkwell, RoundTripThenTheHubEnds)
{
    CHubProcess hub;
    uint16_t lpcPort = 0;
    ASSERT_TRUE(boStartHub(hub, &lpcPort, true));
    Init(GetModuleHandleA(nullptr), lpcPort);
    {
        CTestChannel a(server), b(server);
        // On the link the page opened: no second registration.
        const std::string stats = game.Command("STATS");
        EXPECT_NE(stats.find(" links=1 "), std::string::npos) << stats;

        ASSERT_TRUE(boSendText(a, "through Linkwell"));
        ASSERT_TRUE(boSendText(b, "question", 41));
        ASSERT_TRUE(boPumpUntil([&] { return a.messages.size() == 1 && b.messages.size() == 1; }, 10000));
        EXPECT_EQ(a.messages[0].data, "through Linkwell");
        EXPECT_EQ(b.messages[0].data, "question");
        EXPECT_EQ(b.messages[0].dwMessageId, 41u);

        ASSERT_TRUE(a.lpGetClient()->boAddDstId(a.bGetChannelId(), HubProto::dwIdFromText("ZDPL")));
        ASSERT_TRUE(boSendText(a, "after I"));
        ASSERT_TRUE(boPumpUntil([&] { return a.messages.size() == 2; }, 10000));
        ASSERT_TRUE(game.boOk("MSG last tcp GAME ZDPL text=pushed"));
        ASSERT_TRUE(boPumpUntil([&] { return a.messages.size() == 3; }, 10000));
        EXPECT_EQ(a.messages[2].data, "pushed");

        // The hub process ends: each channel hears it once.
        hub.vKill();
        ASSERT_TRUE(boPumpUntil([&] { return a.ulEvents(2) == 1 && b.ulEvents(2) == 1; }, 10000));
        EXPECT_EQ(a.events.size(), 1u);
        EXPECT_EQ(b.events.size(), 1u);
        EXPECT_FALSE(a.boIsOpen());
    }
    // Until the last Term, every channel through that hub fails, even with a
    // hub back. (A killed server's class stays registered with COM under
    // Wine: the new hub is reached by its channels only.)
    CHubProcess again;
    uint16_t newPort = 0;
    ASSERT_TRUE(boStartHub(again, &newPort, false));
    EXPECT_EQ(CodeOf([&] { CTestChannel c(server); }), 3004u);
    Term();
    Init(GetModuleHandleA(nullptr), newPort);
    CTestChannel c(server);
    ASSERT_TRUE(boSendText(c, "new hub"));
    ASSERT_TRUE(boPumpUntil([&] { return c.messages.size() == 1; }, 10000));
    EXPECT_EQ(c.messages[0].data, "new hub");
}
