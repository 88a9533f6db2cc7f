// The launch plugs from the launcher's side, against the fake plug (a local
// server logging every call and its container's answers):
//  - in this process: plugs made from their HKCU "...\plugs" binding, the
//    container's answers, its release from the site;
//  - Ludex.exe driven as the plug-in drives it: a launch script whose launchinit
//    finds the game through the fake plug, after which the launcher releases
//    its last plug and idles out;
//  - launchgame in this process through the fake plug: started and over, a
//    refused launch, and a plug process killed while its game runs.
#include "FdBstr.h"
#include "FdComActivate.h"
#include "GameDefinitions.h"
#include "LaunchPlatform.h"
#include "LaunchScript.h"
#include "LocalGameData.h"
#include "LudexPlugs.h"
#include "LudexTestSupport.h"
#include "SampleClient.h"
#include "SimpleItems.h"
#include "TestKit.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace
{
const char kFakeProgId[] = "FdTestbed.FakePlug.1";
const char kFakeClsid[] = "{3B1C5E0A-7D4F-4E21-9C55-2E8A6B0D9F13}";

using FdTestKit::strReadFile;

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// An item that does nothing: the callback the plugs' containers reach.
class CIdleItem : public CScriptItem
{
public:
    const char* GetKeyword() const override { return "idle"; }
    int32_t StateProc(int32_t) override { return kOver; }
};

class CPlugTestHost : public IScriptEngineHost
{
public:
    void WriteLog(const std::string& text) override { log += text; }
    std::unique_ptr<CScriptItem> NewItem(const std::string&) override
    {
        auto item = std::make_unique<CIdleItem>();
        last = item.get();
        return item;
    }
    std::string log;
    CScriptItem* last = nullptr;
};

class LudexPlug : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        // The launcher's type library carries the plug interfaces for the marshaller.
        ASSERT_EQ(0, lRunAndWait("\"" + strProgramFolder() + "Ludex.exe\" /RegServer", 60000));
        ASSERT_EQ(0, lRunAndWait("\"" + strProgramFolder() + "FakePlug.exe\" /RegServer", 60000));
    }
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        m_log = m_scratch.File("plug.log");
        SetEnvironmentVariableA("FD_FAKEPLUG_LOG", m_log.c_str());
    }
    void TearDown() override { CoUninitialize(); }

    // Waits until the fake plug's log holds the line (it logs its release as it goes).
    bool WaitForLine(const std::string& line)
    {
        return FdTestKit::boPumpUntil(
            [&]
            {
                for (const std::string& l : Lines(strReadFile(m_log)))
                    if (l == line)
                        return true;
                return false;
            },
            60000);
    }

    FdTestKit::CScratchFolder m_scratch;
    std::string m_log;
};
} // namespace

