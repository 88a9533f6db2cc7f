// LudexPlugCmdLine.exe through COM: its registration, and one plug activated from
// this process acting as its container (the launcher's XML document object and its
// catalogue objects served from here), with many checks per activation because each
// cold activation costs about a second under Wine.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "ComRef.h"
#include "FdComActivate.h"
#include "FdBstr.h"
#include "FdComObject.h"
#include "GameCatalog.h"
#include "LudexLib.h"
#include "PlugCmdLineLib.h"
#include "LudexXmlTree.h"
#include "TestKit.h"
#include "XmlEntities.h"
#include "ZeltoCatalogCom.h"
#include "TestHelper.h"

namespace
{
const char kClsidPlug[] = "{95B8E6D2-7D70-4975-944C-8D909D04C411}";
const char kClsidXmlScript[] = "{87FE0FBD-7BF8-4382-8D42-FA7A15D2C621}";
const char kClsidObserver[] = "{104CC71B-D61B-48BA-9454-884720269407}";
const char kAppId[] = "{09EAA077-0041-4A4E-80E4-6840C2AD23E2}";
const char kLibId[] = "{F9A51415-A801-49A8-A3BA-011F1A9FA3CC}";
const char kIidXmlScript[] = "{3EAB4F0E-1B35-426D-8CAD-0E1EE9505681}";
const char kIidLudexPlug[] = "{17877395-B8E8-4DD6-8386-53743F7AEAF5}";
const char kLudexLibId[] = "{0586A0AD-1E09-49DA-800B-D81F0AC5A23B}";
const char kTestKey[] = "Software\\OrbelleTest\\Plug";
const char kNotFoundMarker[] = "||**NOT$FOUND$VALUE**||";

// The programs are built into the test's own folder.
std::string strBinPath(const char* name)
{
    return FdTestKit::strProgramFolder() + name;
}

int iRun(const std::string& program, const std::string& args)
{
    return static_cast<int>(
        FdTestKit::runAndWait("\"" + strBinPath(program.c_str()) + "\" " + args, 60000).dwExitCode);
}

bool boKey(const std::string& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

std::string strClassesText(const std::string& path, const char* name = nullptr)
{
    return FdTestKit::regText(HKEY_CLASSES_ROOT, path, name).value_or("<none>");
}

void vRegisterLauncherTypes()
{
    // The plug interfaces reach the plug through the launcher's type library.
    static bool done = false;
    if (!done)
    {
        ASSERT_EQ(0, iRun("Ludex.exe", "/RegServer"));
    }
    done = true;
}

// The container a launcher would hand to the plug: it serves the XML document
// object and records what the plug sends.
class CTestContainer : public FdCom::CObjectRoot, public ILudexPlugContainer
{
public:
    FD_COM_BEGIN_MAP(CTestContainer, ILudexPlugContainer)
    FD_COM_ENTRY(ILudexPlugContainer)
    FD_COM_END_MAP()

    std::vector<std::string> traces; // "verb|src|dest|data"
    int gameOvers = 0;
    int xmlObjects = 0;

    STDMETHODIMP GameOver(long flags) override
    {
        traces.push_back("GameOver|" + std::to_string(flags));
        ++gameOvers;
        return S_OK;
    }
    // The calls this plug never makes fail the test.
    STDMETHODIMP StrContextVarsUpdate(IZeltoGenericEnumerator*, BSTR*, long*) override
    {
        return hrUnexpected("StrContextVarsUpdate");
    }
    STDMETHODIMP SendBstrData(BSTR verb, BSTR src, BSTR dest, BSTR data, long, long* ret) override
    {
        traces.push_back(FdCom::strFromBstr(verb) + "|" + FdCom::strFromBstr(src) + "|" +
                         FdCom::strFromBstr(dest) + "|" + FdCom::strFromBstr(data));
        if (ret)
            *ret = 0;
        return S_OK;
    }
    STDMETHODIMP SendBinaryData(BSTR, BSTR, BSTR, SAFEARRAY*, long, long*) override
    {
        return hrUnexpected("SendBinaryData");
    }
    STDMETHODIMP GetItemTankValue(BSTR, BSTR*, long*) override { return hrUnexpected("GetItemTankValue"); }
    STDMETHODIMP PlugOut() override { return hrUnexpected("PlugOut"); }
    STDMETHODIMP ExecVerb(BSTR, BSTR, long*) override { return hrUnexpected("ExecVerb"); }
    STDMETHODIMP GetLudexObject(BSTR id, BSTR, long, IUnknown** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (lstrcmpiA(FdCom::strFromBstr(id).c_str(), "LudexXml") != 0)
            return S_FALSE;
        ++xmlObjects;
        return SUCCEEDED(hrCreateLudexXml(IID_IUnknown, reinterpret_cast<void**>(object))) ? S_OK : S_FALSE;
    }

private:
    static HRESULT hrUnexpected(const char* method)
    {
        ADD_FAILURE() << "unexpected call ILudexPlugContainer::" << method;
        return E_UNEXPECTED;
    }
};

DWORD dwPlugPid()
{
    DWORD pid = 0;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE)
        return 0;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL ok = Process32First(snap, &entry); ok; ok = Process32Next(snap, &entry))
        if (lstrcmpiA(entry.szExeFile, "LudexPlugCmdLine.exe") == 0)
            pid = entry.th32ProcessID;
    CloseHandle(snap);
    return pid;
}

