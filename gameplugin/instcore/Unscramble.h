#pragma once
// Unscrambling of page parameters marked "scrbl" (agreed with the pages' server).
//
// A scrambled value is a text of hexadecimal digits. The server hex-encodes the
// bytes (high digit first), then scrambles the digits `passes` times; one pass
// adds each digit's position (mod 16) to it and reverses the text. Unscrambling
// runs the passes backwards, then decodes the digit pairs into bytes.
#include <cstddef>
#include <cstdint>
#include <string>

namespace Scramble
{

// Passes above this are refused: a page cannot make the plug-in loop for long.
constexpr int32_t kMaxPasses = 64;

// One pass: reverses the text, then takes each digit's position (mod 16) off it
// (result in upper case). False, text unchanged, when a character is not a digit.
bool boUnscramblePass(std::string& strText);

// Two digits per byte, high digit first. False, text unchanged, on an odd length
// or a character that is not a hexadecimal digit.
bool boDecodePairs(std::string& strText);

// `passes` unscrambling passes, then the pair decoding. False when the passes are
// out of range (1 to kMaxPasses) or the text is not what a server sends.
bool boUnscramble(std::string& strText, int32_t lPasses);

} // namespace Scramble
