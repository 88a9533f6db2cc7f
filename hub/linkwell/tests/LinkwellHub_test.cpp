// Linkwell.exe started as a program, driven as the plug-in drives it and
// watched from the stand-in game server: registration, one instance,
// connection and registration with a server, page jobs both ways, the
// pilot's Send, error jobs, every way to end the hub, and its trace file.
#include "HubTestSupport.h"
#include "FdComActivate.h"
#include "HexDigits.h"
#include "PageCallback.h"
#include "TestKit.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <set>

using namespace HubTest;

namespace
{
constexpr const char* kClsidKey = "CLSID\\{1184B9F3-D14D-4181-A509-7D2ADFE452AF}";
constexpr const char* kAppIdKey = "AppID\\{94F4BDB4-69B5-445E-B608-D2CFF97EE8C6}";
constexpr const char* kTypeLibKey = "TypeLib\\{F975425D-8BBF-4809-B1B4-7837C2F65B21}";
constexpr const char* kPilotKey = "Interface\\{3B1E0946-D413-4C28-AA14-5529ADF21FB3}";
constexpr const char* kComponentKey = "Interface\\{74E53A84-0EDA-11D4-84F9-00500448008D}";
constexpr const char* kCallbackKey = "Interface\\{74E53A83-0EDA-11D4-84F9-00500448008D}";
constexpr const char* kUnicityEvent = "Linkwell v2.0 Unicity Event";
constexpr const char* kAlreadyRunning = "MSGBOX|64|Informations|Le Linkwell V2 est d\xE9j\xE0 en m\xE9moire";
constexpr const char* kUnloaded = "###D\xE9"
                                  "chargement du processus\r\n";
constexpr DWORD kJobWaitMs = 30000;
constexpr UINT kTrayCallbackMessage = 0x8233;
constexpr WPARAM kTrayNotifyId = 0x8082;

std::string Hex(const std::string& bytes)
{
    return FdText::HexText(bytes.data(), bytes.size(), FdText::HexCase::kLower);
}

// Waits for a process while this thread serves the COM calls that come in.
bool boWaitPumping(HANDLE hProcess, DWORD dwMs)
{
    return FdTestKit::boPumpUntil([&] { return WaitForSingleObject(hProcess, 0) == WAIT_OBJECT_0; }, dwMs);
}

HRESULT hrSet(IDiagOBPP2Cmpt* lpHub, const char* lpszName, const std::string& value)
{
    return lpHub->SetParameter(FdCom::CBstr(lpszName).bstr(), FdCom::CBstr(value).bstr());
}

HRESULT hrRun(IDiagOBPP2Cmpt* lpHub, const char* lpszWord)
{
    return lpHub->ExecuteCmd(FdCom::CBstr(lpszWord).bstr());
}

// The last message the server received for a DstId, once it holds the
// text (while this thread serves COM calls); what came last otherwise.
std::string WaitForLast(CGameServer& server, const std::string& dst, const std::string& text,
                        FdTestKit::SWhere where = FdTestKit::SWhere::here())
{
    FD_TRACE_CALLER(where);
    std::string last;
    FdTestKit::boPumpUntil(
        [&]
        {
            last = server.Command("LAST " + dst);
            return last.find(text) != std::string::npos;
        },
        kJobWaitMs);
    EXPECT_NE(std::string::npos, last.find(text)) << last;
    return last;
}

using FdTestKit::strReadFile;

// One started hub, the page object on it and the page's callback.
class CPage
{
public:
    ~CPage() { vRelease(); }

