#pragma once
// The 364-byte private-key record as kept in the registry ("Key0", "Key1").
//
//   offset size field
//        0    2 modulus length in bits, little-endian (the byte order of the
//               x86 memory image that the records were first stored from)
//        2   64 modulus n            130  64 private exponent
//       66   64 public exponent      194  32 prime p         226 32 prime q
//      258   32 dP = d mod (p-1)     290  32 dQ = d mod (q-1)
//      322   32 qInv = q^-1 mod p    354  10 not used
//
// Every number is big-endian and right-aligned in its field.
#include <array>
#include <cstddef>
#include <cstdint>

namespace FdCrypto
{

constexpr size_t kKeyRecordSize = 364;
constexpr size_t kMaxModulusBits = 512;
constexpr size_t kMaxModulusLen = 64; // bytes; also the largest RSA block
constexpr size_t kPrimeLen = 32;

constexpr size_t kOffBits = 0;
constexpr size_t kOffModulus = 2;
constexpr size_t kOffPublicExponent = 66;
constexpr size_t kOffPrivateExponent = 130;
constexpr size_t kOffPrime1 = 194;
constexpr size_t kOffPrime2 = 226;
constexpr size_t kOffExponent1 = 258;
constexpr size_t kOffExponent2 = 290;
constexpr size_t kOffCoefficient = 322;

struct CKeyRecord
{
    std::array<uint8_t, kKeyRecordSize> bytes{};

    uint32_t dwModulusBits() const
    {
        return bytes[kOffBits] | static_cast<uint32_t>(bytes[kOffBits + 1]) << 8;
    }
    const uint8_t* lpField(size_t offset) const { return bytes.data() + offset; }
};

} // namespace FdCrypto
