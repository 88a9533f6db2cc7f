// LudexPlugDP.exe as the launcher meets it: registered with "RegServer", created as
// a local server, answering through the launcher's type library, gone shortly after
// its last object is released, and removed by "UnregServer".
#include "FakeCatalog.h"
#include "FdComActivate.h"
#include "LudexLib.h"

#include "TestKit.h"
#include "TestHelper.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace
{
const char kPlugClsid[] = "{E880BEF7-D751-4864-BF22-16C7564DD6FB}";
const char kHelperClsid[] = "{680B301D-69CF-49A7-845F-5528F785B8B3}";
const char kObserverClsid[] = "{403A372B-7F3B-40A2-B9AC-AAEFEEDA24C8}";
const char kAppId[] = "{1326B9C4-2BE5-43DA-A25A-910BB6463866}";

std::string strBin()
{
    const char* p = std::getenv("FD_BIN_DIR");
    std::string s = std::string("Z:") + (p ? p : "");
    for (char& c : s)
        if (c == '/')
            c = '\\';
    return s + "\\";
}

std::string strClasses(const std::string& key, const char* name = nullptr)
{
    return FdTestKit::regText(HKEY_CLASSES_ROOT, key, name).value_or("<none>");
}

using FdTestKit::strReadFile;

// The fixture game as a registered DirectPlay application, and the TCP/IP address type
// that Windows lists for its provider.
void vRegisterFixtureGame(const std::string& guid, const std::string& folder)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE,
                              "SOFTWARE\\Microsoft\\DirectPlay\\Applications\\ServerFixture", 0, nullptr, 0,
                              KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    auto set = [key](const char* name, const std::string& value)
    {
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
    };
    std::string bin = strBin();
    bin.pop_back();
    set("Guid", guid);
    set("File", "DPFixtureGame.exe");
    set("Path", bin);
    set("CommandLine", "");
    set("CurrentDirectory", folder);
    RegCloseKey(key);
    ASSERT_EQ(
        RegCreateKeyExA(HKEY_LOCAL_MACHINE,
                        "Software\\Microsoft\\DirectPlay\\Service Providers\\Internet TCP/IP Connection For "
                        "DirectPlay\\Address Types\\{C4A54DA0-E0AF-11cf-9C4E-00A0C905425E}",
                        0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    RegCloseKey(key);
}

bool boPlugProcessRuns()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL ok = Process32First(snapshot, &entry); ok && !found; ok = Process32Next(snapshot, &entry))
        found = _stricmp(entry.szExeFile, "LudexPlugDP.exe") == 0;
    CloseHandle(snapshot);
    return found;
}
} // namespace