    // Creates "Feldane.LinkwellV2.1" and binds a new callback.
    bool boOpen()
    {
        CLSID clsid;
        if (CLSIDFromProgID(L"Feldane.LinkwellV2.1", &clsid) != S_OK ||
            FdCom::hrCreateInstance(clsid, CLSCTX_LOCAL_SERVER, IID_IDiagOBPP2Cmpt,
                                    reinterpret_cast<void**>(&m_lpHub)) != S_OK)
            return false;
        m_lpCallback = CPageCallback::lpCreate();
        unsigned long dwCookie = 1;
        return m_lpHub->Advise(m_lpCallback, &dwCookie) == S_OK && dwCookie == 0;
    }
    void vRelease()
    {
        if (m_lpHub != nullptr)
            m_lpHub->Release(); // the hub may be gone: the proxy only lets go
        m_lpHub = nullptr;
        if (m_lpCallback != nullptr)
            m_lpCallback->Release();
        m_lpCallback = nullptr;
    }
    IDiagOBPP2Cmpt* Hub() const { return m_lpHub; }
    CPageCallback* Callback() const { return m_lpCallback; }
    void vConnect(uint16_t wPort, uint32_t dwTimeoutMs, const char* lpszWord = "CONX")
    {
        EXPECT_EQ(S_OK, hrSet(m_lpHub, "CXIP", "127.0.0.1"));
        EXPECT_EQ(S_OK, hrSet(m_lpHub, "CXPT", std::to_string(wPort)));
        EXPECT_EQ(S_OK, hrSet(m_lpHub, "CXTM", std::to_string(dwTimeoutMs)));
        EXPECT_EQ(S_OK, hrRun(m_lpHub, lpszWord));
    }

private:
    IDiagOBPP2Cmpt* m_lpHub = nullptr;
    CPageCallback* m_lpCallback = nullptr;
};

class LinkwellHub : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(0, lRunHub("/RegServer"));
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        s_uiLog = std::string(temp) + "linkwell-ui.log";
        SetEnvironmentVariableA("FD_UI_LOG", s_uiLog.c_str()); // the hubs started here inherit it
    }

    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        DeleteFileA(s_uiLog.c_str());
        vRemoveHubTrace();
        m_wLpcPort = FdTestKit::wFreePort(FdTestKit::EPort::TcpAndUdp);
        ASSERT_NE(0, m_wLpcPort);
        ASSERT_TRUE(SetHubDword("LPCPort", m_wLpcPort));
    }
    void TearDown() override
    {
        // What a failed step left running must not meet the next test.
        vEndStrayHubs();
        EXPECT_TRUE(boWaitUnicity(-1, kProcessWaitMs)) << "a hub outlived the test";
        CoUninitialize();
    }

    // Starts Linkwell.exe and waits until it serves: its class object is
    // published (the unicity event is set then) and its LPC port listens.
    bool boStartHub(CProcess& hub, const std::string& args = "",
                    FdTestKit::SWhere where = FdTestKit::SWhere::here())
    {
        FD_TRACE_CALLER(where);
        if (!hub.boStart("\"" + strProgramFolder() + "Linkwell.exe\" " + args))
            return false;
        CSocket probe;
        if (boWaitServing(kProcessWaitMs) && probe.boConnect(m_wLpcPort, kProcessWaitMs))
            return true;
        ADD_FAILURE() << "the hub does not serve (exit code " << hub.lWait(0)
                      << ", boxes: " << strReadFile(s_uiLog) << ")";
        return false;
    }

    // The state of the unicity event: -1 absent (no hub), 0 reset, 1 set.
    static int iUnicityState()
    {
        HANDLE h = OpenEventA(SYNCHRONIZE, FALSE, kUnicityEvent);
        if (h == nullptr)
            return -1;
        const int state = WaitForSingleObject(h, 0) == WAIT_OBJECT_0 ? 1 : 0;
        CloseHandle(h);
        return state;
    }
    // Pumps until the unicity event is in that state.
    static bool boWaitUnicity(int iState, DWORD dwMs)
    {
        return FdTestKit::boPumpUntil([&] { return iUnicityState() == iState; }, dwMs);
    }
    static bool boWaitServing(DWORD dwMs) { return boWaitUnicity(1, dwMs); }

    // The hub ended by itself, with 0, after dropping the page's callback;
    // its trace (when on) ends with the unloading line.
    void vExpectEnded(CProcess& hub, CPage& page, bool boTrace)
    {
        ASSERT_TRUE(boWaitPumping(hub.hProcess(), kProcessWaitMs)) << "the hub did not end";
        EXPECT_EQ(0, hub.lWait(0));
        // A release that crossed the end may still be on its way.
        FdTestKit::boPumpUntil([&] { return page.Callback()->lRefs() == 1; });
        EXPECT_EQ(1, page.Callback()->lRefs()) << "the hub kept the page's callback to its end";
        page.vRelease();
        if (!boTrace)
            return;
        const std::string trace = ReadHubTrace();
        EXPECT_NE(std::string::npos, trace.find("KILLAPP (ou WM_CLOSE ou WM_QUERYENDSESSION) re\xE7u"));
        const size_t at = trace.rfind(kUnloaded);
        ASSERT_NE(std::string::npos, at) << "no unloading line";
        EXPECT_EQ(trace.size(), at + strlen(kUnloaded)) << "the trace goes on after the unloading line";
    }

    static std::string s_uiLog;
    uint16_t m_wLpcPort = 0;
};

