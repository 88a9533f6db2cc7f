#include "ImageNames.h"

#include <algorithm>

namespace FdHtml
{
namespace
{
bool boBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
char cUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
} // namespace

EImageKind imageKindByName(const std::string& name)
{
    const std::string s = strTrimRight(name);
    if (s.size() < 3)
        return kImageUnknown;
    std::string ext = s.substr(s.size() - 3);
    std::transform(ext.begin(), ext.end(), ext.begin(), cUpper);
    if (ext == "GIF")
        return kImageGif;
    if (ext == "BMP")
        return kImageBmp;
    return kImageUnknown;
}

std::string strImageKey(const std::string& name)
{
    std::string key = name;
    std::transform(key.begin(), key.end(), key.begin(), cUpper);
    return key;
}

bool boIsResourceName(const std::string& key, std::string* pResName)
{
    static const char kPrefix[] = "RES://";
    const std::size_t n = sizeof kPrefix - 1;
    if (key.compare(0, n, kPrefix) != 0)
        return false;
    *pResName = key.substr(n);
    return true;
}

std::string strSlashesToBackslashes(std::string s)
{
    std::replace(s.begin(), s.end(), '/', '\\');
    return s;
}

std::string strBackslashesToSlashes(std::string s)
{
    std::replace(s.begin(), s.end(), '\\', '/');
    return s;
}

std::string strTrimRight(const std::string& s)
{
    std::size_t end = s.size();
    while (end > 0 && boBlank(s[end - 1]))
        --end;
    return s.substr(0, end);
}

std::string strTrimLeft(const std::string& s)
{
    std::size_t start = 0;
    while (start < s.size() && boBlank(s[start]))
        ++start;
    return s.substr(start);
}

std::string strTrim(const std::string& s)
{
    return strTrimLeft(strTrimRight(s));
}
} // namespace FdHtml
