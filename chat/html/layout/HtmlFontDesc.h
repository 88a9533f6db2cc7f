// A font description: what the renderer asks its font cache (or its
// handler) for. Platform-free: the Windows half reads one from a device
// context (FontDescFromDC, FontDesc.h).
#pragma once

#include <cstdint>
#include <string>

struct FontDesc
{
    int32_t height = 0; // logical units, as CreateFontA takes it
    std::string face = "Times New Roman";
    int32_t weight = 400;
    int32_t italic = 0;
    int32_t underline = 0;
    int32_t strikeOut = 0;
};

// Equal when every field is; face names compare case-sensitively.
bool operator==(const FontDesc& a, const FontDesc& b);
bool operator!=(const FontDesc& a, const FontDesc& b);

// The document's default font: the default description, height 18.
FontDesc defaultDocumentFont();
