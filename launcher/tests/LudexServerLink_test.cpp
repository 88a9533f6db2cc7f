// The launcher's link to the game server through the real hub: the manager
// runs in this process, Linkwell.exe is started by the test on a port of its
// own, and the stand-in game server decodes what the launcher sends and pushes
// its commands. The hub is then killed under the launch and a second one
// serves a later launch part. Waits are bounded; the tick is shortened.
#include <winsock2.h> // before windows.h
#include "LaunchScriptMgr.h"

#include "FdUi.h"
#include "OBSdkClient.h"
#include "TestKit.h"
#include "../../OBSdkClient/Source/tests/GameServerControl.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace
{
const char kSettingsKey[] = "Software\\FDGame\\Binaries\\LinkwellV2";
constexpr DWORD kHubWaitMs = 20000;
constexpr DWORD kLinkWaitMs = 20000;
const char kDisconnected[] = "ERROR : Disconnected from ZDP (cnx Linkwell?/cnx Server?)\n";

bool boListening(uint16_t port)
{
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(port);
    const bool ok = connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    closesocket(s);
    return ok;
}

// Linkwell.exe on a free port of its own; killed with the object at the latest.
class CHub
{
public:
    ~CHub() { Kill(); }
    bool Start()
    {
        port = FdTestKit::wFreePort();
        HKEY key = nullptr;
        const DWORD value = port;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                            nullptr) != ERROR_SUCCESS)
            return false;
        RegSetValueExA(key, "LPCPort", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
        RegCloseKey(key);
        std::string line = "\"" + FdTestKit::strProgramFolder() + "Linkwell.exe\"";
        STARTUPINFOA si{};
        si.cb = sizeof si;
        if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &m_pi))
            return false;
        return FdTestKit::boPumpUntil([&] { return boListening(port); }, kHubWaitMs);
    }
    void Kill()
    {
        if (m_pi.hProcess == nullptr)
            return;
        TerminateProcess(m_pi.hProcess, 1);
        WaitForSingleObject(m_pi.hProcess, kHubWaitMs);
        CloseHandle(m_pi.hProcess);
        CloseHandle(m_pi.hThread);
        m_pi = PROCESS_INFORMATION{};
    }
    uint16_t port = 0;

private:
    PROCESS_INFORMATION m_pi{};
};

// The component's side: what the launcher asks of the page.
class CPageSink : public IScriptMgrSink
{
public:
    void NavigateHostFrame(const CStringExt& url, const CStringExt& frame) override
    {
        navigations.push_back(frame + "|" + url);
    }
    int32_t RequestHostDownload(const CStringExt&, const CStringExt&) override { return 0; }
    long LeaveHost() override { return 0; }
    void Notify(int32_t value) override { codes.push_back(value); }

    std::vector<std::string> navigations;
    std::vector<int32_t> codes;
};

std::vector<std::string> g_boxes;
int RecordBox(HWND, const char* text, const char* caption, UINT type)
{
    g_boxes.push_back(std::string(caption) + "|" + text + "|" + std::to_string(type));
    return IDOK;
}

std::string Page(const char* code)
{
    return std::string("infofrm|http://page/info?id=7&Info=") + code;
}

// The notes' tokens after "next=N" of a NOTES reply.
std::vector<std::string> Notes(const std::string& reply)
{
    std::istringstream words(reply);
    std::vector<std::string> notes;
    std::string word;
    while (words >> word)
        if (word != "OK" && word.compare(0, 5, "next=") != 0)
            notes.push_back(word);
    return notes;
}

