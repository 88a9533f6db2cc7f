// One line of the browser host's log: a kind followed by key=value fields,
// separated by tabs. Values are escaped so that a line never holds a tab,
// a line break or another control byte:
//   \\  \t  \n  \r  and \xHH for the other bytes below 0x20 and 0x7F.
// Bytes from 0x80 up (the programs' ANSI text) are written as they are.
// Keys are letters, digits and '_'; a key may repeat (argn/argv pairs).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace FdBrowserHost
{
struct SLogLine
{
    std::string strKind;
    std::vector<std::pair<std::string, std::string>> fields; // in order

    SLogLine() = default;
    explicit SLogLine(std::string kind) : strKind(std::move(kind)) {}

    SLogLine& add(const std::string& key, const std::string& value);
    SLogLine& add(const std::string& key, const char* value); // null: the field is left out
    SLogLine& addInt(const std::string& key, int64_t value);
    SLogLine& addHex(const std::string& key, uint32_t value); // "0x%08X"

    // The first value of key, or null.
    const std::string* pFind(const std::string& key) const;
    // The first value of key, or def.
    std::string strGet(const std::string& key, const std::string& def = std::string()) const;
    // Every value of key, in order.
    std::vector<std::string> all(const std::string& key) const;
};

std::string strEscapeLogValue(const std::string& value);
// False on a dangling backslash or a bad \x escape.
bool boUnescapeLogValue(const std::string& text, std::string* pValue);

// The line without its line break.
std::string strFormatLogLine(const SLogLine& line);
// Reads one line (a trailing "\r" is ignored). False when a field has no
// "=", a key is empty or holds another character than letters, digits and
// '_', or a value is badly escaped.
bool boParseLogLine(const std::string& text, SLogLine* pLine);
// Every well-formed line of a whole log; the malformed ones are counted.
std::vector<SLogLine> parseLog(const std::string& text, std::size_t* pnBad = nullptr);
} // namespace FdBrowserHost
