// Free functions on CStringExt texts: case rules, patterns, URL encoding, replacing.
// Case rules are ASCII-only (TextCase.h): only 'a'-'z' and 'A'-'Z' change case.
#pragma once

#include <cstdint>
#include <string>

#include "StringExt.h"

// White space as isspace() sees it in the C locale.
bool IsSpaceChar(char c);
char ToUpperAscii(char c);
char ToLowerAscii(char c);
// <0, 0 or >0 like _stricmp: bytes compared after lower-casing, as unsigned values.
int CompareNoCase(const std::string& a, const std::string& b);
bool EqualsNoCase(const std::string& a, const std::string& b);
// Copy with white space removed on both sides.
CStringExt TrimmedCopy(const std::string& text);

// True when value fits pattern: an empty value or pattern fits; a pattern without '*'
// must equal the value ignoring case; otherwise the text before the first '*' must begin
// the value and the text after it must end the value, without overlapping.
bool StrMatchesPattern(CStringExt value, CStringExt pattern);

// Letters and digits stay, a blank becomes '+', every other byte "%xx" (lower-case hex).
CStringExt UrlEncode(const std::string& text);
CStringExt SlashesToBackslashes(const std::string& path);
CStringExt BackslashesToSlashes(const std::string& path);

// Replaces every occurrence of find, in place; the search resumes behind each inserted
// replacement. Null arguments or an empty find change nothing.
void ReplaceAll(CStringExt& text, const char* find, const char* replacement);

// count -1 takes the rest; a start outside the text gives the empty string.
CStringExt Substring(const std::string& text, int32_t start, int32_t count);
