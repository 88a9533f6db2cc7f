#pragma once
// PKCS #1 v1.5 decryption (block type 2) with the private key, by the Chinese
// remainder theorem. Used only to recover a session key.
#include "KeyRecord.h"

#include <cstddef>
#include <cstdint>

namespace FdCrypto
{

// Decrypts `inLen` bytes into `out` (room: kMaxModulusLen bytes) and sets `*outLen`.
// False when the record is unusable (modulus of 0 or above 512 bits, a zero prime),
// the input is longer than the modulus or not below it, or the block is not
// 00 02, at least eight non-zero padding bytes, 00, data.
bool boRsaPrivateDecrypt(uint8_t* out, size_t* outLen, const uint8_t* in, size_t inLen,
                         const CKeyRecord& key);

} // namespace FdCrypto
