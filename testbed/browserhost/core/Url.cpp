#include "Url.h"

#include <cctype>
#include <vector>

#include "HexDigits.h"

namespace FdBrowserHost
{
namespace
{
struct SParts
{
    std::string scheme; // as written
    bool hasAuth = false;
    std::string auth;
    std::string path;
    bool hasQuery = false;
    std::string query;
    bool hasFrag = false;
    std::string frag;
};

std::string strLower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Length of the scheme (without ':'), or 0.
std::size_t nSchemeLength(const std::string& s)
{
    if (s.empty() || !std::isalpha(static_cast<unsigned char>(s[0])))
        return 0;
    std::size_t i = 1;
    while (i < s.size() &&
           (std::isalnum(static_cast<unsigned char>(s[i])) || s[i] == '+' || s[i] == '-' || s[i] == '.'))
        ++i;
    if (i >= s.size() || s[i] != ':' || i < 2)
        return 0;
    return i;
}

bool boIsDrivePath(const std::string& s)
{
    return s.size() >= 3 && std::isalpha(static_cast<unsigned char>(s[0])) && s[1] == ':' &&
           (s[2] == '\\' || s[2] == '/');
}

bool boIsUncPath(const std::string& s)
{
    return s.size() > 2 && s[0] == '\\' && s[1] == '\\';
}

SParts split(const std::string& s)
{
    SParts p;
    std::size_t i = 0;
    const std::size_t n = nSchemeLength(s);
    if (n)
    {
        p.scheme = s.substr(0, n);
        i = n + 1;
    }
    if (s.compare(i, 2, "//") == 0)
    {
        p.hasAuth = true;
        i += 2;
        const std::size_t end = s.find_first_of("/?#", i);
        p.auth = s.substr(i, end == std::string::npos ? std::string::npos : end - i);
        i = end == std::string::npos ? s.size() : end;
    }
    std::size_t end = s.find_first_of("?#", i);
    p.path = s.substr(i, end == std::string::npos ? std::string::npos : end - i);
    i = end == std::string::npos ? s.size() : end;
    if (i < s.size() && s[i] == '?')
    {
        p.hasQuery = true;
        end = s.find('#', i + 1);
        p.query = s.substr(i + 1, end == std::string::npos ? std::string::npos : end - i - 1);
        i = end == std::string::npos ? s.size() : end;
    }
    if (i < s.size() && s[i] == '#')
    {
        p.hasFrag = true;
        p.frag = s.substr(i + 1);
    }
    return p;
}

std::string join(const SParts& p)
{
    std::string s;
    if (!p.scheme.empty())
        s += p.scheme + ":";
    if (p.hasAuth)
        s += "//" + p.auth;
    s += p.path;
    if (p.hasQuery)
        s += "?" + p.query;
    if (p.hasFrag)
        s += "#" + p.frag;
    return s;
}

// RFC 3986 5.2.4.
std::string strRemoveDots(const std::string& path)
{
    std::vector<std::string> out;
    const bool boAbsolute = !path.empty() && path[0] == '/';
    std::size_t i = boAbsolute ? 1 : 0;
    bool boTrailingSlash = false;
    while (i <= path.size())
    {
        std::size_t end = path.find('/', i);
        if (end == std::string::npos)
            end = path.size();
        const std::string seg = path.substr(i, end - i);
        const bool boLast = end == path.size();
        if (seg == ".")
            boTrailingSlash = boLast;
        else if (seg == "..")
        {
            if (!out.empty())
                out.pop_back();
            boTrailingSlash = boLast;
        }
        else
        {
            out.push_back(seg);
            boTrailingSlash = false;
        }
        i = end + 1;
    }
    std::string r = boAbsolute ? "/" : "";
    for (std::size_t k = 0; k < out.size(); ++k)
    {
        if (k)
            r += '/';
        r += out[k];
    }
    if (boTrailingSlash && (r.empty() || r.back() != '/'))
        r += '/';
    return r;
}

std::string strMerge(const SParts& base, const std::string& refPath)
{
    if (base.hasAuth && base.path.empty())
        return "/" + refPath;
    const std::size_t slash = base.path.rfind('/');
    if (slash == std::string::npos)
        return refPath;
    return base.path.substr(0, slash + 1) + refPath;
}

std::string strPercentEncodePath(const std::string& s)
{
    std::string out;
    for (char c : s)
    {
        const unsigned char b = static_cast<unsigned char>(c);
        if (b <= 0x20 || b >= 0x7F || c == '%' || c == '#' || c == '?')
        {
            out += '%';
            FdText::AppendHexByte(out, b, FdText::HexCase::kUpper);
        }
        else
            out += c;
    }
    return out;
}
} // namespace

std::string strSchemeOf(const std::string& url)
{
    const std::size_t n = nSchemeLength(url);
    return n ? strLower(url.substr(0, n)) : std::string();
}

std::string strResolveUrl(const std::string& base, const std::string& ref)
{
    if (boIsDrivePath(ref) || boIsUncPath(ref))
        return strFileUrlFromPath(ref);
    std::string r = ref;
    if (nSchemeLength(r) == 0)
    {
        // A relative reference: backslashes count as slashes up to its query.
        const std::size_t q = r.find_first_of("?#");
        for (std::size_t i = 0; i < r.size() && i < q; ++i)
            if (r[i] == '\\')
                r[i] = '/';
    }
    SParts R = split(r);
    const SParts B = split(base);
    SParts T;
    if (!R.scheme.empty())
    {
        T = R;
        T.path = strRemoveDots(R.path);
        return join(T);
    }
    T.scheme = B.scheme;
    if (R.hasAuth)
    {
        T.hasAuth = true;
        T.auth = R.auth;
        T.path = strRemoveDots(R.path);
        T.hasQuery = R.hasQuery;
        T.query = R.query;
    }
    else
    {
        T.hasAuth = B.hasAuth;
        T.auth = B.auth;
        if (R.path.empty())
        {
            T.path = B.path;
            T.hasQuery = R.hasQuery ? true : B.hasQuery;
            T.query = R.hasQuery ? R.query : B.query;
        }
        else
        {
            T.path = strRemoveDots(R.path[0] == '/' ? R.path : strMerge(B, R.path));
            T.hasQuery = R.hasQuery;
            T.query = R.query;
        }
    }
    T.hasFrag = R.hasFrag;
    T.frag = R.frag;
    return join(T);
}

std::string strStripFragment(const std::string& url)
{
    const std::size_t h = url.find('#');
    return h == std::string::npos ? url : url.substr(0, h);
}

std::string strExtensionOf(const std::string& url)
{
    const SParts p = split(url);
    const std::size_t slash = p.path.rfind('/');
    const std::string seg = slash == std::string::npos ? p.path : p.path.substr(slash + 1);
    const std::size_t dot = seg.rfind('.');
    return dot == std::string::npos ? std::string() : strLower(seg.substr(dot + 1));
}

bool boParseHttpUrl(const std::string& url, SHttpUrl* pUrl, std::string* pError)
{
    if (url.size() > kMaxUrlLength)
    {
        *pError = "address too long";
        return false;
    }
    const SParts p = split(url);
    if (strLower(p.scheme) != "http")
    {
        *pError = "not an http address";
        return false;
    }
    if (!p.hasAuth || p.auth.empty())
    {
        *pError = "no host";
        return false;
    }
    if (p.auth.find('@') != std::string::npos)
    {
        *pError = "user names are not supported";
        return false;
    }
    SHttpUrl u;
    std::string host = p.auth;
    const std::size_t colon = host.find(':');
    if (colon != std::string::npos)
    {
        const std::string port = host.substr(colon + 1);
        host.resize(colon);
        unsigned long n = 0;
        if (port.empty() || port.size() > 5)
        {
            *pError = "bad port";
            return false;
        }
        for (char c : port)
        {
            if (c < '0' || c > '9')
            {
                *pError = "bad port";
                return false;
            }
            n = n * 10 + static_cast<unsigned long>(c - '0');
        }
        if (n == 0 || n > 65535)
        {
            *pError = "bad port";
            return false;
        }
        u.wPort = static_cast<uint16_t>(n);
    }
    if (host.empty())
    {
        *pError = "no host";
        return false;
    }
    for (char c : host)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-')
        {
            *pError = "bad host";
            return false;
        }
    u.strHost = strLower(host);
    u.strTarget = p.path.empty() ? "/" : p.path;
    if (u.strTarget[0] != '/')
        u.strTarget.insert(0, "/");
    if (p.hasQuery)
        u.strTarget += "?" + p.query;
    *pUrl = u;
    return true;
}

bool boIsLoopbackHost(const std::string& host)
{
    if (strLower(host) == "localhost")
        return true;
    int nParts = 0;
    std::size_t i = 0;
    std::string first;
    while (i <= host.size())
    {
        std::size_t end = host.find('.', i);
        if (end == std::string::npos)
            end = host.size();
        const std::string part = host.substr(i, end - i);
        if (part.empty() || part.size() > 3)
            return false;
        unsigned n = 0;
        for (char c : part)
        {
            if (c < '0' || c > '9')
                return false;
            n = n * 10 + static_cast<unsigned>(c - '0');
        }
        if (n > 255)
            return false;
        if (nParts == 0)
            first = part;
        ++nParts;
        i = end + 1;
    }
    return nParts == 4 && first == "127";
}

std::string strFileUrlFromPath(const std::string& path)
{
    std::string p = path;
    for (char& c : p)
        if (c == '\\')
            c = '/';
    if (boIsUncPath(path))
        return "file:" + strPercentEncodePath(p); // "//host/share/..."
    return "file:///" + strPercentEncodePath(p);
}

bool boPercentDecode(const std::string& text, std::string* pOut)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] != '%')
        {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            return false;
        const int hi = FdText::HexDigitValue(text[i + 1]);
        const int lo = FdText::HexDigitValue(text[i + 2]);
        if (hi < 0 || lo < 0)
            return false;
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    *pOut = std::move(out);
    return true;
}

bool boPathFromFileUrl(const std::string& url, std::string* pPath)
{
    const SParts p = split(url);
    if (strLower(p.scheme) != "file")
        return false;
    std::string path;
    if (url.find('\0') != std::string::npos || !boPercentDecode(p.path, &path) ||
        path.find('\0') != std::string::npos)
        return false;
    std::string out;
    const std::string auth = strLower(p.auth);
    if (p.hasAuth && !auth.empty() && auth != "localhost")
        out = "//" + p.auth + path; // a share
    else
    {
        if (!path.empty() && path[0] == '/')
            path.erase(0, 1);
        if (path.size() >= 2 && path[1] == '|')
            path[1] = ':';
        if (!boIsDrivePath(path) && !(path.size() == 2 && path[1] == ':'))
            return false;
        out = path;
    }
    for (char& c : out)
        if (c == '/')
            c = '\\';
    *pPath = out;
    return true;
}
} // namespace FdBrowserHost
