// ChatTestHost.exe: the chat in its test host, by hand.
//
//   ChatTestHost.exe [--size WxH] [--web-port N] [--config ADDRESS]
//                    [--shot FILE.bmp] [NAME=VALUE]...
//
// NAME=VALUE are the page parameters (SERVER_NAME, ROOM_NAME, NICKNAME,
// HTMLUI...). The web stand-in's port comes from --web-port or FD_WEB_PORT;
// the configuration document from --config ("str://" text or a path of the
// stand-in). Requests with a target are printed. With --shot the window is
// written as a picture once the chat has shown its page, and the program ends.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ChatTestHost.h"

int main(int argc, char** argv)
{
    int width = 640, height = 480;
    uint16_t port = 0;
    const char* config = nullptr;
    const char* shot = nullptr;
    ChatTest::CChatTestHost host;
    if (const char* env = std::getenv("FD_WEB_PORT"))
        port = static_cast<uint16_t>(std::atoi(env));
    for (int i = 1; i < argc; ++i)
    {
        if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc)
            std::sscanf(argv[++i], "%dx%d", &width, &height);
        else if (std::strcmp(argv[i], "--web-port") == 0 && i + 1 < argc)
            port = static_cast<uint16_t>(std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--config") == 0 && i + 1 < argc)
            config = argv[++i];
        else if (std::strcmp(argv[i], "--shot") == 0 && i + 1 < argc)
            shot = argv[++i];
        else if (const char* eq = std::strchr(argv[i], '='))
            host.Instance().args.emplace_back(std::string(argv[i], static_cast<size_t>(eq - argv[i])),
                                              std::string(eq + 1));
        else
        {
            std::fprintf(stderr, "usage: ChatTestHost.exe [--size WxH] [--web-port N] [--config ADDRESS] "
                                 "[--shot FILE.bmp] [NAME=VALUE]...\n");
            return 2;
        }
    }
    host.Instance().vSetWebPort(port);
    if (!host.boCreate(width, height))
    {
        std::fprintf(stderr, "the windows could not be made (%lu)\n", GetLastError());
        return 1;
    }
    if (config && !host.boLoadConfig(config))
        std::fprintf(stderr, "configuration %s not read\n", config);
    size_t shown = 0;
    const DWORD start = GetTickCount();
    MSG msg;
    while (IsWindow(host.hWnd()))
    {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        const std::vector<std::string> navigations = host.Instance().Navigations();
        for (; shown < navigations.size(); ++shown)
            std::printf("navigate %s\n", navigations[shown].c_str());
        std::fflush(stdout);
        if (shot && GetTickCount() - start > 1500 && host.Instance().uPending() == 0)
        {
            const bool ok = host.boWriteBmp(shot);
            std::printf("shot %s %s\n", shot, ok ? "written" : "failed");
            return ok ? 0 : 1;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    return 0;
}
