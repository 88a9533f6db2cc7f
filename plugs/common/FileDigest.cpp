#include "FileDigest.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

#if defined(__x86_64__)
#include <cpuid.h>
#include <immintrin.h>
#define FD_SHA1_PROCESSOR_ROUNDS 1
#define FD_CRC32_PROCESSOR_FOLDING 1
#endif

namespace
{
// Row 0 is the byte-at-a-time table; row k gives the effect of a byte followed by k
// zero bytes, so sixteen bytes are folded per step ("slicing by 16").
using CrcTables = std::array<std::array<uint32_t, 256>, 16>;

CrcTables MakeCrcTables()
{
    CrcTables tables{};
    for (uint32_t i = 0; i < 256; ++i)
    {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        tables[0][i] = c;
    }
    for (size_t row = 1; row < tables.size(); ++row)
        for (uint32_t i = 0; i < 256; ++i)
            tables[row][i] = tables[0][tables[row - 1][i] & 0xFF] ^ (tables[row - 1][i] >> 8);
    return tables;
}

const CrcTables kCrcTables = MakeCrcTables();

// The register after the bytes, table-driven.
uint32_t Crc32Tables(uint32_t c, const uint8_t* data, size_t size);

std::string HexWord(uint32_t value)
{
    char text[9];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(value));
    return text;
}

uint32_t Rotl(uint32_t x, int n)
{
    return (x << n) | (x >> (32 - n));
}

uint32_t LoadLittle32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

void Sha1PortableBlocks(uint32_t words[5], const uint8_t* block, size_t count)
{
    for (; count > 0; --count, block += 64)
    {
        uint32_t w[80];
        for (int i = 0; i < 16; ++i)
            w[i] = (uint32_t(block[4 * i]) << 24) | (uint32_t(block[4 * i + 1]) << 16) |
                   (uint32_t(block[4 * i + 2]) << 8) | uint32_t(block[4 * i + 3]);
        for (int i = 16; i < 80; ++i)
            w[i] = Rotl(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
        uint32_t a = words[0], b = words[1], c = words[2], d = words[3], e = words[4];
        // Four loops of twenty rounds, so no round picks its function at run time.
        const auto round = [&](uint32_t f, uint32_t k, uint32_t word)
        {
            const uint32_t t = Rotl(a, 5) + f + e + k + word;
            e = d;
            d = c;
            c = Rotl(b, 30);
            b = a;
            a = t;
        };
        for (int i = 0; i < 20; ++i)
            round(d ^ (b & (c ^ d)), 0x5A827999u, w[i]);
        for (int i = 20; i < 40; ++i)
            round(b ^ c ^ d, 0x6ED9EBA1u, w[i]);
        for (int i = 40; i < 60; ++i)
            round((b & c) | (d & (b | c)), 0x8F1BBCDCu, w[i]);
        for (int i = 60; i < 80; ++i)
            round(b ^ c ^ d, 0xCA62C1D6u, w[i]);
        words[0] += a;
        words[1] += b;
        words[2] += c;
        words[3] += d;
        words[4] += e;
    }
}

#ifdef FD_SHA1_PROCESSOR_ROUNDS
bool ProcessorHasShaRounds()
{
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (__get_cpuid(1, &a, &b, &c, &d) == 0)
        return false;
    const bool ssse3 = (c & (1u << 9)) != 0, sse41 = (c & (1u << 19)) != 0;
    if (__get_cpuid_count(7, 0, &a, &b, &c, &d) == 0)
        return false;
    return ssse3 && sse41 && (b & (1u << 29)) != 0;
}

const bool kProcessorHasShaRounds = ProcessorHasShaRounds();

// Four rounds of each group of twenty take the function of that group (an immediate).
#define FD_SHA1_GROUP(func)                                                                                  \
    for (int k = 0; k < 5; ++k, ++g)                                                                         \
    {                                                                                                        \
        if (g >= 4)                                                                                          \
            w[g % 4] = _mm_sha1msg2_epu32(                                                                   \
                _mm_xor_si128(_mm_sha1msg1_epu32(w[g % 4], w[(g + 1) % 4]), w[(g + 2) % 4]), w[(g + 3) % 4]); \
        const __m128i e = g == 0 ? _mm_add_epi32(e0, w[0]) : _mm_sha1nexte_epu32(previous, w[g % 4]);        \
        previous = abcd;                                                                                     \
        abcd = _mm_sha1rnds4_epu32(abcd, e, func);                                                           \
    }

// The same rounds with the processor's SHA instructions: the state's a, b, c, d in one
// register (a in the highest lane), e in the highest lane of another, and the message
// schedule kept four words to a register, the earliest word in the highest lane.
__attribute__((target("sha,ssse3,sse4.1"))) void Sha1ProcessorBlocks(uint32_t words[5], const uint8_t* block,
                                                                     size_t count)
{
    const __m128i byteOrder = _mm_set_epi64x(0x0001020304050607LL, 0x08090a0b0c0d0e0fLL);
    __m128i abcd = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(words)), 0x1B);
    __m128i e0 = _mm_set_epi32(static_cast<int>(words[4]), 0, 0, 0);
    for (; count > 0; --count, block += 64)
    {
        const __m128i abcdSaved = abcd, e0Saved = e0;
        __m128i w[4];
        for (int i = 0; i < 4; ++i)
            w[i] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * i)), byteOrder);
        __m128i previous = abcd;
        int g = 0;
        FD_SHA1_GROUP(0)
        FD_SHA1_GROUP(1)
        FD_SHA1_GROUP(2)
        FD_SHA1_GROUP(3)
        e0 = _mm_sha1nexte_epu32(previous, e0Saved);
        abcd = _mm_add_epi32(abcd, abcdSaved);
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(words), _mm_shuffle_epi32(abcd, 0x1B));
    words[4] = static_cast<uint32_t>(_mm_extract_epi32(e0, 3));
}
#undef FD_SHA1_GROUP
#endif
} // namespace

