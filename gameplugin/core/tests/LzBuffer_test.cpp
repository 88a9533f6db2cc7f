#include "LzBuffer.h"

#include "TestBuffer.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
// A header's size must be refused before anything is allocated for it: under the
// sanitizer an allocation beyond 1 GiB ends the test program.
extern "C" const char* __asan_default_options()
{
    return "max_allocation_size_mb=1024";
}
#endif

namespace
{
std::string header(uint32_t size)
{
    std::string h("SZDD\x88\xF0\x27\x33"
                  "A",
                  9);
    h += '\0';
    for (int i = 0; i < 4; ++i)
        h += static_cast<char>(size >> (8 * i));
    return h;
}

std::string asString(const CLzBuffer& b)
{
    return std::string(reinterpret_cast<const char*>(b.lpGetData()), b.dwGetSize());
}

std::string randomBytes(size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (auto& c : s)
        c = static_cast<char>(rng());
    return s;
}

// Text-like data with many repeats at varying distances.
std::string repetitiveText(size_t n)
{
    static const char* words[] = {"plug-in ", "composant ", "Orbelle ", "téléchargement ", "\r\n", "SZDD "};
    std::mt19937 rng(7);
    std::string s;
    while (s.size() < n)
        s += words[rng() % 6];
    s.resize(n);
    return s;
}
} // namespace

TEST(LzBuffer, DataWithoutHeaderIsCopied)
{
    const std::string cases[] = {"", "short",
                                 std::string("SZDD\x88\xF0\x27\x33"
                                             "A\x01....",
                                             14),
                                 "plain text that is longer than a header"};
    for (const auto& c : cases)
    {
        CLzBuffer lz;
        CTestBuffer in(c);
        ASSERT_TRUE(lz.boExpand(in.u(), static_cast<uint32_t>(in.size())));
        EXPECT_EQ(asString(lz), c);
    }
}

TEST(LzBuffer, NullSourceFails)
{
    CLzBuffer lz;
    EXPECT_FALSE(lz.boExpand(nullptr, 0));
    EXPECT_FALSE(lz.boCompress(nullptr, 0, true));
    EXPECT_FALSE(lz.boCopy(nullptr, 0));
}

TEST(LzBuffer, EmptyStreamOfSizeZeroExpandsToEmpty)
{
    CLzBuffer lz;
    CTestBuffer in(header(0));
    ASSERT_TRUE(lz.boExpand(in.u(), static_cast<uint32_t>(in.size())));
    EXPECT_EQ(lz.dwGetSize(), 0u);
    EXPECT_TRUE(lz.boHasData());
}

TEST(LzBuffer, ExpandsAFileOfTheClassicCompressor)
{
    // "hello hello hello hello world\n" as the classic compressor writes it: a
    // 16-byte match at window position 4080 that overlaps its own output.
    const std::string file = header(30) + std::string("\xBF"
                                                      "hello "
                                                      "\xF0\xFD"
                                                      "o"
                                                      "\x7F"
                                                      " world\n",
                                                      18);
    CLzBuffer lz;
    CTestBuffer in(file);
    ASSERT_TRUE(lz.boExpand(in.u(), static_cast<uint32_t>(in.size())));
    EXPECT_EQ(asString(lz), "hello hello hello hello world\n");
}

TEST(LzBuffer, MatchesIntoTheUnwrittenWindowReadSpaces)
{
    // One match of 5 at position 0, never written: five of the initial spaces.
    CLzBuffer lz;
    CTestBuffer in(header(5) + std::string("\x00\x00\x02", 3));
    ASSERT_TRUE(lz.boExpand(in.u(), static_cast<uint32_t>(in.size())));
    EXPECT_EQ(asString(lz), "     ");
}