std::string LinkwellHub::s_uiLog;
} // namespace

TEST_F(LinkwellHub, RegServerWritesTheClassAndUnregServerRemovesIt)
{
    for (const char* key :
         {kClsidKey, kAppIdKey, kTypeLibKey, kPilotKey, kComponentKey, kCallbackKey,
          "Feldane.LinkwellV2.1\\CLSID", "Feldane.LinkwellV2\\CurVer", "AppID\\Linkwell.exe"})
        EXPECT_TRUE(boClassesKeyExists(key)) << key;
    EXPECT_TRUE(boClassesKeyExists(std::string(kClsidKey) + "\\LocalServer32"));

    ASSERT_EQ(0, lRunHub("-unregserver"));
    for (const char* key : {kClsidKey, kAppIdKey, kTypeLibKey, kPilotKey, "Feldane.LinkwellV2.1",
                            "Feldane.LinkwellV2", "AppID\\Linkwell.exe"})
        EXPECT_FALSE(boClassesKeyExists(key)) << key << " is left";

    ASSERT_EQ(0, lRunHub("/REGSERVER"));
    EXPECT_TRUE(boClassesKeyExists(std::string(kClsidKey) + "\\LocalServer32"));
}

TEST_F(LinkwellHub, OneInstanceAndAnInstanceStartedByComReachesTheRunningOneOrTakesOver)
{
    vDeleteHubValue("LogToTextFile");
    CProcess first;
    ASSERT_TRUE(boStartHub(first));
    EXPECT_EQ(DWORD(HIGH_PRIORITY_CLASS), GetPriorityClass(first.hProcess())) << "ProcessPriority absent";

    // By hand: the message, exit code 0, the first one stays.
    EXPECT_EQ(0, lRunHub(""));
    EXPECT_EQ(std::string(kAlreadyRunning) + "\n", strReadFile(s_uiLog));
    EXPECT_TRUE(first.boRunning());
    // As COM starts it while the first one serves: no message, it leaves at
    // once and COM reaches the first one.
    EXPECT_EQ(0, lRunHub("-Embedding"));
    CPage page;
    ASSERT_TRUE(page.boOpen());

    // An activation while the first one ends: COM starts a new instance,
    // which serves once the first one is gone.
    ASSERT_EQ(S_OK, hrRun(page.Hub(), "CLOS"));
    // Revoked (the event reset), or already gone.
    FdTestKit::boPumpUntil([&] { return iUnicityState() != 1; }, kProcessWaitMs);
    ASSERT_NE(1, iUnicityState()) << "the class object was not revoked";
    CPage next;
    ASSERT_TRUE(next.boOpen()) << "the activation during the end failed";
    FD_HELPER(vExpectEnded(first, page, false));
    EXPECT_EQ(1, iUnicityState()) << "the new instance serves";
    ASSERT_EQ(S_OK, next.Hub()->ForceRemove());
    ASSERT_TRUE(boWaitUnicity(-1, kProcessWaitMs)) << "the new instance did not end";
    FdTestKit::boPumpUntil([&] { return next.Callback()->lRefs() == 1; });
    EXPECT_EQ(1, next.Callback()->lRefs());
    EXPECT_EQ(std::string(kAlreadyRunning) + "\n", strReadFile(s_uiLog)) << "one message only";
    EXPECT_FALSE(boHubTraceExists()) << "LogToTextFile 0 writes no trace";
}