namespace
{
uint32_t Crc32Tables(uint32_t c, const uint8_t* data, size_t size)
{
    const auto& t = kCrcTables;
    for (; size >= 16; data += 16, size -= 16)
    {
        const uint32_t w0 = c ^ LoadLittle32(data), w1 = LoadLittle32(data + 4), w2 = LoadLittle32(data + 8),
                       w3 = LoadLittle32(data + 12);
        c = t[15][w0 & 0xFF] ^ t[14][(w0 >> 8) & 0xFF] ^ t[13][(w0 >> 16) & 0xFF] ^ t[12][w0 >> 24] ^
            t[11][w1 & 0xFF] ^ t[10][(w1 >> 8) & 0xFF] ^ t[9][(w1 >> 16) & 0xFF] ^ t[8][w1 >> 24] ^
            t[7][w2 & 0xFF] ^ t[6][(w2 >> 8) & 0xFF] ^ t[5][(w2 >> 16) & 0xFF] ^ t[4][w2 >> 24] ^
            t[3][w3 & 0xFF] ^ t[2][(w3 >> 8) & 0xFF] ^ t[1][(w3 >> 16) & 0xFF] ^ t[0][w3 >> 24];
    }
    for (; size > 0; ++data, --size)
        c = t[0][(c ^ *data) & 0xFF] ^ (c >> 8);
    return c;
}

#ifdef FD_CRC32_PROCESSOR_FOLDING
// x^n modulo the CRC-32 polynomial, as the 64-bit operand of a carry-less product in
// the reflected bit order of the data (degree j at bit 63 - j).
uint64_t FoldConstant(unsigned n)
{
    uint64_t r = 1;
    for (unsigned i = 0; i < n; ++i)
    {
        r <<= 1;
        if ((r & 0x100000000ull) != 0)
            r ^= 0x104C11DB7ull;
    }
    uint64_t reflected = 0;
    for (unsigned j = 0; j < 32; ++j)
        if ((r >> j) & 1)
            reflected |= 1ull << (63 - j);
    return reflected;
}

// Sixteen bytes read little-endian hold the polynomial with degree 127 - i at bit i:
// the low half is its upper 64 degrees. A block followed by d bits of data counts as
// hi * x^(d + 64) + lo * x^d; a carry-less product of two reflected operands comes out
// one degree short, hence the constants' exponents d + 63 and d - 1.
struct SFoldPair
{
    uint64_t forLow;  // multiplies the low half (the upper degrees)
    uint64_t forHigh; // multiplies the high half
};

SFoldPair MakeFoldPair(unsigned distanceBits)
{
    return SFoldPair{FoldConstant(distanceBits + 63), FoldConstant(distanceBits - 1)};
}

bool ProcessorHasCarrylessProduct()
{
    unsigned a = 0, b = 0, c = 0, d = 0;
    return __get_cpuid(1, &a, &b, &c, &d) != 0 && (c & (1u << 1)) != 0;
}

const SFoldPair kFold128 = MakeFoldPair(128);
const SFoldPair kFold512 = MakeFoldPair(512);

__attribute__((target("pclmul,sse2"))) inline __m128i Fold(__m128i block, __m128i constants, __m128i next)
{
    return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(block, constants, 0x00),
                                       _mm_clmulepi64_si128(block, constants, 0x11)),
                         next);
}

