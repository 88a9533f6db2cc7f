#include "DibSection.h"
#include "FontCache.h"
#include "ImageCache.h"
#include "ImageFixtures.h"
#include "TestKit.h"

#include <gtest/gtest.h>

using namespace FdHtml;
using namespace FdHtmlTest;

namespace
{
FontDesc font(const char* face, int height = 18, int weight = 400)
{
    FontDesc d;
    d.face = face;
    d.height = height;
    d.weight = weight;
    return d;
}

// The fixture module with the "IMAGE" resources, beside the test program.
HMODULE hFixtureModule()
{
    static HMODULE h = LoadLibraryA("htmlimgfix.dll");
    return h;
}
} // namespace

TEST(FontDescTest, DefaultsAndEquality)
{
    const FontDesc d;
    EXPECT_EQ(d.height, 0);
    EXPECT_EQ(d.face, "Times New Roman");
    EXPECT_EQ(d.weight, 400);
    EXPECT_EQ(defaultDocumentFont().height, 18);
    EXPECT_EQ(font("Arial"), font("Arial"));
    EXPECT_NE(font("Arial"), font("arial"));
    FontDesc u = font("Arial");
    u.underline = 1;
    EXPECT_NE(u, font("Arial"));
}

TEST(FontDescTest, FromTheFontSelectedInADc)
{
    // A face the system has, so that no other one stands in for it.
    HDC hdcScreen = GetDC(nullptr);
    LOGFONTA lf = {};
    lf.lfCharSet = ANSI_CHARSET;
    std::string face;
    EnumFontFamiliesExA(
        hdcScreen, &lf,
        [](const LOGFONTA* p, const TEXTMETRICA*, DWORD type, LPARAM out) -> int
        {
            if (!(type & TRUETYPE_FONTTYPE) || p->lfFaceName[0] == '@')
                return 1;
            *reinterpret_cast<std::string*>(out) = p->lfFaceName;
            return 0;
        },
        reinterpret_cast<LPARAM>(&face), 0);
    ReleaseDC(nullptr, hdcScreen);
    ASSERT_FALSE(face.empty());
    FontDesc want = font(face.c_str(), 20, 700);
    want.italic = 1;
    want.underline = 1;
    CFontCache cache(false);
    HFONT h = cache.GetFont(want);
    ASSERT_NE(h, nullptr);
    HDC hdc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(hdc, h);
    const FontDesc got = FontDescFromDC(hdc);
    SelectObject(hdc, old);
    DeleteDC(hdc);
    cache.ReleaseFont(h);
    EXPECT_EQ(got.face, face);
    EXPECT_EQ(got.height, 20);
    EXPECT_EQ(got.weight, 700);
    EXPECT_EQ(got.italic, 1);
    EXPECT_EQ(got.underline, 1);
    EXPECT_EQ(got.strikeOut, 0);
}

TEST(FontCacheTest, SameDescriptionSameFontUntilTheLastRelease)
{
    CFontCache cache; // shared, as documents make them
    CFontCache other;
    const FontDesc d = font("Times New Roman", 18, 400);
    HFONT a = cache.GetFont(d);
    HFONT b = other.GetFont(d);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, b);
    cache.ReleaseFont(a);
    EXPECT_EQ(GetObjectType(a), static_cast<DWORD>(OBJ_FONT)) << "one release must not delete it";
    other.ReleaseFont(b);
    EXPECT_EQ(GetObjectType(a), 0u) << "the last release deletes it";

    HFONT upper = cache.GetFont(font("Arial"));
    HFONT lower = cache.GetFont(font("arial"));
    EXPECT_NE(upper, lower) << "faces that differ in case are different fonts";
    CFontCache mine(false);
    HFONT own = mine.GetFont(font("Arial"));
    EXPECT_NE(own, upper) << "a private cache has its own list";
    EXPECT_EQ(mine.entries(), 1u);
    mine.ReleaseFont(upper); // not in this cache: ignored
    EXPECT_EQ(GetObjectType(upper), static_cast<DWORD>(OBJ_FONT));
    mine.ReleaseFont(own);
    EXPECT_EQ(mine.entries(), 0u);
    cache.ReleaseFont(upper);
    cache.ReleaseFont(lower);
    cache.ReleaseFont(nullptr);
}

TEST(BrushCacheTest, SameColourSameBrush)
{
    CBrushCache cache(false);
    HBRUSH a = cache.GetBrush(RGB(1, 2, 3));
    HBRUSH b = cache.GetBrush(RGB(1, 2, 3));
    HBRUSH c = cache.GetBrush(RGB(1, 2, 4));
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    LOGBRUSH lb = {};
    ASSERT_EQ(GetObjectA(a, sizeof lb, &lb), static_cast<int>(sizeof lb));
    EXPECT_EQ(lb.lbStyle, static_cast<UINT>(BS_SOLID));
    EXPECT_EQ(lb.lbColor, RGB(1, 2, 3));
    cache.ReleaseBrush(a);
    EXPECT_EQ(GetObjectType(a), static_cast<DWORD>(OBJ_BRUSH));
    cache.ReleaseBrush(b);
    EXPECT_EQ(GetObjectType(a), 0u);
    cache.ReleaseBrush(c);
    EXPECT_EQ(cache.entries(), 0u);
}