TEST_F(LinkwellHub, RoundTripWithTheGameServerAndATraceOfEveryDumpKind)
{
    ASSERT_TRUE(SetHubDword("LogToTextFile", 0x9E));
    CGameServer server;
    ASSERT_TRUE(server.boConnect());
    const std::string port = std::to_string(server.wPort());
    ASSERT_EQ("OK", server.Command("CLEAR").substr(0, 2));
    const int iLinksBefore = std::atoi(CGameServer::Field(server.Command("STATS"), "links").c_str());

    CProcess hub;
    ASSERT_TRUE(boStartHub(hub));
    CPage page;
    ASSERT_TRUE(page.boOpen());
    IDiagOBPP2Cmpt* lpHub = page.Hub();
    CPageCallback* lpPage = page.Callback();

    // A "SURL" that waits for a server still registering, then a startup text.
    ASSERT_NE(std::string::npos, server.Command("ANSWER init off").find("init=off"));
    const std::string pseudo = "Joueur d\xE9mo";
    ASSERT_EQ(S_OK, hrSet(lpHub, "PSDO", pseudo));
    ASSERT_EQ(S_OK, hrSet(lpHub, "DKAU", "200"));
    ASSERT_EQ(S_OK, hrSet(lpHub, "MSGC", "bonjour"));
    ASSERT_EQ(S_OK, hrSet(lpHub, "MSGD", "GAME"));
    FD_HELPER(page.vConnect(server.wPort(), 5000));
    const std::string link = std::to_string(iLinksBefore + 1);
    ASSERT_EQ("OK 1", server.Command("WAIT " + link + " init 1 30000"));
    ASSERT_EQ(S_OK, hrSet(lpHub, "URLL", "http://page/inscrit"));
    ASSERT_EQ(S_OK, hrSet(lpHub, "FRMM", "cadre"));
    ASSERT_EQ(S_OK, hrSet(lpHub, "URIP", "127.0.0.1"));
    ASSERT_EQ(S_OK, hrSet(lpHub, "URPT", port));
    ASSERT_EQ(S_OK, hrRun(lpHub, "SURL"));
    EXPECT_FALSE(lpPage->boWaitForCommands(1, 500)) << "the job must wait for the registration";
    ASSERT_EQ("OK", server.Command("MSG " + link + " tcp INIT LKWE").substr(0, 2)); // the late INIT reply
    ASSERT_TRUE(lpPage->boWaitForCommands(1, kJobWaitMs));
    {
        const SPageCommand& c = lpPage->Commands()[0];
        EXPECT_EQ("SEND", c.cmd);
        EXPECT_EQ("http://page/inscrit", c.Get("TURL"));
        EXPECT_EQ("cadre", c.Get("BFRM"));
        EXPECT_FALSE(c.boHas("NUMERR"));
    }
    ASSERT_NE(std::string::npos, server.Command("ANSWER init on").find("init=on"));

    // TCP, UDP and an INIT that carries the pseudo; the text after registration.
    const std::string init = server.Command("LAST INIT");
    EXPECT_NE(std::string::npos, init.find("/tcp/msg/LKWE/INIT/0002/")) << init;
    EXPECT_EQ(Hex(pseudo), init.substr(init.rfind('/') + 1)) << init;
    ASSERT_EQ("OK", server.Command("WAIT " + link + " kaka_udp 1 30000").substr(0, 2)) << "no UDP keep-alive";
    const std::string text = server.Command("LAST GAME");
    EXPECT_NE(std::string::npos, text.find("/tcp/msg/LKWE/GAME/")) << text;
    EXPECT_EQ(Hex("bonjour"), text.substr(text.rfind('/') + 1)) << text;
    EXPECT_NE("-", CGameServer::Field(server.Command("LINK " + link), "udp"));

    // A "SURL" without URIP goes at once; a server's SEND comes as a page job.
    ASSERT_EQ(S_OK, hrSet(lpHub, "URLL", "http://page/direct"));
    ASSERT_EQ(S_OK, hrRun(lpHub, "SURL"));
    ASSERT_TRUE(lpPage->boWaitForCommands(2, kJobWaitMs));
    EXPECT_EQ("http://page/direct", lpPage->Commands()[1].Get("TURL"));
    ASSERT_EQ("OK", server.Command("SEND " + link + " http://page/service cadre2").substr(0, 2));
    ASSERT_TRUE(lpPage->boWaitForCommands(3, kJobWaitMs));
    {
        const SPageCommand& c = lpPage->Commands()[2];
        EXPECT_EQ("SEND", c.cmd);
        ASSERT_EQ(2u, c.params.size());
        EXPECT_EQ("TURL", c.params[0].first);
        EXPECT_EQ("http://page/service", c.params[0].second);
        EXPECT_EQ("BFRM", c.params[1].first);
        EXPECT_EQ("cadre2", c.params[1].second);
    }

    // The pilot's Send over TCP and UDP; bad port type; no link.
    ILKWLv2Pilot* lpPilot = nullptr;
    ASSERT_EQ(S_OK, lpHub->QueryInterface(IID_ILKWLv2Pilot, reinterpret_cast<void**>(&lpPilot)));
    auto send = [&](const char* lpszData, long lPort, long lPortType)
    {
        return lpPilot->Send(FdCom::CBstr("127.0.0.1").bstr(), lPort, FdCom::CBstr(lpszData).bstr(),
                             FdCom::CBstr("PAGE").bstr(), FdCom::CBstr("PILOTX").bstr(), 0, lPortType, 0, 0,
                             0, 1);
    };
    ASSERT_EQ(S_OK, send("par tcp", server.wPort(), 0));
    std::string pilot = WaitForLast(server, "PILO", "/tcp/msg/PAGE/PILO/0000/");
    EXPECT_EQ(Hex("par tcp"), pilot.substr(pilot.rfind('/') + 1)) << pilot;
    ASSERT_EQ(S_OK, send("par udp", server.wPort(), 1));
    pilot = WaitForLast(server, "PILO", "/udp/msg/PAGE/PILO/");
    EXPECT_EQ(Hex("par udp"), pilot.substr(pilot.rfind('/') + 1)) << pilot;
    EXPECT_EQ(E_INVALIDARG, send("x", server.wPort(), 2));
    EXPECT_EQ(E_FAIL, send("x", m_wLpcPort, 0)) << "no link to that server";
    lpPilot->Release();

    // A client program on the LPC port gets a channel on the registered link.
    CSocket lpc;
    ASSERT_TRUE(lpc.boConnect(m_wLpcPort));
    std::string connect("\x08"
                        "C\x01\x00\x12\x00\x00\x00",
                        8);
    const uint32_t dwTimeout = 5000;
    const uint8_t address[4] = {127, 0, 0, 1};
    const uint16_t wServerPort = server.wPort();
    connect.append(reinterpret_cast<const char*>(&dwTimeout), 4);
    connect.append(reinterpret_cast<const char*>(address), 4);
    connect.append(reinterpret_cast<const char*>(&wServerPort), 2);
    ASSERT_TRUE(lpc.boSend(connect));
    const std::string answer = lpc.ReceiveAll(27);
    ASSERT_EQ(27u, answer.size());
    EXPECT_EQ('a', answer[1]);

    // "FONX": the link goes (its channel's client hears 'g') and a new one registers.
    FD_HELPER(page.vConnect(server.wPort(), 5000, "FONX"));
    const std::string closed = lpc.ReceiveAll(9);
    ASSERT_EQ(9u, closed.size());
    EXPECT_EQ('g', closed[1]);
    EXPECT_EQ(answer[14], closed[8]) << "the channel that was given";
    const std::string next = std::to_string(iLinksBefore + 2);
    ASSERT_EQ("OK 1", server.Command("WAIT " + next + " init 1 30000"));
    EXPECT_NE(std::string::npos, server.Command("LINK " + link).find("state=closed"));
    ASSERT_EQ("OK", server.Command("WAIT any registered 1 30000").substr(0, 2));

    // "CLOS" from the server ends the hub.
    ASSERT_EQ("OK", server.Command("CLOS " + next).substr(0, 2));
    FD_HELPER(vExpectEnded(hub, page, true));

    const std::string trace = ReadHubTrace();
    for (const char* line : {
             "###D\xE9marrage du processus",
             "En-t\xEAte du fichier de log mis \xE0 jour le 28/09/2001 \xE0 19h57 pour la version 2.1.0.5",
             "Log des messages re\xE7us par le Linkwell (envoy\xE9s par un serveur)",
             "Log des messages envoy\xE9s par le Linkwell vers un serveur",
             "Log des messages re\xE7us par le LPC (envoy\xE9s par un LPCClient)",
             "Log des messages envoy\xE9s par le LPC vers un LPCClient",
             "Activation du buffering sur le log pour aller un peu plus vite",
         })
        EXPECT_NE(std::string::npos, trace.find(line)) << line;
    // One dump of each kind, known by its bytes.
    for (const char* bytes : {
             " 02 00 4C 4B 57 45 49 4E",   // sent to the server: INIT from LKWE
             " 00 00 49 4E 49 54 4C 4B",   // received from it: the reply from INIT to LKWE
             " | 08 43 01 00 12 00 00 00", // received by the LPC: 'C'
             " | 08 61 01 01 1B 00 00 00", // sent by the LPC: 'a'
         })
        EXPECT_NE(std::string::npos, trace.find(bytes)) << "no dump with" << bytes;
    EXPECT_NE(std::string::npos, trace.find("Addr 0000 : ")) << "dump lines";
}

