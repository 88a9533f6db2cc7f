#pragma once
// The suite's own error codes and their texts. A code whose two top bits are not
// both clear and whose category field (bits 18 to 27) is 16 or more belongs to
// the suite: category index = field - 16 (0 to 4), text number = low 16 bits.
#include <cstddef>
#include <cstdint>

constexpr uint32_t kSuiteErrorCategories = 5;
constexpr uint32_t kSuiteCategoryBase = 16;

// True when the code is one of the suite's own (then, unless size is 0, the
// buffer holds its text, or the text saying that its number or category is not
// valid). False for every other code, which the system's message table describes.
bool boGetSuiteErrorText(uint32_t dwCode, char* lpszBuffer, size_t ulSize);
