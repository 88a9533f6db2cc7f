// The size of an EMBED or OBJECT from its width and height attributes.
#pragma once

#include <cstdint>
#include <string>

namespace FdBrowserHost
{
constexpr uint32_t kDefaultElementWidth = 240;
constexpr uint32_t kDefaultElementHeight = 200;
constexpr uint32_t kMaxElementSide = 4096;

// "300" and "300px" are pixels, "50%" a share of dwAvailable; an absent or
// unreadable value gives dwDefault. The result is at most kMaxElementSide.
uint32_t dwElementLength(const std::string* pValue, uint32_t dwDefault, uint32_t dwAvailable);
} // namespace FdBrowserHost
