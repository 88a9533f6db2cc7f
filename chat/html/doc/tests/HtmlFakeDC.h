// Fakes of the drawing seams for host tests: a document host whose fonts
// have fixed metrics (each byte is half the font's height wide) and whose
// brushes and images are only records (files are read for real), and a
// device context that records what it is asked to draw.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "HtmlDC.h"
#include "HtmlStdHost.h"

namespace FdHtmlTest
{
// What a fake image is: a size.
struct FakeImage
{
    std::string name;
    int32_t width = 0;
    int32_t height = 0;
    int32_t frames = 0; // 0: still
    uint32_t delay = 0;
    bool transparent = false;
};

// A backdrop of the fakes: only a record of who drew with it.
class FakeBackdrop : public CHtmlImageBackdrop
{
};

class FakeHost : public StdFileHost
{
public:
    HFONT__* GetFont(const FontDesc& description) override
    {
        fontRequests.push_back(description);
        return FontOf(description);
    }
    void ReleaseFont(HFONT__*) override { ++fontReleases; }
    HBRUSH__* GetBrush(uint32_t color) override
    {
        brushes.push_back(std::make_unique<uint32_t>(color));
        return reinterpret_cast<HBRUSH__*>(brushes.back().get());
    }
    void ReleaseBrush(HBRUSH__*) override {}
    CHtmlImageSource* GetImage(const std::string& name, void*) override
    {
        imageRequests.push_back(name);
        // Registered names match the end of the address (the page's folder comes first).
        for (auto& image : images)
            if (name.size() >= image->name.size() &&
                name.compare(name.size() - image->name.size(), image->name.size(), image->name) == 0)
                return reinterpret_cast<CHtmlImageSource*>(image.get());
        return nullptr;
    }
    void ReleaseImage(CHtmlImageSource*) override { ++imageReleases; }
    void GetImageSize(CHtmlImageSource* image, int32_t* width, int32_t* height) override
    {
        const auto* fake = reinterpret_cast<const FakeImage*>(image);
        *width = fake->width;
        *height = fake->height;
    }
    int32_t GetImageFrames(CHtmlImageSource* image, uint32_t* delayMs) override
    {
        const auto* fake = reinterpret_cast<const FakeImage*>(image);
        *delayMs = fake->delay;
        return fake->frames;
    }
    bool IsImageTransparent(CHtmlImageSource* image) override
    {
        return reinterpret_cast<const FakeImage*>(image)->transparent;
    }
    std::unique_ptr<CHtmlImageBackdrop> NewBackdrop() override { return std::make_unique<FakeBackdrop>(); }

    // The handle of a description (the same one for equal descriptions).
    HFONT__* FontOf(const FontDesc& description)
    {
        for (auto& font : fonts)
            if (*font == description)
                return reinterpret_cast<HFONT__*>(font.get());
        fonts.push_back(std::make_unique<FontDesc>(description));
        return reinterpret_cast<HFONT__*>(fonts.back().get());
    }
    static const FontDesc& DescOf(HFONT__* font) { return *reinterpret_cast<const FontDesc*>(font); }
    static uint32_t ColorOf(HBRUSH__* brush) { return *reinterpret_cast<const uint32_t*>(brush); }
    FakeImage& AddImage(const std::string& name, int32_t width, int32_t height)
    {
        images.push_back(std::make_unique<FakeImage>(FakeImage{name, width, height}));
        return *images.back();
    }

    std::vector<std::unique_ptr<FontDesc>> fonts;
    std::vector<std::unique_ptr<uint32_t>> brushes;
    std::vector<std::unique_ptr<FakeImage>> images;
    std::vector<FontDesc> fontRequests;
    std::vector<std::string> imageRequests;
    int fontReleases = 0;
    int imageReleases = 0;
};

class FakeDC : public CHtmlDC
{
public:
    struct Text
    {
        std::string text;
        LayoutRect box;
        uint32_t color;
        FontDesc font;
    };
    struct Fill
    {
        LayoutRect box;
        uint32_t color;
    };
    struct Line
    {
        int32_t x1, y1, x2, y2;
        uint32_t color;
    };
    struct Image
    {
        const FakeImage* image;
        int32_t x, y, width, height;
        bool stretch;
        int32_t frame;
        const CHtmlImageBackdrop* backdrop;
    };

    // Metrics of a font of height h: ascent 3h/4, internal leading h/6, external leading 2.
    static int32_t CharWidth(int32_t h) { return std::max(1, std::abs(h) / 2); }

    void MeasureText(const char*, uint32_t length, int32_t* width, int32_t* height) override
    {
        ++measures;
        const int32_t h = std::abs(m_font.height);
        *width = int32_t(length) * CharWidth(h);
        *height = h;
    }
    HtmlTextMetrics GetMetrics() override
    {
        HtmlTextMetrics tm;
        tm.height = std::abs(m_font.height);
        tm.ascent = tm.height * 3 / 4;
        tm.descent = tm.height - tm.ascent;
        tm.internalLeading = tm.height / 6;
        tm.externalLeading = 2;
        tm.aveCharWidth = CharWidth(tm.height);
        return tm;
    }
    void DrawTextOnBottom(const char* text, uint32_t length, const LayoutRect& box) override
    {
        if (m_clip == 0)
            texts.push_back({std::string(text, length), box, m_color, m_font});
    }
    FontDesc GetFontDesc() override { return m_font; }
    HFONT__* SelectFont(HFONT__* font) override
    {
        if (font == nullptr)
            return nullptr;
        HFONT__* previous = m_selected;
        m_selected = font;
        m_font = FakeHost::DescOf(font);
        return previous;
    }
    HFONT__* CurrentFont() override { return m_selected; }
    uint32_t SetTextColor(uint32_t color) override
    {
        const uint32_t previous = m_color;
        m_color = color;
        return previous;
    }
    uint32_t GetTextColor() override { return m_color; }
    int32_t SetBkMode(int32_t mode) override
    {
        const int32_t previous = m_mode;
        m_mode = mode;
        return previous;
    }
    void FillRect(const LayoutRect& box, HBRUSH__* brush) override
    {
        if (m_clip == 0)
            fills.push_back({box, FakeHost::ColorOf(brush)});
    }
    void DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color) override
    {
        if (m_clip == 0)
            lines.push_back({x1, y1, x2, y2, color});
    }
    // Inverted lines are recorded with this colour.
    static constexpr uint32_t kInverted = 0xFEFEFEFE;
    void InvertLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override
    {
        if (m_clip == 0)
            lines.push_back({x1, y1, x2, y2, kInverted});
    }
    void DrawImage(CHtmlImageSource* image, int32_t frame, int32_t x, int32_t y, int32_t width, int32_t height,
                   bool stretch, CHtmlImageBackdrop* backdrop) override
    {
        if (m_clip == 0)
            drawnImages.push_back(
                {reinterpret_cast<const FakeImage*>(image), x, y, width, height, stretch, frame, backdrop});
    }
    void PushClip(const LayoutRect&) override { ++m_clip; }
    void PopClip() override { --m_clip; }
    HDC__* Handle() override { return nullptr; }

    void Clear()
    {
        texts.clear();
        fills.clear();
        lines.clear();
        drawnImages.clear();
    }

    std::vector<Text> texts;
    std::vector<Fill> fills;
    std::vector<Line> lines;
    std::vector<Image> drawnImages;
    int measures = 0;

private:
    FontDesc m_font;
    HFONT__* m_selected = nullptr;
    uint32_t m_color = 0;
    int32_t m_mode = 2;
    int m_clip = 0;
};
} // namespace FdHtmlTest
