#pragma once
// The install scene: pages in the browser host whose game plug-in installs
// installer.exe (COPYANDREGISTER), launches it, and lets its script install
// the hub and the fake component, then launch the fake component. The web
// stand-in serves what the scene writes into its folder, sealed with the
// fixture files key as the service would seal it.
#include "LogLine.h"

#include <string>
#include <vector>

namespace FdInstallScene
{
struct SOptions
{
    std::string strWebFolder;  // served by the web stand-in (Windows form, final '\')
    std::string strWebBase;    // http://127.0.0.1:<port>/
    std::string strKeyText;    // the files key as a page delivers it
    std::string strBinFolder;  // BrowserHost.exe, npfdg.dll, installer.exe... (final '\')
    std::string strWorkFolder; // install folder, logs (final '\')
    std::string strScreenshot; // BMP of the second session, or empty
};

struct SSession
{
    std::string strName;
    std::string strPage;
    long lExit = -1;
    std::vector<FdBrowserHost::SLogLine> host;
    std::vector<std::string> statusLines;  // SETMSG commands the plug-in ran: "<NUMMSG>|<TEXTMSG>"
    std::vector<std::string> pluginErrors; // the plug-in's "!ERREUR!" trace lines
};

struct SReport
{
    std::vector<SSession> sessions;
    std::vector<std::string> files;      // "<path relative to the install folder> <size>"
    std::vector<std::string> registry;   // "<key>|<value>|<data>"
    std::vector<std::string> fakeCmpt;   // the fake component's log, without process ids
    std::vector<std::string> transcript; // what the demo prints
    std::string strError;                // why the scene could not run
};

// The script the installer runs (also written, sealed, as script.fdg).
std::string strScript();
// Runs the four sessions; false when the scene could not be set up.
bool boRunScene(const SOptions& options, SReport& report);
} // namespace FdInstallScene
