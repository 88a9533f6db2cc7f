// The tag table: each known tag's name, whether it stands alone (no end tag)
// and the element class the parser creates for it.
#pragma once

#include <cstdint>
#include <string>

struct CHtmlRuntimeClass;

struct HtmlTagRow
{
    char name[52];
    int32_t noEndTag;
    const CHtmlRuntimeClass* elementClass;
};

constexpr int kHtmlTagCount = 48;
// Row 0 (GENERIC_TAG) gives the class of unknown tags, row 1 (NOTAG) that of text runs.
extern const HtmlTagRow HtmlTagTable[kHtmlTagCount];

// The row of a tag name (compared without regard to case), or nullptr.
const HtmlTagRow* HtmlFindTagRow(const std::string& name);
