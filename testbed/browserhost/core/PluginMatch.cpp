#include "PluginMatch.h"

#include <cctype>
#include <vector>

namespace FdBrowserHost
{
namespace
{
std::string strNorm(const std::string& s)
{
    std::size_t a = 0;
    std::size_t b = s.find(';');
    if (b == std::string::npos)
        b = s.size();
    while (a < b && std::isspace(static_cast<unsigned char>(s[a])))
        ++a;
    while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1])))
        --b;
    std::string out = s.substr(a, b - a);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::vector<std::string> items(const std::string& list, const char* pszSeparators)
{
    std::vector<std::string> v;
    std::size_t start = 0;
    while (start <= list.size())
    {
        std::size_t end = list.find_first_of(pszSeparators, start);
        if (end == std::string::npos)
            end = list.size();
        const std::string one = list.substr(start, end - start);
        if (!one.empty())
            v.push_back(one);
        start = end + 1;
    }
    return v;
}
} // namespace

bool boMimeListHas(const std::string& list, const std::string& type)
{
    const std::string want = strNorm(type);
    if (want.empty())
        return false;
    for (const std::string& one : items(list, "|"))
        if (strNorm(one) == want)
            return true;
    return false;
}

bool boExtentListHas(const std::string& list, const std::string& ext)
{
    const std::string want = strNorm(ext);
    if (want.empty())
        return false;
    for (const std::string& one : items(list, "|,"))
        if (strNorm(one) == want)
            return true;
    return false;
}

std::string strFirstMime(const std::string& list)
{
    const std::vector<std::string> v = items(list, "|");
    return v.empty() ? std::string() : strNorm(v[0]);
}
} // namespace FdBrowserHost
