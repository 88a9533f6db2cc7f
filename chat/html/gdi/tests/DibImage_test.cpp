#include "BmpDecoder.h"
#include "BmpImage.h"
#include "BmpKinds.h"
#include "DibSection.h"
#include "GifDecoder.h"
#include "HtmlImageSource.h"
#include "ImageFixtures.h"
#include "TestKit.h"
#include "TestHelper.h"

#include <gtest/gtest.h>

using namespace FdHtml;
using namespace FdHtmlTest;

namespace
{
const COLORREF kGreen = RGB(0, 160, 60);
const COLORREF kBlue = RGB(30, 60, 200);

// A fixture loaded through the image source, and what the decoder reads
// from the same bytes (indices and palette for the expectations).
struct SLoaded
{
    CHtmlImageSource source;
    SDecodedImage decoded;
};

void vLoad(const std::string& name, SLoaded* p)
{
    ASSERT_TRUE(p->source.boLoadFromFile(strFixturePath(name))) << name;
    ASSERT_TRUE(p->source.image() && p->source.image()->frames() > 0) << name;
    const std::vector<uint8_t> bytes = readFile(strFixturePath(name));
    ASSERT_TRUE(gifDecode(bytes.data(), bytes.size(), &p->decoded).boOk()) << name;
}

// The 8-bit target's colour table: the image's colours and the backgrounds.
std::vector<SRgb> tableFor(const SDecodedImage& img, std::size_t used)
{
    std::vector<SRgb> colours(img.palette.begin(), img.palette.begin() + std::min(used, img.palette.size()));
    for (COLORREF c : {kGreen, kBlue})
        colours.push_back(SRgb{GetRValue(c), GetGValue(c), GetBValue(c)});
    return colours;
}

// Checks a transparent frame drawn at (x, y) over a plain background.
void vExpectComposed(const CDibTarget& t, const SDecodedImage& img, std::size_t frame, int x, int y,
                     COLORREF background, int line)
{
    SCOPED_TRACE(testing::Message() << "called from line " << line << ", frame " << frame);
    const int w = img.rect.width;
    for (int py = 0; py < img.rect.height; ++py)
    {
        for (int px = 0; px < w; ++px)
        {
            const uint8_t idx = img.frames[frame][static_cast<std::size_t>(py) * w + px];
            const uint32_t want = idx == img.bTransparentIndex ? rgbOf(background) : rgbOf(img.palette[idx]);
            ASSERT_EQ(t.dwPixel(x + px, y + py), want) << "at " << px << "," << py << " index " << int(idx);
        }
    }
}

class ImageDraw : public testing::TestWithParam<int>
{
};
} // namespace

TEST_P(ImageDraw, OpaqueImageStretched)
{
    SLoaded still;
    FD_HELPER(vLoad("still.gif", &still));
    CDibTarget t(64, 48, GetParam(), tableFor(still.decoded, 4));
    ASSERT_TRUE(t.boValid());
    t.vFill(kBlue, RECT{0, 0, 64, 48});
    const RECT rc = {4, 4, 4 + 48, 4 + 32}; // twice the image's size
    EXPECT_EQ(still.source.iDrawStretched(t.dc(), rc, 0), 1);
    t.boSave("draw_opaque_" + std::to_string(GetParam()) + ".bmp");
    const SDecodedImage& img = still.decoded;
    for (int py = 0; py < img.rect.height; ++py)
    {
        for (int px = 0; px < img.rect.width; ++px)
        {
            const uint32_t want =
                rgbOf(img.palette[img.frames[0][static_cast<std::size_t>(py) * img.rect.width + px]]);
            ASSERT_EQ(t.dwPixel(4 + 2 * px, 4 + 2 * py), want) << px << "," << py;
            ASSERT_EQ(t.dwPixel(5 + 2 * px, 5 + 2 * py), want) << px << "," << py;
        }
    }
    EXPECT_EQ(t.dwPixel(53, 37), rgbOf(kBlue));
    // At its own size through the point form.
    t.vFill(kBlue, RECT{0, 0, 64, 48});
    EXPECT_EQ(still.source.iDraw(t.dc(), 2, 3, 0), 1);
    EXPECT_EQ(t.dwPixel(2 + 23, 3 + 15), rgbOf(img.palette[img.frames[0][15 * 24 + 23]]));
    EXPECT_EQ(t.dwPixel(2 + 24, 3), rgbOf(kBlue));
}

