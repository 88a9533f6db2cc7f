#include "ChatScene.h"

#include "HostRunner.h"

#include <winsock2.h>
#include <windows.h>

#include <cstdlib>
#include <thread>

namespace ChatDemo
{
namespace
{
// The bounds of the scene's waits: bob's own waits (ircclient.py --wait), the
// wait for bob in the room, and the host's whole session.
constexpr int kBobWaitS = 60;
constexpr DWORD kJoinBoundMs = 30000;
constexpr DWORD kHostBoundMs = 100000;
// The host ends once its log has been quiet that long after the last step.
constexpr const char* kQuietMs = "2500";

std::string strEnv(const char* name)
{
    const char* v = std::getenv(name);
    return v ? v : "";
}

// One line to the IRC sidecar's control port; its whole answer.
std::string strControl(const std::string& line)
{
    const std::string port = strEnv("FD_IRC_CTL_PORT");
    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0)
        return "ERROR winsock";
    std::string answer;
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<u_short>(std::atoi(port.c_str())));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (s != INVALID_SOCKET && connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0)
    {
        const std::string sent = line + "\n";
        send(s, sent.data(), static_cast<int>(sent.size()), 0);
        char buf[4096];
        int n = 0;
        while ((n = recv(s, buf, sizeof buf, 0)) > 0)
            answer.append(buf, static_cast<size_t>(n));
    }
    else
        answer = "ERROR no control port " + port;
    if (s != INVALID_SOCKET)
        closesocket(s);
    WSACleanup(); // after the successful WSAStartup above
    return answer;
}

bool boExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
} // namespace

std::string strWinePath(const std::string& unixPath)
{
    std::string s = "Z:" + unixPath;
    for (char& c : s)
        if (c == '/')
            c = '\\';
    return s;
}

SChatScene playChatScene(const std::string& path, const std::string& name, const std::string& plugin)
{
    SChatScene scene;
    const std::string dir = strEnv("FD_CHATDEMO_DIR");
    const std::string artefacts = strEnv("FD_CHATDEMO_ARTEFACTS");
    if (dir.empty() || artefacts.empty() || strEnv("FD_WEB_PORT").empty() ||
        strEnv("FD_IRC_CTL_PORT").empty())
    {
        scene.strError = "FD_CHATDEMO_DIR, FD_CHATDEMO_ARTEFACTS, FD_WEB_PORT and FD_IRC_CTL_PORT are needed";
        return scene;
    }
    CreateDirectoryA(strWinePath(dir).c_str(), nullptr);
    CreateDirectoryA(strWinePath(artefacts).c_str(), nullptr);
    const std::string joined = dir + "/" + name + ".joined";
    const std::string greeted = dir + "/" + name + ".greeted";
    DeleteFileA(strWinePath(joined).c_str());
    DeleteFileA(strWinePath(greeted).c_str());
    scene.strScreenshot = strWinePath(artefacts + "/chatdemo-" + name + ".bmp");
    DeleteFileA(scene.strScreenshot.c_str());

    // bob: in the room first, so that ann's arrival is a JOIN he sees; then
    // the greeting and the whisper, the sign for the host to type, and the
    // wait for ann's line.
    std::thread bob(
        [&]
        {
            scene.strBob = strControl("RUN --nick bob --wait " + std::to_string(kBobWaitS) +
                                      " 'join #demo' 'touch " + joined +
                                      "' 'expect JOIN :#demo' "
                                      "'say #demo hello ann' 'whisper ann psst, ann' 'touch " +
                                      greeted + "' 'expect PRIVMSG #demo :hi bob' 'part #demo'");
        });
    const ULONGLONG start = GetTickCount64();
    while (!boExists(strWinePath(joined)) && GetTickCount64() - start < kJoinBoundMs)
        Sleep(50);
    if (!boExists(strWinePath(joined)))
    {
        bob.join();
        scene.strError = "bob did not join #demo: " + scene.strBob;
        return scene;
    }

    std::vector<std::string> args = {
        "--page",           FdHostTest::strWebUrl(path),
        "--steps",          "await:" + strWinePath(greeted) + ",type:hi bob,focuskey:13",
        "--quit-when-idle", kQuietMs,
        "--quit-after-ms",  std::to_string(kHostBoundMs - 10000),
        "--size",           "800x700",
        "--screenshot",     scene.strScreenshot};
    if (!plugin.empty())
        args.insert(args.end(), {"--plugin", plugin});
    const std::string logDir = FdHostTest::strFreshFolder("chatdemo-" + name);
    const FdHostTest::SHostRun run = FdHostTest::runHost(args, logDir, kHostBoundMs);
    bob.join();
    scene.lHostExit = run.lExit;
    scene.hostLog = run.host;
    scene.strHostLog = FdHostTest::strReadFile(logDir + "\\host.log");
    return scene;
}
} // namespace ChatDemo
