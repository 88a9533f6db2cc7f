// The main road end to end, headless in one fresh prefix: the browser host
// with npfdg.dll, the web stand-in serving sealed pages, scripts and
// packages, the stand-in game server, Linkwell.exe, Ludex.exe,
// LudexPlugCmdLine.exe and FixtureGame.exe. The turns play one after the
// other on the same machine: the first road (installation included), the
// road again (the short way), then the unhappy turns.
#include "BmpFile.h"
#include "RoadScene.h"
#include "TestKit.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

using FdRoadScene::ETurn;
using FdRoadScene::SRun;

namespace
{
std::string strLinuxPath(const char* lpszVar, const char* lpszName)
{
    const char* p = std::getenv(lpszVar);
    std::string s = std::string("Z:") + (p ? p : "/tmp") + "/" + lpszName;
    for (char& c : s)
        if (c == '/')
            c = '\\';
    return s;
}

std::string strKey(const char* lpszFile)
{
    std::ifstream f(strLinuxPath("FD_SOURCE_DIR", "testbed/crypto-fixtures/") + lpszFile);
    std::string key;
    std::getline(f, key);
    return key;
}

bool boHasPrefix(const std::vector<std::string>& lines, const std::string& prefix)
{
    for (const std::string& l : lines)
        if (l.rfind(prefix, 0) == 0)
            return true;
    return false;
}

bool boHasPart(const std::vector<std::string>& lines, const std::string& part)
{
    for (const std::string& l : lines)
        if (l.find(part) != std::string::npos)
            return true;
    return false;
}

std::string strRegText(HKEY hRoot, const char* lpszKey, const char* lpszName)
{
    char sz[512] = {};
    DWORD dw = sizeof sz - 1;
    if (RegGetValueA(hRoot, lpszKey, lpszName, RRF_RT_REG_SZ, nullptr, sz, &dw) != ERROR_SUCCESS)
        return "(none)";
    return sz;
}

FdBrowserHost::SPixels pictureOf(const std::string& path)
{
    const std::string bytes = FdTestKit::strReadFile(path);
    FdBrowserHost::SPixels pixels;
    FdBrowserHost::boBmpDecode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &pixels);
    return pixels;
}

