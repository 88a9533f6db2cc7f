// Character references in attribute values of a page read as CP1252 bytes.
#pragma once

#include <string>

namespace FdBrowserHost
{
// "&amp;", "&lt;", "&gt;", "&quot;", "&apos;", "&nbsp;", the Latin-1
// letters French text uses ("&eacute;"...), "&#NNN;" and "&#xHH;" become
// their CP1252 byte; a code point with no CP1252 byte becomes '?'. Unknown
// or unterminated references stay as written.
std::string strDecodeEntities(const std::string& text);

// The CP1252 byte of a Unicode code point, or -1.
int iCp1252FromCodePoint(unsigned long cp);
} // namespace FdBrowserHost
