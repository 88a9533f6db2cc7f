#include "BmpFile.h"

#include <gtest/gtest.h>

using namespace FdBrowserHost;

namespace
{
SPixels picture(uint32_t w, uint32_t h)
{
    SPixels p;
    p.dwWidth = w;
    p.dwHeight = h;
    p.bgrx.resize(static_cast<std::size_t>(w) * h * 4);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
        {
            uint8_t* px = &p.bgrx[(static_cast<std::size_t>(y) * w + x) * 4];
            px[0] = static_cast<uint8_t>(x);     // blue
            px[1] = static_cast<uint8_t>(y);     // green
            px[2] = static_cast<uint8_t>(x + y); // red
            px[3] = 0xEE;
        }
    return p;
}
} // namespace

TEST(BmpFile, RoundTripWithRowPadding)
{
    for (uint32_t w : {1u, 2u, 3u, 4u, 5u})
    {
        const SPixels in = picture(w, 3);
        const std::vector<uint8_t> file = bmpEncode(in);
        const std::size_t stride = (w * 3 + 3) / 4 * 4;
        ASSERT_EQ(54 + stride * 3, file.size()) << w;
        EXPECT_EQ('B', file[0]);
        EXPECT_EQ('M', file[1]);
        SPixels out;
        ASSERT_TRUE(boBmpDecode(file.data(), file.size(), &out)) << w;
        ASSERT_EQ(w, out.dwWidth);
        ASSERT_EQ(3u, out.dwHeight);
        for (uint32_t y = 0; y < 3; ++y)
            for (uint32_t x = 0; x < w; ++x)
                EXPECT_EQ(dwPixel(in, x, y), dwPixel(out, x, y)) << w << " " << x << "," << y;
    }
    const SPixels in = picture(4, 2);
    EXPECT_EQ(0x040103u, dwPixel(in, 3, 1));
    EXPECT_EQ(0u, dwPixel(in, 4, 0)) << "outside";
}

TEST(BmpFile, EncodeRefusesBadPictures)
{
    EXPECT_TRUE(bmpEncode(picture(0, 3)).empty());
    SPixels short_ = picture(2, 2);
    short_.bgrx.pop_back();
    EXPECT_TRUE(bmpEncode(short_).empty());
    SPixels huge;
    huge.dwWidth = kMaxBmpSide + 1;
    huge.dwHeight = 1;
    EXPECT_TRUE(bmpEncode(huge).empty());
}

TEST(BmpFile, DecodeRefusesWhatItCannotRead)
{
    const std::vector<uint8_t> good = bmpEncode(picture(3, 2));
    struct
    {
        const char* name;
        std::size_t at;
        uint8_t value;
    } const changes[] = {
        {"magic", 0, 'X'},  {"bits per pixel", 28, 8},           {"compression", 30, 1},
        {"width 0", 18, 0}, {"pixels beyond the file", 10, 200},
    };
    for (const auto& c : changes)
    {
        std::vector<uint8_t> bad = good;
        bad[c.at] = c.value;
        if (c.at == 18)
            bad[19] = bad[20] = bad[21] = 0;
        SPixels out;
        EXPECT_FALSE(boBmpDecode(bad.data(), bad.size(), &out)) << c.name;
    }
    SPixels out;
    EXPECT_FALSE(boBmpDecode(good.data(), good.size() - 1, &out)) << "truncated";
    EXPECT_FALSE(boBmpDecode(good.data(), 20, &out)) << "header only";
}

TEST(BmpFile, ReadsTopDown32BitFiles)
{
    // 2x2, 32 bits, negative height (rows top-down).
    std::vector<uint8_t> f(54 + 16, 0);
    f[0] = 'B';
    f[1] = 'M';
    f[10] = 54;
    f[14] = 40;
    f[18] = 2;
    f[22] = 0xFE;
    f[23] = f[24] = f[25] = 0xFF; // -2
    f[26] = 1;
    f[28] = 32;
    f[54 + 0] = 0x11;     // (0,0) blue
    f[54 + 8 + 2] = 0x22; // (0,1) red
    SPixels out;
    ASSERT_TRUE(boBmpDecode(f.data(), f.size(), &out));
    EXPECT_EQ(0x000011u, dwPixel(out, 0, 0));
    EXPECT_EQ(0x220000u, dwPixel(out, 0, 1));
}