class Road : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        char szTemp[MAX_PATH];
        GetTempPathA(MAX_PATH, szTemp);
        s_o.strWebFolder = strLinuxPath("FD_ROAD_WEB", "");
        s_o.strWebBase = std::string("http://127.0.0.1:") + std::getenv("FD_WEB_PORT") + "/";
        s_o.strKeyText = strKey("key1.txt");
        s_o.strWrongKey = strKey("key0.txt");
        s_o.strBinFolder = FdTestKit::strProgramFolder();
        // A player's folder: spaces, "&" and an accented letter on the whole road.
        const std::string strParent = std::string(szTemp) + "Jeux & Co\\";
        CreateDirectoryA(strParent.c_str(), nullptr);
        s_o.strWorkFolder = strParent + "Tétra 2\\";
        const char* lpszGame = std::getenv("FD_GAMESERVER_PORT");
        s_o.wGamePort = static_cast<uint16_t>(lpszGame ? std::atoi(lpszGame) : 0);
        s_o.strHostShot = strLinuxPath("FD_ROAD_ARTEFACTS", "road-browser-host.bmp");
        s_o.strGameShot = strLinuxPath("FD_ROAD_ARTEFACTS", "road-game-window.bmp");
        DeleteFileA(s_o.strHostShot.c_str());
        DeleteFileA(s_o.strGameShot.c_str());
        CreateDirectoryA(s_o.strWorkFolder.c_str(), nullptr);
        s_runs = new std::map<ETurn, SRun>;
        FdRoadScene::CRoadScene scene;
        DWORD dwStart = GetTickCount();
        if (!scene.boSetUp(s_o, s_strError))
            return;
        std::printf("set-up: %lu ms\n", static_cast<unsigned long>(GetTickCount() - dwStart));
        // The turns that need the catalogue come before those that forget it.
        for (ETurn turn : {ETurn::FirstRoad, ETurn::Road, ETurn::ServerGone, ETurn::GameKilled,
                           ETurn::HubKilled, ETurn::ConfirmedEnd, ETurn::CannotStart, ETurn::BadPackage,
                           ETurn::CompatMissing, ETurn::GameNotFound, ETurn::DefsMissing, ETurn::DefsTruncated,
                           ETurn::DefsMalformed})
        {
            dwStart = GetTickCount();
            (*s_runs)[turn] = scene.run(turn);
            std::printf("%s: %lu ms", (*s_runs)[turn].strName.c_str(),
                        static_cast<unsigned long>(GetTickCount() - dwStart));
            for (const auto& session : (*s_runs)[turn].sessions)
                std::printf(" (host %lu ms, programs' end %lu ms)",
                            static_cast<unsigned long>(session.dwHostMs),
                            static_cast<unsigned long>(session.dwMs - session.dwHostMs));
            std::printf("\n");
            if (turn == ETurn::FirstRoad)
                for (const char* app : {"LinkwellV2", "Ludex", "LudexPlugCmdLine"})
                    s_registry.push_back(std::string(app) + " " +
                                         strRegText(HKEY_LOCAL_MACHINE,
                                                    (std::string("Software\\FdGame\\") + app).c_str(),
                                                    "CLSID"));
        }
    }
    static void TearDownTestSuite()
    {
        delete s_runs;
        s_runs = nullptr;
    }
    const SRun& run(ETurn turn) const
    {
        static const SRun none;
        const auto it = s_runs->find(turn);
        return it == s_runs->end() ? none : it->second;
    }
    static std::string strTranscript(const SRun& r)
    {
        std::string s = "\n";
        for (const std::string& l : r.transcript)
            s += l + "\n";
        return s;
    }
    static std::vector<std::string> fetched(const SRun& r, size_t session)
    {
        std::vector<std::string> out;
        if (session < r.sessions.size())
            for (const auto& l : r.sessions[session].host)
                if (l.strKind == "STREAM_END" && l.strGet("reason") == "0")
                    out.push_back(l.strGet("url"));
        return out;
    }

    static FdRoadScene::SOptions s_o;
    static std::map<ETurn, SRun>* s_runs;
    static std::string s_strError;
    static std::vector<std::string> s_registry;
};
FdRoadScene::SOptions Road::s_o;
std::map<ETurn, SRun>* Road::s_runs = nullptr;
std::string Road::s_strError;
std::vector<std::string> Road::s_registry;

const std::vector<int> kRoad = {0, 1, 2, 3, 4};

