// Plays the install scene in the browser host and prints what the pages,
// the install folder and the registry show.
#include "InstallScene.h"

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
    if (!p)
        return std::string();
    std::string s = std::string("Z:") + p;
    for (char& c : s)
        if (c == '/')
            c = '\\';
    return s.back() == '\\' ? s : s + "\\";
}
} // namespace

int main()
{
    const char* lpszPort = std::getenv("FD_WEB_PORT");
    const std::string strWeb = strLinuxFolder("FD_INSTALLDEMO_WEB");
    const std::string strSource = strLinuxFolder("FD_SOURCE_DIR");
    if (!lpszPort || strWeb.empty() || strSource.empty())
    {
        std::puts("FD_WEB_PORT, FD_INSTALLDEMO_WEB and FD_SOURCE_DIR must be set: the web stand-in serves "
                  "FD_INSTALLDEMO_WEB");
        return 2;
    }
    std::ifstream keyFile(strSource + "testbed\\crypto-fixtures\\key1.txt", std::ios::binary);
    std::ostringstream key;
    key << keyFile.rdbuf();
    std::string strKey = key.str();
    while (!strKey.empty() && (strKey.back() == '\n' || strKey.back() == '\r'))
        strKey.pop_back();

    char szTemp[MAX_PATH];
    GetTempPathA(MAX_PATH, szTemp);
    FdInstallScene::SOptions o;
    o.strWebFolder = strWeb;
    o.strWebBase = std::string("http://127.0.0.1:") + lpszPort + "/";
    o.strKeyText = strKey;
    o.strBinFolder = strFolder();
    o.strWorkFolder = std::string(szTemp) + "installdemo\\";
    CreateDirectoryA(o.strWorkFolder.c_str(), nullptr);
    const char* lpszShot = std::getenv("FD_INSTALLDEMO_SCREENSHOT");
    if (lpszShot)
        o.strScreenshot = lpszShot;

    FdInstallScene::SReport report;
    if (!FdInstallScene::boRunScene(o, report))
    {
        std::printf("the scene could not run: %s\n", report.strError.c_str());
        return 1;
    }
    for (const std::string& line : report.transcript)
        std::printf("%s\n", line.c_str());
    return 0;
}
