#pragma once
// What the scenes played in the browser host share: files, the service's
// action buffers and packages, the suite's processes and the plug-in's trace.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace FdScene
{
using Pairs = std::vector<std::pair<std::string, std::string>>;

std::string strRead(const std::string& path);
bool boWrite(const std::string& path, const std::string& data);
std::string strQuote(const std::string& s);
// A "££" list: name, value, name, value..., each followed by "££".
std::string strList(const Pairs& pairs);
// An action buffer: the payload, then the parameters read back to front.
std::string strAction(const std::string& strPayload, const Pairs& pairs, int iAction);
// The file SZDD-compressed; empty when it cannot be.
std::string strCompressed(const std::string& strFile);
// The ids of the running processes of that program name.
std::vector<DWORD> processesNamed(const char* lpszName);
// Waits (30 s at most each) for every process of that name to end; true when none is left.
bool boWaitGone(const char* lpszName);
// The plug-in's trace files (C:\FDGAME*), one after the other.
std::string strPluginTrace();
// A log's lines, without what comes before the first '|' (a process id) when boStrip.
std::vector<std::string> logLines(const std::string& strPath, bool boStrip = true);
// SETMSG commands in the plug-in's trace: "<NUMMSG>|<TEXTMSG>".
std::vector<std::string> statusLinesOf(const std::string& strTrace);
} // namespace FdScene
