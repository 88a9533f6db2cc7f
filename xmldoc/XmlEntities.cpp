#include "XmlEntities.h"

#include <cstring>

#include "TextUtil.h"

namespace
{
const CXmlEntity kEntities[kXmlEntityCount] = {
    {"lt", "<", "<", true},
    {"gt", ">", ">", true},
    {"nbsp", "\xA0", "\xA0", true},
    {"amp", "&", "&", true},
    {"quot", "\"", "\"", true},
    {"apos", "'", "'", true},
    {"crlf", "\r\n", "\r\n", false},
    {"aacute", "\xE1", "\xC1", false},
    {"agrave", "\xE0", "\xC0", false},
    {"acirc", "\xE2", "\xC2", false},
    {"aring", "\xE5", "\xC5", false},
    {"auml", "\xE4", "\xC4", false},
    {"aelig", "\xE6", "\xC6", false},
    {"eacute", "\xE9", "\xC9", false},
    {"egrave", "\xE8", "\xC8", false},
    {"ecirc", "\xEA", "\xCA", false},
    {"euml", "\xEB", "\xCB", false},
    {"ccedil", "\xE7", "\xC7", false},
    {"iacute", "\xED", "\xCD", false},
    {"igrave", "\xEC", "\xCC", false},
    {"icirc", "\xEE", "\xCE", false},
    {"iuml", "\xEF", "\xCF", false},
    {"ntilde", "\xF1", "\xD1", false},
    {"oacute", "\xF3", "\xD3", false},
    {"ograve", "\xF2", "\xD2", false},
    {"ocirc", "\xF4", "\xD4", false},
    {"otilde", "\xF5", "\xD5", false},
    {"ouml", "\xF6", "\xD6", false},
    {"uacute", "\xFA", "\xDA", false},
    {"ugrave", "\xF9", "\xD9", false},
    {"ucirc", "\xFB", "\xDB", false},
    {"uuml", "\xFC", "\xDC", false},
    {"copy", "\xA9", "\xA9", false},
    {"reg", "\xAE", "\xAE", false},
    {"yuml", "\xFF", "\xFF", false},
};

// The replacement for the reference text between '&' and ';', or null.
const char* Lookup(const std::string& reference, char (&single)[2])
{
    if (reference.empty())
        return nullptr;
    if (reference[0] == '#')
    {
        if (reference.size() < 2)
            return nullptr;
        unsigned long number = 0;
        for (size_t i = 1; i < reference.size(); ++i)
        {
            const char c = reference[i];
            if (c < '0' || c > '9')
                return nullptr;
            number = number * 10 + static_cast<unsigned long>(c - '0');
            if (number > kMaxCharacterReference)
                return nullptr;
        }
        if (number <= kMinCharacterReferenceExclusive)
            return nullptr;
        single[0] = static_cast<char>(static_cast<unsigned char>(number));
        single[1] = '\0';
        return single;
    }
    CStringExt lower(reference);
    lower.MakeLower();
    for (const CXmlEntity& entity : kEntities)
        if (lower == entity.name)
            return reference[0] < 'a' ? entity.upperReplacement : entity.replacement;
    return nullptr;
}
} // namespace

const CXmlEntity* XmlEntityTable()
{
    return kEntities;
}

CStringExt XmlUnformatString(const std::string& text)
{
    if (text.find('&') == std::string::npos)
        return CStringExt(text);
    CStringExt out;
    out.reserve(text.size());
    size_t i = 0;
    const size_t n = text.size();
    while (i < n)
    {
        // A final '&' can start no reference.
        if (text[i] == '&' && i + 1 < n)
        {
            const size_t limit = i + kMaxEntityReferenceLength < n ? i + kMaxEntityReferenceLength : n;
            size_t semicolon = std::string::npos;
            for (size_t j = i + 1; j < limit; ++j)
            {
                if (text[j] == ';')
                {
                    semicolon = j;
                    break;
                }
            }
            if (semicolon != std::string::npos)
            {
                char single[2];
                const char* replacement = Lookup(text.substr(i + 1, semicolon - i - 1), single);
                if (replacement != nullptr)
                {
                    out += replacement;
                    i = semicolon + 1;
                    continue;
                }
            }
        }
        out += text[i++];
    }
    return out;
}

CStringExt XmlFormatString(const std::string& text)
{
    CStringExt out;
    out.reserve(text.size());
    for (char c : text)
    {
        const CXmlEntity* match = nullptr;
        bool upper = false;
        for (const CXmlEntity& entity : kEntities)
        {
            if (!entity.escape)
                break;
            if (c == entity.replacement[0])
                match = &entity;
            else if (c == entity.upperReplacement[0])
            {
                match = &entity;
                upper = true;
            }
            if (match != nullptr)
                break;
        }
        if (match == nullptr)
        {
            out += c;
            continue;
        }
        out += '&';
        out += upper ? ToUpperAscii(match->name[0]) : match->name[0];
        out += match->name + 1;
        out += ';';
    }
    return out;
}
