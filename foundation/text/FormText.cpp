#include "FormText.h"

#include "HexDigits.h"
#include "TextCase.h"

namespace FdText
{

std::string UrlEncodeForm(std::string_view text)
{
    std::string out;
    out.reserve(text.size() * 3);
    for (char c : text)
    {
        const unsigned char b = static_cast<unsigned char>(c);
        if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9'))
            out += c;
        else if (b == ' ')
            out += '+';
        else
        {
            out += '%';
            out += LowerHexDigit(b >> 4);
            out += LowerHexDigit(b);
        }
    }
    return out;
}

bool MatchesOneStarAsciiNoCase(std::string_view text, std::string_view pattern)
{
    if (text.empty() || pattern.empty())
        return true;
    const size_t star = pattern.find('*');
    if (star == std::string_view::npos)
        return EqualsAsciiNoCase(text, pattern);
    const std::string_view prefix = pattern.substr(0, star);
    const std::string_view suffix = pattern.substr(star + 1);
    // Both parts must fit side by side: "ab*ba" does not fit "aba".
    if (prefix.size() + suffix.size() > text.size())
        return false;
    return StartsWithAsciiNoCase(text, prefix) && EndsWithAsciiNoCase(text, suffix);
}

} // namespace FdText
