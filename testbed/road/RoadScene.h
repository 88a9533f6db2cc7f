#pragma once
// The main road: a page in the browser host whose game plug-in installs the
// suite's components from sealed packages (COPYANDREGISTER), starts the hub
// towards the stand-in game server and launches Ludex with a launch script;
// the launcher downloads the game definitions and the compatibility list,
// the command-line plug finds the fixture game by its detection script and
// disk search, the game runs and ends, and every notification reaches the
// game server and the page's frame. The scene writes what the web stand-in
// serves, plays one turn of the road at a time and reports what each side saw.
#include "LogLine.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace FdRoadScene
{
struct SOptions
{
    std::string strWebFolder;  // served by the web stand-in (Windows form, final '\')
    std::string strWebBase;    // http://127.0.0.1:<port>/
    std::string strKeyText;    // the files key as a page delivers it
    std::string strWrongKey;   // another key: what it seals cannot be opened with the files key
    std::string strBinFolder;  // BrowserHost.exe, npfdg.dll, Ludex.exe... (final '\')
    std::string strWorkFolder; // install folder, game folder, logs (final '\')
    uint16_t wGamePort = 0;    // the stand-in game server
    std::string strHostShot;   // BMP of the browser host after the launch session, or empty
    std::string strGameShot;   // BMP of the game's window during the game, or empty
};

enum class ETurn
{
    FirstRoad,     // fresh machine: the setup page installs, then the road page launches
    Road,          // again: components installed and catalogue saved, the short way
    ServerGone,    // the game server goes while the game runs
    GameKilled,    // the game's process is killed while it runs
    BadPackage,    // the launcher's package cannot be decrypted
    GameNotFound,  // no catalogue, and the disk search is cancelled
    HubKilled,     // the hub is killed while the game runs, the page closes, a second page follows
    DefsMissing,   // no catalogue, and the game definitions answer HTTP 404
    DefsTruncated, // no catalogue, and the game definitions arrive cut in half
    DefsMalformed, // no catalogue, and the game definitions are not well-formed XML
    CompatMissing, // the compatibility list answers HTTP 404
    ConfirmedEnd,  // while the game runs the page's "docf" asks to end it, confirmed
    CannotStart,   // the game's launch command names a program that is not there
};

struct SSession
{
    std::string strPage;
    long lExit = -1;    // the host's exit code, -1 when it did not end in time
    DWORD dwMs = 0;     // from the host's start to the end of the suite's programs
    DWORD dwHostMs = 0; // from the host's start to its end
    std::vector<FdBrowserHost::SLogLine> host;
    std::vector<std::string> pluginErrors; // the plug-in's "!ERREUR!" lines of the session
};

struct SRun
{
    std::string strName;
    std::vector<SSession> sessions;
    std::vector<std::string> navigations;  // "<frame> <url>" of every session, in order
    std::vector<std::string> fetched;      // addresses the plug-in fetched ("STREAM_END" with reason 0)
    std::vector<std::string> commands;     // the components' commands to the plug-in: "<word> <params>"
    std::vector<std::string> pluginErrors; // the plug-in's "!ERREUR!" lines
    std::vector<std::string> notes;        // the game server's notifications: "<body>|<custom or ->"
    std::vector<std::string> boxes;        // boxes and dialogs answered through FD_UI_LOG
    std::vector<std::string> leftRunning;  // suite programs still running after the bound
    bool boGameSeen = false;               // the fixture game's window showed
    bool boGameShot = false;               // its picture was written
    bool boProgressSeen = false;           // the launcher's progress window showed
    bool boProgressAtGame = false;         // it was still there while the game ran
    std::vector<std::string> transcript;   // one readable line per event
    std::string strError;                  // why the turn could not be played
};

class CRoadScene
{
public:
    // Records the suite for the plug-in, registers its control, lays the game
    // and writes what the service serves; false (with the reason) when it cannot.
    bool boSetUp(const SOptions& options, std::string& error);
    SRun run(ETurn turn);

private:
    SSession session(const std::string& strPage, ETurn turn, bool boShot, SRun& run);
    SOptions m_o;
    size_t m_ulTraceSeen = 0;
};

// The codes of the notifications the game server received, in order.
std::vector<int> serverCodes(const SRun& run);
// The codes of the "&Info=" addresses shown in the page's frame "info", in order.
std::vector<int> pageCodes(const SRun& run);
// The happy road: the notifications 0 to 4 reached the server and the page,
// the game showed, every program ended; otherwise why not.
bool boHappy(const SRun& run, std::string& why);

// The notifications' meaning for the transcript ("" when none is known).
std::string strNotificationText(int iCode);
} // namespace FdRoadScene
