#include "Des.h"

#include "Wipe.h"

#include <array>

namespace FdCrypto
{
namespace
{

// Tables of FIPS 46-3; bit 1 is the most significant bit of its word.
// clang-format off
constexpr uint8_t kSBoxes[8][4][16] = {
    {{14, 4, 13, 1, 2, 15, 11, 8, 3, 10, 6, 12, 5, 9, 0, 7},
     {0, 15, 7, 4, 14, 2, 13, 1, 10, 6, 12, 11, 9, 5, 3, 8},
     {4, 1, 14, 8, 13, 6, 2, 11, 15, 12, 9, 7, 3, 10, 5, 0},
     {15, 12, 8, 2, 4, 9, 1, 7, 5, 11, 3, 14, 10, 0, 6, 13}},
    {{15, 1, 8, 14, 6, 11, 3, 4, 9, 7, 2, 13, 12, 0, 5, 10},
     {3, 13, 4, 7, 15, 2, 8, 14, 12, 0, 1, 10, 6, 9, 11, 5},
     {0, 14, 7, 11, 10, 4, 13, 1, 5, 8, 12, 6, 9, 3, 2, 15},
     {13, 8, 10, 1, 3, 15, 4, 2, 11, 6, 7, 12, 0, 5, 14, 9}},
    {{10, 0, 9, 14, 6, 3, 15, 5, 1, 13, 12, 7, 11, 4, 2, 8},
     {13, 7, 0, 9, 3, 4, 6, 10, 2, 8, 5, 14, 12, 11, 15, 1},
     {13, 6, 4, 9, 8, 15, 3, 0, 11, 1, 2, 12, 5, 10, 14, 7},
     {1, 10, 13, 0, 6, 9, 8, 7, 4, 15, 14, 3, 11, 5, 2, 12}},
    {{7, 13, 14, 3, 0, 6, 9, 10, 1, 2, 8, 5, 11, 12, 4, 15},
     {13, 8, 11, 5, 6, 15, 0, 3, 4, 7, 2, 12, 1, 10, 14, 9},
     {10, 6, 9, 0, 12, 11, 7, 13, 15, 1, 3, 14, 5, 2, 8, 4},
     {3, 15, 0, 6, 10, 1, 13, 8, 9, 4, 5, 11, 12, 7, 2, 14}},
    {{2, 12, 4, 1, 7, 10, 11, 6, 8, 5, 3, 15, 13, 0, 14, 9},
     {14, 11, 2, 12, 4, 7, 13, 1, 5, 0, 15, 10, 3, 9, 8, 6},
     {4, 2, 1, 11, 10, 13, 7, 8, 15, 9, 12, 5, 6, 3, 0, 14},
     {11, 8, 12, 7, 1, 14, 2, 13, 6, 15, 0, 9, 10, 4, 5, 3}},
    {{12, 1, 10, 15, 9, 2, 6, 8, 0, 13, 3, 4, 14, 7, 5, 11},
     {10, 15, 4, 2, 7, 12, 9, 5, 6, 1, 13, 14, 0, 11, 3, 8},
     {9, 14, 15, 5, 2, 8, 12, 3, 7, 0, 4, 10, 1, 13, 11, 6},
     {4, 3, 2, 12, 9, 5, 15, 10, 11, 14, 1, 7, 6, 0, 8, 13}},
    {{4, 11, 2, 14, 15, 0, 8, 13, 3, 12, 9, 7, 5, 10, 6, 1},
     {13, 0, 11, 7, 4, 9, 1, 10, 14, 3, 5, 12, 2, 15, 8, 6},
     {1, 4, 11, 13, 12, 3, 7, 14, 10, 15, 6, 8, 0, 5, 9, 2},
     {6, 11, 13, 8, 1, 4, 10, 7, 9, 5, 0, 15, 14, 2, 3, 12}},
    {{13, 2, 8, 4, 6, 15, 11, 1, 10, 9, 3, 14, 5, 0, 12, 7},
     {1, 15, 13, 8, 10, 3, 7, 4, 12, 5, 6, 11, 0, 14, 9, 2},
     {7, 11, 4, 1, 9, 12, 14, 2, 0, 6, 10, 13, 15, 3, 5, 8},
     {2, 1, 14, 7, 4, 10, 8, 13, 15, 12, 9, 0, 3, 5, 6, 11}}};

constexpr uint8_t kP[32] = {16, 7, 20, 21, 29, 12, 28, 17, 1, 15, 23, 26, 5, 18, 31, 10,
                            2, 8, 24, 14, 32, 27, 3, 9, 19, 13, 30, 6, 22, 11, 4, 25};

constexpr uint8_t kPc1[56] = {57, 49, 41, 33, 25, 17, 9, 1, 58, 50, 42, 34, 26, 18,
                              10, 2, 59, 51, 43, 35, 27, 19, 11, 3, 60, 52, 44, 36,
                              63, 55, 47, 39, 31, 23, 15, 7, 62, 54, 46, 38, 30, 22,
                              14, 6, 61, 53, 45, 37, 29, 21, 13, 5, 28, 20, 12, 4};

constexpr uint8_t kPc2[48] = {14, 17, 11, 24, 1, 5, 3, 28, 15, 6, 21, 10,
                              23, 19, 12, 4, 26, 8, 16, 7, 27, 20, 13, 2,
                              41, 52, 31, 37, 47, 55, 30, 40, 51, 45, 33, 48,
                              44, 49, 39, 56, 34, 53, 46, 42, 50, 36, 29, 32};
// clang-format on

constexpr uint8_t kShifts[CDesKeySchedule::kRounds] = {1, 1, 2, 2, 2, 2, 2, 2, 1, 2, 2, 2, 2, 2, 2, 1};

using SpTable = std::array<std::array<uint32_t, 64>, 8>;

// Each table joins one S-box with the P permutation: the S-box's 4 output bits,
// placed at their position in the 32-bit word, already permuted.
constexpr SpTable BuildSpTables()
{
    SpTable sp{};
    for (int box = 0; box < 8; ++box)
    {
        for (int in = 0; in < 64; ++in)
        {
            const int row = ((in >> 4) & 2) | (in & 1);
            const int col = (in >> 1) & 0xF;
            const uint32_t word = static_cast<uint32_t>(kSBoxes[box][row][col]) << (28 - 4 * box);
            uint32_t permuted = 0;
            for (int bit = 0; bit < 32; ++bit)
            {
                if (word & (0x80000000u >> (kP[bit] - 1)))
                    permuted |= 0x80000000u >> bit;
            }
            sp[box][in] = permuted;
        }
    }
    return sp;
}

constexpr SpTable kSp = BuildSpTables();

inline uint32_t dwRotl(uint32_t v, int n)
{
    return (v << n) | (v >> (32 - n));
}
inline uint32_t dwRotr(uint32_t v, int n)
{
    return (v >> n) | (v << (32 - n));
}

// Exchanges the bits of `b` selected by `mask` with those of `a` selected by `mask << n`.
inline void vSwapMove(uint32_t& a, uint32_t& b, int n, uint32_t mask)
{
    const uint32_t t = ((a >> n) ^ b) & mask;
    b ^= t;
    a ^= t << n;
}

void vInitialPermutation(uint32_t& l, uint32_t& r)
{
    vSwapMove(l, r, 4, 0x0f0f0f0fu);
    vSwapMove(l, r, 16, 0x0000ffffu);
    vSwapMove(r, l, 2, 0x33333333u);
    vSwapMove(r, l, 8, 0x00ff00ffu);
    vSwapMove(l, r, 1, 0x55555555u);
}

// The same exchanges in reverse order undo the initial permutation.
void vFinalPermutation(uint32_t& l, uint32_t& r)
{
    vSwapMove(l, r, 1, 0x55555555u);
    vSwapMove(r, l, 8, 0x00ff00ffu);
    vSwapMove(r, l, 2, 0x33333333u);
    vSwapMove(l, r, 16, 0x0000ffffu);
    vSwapMove(l, r, 4, 0x0f0f0f0fu);
}

// The expansion E takes 6-bit groups that overlap by one bit on each side. Group g
// (1 to 8) starts at bit 4g-4 of R, taken cyclically: R rotated right by 1 holds the
// odd groups at shifts 26, 18, 10 and 2, R rotated left by 3 the even ones.
// A round key is stored in the same two-word layout.
inline uint32_t dwRoundFunction(uint32_t r, const uint32_t* key)
{
    const uint32_t odd = dwRotr(r, 1) ^ key[0];
    const uint32_t even = dwRotl(r, 3) ^ key[1];
    return kSp[0][(odd >> 26) & 0x3f] | kSp[2][(odd >> 18) & 0x3f] | kSp[4][(odd >> 10) & 0x3f] |
           kSp[6][(odd >> 2) & 0x3f] | kSp[1][(even >> 26) & 0x3f] | kSp[3][(even >> 18) & 0x3f] |
           kSp[5][(even >> 10) & 0x3f] | kSp[7][(even >> 2) & 0x3f];
}

inline uint32_t dwBit64(uint64_t v, int bitFromOne, int width)
{
    return static_cast<uint32_t>((v >> (width - bitFromOne)) & 1u);
}

} // namespace

uint32_t dwLoadBigEndian(const uint8_t* p)
{
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | p[3];
}

void vStoreBigEndian(uint32_t v, uint8_t* p)
{
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}

void CDesKeySchedule::vSet(const uint8_t key[kDesKeySize], EDesDirection direction)
{
    uint64_t k = 0;
    for (size_t i = 0; i < kDesKeySize; ++i)
        k = (k << 8) | key[i];

    // PC-1 drops the parity bits and splits the key into two 28-bit halves.
    uint32_t c = 0;
    uint32_t d = 0;
    for (int i = 0; i < 28; ++i)
    {
        c = (c << 1) | dwBit64(k, kPc1[i], 64);
        d = (d << 1) | dwBit64(k, kPc1[28 + i], 64);
    }
    k = 0;

    constexpr uint32_t kHalfMask = 0x0fffffffu;
    for (size_t round = 0; round < kRounds; ++round)
    {
        c = ((c << kShifts[round]) | (c >> (28 - kShifts[round]))) & kHalfMask;
        d = ((d << kShifts[round]) | (d >> (28 - kShifts[round]))) & kHalfMask;
        const uint64_t cd = (static_cast<uint64_t>(c) << 28) | d;
        uint32_t odd = 0;
        uint32_t even = 0;
        for (int group = 0; group < 8; ++group)
        {
            uint32_t six = 0;
            for (int bit = 0; bit < 6; ++bit)
                six = (six << 1) | dwBit64(cd, kPc2[group * 6 + bit], 56);
            const int shift = 26 - 8 * (group / 2);
            if (group % 2 == 0)
                odd |= six << shift;
            else
                even |= six << shift;
        }
        const size_t slot = direction == EDesDirection::Encrypt ? round : kRounds - 1 - round;
        m_roundKeys[2 * slot] = odd;
        m_roundKeys[2 * slot + 1] = even;
    }
    c = d = 0;
}

void CDesKeySchedule::vWipe()
{
    vSecureWipe(m_roundKeys, sizeof m_roundKeys);
}

void CDesKeySchedule::vCryptBlock(uint32_t& left, uint32_t& right) const
{
    uint32_t l = left;
    uint32_t r = right;
    vInitialPermutation(l, r);
    for (size_t round = 0; round < kRounds; ++round)
    {
        const uint32_t next = l ^ dwRoundFunction(r, &m_roundKeys[2 * round]);
        l = r;
        r = next;
    }
    // The halves leave the last round exchanged.
    vFinalPermutation(r, l);
    left = r;
    right = l;
}

} // namespace FdCrypto