// Folds runs of 64 bytes four lanes at a time down to sixteen bytes, which the tables
// finish from a zero register (the register was added into the first bytes).
__attribute__((target("pclmul,sse2"))) uint32_t Crc32Folding(uint32_t c, const uint8_t* data, size_t size)
{
    if (size < 128)
        return Crc32Tables(c, data, size);
    const __m128i k512 = _mm_set_epi64x(static_cast<long long>(kFold512.forHigh),
                                        static_cast<long long>(kFold512.forLow));
    const __m128i k128 = _mm_set_epi64x(static_cast<long long>(kFold128.forHigh),
                                        static_cast<long long>(kFold128.forLow));
    const auto load = [](const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
    __m128i x0 = _mm_xor_si128(load(data), _mm_cvtsi32_si128(static_cast<int>(c)));
    __m128i x1 = load(data + 16), x2 = load(data + 32), x3 = load(data + 48);
    data += 64;
    size -= 64;
    for (; size >= 64; data += 64, size -= 64)
    {
        x0 = Fold(x0, k512, load(data));
        x1 = Fold(x1, k512, load(data + 16));
        x2 = Fold(x2, k512, load(data + 32));
        x3 = Fold(x3, k512, load(data + 48));
    }
    x1 = Fold(x0, k128, x1);
    x2 = Fold(x1, k128, x2);
    x3 = Fold(x2, k128, x3);
    uint8_t folded[16];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(folded), x3);
    return Crc32Tables(Crc32Tables(0, folded, sizeof folded), data, size);
}

// The folding is used only when it agrees with the tables on a sample.
bool FoldingWorks()
{
    if (!ProcessorHasCarrylessProduct())
        return false;
    uint8_t sample[1000];
    for (size_t i = 0; i < sizeof sample; ++i)
        sample[i] = static_cast<uint8_t>(i * 131 + 7);
    return Crc32Folding(0xFFFFFFFFu, sample, sizeof sample) == Crc32Tables(0xFFFFFFFFu, sample, sizeof sample);
}

const bool kFoldingWorks = FoldingWorks();
#endif
} // namespace

CCrc32::CCrc32(bool boPortableOnly)
{
#ifdef FD_CRC32_PROCESSOR_FOLDING
    m_boProcessorFolding = !boPortableOnly && kFoldingWorks;
#else
    (void)boPortableOnly;
#endif
}

void CCrc32::vUpdate(const uint8_t* data, size_t size)
{
#ifdef FD_CRC32_PROCESSOR_FOLDING
    if (m_boProcessorFolding)
    {
        m_nState = Crc32Folding(m_nState, data, size);
        return;
    }
#endif
    m_nState = Crc32Tables(m_nState, data, size);
}

std::string CCrc32::GetText() const
{
    return HexWord(GetValue());
}

CSha1::CSha1(bool boPortableOnly)
    : m_words{0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u}, m_block{}
{
#ifdef FD_SHA1_PROCESSOR_ROUNDS
    m_boProcessorRounds = !boPortableOnly && kProcessorHasShaRounds;
#else
    (void)boPortableOnly;
#endif
}

void CSha1::vUpdate(const uint8_t* data, size_t size)
{
    if (m_boFinished || size == 0)
        return;
    m_nTotalBytes += size;
    if (m_nBlockUsed > 0)
    {
        const size_t take = std::min(size, sizeof m_block - m_nBlockUsed);
        std::memcpy(m_block + m_nBlockUsed, data, take);
        m_nBlockUsed += take;
        data += take;
        size -= take;
        if (m_nBlockUsed < sizeof m_block)
            return;
        vBlocks(m_block, 1);
        m_nBlockUsed = 0;
    }
    vBlocks(data, size / 64);
    data += size / 64 * 64;
    size %= 64;
    if (size > 0)
    {
        std::memcpy(m_block, data, size);
        m_nBlockUsed = size;
    }
}

void CSha1::vFinish()
{
    if (m_boFinished)
        return;
    const uint64_t bits = m_nTotalBytes * 8;
    m_block[m_nBlockUsed++] = 0x80;
    if (m_nBlockUsed > 56)
    {
        std::memset(m_block + m_nBlockUsed, 0, sizeof m_block - m_nBlockUsed);
        vBlocks(m_block, 1);
        m_nBlockUsed = 0;
    }
    std::memset(m_block + m_nBlockUsed, 0, 56 - m_nBlockUsed);
    for (int i = 0; i < 8; ++i)
        m_block[56 + i] = static_cast<uint8_t>(bits >> (56 - 8 * i));
    vBlocks(m_block, 1);
    m_nBlockUsed = 0;
    m_boFinished = true;
}

std::string CSha1::GetText()
{
    vFinish();
    std::string text;
    for (uint32_t word : m_words)
        text += HexWord(word);
    return text;
}

void CSha1::vBlocks(const uint8_t* blocks, size_t count)
{
    if (count == 0)
        return;
#ifdef FD_SHA1_PROCESSOR_ROUNDS
    if (m_boProcessorRounds)
    {
        Sha1ProcessorBlocks(m_words, blocks, count);
        return;
    }
#endif
    Sha1PortableBlocks(m_words, blocks, count);
}
