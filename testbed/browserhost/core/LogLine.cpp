#include "LogLine.h"

#include <cstdio>

#include "HexDigits.h"

namespace FdBrowserHost
{
namespace
{
bool boIsKeyChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

} // namespace

SLogLine& SLogLine::add(const std::string& key, const std::string& value)
{
    fields.emplace_back(key, value);
    return *this;
}

SLogLine& SLogLine::add(const std::string& key, const char* value)
{
    if (value)
        fields.emplace_back(key, value);
    return *this;
}

SLogLine& SLogLine::addInt(const std::string& key, int64_t value)
{
    return add(key, std::to_string(value));
}

SLogLine& SLogLine::addHex(const std::string& key, uint32_t value)
{
    char sz[16];
    std::snprintf(sz, sizeof sz, "0x%08X", static_cast<unsigned>(value));
    return add(key, std::string(sz));
}

const std::string* SLogLine::pFind(const std::string& key) const
{
    for (const auto& f : fields)
        if (f.first == key)
            return &f.second;
    return nullptr;
}

std::string SLogLine::strGet(const std::string& key, const std::string& def) const
{
    const std::string* p = pFind(key);
    return p ? *p : def;
}

std::vector<std::string> SLogLine::all(const std::string& key) const
{
    std::vector<std::string> v;
    for (const auto& f : fields)
        if (f.first == key)
            v.push_back(f.second);
    return v;
}

std::string strEscapeLogValue(const std::string& value)
{
    std::string out;
    out.reserve(value.size());
    for (char c : value)
    {
        const unsigned char b = static_cast<unsigned char>(c);
        switch (c)
        {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            if (b < 0x20 || b == 0x7F)
            {
                out += "\\x";
                FdText::AppendHexByte(out, b, FdText::HexCase::kUpper);
            }
            else
                out += c;
        }
    }
    return out;
}

bool boUnescapeLogValue(const std::string& text, std::string* pValue)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] != '\\')
        {
            out += text[i];
            continue;
        }
        if (++i >= text.size())
            return false;
        switch (text[i])
        {
        case '\\':
            out += '\\';
            break;
        case 't':
            out += '\t';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 'x':
        {
            if (i + 2 >= text.size())
                return false;
            const int hi = FdText::HexDigitValue(text[i + 1]);
            const int lo = FdText::HexDigitValue(text[i + 2]);
            if (hi < 0 || lo < 0)
                return false;
            out += static_cast<char>(hi * 16 + lo);
            i += 2;
            break;
        }
        default:
            return false;
        }
    }
    *pValue = std::move(out);
    return true;
}

std::string strFormatLogLine(const SLogLine& line)
{
    std::string out = strEscapeLogValue(line.strKind);
    for (const auto& f : line.fields)
    {
        out += '\t';
        out += f.first;
        out += '=';
        out += strEscapeLogValue(f.second);
    }
    return out;
}

bool boParseLogLine(const std::string& text, SLogLine* pLine)
{
    std::string s = text;
    if (!s.empty() && s.back() == '\r')
        s.pop_back();
    SLogLine line;
    std::size_t pos = s.find('\t');
    if (!boUnescapeLogValue(s.substr(0, pos), &line.strKind) || line.strKind.empty())
        return false;
    while (pos != std::string::npos)
    {
        const std::size_t start = pos + 1;
        pos = s.find('\t', start);
        const std::string field = s.substr(start, pos == std::string::npos ? std::string::npos : pos - start);
        const std::size_t eq = field.find('=');
        if (eq == std::string::npos || eq == 0)
            return false;
        for (std::size_t i = 0; i < eq; ++i)
            if (!boIsKeyChar(field[i]))
                return false;
        std::string value;
        if (!boUnescapeLogValue(field.substr(eq + 1), &value))
            return false;
        line.fields.emplace_back(field.substr(0, eq), std::move(value));
    }
    *pLine = std::move(line);
    return true;
}

std::vector<SLogLine> parseLog(const std::string& text, std::size_t* pnBad)
{
    std::vector<SLogLine> lines;
    std::size_t nBad = 0;
    std::size_t start = 0;
    while (start < text.size())
    {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string one = text.substr(start, end - start);
        if (!one.empty() && one != "\r")
        {
            SLogLine line;
            if (boParseLogLine(one, &line))
                lines.push_back(std::move(line));
            else
                ++nBad;
        }
        start = end + 1;
    }
    if (pnBad)
        *pnBad = nBad;
    return lines;
}
} // namespace FdBrowserHost
