#include "GifBuilder.h"
#include "GifDecoder.h"
#include "ImageFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>

using namespace FdHtml;
using namespace FdHtmlTest;

namespace
{
SImageResult decode(const Bytes& b, SDecodedImage* img)
{
    return gifDecode(b.data(), b.size(), img);
}

// A w x h image of m = 2 whose pixels are given literally.
Bytes literalGif(int w, int h, const Bytes& pixels, bool interlaced = false)
{
    return CGifBuilder(w, h).descriptor(w, h, interlaced).codes(2, literalCodes(2, pixels)).trailer().bytes();
}
} // namespace

TEST(GifFixtures, FramesEqualPillowsIndexBuffers)
{
    const std::vector<SFixture> all = fixtures();
    ASSERT_FALSE(all.empty()) << "expected.txt not found at " << strFixturePath("expected.txt");
    int gifs = 0;
    for (const SFixture& f : all)
    {
        if (f.name.size() < 4 || f.name.substr(f.name.size() - 4) != ".gif")
            continue;
        ++gifs;
        SCOPED_TRACE(f.name);
        const Bytes file = readFile(strFixturePath(f.name));
        const Bytes expected = readFile(strFixturePath(f.name + ".idx"));
        SDecodedImage img;
        const SImageResult r = decode(file, &img);
        ASSERT_TRUE(r.boOk()) << r.text << " at " << r.offset;
        EXPECT_EQ(img.rect.width, f.width);
        EXPECT_EQ(img.rect.height, f.height);
        ASSERT_EQ(static_cast<int>(img.frames.size()), f.frames);
        EXPECT_EQ(img.boTransparent ? img.bTransparentIndex : -1, f.transparent);
        EXPECT_EQ(static_cast<int>(img.dwDelayMs), f.delayMs);
        EXPECT_EQ(static_cast<int>(img.palette.size()), f.colours);
        Bytes all;
        for (const Bytes& frame : img.frames)
            all.insert(all.end(), frame.begin(), frame.end());
        EXPECT_EQ(all, expected);
    }
    EXPECT_GE(gifs, 6);
}

TEST(GifSignature, AcceptedAndRefused)
{
    const struct
    {
        std::string sig;
        bool ok;
    } cases[] = {
        {"GIF87a", true},  {"GIF89a", true},  {"GIF88b", true}, // 88b adds up to 424 as well
        {"GIF89b", false}, {"PNG89a", false}, {"GIF8", false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.sig);
        const Bytes sig(c.sig.begin(), c.sig.end());
        EXPECT_EQ(boIsGifSignature(sig.data(), sig.size()), c.ok);
        const Bytes file =
            c.sig.size() == 6
                ? CGifBuilder(2, 1, 1, c.sig).descriptor(2, 1).codes(2, literalCodes(2, {1, 2})).bytes()
                : sig;
        SDecodedImage img;
        const SImageResult r = decode(file, &img);
        EXPECT_EQ(r.boOk(), c.ok);
        if (!c.ok)
        {
            EXPECT_EQ(r.status, EImageStatus::NotThisKind);
        }
    }
}

TEST(GifHeader, FailuresLeaveTheImageEmpty)
{
    const Bytes good = literalGif(2, 1, {1, 2});
    const struct
    {
        const char* what;
        Bytes file;
        EImageStatus status;
    } cases[] = {
        {"aspect byte",
         CGifBuilder(2, 1, 1, "GIF89a", 49).descriptor(2, 1).codes(2, literalCodes(2, {1, 2})).bytes(),
         EImageStatus::BadHeader},
        {"short screen descriptor", Bytes(good.begin(), good.begin() + 10), EImageStatus::ShortHeader},
        {"short global table", Bytes(good.begin(), good.begin() + 16), EImageStatus::ShortHeader},
        {"trailer before any image", CGifBuilder(2, 1).graphicControl(true, 1, 0).trailer().bytes(),
         EImageStatus::NoImage},
        {"no data after the header", CGifBuilder(2, 1).bytes(), EImageStatus::NoImage},
        {"short image descriptor", CGifBuilder(2, 1).raw({0x2C, 0, 0, 0}).bytes(), EImageStatus::ShortHeader},
        {"short local table", CGifBuilder(2, 1).raw({0x2C, 0, 0, 0, 0, 2, 0, 1, 0, 0x81, 1, 2}).bytes(),
         EImageStatus::ShortHeader},
        {"second descriptor cut",
         CGifBuilder(2, 1).descriptor(2, 1).codes(2, literalCodes(2, {1, 2})).raw({0x2C, 0, 0}).bytes(),
         EImageStatus::ShortHeader},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        SDecodedImage img;
        img.frames.resize(3);
        const SImageResult r = decode(c.file, &img);
        EXPECT_EQ(r.status, c.status) << r.text;
        EXPECT_TRUE(img.frames.empty());
        EXPECT_TRUE(img.palette.empty());
    }
}

