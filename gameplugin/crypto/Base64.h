#pragma once
// Decoding of the printable encoding (RFC 1421 base64) used by envelopes and key texts.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace FdCrypto
{

// Decodes `len` characters of `text` into `out` (replaced). Returns kLibOk, or
// kLibBadEncoding when the length is not a multiple of 4, a character is outside the
// alphabet, or "=" stands anywhere but as padding at the end ("xy==" or "xyz=").
long lBase64Decode(const char* text, size_t len, std::vector<uint8_t>& out);

} // namespace FdCrypto
