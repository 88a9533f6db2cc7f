// Text services of the renderer: the entity table and its codec, white-space
// normalisation of element contents, and the block/string conversions through
// which a handler reads a tag's content and hands back its replacement.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "HtmlMemBlock.h"

struct HtmlEntityRow
{
    const char* name;
    const char* lowerValue;
    const char* upperValue;
    int32_t encode;
};

constexpr int kHtmlEntityCount = 35;
extern const HtmlEntityRow HtmlEntityTable[kHtmlEntityCount];

// Longest reference the decoders look at: '&', 14 more characters, ';'.
constexpr size_t kMaxEntityReference = 16;

// One reference "&name;" or "&#n;": its value, or "" when it isn't one.
// Named references give the upper-case value when the character after '&'
// is below 'a', else the lower-case one.
std::string HtmlDecodeEntity(const std::string& reference);
// Every decodable reference of the text replaced by its value.
std::string HtmlDecodeEntities(const std::string& text);
// '<', '>', 0xA0, '&', '"' and '\'' written as references.
std::string HtmlEncodeEntities(const std::string& text);
// Tab, CR and LF become spaces, runs of spaces shrink to one, references are
// decoded. Replaces the block and its length; 1, or 0 (nothing changed) when
// no block can be allocated.
int32_t HtmlNormalizeText(HtmlMemBlock* block, uint32_t* length);

// The block's first length bytes ("" for a null block or a length of 0).
std::string HtmlBlockToString(HtmlMemBlock block, uint32_t length);
// For a non-empty text: frees *block, puts the text in a new block and
// returns its length; else (or when no block can be allocated) returns the default.
int32_t HtmlStringToBlock(const std::string& text, HtmlMemBlock* block, int32_t defaultResult);

// ASCII helpers shared by the parser and the attribute readers.
std::string HtmlUpper(std::string text);
std::string HtmlLower(std::string text);
bool HtmlIsSpace(char c); // space, tab, CR, LF, vertical tab, form feed
std::string HtmlTrim(const std::string& text);
std::string HtmlTrimLeft(const std::string& text);
std::string HtmlTrimRight(const std::string& text);
bool HtmlEqualNoCase(const std::string& a, const std::string& b);
// atoi's reading: optional blanks and sign, then digits; 0 when none; saturates.
int32_t HtmlAtoi(const std::string& text);
// Lengths, sizes and counts that attributes give are kept within these, far
// beyond any real page, so that the layout's sums of them stay in 32 bits.
constexpr int32_t kHtmlMaxLength = 100000;   // pixels, characters, rows, percents
constexpr int32_t kHtmlMaxFontHeight = 1000; // pixels
// HtmlAtoi's value brought within [low, high].
int32_t HtmlAtoiClamped(const std::string& text, int32_t low, int32_t high);
// The same within [-kHtmlMaxLength, kHtmlMaxLength].
int32_t HtmlAtoiLength(const std::string& text);
