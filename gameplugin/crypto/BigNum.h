#pragma once
// Unsigned multiprecision numbers of at most 1024 bits: what the RSA step needs for
// moduli of up to 512 bits (products of two 512-bit numbers included).
#include <cstddef>
#include <cstdint>

namespace FdCrypto
{

class CBigNum
{
public:
    static constexpr size_t kMaxLimbs = 33; // 32-bit limbs: 1024 bits and one spare
    static constexpr size_t kMaxBytes = 128;

    CBigNum() = default;
    CBigNum(const CBigNum&) = default;
    CBigNum& operator=(const CBigNum&) = default;
    ~CBigNum() { vWipe(); }

    // Reads a big-endian number; false (and zero) when it exceeds kMaxBytes significant bytes.
    bool boFromBytes(const uint8_t* bytes, size_t len);
    // Writes the number right-aligned into `len` big-endian bytes; false when it does not fit.
    bool boToBytes(uint8_t* out, size_t len) const;

    bool boIsZero() const { return m_used == 0; }
    size_t ulBitLength() const;
    void vWipe();

    // r = a + b; false on overflow of the capacity.
    static bool boAdd(CBigNum& r, const CBigNum& a, const CBigNum& b);
    // r = a - b, with a >= b.
    static void vSub(CBigNum& r, const CBigNum& a, const CBigNum& b);
    // r = a * b; false on overflow of the capacity.
    static bool boMul(CBigNum& r, const CBigNum& a, const CBigNum& b);
    // r = a mod m; false when m is zero.
    static bool boMod(CBigNum& r, const CBigNum& a, const CBigNum& m);
    // r = base^exp mod m; false when m is zero or above half the capacity.
    static bool boModExp(CBigNum& r, const CBigNum& base, const CBigNum& exp, const CBigNum& m);
    static int iCompare(const CBigNum& a, const CBigNum& b);

private:
    void vTrim();

    uint32_t m_limbs[kMaxLimbs] = {}; // least significant first
    size_t m_used = 0;                // limbs in use; the top one is not zero
};

} // namespace FdCrypto