TEST_F(LudexPlug, BindingsContainerAndRelease)
{
    // What a binding text names.
    struct
    {
        std::string binding;
        bool ok;
    } bindings[] = {
        {std::string("CLSID:") + kFakeClsid, true},
        {std::string("clsid:") + kFakeClsid, true},
        {std::string("progid:") + kFakeProgId, true},
        {"clsid:{3B1C5E0A-7D4F-4E21}", false},
        {"clsid:", false},
        {std::string("classid:") + kFakeClsid, false},
        {"progid:No.Such.Plug.1", false},
        {"", false},
    };
    for (const auto& b : bindings)
    {
        CLSID clsid = {};
        EXPECT_EQ(b.ok, PlugClassOf(b.binding, clsid)) << b.binding;
    }

    // A script whose item tank answers the plugs.
    const std::string script = m_scratch.File("main.xml");
    std::ofstream(script)
        << "<ludexs.itemtank context=\"ludexplug:fakeclsid\"><server val=\"10.0.0.1\"/>"
           "</ludexs.itemtank><ludexs.launch><subscript type=\"OnStart\"><sscmd name=\"msgbox\"/>"
           "</subscript></ludexs.launch>";
    CPlugTestHost host;
    CLaunchScript launch(&host);
    launch.GetVarTank().SetScriptVar("log:console", "1");
    launch.Load("file://" + script, 0, 0, 0);
    launch.Step();
    ASSERT_NE(nullptr, launch.GetLaunchPart());
    ASSERT_NE(nullptr, host.last);
    CPlugSite& site = launch.GetLaunchPart()->PlugSite();

    ASSERT_TRUE(RegisterPlugObject("fakeclsid", std::string("CLSID:") + kFakeClsid));
    ASSERT_TRUE(RegisterPlugObject("fakeprogid", std::string("progid:") + kFakeProgId));
    ASSERT_TRUE(RegisterPlugObject("broken", "clsid:{not a clsid}"));
    EXPECT_EQ(
        std::string("CLSID:") + kFakeClsid,
        FdTestKit::regText(HKEY_CURRENT_USER, "Software\\Zelto\\Ludex\\plugs\\fakeclsid", "").value_or(""));

    EXPECT_EQ(nullptr, CreatePlugObject(site, "broken", host.last));
    EXPECT_EQ(nullptr, CreatePlugObject(site, "missing", host.last));

    ILudexPlug* plug = CreatePlugObject(site, "fakeclsid", host.last);
    ASSERT_NE(nullptr, plug);
    EXPECT_EQ("fakeclsid", site.plugName);
    EXPECT_EQ(1u, site.BindingCount());
    ReleasePlugObject(site, plug);
    EXPECT_EQ(0u, site.BindingCount());
    EXPECT_EQ(nullptr, site.callback);
    ASSERT_TRUE(WaitForLine("Release"));
    EXPECT_EQ((std::vector<std::string>{"Create", "Init|container", "GetLudexObject|ludexxml|0|object",
                                        "LudexXml|yes", "GetLudexObject|other|1|null", "SendBstrData|1",
                                        "GetItemTankValue|server|1|10.0.0.1",
                                        "StrContextVarsUpdate|none|0|[%lgame.gid%]", "Terminate", "Release"}),
              Lines(strReadFile(m_log)));
    EXPECT_NE(std::string::npos, host.log.find("[plug:Fake] => hello from the plug"));

    // By ProgID: the same plug; its item tank context follows the plug's name.
    std::remove(m_log.c_str());
    plug = CreatePlugObject(site, "fakeprogid", host.last);
    ASSERT_NE(nullptr, plug);
    ReleasePlugObject(site, plug);
    ASSERT_TRUE(WaitForLine("Release"));
    const std::vector<std::string> lines = Lines(strReadFile(m_log));
    ASSERT_EQ(10u, lines.size());
    EXPECT_EQ("GetItemTankValue|server|0|", lines[6]);
    EXPECT_EQ("Terminate", lines[8]);
}

// A script that ends one plug session and starts the next at once meets the
// plug's server on its way out (it leaves 10 ms after its last object): every
// round must still get a working plug.
TEST_F(LudexPlug, APlugMadeAgainRightAfterItsReleaseWorksEveryTime)
{
    const std::string script = m_scratch.File("again.xml");
    std::ofstream(script) << "<ludexs.launch><subscript type=\"OnStart\"><sscmd name=\"msgbox\"/>"
                             "</subscript></ludexs.launch>";
    CPlugTestHost host;
    CLaunchScript launch(&host);
    launch.Load("file://" + script, 0, 0, 0);
    launch.Step();
    ASSERT_NE(nullptr, launch.GetLaunchPart());
    ASSERT_NE(nullptr, host.last);
    CPlugSite& site = launch.GetLaunchPart()->PlugSite();
    ASSERT_TRUE(RegisterPlugObject("againclsid", std::string("clsid:") + kFakeClsid));
    ASSERT_TRUE(RegisterPlugObject("againprogid", std::string("progid:") + kFakeProgId));
    for (int round = 0; round < 12; ++round)
    {
        SCOPED_TRACE("round " + std::to_string(round));
        ILudexPlug* plug = CreatePlugObject(site, round % 2 ? "againprogid" : "againclsid", host.last);
        ASSERT_NE(nullptr, plug);
        long running = -1;
        // A call that crosses to the plug's process: the object really serves.
        EXPECT_EQ(S_OK, plug->IsGameRunning(&running));
        ReleasePlugObject(site, plug);
    }
}

