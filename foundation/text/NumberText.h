// Number texts: the number test, range checks and atoi-like reading.
#pragma once

#include <cstdint>
#include <string>

// True for the empty text and for digits with an optional leading '+' or '-' and at
// most one '.'; "+", "-" and "." alone count as numbers.
bool IsNumberText(const std::string& text);

// Range check of value between lower and upper (empty bound = no limit). Numeric when
// forceText is off and forceNumeric is on or both bounds are number texts; otherwise a
// case-insensitive text comparison.
bool IsValueInRange(const std::string& value, const std::string& lower, bool lowerInclusive,
                    const std::string& upper, bool upperInclusive, bool forceNumeric, bool forceText);

// atoi's reading (leading white space, sign, digits up to the first other character,
// 0 when there are none) without its undefined overflow: out-of-range values saturate.
int32_t TextToInt32(const char* text);
// atof's reading in the C locale: 0 for a text that does not begin with a number.
double TextToDouble(const char* text);