TEST(GifGraphicControl, DelayAndTransparency)
{
    const struct
    {
        uint16_t hundredths;
        uint32_t ms;
    } cases[] = {{0, 0}, {1, 50}, {2, 50}, {4, 50}, {5, 50}, {6, 60}, {25, 250}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.hundredths);
        const Bytes file = CGifBuilder(2, 1)
                               .graphicControl(true, 3, c.hundredths)
                               .descriptor(2, 1)
                               .codes(2, literalCodes(2, {1, 3}))
                               .trailer()
                               .bytes();
        SDecodedImage img;
        ASSERT_TRUE(decode(file, &img).boOk());
        EXPECT_EQ(img.dwDelayMs, c.ms);
        EXPECT_TRUE(img.boTransparent);
        EXPECT_EQ(img.bTransparentIndex, 3);
    }
}

// An application (looping) block before the graphic control block, and
// "," and ";" bytes inside sub-blocks, are walked over as data.
TEST(GifBlocks, ExtensionsWalkedSubBlockBySubBlock)
{
    const Bytes loop = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
    const Bytes file = CGifBuilder(2, 1)
                           .extension(0xFF, {loop, {1, 0x2C, 0x3B}})
                           .extension(0xFE, {{0x2C, 0x3B, 0x2C}, {0x3B}})
                           .graphicControl(true, 2, 10)
                           .descriptor(2, 1)
                           .codes(2, literalCodes(2, {3, 2}))
                           .extension(0xFE, {{0x3B, 0x2C}})
                           .graphicControl(true, 2, 10)
                           .descriptor(2, 1)
                           .codes(2, literalCodes(2, {1, 0}))
                           .trailer()
                           .bytes();
    SDecodedImage img;
    const SImageResult r = decode(file, &img);
    ASSERT_TRUE(r.boOk()) << r.text;
    EXPECT_TRUE(img.boTransparent);
    EXPECT_EQ(img.bTransparentIndex, 2);
    EXPECT_EQ(img.dwDelayMs, 100u);
    ASSERT_EQ(img.frames.size(), 2u);
    EXPECT_EQ(img.frames[0], (Bytes{3, 2}));
    EXPECT_EQ(img.frames[1], (Bytes{1, 0}));
}

TEST(GifBlocks, WhatEndsTheFramesAfterAnImage)
{
    const Bytes one = CGifBuilder(2, 1).descriptor(2, 1).codes(2, literalCodes(2, {1, 2})).bytes();
    const struct
    {
        const char* what;
        Bytes tail;
        std::size_t frames;
    } cases[] = {
        {"trailer", {0x3B}, 1},
        {"end of data", {}, 1},
        {"stray byte", {0x00, 0x2C}, 1},
        {"extension cut short", {0x21, 0xFE, 5, 1}, 1},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        Bytes file = one;
        file.insert(file.end(), c.tail.begin(), c.tail.end());
        SDecodedImage img;
        ASSERT_TRUE(decode(file, &img).boOk());
        EXPECT_EQ(img.frames.size(), c.frames);
    }
}