TEST_F(Road, AFreshMachineInstallsThenTravelsTheRoad)
{
    ASSERT_EQ("", s_strError);
    const SRun& r = run(ETurn::FirstRoad);
    std::string why;
    EXPECT_TRUE(FdRoadScene::boHappy(r, why)) << why << strTranscript(r);
    ASSERT_EQ(2u, r.sessions.size()) << strTranscript(r);
    for (const auto& s : r.sessions)
        EXPECT_EQ(0, s.lExit) << s.strPage;

    // The setup page: the three packages, each installed and registered.
    const auto setup = fetched(r, 0);
    for (const char* pkg : {"hub.pkg", "ludex.pkg", "plug.pkg"})
        EXPECT_TRUE(boHasPrefix(setup, s_o.strWebBase + pkg)) << pkg << strTranscript(r);
    EXPECT_EQ((std::vector<std::string>{"LinkwellV2 {1184B9F3-D14D-4181-A509-7D2ADFE452AF}",
                                        "Ludex {E7DCE0A5-863E-4A04-9912-3A893FA1F128}",
                                        "LudexPlugCmdLine {95B8E6D2-7D70-4975-944C-8D909D04C411}"}),
              s_registry);

    // The road page: the launcher asked the plug-in for its script, the
    // definitions and the compatibility list; nothing was installed again.
    const auto road = fetched(r, 1);
    for (const char* file : {"launch.xml", "defs.xml", "compat.xml"})
    {
        EXPECT_TRUE(boHasPrefix(road, s_o.strWebBase + file)) << file << strTranscript(r);
        EXPECT_TRUE(boHasPrefix(r.commands, std::string("DOWNLOAD2 URL ") + s_o.strWebBase + file))
            << file << strTranscript(r);
    }
    EXPECT_FALSE(boHasPart(road, ".pkg")) << strTranscript(r);

    // The page's frame: iurl with "&Info=" and each code.
    std::vector<std::string> info;
    for (const std::string& n : r.navigations)
        if (n.rfind("info ", 0) == 0)
            info.push_back(n);
    ASSERT_EQ(5u, info.size()) << strTranscript(r);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ("info " + s_o.strWebBase + "info.htm?id=7&Info=" + std::to_string(i), info[i]);

    // The server: the launch variables ride on notification 1.
    ASSERT_EQ(5u, r.notes.size()) << strTranscript(r);
    EXPECT_NE(std::string::npos, r.notes[1].find("fixture")) << r.notes[1];
    EXPECT_NE(std::string::npos, r.notes[1].find("fx1")) << r.notes[1];
    // The plug-in's only errors: on the setup page, the hub and the launcher
    // not installed yet, each with its exception's report.
    ASSERT_EQ(2u, r.sessions[0].pluginErrors.size()) << strTranscript(r);
    EXPECT_TRUE(r.sessions[1].pluginErrors.empty()) << strTranscript(r);
    for (const std::string& e : r.pluginErrors)
    {
        EXPECT_NE(std::string::npos, e.find("impossible de lancer l'application")) << e;
        EXPECT_NE(std::string::npos, e.find("Code:5051 (AppNotInstalled)")) << e;
    }
    for (const char* app : {"Extra infos:Application:LinkwellV2;", "Extra infos:Application:Ludex;"})
        EXPECT_TRUE(boHasPart(r.sessions[0].pluginErrors, app)) << app << strTranscript(r);
}

// The pictures: the game's window during the game (its client area in the
// window colour), the browser host with the plug-in's areas in the page's colour.
TEST_F(Road, PicturesOfTheGameAndOfTheBrowserHost)
{
    const SRun& r = run(ETurn::FirstRoad);
    ASSERT_TRUE(r.boGameShot) << strTranscript(r);
    const FdBrowserHost::SPixels game = pictureOf(s_o.strGameShot);
    ASSERT_GT(game.dwWidth, 100u);
    ASSERT_GT(game.dwHeight, 100u);
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    const uint32_t dwWindow = (GetRValue(window) << 16) | (GetGValue(window) << 8) | GetBValue(window);
    EXPECT_EQ(dwWindow, FdBrowserHost::dwPixel(game, game.dwWidth / 2, game.dwHeight / 2 + 10));
    EXPECT_EQ(dwWindow, FdBrowserHost::dwPixel(game, game.dwWidth / 2 + 40, game.dwHeight - 20));

    const FdBrowserHost::SPixels host = pictureOf(s_o.strHostShot);
    ASSERT_GT(host.dwWidth, 400u);
    int iPage = 0;
    for (uint32_t y = 0; y < host.dwHeight; ++y)
        for (uint32_t x = 0; x < host.dwWidth; ++x)
            iPage += FdBrowserHost::dwPixel(host, x, y) == 0x003366;
    EXPECT_GT(iPage, 400 * 60) << "the two plug-in areas";
}

TEST_F(Road, TheSecondRoadTakesTheShortWay)
{
    const SRun& r = run(ETurn::Road);
    std::string why;
    EXPECT_TRUE(FdRoadScene::boHappy(r, why)) << why << strTranscript(r);
    const auto road = fetched(r, 0);
    EXPECT_FALSE(boHasPart(road, ".pkg")) << "components installed" << strTranscript(r);
    EXPECT_FALSE(boHasPart(road, "defs.xml")) << "the catalogue knows the game" << strTranscript(r);
    EXPECT_TRUE(boHasPart(road, "compat.xml")) << strTranscript(r);
    // Boxes and dialogs were scripted: a disk search would have shown its dialog.
    EXPECT_TRUE(r.boxes.empty()) << strTranscript(r);
}

