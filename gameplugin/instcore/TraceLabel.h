#pragma once
// The label that the plug-in's trace lines show in brackets for an instance: its
// name cut to 12 characters (or "NONAME"), "_" and the instance's identity in
// eight hexadecimal digits, padded with blanks to 21 characters.
#include <cstddef>
#include <cstdint>

namespace TraceLabel
{

constexpr size_t kLabelLength = 21;
constexpr size_t kNameMax = 12;
constexpr const char* kszNoName = "NONAME";

// lpszOut has room for kLabelLength + 1 characters.
void vBuild(char* lpszOut, const char* lpszName, uint32_t dwIdentity);

} // namespace TraceLabel
