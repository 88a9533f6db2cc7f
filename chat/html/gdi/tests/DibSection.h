// Drawing targets for the image tests: a memory DC holding a top-down DIB
// section of 32 or 8 bits, whose pixels the tests read back, and BMP files
// of them in the build tree.
#pragma once

#include "DecodedImage.h"

#include <windows.h>

#include <string>
#include <vector>

namespace FdHtmlTest
{
class CDibTarget
{
public:
    // 8 bits: colour table 0 black, 255 white, the given colours from 1 on
    // (the masks' AND and OR work on the indices).
    CDibTarget(int width, int height, int bits, const std::vector<FdHtml::SRgb>& colours = {});
    ~CDibTarget();
    CDibTarget(const CDibTarget&) = delete;
    CDibTarget& operator=(const CDibTarget&) = delete;

    HDC dc() const { return m_hdc; }
    bool boValid() const { return m_pBits != nullptr; }
    void vFill(COLORREF colour, const RECT& rc);
    // The pixel as 0xRRGGBB (through the colour table at 8 bits).
    uint32_t dwPixel(int x, int y) const;
    // Writes a 24-bit BMP of the pixels into the test's working folder.
    bool boSave(const std::string& name) const;

private:
    int m_width;
    int m_height;
    int m_bits;
    HDC m_hdc = nullptr;
    HBITMAP m_hbm = nullptr;
    HGDIOBJ m_old = nullptr;
    uint8_t* m_pBits = nullptr;
    std::vector<RGBQUAD> m_table;
};

inline uint32_t rgbOf(const FdHtml::SRgb& c)
{
    return (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b;
}
inline uint32_t rgbOf(COLORREF c)
{
    return (uint32_t{GetRValue(c)} << 16) | (uint32_t{GetGValue(c)} << 8) | GetBValue(c);
}
// Where a test keeps a picture: the build's artefacts folder when
// FD_HTML_ARTEFACTS names one, else the working folder.
std::string strArtefact(const std::string& name);
// A file of the source tree (FD_SOURCE_DIR) as the programs under Wine name
// it, from its path below the tree: "Z:" and backslashes.
std::string strSourceFile(const std::string& relative);

} // namespace FdHtmlTest