TEST(GifLzw, InterlacedTenRowsFillPassesInOrder)
{
    // Row k of the data holds the value k: the rows come in pass order.
    Bytes pixels;
    for (uint8_t k = 0; k < 10; ++k)
        pixels.push_back(k % 4);
    const Bytes file = literalGif(1, 10, pixels, true);
    SDecodedImage img;
    ASSERT_TRUE(decode(file, &img).boOk());
    ASSERT_EQ(img.frames.size(), 1u);
    // Rows in the order they are written: 0, 8 | 4 | 2, 6 | 1, 3, 5, 7, 9.
    const int order[10] = {0, 8, 4, 2, 6, 1, 3, 5, 7, 9};
    for (int k = 0; k < 10; ++k)
        EXPECT_EQ(img.frames[0][order[k]], k % 4) << "row " << order[k];
}

TEST(GifLzw, CodeEqualToTheNextFreeCode)
{
    // m = 2: clear 4, end 5, first free 6. "1" then 6 (= "1" + "1") then 7
    // (= "11" + "1"), whose entry widens the codes to 4 bits.
    const Bytes file = CGifBuilder(6, 1)
                           .descriptor(6, 1)
                           .codes(2, {{4, 3}, {1, 3}, {6, 3}, {7, 3}, {5, 4}})
                           .trailer()
                           .bytes();
    SDecodedImage img;
    ASSERT_TRUE(decode(file, &img).boOk());
    EXPECT_EQ(img.frames[0], (Bytes{1, 1, 1, 1, 1, 1}));
}

TEST(GifLzw, PrefixCycleEndsTheData)
{
    // 7 is used before it exists, then defined with itself as prefix: the
    // five pixels before it, then the current pixel 0 and nothing more.
    const Bytes file = CGifBuilder(3, 3)
                           .descriptor(3, 3)
                           .codes(2, {{4, 3}, {1, 3}, {7, 3}, {6, 3}, {7, 4}, {1, 4}, {1, 4}})
                           .trailer()
                           .bytes();
    SDecodedImage img;
    ASSERT_TRUE(decode(file, &img).boOk());
    EXPECT_EQ(img.frames[0], (Bytes{1, 1, 1, 1, 1, 0, 0, 0, 0}));
}

TEST(GifLzw, TruncatedDataKeepFramesWithUnreadRowsZero)
{
    // 4 x 3, the codes of the first row and a half only, in 1-byte blocks,
    // the file cut in the middle of the data.
    Bytes pixels = {1, 2, 3, 1, 2, 3, 1, 2, 3, 1, 2, 3};
    std::vector<SCode> codes = literalCodes(2, pixels);
    codes.resize(codes.size() / 2);
    const Bytes cut = CGifBuilder(4, 3).descriptor(4, 3).codes(2, codes, 1, false).bytes();
    SDecodedImage img;
    ASSERT_TRUE(decode(cut, &img).boOk());
    ASSERT_EQ(img.frames.size(), 1u);
    const Bytes& f = img.frames[0];
    EXPECT_EQ(Bytes(f.begin(), f.begin() + 4), (Bytes{1, 2, 3, 1}));
    EXPECT_EQ(Bytes(f.begin() + 8, f.end()), (Bytes{0, 0, 0, 0}));

    // A second image cut short: the first frame stays whole.
    const Bytes two = CGifBuilder(4, 3)
                          .descriptor(4, 3)
                          .codes(2, literalCodes(2, pixels))
                          .descriptor(4, 3)
                          .codes(2, codes, 1, false)
                          .bytes();
    ASSERT_TRUE(decode(two, &img).boOk());
    ASSERT_EQ(img.frames.size(), 2u);
    EXPECT_EQ(img.frames[0], pixels);
    EXPECT_EQ(Bytes(img.frames[1].begin() + 8, img.frames[1].end()), (Bytes{0, 0, 0, 0}));
}

