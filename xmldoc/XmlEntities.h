// Entity references of the XML library: the table and the two conversions.
#pragma once

#include <cstddef>
#include <string>

#include "StringExt.h"

struct CXmlEntity
{
    const char* name; // at most kMaxEntityNameLength characters
    const char* replacement;
    const char* upperReplacement; // for a reference whose name starts with a capital
    bool escape;                  // XmlFormatString writes this character as a reference
};

constexpr size_t kXmlEntityCount = 35;
constexpr size_t kMaxEntityNameLength = 14;
// "&", name or "#number", ";": the longest reference that is looked up.
constexpr size_t kMaxEntityReferenceLength = 15;
// Character references above this stay as written (the text is 8-bit).
constexpr unsigned kMaxCharacterReference = 255;
// Character references up to this one stay as written.
constexpr unsigned kMinCharacterReferenceExclusive = 6;

const CXmlEntity* XmlEntityTable(); // kXmlEntityCount records

// Decodes "&name;" (table lookup, case-insensitive; a capital first letter takes the
// upper-case replacement) and "&#N;" (7 <= N <= 255). Unknown references stay.
CStringExt XmlUnformatString(const std::string& text);
// Writes < > A0 & " ' as "&lt;" "&gt;" "&nbsp;" "&amp;" "&quot;" "&apos;".
CStringExt XmlFormatString(const std::string& text);
