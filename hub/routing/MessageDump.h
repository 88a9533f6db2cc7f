// Texts of the hub's log for whole messages: the dump of a message, and the
// words of a message that no destination wanted.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace HubRouting
{

constexpr uint32_t kDumpBytesPerLine = 16;
// Longest part of a message that one log line shows.
constexpr uint32_t kLostMessageShownBytes = 512;

// One line per 16 bytes: "Addr %04x : " and the 16 characters (bytes below
// 32 as '?', the missing ones of the last line as '.'), then " |" and each
// byte as " %02X".
std::vector<std::string> DumpLines(const uint8_t* lpData, uint32_t ulSize);

// The message as little-endian 16-bit words, each "%04X " (an odd last byte
// is a word of its own), at most kLostMessageShownBytes of it.
std::string LostMessageWords(const uint8_t* lpData, uint32_t ulSize);

} // namespace HubRouting
