#include "HtmlText.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "TextCase.h"

const HtmlEntityRow HtmlEntityTable[kHtmlEntityCount] = {
    {"lt", "\x3C", "\x3C", 1},     {"gt", "\x3E", "\x3E", 1},     {"nbsp", "\xA0", "\xA0", 1},
    {"amp", "\x26", "\x26", 1},    {"quot", "\x22", "\x22", 1},   {"apos", "\x27", "\x27", 1},
    {"crlf", "\r\n", "\r\n", 0},   {"aacute", "\xE1", "\xC1", 0}, {"agrave", "\xE0", "\xC0", 0},
    {"acirc", "\xE2", "\xC2", 0},  {"aring", "\xE5", "\xC5", 0},  {"auml", "\xE4", "\xC4", 0},
    {"aelig", "\xE6", "\xC6", 0},  {"eacute", "\xE9", "\xC9", 0}, {"egrave", "\xE8", "\xC8", 0},
    {"ecirc", "\xEA", "\xCA", 0},  {"euml", "\xEB", "\xCB", 0},   {"ccedil", "\xE7", "\xC7", 0},
    {"iacute", "\xED", "\xCD", 0}, {"igrave", "\xEC", "\xCC", 0}, {"icirc", "\xEE", "\xCE", 0},
    {"iuml", "\xEF", "\xCF", 0},   {"ntilde", "\xF1", "\xD1", 0}, {"oacute", "\xF3", "\xD3", 0},
    {"ograve", "\xF2", "\xD2", 0}, {"ocirc", "\xF4", "\xD4", 0},  {"otilde", "\xF5", "\xD5", 0},
    {"ouml", "\xF6", "\xD6", 0},   {"uacute", "\xFA", "\xDA", 0}, {"ugrave", "\xF9", "\xD9", 0},
    {"ucirc", "\xFB", "\xDB", 0},  {"uuml", "\xFC", "\xDC", 0},   {"copy", "\xA9", "\xA9", 0},
    {"reg", "\xAE", "\xAE", 0},    {"yuml", "\xFF", "\xFF", 0},
};

std::string HtmlUpper(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return text;
}

std::string HtmlLower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return text;
}

bool HtmlIsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string HtmlTrimLeft(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && HtmlIsSpace(text[i]))
        ++i;
    return text.substr(i);
}

std::string HtmlTrimRight(const std::string& text)
{
    size_t n = text.size();
    while (n > 0 && HtmlIsSpace(text[n - 1]))
        --n;
    return text.substr(0, n);
}

std::string HtmlTrim(const std::string& text)
{
    return HtmlTrimLeft(HtmlTrimRight(text));
}

bool HtmlEqualNoCase(const std::string& a, const std::string& b)
{
    return FdText::EqualsAsciiNoCase(a, b);
}

int32_t HtmlAtoi(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && HtmlIsSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    {
        value = value * 10 + (text[i] - '0');
        if (value > int64_t(std::numeric_limits<int32_t>::max()) + 1)
            value = int64_t(std::numeric_limits<int32_t>::max()) + 1;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int32_t>::max())
        value = std::numeric_limits<int32_t>::max();
    return int32_t(value);
}

int32_t HtmlAtoiClamped(const std::string& text, int32_t low, int32_t high)
{
    return std::min(high, std::max(low, HtmlAtoi(text)));
}

int32_t HtmlAtoiLength(const std::string& text)
{
    return HtmlAtoiClamped(text, -kHtmlMaxLength, kHtmlMaxLength);
}

std::string HtmlDecodeEntity(const std::string& reference)
{
    if (reference.size() < 2 || reference.front() != '&' || reference.back() != ';')
        return {};
    const std::string body = reference.substr(1, reference.size() - 2);
    if (!body.empty() && body[0] == '#')
    {
        const uint8_t code = uint8_t(uint32_t(HtmlAtoi(body.substr(1))) & 0xFF);
        return code <= 6 ? std::string() : std::string(1, char(code));
    }
    const std::string name = HtmlLower(body);
    for (const HtmlEntityRow& row : HtmlEntityTable)
        if (name == row.name)
            return static_cast<unsigned char>(reference[1]) < 'a' ? row.upperValue : row.lowerValue;
    return {};
}

