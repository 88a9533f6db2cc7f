// Colour words and attribute readers shared by the elements and the chat.
#pragma once

#include <cstdint>
#include <string>

// Colours are palette-relative 0x02BBGGRR; TRANSPARENT is 0xFFFFFFFF; any
// value from 0xFF000000 up means "not set".
constexpr uint32_t kHtmlTransparent = 0xFFFFFFFF;
constexpr uint32_t HtmlPaletteRgb(uint32_t r, uint32_t g, uint32_t b)
{
    return 0x02000000 | b << 16 | g << 8 | r;
}

// "#RRGGBB" (padded with '0' to 6 digits) or a colour word; else the default.
uint32_t ParseColor(const std::string& text, uint32_t defaultColor);

// The value of the attribute called name in the attribute text: "" when the
// attribute is absent, the default when it has no value, else the value
// (outer double quotes removed, entities decoded).
std::string GetAttrValue(const std::string& name, const std::string& attributes,
                         const std::string& defaultValue);
// The attribute's value; the default when it is absent or has no value.
std::string GetAttrOr(const std::string& name, const std::string& attributes,
                      const std::string& defaultValue = std::string());
int32_t GetAttrInt(const std::string& name, const std::string& attributes, int32_t defaultValue);
int32_t HasAttr(const std::string& name, const std::string& attributes);

// 1 when the address has no "://", isn't empty and doesn't begin with '/' or '\'.
int32_t IsRelativeAddress(const std::string& address);