class LudexServerLink : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(game.boConnect()) << "no stand-in game server";
        // Nothing comes back to the launcher but what the test pushes.
        ASSERT_TRUE(game.boOk("ANSWER echo off"));
        g_boxes.clear();
        FdUi::pfnSetMessageBoxHook(RecordBox);
        CLaunchScriptMgr::SetTickPeriod(10);
        // The engine's console log goes to a file: this process gets a
        // console first, so that the log's own AllocConsole leaves the
        // standard output alone.
        AllocConsole();
        m_previousOutput = GetStdHandle(STD_OUTPUT_HANDLE);
        m_logPath = folder.File("console.txt");
        m_log = CreateFileA(m_logPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(m_log, INVALID_HANDLE_VALUE);
        SetStdHandle(STD_OUTPUT_HANDLE, m_log);
    }
    void TearDown() override
    {
        SetStdHandle(STD_OUTPUT_HANDLE, m_previousOutput);
        CloseHandle(m_log);
        FdUi::pfnSetMessageBoxHook(nullptr);
        CLaunchScriptMgr::SetTickPeriod(200);
        CLaunchScriptMgr::SetHubPort(OBSdkClient::kDefaultHubPort);
        FdTestKit::vDiscardWaiting();
    }
    std::string Log() const
    {
        std::string out;
        for (char c : FdTestKit::strReadFile(m_logPath))
            if (c != '\r')
                out += c;
        return out;
    }
    std::string Script(const std::string& name, const std::string& subScripts)
    {
        const std::string path = folder.File(name);
        std::ofstream(path) << "<ludexs.launch>" << subScripts << "</ludexs.launch>";
        return path;
    }
    static std::string Sets(const std::string& type, const std::string& variable)
    {
        return "<subscript " + type + "><sscmd name=\"pwdgen\"><pwdgen var=\"" + variable +
               "\" nbchars=\"4\"/></sscmd></subscript>";
    }
    bool Waits(const std::string& command, FdTestKit::SWhere where = FdTestKit::SWhere::here())
    {
        FD_TRACE_CALLER(where);
        const std::string reply = game.Command(command);
        EXPECT_EQ(reply.compare(0, 2, "OK"), 0) << command << " -> " << reply;
        return reply.compare(0, 2, "OK") == 0;
    }

    FdTestKit::CScratchFolder folder;
    SdkTest::CGameServerControl game;
    HANDLE m_previousOutput = nullptr;
    HANDLE m_log = INVALID_HANDLE_VALUE;
    std::string m_logPath;
};
} // namespace

