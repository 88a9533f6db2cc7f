// The real backend: a fixture game registered as a DirectPlay application is run by
// the lobby session through dplayx and reads its connection settings. The scan of
// registered applications reads the same registration.
#include "DPLobbySession.h"
#include "FakeCatalog.h"
#include "LudexPlugDP.h"
#include "LudexPlugDPHelper.h"

#include "TestKit.h"
#include "TestHelper.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace
{
const char kApplications[] = "SOFTWARE\\Microsoft\\DirectPlay\\Applications";
const char kGuidText[] = "{5A0C2E41-7B3D-4F19-A8E6-1D2C3B4A5F60}";

std::string strBin()
{
    const char* p = std::getenv("FD_BIN_DIR");
    std::string s = std::string("Z:") + (p ? p : "");
    for (char& c : s)
        if (c == '/')
            c = '\\';
    return s;
}

void vSetText(HKEY key, const char* name, const std::string& value)
{
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
}

void vRegister(const std::string& name, const std::string& guid, const std::string& path,
               const std::string& file, const std::string& folder)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, (std::string(kApplications) + "\\" + name).c_str(), 0,
                              nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    vSetText(key, "Guid", guid);
    vSetText(key, "File", file);
    vSetText(key, "Path", path);
    vSetText(key, "CommandLine", "");
    vSetText(key, "CurrentDirectory", folder);
    const DWORD binary = 1;
    RegSetValueExA(key, "Other", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&binary), sizeof binary);
    RegCloseKey(key);
}

// Windows lists the TCP/IP provider's address types under its registration; a fresh
// Wine prefix does not.
void vRegisterTcpIpAddressType()
{
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExA(HKEY_LOCAL_MACHINE,
                        "Software\\Microsoft\\DirectPlay\\Service Providers\\Internet TCP/IP Connection For "
                        "DirectPlay\\Address Types\\{C4A54DA0-E0AF-11cf-9C4E-00A0C905425E}",
                        0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    RegCloseKey(key);
}

using FdTestKit::strReadFile;
} // namespace

TEST(DPlayxBackend, RunApplicationHandsTheConnectionSettingsToTheGame)
{
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    vSetLaunchState(kLaunchNone);
    FD_HELPER(vRegisterTcpIpAddressType());
    FdTestKit::CScratchFolder folder;
    FD_HELPER(vRegister("FixtureGame", kGuidText, strBin(), "DPFixtureGame.exe", folder.Path()));
    {
        CDPLobbySession session(lpCreateDPlayxBackend());
        auto info = std::make_unique<CDPLaunchInfo>();
        ASSERT_TRUE(boParseGuidText(kGuidText, info->appGuid));
        info->host = 1;
        info->nick = "Joueur";
        info->sessionName = "Partie";
        info->hostAddress = "127.0.0.1";
        session.vSetLaunchInfo(std::move(info));
        ASSERT_TRUE(session.boOpen()) << session.GetError();
        ASSERT_TRUE(session.boLaunch()) << session.GetError();
        EXPECT_EQ(lGetLaunchState(), kLaunchConnected);

        const std::string settings = folder.File("settings.txt");
        ASSERT_TRUE(
            FdTestKit::boPumpUntil([&] { return strReadFile(settings).find("end\n") != std::string::npos; }))
            << strReadFile(settings);
        const std::string text = strReadFile(settings);
        EXPECT_NE(text.find("result=00000000\n"), std::string::npos) << text;
        EXPECT_NE(text.find("flags=2\n"), std::string::npos) << text; // create the session
        EXPECT_NE(text.find("sessionflags=4\n"), std::string::npos) << text;
        EXPECT_NE(text.find("session=Partie\n"), std::string::npos) << text;
        EXPECT_NE(text.find("player=Joueur\n"), std::string::npos) << text;
        EXPECT_NE(text.find("tcpip=1\n"), std::string::npos) << text;
        EXPECT_NE(text.find("host=127.0.0.1"), std::string::npos) << text;
        session.vClose();
        EXPECT_EQ(lGetLaunchState(), kLaunchEnded);
    }
    CoUninitialize();
}

TEST(DPlayxBackend, ScanReadsTheRegisteredApplications)
{
    FD_HELPER(vRegister("ScanA", "{11111111-2222-3333-4444-555555555555}", "C:\\Jeux\\A", "a.exe", "C:\\"));
    FD_HELPER(vRegister("ScanB", "pas un guid", "C:\\Jeux\\B", "b.exe", "C:\\"));
    const std::vector<SDPApplication> apps = ReadDPApplications();
    bool sawA = false, sawB = false;
    for (const SDPApplication& app : apps)
    {
        if (app.file == "a.exe")
        {
            sawA = true;
            EXPECT_EQ(FormatGuidText(app.guid), "{11111111-2222-3333-4444-555555555555}");
            EXPECT_EQ(app.path, "C:\\Jeux\\A");
        }
        if (app.file == "b.exe")
        {
            sawB = true;
            EXPECT_EQ(FormatGuidText(app.guid), "{00000000-0000-0000-0000-000000000000}");
        }
    }
    EXPECT_TRUE(sawA);
    EXPECT_TRUE(sawB);
}

