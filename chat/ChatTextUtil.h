// The chat's text utilities on ANSI byte strings: substrings and searches, URL
// domain and encoding, wildcard match, and the program's light scrambler with
// its byte codecs, checksums and the two protected codecs built on them.
// Every function returns a new string unless it says "in place".
#pragma once

#include <string>

namespace ChatText
{

// ASCII letters compared without regard to case.
bool boEqualNoCase(const std::string& a, const std::string& b);
bool boStartsNoCase(const std::string& text, const std::string& prefix);

// The part of `text` from `start` holding `count` characters (-1: to the end);
// empty when start is negative or outside the text.
std::string strSubstring(const std::string& text, long start, long count);
// Start 0 searches the whole text; start > 0 searches from start + 1 on. The
// position is in the whole text; -1 for a negative start or no match.
long lFindAfter(const std::string& text, const std::string& searched, long start);

// Upper-cased host, or its last two names without `wholeHost` (numeric hosts
// stay whole); empty for relative, file and malformed addresses.
std::string strUrlDomain(const std::string& url, bool wholeHost);
// Letters and digits kept, blank to '+', every other byte "%xx".
std::string strUrlEncode(const std::string& text);
// Case-insensitive; the first '*' is a wildcard, later ones are plain.
bool boWildcardMatch(const std::string& text, const std::string& pattern);

// Letters and digits XORed with the key's bytes shifted right by 3; a byte
// stays when it or its result is no letter or digit. Its own inverse.
std::string strScramble(const std::string& text, const std::string& key);
// In place: bytes from 32 up move by `amount`, wrapping inside 32..255.
void vShift(std::string& text, int amount);
// In place: bytes from 32 up mirrored inside their block of 32. Its own inverse.
void vMirror(std::string& text);
// Sum of the bytes as "%04x" (16 bits) or "%02x" (8 bits).
std::string strChecksum16(const std::string& text);
std::string strChecksum8(const std::string& text);

// The run-time key: the 10-letter constant scrambled with the 4-letter one.
std::string strDerivedKey();
// The 7-character constant of the protected codecs.
const std::string& strSevenConstant();

// Protected value with two 16-bit checksums under a name and a key (empty
// key: the derived key). Decode answers false and leaves the value unchanged
// when either checksum fails.
void vProtect16(std::string& value, const std::string& name, const std::string& key);
bool boUnprotect16(std::string& value, const std::string& name, const std::string& key);

// A text carrying a number (at most 4 characters once written, such as a
// version 4.38 or -1.0) with an 8-bit checksum; an empty key means the
// 7-character constant. Decode answers false and leaves value and number
// unchanged on failure.
std::string strProtect8(const std::string& text, const std::string& key, double number);
bool boUnprotect8(std::string& value, const std::string& key, double& number);
// The number as the 8-bit codec writes it: "%.2f", trailing zeros dropped,
// then '0' appended up to 4 characters.
std::string strNumberText(double number);

} // namespace ChatText
