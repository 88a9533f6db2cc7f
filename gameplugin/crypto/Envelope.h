#pragma once
// Opening of an encrypted parameter or file, read from its end:
//
//   content | encrypted session key (K bytes) | K | IV (8) | filler (R bytes) | R | flag | letter
//
// K and R are little-endian 32-bit. The letter picks the algorithm; a flag "A" says
// that everything before the last two bytes is base64 text.
#include "KeyRecord.h"
#include "SecurityStatus.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace FdCrypto
{

constexpr size_t kTrailerSize = 2;     // flag and letter
constexpr size_t kLengthFieldSize = 4; // R and K
constexpr size_t kIvSize = 8;
constexpr size_t kFixedTail = 2 * kLengthFieldSize + kIvSize; // R, IV and K
constexpr uint8_t kBase64Flag = 'A';

// Opens `size` bytes with `key` into `plain` (replaced). On failure `plain` is empty and
// the status carries 5154 (base64), 5159 (session key), 5161 (padding) or 5162 (a length
// that does not fit, short inputs included).
CSecurityStatus OpenEnvelope(const uint8_t* data, size_t size, const CKeyRecord& key,
                             std::vector<uint8_t>& plain);

// Decodes a page's base64 key text into `record`, which changes only on success:
// 5154 when the text is not base64 or does not decode to exactly one record.
CSecurityStatus DecodeKeyText(const char* text, size_t len, CKeyRecord& record);

// "Code d'erreur lib cryptage:%ld" with a toolkit code.
std::string FormatLibError(long libCode);

} // namespace FdCrypto
