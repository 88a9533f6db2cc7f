#include "HtmlAttr.h"

#include "HexDigits.h"
#include "HtmlText.h"

namespace
{
struct ColorWord
{
    const char* word;
    uint32_t value;
};

// The renderer's own colour words (not the usual HTML values).
const ColorWord kColorWords[] = {
    {"BLACK", HtmlPaletteRgb(0, 0, 0)},       {"OLIVE", HtmlPaletteRgb(0, 128, 0)},
    {"TEAL", HtmlPaletteRgb(0, 0, 0)},        {"RED", HtmlPaletteRgb(255, 0, 0)},
    {"BLUE", HtmlPaletteRgb(0, 0, 255)},      {"MAROON", HtmlPaletteRgb(128, 64, 0)},
    {"NAVY", HtmlPaletteRgb(0, 255, 255)},    {"GRAY", HtmlPaletteRgb(128, 128, 128)},
    {"LIME", HtmlPaletteRgb(255, 255, 128)},  {"FUCHSIA", HtmlPaletteRgb(255, 0, 128)},
    {"WHITE", HtmlPaletteRgb(255, 255, 255)}, {"GREEN", HtmlPaletteRgb(0, 255, 0)},
    {"PURPLE", HtmlPaletteRgb(255, 0, 255)},  {"SILVER", HtmlPaletteRgb(192, 192, 192)},
    {"YELLOW", HtmlPaletteRgb(255, 255, 0)},  {"AQUA", HtmlPaletteRgb(128, 255, 255)},
    {"TRANSPARENT", kHtmlTransparent},
};

// "%x" on two characters: blanks and an optional sign first, then hex digits
// as far as they go; 0 when there are none.
uint32_t ReadHexPair(const std::string& pair)
{
    size_t i = 0;
    while (i < pair.size() && HtmlIsSpace(pair[i]))
        ++i;
    bool negative = false;
    if (i < pair.size() && (pair[i] == '+' || pair[i] == '-'))
        negative = pair[i++] == '-';
    uint32_t value = 0;
    for (; i < pair.size() && FdText::HexDigitValue(pair[i]) >= 0; ++i)
        value = value * 16 + uint32_t(FdText::HexDigitValue(pair[i]));
    return (negative ? 0u - value : value) & 0xFF;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Position of the attribute called name in the upper-cased text, from a
// position on, by the boundary rule: start, space or tab before; end, '=',
// space or tab after.
size_t FindAttribute(const std::string& upperName, const std::string& upperText, size_t from = 0)
{
    if (upperName.empty())
        return std::string::npos;
    for (size_t at = upperText.find(upperName, from); at != std::string::npos;
         at = upperText.find(upperName, at + 1))
    {
        const size_t end = at + upperName.size();
        const bool before = at == 0 || IsBlank(upperText[at - 1]);
        const bool after = end == upperText.size() || upperText[end] == '=' || IsBlank(upperText[end]);
        if (before && after)
            return at;
    }
    return std::string::npos;
}

// FindAttribute, skipping matches inside double-quoted values.
size_t FindAttributeOutsideQuotes(const std::string& upperName, const std::string& upperText)
{
    for (size_t at = FindAttribute(upperName, upperText); at != std::string::npos;
         at = FindAttribute(upperName, upperText, at + 1))
    {
        size_t quotes = 0;
        for (size_t i = 0; i < at; ++i)
            quotes += upperText[i] == '"';
        if (quotes % 2 == 0)
            return at;
    }
    return std::string::npos;
}
} // namespace

uint32_t ParseColor(const std::string& text, uint32_t defaultColor)
{
    std::string t = HtmlUpper(HtmlTrim(text));
    if (t.empty())
        return defaultColor;
    if (t[0] == '#')
    {
        if (t.size() < 7)
            t.append(7 - t.size(), '0');
        const uint32_t red = ReadHexPair(t.substr(1, 2));
        const uint32_t green = ReadHexPair(t.substr(3, 2));
        const uint32_t blue = ReadHexPair(t.substr(5, 2));
        return HtmlPaletteRgb(red, green, blue);
    }
    for (const ColorWord& w : kColorWords)
        if (t == w.word)
            return w.value;
    return defaultColor;
}

std::string GetAttrValue(const std::string& name, const std::string& attributes,
                         const std::string& defaultValue)
{
    const size_t at = FindAttributeOutsideQuotes(HtmlUpper(name), HtmlUpper(attributes));
    if (at == std::string::npos)
        return {};
    // The '=' belongs to this name only when nothing but blanks lies between.
    size_t eq = at + name.size();
    while (eq < attributes.size() && IsBlank(attributes[eq]))
        ++eq;
    if (eq >= attributes.size() || attributes[eq] != '=' || eq + 1 == attributes.size())
        return HtmlDecodeEntities(defaultValue);
    size_t begin = eq + 1;
    while (begin < attributes.size() && IsBlank(attributes[begin]))
        ++begin;
    size_t end = begin;
    bool quoted = false;
    for (; end < attributes.size(); ++end)
    {
        if (attributes[end] == '"')
            quoted = !quoted;
        else if (!quoted && IsBlank(attributes[end]))
            break;
    }
    std::string value = HtmlTrim(attributes.substr(begin, end - begin));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    return HtmlDecodeEntities(value);
}

int32_t GetAttrInt(const std::string& name, const std::string& attributes, int32_t defaultValue)
{
    const std::string value = GetAttrValue(name, attributes, "");
    return value.empty() ? defaultValue : HtmlAtoi(value);
}

int32_t HasAttr(const std::string& name, const std::string& attributes)
{
    return FindAttribute(HtmlUpper(name), HtmlUpper(attributes)) != std::string::npos ? 1 : 0;
}

int32_t IsRelativeAddress(const std::string& address)
{
    if (address.empty() || address.find("://") != std::string::npos)
        return 0;
    return address[0] == '/' || address[0] == '\\' ? 0 : 1;
}

std::string GetAttrOr(const std::string& name, const std::string& attributes, const std::string& defaultValue)
{
    if (!HasAttr(name, attributes))
        return defaultValue;
    return GetAttrValue(name, attributes, defaultValue);
}