TEST(ImageCacheTest, NamesMatchWithoutRegardToCase)
{
    const FdTestKit::CScratchFolder scratch;
    const std::string dir = scratch.Path() + "\\";
    ASSERT_TRUE(CopyFileA(strFixturePath("smiley.gif").c_str(), (dir + "a.gif").c_str(), FALSE));
    CImageCache cache(false);
    CHtmlImageSource* a = cache.GetImage(dir + "a.gif", nullptr);
    CHtmlImageSource* b = cache.GetImage(dir + "A.GIF", nullptr);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, b);
    EXPECT_EQ(cache.entries(), 1u);
    EXPECT_EQ(a->rect().width, 16);
    cache.ReleaseImage(a);
    EXPECT_EQ(cache.entries(), 1u);
    cache.ReleaseImage(b);
    EXPECT_EQ(cache.entries(), 0u);
    cache.ReleaseImage(nullptr);
    DeleteFileA((dir + "a.gif").c_str());
}

TEST(ImageCacheTest, AFailedLoadLeavesNoEntry)
{
    const FdTestKit::CScratchFolder scratch;
    const std::string dir = scratch.Path() + "\\";
    const std::string late = dir + "late.gif";
    DeleteFileA(late.c_str());
    CImageCache cache(false);
    EXPECT_EQ(cache.GetImage(late, nullptr), nullptr);
    EXPECT_EQ(cache.entries(), 0u);
    ASSERT_TRUE(CopyFileA(strFixturePath("still.gif").c_str(), late.c_str(), FALSE));
    CHtmlImageSource* p = cache.GetImage(late, nullptr);
    ASSERT_NE(p, nullptr) << "the next request tries again";
    EXPECT_EQ(p->rect().width, 24);
    cache.ReleaseImage(p);
    DeleteFileA(late.c_str());
}

TEST(ImageCacheTest, ResourceNamesFromTheModule)
{
    ASSERT_NE(hFixtureModule(), nullptr);
    CImageCache cache(false);
    EXPECT_EQ(cache.GetImage("res://smiley.gif", nullptr), nullptr) << "not in the program's own resources";
    CHtmlImageSource* smiley = cache.GetImage("res://smiley.gif", hFixtureModule());
    ASSERT_NE(smiley, nullptr);
    EXPECT_EQ(smiley->kind(), kImageGif);
    EXPECT_EQ(smiley->rect().width, 16);
    EXPECT_EQ(smiley->iTransparentIndex(), 0);
    EXPECT_EQ(cache.GetImage("RES://SMILEY.GIF", hFixtureModule()), smiley);
    CHtmlImageSource* bmp = cache.GetImage("res://bmp8.bmp", hFixtureModule());
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(bmp->kind(), kImageBmp);
    EXPECT_EQ(bmp->rect().width, 11);
    EXPECT_EQ(cache.GetImage("res://missing.gif", hFixtureModule()), nullptr);
    EXPECT_EQ(cache.GetImage("res://notanimage.png", hFixtureModule()), nullptr) << "no kind by name";
    EXPECT_EQ(cache.entries(), 2u);

    // The image source alone, module given or set as the default.
    CHtmlImageSource source;
    EXPECT_FALSE(source.boLoadFromResource("SMILEY.GIF", nullptr));
    vSetImageResourceModule(hFixtureModule());
    EXPECT_TRUE(source.boLoadFromResource("ANIMATED.GIF", nullptr));
    vSetImageResourceModule(nullptr);
    EXPECT_EQ(source.iFrameCount(nullptr), 2);

    cache.ReleaseImage(smiley);
    cache.ReleaseImage(smiley);
    cache.ReleaseImage(bmp);
    EXPECT_EQ(cache.entries(), 0u);
}

TEST(ImageCacheTest, EndPaintArmsEveryImagesSave)
{
    ASSERT_NE(hFixtureModule(), nullptr);
    CImageCache cache; // the process-wide list
    CHtmlImageSource* anim = cache.GetImage("res://animated.gif", hFixtureModule());
    ASSERT_NE(anim, nullptr);
    CDibTarget t(32, 32, 32);
    CImageBackdrop owner;
    anim->iDraw(t.dc(), 0, 0, 0, &owner);
    EXPECT_FALSE(owner.boSaved());
    cache.EndPaint();
    anim->iDraw(t.dc(), 0, 0, 0, &owner);
    EXPECT_TRUE(owner.boSaved());
    cache.EndPaint();
    EXPECT_FALSE(owner.boSaved());
    EXPECT_GE(cache.RealizePalettes(t.dc(), true), 0);
    cache.ReleaseImage(anim);
}
