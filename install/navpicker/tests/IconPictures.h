#pragma once
// Small class icons made from the browser pictures, for the closing routine's
// tests and the fake browser: a picture changed by a number in every byte or
// in one byte, made into an icon and read back as Windows reads it.
#include "BrowserCloser.h"
#include "BrowserIcons.h"
#include "HexDigits.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace FdNavCloseTest
{
// Moves a byte by n away from the nearer end, so that the difference is exactly n.
inline uint8_t bShift(uint8_t b, int n)
{
    return static_cast<uint8_t>(b < 128 ? b + n : b - n);
}

// The named picture of this module's resources, every byte shifted by iAll and
// the byte at ulOne (when iOne is not 0) by iOne; empty when there is no such picture.
inline std::vector<uint8_t> picture(const std::string& strName, int iAll, int iOne, size_t ulOne = 100)
{
    const std::vector<std::vector<uint8_t>> table = FdNavClose::loadIconTable();
    for (size_t i = 0; i < table.size() && i < sizeof FdNavClose::kaszIconNames / sizeof(char*); ++i)
    {
        if (strName != FdNavClose::kaszIconNames[i])
            continue;
        std::vector<uint8_t> bytes = table[i];
        for (uint8_t& b : bytes)
            b = bShift(b, iAll);
        if (iOne != 0)
            bytes[ulOne] = bShift(bytes[ulOne], iOne);
        return bytes;
    }
    return std::vector<uint8_t>();
}

// An opaque 16 x 16 icon of the picture, its colours as the display keeps them.
inline HICON hMakeIcon(const std::vector<uint8_t>& bytes)
{
    if (bytes.size() != FdNavClose::kIconBytes)
        return nullptr;
    BITMAPINFO format;
    std::memset(&format, 0, sizeof format);
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = FdNavClose::kIconSide;
    format.bmiHeader.biHeight = FdNavClose::kIconSide;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 24;
    const HDC hDisplay = GetDC(nullptr);
    HBITMAP hColor = CreateCompatibleBitmap(hDisplay, FdNavClose::kIconSide, FdNavClose::kIconSide);
    SetDIBits(hDisplay, hColor, 0, FdNavClose::kIconSide, bytes.data(), &format, DIB_RGB_COLORS);
    ReleaseDC(nullptr, hDisplay);
    const uint8_t aMask[FdNavClose::kIconSide * 2] = {}; // 1 bit a pixel, rows of 2 bytes: all drawn
    HBITMAP hMask = CreateBitmap(FdNavClose::kIconSide, FdNavClose::kIconSide, 1, 1, aMask);
    ICONINFO info;
    std::memset(&info, 0, sizeof info);
    info.fIcon = TRUE;
    info.hbmColor = hColor;
    info.hbmMask = hMask;
    const HICON hIcon = CreateIconIndirect(&info);
    DeleteObject(hColor);
    DeleteObject(hMask);
    return hIcon;
}

// The picture of a window's small class icon as the closing routine reads it.
class CIconReader : public FdNavClose::CBrowserCloser
{
public:
    bool boRead(HWND hWnd, uint8_t* lpBytes) { return boReadSmallClassIcon(hWnd, lpBytes); }
};

inline std::string strHex(const uint8_t* lpBytes, size_t ulSize)
{
    return FdText::HexText(lpBytes, ulSize, FdText::HexCase::kUpper);
}

inline std::vector<uint8_t> bytesOfHex(const std::string& strHex)
{
    std::vector<uint8_t> out;
    for (size_t i = 0; i + 1 < strHex.size(); i += 2)
        out.push_back(static_cast<uint8_t>(std::stoi(strHex.substr(i, 2), nullptr, 16)));
    return out;
}
} // namespace FdNavCloseTest