TEST_F(LinkwellHub, ErrorJobsForEveryFailureAndWmCloseEndsTheHub)
{
    ASSERT_TRUE(SetHubDword("LogToTextFile", 1));
    CGameServer server;
    ASSERT_TRUE(server.boConnect());
    CSilentServer silent;
    ASSERT_TRUE(silent.boOpen());

    CProcess hub;
    ASSERT_TRUE(boStartHub(hub));
    CPage page;
    ASSERT_TRUE(page.boOpen());
    CPageCallback* lpPage = page.Callback();
    ASSERT_EQ(S_OK, hrSet(page.Hub(), "ERRU", "http://page/erreur"));
    ASSERT_EQ(S_OK, hrSet(page.Hub(), "ERRF", "cadreErreur"));

    // A registered link whose server goes for good, and a server that never
    // answers INIT: 5003 after the reconnections, 5000 after 8 s.
    FD_HELPER(page.vConnect(server.wPort(), 5000));
    ASSERT_EQ("OK", server.Command("WAIT any registered 1 30000").substr(0, 2));
    FD_HELPER(page.vConnect(silent.wPort(), 5000));
    ASSERT_EQ("OK", server.Command("DROP 60").substr(0, 2));
    ASSERT_TRUE(lpPage->boWaitForCommands(2, 20000));
    std::set<std::string> numbers;
    for (const SPageCommand& c : lpPage->Commands())
    {
        EXPECT_EQ("SEND", c.cmd);
        EXPECT_EQ("http://page/erreur", c.Get("TURL"));
        EXPECT_EQ("cadreErreur", c.Get("BFRM"));
        numbers.insert(c.Get("NUMERR"));
    }
    EXPECT_EQ((std::set<std::string>{"5000", "5003"}), numbers);

    // Refused at once: 5002.
    FD_HELPER(page.vConnect(server.wPort(), 5000));
    ASSERT_TRUE(lpPage->boWaitForCommands(3, kJobWaitMs));
    EXPECT_EQ("5002", lpPage->Commands()[2].Get("NUMERR"));

    // Never accepted: 5001 after CXTM.
    ASSERT_EQ("OK", server.Command("REFUSE off").substr(0, 2));
    ASSERT_EQ("OK", server.Command("STALL on").substr(0, 2));
    FD_HELPER(page.vConnect(server.wPort(), 500));
    ASSERT_TRUE(lpPage->boWaitForCommands(4, kJobWaitMs));
    EXPECT_EQ("5001", lpPage->Commands()[3].Get("NUMERR"));
    ASSERT_EQ("OK", server.Command("STALL off").substr(0, 2));
    EXPECT_EQ(4u, lpPage->Commands().size());

    // WM_CLOSE to its windows, as a task manager closes a program.
    const std::vector<HWND> windows = ProcessWindows(hub.dwPid(), nullptr);
    ASSERT_FALSE(windows.empty());
    for (HWND hWnd : windows)
        PostMessageA(hWnd, WM_CLOSE, 0, 0);
    FD_HELPER(vExpectEnded(hub, page, true));
}

