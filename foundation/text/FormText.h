// Text of web forms and simple patterns.
#pragma once

#include <string>
#include <string_view>

namespace FdText
{

// ASCII letters and digits stay, a blank becomes '+', every other byte "%xx"
// (lower-case hex).
std::string UrlEncodeForm(std::string_view text);

// One-star pattern, ASCII letters compared without regard to case. An empty
// text or pattern fits; a pattern without '*' must equal the text; otherwise
// the part before the first '*' must begin the text and the part after it
// (later stars included, as plain bytes) must end it, without overlapping.
bool MatchesOneStarAsciiNoCase(std::string_view text, std::string_view pattern);

} // namespace FdText
