// BrowserHost.exe: the suite's own browser host for its plug-ins. See the
// folder's README for the command line and the log it writes.
#include "WinSocket.h"

#include "HostOptions.h"
#include "HostSession.h"
#include "ComInit.h"

#include <cstdio>
#include <cstdlib>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    using namespace FdBrowserHost;
    std::vector<std::string> args;
    for (int i = 1; i < __argc; ++i)
        args.push_back(__argv[i]);
    SHostOptions options;
    std::string error;
    if (!boParseHostOptions(args, &options, &error) || options.boHelp)
    {
        // Never a box: the host also runs unattended.
        if (!error.empty())
            std::fprintf(stderr, "BrowserHost: %s\n", error.c_str());
        std::fputs(strHostUsage().c_str(), stderr);
        return options.boHelp && error.empty() ? 0 : 2;
    }
    CWinsockUse winsock;
    FdWin::COleInit ole;
    CHostSession session(options);
    return session.iRun();
}