TEST(GifLzw, LaterImagesUseTheFirstImagesSize)
{
    const Bytes file = CGifBuilder(9, 9)
                           .descriptor(2, 2)
                           .codes(2, literalCodes(2, {1, 2, 3, 1}))
                           .descriptor(1, 1, false, 1) // own size and table ignored
                           .codes(2, literalCodes(2, {3, 3, 2, 2}))
                           .trailer()
                           .bytes();
    SDecodedImage img;
    ASSERT_TRUE(decode(file, &img).boOk());
    EXPECT_EQ(img.rect.width, 2);
    EXPECT_EQ(img.rect.height, 2);
    EXPECT_EQ(img.palette.size(), 4u); // the global table: the first image had no local one
    ASSERT_EQ(img.frames.size(), 2u);
    EXPECT_EQ(img.frames[1], (Bytes{3, 3, 2, 2}));
}

TEST(GifLzw, LocalTableOfTheFirstImageIsThePalette)
{
    const Bytes file =
        CGifBuilder(2, 1).descriptor(2, 1, false, 2).codes(2, literalCodes(2, {5, 7})).trailer().bytes();
    SDecodedImage img;
    ASSERT_TRUE(decode(file, &img).boOk());
    ASSERT_EQ(img.palette.size(), 8u);
    EXPECT_EQ(img.palette[7].r, 7);
}

TEST(GifLzw, MinimumCodeSizeOutOfRangeGivesAnEmptyFrame)
{
    for (int m : {0, 12, 255})
    {
        SCOPED_TRACE(m);
        const Bytes file = CGifBuilder(2, 1).descriptor(2, 1).codes(m, {{1, 8}, {2, 8}}).trailer().bytes();
        SDecodedImage img;
        ASSERT_TRUE(decode(file, &img).boOk());
        EXPECT_EQ(img.frames[0], (Bytes{0, 0}));
    }
}

TEST(GifLimits, PixelBudget)
{
    // 4096 x 4096 is the largest frame; one pixel row more fails.
    SDecodedImage img;
    const Bytes largest =
        CGifBuilder(4096, 4096).descriptor(4096, 4096).codes(2, {{4, 3}, {5, 3}}).trailer().bytes();
    ASSERT_TRUE(decode(largest, &img).boOk());
    EXPECT_EQ(img.frames[0].size(), kMaxFramePixels);
    const Bytes over =
        CGifBuilder(4096, 4097).descriptor(4096, 4097).codes(2, {{4, 3}, {5, 3}}).trailer().bytes();
    EXPECT_EQ(decode(over, &img).status, EImageStatus::TooLarge);
    EXPECT_TRUE(img.frames.empty());

    // Frames of 30 bytes each cannot add up to more than the image budget.
    CGifBuilder many(4096, 4096);
    for (int i = 0; i < 5; ++i)
        many.descriptor(4096, 4096).codes(2, {{4, 3}, {5, 3}});
    EXPECT_EQ(decode(many.trailer().bytes(), &img).status, EImageStatus::TooLarge);
    CGifBuilder four(4096, 4096);
    for (int i = 0; i < 4; ++i)
        four.descriptor(4096, 4096).codes(2, {{4, 3}, {5, 3}});
    EXPECT_TRUE(decode(four.trailer().bytes(), &img).boOk());
    EXPECT_EQ(img.frames.size(), 4u);
}

TEST(GifLimits, AMillionFramesKeepTheFirstOnes)
{
    // One frame of one pixel in 14 bytes, a million times over (14 MB).
    const Bytes one = CGifBuilder(1, 1).descriptor(1, 1).codes(2, literalCodes(2, {1})).bytes();
    const Bytes header = CGifBuilder(1, 1).bytes();
    const Bytes frame(one.begin() + std::ptrdiff_t(header.size()), one.end());
    for (std::size_t frames : {kMaxImageFrames - 1, kMaxImageFrames, kMaxImageFrames + 1, std::size_t{1000000}})
    {
        SCOPED_TRACE(frames);
        Bytes file = header;
        file.reserve(header.size() + frames * frame.size() + 1);
        for (std::size_t i = 0; i < frames; ++i)
            file.insert(file.end(), frame.begin(), frame.end());
        file.push_back(0x3B);
        SDecodedImage img;
        ASSERT_TRUE(decode(file, &img).boOk());
        EXPECT_EQ(img.frames.size(), std::min(frames, kMaxImageFrames));
        EXPECT_EQ(img.frames.back(), Bytes{1});
    }
}
