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
    bool boInstallerGone = false;          // installer.exe ended after the session
};

struct SReport
{
    std::vector<SSession> sessions;
    std::vector<std::string> files;    // "<path relative to the install folder> <size>"
    std::vector<std::string> registry; // "<key>|<value>|<data>"
    std::vector<std::string> fakeCmpt; // the fake component's log, without process ids
    // The plug-in's update (sessions 5 and 6): two fake browsers' folders
    // stand for the drives, one browser runs during each session.
    std::vector<std::string> browserFiles;   // "<path below the browsers' folder> <size>"
    std::vector<std::string> runningLog[2];  // each session's running browser: its log, without process ids
    bool boRunningAlive[2] = {false, false}; // still running after the session
    std::vector<std::string> newBrowser;     // what the browser opened for the result received ("URL ...")
    std::vector<std::string> updateBoxes;    // message boxes of the update sessions
    std::vector<std::string> transcript;     // what the demo prints
    std::string strError;                    // why the scene could not run
};

// The script the installer runs (also written, sealed, as script.fdg).
std::string strScript();
// The script that updates the plug-in in the browsers' folders (plugin.fdg).
std::string strPluginScript();
// Runs the six sessions; false when the scene could not be set up.
bool boRunScene(const SOptions& options, SReport& report);
} // namespace FdInstallScene