TEST(DPlayxBackend, CheckGameListMarksTheGamesOfRegisteredApplications)
{
    FD_HELPER(vRegister("ScanC", "{22222222-2222-3333-4444-555555555555}", "C:\\Jeux\\C", "c.exe", "C:\\"));
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    {
        const std::string dpinfo = "<dpinfo var:guid=\"g\" var:dppath=\"p\" var:dpfile=\"f\">"
                                   "<GUID>{22222222-2222-3333-4444-555555555555}</GUID></dpinfo>";
        auto found = FakeCatalog::NewVersion(dpinfo);
        auto absent =
            FakeCatalog::NewVersion("<dpinfo><GUID>{12121212-2222-3333-4444-555555555555}</GUID></dpinfo>");
        auto kept = FakeCatalog::NewVersion(dpinfo, "", 0, -1);
        IZeltoGameList* list = nullptr;
        ASSERT_EQ(FakeCatalog::hrNew<FakeCatalog::CGameList>(
                      &list, std::vector<std::vector<FakeCatalog::Version>>{{found, absent}, {kept}}),
                  S_OK);
        ILudexPlug* plug = nullptr;
        ASSERT_EQ(FdCom::TComObject<CLudexPlugDP>::hrCreate(IID_ILudexPlug, reinterpret_cast<void**>(&plug)),
                  S_OK);
        plug->Init(nullptr);
        long out = -5;
        EXPECT_EQ(plug->CheckGameList(&list, &out), S_OK);
        EXPECT_EQ(out, 1);
        EXPECT_EQ(found->status, 1);
        EXPECT_EQ(found->volumes["DP"]["g"], "{22222222-2222-3333-4444-555555555555}");
        EXPECT_EQ(found->volumes["DP"]["p"], "C:\\Jeux\\C");
        EXPECT_EQ(found->volumes["DP"]["f"], "c.exe");
        EXPECT_EQ(absent->status, -1);
        EXPECT_EQ(kept->status, -1);
        EXPECT_TRUE(kept->volumes.empty());
        // The helper went with the check: Update does nothing until the next Init.
        found->status = 0;
        out = -5;
        EXPECT_EQ(plug->UpdateGameList(&list, &out), S_OK);
        EXPECT_EQ(out, -5);
        plug->Init(nullptr);
        EXPECT_EQ(plug->UpdateGameList(&list, &out), S_OK);
        EXPECT_EQ(out, 1);
        EXPECT_EQ(found->status, 1);
        plug->Release();
        list->Release();
    }
    CoUninitialize();
}

// The detection scripts run after the scan, with their results in the "DP" volume.
TEST(DPlayxBackend, DetectionScriptsRunOverTheRegisteredGames)
{
    FD_HELPER(vRegister("ScanD", "{33333333-2222-3333-4444-555555555555}", "C:\\Jeux\\D", "d.exe", "C:\\"));
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\DPTestGame", 0, nullptr, 0, KEY_WRITE, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    vSetText(key, "Dir", "C:\\Jeux\\D");
    RegCloseKey(key);
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    {
        const std::string dpinfo =
            "<dpinfo var:guid=\"g\"><GUID>{33333333-2222-3333-4444-555555555555}</GUID></dpinfo>";
        auto present = FakeCatalog::NewVersion(
            dpinfo +
            "<vtident><reg key=\"HKEY_LOCAL_MACHINE\\Software\\DPTestGame\" valname=\"Dir\" exists=\"1\" "
            "var:val=\"gamedir\"/></vtident>");
        auto missing = FakeCatalog::NewVersion(
            dpinfo + "<vtident><reg key=\"HKEY_LOCAL_MACHINE\\Software\\DPTestGame\" valname=\"Autre\" "
                     "exists=\"1\"/></vtident>");
        IZeltoGameList* list = nullptr;
        ASSERT_EQ(FakeCatalog::hrNew<FakeCatalog::CGameList>(
                      &list, std::vector<std::vector<FakeCatalog::Version>>{{present}, {missing}}),
                  S_OK);
        ILudexPlug* plug = nullptr;
        ASSERT_EQ(FdCom::TComObject<CLudexPlugDP>::hrCreate(IID_ILudexPlug, reinterpret_cast<void**>(&plug)),
                  S_OK);
        long out = -5;
        plug->Init(nullptr);
        EXPECT_EQ(plug->UpdateGameList(&list, &out), S_OK);
        EXPECT_EQ(out, 1);
        EXPECT_EQ(present->status, 1);
        EXPECT_EQ(present->volumes["DP"]["g"], "{33333333-2222-3333-4444-555555555555}");
        EXPECT_EQ(present->volumes["DP"]["gamedir"], "C:\\Jeux\\D");
        EXPECT_NE(present->plugData.find("<vcdata id=\"DP\">"), std::string::npos) << present->plugData;
        EXPECT_EQ(missing->status, -1); // registered, but its script finds nothing

        // The stored conditions are checked again: true while the value is there.
        plug->Init(nullptr);
        EXPECT_EQ(plug->CheckGameList(&list, &out), S_OK);
        EXPECT_EQ(present->status, 1);
        RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, "Software\\DPTestGame", "Dir");
        plug->Init(nullptr);
        EXPECT_EQ(plug->CheckGameList(&list, &out), S_OK);
        EXPECT_EQ(present->status, -1);
        plug->Release();
        list->Release();
    }
    CoUninitialize();
}