TEST_F(LudexServerLink, ThroughTheHubAndAfterItsLoss)
{
    CHub hub;
    ASSERT_TRUE(hub.Start()) << "the hub does not listen";
    CLaunchScriptMgr::SetHubPort(hub.port);
    CHub again; // outlives the manager, whose end it carries
    CPageSink page;
    const std::string first =
        Script("first.xml", Sets("type=\"OnStart\"", "started") + Sets("name=\"hfln\"", "ran_hfln") +
                                Sets("name=\"other\"", "ran_other") + Sets("name=\"later\"", "ran_later"));
    const std::string second = Script("second.xml", Sets("type=\"OnStart\"", "started2"));
    {
        CLaunchScriptMgr mgr;
        mgr.SetComponent(&page);
        for (const auto& var :
             std::vector<std::pair<std::string, std::string>>{{"log:console", "1"},
                                                              {"srip", "127.0.0.1"},
                                                              {"srpt", std::to_string(game.wGamePort())},
                                                              {"msgd", "ZDP1-launch"},
                                                              {"msg_", "XXXXtype=%TP%"},
                                                              {"iurl", "http://page/info?id=7"},
                                                              {"ifrm", "infofrm"},
                                                              {"lscr", first}})
            mgr.SetScriptVar(var.first, var.second);

        // The launch part opens its channel, then reports its start.
        mgr.Ignition();
        CLaunchPart* part = mgr.Script().GetLaunchPart();
        ASSERT_NE(part, nullptr);
        ASSERT_TRUE(part->IsServerLinkConnected()) << Log();
        EXPECT_NE(
            Log().find("[Connexion ZDP : IP=127.0.0.1 Port=" + std::to_string(game.wGamePort()) + "]\n"),
            std::string::npos);
        EXPECT_EQ(OBSdkClient::ulGetInitCount(), 1u);
        ASSERT_TRUE(Waits("WAIT last note 1 20000"));
        EXPECT_EQ(Notes(game.Command("NOTES")), std::vector<std::string>{"0/1/ZDP1/ok/type=0000/-"});
        EXPECT_EQ(page.codes, (std::vector<int32_t>{5, 0}));
        EXPECT_EQ(page.navigations, std::vector<std::string>{Page("0")});

        // The routes on the wire: 5 and 7 go nowhere, 102 and 2000 to the server only.
        const std::string custom = "abc";
        part->NotifyEvent(1001, &custom);
        for (int32_t code : {5, 102, 2000, 7, 1004})
            part->NotifyEvent(code);
        ASSERT_TRUE(Waits("WAIT last note 5 20000"));
        EXPECT_EQ(Notes(game.Command("NOTES 1")),
                  (std::vector<std::string>{"1/1/ZDP1/ok/type=1001/abc", "2/1/ZDP1/ok/type=0102/-",
                                            "3/1/ZDP1/ok/type=2000/-", "4/1/ZDP1/ok/type=1004/-"}));
        EXPECT_EQ(page.navigations, (std::vector<std::string>{Page("0"), Page("1001"), Page("1004")}));

        // The server's commands: malformed ones are dropped, "AC" is "ac",
        // and the extra DstId "ZELT" reaches the channel.
        for (const char* bad : {"00110009cmd=hfln1", "00000000cmd=hfln0", "00110009cmdxhfln0",
                                "0011ffffcmd=hfln0", "0011000acmd=hfln0"})
            ASSERT_TRUE(game.boOk(std::string("MSG last tcp GAME ZELT text=") + bad)) << bad;
        ASSERT_TRUE(game.boOk("LUDEX last ZELT AC=other"));
        ASSERT_TRUE(game.boOk("LUDEX last ZELT cmd=hfln"));
        ASSERT_TRUE(FdTestKit::boPumpUntil(
            [&] { return !mgr.GetScriptVar("ran_other").empty() && !mgr.GetScriptVar("ran_hfln").empty(); },
            kLinkWaitMs));
        EXPECT_EQ(page.navigations,
                  (std::vector<std::string>{Page("0"), Page("1001"), Page("1004"), Page("1003")}));

        // The hub goes: the loss is shown once, outside the channel's
        // callback, and the hub library is stopped.
        hub.Kill();
        ASSERT_TRUE(FdTestKit::boPumpUntil([] { return !g_boxes.empty(); }, kLinkWaitMs));
        EXPECT_EQ(g_boxes, std::vector<std::string>{"Launch Script Manager|Perte de connexion!|0"});
        EXPECT_FALSE(part->IsServerLinkConnected());
        EXPECT_EQ(OBSdkClient::ulGetInitCount(), 0u);
        part->NotifyEvent(1002);
        EXPECT_NE(Log().find(kDisconnected), std::string::npos);
        EXPECT_EQ(page.navigations.back(), Page("1002"));
        // Later ticks show nothing more.
        mgr.OnCommand(CStringExt("later"));
        ASSERT_TRUE(
            FdTestKit::boPumpUntil([&] { return !mgr.GetScriptVar("ran_later").empty(); }, kLinkWaitMs));
        EXPECT_EQ(g_boxes.size(), 1u);

        // A hub runs again: a later launch part reaches the server through it.
        ASSERT_TRUE(again.Start()) << "the second hub does not listen";
        CLaunchScriptMgr::SetHubPort(again.port);
        const size_t logBefore = Log().size();
        mgr.SetScriptVar("lscr", second);
        mgr.Ignition();
        ASSERT_NE(mgr.Script().GetLaunchPart(), nullptr);
        ASSERT_TRUE(mgr.Script().GetLaunchPart()->IsServerLinkConnected()) << Log();
        // The first launch part's end found its link lost.
        EXPECT_NE(Log().find(kDisconnected, logBefore), std::string::npos);
        ASSERT_TRUE(Waits("WAIT last note 1 20000"));
        EXPECT_EQ(Notes(game.Command("NOTES 5")), std::vector<std::string>{"5/2/ZDP1/ok/type=0000/-"});
        EXPECT_EQ(OBSdkClient::ulGetInitCount(), 1u);
        EXPECT_EQ(g_boxes.size(), 1u);
    }
    // The manager's end ends the launch part: 4 reaches the server, the
    // library is stopped.
    ASSERT_TRUE(Waits("WAIT last note 2 15000"));
    EXPECT_EQ(Notes(game.Command("NOTES 6")), std::vector<std::string>{"6/2/ZDP1/ok/type=0004/-"});
    EXPECT_EQ(OBSdkClient::ulGetInitCount(), 0u);
}
