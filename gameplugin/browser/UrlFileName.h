#pragma once
// The name under which a downloaded address is stored in the install folder.
#include <cstddef>
#include <string>

namespace UrlFileName
{
constexpr size_t kNameMax = 128; // longer names are not used

// The address's last "/" segment without query ("?") or fragment ("#"), when it
// is a plain file name: no path separator, drive colon, wildcard, quote, angle
// bracket, pipe or control byte, not "." or "..", no device name (CON, NUL,
// COM1...), no trailing dot or blank, at most kNameMax bytes. Empty otherwise:
// the caller then makes a temporary name.
std::string strFromUrl(const char* lpszUrl);
} // namespace UrlFileName