namespace
{
// The reference starting at text[at] ('&'): its length up to and with the
// ';', or 0 when no ';' comes within the bound.
size_t ReferenceLength(const char* text, size_t size, size_t at)
{
    for (size_t i = at + 1; i < size && i - at < kMaxEntityReference; ++i)
        if (text[i] == ';')
            return i - at + 1;
    return 0;
}
} // namespace

std::string HtmlDecodeEntities(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size())
    {
        if (text[i] == '&')
        {
            const size_t n = ReferenceLength(text.data(), text.size(), i);
            if (n != 0)
            {
                const std::string value = HtmlDecodeEntity(text.substr(i, n));
                if (!value.empty())
                {
                    out += value;
                    i += n;
                    continue;
                }
            }
        }
        out += text[i++];
    }
    return out;
}

std::string HtmlEncodeEntities(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text)
    {
        bool written = false;
        for (const HtmlEntityRow& row : HtmlEntityTable)
        {
            if (row.encode == 0)
                break;
            if (std::strlen(row.lowerValue) != 1 || std::strlen(row.upperValue) != 1)
                continue;
            if (c == row.lowerValue[0])
                out += std::string("&") + row.name + ";";
            else if (c == row.upperValue[0])
                out += std::string("&") + char(row.name[0] - 'a' + 'A') + (row.name + 1) + ";";
            else
                continue;
            written = true;
            break;
        }
        if (!written)
            out += c;
    }
    return out;
}

int32_t HtmlNormalizeText(HtmlMemBlock* block, uint32_t* length)
{
    const uint32_t size = *length < MemBlockSize(*block) ? *length : MemBlockSize(*block);
    // The text only shrinks: references are longer than their values.
    HtmlMemBlock out = MemBlockAlloc(0, size);
    if (out == nullptr)
        return 0;
    const char* in = MemBlockBytes(*block);
    char* dst = static_cast<char*>(out);
    uint32_t n = 0;
    uint32_t i = 0;
    while (i < size)
    {
        char c = in[i];
        if (c == '&')
        {
            const size_t refLength = ReferenceLength(in, size, i);
            if (refLength != 0)
            {
                const std::string value = HtmlDecodeEntity(std::string(in + i, refLength));
                if (!value.empty() && value.size() <= refLength)
                {
                    std::memcpy(dst + n, value.data(), value.size());
                    n += uint32_t(value.size());
                    i += uint32_t(refLength);
                    continue;
                }
            }
        }
        if (c == '\t' || c == '\r' || c == '\n')
            c = ' ';
        ++i;
        if (c == ' ' && n > 0 && dst[n - 1] == ' ')
            continue;
        dst[n++] = c;
    }
    MemBlockFree(*block);
    HtmlMemBlock shrunk = MemBlockRealloc(out, n);
    *block = shrunk != nullptr ? shrunk : out;
    *length = n;
    return 1;
}

std::string HtmlBlockToString(HtmlMemBlock block, uint32_t length)
{
    if (block == nullptr || length == 0)
        return {};
    const uint32_t n = length < MemBlockSize(block) ? length : MemBlockSize(block);
    return std::string(MemBlockBytes(block), n);
}

int32_t HtmlStringToBlock(const std::string& text, HtmlMemBlock* block, int32_t defaultResult)
{
    if (text.empty() || text.size() > uint32_t(std::numeric_limits<int32_t>::max()))
        return defaultResult;
    HtmlMemBlock fresh = MemBlockAlloc(0, uint32_t(text.size()));
    if (fresh == nullptr)
        return defaultResult;
    std::memcpy(fresh, text.data(), text.size());
    MemBlockFree(*block);
    *block = fresh;
    return int32_t(text.size());
}
