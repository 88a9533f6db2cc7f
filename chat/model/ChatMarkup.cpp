#include "ChatMarkup.h"

#include <map>

#include "HtmlTagTable.h"
#include "html/doc/HtmlText.h"

namespace ChatModel
{

std::string strMarkupToText(const std::string& text)
{
    // One pass: what is already written holds neither '<' nor '>', so each
    // step sees the same first '<' and first '>' as a rescan would.
    std::string out;
    size_t pos = 0;
    for (;;)
    {
        const size_t gt = text.find('>', pos);
        const size_t lt = text.find('<', pos);
        if (gt == std::string::npos || lt == std::string::npos || lt > gt)
            break;
        out.append(text, pos, lt - pos);
        if (HtmlUpper(text.substr(lt + 1, gt - lt - 1)) == "BR")
            out += "\r\n";
        pos = gt + 1;
    }
    out.append(text, pos, std::string::npos);
    return HtmlDecodeEntities(out);
}

namespace
{

bool boNameChar(char c)
{
    return c != '>' && c != '/' && !HtmlIsSpace(c);
}

} // namespace

std::string strTrimHistory(const std::string& text, long count)
{
    if (count <= 0)
        return text;
    if (static_cast<size_t>(count) >= text.size())
        return std::string();
    std::map<std::string, long> open;
    long openTotal = 0;
    size_t pos = 0;
    while (pos < text.size())
    {
        const size_t lt = text.find('<', pos);
        if (lt == std::string::npos)
            break;
        const size_t gt = text.find('>', lt + 1);
        if (gt == std::string::npos)
            break;
        const size_t end = gt + 1;
        size_t n = lt + 1;
        const bool closing = n < gt && text[n] == '/';
        if (closing)
            ++n;
        size_t e = n;
        while (e < gt && boNameChar(text[e]))
            ++e;
        const std::string name = HtmlUpper(text.substr(n, e - n));
        const bool selfClosed = !closing && gt > lt + 1 && text[gt - 1] == '/';
        const HtmlTagRow* row = HtmlFindTagRow(name);
        const bool neverCloses = name.empty() || name[0] == '!' || selfClosed || (row && row->noEndTag);
        if (!neverCloses)
        {
            if (closing)
            {
                auto it = open.find(name);
                if (it != open.end() && it->second > 0)
                {
                    --it->second;
                    --openTotal;
                }
            }
            else
            {
                ++open[name];
                ++openTotal;
            }
        }
        if (end >= static_cast<size_t>(count) && openTotal == 0)
            return text.substr(end);
        pos = end;
    }
    const std::string mark = "</DI_HI>";
    const size_t last = text.rfind(mark);
    if (last != std::string::npos && last + mark.size() >= static_cast<size_t>(count))
        return text.substr(last + mark.size());
    return std::string();
}

} // namespace ChatModel
