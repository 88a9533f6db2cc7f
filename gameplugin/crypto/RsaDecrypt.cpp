#include "RsaDecrypt.h"

#include "BigNum.h"
#include "Wipe.h"

namespace FdCrypto
{
namespace
{

constexpr uint8_t kBlockType = 0x02;
constexpr size_t kMinPadding = 8;
constexpr size_t kBlockOverhead = 3 + kMinPadding; // 00, type, padding, 00

struct SBlock
{
    uint8_t bytes[kMaxModulusLen] = {};
    ~SBlock() { vSecureWipe(bytes, sizeof bytes); }
};

// m = c^d mod n from p, q, dP, dQ and qInv.
bool boCrtPower(CBigNum& m, const CBigNum& c, const CKeyRecord& key)
{
    CBigNum p, q, dP, dQ, qInv;
    p.boFromBytes(key.lpField(kOffPrime1), kPrimeLen);
    q.boFromBytes(key.lpField(kOffPrime2), kPrimeLen);
    dP.boFromBytes(key.lpField(kOffExponent1), kPrimeLen);
    dQ.boFromBytes(key.lpField(kOffExponent2), kPrimeLen);
    qInv.boFromBytes(key.lpField(kOffCoefficient), kPrimeLen);
    if (p.boIsZero() || q.boIsZero())
        return false;

    CBigNum m1, m2, t;
    CBigNum::boMod(t, c, p);
    CBigNum::boModExp(m1, t, dP, p);
    CBigNum::boMod(t, c, q);
    CBigNum::boModExp(m2, t, dQ, q);

    // h = qInv (m1 - m2) mod p. m2 is reduced mod p first so that the difference
    // stays in range when q is the larger prime.
    CBigNum m2p, diff, h;
    CBigNum::boMod(m2p, m2, p);
    if (CBigNum::iCompare(m1, m2p) >= 0)
    {
        CBigNum::vSub(diff, m1, m2p);
    }
    else
    {
        CBigNum::vSub(t, m2p, m1);
        CBigNum::vSub(diff, p, t);
    }
    CBigNum::boMul(t, qInv, diff);
    CBigNum::boMod(h, t, p);
    CBigNum::boMul(t, h, q);
    return CBigNum::boAdd(m, m2, t);
}

} // namespace

bool boRsaPrivateDecrypt(uint8_t* out, size_t* outLen, const uint8_t* in, size_t inLen, const CKeyRecord& key)
{
    *outLen = 0;
    const uint32_t bits = key.dwModulusBits();
    if (bits == 0 || bits > kMaxModulusBits)
        return false;
    const size_t k = (bits + 7) / 8;
    if (inLen > k)
        return false;

    CBigNum c, n, m;
    c.boFromBytes(in, inLen);
    n.boFromBytes(key.lpField(kOffModulus), kMaxModulusLen);
    if (CBigNum::iCompare(c, n) >= 0)
        return false;

    SBlock block;
    // A record whose primes do not match its modulus can give a result wider
    // than the block: refused like any other bad block.
    if (!boCrtPower(m, c, key) || !m.boToBytes(block.bytes, k))
        return false;
    if (k < kBlockOverhead || block.bytes[0] != 0x00 || block.bytes[1] != kBlockType)
        return false;

    size_t sep = 2;
    while (sep <= k - 2 && block.bytes[sep] != 0x00)
        ++sep;
    if (sep > k - 2)
        return false;
    const size_t dataLen = k - sep - 1;
    if (dataLen + kBlockOverhead > k)
        return false;
    for (size_t i = 0; i < dataLen; ++i)
        out[i] = block.bytes[sep + 1 + i];
    *outLen = dataLen;
    return true;
}

} // namespace FdCrypto
