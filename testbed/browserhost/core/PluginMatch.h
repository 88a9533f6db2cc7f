// Which plug-in serves an EMBED: the MIME types and file extensions a
// plug-in DLL announces in its version resource ("MIMEType" and
// "FileExtents", several separated by '|', extensions of one type by ',').
#pragma once

#include <string>

namespace FdBrowserHost
{
// type is one of list's types (no case; parameters after ';' ignored).
bool boMimeListHas(const std::string& list, const std::string& type);
// ext (without dot) is one of list's extensions (no case).
bool boExtentListHas(const std::string& list, const std::string& ext);
// The first type of list, trimmed ("" when none).
std::string strFirstMime(const std::string& list);
} // namespace FdBrowserHost
