#include "ChatVars.h"

#include <cstdlib>

#include "ChatTextUtil.h"
#include "HtmlAttr.h"
#include "MessageFormats.h"

namespace ChatModel
{

using ChatText::strUrlEncode;

std::string strReplaceVariable(const std::string& text, const std::string& name, const std::string& value)
{
    if (name.empty())
        return text;
    const std::string wide = "%" + name + "%";
    const std::string encoded = strUrlEncode(value);
    std::string out;
    size_t pos = 0;
    while (pos < text.size())
    {
        if (text.compare(pos, wide.size(), wide) == 0)
        {
            out += encoded;
            pos += wide.size();
        }
        else if (text.compare(pos, name.size(), name) == 0)
        {
            out += value;
            pos += name.size();
        }
        else
            out += text[pos++];
    }
    return out;
}

namespace
{

bool boDigit(char c)
{
    return c >= '0' && c <= '9';
}

size_t uFindNoCase(const std::string& text, const std::string& searched, size_t from)
{
    if (searched.empty() || text.size() < searched.size())
        return std::string::npos;
    for (size_t i = from; i + searched.size() <= text.size(); ++i)
        if (ChatText::boStartsNoCase(text.substr(i, searched.size()), searched))
            return i;
    return std::string::npos;
}

bool boAtNoCase(const std::string& text, size_t pos, const std::string& word)
{
    return text.size() >= pos + word.size() && ChatText::boEqualNoCase(text.substr(pos, word.size()), word);
}

// "%word" + name + "::%" at pos (or the "%%...%%" form): the name, the token's
// length and whether it was the encoded form.
bool boColonToken(const std::string& text, size_t pos, const std::string& word, std::string& name,
                  size_t& length, bool& encoded)
{
    encoded = text.compare(pos, 2, "%%") == 0 && boAtNoCase(text, pos + 2, word);
    const size_t start = encoded ? pos + 2 + word.size() : pos + 1 + word.size();
    if (!encoded && !boAtNoCase(text, pos + 1, word))
        return false;
    const size_t close = text.find("::%", start);
    if (close == std::string::npos)
        return false;
    name = text.substr(start, close - start);
    length = close + 3 - pos;
    if (encoded)
    {
        if (text.compare(close + 3, 1, "%") != 0)
        {
            // "%%var::x::%" without the closing extra sign: the plain form one on.
            encoded = false;
            return false;
        }
        ++length;
    }
    return true;
}

} // namespace

std::string strReplaceNumberVariable(const std::string& text, const std::string& name, long number)
{
    const std::string token = "%" + name;
    std::string out;
    size_t pos = 0;
    for (;;)
    {
        const size_t hit = uFindNoCase(text, token, pos);
        if (hit == std::string::npos || name.empty())
            break;
        out.append(text, pos, hit - pos);
        size_t after = hit + token.size();
        if (after < text.size() && text[after] == '%')
        {
            out += std::to_string(number);
            pos = after + 1;
            continue;
        }
        if (after < text.size() && text[after] == '*')
        {
            size_t d = after + 1;
            while (d < text.size() && boDigit(text[d]))
                ++d;
            if (d > after + 1 && d < text.size() && text[d] == '%')
            {
                const long factor = std::atol(text.substr(after + 1, d - after - 1).c_str());
                out += std::to_string(static_cast<long long>(number) * factor);
                pos = d + 1;
                continue;
            }
        }
        out += text.substr(hit, token.size());
        pos = after;
    }
    out.append(text, pos, std::string::npos);
    return out;
}

std::string strExpandParamVals(const std::string& text, const std::string& tagText)
{
    std::string out;
    size_t pos = 0;
    while (pos < text.size())
    {
        std::string name;
        size_t length = 0;
        bool encoded = false;
        if (text[pos] == '%' && boColonToken(text, pos, "paramval::", name, length, encoded))
        {
            const std::string value = GetAttrValue(name, tagText, "");
            out += encoded ? strUrlEncode(value) : value;
            pos += length;
            continue;
        }
        out += text[pos++];
    }
    return out;
}

const std::vector<std::string>& FixedVariableNames()
{
    static const std::vector<std::string> names = {"%bud%",
                                                   "%room%",
                                                   "%roomutf8%",
                                                   "%approom%",
                                                   "%IRCbud%",
                                                   "%IRCNoIncbud%",
                                                   "%IncIdent%",
                                                   "%ircbud%",
                                                   "%ircbudutf8%",
                                                   "%ircappbud%",
                                                   "%ircnoincbud%",
                                                   "%ircnoincbudutf8%",
                                                   "%ircappnoincbud%",
                                                   "%incident%",
                                                   "%usernick%",
                                                   "%userircnick%",
                                                   "%userircnickutf8%",
                                                   "%userircappnick%",
                                                   "%chatver%",
                                                   "%chatossubver%",
                                                   "%osstr%",
                                                   "%navint%",
                                                   "%checkkey%",
                                                   "%curdom%",
                                                   "%curdomip%",
                                                   "%curfulldom%",
                                                   "%curfulldomip%",
                                                   "%crkey%",
                                                   "%nckprfx%",
                                                   "%htmlui%",
                                                   "%rootpath%",
                                                   "%defrootpath%",
                                                   "%empty%",
                                                   "%usergrps%"};
    return names;
}

std::string strExpandVars(const std::string& text, const VarSources& src)
{
    if (text.find('%') == std::string::npos)
        return text;
    const std::vector<std::string>& names = FixedVariableNames();
    const std::vector<std::string> noContext;
    const std::vector<std::string>& context = src.context ? *src.context : noContext;
    std::string out;
    size_t pos = 0;
    while (pos < text.size())
    {
        if (text[pos] != '%')
        {
            out += text[pos++];
            continue;
        }
        // Page variables: "%var::name::%" and "%%var::name::%%".
        {
            std::string name;
            size_t length = 0;
            bool encoded = false;
            if (boColonToken(text, pos, "var::", name, length, encoded))
            {
                const std::string value = src.pageVar ? src.pageVar(name) : std::string();
                out += encoded ? strUrlEncode(value) : value;
                pos += length;
                continue;
            }
        }
        // Fixed names, the encoded form first.
        bool done = false;
        for (const std::string& n : names)
        {
            const bool wide = text.compare(pos, n.size() + 2, "%" + n + "%") == 0;
            if (!wide && text.compare(pos, n.size(), n) != 0)
                continue;
            std::string value;
            if (!src.fixed || !src.fixed(n, value))
                continue;
            out += wide ? strUrlEncode(value) : value;
            pos += wide ? n.size() + 2 : n.size();
            done = true;
            break;
        }
        if (done)
            continue;
        // Context variables: "%contextN%", "%context%", and their encoded forms.
        for (int wide = 1; wide >= 0 && !done; --wide)
        {
            const size_t start = pos + static_cast<size_t>(wide);
            if (wide && text.compare(pos, 2, "%%") != 0)
                continue;
            if (text.compare(start, 8, "%context") != 0)
                continue;
            size_t d = start + 8;
            while (d < text.size() && boDigit(text[d]))
                ++d;
            if (d >= text.size() || text[d] != '%')
                continue;
            if (wide && (d + 1 >= text.size() || text[d + 1] != '%'))
                continue;
            const std::string digits = text.substr(start + 8, d - start - 8);
            std::string value;
            if (digits.empty())
            {
                if (context.empty())
                    continue;
                value = context[0];
            }
            else
            {
                const size_t n = digits.size() > 9 ? 0 : static_cast<size_t>(std::atol(digits.c_str()));
                if (n >= 1 && n <= context.size())
                    value = context[n - 1];
                else if (wide)
                    continue; // beyond the list: the plain token one on goes
            }
            out += wide ? strUrlEncode(value) : value;
            pos = d + 1 + static_cast<size_t>(wide);
            done = true;
        }
        if (done)
            continue;
        // Form fields and room-key checksums: "%field|spec%", "%fcs|room[|key]%".
        if (text.compare(pos, 7, "%field|") == 0 || text.compare(pos, 5, "%fcs|") == 0)
        {
            const bool field = text[pos + 1] == 'f' && text[pos + 2] == 'i';
            const size_t start = pos + (field ? 7 : 5);
            const size_t close = text.find('%', start);
            if (close != std::string::npos)
            {
                const std::string spec = text.substr(start, close - start);
                std::string value;
                bool taken = false;
                if (field)
                    taken = src.field && src.field(spec, value);
                else
                {
                    const size_t bar = spec.find('|');
                    const std::string room = spec.substr(0, bar);
                    const std::string key = bar == std::string::npos ? std::string() : spec.substr(bar + 1);
                    taken =
                        src.checksum && src.checksum(room, bar == std::string::npos ? nullptr : &key, value);
                }
                if (taken)
                {
                    out += value;
                    pos = close + 1;
                    continue;
                }
            }
        }
        out += text[pos++];
    }
    return out;
}

} // namespace ChatModel
