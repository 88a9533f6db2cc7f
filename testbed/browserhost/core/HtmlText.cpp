#include "HtmlText.h"

#include <cstring>

namespace FdBrowserHost
{
namespace
{
struct SNamed
{
    const char* pszName;
    unsigned char b;
};

const SNamed kNamed[] = {
    {"amp", '&'},     {"lt", '<'},      {"gt", '>'},      {"quot", '"'},    {"apos", '\''},
    {"nbsp", 0xA0},   {"pound", 0xA3},  {"copy", 0xA9},   {"laquo", 0xAB},  {"reg", 0xAE},
    {"deg", 0xB0},    {"raquo", 0xBB},  {"Agrave", 0xC0}, {"Acirc", 0xC2},  {"Ccedil", 0xC7},
    {"Egrave", 0xC8}, {"Eacute", 0xC9}, {"Ecirc", 0xCA},  {"Euml", 0xCB},   {"Icirc", 0xCE},
    {"Iuml", 0xCF},   {"Ocirc", 0xD4},  {"Ugrave", 0xD9}, {"Ucirc", 0xDB},  {"Uuml", 0xDC},
    {"agrave", 0xE0}, {"acirc", 0xE2},  {"ccedil", 0xE7}, {"egrave", 0xE8}, {"eacute", 0xE9},
    {"ecirc", 0xEA},  {"euml", 0xEB},   {"icirc", 0xEE},  {"iuml", 0xEF},   {"ocirc", 0xF4},
    {"ugrave", 0xF9}, {"ucirc", 0xFB},  {"uuml", 0xFC},   {"yuml", 0xFF},   {"euro", 0x80},
};

// Code points of CP1252's bytes 0x80-0x9F (0 where the byte is unused).
const unsigned short kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                  0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

const std::size_t kMaxReferenceLength = 12; // "&#x0000FFFF;" and the longest names
} // namespace

int iCp1252FromCodePoint(unsigned long cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<int>(cp);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] && kHigh[i] == cp)
            return 0x80 + i;
    return -1;
}

std::string strDecodeEntities(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size())
    {
        if (text[i] != '&')
        {
            out += text[i++];
            continue;
        }
        const std::size_t semi = text.find(';', i + 1);
        if (semi == std::string::npos || semi - i - 1 == 0 || semi - i > kMaxReferenceLength)
        {
            out += text[i++];
            continue;
        }
        const std::string ref = text.substr(i + 1, semi - i - 1);
        int byte = -1;
        bool boKnown = false;
        if (ref[0] == '#')
        {
            const bool boHex = ref.size() > 1 && (ref[1] == 'x' || ref[1] == 'X');
            const std::size_t start = boHex ? 2 : 1;
            unsigned long cp = 0;
            bool boDigits = ref.size() > start;
            for (std::size_t k = start; k < ref.size() && boDigits; ++k)
            {
                const char c = ref[k];
                int d = -1;
                if (c >= '0' && c <= '9')
                    d = c - '0';
                else if (boHex && c >= 'a' && c <= 'f')
                    d = c - 'a' + 10;
                else if (boHex && c >= 'A' && c <= 'F')
                    d = c - 'A' + 10;
                if (d < 0)
                    boDigits = false;
                else
                    cp = cp * (boHex ? 16 : 10) + static_cast<unsigned long>(d);
            }
            if (boDigits)
            {
                boKnown = true;
                byte = cp == 0 ? -1 : iCp1252FromCodePoint(cp);
            }
        }
        else
        {
            for (const SNamed& n : kNamed)
                if (ref == n.pszName)
                {
                    boKnown = true;
                    byte = n.b;
                    break;
                }
        }
        if (!boKnown)
        {
            out += text[i++];
            continue;
        }
        out += byte < 0 ? '?' : static_cast<char>(byte);
        i = semi + 1;
    }
    return out;
}
} // namespace FdBrowserHost