void vSetTestValue(const std::string& name, const std::string& text)
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr));
    RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
    RegCloseKey(key);
}

void vWriteFile(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(file, "game", 4, &written, nullptr);
    CloseHandle(file);
}

// An attribute as a script writes it.
std::string Attr(const std::string& name, const std::string& value)
{
    return " " + name + "=\"" + XmlFormatString(value) + "\"";
}

// The raw technology data of a version: each script as the escaped content of a
// "vtident" element.
std::string RawData(const std::vector<std::string>& scripts)
{
    std::string text;
    for (const std::string& script : scripts)
        text += "<vtident>" + XmlFormatString(script) + "</vtident>";
    return text;
}

CZeltoGameVersion* AddGame(CZeltoGameList& list, const std::string& id, int versions = 1)
{
    auto game = std::make_unique<CZeltoGame>();
    game->id = id;
    CZeltoGameVersion* first = nullptr;
    for (int i = 0; i < versions; ++i)
    {
        CZeltoGameVersion* version = game->versions->Add(std::make_unique<CZeltoGameVersion>());
        if (!first)
            first = version;
    }
    list.Add(std::move(game));
    return first;
}

std::string Volume(CZeltoGameVersion* version, const std::string& name, const std::string& variable)
{
    CGameVolume* volume = version->FindVolume(name);
    return volume ? volume->pairs.GetAt(variable) : std::string("<no volume>");
}

const int kUntouched = 77;
} // namespace

