// The talk line's text filter, also run by DYN_SUBST: the substitution words
// and the automatic links of web addresses.
#include <algorithm>

#include "ChatModel.h"

namespace ChatModel
{

namespace
{

std::string strUpperAscii(std::string s)
{
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

bool boCapital(const std::string& s, size_t at)
{
    return at < s.size() && s[at] >= 'A' && s[at] <= 'Z';
}

} // namespace

void CChatModel::vAutoLink(std::string& text) const
{
    std::string upper = strUpperAscii(text);
    for (const Substitution& s : cfg.substitutions)
    {
        if (s.strKey.empty())
            continue;
        for (size_t at = upper.find(s.strKey); at != std::string::npos;)
        {
            const bool inWord = s.boWholeWord && ((at > 0 && boCapital(upper, at - 1)) ||
                                                  boCapital(upper, at + s.strKey.size()));
            if (!inWord)
            {
                text = text.substr(0, at) + s.strReplacement + text.substr(at + s.strKey.size());
                upper = strUpperAscii(text);
            }
            // A word left in place moves the search on by one character, so that
            // an empty replacement cannot find it again and an occurrence right
            // behind it is still seen; a replaced one goes on behind its replacement.
            const size_t next = inWord ? at + 1 : at + s.strReplacement.size();
            at = next <= upper.size() ? upper.find(s.strKey, next) : std::string::npos;
        }
    }

    for (size_t from = 0; from < upper.size();)
    {
        const size_t http = upper.find("HTTP://", from);
        const size_t www = upper.find("WWW.", from);
        const size_t start = std::min(http, www);
        if (start == std::string::npos)
            break;
        const bool noScheme = start == www && start != http;
        size_t end = upper.find(' ', start);
        if (end == std::string::npos)
            end = upper.size();
        const std::string candidate = text.substr(start, end - start);
        // A quote would end the anchor's address attribute early.
        const bool linked =
            candidate.find_first_of("<>\"") == std::string::npos && (start == 0 || text[start - 1] == ' ');
        if (!linked)
        {
            from = end;
            continue;
        }
        const std::string anchor = "<A href=\"" + std::string(noScheme ? "HTTP://" : "") + candidate + "\" " +
                                   cfg.strAutoLinkText + ">" + candidate + "</A>";
        const std::string link = strReplaceAll(cfg.strAutoLinkFormat, "%lnk%", anchor);
        text = text.substr(0, start) + link + text.substr(end);
        upper = strUpperAscii(text);
        from = start + link.size();
    }
}

} // namespace ChatModel
