#include "NpChoice.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "TextCase.h"

namespace ChatPlugin
{
namespace
{
std::string strLower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// The document endings of the chat's own pages.
const char* const kaChatEndings[] = {".zelto", ".zeltoc", ".vblt", ".verbolt"};

constexpr uint16_t kNormal = 1;
constexpr uint16_t kAsFile = 3;
} // namespace

uint16_t uChooseStreamType(const char* type, const char* url, uint16_t proposed)
{
    if (!type)
        return kNormal;
    const size_t len = std::strlen(type);
    if (len > 5 && FdText::StartsWithAsciiNoCase(type, "text/"))
        return kNormal;
    if (len > 6 && FdText::StartsWithAsciiNoCase(type, "image/"))
        return kAsFile;
    if (strLower(type) == "application/octet-stream")
    {
        if (!url)
            return proposed;
        const std::string u = strLower(url);
        for (const char* ending : kaChatEndings)
        {
            const size_t n = std::strlen(ending);
            if (u.size() > n && u.compare(u.size() - n, n, ending) == 0)
                return kNormal;
        }
        return kAsFile;
    }
    return kNormal;
}

void vSplitPageUrl(const std::string& page, std::string& dir, std::string& root)
{
    const size_t scheme = page.find("://");
    const size_t hostStart = scheme == std::string::npos ? 0 : scheme + 3;
    const size_t firstSlash = page.find('/', hostStart);
    root = firstSlash == std::string::npos ? page : page.substr(0, firstSlash);
    // The slashes of "://" are no folder: a page without a path lies in its site root.
    const size_t lastSlash = page.rfind('/');
    if (lastSlash == std::string::npos || (scheme != std::string::npos && lastSlash < hostStart))
        dir = firstSlash == std::string::npos ? root : page;
    else
        dir = page.substr(0, lastSlash);
}

std::string strResolveUrl(const std::string& url, const std::string& dir, const std::string& root)
{
    if (!url.empty() && url[0] == '/')
        return root + url;
    if (url.find("://") != std::string::npos)
        return url;
    return dir + "/" + url;
}

std::string strChooseMime(const std::string& url, const std::string& srcEnding, const std::string& typeParam)
{
    const std::string u = strLower(url);
    const std::pair<const char*, const char*> known[] = {
        {".gif", "image/gif"}, {".htm", "text/html"}, {".html", "text/html"}, {".asp", "text/asp"}};
    for (const auto& k : known)
        if (u.find(k.first) != std::string::npos)
            return k.second;
    if (u.find(strLower(srcEnding)) != std::string::npos)
        return typeParam;
    if (u.find(".txt") != std::string::npos)
        return "text/plain";
    return "application/octet-stream";
}

std::string strSrcEnding(const std::string& type, const std::string& src)
{
    const size_t dot = src.rfind('.');
    if (type.empty() || src.empty() || dot == std::string::npos)
        return std::string();
    return src.substr(dot);
}
} // namespace ChatPlugin