TEST(PlugCmdLine, RegistersItsClassesAndRemovesThem)
{
    FD_HELPER(vRegisterLauncherTypes());
    for (const char* word : {"/RegServer", "-regserver", "/REGSERVER -other"})
    {
        SCOPED_TRACE(word);
        ASSERT_EQ(0, iRun("LudexPlugCmdLine.exe", word));
        const std::string server = strClassesText(std::string("CLSID\\") + kClsidPlug + "\\LocalServer32");
        EXPECT_NE(server.find("LudexPlugCmdLine.exe"), std::string::npos) << server;
        EXPECT_EQ(strClassesText(std::string("CLSID\\") + kClsidPlug, "AppID"), kAppId);
        EXPECT_EQ(strClassesText(std::string("CLSID\\") + kClsidPlug + "\\ProgID"),
                  "LudexPlugCmdLine.LudexPlug.1");
        EXPECT_EQ(strClassesText("LudexPlugCmdLine.LudexPlug.1\\CLSID"), kClsidPlug);
        EXPECT_EQ(strClassesText("LudexPlugCmdLine.LudexPlug\\CurVer"), "LudexPlugCmdLine.LudexPlug.1");
        EXPECT_EQ(strClassesText("LudexPlugCmdLine.XmlScript.1\\CLSID"), kClsidXmlScript);
        EXPECT_EQ(strClassesText("LudexPlugCmdLine.XmlScript\\CLSID"), kClsidXmlScript);
        EXPECT_EQ(strClassesText("LudexPlugCmdLine.LudexXmlObserver.1\\CLSID"), kClsidObserver);
        EXPECT_TRUE(boKey(std::string("CLSID\\") + kClsidObserver + "\\LocalServer32"));
        EXPECT_EQ(strClassesText(std::string("AppID\\") + kAppId), "LudexPlugCmdLine");
        EXPECT_EQ(strClassesText("AppID\\LudexPlugCmdLine.exe", "AppID"), kAppId);
        EXPECT_TRUE(boKey(std::string("TypeLib\\") + kLibId + "\\1.0"));
        EXPECT_EQ(strClassesText(std::string("Interface\\") + kIidXmlScript + "\\TypeLib"), kLibId);
        // The plug interfaces stay the launcher's.
        EXPECT_EQ(strClassesText(std::string("Interface\\") + kIidLudexPlug + "\\TypeLib"), kLudexLibId);
    }
    ASSERT_EQ(0, iRun("LudexPlugCmdLine.exe", "-UnregServer"));
    for (const std::string& key :
         {std::string("CLSID\\") + kClsidPlug, std::string("CLSID\\") + kClsidXmlScript,
          std::string("CLSID\\") + kClsidObserver, std::string("AppID\\") + kAppId,
          std::string("LudexPlugCmdLine.LudexPlug.1"), std::string("LudexPlugCmdLine.XmlScript"),
          std::string("TypeLib\\") + kLibId, std::string("Interface\\") + kIidXmlScript})
        EXPECT_FALSE(boKey(key)) << key;
    EXPECT_EQ(strClassesText(std::string("Interface\\") + kIidLudexPlug + "\\TypeLib"), kLudexLibId);
    // Registered again for the next test.
    ASSERT_EQ(0, iRun("LudexPlugCmdLine.exe", "/RegServer"));
}

