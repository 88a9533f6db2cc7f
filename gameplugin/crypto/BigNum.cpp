#include "BigNum.h"

#include "Wipe.h"

namespace FdCrypto
{
namespace
{

constexpr int kLimbBits = 32;

int iLeadingZeros(uint32_t v)
{
    int n = 0;
    for (uint32_t bit = 0x80000000u; bit && !(v & bit); bit >>= 1)
        ++n;
    return n;
}

} // namespace

bool CBigNum::boFromBytes(const uint8_t* bytes, size_t len)
{
    vWipe();
    while (len > 0 && bytes[0] == 0)
    {
        ++bytes;
        --len;
    }
    if (len > kMaxBytes)
        return false;
    for (size_t i = 0; i < len; ++i)
    {
        const size_t fromEnd = len - 1 - i;
        m_limbs[fromEnd / 4] |= static_cast<uint32_t>(bytes[i]) << (8 * (fromEnd % 4));
    }
    m_used = (len + 3) / 4;
    vTrim();
    return true;
}

bool CBigNum::boToBytes(uint8_t* out, size_t len) const
{
    if ((ulBitLength() + 7) / 8 > len)
        return false;
    for (size_t fromEnd = 0; fromEnd < len; ++fromEnd)
    {
        const size_t limb = fromEnd / 4;
        out[len - 1 - fromEnd] =
            limb < m_used ? static_cast<uint8_t>(m_limbs[limb] >> (8 * (fromEnd % 4))) : 0;
    }
    return true;
}

size_t CBigNum::ulBitLength() const
{
    if (m_used == 0)
        return 0;
    return m_used * kLimbBits - static_cast<size_t>(iLeadingZeros(m_limbs[m_used - 1]));
}

void CBigNum::vWipe()
{
    vSecureWipe(m_limbs, sizeof m_limbs);
    m_used = 0;
}

void CBigNum::vTrim()
{
    while (m_used > 0 && m_limbs[m_used - 1] == 0)
        --m_used;
}

int CBigNum::iCompare(const CBigNum& a, const CBigNum& b)
{
    if (a.m_used != b.m_used)
        return a.m_used < b.m_used ? -1 : 1;
    for (size_t i = a.m_used; i-- > 0;)
    {
        if (a.m_limbs[i] != b.m_limbs[i])
            return a.m_limbs[i] < b.m_limbs[i] ? -1 : 1;
    }
    return 0;
}

bool CBigNum::boAdd(CBigNum& r, const CBigNum& a, const CBigNum& b)
{
    const size_t n = a.m_used > b.m_used ? a.m_used : b.m_used;
    CBigNum sum;
    uint64_t carry = 0;
    for (size_t i = 0; i < n; ++i)
    {
        const uint64_t s = static_cast<uint64_t>(i < a.m_used ? a.m_limbs[i] : 0) +
                           (i < b.m_used ? b.m_limbs[i] : 0) + carry;
        sum.m_limbs[i] = static_cast<uint32_t>(s);
        carry = s >> kLimbBits;
    }
    sum.m_used = n;
    if (carry)
    {
        if (n == kMaxLimbs)
            return false;
        sum.m_limbs[n] = static_cast<uint32_t>(carry);
        sum.m_used = n + 1;
    }
    r = sum;
    return true;
}

void CBigNum::vSub(CBigNum& r, const CBigNum& a, const CBigNum& b)
{
    CBigNum diff;
    uint32_t borrow = 0;
    for (size_t i = 0; i < a.m_used; ++i)
    {
        const uint64_t sub = static_cast<uint64_t>(i < b.m_used ? b.m_limbs[i] : 0) + borrow;
        const uint32_t limb = a.m_limbs[i];
        diff.m_limbs[i] = static_cast<uint32_t>(limb - sub);
        borrow = limb < sub ? 1 : 0;
    }
    diff.m_used = a.m_used;
    diff.vTrim();
    r = diff;
}

bool CBigNum::boMul(CBigNum& r, const CBigNum& a, const CBigNum& b)
{
    if (a.m_used == 0 || b.m_used == 0)
    {
        r.vWipe();
        return true;
    }
    if (a.m_used + b.m_used > kMaxLimbs)
        return false;
    CBigNum product;
    for (size_t i = 0; i < a.m_used; ++i)
    {
        uint64_t carry = 0;
        for (size_t j = 0; j < b.m_used; ++j)
        {
            const uint64_t t =
                static_cast<uint64_t>(a.m_limbs[i]) * b.m_limbs[j] + product.m_limbs[i + j] + carry;
            product.m_limbs[i + j] = static_cast<uint32_t>(t);
            carry = t >> kLimbBits;
        }
        product.m_limbs[i + b.m_used] = static_cast<uint32_t>(carry);
    }
    product.m_used = a.m_used + b.m_used;
    product.vTrim();
    r = product;
    return true;
}

// Long division keeping only the remainder (Knuth, TAOCP vol. 2, 4.3.1, algorithm D).
bool CBigNum::boMod(CBigNum& r, const CBigNum& a, const CBigNum& m)
{
    if (m.m_used == 0)
        return false;
    if (iCompare(a, m) < 0)
    {
        r = a;
        return true;
    }
    const size_t n = m.m_used;
    if (n == 1)
    {
        uint64_t rem = 0;
        for (size_t i = a.m_used; i-- > 0;)
            rem = ((rem << kLimbBits) | a.m_limbs[i]) % m.m_limbs[0];
        r.vWipe();
        r.m_limbs[0] = static_cast<uint32_t>(rem);
        r.m_used = 1;
        r.vTrim();
        return true;
    }

    // Normalise so that the divisor's top limb has its high bit set; the dividend
    // gets one extra limb for the bits shifted out.
    const int shift = iLeadingZeros(m.m_limbs[n - 1]);
    const size_t len = a.m_used;
    uint32_t vn[kMaxLimbs] = {};
    uint32_t un[kMaxLimbs + 1] = {};
    for (size_t i = n; i-- > 0;)
        vn[i] = (m.m_limbs[i] << shift) | (shift && i > 0 ? m.m_limbs[i - 1] >> (kLimbBits - shift) : 0);
    un[len] = shift ? a.m_limbs[len - 1] >> (kLimbBits - shift) : 0;
    for (size_t i = len; i-- > 0;)
        un[i] = (a.m_limbs[i] << shift) | (shift && i > 0 ? a.m_limbs[i - 1] >> (kLimbBits - shift) : 0);

    constexpr uint64_t kBase = 1ull << kLimbBits;
    for (size_t j = len - n + 1; j-- > 0;)
    {
        // Estimate the quotient digit from the top two limbs and correct it at most twice.
        const uint64_t num = (static_cast<uint64_t>(un[j + n]) << kLimbBits) | un[j + n - 1];
        uint64_t qhat = num / vn[n - 1];
        uint64_t rhat = num % vn[n - 1];
        while (qhat >= kBase || qhat * vn[n - 2] > ((rhat << kLimbBits) | un[j + n - 2]))
        {
            --qhat;
            rhat += vn[n - 1];
            if (rhat >= kBase)
                break;
        }
        // Subtract qhat times the divisor.
        uint64_t borrow = 0;
        for (size_t i = 0; i < n; ++i)
        {
            const uint64_t p = qhat * vn[i] + borrow;
            const uint32_t low = static_cast<uint32_t>(p);
            borrow = p >> kLimbBits;
            if (un[i + j] < low)
                ++borrow;
            un[i + j] -= low;
        }
        const bool negative = un[j + n] < borrow;
        un[j + n] = static_cast<uint32_t>(un[j + n] - borrow);
        if (negative)
        {
            // The estimate was one too large: add the divisor back.
            uint64_t carry = 0;
            for (size_t i = 0; i < n; ++i)
            {
                const uint64_t s = static_cast<uint64_t>(un[i + j]) + vn[i] + carry;
                un[i + j] = static_cast<uint32_t>(s);
                carry = s >> kLimbBits;
            }
            un[j + n] = static_cast<uint32_t>(un[j + n] + carry);
        }
    }

    r.vWipe();
    for (size_t i = 0; i < n; ++i)
        r.m_limbs[i] = (un[i] >> shift) | (shift ? un[i + 1] << (kLimbBits - shift) : 0);
    r.m_used = n;
    r.vTrim();
    vSecureWipe(un, sizeof un);
    vSecureWipe(vn, sizeof vn);
    return true;
}

bool CBigNum::boModExp(CBigNum& r, const CBigNum& base, const CBigNum& exp, const CBigNum& m)
{
    if (m.m_used == 0 || 2 * m.m_used > kMaxLimbs)
        return false;
    CBigNum acc;
    CBigNum b;
    CBigNum t;
    boMod(b, base, m);
    acc.m_limbs[0] = 1;
    acc.m_used = 1;
    boMod(acc, acc, m); // a modulus of 1 gives 0
    // Left to right over the exponent's bits.
    for (size_t bit = exp.ulBitLength(); bit-- > 0;)
    {
        boMul(t, acc, acc);
        boMod(acc, t, m);
        if ((exp.m_limbs[bit / kLimbBits] >> (bit % kLimbBits)) & 1u)
        {
            boMul(t, acc, b);
            boMod(acc, t, m);
        }
    }
    r = acc;
    return true;
}

} // namespace FdCrypto
