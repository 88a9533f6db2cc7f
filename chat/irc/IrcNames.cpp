#include "IrcNames.h"

namespace ChatIrc
{

namespace
{

constexpr unsigned char kHighMark = 0xC3;

struct Escape
{
    char letter;
    char value;
};

constexpr Escape kEscapes[] = {
    {'\\', '\\'}, {'n', '\n'}, {'r', '\r'}, {'t', '\t'}, {'b', ' '}, {'c', ','},
};

} // namespace

std::string strIrcxDecode(const std::string& text, bool* lpCoded)
{
    bool coded = false;
    std::string first;
    first.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i)
    {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == kHighMark && i + 1 < text.size())
        {
            first += static_cast<char>((static_cast<unsigned char>(text[++i]) + 64) & 0xFF);
            coded = true;
        }
        else
            first += static_cast<char>(c);
    }
    if (first.size() >= 2 && first[0] == '\'' && first[1] >= '0' && first[1] <= '9')
        coded = true;

    std::string out;
    out.reserve(first.size());
    for (size_t i = 0; i < first.size(); ++i)
    {
        if (first[i] == '\\' && i + 1 < first.size())
        {
            bool found = false;
            for (const Escape& e : kEscapes)
                if (first[i + 1] == e.letter)
                {
                    out += e.value;
                    found = true;
                    break;
                }
            if (found)
            {
                ++i;
                coded = true;
                continue;
            }
        }
        out += first[i];
    }
    if (coded && !out.empty() && out[0] == '\'')
        out.erase(0, 1);
    if (lpCoded)
        *lpCoded = coded;
    return out;
}

std::string strIrcxEncode(const std::string& text)
{
    std::string out;
    out.reserve(text.size() + 8);
    bool changed = false;
    for (char ch : text)
    {
        const unsigned char c = static_cast<unsigned char>(ch);
        bool escaped = false;
        for (const Escape& e : kEscapes)
            if (ch == e.value)
            {
                out += '\\';
                out += e.letter;
                escaped = true;
                break;
            }
        if (escaped)
            changed = true;
        else if (c >= 0xC0)
        {
            out += static_cast<char>(kHighMark);
            out += static_cast<char>(c - 64);
            changed = true;
        }
        else
            out += ch;
    }
    return changed ? "'" + out : out;
}

} // namespace ChatIrc