TEST_F(Road, TheGameServerGoesWhileTheGameRuns)
{
    const SRun& r = run(ETurn::ServerGone);
    EXPECT_EQ((std::vector<int>{0, 1, 2}), FdRoadScene::serverCodes(r)) << strTranscript(r);
    EXPECT_EQ(kRoad, FdRoadScene::pageCodes(r)) << "the page still hears" << strTranscript(r);
    EXPECT_TRUE(boHasPart(r.boxes, "|Launch Script Manager|Perte de connexion!")) << strTranscript(r);
    EXPECT_TRUE(r.leftRunning.empty()) << strTranscript(r);
}

TEST_F(Road, TheGameKilled)
{
    const SRun& r = run(ETurn::GameKilled);
    EXPECT_TRUE(boHasPart(r.transcript, "kills FixtureGame.exe")) << strTranscript(r);
    EXPECT_EQ(kRoad, FdRoadScene::serverCodes(r)) << strTranscript(r);
    EXPECT_EQ(kRoad, FdRoadScene::pageCodes(r)) << strTranscript(r);
    EXPECT_TRUE(r.leftRunning.empty()) << strTranscript(r);
}

TEST_F(Road, APackageThatCannotBeDecryptedInstallsNothing)
{
    const SRun& r = run(ETurn::BadPackage);
    EXPECT_TRUE(boHasPrefix(fetched(r, 0), s_o.strWebBase + "ludex-bad.pkg")) << strTranscript(r);
    EXPECT_TRUE(boHasPart(r.pluginErrors, "impossible d'installer un composant")) << strTranscript(r);
    EXPECT_TRUE(FdRoadScene::serverCodes(r).empty()) << strTranscript(r);
    EXPECT_TRUE(FdRoadScene::pageCodes(r).empty()) << strTranscript(r);
    EXPECT_FALSE(boHasPart(r.navigations, "road.htm"))
        << "no return page after a failed install" << strTranscript(r);
    EXPECT_TRUE(r.leftRunning.empty()) << strTranscript(r);
}

TEST_F(Road, TheGameNotFoundWhenTheDiskSearchIsCancelled)
{
    const SRun& r = run(ETurn::GameNotFound);
    EXPECT_TRUE(boHasPart(r.boxes, "DIALOG|119")) << strTranscript(r);
    EXPECT_TRUE(boHasPart(fetched(r, 0), "defs.xml")) << strTranscript(r);
    EXPECT_FALSE(r.boGameSeen) << strTranscript(r);
    EXPECT_EQ((std::vector<int>{0, 1001, 4}), FdRoadScene::serverCodes(r)) << strTranscript(r);
    EXPECT_EQ((std::vector<int>{0, 1001, 4}), FdRoadScene::pageCodes(r)) << strTranscript(r);
    EXPECT_TRUE(r.leftRunning.empty()) << strTranscript(r);
}

// The hub dies while the game runs: the page closes without bringing the
// browser down (the plug-in's callback is no longer reachable through the
// dead hub's stubs once the page goes), and the next page gets a new hub
// that carries the whole road to the game server.
TEST_F(Road, AKilledHubThenTheNextPageGetsANewOne)
{
    const SRun& r = run(ETurn::HubKilled);
    ASSERT_EQ(2u, r.sessions.size()) << strTranscript(r);
    EXPECT_TRUE(boHasPart(r.transcript, "kills Linkwell.exe")) << strTranscript(r);
    for (const auto& s : r.sessions)
        EXPECT_EQ(0, s.lExit) << "the browser host ended badly on " << s.strPage << strTranscript(r);
    // The second page: the road whole, at the page and through the new hub at the server.
    const std::vector<int> page = FdRoadScene::pageCodes(r);
    ASSERT_GE(page.size(), 5u) << strTranscript(r);
    EXPECT_EQ(kRoad, std::vector<int>(page.end() - 5, page.end())) << strTranscript(r);
    const std::vector<int> server = FdRoadScene::serverCodes(r);
    ASSERT_GE(server.size(), 5u) << strTranscript(r);
    EXPECT_EQ(kRoad, std::vector<int>(server.end() - 5, server.end())) << strTranscript(r);
    EXPECT_TRUE(r.sessions[1].pluginErrors.empty()) << strTranscript(r);
    EXPECT_TRUE(r.leftRunning.empty()) << strTranscript(r);
}