TEST(LzBuffer, TruncatedOrCorruptStreamsFail)
{
    const std::string good = header(30) + std::string("\xBF"
                                                      "hello "
                                                      "\xF0\xFD"
                                                      "o"
                                                      "\x7F"
                                                      " world\n",
                                                      18);
    const struct
    {
        const char* what;
        std::string file;
    } cases[] = {
        {"stream cut in the middle", good.substr(0, good.size() - 3)},
        {"stream cut after a flag byte", header(5) + std::string("\x00", 1)},
        // A match with only one of its two bytes left must not read past the end.
        {"match cut after its first byte", header(3) + std::string("\x00\xF0", 2)},
        {"match longer than the expected size", header(2) + std::string("\x00\xF0\xF0", 3)},
        {"size beyond what the stream can produce", header(9 * 3 + 1) + std::string("\x00\xF0\xFF", 3)},
        {"huge size with a tiny stream", header(0xFFFFFFF0u) + std::string("\x00\xF0\xFF", 3)},
        {"header only, size 1", header(1)},
    };
    for (const auto& c : cases)
    {
        CLzBuffer lz;
        CTestBuffer in(c.file);
        EXPECT_FALSE(lz.boExpand(in.u(), static_cast<uint32_t>(in.size()))) << c.what;
    }
}

TEST(LzBuffer, UnforcedCompressionOfIncompressibleDataIsAPlainCopy)
{
    const std::string ten = "0123456789";
    CLzBuffer plain;
    ASSERT_TRUE(plain.boCompress(reinterpret_cast<const uint8_t*>(ten.data()), 10, false));
    EXPECT_EQ(asString(plain), ten);

    CLzBuffer forced;
    ASSERT_TRUE(forced.boCompress(reinterpret_cast<const uint8_t*>(ten.data()), 10, true));
    // Header, then two flag bytes for ten literals.
    EXPECT_EQ(asString(forced), header(10) + "\xFF"
                                             "01234567"
                                             "\x03"
                                             "89");
}

TEST(LzBuffer, TheMostRecentOfEqualMatchesWins)
{
    const std::string in = "abcXabcYabc";
    CLzBuffer lz;
    ASSERT_TRUE(
        lz.boCompress(reinterpret_cast<const uint8_t*>(in.data()), static_cast<uint32_t>(in.size()), true));
    // Literals a b c X, match (window 0xFF0, 3), literal Y, match (window 0xFF4, 3):
    // the second match takes the "abc" at input 4, not the older one at 0.
    EXPECT_EQ(asString(lz), header(11) + "\x2F"
                                         "abcX"
                                         "\xF0\xF0"
                                         "Y"
                                         "\xF4\xF0");
}

TEST(LzBuffer, RunsOverlapTheirOwnOutput)
{
    const std::string run(1000, 'z');
    CLzBuffer packed;
    ASSERT_TRUE(packed.boCompress(reinterpret_cast<const uint8_t*>(run.data()), 1000, false));
    EXPECT_LT(packed.dwGetSize(), 150u);
    CLzBuffer unpacked;
    CTestBuffer in(asString(packed));
    ASSERT_TRUE(unpacked.boExpand(in.u(), static_cast<uint32_t>(in.size())));
    EXPECT_EQ(asString(unpacked), run);
}

TEST(LzBuffer, RoundTripTable)
{
    const struct
    {
        const char* what;
        std::string data;
    } cases[] = {
        {"empty", ""},
        {"one byte", "x"},
        {"two bytes", "xy"},
        {"random 4096", randomBytes(4096, 1)},
        {"random 4097", randomBytes(4097, 2)},
        {"text 4096", repetitiveText(4096)},
        {"text 4097", repetitiveText(4097)},
        {"text 300000", repetitiveText(300000)},
        {"random 100000", randomBytes(100000, 3)},
        {"spaces", std::string(5000, ' ')},
        // Repeats exactly one window apart and just beyond it.
        {"window distance",
         randomBytes(4096, 4) + randomBytes(4096, 4) + randomBytes(4097, 5) + randomBytes(4097, 5)},
    };
    for (const auto& c : cases)
    {
        CLzBuffer packed;
        ASSERT_TRUE(packed.boCompress(reinterpret_cast<const uint8_t*>(c.data.data()),
                                      static_cast<uint32_t>(c.data.size()), true))
            << c.what;
        ASSERT_TRUE(Szdd::boHasHeader(packed.lpGetData(), packed.dwGetSize())) << c.what;
        // The worst case stays inside the room set aside for it.
        EXPECT_LE(packed.dwGetSize(), c.data.size() + c.data.size() / 8 + 15) << c.what;
        CLzBuffer unpacked;
        CTestBuffer in(asString(packed));
        ASSERT_TRUE(unpacked.boExpand(in.u(), static_cast<uint32_t>(in.size()))) << c.what;
        EXPECT_TRUE(asString(unpacked) == c.data) << c.what;
    }
}
