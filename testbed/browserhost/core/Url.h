// Addresses as the browser host uses them: resolving a reference against a
// document's address, http addresses on loopback, and file addresses for
// local pages ("file:///C:/dir/page.htm" <-> "C:\dir\page.htm").
#pragma once

#include <cstdint>
#include <string>

namespace FdBrowserHost
{
constexpr std::size_t kMaxUrlLength = 8192;

struct SHttpUrl
{
    std::string strHost; // as written, lower-cased
    uint16_t wPort = 80;
    std::string strTarget; // path and query, starts with "/"; no fragment
};

// The scheme in lower case ("http", "file", "about"...), or "" when the
// text has none. A single letter before ':' is a drive, not a scheme.
std::string strSchemeOf(const std::string& url);

// The reference resolved against base (RFC 3986, with "." and ".."
// removed). Windows paths ("C:\x", "\\host\share\x") become file
// addresses; backslashes in a relative reference count as slashes.
std::string strResolveUrl(const std::string& base, const std::string& ref);

// The address without its "#fragment".
std::string strStripFragment(const std::string& url);

// The extension of the address's last path segment, lower-cased, without
// its dot ("" when none).
std::string strExtensionOf(const std::string& url);

// An http address: host, port (1-65535, default 80), target. False with a
// reason for another scheme, a user name, a bad port or host, or an
// address above kMaxUrlLength.
bool boParseHttpUrl(const std::string& url, SHttpUrl* pUrl, std::string* pError);

// "localhost" or an IPv4 address 127.x.y.z.
bool boIsLoopbackHost(const std::string& host);

// "C:\a b\c.htm" -> "file:///C:/a%20b/c.htm"; "\\h\s\x" -> "file://h/s/x".
std::string strFileUrlFromPath(const std::string& path);
// The reverse; false when the address is not a file address of a drive or
// a share, or decodes to a NUL byte.
bool boPathFromFileUrl(const std::string& url, std::string* pPath);

// "%HH" sequences decoded; false on a bad sequence.
bool boPercentDecode(const std::string& text, std::string* pOut);
} // namespace FdBrowserHost