TEST_P(ImageDraw, TransparentImageAtItsOwnSizeKeepsTheBackground)
{
    SLoaded smiley;
    FD_HELPER(vLoad("smiley.gif", &smiley));
    ASSERT_EQ(smiley.source.iTransparentIndex(), 0);
    CDibTarget t(48, 48, GetParam(), tableFor(smiley.decoded, 4));
    t.vFill(kGreen, RECT{0, 0, 48, 48});
    // Asked for twice its size: drawn at its own.
    EXPECT_EQ(smiley.source.iDrawStretched(t.dc(), RECT{6, 5, 6 + 32, 5 + 32}, 0), 1);
    t.boSave("draw_transparent_" + std::to_string(GetParam()) + ".bmp");
    vExpectComposed(t, smiley.decoded, 0, 6, 5, kGreen, __LINE__);
    EXPECT_EQ(t.dwPixel(6 + 20, 5 + 20), rgbOf(kGreen));
    // Drawn again over itself: nothing piles up.
    EXPECT_EQ(smiley.source.iDraw(t.dc(), 6, 5, 0), 1);
    vExpectComposed(t, smiley.decoded, 0, 6, 5, kGreen, __LINE__);
}

TEST_P(ImageDraw, SecondFrameOverTheSavedBackgroundNotOverTheFirst)
{
    SLoaded anim;
    FD_HELPER(vLoad("animated.gif", &anim));
    const SDecodedImage& img = anim.decoded;
    ASSERT_EQ(img.frames.size(), 2u);
    // The top right corner is opaque in frame 0 and transparent in frame 1.
    ASSERT_NE(img.frames[0][15], img.bTransparentIndex);
    ASSERT_EQ(img.frames[1][15], img.bTransparentIndex);
    CDibTarget t(40, 40, GetParam(), tableFor(img, 4));
    t.vFill(kGreen, RECT{0, 0, 40, 40});

    CImageBackdrop owner;
    anim.source.vEndPaint(); // a paint has just ended: the next draw saves what lies below
    EXPECT_EQ(anim.source.iDraw(t.dc(), 4, 4, 0, &owner), 1);
    EXPECT_TRUE(owner.boSaved());
    vExpectComposed(t, img, 0, 4, 4, kGreen, __LINE__);
    EXPECT_EQ(anim.source.iDraw(t.dc(), 4, 4, 1, &owner), 1);
    t.boSave("draw_animated_" + std::to_string(GetParam()) + ".bmp");
    vExpectComposed(t, img, 1, 4, 4, kGreen, __LINE__);

    // Before any end of paint nothing is saved: frame 1 lies over frame 0.
    CImageBackdrop fresh;
    SLoaded again;
    FD_HELPER(vLoad("animated.gif", &again));
    t.vFill(kGreen, RECT{0, 0, 40, 40});
    again.source.iDraw(t.dc(), 4, 4, 0, &fresh);
    again.source.iDraw(t.dc(), 4, 4, 1, &fresh);
    EXPECT_FALSE(fresh.boSaved());
    EXPECT_EQ(t.dwPixel(4 + 15, 4), rgbOf(img.palette[img.frames[0][15]]));
}

// Asked for less than its own size, the image still saves the whole area its
// frames cover.
TEST_P(ImageDraw, SavedBackgroundCoversTheFrameWhenAskedSmaller)
{
    SLoaded anim;
    FD_HELPER(vLoad("animated.gif", &anim));
    CDibTarget t(40, 40, GetParam(), tableFor(anim.decoded, 4));
    t.vFill(kGreen, RECT{0, 0, 40, 40});
    CImageBackdrop owner;
    anim.source.vEndPaint();
    const RECT small = {4, 4, 12, 12};
    anim.source.iDrawStretched(t.dc(), small, 0, &owner);
    anim.source.iDrawStretched(t.dc(), small, 1, &owner);
    vExpectComposed(t, anim.decoded, 1, 4, 4, kGreen, __LINE__);
}

TEST_P(ImageDraw, OneImageAtTwoPlacesKeepsEachOwnersBackground)
{
    SLoaded anim;
    FD_HELPER(vLoad("animated.gif", &anim));
    const SDecodedImage& img = anim.decoded;
    CDibTarget t(64, 32, GetParam(), tableFor(img, 4));
    t.vFill(kGreen, RECT{0, 0, 32, 32});
    t.vFill(kBlue, RECT{32, 0, 64, 32});
    CImageBackdrop first;
    CImageBackdrop second;
    anim.source.vEndPaint();
    for (int frame : {0, 1})
    {
        anim.source.iDraw(t.dc(), 4, 4, frame, &first);
        anim.source.iDraw(t.dc(), 40, 4, frame, &second);
    }
    t.boSave("draw_two_owners_" + std::to_string(GetParam()) + ".bmp");
    vExpectComposed(t, img, 1, 4, 4, kGreen, __LINE__);
    vExpectComposed(t, img, 1, 40, 4, kBlue, __LINE__);

    // The end of a paint discards both; the next draw saves again.
    anim.source.vEndPaint();
    EXPECT_FALSE(first.boSaved());
    EXPECT_FALSE(second.boSaved());
    anim.source.iDraw(t.dc(), 4, 4, 0, &first);
    EXPECT_TRUE(first.boSaved());
    EXPECT_FALSE(second.boSaved());
}

