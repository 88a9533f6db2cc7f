#include "TextCase.h"

namespace FdText
{

char AsciiToLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

char AsciiToUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

int CompareAsciiNoCase(std::string_view a, std::string_view b)
{
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i)
    {
        const int ca = static_cast<unsigned char>(AsciiToLower(a[i]));
        const int cb = static_cast<unsigned char>(AsciiToLower(b[i]));
        if (ca != cb)
            return ca - cb;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool EqualsAsciiNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && CompareAsciiNoCase(a, b) == 0;
}

bool StartsWithAsciiNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && EqualsAsciiNoCase(text.substr(0, prefix.size()), prefix);
}

bool EndsWithAsciiNoCase(std::string_view text, std::string_view end)
{
    return text.size() >= end.size() && EqualsAsciiNoCase(text.substr(text.size() - end.size()), end);
}

unsigned char Cp1252ToLower(unsigned char c)
{
    if (c >= 'A' && c <= 'Z')
        return static_cast<unsigned char>(c + ('a' - 'A'));
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) // À..Þ except the multiplication sign
        return static_cast<unsigned char>(c + 0x20);
    switch (c)
    {
    case 0x8A: // Š
    case 0x8C: // Œ
    case 0x8E: // Ž
        return static_cast<unsigned char>(c + 0x10);
    case 0x9F: // Ÿ
        return 0xFF;
    default:
        return c;
    }
}

int CompareCp1252NoCase(const char* a, const char* b)
{
    if (!a || !b)
        return (a ? 1 : 0) - (b ? 1 : 0);
    for (;; ++a, ++b)
    {
        const unsigned char ca = Cp1252ToLower(static_cast<unsigned char>(*a));
        const unsigned char cb = Cp1252ToLower(static_cast<unsigned char>(*b));
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (ca == 0)
            return 0;
    }
}

bool EqualsCp1252NoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
    {
        if (Cp1252ToLower(static_cast<unsigned char>(a[i])) !=
            Cp1252ToLower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

} // namespace FdText