TEST_F(LudexPlug, ContainerAnswers)
{
    CPlugSite site;
    CIdleItem item;
    site.callback = &item;
    const int key = 0;
    ILudexPlugContainer* container = nullptr;
    ASSERT_EQ(S_OK, hrCreatePlugContainer(&site, &key, &container));
    long result = -1;
    EXPECT_EQ(S_OK, container->SendBinaryData(nullptr, nullptr, nullptr, nullptr, 0, &result));
    EXPECT_EQ(1, result);
    BSTR text = FdCom::CBstr("[%x%] stays").bstrDetach();
    result = -1;
    EXPECT_EQ(S_OK, container->StrContextVarsUpdate(nullptr, &text, &result));
    EXPECT_EQ(0, result);
    EXPECT_EQ("[%x%] stays", FdCom::strFromBstr(text));
    SysFreeString(text);
    IUnknown* object = nullptr;
    EXPECT_EQ(S_OK, container->GetLudexObject(FdCom::CBstr("LUDEXXML").bstr(), nullptr, 0, &object));
    ASSERT_NE(nullptr, object);
    object->Release();
    object = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(S_FALSE, container->GetLudexObject(FdCom::CBstr("LudexXmlTag").bstr(), nullptr, 0, &object));
    EXPECT_EQ(nullptr, object);

    // Released from the site: every call answers 0, GetLudexObject still serves.
    site.ReleasePlug(&key);
    result = -1;
    EXPECT_EQ(S_OK,
              container->SendBstrData(nullptr, nullptr, FdCom::CBstr("DBG").bstr(), nullptr, 0, &result));
    EXPECT_EQ(0, result);
    BSTR value = nullptr;
    result = -1;
    EXPECT_EQ(S_OK, container->GetItemTankValue(FdCom::CBstr("server").bstr(), &value, &result));
    EXPECT_EQ(0, result);
    EXPECT_EQ(S_OK, container->GetLudexObject(FdCom::CBstr("ludexxml").bstr(), nullptr, 0, &object));
    ASSERT_NE(nullptr, object);
    object->Release();
    container->Release();

    // A site that goes first leaves its containers answering 0.
    auto shortLived = std::make_unique<CPlugSite>();
    shortLived->callback = &item;
    ASSERT_EQ(S_OK, hrCreatePlugContainer(shortLived.get(), &key, &container));
    shortLived.reset();
    result = -1;
    EXPECT_EQ(S_OK,
              container->SendBstrData(nullptr, nullptr, FdCom::CBstr("DBG").bstr(), nullptr, 0, &result));
    EXPECT_EQ(0, result);
    container->Release();
}

namespace
{
// Releases an interface at the end of a scope.
template <class I> struct TRelease
{
    I* p = nullptr;
    ~TRelease()
    {
        if (p)
            p->Release();
    }
};
} // namespace

