#pragma once
// Readers of the colour and font texts that pages put into the plug-in's
// attributes.
#include <cstddef>
#include <cstdint>

// "#RRGGBB" gives a Windows colour value (red in the low byte); any other text
// is read as a decimal number. Digits missing after "#" count as 0.
uint32_t dwParseColour(const char* lpszText);

// Hexadecimal digits read from the end of text[0, length) backwards (stopping
// at a NUL), each weighing 16 times the one after it; a byte that is not a
// hexadecimal digit counts as 0. Empty or null gives 0.
uint32_t dwParseHex(const char* lpszText, size_t ulLength);

// A font text "face;first;second;third".
struct CFontTextRecord
{
    static constexpr size_t kFaceMax = 128;
    char szFace[kFaceMax + 1];
    int32_t lFirst;
    int32_t lSecond;
    int32_t lThird;
};

// Fills the record from a font text (face cut to 128 characters, three decimal
// numbers). A text with fewer than three ";" leaves the record unchanged.
void vParseFontText(const char* lpszText, CFontTextRecord* lpRecord);
