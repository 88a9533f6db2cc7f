// The chat demo's scene: the sample chat embedded in a page of this folder,
// played in BrowserHost.exe against the local IRC server while the scripted
// client bob (ircclient.py, run through the IRC sidecar's control port)
// joins #demo, greets ann, whispers to her and waits for the line that the
// host types into the chat's talk field. Shared by the test and the demo.
#pragma once

#include "LogLine.h"

#include <string>
#include <vector>

namespace ChatDemo
{
struct SChatScene
{
    long lHostExit = -1; // -1: the host did not end in time
    std::string strBob;  // the control port's answer: "DONE <code>" and bob's transcript
    std::vector<FdBrowserHost::SLogLine> hostLog;
    std::string strHostLog;    // the log as written
    std::string strScreenshot; // the picture's path (Windows form)
    std::string strError;      // what kept the scene from running
};

// Plays the page at path (on the web stand-in, e.g. "/chatdemo/embed.htm");
// name names the run's files (gate files, log folder, picture
// "chatdemo-<name>.bmp" in the artefacts folder). The environment gives the
// sidecars' ports (FD_WEB_PORT, FD_IRC_CTL_PORT), the folder for gate files
// seen from both sides (FD_CHATDEMO_DIR, a Linux path) and the artefacts
// folder (FD_CHATDEMO_ARTEFACTS, a Linux path). plugin: the NPAPI plug-in
// handed to the host ("" for a page that uses the control).
SChatScene playChatScene(const std::string& path, const std::string& name, const std::string& plugin);

// A Linux path as Wine's Z: drive shows it.
std::string strWinePath(const std::string& unixPath);
} // namespace ChatDemo