TEST_F(LinkwellHub, ClosForceRemoveAndTheTrayMenuEndTheHubAlike)
{
    ASSERT_TRUE(SetHubDword("LogToTextFile", 1));
    struct SEnding
    {
        const char* lpszName;
        void (*pfnEnd)(CProcess& hub, CPage& page);
    };
    const SEnding endings[] = {
        {"CLOS from the page", [](CProcess&, CPage& page) { EXPECT_EQ(S_OK, hrRun(page.Hub(), "CLOS")); }},
        {"ForceRemove", [](CProcess&, CPage& page) { EXPECT_EQ(S_OK, page.Hub()->ForceRemove()); }},
        {"&Fermer in the tray menu",
         [](CProcess& hub, CPage&)
         {
             // The icon's right click opens the menu; its mnemonic chooses "&Fermer".
             const std::vector<HWND> owners = ProcessWindows(hub.dwPid(), "Button");
             ASSERT_EQ(1u, owners.size());
             PostMessageA(owners[0], kTrayCallbackMessage, kTrayNotifyId, WM_RBUTTONUP);
             std::vector<HWND> menus;
             for (int i = 0; i < 100 && menus.empty(); ++i, Sleep(50))
                 menus = ProcessWindows(hub.dwPid(), "#32768");
             ASSERT_FALSE(menus.empty()) << "no tray menu";
             PostMessageA(menus[0], WM_KEYDOWN, 'F', 0);
         }},
    };
    for (const SEnding& ending : endings)
    {
        SCOPED_TRACE(ending.lpszName);
        vRemoveHubTrace();
        CProcess hub;
        ASSERT_TRUE(boStartHub(hub));
        CPage page;
        ASSERT_TRUE(page.boOpen());
        FD_HELPER(ending.pfnEnd(hub, page));
        FD_HELPER(vExpectEnded(hub, page, true));
    }
}
