// Plays the main road in the browser host twice (a fresh machine, then the
// short way) and prints what the pages, the launcher and the game server saw,
// ending with one line that says whether the road was travelled.
#include "RoadScene.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace
{
std::string strFolder()
{
    char sz[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, sz, MAX_PATH);
    const std::string s(sz, n < MAX_PATH ? n : 0);
    return s.substr(0, s.find_last_of('\\') + 1);
}

// A Linux path given by the environment, as Wine's Z: drive shows it.
std::string strLinuxFolder(const char* lpszVar)
{
    const char* p = std::getenv(lpszVar);
    if (!p || !*p)
        return std::string();
    std::string s = std::string("Z:") + p;
    for (char& c : s)
        if (c == '/')
            c = '\\';
    return s.back() == '\\' ? s : s + "\\";
}

std::string strKey(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::string key;
    std::getline(f, key);
    while (!key.empty() && (key.back() == '\r' || key.back() == '\n'))
        key.pop_back();
    return key;
}
} // namespace

int main()
{
    const char* lpszWebPort = std::getenv("FD_WEB_PORT");
    const char* lpszGamePort = std::getenv("FD_GAMESERVER_PORT");
    const std::string strWeb = strLinuxFolder("FD_ROAD_WEB");
    const std::string strSource = strLinuxFolder("FD_SOURCE_DIR");
    const std::string strShots = strLinuxFolder("FD_ROAD_ARTEFACTS");
    if (!lpszWebPort || !lpszGamePort || strWeb.empty() || strSource.empty())
    {
        std::puts("FD_WEB_PORT, FD_GAMESERVER_PORT, FD_ROAD_WEB and FD_SOURCE_DIR must be set: the web "
                  "stand-in serves FD_ROAD_WEB, the game server stand-in runs");
        return 2;
    }
    char szTemp[MAX_PATH];
    GetTempPathA(MAX_PATH, szTemp);
    FdRoadScene::SOptions o;
    o.strWebFolder = strWeb;
    o.strWebBase = std::string("http://127.0.0.1:") + lpszWebPort + "/";
    o.strKeyText = strKey(strSource + "testbed\\crypto-fixtures\\key1.txt");
    o.strWrongKey = strKey(strSource + "testbed\\crypto-fixtures\\key0.txt");
    o.strBinFolder = strFolder();
    o.strWorkFolder = std::string(szTemp) + "roaddemo\\";
    o.wGamePort = static_cast<uint16_t>(std::atoi(lpszGamePort));
    if (!strShots.empty())
    {
        o.strHostShot = strShots + "road-browser-host.bmp";
        o.strGameShot = strShots + "road-game-window.bmp";
    }
    CreateDirectoryA(o.strWorkFolder.c_str(), nullptr);

    FdRoadScene::CRoadScene scene;
    std::string error;
    if (!scene.boSetUp(o, error))
    {
        std::printf("FAILURE: the road could not be set up: %s\n", error.c_str());
        return 1;
    }
    bool boOk = true;
    std::string why;
    for (FdRoadScene::ETurn turn : {FdRoadScene::ETurn::FirstRoad, FdRoadScene::ETurn::Road})
    {
        const FdRoadScene::SRun run = scene.run(turn);
        for (const std::string& line : run.transcript)
            std::printf("%s\n", line.c_str());
        std::fflush(stdout);
        std::string whyNot;
        if (boOk && !FdRoadScene::boHappy(run, whyNot))
        {
            boOk = false;
            why = run.strName + ": " + whyNot;
        }
    }
    if (boOk)
        std::printf("SUCCESS: the page installed the suite, launched the game and followed it to its end, twice%s\n",
                    o.strGameShot.empty() ? "" : " (pictures in the artefacts folder)");
    else
        std::printf("FAILURE: %s\n", why.c_str());
    return boOk ? 0 : 1;
}