// An animation keeps one GDI bitmap whatever frame it draws; a still image
// keeps its frame's.
TEST_P(ImageDraw, AnAnimationHoldsOneBitmapForAllItsFrames)
{
    SLoaded anim;
    FD_HELPER(vLoad("animated.gif", &anim));
    const SDecodedImage& img = anim.decoded;
    CDibTarget t(40, 40, GetParam(), tableFor(img, 4));
    CImageBackdrop owner;
    anim.source.vEndPaint();
    for (int round = 0; round < 3; ++round)
        for (int frame : {0, 1})
        {
            t.vFill(kGreen, RECT{0, 0, 40, 40});
            owner.vRestart();
            ASSERT_EQ(anim.source.iDraw(t.dc(), 4, 4, frame, &owner), 1);
            vExpectComposed(t, img, std::size_t(frame), 4, 4, kGreen, __LINE__);
            EXPECT_EQ(anim.source.image()->frameBitmaps(), 1u);
        }
    SLoaded still;
    FD_HELPER(vLoad("still.gif", &still));
    EXPECT_EQ(still.source.image()->frameBitmaps(), 0u);
    still.source.iDraw(t.dc(), 0, 0, 0);
    still.source.iDraw(t.dc(), 0, 0, 0);
    EXPECT_EQ(still.source.image()->frameBitmaps(), 1u);
}

// An owner's own restart: it saves again on its next draw, even before the
// image's end of paint, and another owner's saved background stays.
TEST_P(ImageDraw, ARestartedOwnerSavesAgainAndLeavesTheOthers)
{
    SLoaded anim;
    FD_HELPER(vLoad("animated.gif", &anim));
    const SDecodedImage& img = anim.decoded;
    CDibTarget t(64, 32, GetParam(), tableFor(img, 4));
    t.vFill(kGreen, RECT{0, 0, 32, 32});
    t.vFill(kBlue, RECT{32, 0, 64, 32});
    CImageBackdrop first;
    CImageBackdrop second;
    first.vRestart();
    second.vRestart();
    anim.source.iDraw(t.dc(), 4, 4, 0, &first);
    anim.source.iDraw(t.dc(), 40, 4, 0, &second);
    EXPECT_TRUE(first.boSaved());
    EXPECT_TRUE(second.boSaved());
    // The first one's page painted again (over a new background).
    t.vFill(kBlue, RECT{0, 0, 32, 32});
    first.vRestart();
    EXPECT_FALSE(first.boSaved());
    EXPECT_TRUE(second.boSaved());
    for (int frame : {1, 0, 1})
    {
        anim.source.iDraw(t.dc(), 4, 4, frame, &first);
        anim.source.iDraw(t.dc(), 40, 4, frame, &second);
        vExpectComposed(t, img, std::size_t(frame), 4, 4, kBlue, __LINE__);
        vExpectComposed(t, img, std::size_t(frame), 40, 4, kBlue, __LINE__);
    }
}

INSTANTIATE_TEST_SUITE_P(Bits, ImageDraw, testing::Values(32, 8),
                         [](const testing::TestParamInfo<int>& info)
                         { return std::to_string(info.param) + "bpp"; });

TEST(ImageDrawBmp, FramesDrawnThroughTheirOwnHeader)
{
    for (const char* name : {"bmp1.bmp", "bmp4.bmp", "bmp8.bmp", "bmp24.bmp"})
    {
        SCOPED_TRACE(name);
        CHtmlImageSource source;
        ASSERT_TRUE(source.boLoadFromFile(strFixturePath(name)));
        EXPECT_EQ(source.kind(), kImageBmp);
        const std::vector<uint8_t> bytes = readFile(strFixturePath(name));
        SDecodedImage img;
        ASSERT_TRUE(bmpDecode(bytes.data(), bytes.size(), &img).boOk());
        const std::vector<uint8_t> pillow = readFile(strFixturePath(std::string(name) + ".idx"));
        CDibTarget t(20, 12, 32);
        t.vFill(kBlue, RECT{0, 0, 20, 12});
        ASSERT_EQ(source.iDraw(t.dc(), 1, 2, 0), 1);
        const int w = img.rect.width;
        for (int py = 0; py < img.rect.height; ++py)
        {
            for (int px = 0; px < w; ++px)
            {
                const std::size_t k = static_cast<std::size_t>(py) * w + px;
                const uint32_t want = img.palette.empty()
                                          ? (uint32_t{pillow[3 * k]} << 16) |
                                                (uint32_t{pillow[3 * k + 1]} << 8) | pillow[3 * k + 2]
                                          : rgbOf(img.palette[pillow[k]]);
                ASSERT_EQ(t.dwPixel(1 + px, 2 + py), want) << px << "," << py;
            }
        }
    }
}