TEST_F(LudexPlug, LaunchInitRunThenTheLauncherIdlesOut)
{
    SetEnvironmentVariableA("FD_UI_LOG", m_scratch.File("ui.log").c_str());
    const std::string defs = m_scratch.File("defs.xml");
    std::ofstream(defs)
        << "<ludexs.gdef><game xmlns=\"g.def\" gid=\"tetra\" technoid=\"fake\"><gname>Tetra</gname>"
           "<version vnbr=\"1.5\" vid=\"v15\"><vname>Tetra 1.5</vname></version></game></ludexs.gdef>";
    const std::string script = m_scratch.File("launch.xml");
    std::ofstream(script)
        << "<ludexs.itemtank context=\"ludexplug:fake\"><server val=\"10.0.0.1\"/></ludexs.itemtank>"
           "<ludexs.launch><technoplug technoid=\"fake\" classid=\"progid:FdTestbed.FakePlug.1\"/>"
           "<subscript type=\"OnStart\">"
           "<sscmd name=\"launchinfo\"><launchinfo><launchgame><game xmlns=\"g.launch\" gid=\"tetra\">"
           "<gscripts definition=\"file://" +
               defs +
               "\"/></game></launchgame>"
               "<setlverb verb=\"play\" lmode=\"straight\"/></launchinfo></sscmd>"
               "<sscmd name=\"launchinit\"><launchinit><uploads lmode=\"s\"><uplvar "
               "name=\"lgame.gid\"/></uploads>"
               "</launchinit><sslinks ok=\"ok\" nok=\"nok\"/></sscmd></subscript>"
               "<subscript name=\"ok\"><ssif var=\"lgame.gid\" eq=\"tetra\"><sscmd name=\"browse\">"
               "<browse target=\"f\">http://127.0.0.1:9/ok-tetra</browse></sscmd></ssif></subscript>"
               "<subscript name=\"nok\"><sscmd name=\"browse\"><browse "
               "target=\"f\">http://127.0.0.1:9/nok</browse>"
               "</sscmd></subscript></ludexs.launch>";

    TRelease<IDiagOBPP2Cmpt> launcher;
    ASSERT_EQ(S_OK, FdCom::hrCreateInstance(CLSID_LudexOBPPLauncher, CLSCTX_LOCAL_SERVER, IID_IDiagOBPP2Cmpt,
                                            reinterpret_cast<void**>(&launcher.p)));
    const DWORD pid = dwLudexPid();
    ASSERT_NE(0u, pid);
    IDiagCmpt2OBPP* callback = nullptr;
    ASSERT_EQ(S_OK, FdCom::TComObject<CRecordingCallback>::hrCreate(IID_IDiagCmpt2OBPP,
                                                                    reinterpret_cast<void**>(&callback)));
    auto* recorder = static_cast<CRecordingCallback*>(callback);
    unsigned long cookie = 0;
    ASSERT_EQ(S_OK, launcher.p->Advise(callback, &cookie));
    ASSERT_EQ(S_OK,
              launcher.p->SetParameter(FdCom::CBstr("lscr").bstr(), FdCom::CBstr("file://" + script).bstr()));
    ASSERT_EQ(S_OK, launcher.p->ExecuteCmd(FdCom::CBstr("dowk").bstr()));

    // The "ok" sub-script shows its page once the launch variables are set.
    ASSERT_TRUE(recorder->boWaitForCommands(1, 60000)) << strReadFile(m_log);
    EXPECT_EQ("SEND", recorder->commands()[0].strCmd);
    EXPECT_EQ((std::vector<std::pair<std::string, std::string>>{{"TURL", "http://127.0.0.1:9/ok-tetra"},
                                                                {"BFRM", "f"}}),
              recorder->commands()[0].params);

    // Two plugs, each released: the search (which also tries the container from
    // the plug's process) and the check.
    ASSERT_TRUE(WaitForLine("CheckGameList|1"));
    const std::vector<std::string> lines = Lines(strReadFile(m_log));
    auto count = [&](const std::string& line) { return std::count(lines.begin(), lines.end(), line); };
    EXPECT_EQ(2, count("Init|container"));
    EXPECT_EQ(1, count("UpdateGameList|1"));
    EXPECT_EQ(1, count("StrContextVarsUpdate|volume|1|run C:\\Games\\1"));
    EXPECT_EQ(2, count("GetItemTankValue|server|1|10.0.0.1"));
    EXPECT_EQ(2, count("GetLudexObject|ludexxml|0|object"));
    EXPECT_EQ(2, count("Terminate"));
    EXPECT_EQ(std::string("progid:") + kFakeProgId,
              FdTestKit::regText(HKEY_CURRENT_USER, "Software\\Zelto\\Ludex\\plugs\\fake", "").value_or(""));

    // The definitions, with the installation the plug found, are the local games now.
    std::unique_ptr<CZeltoGameList> local = LoadLocalGameList();
    ASSERT_EQ(1, local->Count());
    EXPECT_EQ("tetra", local->GetAt(0)->id);
    ASSERT_EQ(1, local->GetAt(0)->versions->Count());
    EXPECT_EQ(1, local->GetAt(0)->versions->GetAt(0)->VolumeCount());

    // The container class is served to other processes too.
    TRelease<ILudexPlugContainer> container;
    ASSERT_EQ(S_OK, FdCom::hrCreateInstance(CLSID_LudexPlugContainer, CLSCTX_LOCAL_SERVER,
                                            IID_ILudexPlugContainer, reinterpret_cast<void**>(&container.p)));
    TRelease<IUnknown> xml;
    EXPECT_EQ(S_OK, container.p->GetLudexObject(FdCom::CBstr("ludexxml").bstr(), nullptr, 0, &xml.p));
    EXPECT_NE(nullptr, xml.p);
    long sent = -1;
    EXPECT_EQ(S_OK, container.p->SendBstrData(nullptr, nullptr, nullptr, nullptr, 0, &sent));
    EXPECT_EQ(0, sent) << "a container of no plug answers 0";
    EXPECT_EQ(pid, dwLudexPid());
    xml.p->Release();
    xml.p = nullptr;
    container.p->Release();
    container.p = nullptr;

    // Every plug went with its run: once the page lets go, the launcher ends by itself.
    EXPECT_EQ(2, count("Release")) << strReadFile(m_log);
    EXPECT_EQ(S_OK, launcher.p->Unadvise(cookie));
    callback->Release();
    launcher.p->Release();
    launcher.p = nullptr;
    EXPECT_TRUE(boWaitForExit(pid));
}

namespace
{
// The launch items on the real platform: plugs through COM.
class CLaunchGameHost : public IScriptEngineHost
{
public:
    void WriteLog(const std::string& text) override { log += text; }
    void NotifyEvent(int32_t code) override
    {
        if (code == 2 || code == 3 || code == 1002)
            events.push_back(code);
    }
    std::unique_ptr<CScriptItem> NewItem(const std::string& keyword) override
    {
        if (std::unique_ptr<CScriptItem> item = NewLaunchItem(keyword))
            return item;
        return NewSimpleItem(keyword);
    }
    ILaunchHost* LaunchHost() override { return &platform; }

