// Runs BrowserHost.exe for a test and reads back what it, the test plug-in
// and the test control logged.
#pragma once

#include "LogLine.h"
#include "TestKit.h"

#include <windows.h>

#include <string>
#include <vector>

namespace FdHostTest
{
using FdBrowserHost::SLogLine;
using Log = std::vector<SLogLine>;

constexpr DWORD kHostTimeoutMs = 90000;

struct SHostRun
{
    long lExit = -1; // -1: not started or did not end in time
    Log host;
    Log plugin;
    Log control;
    std::string strDir;
};

// The lines of one kind, optionally only those whose field key equals value.
std::vector<SLogLine> linesOf(const Log& log, const std::string& kind, const std::string& key = std::string(),
                              const std::string& value = std::string());
// The single line of that kind and field, or an empty line (strKind "").
SLogLine lineOf(const Log& log, const std::string& kind, const std::string& key = std::string(),
                const std::string& value = std::string());

// The instance id of the EMBED whose "name" attribute is name, or "?".
std::string strInstanceOf(const Log& host, const std::string& name);

// The folder of the running test program (where BrowserHost.exe and the
// test DLLs are), with a final backslash.
using FdTestKit::strProgramFolder;
// http://127.0.0.1:<FD_WEB_PORT><path>
std::string strWebUrl(const std::string& path);
// An empty folder of its own under the temporary folder.
std::string strFreshFolder(const std::string& name);
using FdTestKit::boWriteFile;
using FdTestKit::strReadFile;

// Records an installed suite for the game plug-in: HKLM "Software\FdGame"
// with the install folder and an "FdGame" version newer than any a page asks
// for; with boTraceToFiles the plug-in's trace goes to C:\FDGAME<date> files.
bool boRecordSuite(const std::string& strInstallDir, bool boTraceToFiles);

// DllRegisterServer of a DLL of the test program's folder.
HRESULT hrRegisterServerDll(const std::string& file);

// The game plug-in's trace files (C:\FDGAME*), one after the other.
std::string strPluginTrace();

// Runs the host with args plus "--log <dir>\host.log"; the plug-in and the
// control log to <dir>\plugin.log and <dir>\control.log.
SHostRun runHost(const std::vector<std::string>& args, const std::string& dir,
                 DWORD dwTimeoutMs = kHostTimeoutMs);
} // namespace FdHostTest