// 16 and 32 bits, bit fields, RLE8, RLE4 and top-down rows all reach GDI,
// which draws the same picture from each.
TEST(ImageDrawBmp, EveryKindOfInfoHeaderDraws)
{
    const auto& kinds = bmpKinds();
    CDibTarget t(kKindWidth + 2, static_cast<int>(kinds.size()) * (kKindHeight + 1) + 1, 32);
    t.vFill(kBlue, RECT{0, 0, kKindWidth + 2, static_cast<int>(kinds.size()) * (kKindHeight + 1) + 1});
    for (std::size_t i = 0; i < kinds.size(); ++i)
    {
        SCOPED_TRACE(kinds[i].name);
        const std::vector<uint8_t> file = makeKindBmp(kinds[i]);
        CBmpImage image;
        ASSERT_TRUE(image.boLoadFromMemory(file.data(), file.size()));
        const int top = 1 + static_cast<int>(i) * (kKindHeight + 1);
        EXPECT_EQ(image.iDraw(t.dc(), 1, top, 0, 0, 0, false, nullptr), 1);
    }
    t.boSave(strArtefact("bmp-kinds.bmp"));
    for (std::size_t i = 0; i < kinds.size(); ++i)
    {
        SCOPED_TRACE(kinds[i].name);
        const int top = 1 + static_cast<int>(i) * (kKindHeight + 1);
        for (int y = 0; y < kKindHeight; ++y)
        {
            for (int x = 0; x < kKindWidth; ++x)
                EXPECT_EQ(t.dwPixel(1 + x, top + y), kindPixel(x, y)) << x << "," << y;
        }
        EXPECT_EQ(t.dwPixel(1 + kKindWidth, top), rgbOf(kBlue)) << "nothing drawn right of the picture";
        EXPECT_EQ(t.dwPixel(1, top + kKindHeight), rgbOf(kBlue)) << "nothing drawn below it";
    }
}

TEST(ImageSource, QueriesAndLoads)
{
    CHtmlImageSource none;
    RECT rc = {0, 0, 4, 4};
    CDibTarget t(8, 8, 32);
    uint32_t delay = 7;
    EXPECT_EQ(none.iDraw(t.dc(), 0, 0, 0), 0);
    EXPECT_EQ(none.iDrawStretched(t.dc(), rc, 0), 0);
    EXPECT_EQ(none.iFrameCount(&delay), 0);
    EXPECT_EQ(delay, 0u);
    EXPECT_EQ(none.iTransparentIndex(), -1);
    EXPECT_EQ(none.rect().width, 0);
    EXPECT_EQ(none.hGetPalette(), nullptr);

    CHtmlImageSource anim;
    ASSERT_TRUE(anim.boLoadFromFile(strFixturePath("animated.gif")));
    EXPECT_EQ(anim.iFrameCount(&delay), 2);
    EXPECT_EQ(delay, 200u);
    EXPECT_NE(anim.hGetPalette(), nullptr);
    EXPECT_EQ(anim.iDraw(t.dc(), 0, 0, 2), 0); // no third frame
    CHtmlImageSource still;
    ASSERT_TRUE(still.boLoadFromFile(strFixturePath("still.gif")));
    EXPECT_EQ(still.iFrameCount(&delay), 0); // not animated
    EXPECT_EQ(still.rect().width, 24);

    // A missing file fails; a file that does not decode loads as an empty
    // image; a name of no known kind is read as GIF when its bytes say so.
    CHtmlImageSource s;
    EXPECT_FALSE(s.boLoadFromFile(strFixturePath("missing.gif")));
    EXPECT_FALSE(s.boLoadFromFile(strFixturePath("expected.txt")));
    EXPECT_FALSE(s.boLoadFromFile(strFixturePath("still.gif.idx"))); // no kind by name nor by bytes
    const FdTestKit::CScratchFolder scratch;
    const std::string dir = scratch.Path() + "\\";
    const std::string bad = dir + "bad.gif";
    const std::string unnamed = dir + "still.dat";
    ASSERT_TRUE(CopyFileA(strFixturePath("bmp8.bmp").c_str(), bad.c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(strFixturePath("still.gif").c_str(), unnamed.c_str(), FALSE));
    EXPECT_TRUE(s.boLoadFromFile(bad));
    ASSERT_NE(s.image(), nullptr);
    EXPECT_EQ(s.image()->frames(), 0u);
    EXPECT_EQ(s.iDraw(t.dc(), 0, 0, 0), 0);
    EXPECT_TRUE(s.boLoadFromFile(unnamed));
    EXPECT_EQ(s.kind(), kImageGif);
    EXPECT_EQ(s.rect().width, 24);
    DeleteFileA(bad.c_str());
    DeleteFileA(unnamed.c_str());
}
