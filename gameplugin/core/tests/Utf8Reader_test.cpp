#include "Utf8Reader.h"

#include "TestBuffer.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
struct SResult
{
    bool ok;
    uint32_t produced;
    uint32_t consumed;
    std::vector<uint16_t> chars; // from the bytes produced
};

SResult convert(const std::string& bytes, uint32_t room, bool limitInput, bool measure = false)
{
    CTestBuffer in(bytes);
    std::vector<uint8_t> out(room + 4, 0xEE);
    SResult r{};
    r.produced = room;
    uint32_t inBytes = static_cast<uint32_t>(bytes.size());
    r.ok = boUtf8ToWide(out.data(), in.c(), &r.produced, limitInput ? &inBytes : nullptr, measure);
    r.consumed = limitInput ? inBytes : 0;
    for (uint32_t i = 0; i + 1 < out.size(); i += 2)
    {
        if (out[i] == 0xEE && out[i + 1] == 0xEE)
            break;
        r.chars.push_back(static_cast<uint16_t>(out[i] | out[i + 1] << 8));
    }
    return r;
}

const std::string kAbc("abc\0", 4);
} // namespace

TEST(Utf8Reader, ReadsOneTwoAndThreeByteSequences)
{
    const struct
    {
        std::string bytes;
        uint32_t expected;
        size_t length;
    } cases[] = {
        {"A", 'A', 1},
        {"\xC3\xA9", 0xE9, 2},
        {"\xE2\x82\xAC", 0x20AC, 3},
        {"\xF0\x9F\x98", (0x1Fu << 6) | 0x18u, 3}, // 0xF0 and up take two further bytes too
    };
    for (const auto& c : cases)
    {
        CTestBuffer buf(c.bytes + '\0');
        const uint8_t* p = buf.u();
        const uint32_t ch = dwReadUtf8(&p);
        EXPECT_EQ(ch, c.expected);
        EXPECT_EQ(static_cast<size_t>(p - buf.u()), c.length);
    }
}

TEST(Utf8Reader, ASequenceCutByTheTerminatorStopsOnIt)
{
    for (const std::string& bytes : {std::string("\xC3"), std::string("\xE2\x82"), std::string("\xE2")})
    {
        CTestBuffer buf(bytes + '\0');
        const uint8_t* p = buf.u();
        EXPECT_EQ(dwReadUtf8(&p), 0xFFFDu);
        EXPECT_EQ(*p, 0) << "stopped on the NUL";
    }
}

TEST(Utf8Reader, ConversionRoomTable)
{
    const struct
    {
        uint32_t room;
        bool ok;
        uint32_t produced;
        std::vector<uint16_t> chars;
    } cases[] = {
        {8, true, 8, {'a', 'b', 'c', 0}},
        {6, true, 6, {'a', 'b', 'c'}}, // the NUL was read though not stored
        {4, false, 4, {'a', 'b'}},
        {1, false, 0, {}},
    };
    for (const auto& c : cases)
    {
        const SResult r = convert(kAbc, c.room, false);
        EXPECT_EQ(r.ok, c.ok) << "room " << c.room;
        EXPECT_EQ(r.produced, c.produced) << "room " << c.room;
        EXPECT_EQ(r.chars, c.chars) << "room " << c.room;
    }
}

TEST(Utf8Reader, ThePlugInsRoomHolds6500Characters)
{
    constexpr uint32_t kRoom = 13000;
    EXPECT_TRUE(convert(std::string(6500, 'x') + '\0', kRoom, false).ok);
    EXPECT_FALSE(convert(std::string(6501, 'x') + '\0', kRoom, false).ok);
}

TEST(Utf8Reader, InputLimitAndTheAppendedNul)
{
    // Input used up exactly with room left: a NUL is appended, not counted.
    SResult r = convert("h\xC3\xA9", 16, true);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.produced, 4u);
    EXPECT_EQ(r.consumed, 3u);
    EXPECT_EQ(r.chars, (std::vector<uint16_t>{'h', 0xE9, 0}));

    // A sequence that needs more bytes than are left ends the conversion.
    r = convert("h\xE2\x82", 16, true);
    EXPECT_EQ(r.produced, 2u);
    EXPECT_EQ(r.consumed, 1u);
    EXPECT_EQ(r.chars, (std::vector<uint16_t>{'h'}));

    // Measuring stores nothing.
    r = convert(kAbc, 16, false, true);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.produced, 8u);
    EXPECT_TRUE(r.chars.empty());
}

TEST(Utf8Reader, ATextEndingInsideASequenceIsNotReadPastItsNul)
{
    for (const std::string& bytes : {std::string("ab\xC3", 3), std::string("ab\xE2\x82", 4)})
    {
        const SResult r = convert(bytes + '\0', 64, false);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.chars, (std::vector<uint16_t>{'a', 'b'}));
    }
}