// Definitions or a compatibility list that cannot be had end the launch as a
// launch with nothing to choose: the page and the server hear 1001, then 4.
TEST_F(Road, DefinitionsOrCompatibilityThatCannotBeHadEndTheLaunch)
{
    const struct
    {
        ETurn turn;
        const char* file;
    } cases[] = {{ETurn::DefsMissing, "defs.xml"},
                 {ETurn::DefsTruncated, "defs.xml"},
                 {ETurn::DefsMalformed, "defs.xml"},
                 {ETurn::CompatMissing, "compat.xml"}};
    for (const auto& c : cases)
    {
        const SRun& r = run(c.turn);
        SCOPED_TRACE(r.strName);
        EXPECT_TRUE(boHasPrefix(r.commands, std::string("DOWNLOAD2 URL ") + s_o.strWebBase + c.file))
            << strTranscript(r);
        EXPECT_FALSE(r.boGameSeen) << strTranscript(r);
        EXPECT_EQ((std::vector<int>{0, 1001, 4}), FdRoadScene::serverCodes(r)) << strTranscript(r);
        EXPECT_EQ((std::vector<int>{0, 1001, 4}), FdRoadScene::pageCodes(r)) << strTranscript(r);
        EXPECT_TRUE(r.leftRunning.empty()) << strTranscript(r);
    }
}

// The page's "docf" while the game runs: the launcher asks, the answer (OK)
// ends the game for the service: 1002 reaches the game server and the page
// before the game's end, then the dialog opens (answered Cancel) and the road
// ends as usual.
TEST_F(Road, AConfirmedEndOfGameReachesServerAndPage)
{
    const SRun& r = run(ETurn::ConfirmedEnd);
    EXPECT_TRUE(boHasPart(r.transcript, "\"docf\" to the launcher's component while the game runs"))
        << strTranscript(r);
    EXPECT_TRUE(boHasPart(r.boxes, "|Zelto|Ceci mettra fin a la partie.")) << strTranscript(r);
    EXPECT_TRUE(boHasPart(r.boxes, "DIALOG|202")) << strTranscript(r);
    const std::vector<int> codes = {0, 1, 2, 1002, 3, 4};
    EXPECT_EQ(codes, FdRoadScene::serverCodes(r)) << strTranscript(r);
    EXPECT_EQ(codes, FdRoadScene::pageCodes(r)) << strTranscript(r);
    EXPECT_TRUE(r.leftRunning.empty()) << strTranscript(r);
}

// A launch command naming a program that is not there: the plug cannot start
// it, so the launch fails (1002) instead of a game that starts and ends (2, 3);
// the script's err link ends the launch.
TEST_F(Road, AGameThatCannotStartIsNotLaunched)
{
    const SRun& r = run(ETurn::CannotStart);
    EXPECT_TRUE(boHasPart(fetched(r, 0), "defs-nostart.xml")) << strTranscript(r);
    EXPECT_FALSE(r.boGameSeen) << strTranscript(r);
    const std::vector<int> codes = {0, 1, 1002, 4};
    EXPECT_EQ(codes, FdRoadScene::serverCodes(r)) << strTranscript(r);
    EXPECT_EQ(codes, FdRoadScene::pageCodes(r)) << strTranscript(r);
    EXPECT_TRUE(r.leftRunning.empty()) << strTranscript(r);
}

// The launcher's progress window showed on the road (while its script and the
// game's lists downloaded) and was gone before any game ran.
TEST_F(Road, TheProgressWindowShowsAndGoesBeforeTheGame)
{
    bool seen = false;
    for (ETurn turn :
         {ETurn::FirstRoad, ETurn::Road, ETurn::ServerGone, ETurn::GameKilled, ETurn::ConfirmedEnd})
    {
        seen = seen || run(turn).boProgressSeen;
        EXPECT_FALSE(run(turn).boProgressAtGame) << strTranscript(run(turn));
    }
    EXPECT_TRUE(seen);
}
} // namespace