TEST(PlugCmdLine, DetectsChecksAndLeavesThroughCom)
{
    FD_HELPER(vRegisterLauncherTypes());
    ASSERT_EQ(0, iRun("LudexPlugCmdLine.exe", "/RegServer"));
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    const LONG locksBefore = FdCom::CModule::Get().lLockCount();

    FdTestKit::CScratchFolder scratch;
    const std::string folderAmp = scratch.File("A&B"), folderC = scratch.File("C");
    CreateDirectoryA(folderAmp.c_str(), nullptr);
    CreateDirectoryA(folderC.c_str(), nullptr);
    const std::string gameAmp = folderAmp + "\\GAME.EXE", gameC = folderC + "\\GAME.EXE";
    const std::string missing = scratch.File("missing.bin");
    FD_HELPER(vWriteFile(gameAmp));
    FD_HELPER(vWriteFile(gameC));
    FD_HELPER(vWriteFile(folderC + "\\DATA.BIN"));
    const std::string key = std::string("HKCU\\") + kTestKey;
    FD_HELPER(vSetTestValue("ten", "10"));
    FD_HELPER(vSetTestValue("ninehalf", "9.5"));
    FD_HELPER(vSetTestValue("tenhalf", "10.5"));
    FD_HELPER(vSetTestValue("marker", kNotFoundMarker));
    const std::string oddName = "say \"hi\" & bye";
    FD_HELPER(vSetTestValue(oddName, "x&y"));

    // One game per case, one version each.
    CZeltoGameList list;
    auto file = [](const std::string& path, const std::string& more = "")
    { return "<file" + Attr("fullpath", path) + more + "/>"; };
    auto reg = [&](const std::string& name, const std::string& more)
    { return "<reg" + Attr("key", key) + Attr("valname", name) + more + "/>"; };
    // Found by the disk search, over the scratch folder standing for the drives.
    SetEnvironmentVariableA("FD_SEARCH_DRIVES", scratch.Path().c_str());
    CZeltoGameVersion* twoFolders = AddGame(list, "two");
    twoFolders->techData.rawData = RawData({"<file name=\"game.exe\" var:path=\"gamedir\"/>"});
    struct SCase
    {
        const char* what;
        std::string script;
        int32_t status;
        CZeltoGameVersion* version = nullptr;
    };
    std::vector<SCase> cases = {
        {"and: one file missing", "<and>" + file(gameC) + file(missing) + "</and>", -1},
        {"or: one file there", "<or>" + file(missing) + file(gameC) + "</or>", 1},
        {"and of two files in one folder", "<and>" + file(gameC) + file(folderC + "\\DATA.BIN") + "</and>",
         1},
        {"gte 10 on 10", reg("ten", Attr("gte", "10")), 1},
        {"gte 10 on 9.5", reg("ninehalf", Attr("gte", "10")), -1},
        {"lte 10 on 9.5", reg("ninehalf", Attr("lte", "10")), 1},
        {"lte 10 on 10.5", reg("tenhalf", Attr("lte", "10")), -1},
        {"marker counts as missing: exists", reg("marker", Attr("exists", "1")), -1},
        {"marker counts as missing: nexists", reg("marker", Attr("nexists", "1")), 1},
        {"value absent: nexists", reg("absent", Attr("nexists", "1")), 1},
        {"& and \" through both layers", "<and>" + file(gameAmp) + reg(oddName, Attr("eq", "x&y")) + "</and>",
         1},
    };
    for (size_t i = 0; i < cases.size(); ++i)
    {
        cases[i].version = AddGame(list, "case" + std::to_string(i));
        cases[i].version->techData.rawData = RawData({cases[i].script});
    }
    CZeltoGameVersion* absent = AddGame(list, "absent");
    absent->techData.rawData = RawData({file(gameC)});
    absent->contextData.localInstallStatus = -1;
    CZeltoGameVersion* twoVersions = AddGame(list, "twoversions", 2);
    // A game started as a process and watched.
    CZeltoGameVersion* launched = AddGame(list, "launched");
    launched->contextData.launchVerb = "play";
    launched->techData.rawData = "<vtlaunch><cmdline verb=\"play\" shellex=\"\"><exe> " +
                                 XmlFormatString(strBinPath("FixtureGame.exe")) +
                                 " </exe><params>--ms 300</params></cmdline></vtlaunch>";
    const int launchedIndex = list.Count() - 1;

    CTestContainer* containerObject = nullptr;
    ASSERT_EQ(S_OK, FdCom::TComObject<CTestContainer>::hrCreateObject(&containerObject));
    ILudexPlugContainer* containerItf = containerObject;

    ILudexPlug* plug = nullptr;
    ASSERT_EQ(S_OK, FdCom::hrCreateInstance(CLSID_LudexPlug, CLSCTX_LOCAL_SERVER, IID_ILudexPlug,
                                            reinterpret_cast<void**>(&plug)));
    const DWORD pid = dwPlugPid();
    ASSERT_NE(pid, 0u);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    ASSERT_NE(process, nullptr);

    {
        CCatalogLease lease(&list);
        IZeltoGameList* games = lease.GameList();
        ASSERT_NE(games, nullptr);

        // Init never called: every method answers S_OK and does nothing.
        long out = kUntouched;
        IZeltoGame* noGame = nullptr;
        EXPECT_EQ(S_OK, plug->PreLaunchGame(&noGame, &out));
        EXPECT_EQ(S_OK, plug->LaunchGame(&noGame, &out));
        EXPECT_EQ(S_OK, plug->PostLaunchGame(&noGame, &out));
        EXPECT_EQ(S_OK, plug->KillGame(&out));
        EXPECT_EQ(S_OK, plug->CheckGameList(&games, &out));
        EXPECT_EQ(S_OK, plug->UpdateGameList(&games, &out));
        EXPECT_EQ(S_OK, plug->ExecVerb(nullptr, nullptr, &out));
        EXPECT_EQ(S_OK, plug->Terminate());
        EXPECT_EQ(out, kUntouched);
        BSTR info = nullptr;
        long infoValue = kUntouched, infoFound = kUntouched;
        EXPECT_EQ(S_OK,
                  plug->GetRunningGameInfo(FdCom::CBstr("procid").bstr(), 0, &info, &infoValue, &infoFound));
        EXPECT_EQ(infoValue, kUntouched);
        EXPECT_EQ(infoFound, kUntouched);
        long running = kUntouched;
        EXPECT_EQ(S_OK, plug->IsGameRunning(&running));
        EXPECT_EQ(running, 0);
        EXPECT_EQ(twoFolders->VolumeCount(), 0);
        EXPECT_EQ(cases[0].version->contextData.localInstallStatus, 0);
        EXPECT_EQ(containerObject->xmlObjects, 0);

        // Update: the identification scripts, written back as vcdata blocks.
        ASSERT_EQ(S_OK, plug->Init(containerItf));
        out = kUntouched;
        ASSERT_EQ(S_OK, plug->UpdateGameList(&games, &out));
        EXPECT_EQ(out, 0);
        EXPECT_EQ(containerObject->xmlObjects, 1);
        EXPECT_EQ(twoFolders->contextData.localInstallStatus, 1);
        ASSERT_EQ(twoFolders->VolumeCount(), 2);
        // One installation per folder (the walk's order decides which is "0").
        std::vector<std::string> dirs = {Volume(twoFolders, "0", "gamedir"),
                                         Volume(twoFolders, "1", "gamedir")};
        std::sort(dirs.begin(), dirs.end());
        EXPECT_EQ(dirs, (std::vector<std::string>{folderAmp, folderC}));
        EXPECT_NE(twoFolders->techData.plugData.find("<vcdata id=\"0\">"), std::string::npos)
            << twoFolders->techData.plugData;
        EXPECT_NE(twoFolders->techData.plugData.find("<vcdata id=\"1\">"), std::string::npos);
        // Each file found was traced from the search thread, through the main thread.
        std::vector<std::string> matches;
        for (const std::string& trace : containerObject->traces)
            if (trace.find("[File Matching]") != std::string::npos)
                matches.push_back(trace);
        std::sort(matches.begin(), matches.end());
        EXPECT_EQ(matches, (std::vector<std::string>{"dbg|plug:CmdLine|dbg|[File Matching] --> " + gameAmp,
                                                     "dbg|plug:CmdLine|dbg|[File Matching] --> " + gameC}));
        for (const SCase& c : cases)
            EXPECT_EQ(c.version->contextData.localInstallStatus, c.status) << c.what;
        EXPECT_EQ(absent->contextData.localInstallStatus, -1);
        EXPECT_TRUE(absent->techData.plugData.empty());
        // Worker released after the update: a further call does nothing.
        out = kUntouched;
        EXPECT_EQ(S_OK, plug->CheckGameList(&games, &out));
        EXPECT_EQ(out, kUntouched);

        // Check: the stored blocks alone decide, concrete paths with & and ".
        const SCase& odd = cases.back();
        for (SCase& c : cases)
            c.version->contextData.localInstallStatus = 0;
        ASSERT_EQ(S_OK, plug->Init(containerItf));
        ASSERT_EQ(S_OK, plug->CheckGameList(&games, &out));
        EXPECT_EQ(out, 0);
        EXPECT_EQ(odd.version->contextData.localInstallStatus, 1) << odd.version->techData.plugData;
        EXPECT_EQ(cases[1].version->contextData.localInstallStatus, 1);
        // A version whose update found nothing holds an empty text: left as it is.
        EXPECT_EQ(cases[0].version->contextData.localInstallStatus, 0);
        ASSERT_TRUE(DeleteFileA(gameAmp.c_str()));
        for (SCase& c : cases)
            c.version->contextData.localInstallStatus = 0;
        twoFolders->contextData.localInstallStatus = 0;
        ASSERT_EQ(S_OK, plug->Init(containerItf));
        ASSERT_EQ(S_OK, plug->CheckGameList(&games, &out));
        EXPECT_EQ(odd.version->contextData.localInstallStatus, -1);
        EXPECT_EQ(twoFolders->contextData.localInstallStatus, 1); // the copy in C\ holds
        EXPECT_EQ(cases[1].version->contextData.localInstallStatus, 1);

        // A null list: out 0, nothing touched, no document object asked for.
        const int xmlBefore = containerObject->xmlObjects;
        ASSERT_EQ(S_OK, plug->Init(containerItf));
        IZeltoGameList* noList = nullptr;
        out = kUntouched;
        ASSERT_EQ(S_OK, plug->CheckGameList(&noList, &out));
        EXPECT_EQ(out, 0);
        EXPECT_EQ(containerObject->xmlObjects, xmlBefore);

        // A launch refused, traced to the container from the plug's thread.
        ASSERT_EQ(S_OK, plug->Init(containerItf));
        FdWin::TComRef<IZeltoGame> game;
        ASSERT_EQ(S_OK, games->GetAt(launchedIndex - 1, game.ppOut()));
        IZeltoGame* gameItf = game.p();
        out = kUntouched;
        ASSERT_EQ(S_OK, plug->PreLaunchGame(&gameItf, &out));
        EXPECT_EQ(out, 1);
        ASSERT_EQ(S_OK, plug->LaunchGame(&gameItf, &out));
        EXPECT_EQ(out, 0);
        ASSERT_FALSE(containerObject->traces.empty());
        EXPECT_EQ(containerObject->traces.back(),
                  "dbg|plug:CmdLine|dbg|ERROR : Number of GameVersions != 1 !!!!!");
        running = kUntouched;
        EXPECT_EQ(S_OK, plug->IsGameRunning(&running));
        EXPECT_EQ(running, 0);
        ASSERT_EQ(S_OK, plug->PostLaunchGame(&gameItf, &out));
        EXPECT_EQ(out, 1);
        game.vReset();
        (void)twoVersions;

        // A game that ends by itself: exactly one GameOver(0), on the plug's main thread.
        ASSERT_EQ(S_OK, games->GetAt(launchedIndex, game.ppOut()));
        gameItf = game.p();
        ASSERT_EQ(S_OK, plug->Init(containerItf));
        out = kUntouched;
        ASSERT_EQ(S_OK, plug->LaunchGame(&gameItf, &out));
        EXPECT_EQ(out, 1);
        running = kUntouched;
        EXPECT_EQ(S_OK, plug->IsGameRunning(&running));
        EXPECT_EQ(running, 1);
        info = nullptr;
        infoValue = infoFound = kUntouched;
        ASSERT_EQ(S_OK,
                  plug->GetRunningGameInfo(FdCom::CBstr("PROCID").bstr(), 0, &info, &infoValue, &infoFound));
        EXPECT_EQ(infoFound, 1);
        EXPECT_NE(infoValue, 0);
        EXPECT_NE(info, nullptr);
        SysFreeString(info);
        EXPECT_TRUE(FdTestKit::boPumpUntil([&] { return containerObject->gameOvers == 1; }));
        FdTestKit::vPumpFor(100);
        EXPECT_EQ(containerObject->gameOvers, 1);
        EXPECT_EQ(containerObject->traces.back(), "GameOver|0");
        EXPECT_EQ(S_OK, plug->IsGameRunning(&running));
        EXPECT_EQ(running, 0);
        ASSERT_EQ(S_OK, plug->PostLaunchGame(&gameItf, &out));

        // A game killed: one more GameOver(0).
        launched->techData.rawData = "<vtlaunch><cmdline verb=\"play\" shellex=\"\"><exe>" +
                                     XmlFormatString(strBinPath("FixtureGame.exe")) +
                                     "</exe></cmdline></vtlaunch>";
        ASSERT_EQ(S_OK, plug->Init(containerItf));
        ASSERT_EQ(S_OK, plug->LaunchGame(&gameItf, &out));
        EXPECT_EQ(out, 1);
        out = kUntouched;
        ASSERT_EQ(S_OK, plug->KillGame(&out));
        EXPECT_EQ(out, 1);
        EXPECT_TRUE(FdTestKit::boPumpUntil([&] { return containerObject->gameOvers == 2; }));
        FdTestKit::vPumpFor(100);
        EXPECT_EQ(containerObject->gameOvers, 2);
        ASSERT_EQ(S_OK, plug->PostLaunchGame(&gameItf, &out));

        // A program that is not there, by process creation and by the shell:
        // the launch answers 0 (no game ran), and no GameOver can follow.
        const std::string missing = strBinPath("NoSuchGame.exe");
        const struct
        {
            const char* what;
            const char* shellex;
            const char* trace;
        } missingCases[] = {
            {"process", " shellex=\"\"", "CreateProcess Failed! err="},
            {"shell", "", "csVerb : open"},
        };
        for (const auto& c : missingCases)
        {
            SCOPED_TRACE(c.what);
            launched->techData.rawData = std::string("<vtlaunch><cmdline verb=\"play\"") + c.shellex +
                                         "><exe>" + XmlFormatString(missing) + "</exe></cmdline></vtlaunch>";
            containerObject->traces.clear();
            ASSERT_EQ(S_OK, plug->Init(containerItf));
            out = kUntouched;
            ASSERT_EQ(S_OK, plug->LaunchGame(&gameItf, &out));
            EXPECT_EQ(out, 0);
            bool traced = false;
            for (const std::string& trace : containerObject->traces)
                traced = traced || (trace.find(c.trace) != std::string::npos &&
                                    trace.find("NoSuchGame.exe") != std::string::npos);
            EXPECT_TRUE(traced) << ::testing::PrintToString(containerObject->traces);
            running = kUntouched;
            EXPECT_EQ(S_OK, plug->IsGameRunning(&running));
            EXPECT_EQ(running, 0);
            EXPECT_EQ(containerObject->gameOvers, 2);
            ASSERT_EQ(S_OK, plug->PostLaunchGame(&gameItf, &out));
        }
        game.vReset();
    }

    // The last release ends the process (idle exit), within a bound.
    EXPECT_EQ(0u, plug->Release());
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process, 10000));
    CloseHandle(process);
    containerItf->Release();
    // Every object this process served is gone: the catalogue's and the container.
    EXPECT_EQ(locksBefore, FdCom::CModule::Get().lLockCount());
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\OrbelleTest");
    CoUninitialize();
}

