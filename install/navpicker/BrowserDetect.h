#pragma once
// Detection of the installed browsers from the registry.
#include "BrowserList.h"

namespace FdNav
{
// Drops every record whose program is gone, then adds, with the detected flag
// given, the programs named by the Internet Explorer ("IE Setup", "IE4"),
// Netscape Navigator and Netscape 6 keys of HKEY_LOCAL_MACHINE, each with its
// environment variables expanded, when the file is there and no record of
// the same path is.
void vDetectBrowsers(CBrowserList& list, bool boDetected);
// A file (not a folder) of that path exists.
bool boFileExists(const std::string& strPath);
} // namespace FdNav