    CLaunchPlatform platform;
    std::string log;
    std::vector<int32_t> events;
};

// The ids of the fake plug's processes.
std::vector<DWORD> FakePlugPids()
{
    std::vector<DWORD> pids;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE)
        return pids;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL ok = Process32First(snap, &entry); ok; ok = Process32Next(snap, &entry))
        if (lstrcmpiA(entry.szExeFile, "FakePlug.exe") == 0)
            pids.push_back(entry.th32ProcessID);
    CloseHandle(snap);
    return pids;
}

// A fake plug of an earlier case still idling out would serve the next one
// with its old answers: each case starts when none is left.
bool NoFakePlugLeft()
{
    for (DWORD pid : FakePlugPids())
        if (!boWaitForExit(pid))
            return false;
    return FakePlugPids().empty();
}
} // namespace

TEST_F(LudexPlug, LaunchGameThroughThePlug)
{
    ASSERT_TRUE(RegisterPlugObject("fake", std::string("progid:") + kFakeProgId));
    const std::string script = m_scratch.File("game.xml");
    std::ofstream(script)
        << "<ludexs.launch><subscript type=\"OnStart\">"
           "<sscmd name=\"launchinfo\"><launchinfo><launchgame><game xmlns=\"g.launch\" "
           "gid=\"tetra\" technoid=\"fake\"><version vnbr=\"1\" vid=\"v1\"/></game></launchgame>"
           "<setlverb verb=\"play\" lmode=\"straight\"/></launchinfo></sscmd>"
           "<sscmd name=\"launchgame\"><launchgame/></sscmd></subscript></ludexs.launch>";
    // The plug's calls as it logs them, without what its container answered.
    auto calls = [&]
    {
        std::vector<std::string> kept;
        for (const std::string& line : Lines(strReadFile(m_log)))
            if (line.find('|') == std::string::npos && line != "LudexXml")
                kept.push_back(line);
        return kept;
    };
    struct
    {
        const char* name;
        const char* answers; // FD_FAKEPLUG_ANSWER_PreLaunchGame, _IsGameRunning
        bool killPlug;       // kill the plug's process while its game runs
        std::vector<int32_t> events;
        std::vector<std::string> calls;
    } cases[] = {
        {"game over at the first check",
         "1",
         false,
         {2, 3},
         {"Create", "PreLaunchGame", "LaunchGame", "IsGameRunning", "PostLaunchGame", "Terminate",
          "Release"}},
        {"PreLaunchGame answers 0", "0", false, {1002}, {"Create", "PreLaunchGame", "Terminate", "Release"}},
        {"plug process killed", "1", true, {2, 3}, {}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(NoFakePlugLeft());
        std::remove(m_log.c_str());
        SetEnvironmentVariableA("FD_FAKEPLUG_ANSWER_PreLaunchGame", c.answers);
        SetEnvironmentVariableA("FD_FAKEPLUG_ANSWER_IsGameRunning", c.killPlug ? "1" : nullptr);
        CLaunchGameHost host;
        {
            CLaunchScript launch(&host);
            launch.GetVarTank().SetScriptVar("log:console", "1");
            launch.Load("file://" + script, 0, 0, 0);
            CLaunchPart* part = nullptr;
            auto step = [&]
            {
                launch.Step();
                part = launch.GetLaunchPart();
                return part && part->IsIdle();
            };
            if (c.killPlug)
            {
                // The game runs; then its plug's process goes.
                ASSERT_TRUE(FdTestKit::boPumpUntil(
                    [&]
                    {
                        step();
                        return host.log.find("..") != std::string::npos;
                    },
                    20000))
                    << host.log;
                ASSERT_NE(nullptr, part->GetRunningPlug());
                const std::vector<DWORD> pids = FakePlugPids();
                ASSERT_EQ(1u, pids.size());
                HANDLE plug = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pids[0]);
                ASSERT_NE(nullptr, plug);
                TerminateProcess(plug, 1);
                EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(plug, 20000));
                CloseHandle(plug);
            }
            ASSERT_TRUE(FdTestKit::boPumpUntil(step, 20000)) << host.log;
            EXPECT_EQ(nullptr, part->GetRunningPlug());
        }
        EXPECT_EQ(c.events, host.events) << host.log;
        if (!c.calls.empty())
        {
            ASSERT_TRUE(WaitForLine("Release"));
            EXPECT_EQ(c.calls, calls());
        }
    }
    SetEnvironmentVariableA("FD_FAKEPLUG_ANSWER_PreLaunchGame", nullptr);
    SetEnvironmentVariableA("FD_FAKEPLUG_ANSWER_IsGameRunning", nullptr);
}
