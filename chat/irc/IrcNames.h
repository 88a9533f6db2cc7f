// IRCX name coding of room names and nicks (message texts are not coded).
#pragma once

#include <string>

namespace ChatIrc
{

// 0xC3 x becomes x + 64; "\\" escapes of \ n r t b c become their character;
// a coded text (or one starting with a quote and a digit) loses its leading
// quote. `lpCoded`, when given, tells whether any of that happened.
std::string strIrcxDecode(const std::string& text, bool* lpCoded = nullptr);
// The inverse: backslash, LF, CR, TAB, blank and comma escaped, bytes from
// 0xC0 up written as 0xC3 and the byte minus 64, and a quote in front of a
// text that changed.
std::string strIrcxEncode(const std::string& text);

} // namespace ChatIrc
