// Case rules on the programs' 8-bit text, one family per meaning:
//  - Ascii: only 'A'-'Z' and 'a'-'z' change case, every other byte (0x80-0xFF
//    included) is itself; the rule of the C locale, for protocol words, tags,
//    names and file endings.
//  - Cp1252: the ASCII letters and the accented letters of code page 1252 fold
//    together (À..Þ except ×, Š Œ Ž Ÿ), for texts shown to people.
// Embedded NUL bytes are ordinary bytes in the string_view functions.
#pragma once

#include <string_view>

namespace FdText
{

char AsciiToLower(char c);
char AsciiToUpper(char c);
// <0, 0 or >0 like _stricmp: the difference of the first differing bytes after
// lower-casing, as unsigned values; a proper prefix sorts first (-1 or 1).
int CompareAsciiNoCase(std::string_view a, std::string_view b);
bool EqualsAsciiNoCase(std::string_view a, std::string_view b);
bool StartsWithAsciiNoCase(std::string_view text, std::string_view prefix);
bool EndsWithAsciiNoCase(std::string_view text, std::string_view end);

unsigned char Cp1252ToLower(unsigned char c);
// Two NUL-terminated texts after code page 1252 folding: -1, 0 or 1; a null
// pointer sorts before any text and equals another null pointer.
int CompareCp1252NoCase(const char* a, const char* b);
bool EqualsCp1252NoCase(std::string_view a, std::string_view b);

} // namespace FdText