TEST(LudexPlugDPServer, RegisterServeIdleExitAndRemove)
{
    // The launcher's type library marshals ILudexPlug.
    ASSERT_EQ(FdTestKit::runAndWait("\"" + strBin() + "Ludex.exe\" /RegServer", 60000).dwExitCode, 0u);
    ASSERT_EQ(FdTestKit::runAndWait("\"" + strBin() + "LudexPlugDP.exe\" -regserver", 60000).dwExitCode, 0u);

    struct
    {
        const char* clsid;
        const char* name;
    } classes[] = {
        {kPlugClsid, "LudexPlug"}, {kHelperClsid, "LudexPlugDPHelper"}, {kObserverClsid, "LudexXmlObserver"}};
    for (const auto& c : classes)
    {
        SCOPED_TRACE(c.name);
        const std::string key = std::string("CLSID\\") + c.clsid;
        EXPECT_NE(strClasses(key + "\\LocalServer32").find("LudexPlugDP.exe"), std::string::npos);
        EXPECT_EQ(strClasses(key, "AppID"), kAppId);
        const std::string progId = std::string("LudexPlugDP.") + c.name;
        EXPECT_EQ(strClasses(progId + ".1\\CLSID"), c.clsid);
        EXPECT_EQ(strClasses(progId + "\\CurVer"), progId + ".1");
    }
    EXPECT_EQ(strClasses(std::string("AppID\\") + kAppId), "LudexPlugDP");
    EXPECT_EQ(strClasses("AppID\\LudexPlugDP.exe", "AppID"), kAppId);

    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    {
        CLSID clsid;
        ASSERT_EQ(CLSIDFromProgID(L"LudexPlugDP.LudexPlug.1", &clsid), S_OK);
        ILudexPlug* plug = nullptr;
        ASSERT_EQ(FdCom::hrCreateInstance(clsid, CLSCTX_LOCAL_SERVER, IID_ILudexPlug,
                                          reinterpret_cast<void**>(&plug)),
                  S_OK);
        long out = -5;
        EXPECT_EQ(plug->IsGameRunning(&out), S_OK);
        EXPECT_EQ(out, 0);
        EXPECT_EQ(plug->Init(nullptr), S_OK);
        IZeltoGameList* list = nullptr;
        out = -5;
        EXPECT_EQ(plug->CheckGameList(&list, &out), S_OK);
        EXPECT_EQ(out, 0); // no list
        out = -5;
        EXPECT_EQ(plug->Configure(&out), S_OK);
        EXPECT_EQ(out, 1);
        EXPECT_TRUE(boPlugProcessRuns());

        // A launch from end to end: the catalogue's game lives in this process and is
        // read back through the marshaller; dplayx runs the fixture game.
        FdTestKit::CScratchFolder folder;
        FD_HELPER(vRegisterFixtureGame("{6B1D3F52-8C4E-4A2A-B9F7-2E3D4C5B6A71}", folder.Path()));
        IZeltoGame* game = nullptr;
        ASSERT_EQ(
            FakeCatalog::hrNew<FakeCatalog::CGame>(
                &game, std::vector<FakeCatalog::Version>{FakeCatalog::NewVersion(
                           "<dpinfo><GUID>{6B1D3F52-8C4E-4A2A-B9F7-2E3D4C5B6A71}</GUID><NICK>Rejoint</NICK>"
                           "<HOST ip=\"127.0.0.1\"/><lverb type=\"J\">rejoindre</lverb></dpinfo>",
                           "rejoindre", 1)}),
            S_OK);
        EXPECT_EQ(plug->Init(nullptr), S_OK);
        out = -5;
        EXPECT_EQ(plug->PreLaunchGame(&game, &out), S_OK);
        EXPECT_EQ(out, 1);
        out = -5;
        EXPECT_EQ(plug->LaunchGame(&game, &out), S_OK);
        EXPECT_EQ(out, 1);
        const std::string settings = folder.File("settings.txt");
        EXPECT_TRUE(
            FdTestKit::boPumpUntil([&] { return strReadFile(settings).find("end\n") != std::string::npos; }));
        EXPECT_NE(strReadFile(settings).find("flags=1\n"), std::string::npos)
            << strReadFile(settings); // join
        EXPECT_NE(strReadFile(settings).find("player=Rejoint\n"), std::string::npos) << strReadFile(settings);
        out = -5;
        plug->IsGameRunning(&out);
        EXPECT_EQ(out, 1);
        out = -5;
        EXPECT_EQ(plug->KillGame(&out), S_OK);
        EXPECT_EQ(out, 1);
        plug->IsGameRunning(&out);
        EXPECT_EQ(out, 0);
        out = -5;
        EXPECT_EQ(plug->PostLaunchGame(&game, &out), S_OK);
        EXPECT_EQ(out, 1);
        if (game)
            game->Release();
        plug->Release();
    }
    CoUninitialize();
    // The process leaves by its idle exit.
    EXPECT_TRUE(FdTestKit::boPumpUntil([] { return !boPlugProcessRuns(); }));

    ASSERT_EQ(FdTestKit::runAndWait("\"" + strBin() + "LudexPlugDP.exe\" /UnregServer", 60000).dwExitCode,
              0u);
    for (const auto& c : classes)
        EXPECT_EQ(strClasses(std::string("CLSID\\") + c.clsid), "<none>") << c.name;
    EXPECT_EQ(strClasses("LudexPlugDP.LudexPlug.1\\CLSID"), "<none>");
}