TEST(PlugCmdLine, ConfigureShowsTheDriveTypeDialogWithOrWithoutWorker)
{
    FD_HELPER(vRegisterLauncherTypes());
    ASSERT_EQ(0, iRun("LudexPlugCmdLine.exe", "/RegServer"));
    FdTestKit::CScratchFolder scratch;
    // The plug inherits these: its dialogs are logged and answered, not shown.
    const std::string log = scratch.File("ui.log");
    SetEnvironmentVariableA("FD_UI_LOG", log.c_str());
    SetEnvironmentVariableA("FD_UI_ANSWERS", "1,2");
    const char* const configKey = "Software\\Zelto\\Ludex\\LudexPlugCmdLine";
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    const LONG locksBefore = FdCom::CModule::Get().lLockCount();
    ILudexPlug* plug = nullptr;
    ASSERT_EQ(S_OK, FdCom::hrCreateInstance(CLSID_LudexPlug, CLSCTX_LOCAL_SERVER, IID_ILudexPlug,
                                            reinterpret_cast<void**>(&plug)));
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, dwPlugPid());
    ASSERT_NE(process, nullptr);
    long out = kUntouched;
    EXPECT_EQ(S_OK, plug->Configure(&out)); // no Init: the dialog all the same
    EXPECT_EQ(out, 1);
    CTestContainer* container = nullptr;
    ASSERT_EQ(S_OK, FdCom::TComObject<CTestContainer>::hrCreateObject(&container));
    ASSERT_EQ(S_OK, plug->Init(container));
    out = kUntouched;
    EXPECT_EQ(S_OK, plug->Configure(&out));
    EXPECT_EQ(out, 1);
    // The worker went with Configure.
    out = kUntouched;
    EXPECT_EQ(S_OK, plug->KillGame(&out));
    EXPECT_EQ(out, kUntouched);
    // An unchanged mask is not written.
    EXPECT_FALSE(FdTestKit::regText(HKEY_CURRENT_USER, configKey, "LudexPlugCmdLineConfig").has_value());
    EXPECT_EQ(0u, plug->Release());
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process, 10000));
    CloseHandle(process);
    container->Release();
    EXPECT_EQ(locksBefore, FdCom::CModule::Get().lLockCount());
    CoUninitialize();
    SetEnvironmentVariableA("FD_UI_LOG", nullptr);
    SetEnvironmentVariableA("FD_UI_ANSWERS", nullptr);
    std::ifstream in(log);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "DIALOG|106\nDIALOG|106\n");
}
