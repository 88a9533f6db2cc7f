#include "Screenshot.h"

#include "WinHandle.h"

namespace FdBrowserHost
{
bool boCaptureClient(HWND hwnd, SPixels* pPixels)
{
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    GdiFlush();
    RECT rc;
    if (!GetClientRect(hwnd, &rc) || rc.right <= 0 || rc.bottom <= 0)
        return false;
    const int w = rc.right;
    const int h = rc.bottom;
    // No DCX_CLIPCHILDREN: the children's pixels are part of the picture.
    HDC hdcWindow = GetDCEx(hwnd, nullptr, DCX_CACHE);
    if (!hdcWindow)
        return false;
    HDC hdcMem = CreateCompatibleDC(hdcWindow);
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = w;
    bmi.bmiHeader.biHeight = -h; // top-down
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* pvBits = nullptr;
    HBITMAP hbm = CreateDIBSection(hdcWindow, &bmi, DIB_RGB_COLORS, &pvBits, nullptr, 0);
    bool boOk = false;
    if (hdcMem && hbm && pvBits)
    {
        HGDIOBJ old = SelectObject(hdcMem, hbm);
        boOk = BitBlt(hdcMem, 0, 0, w, h, hdcWindow, 0, 0, SRCCOPY) != FALSE;
        GdiFlush();
        SelectObject(hdcMem, old);
        if (boOk)
        {
            pPixels->dwWidth = static_cast<uint32_t>(w);
            pPixels->dwHeight = static_cast<uint32_t>(h);
            const uint8_t* p = static_cast<const uint8_t*>(pvBits);
            pPixels->bgrx.assign(p, p + static_cast<std::size_t>(w) * h * 4);
        }
    }
    if (hbm)
        DeleteObject(hbm);
    if (hdcMem)
        DeleteDC(hdcMem);
    ReleaseDC(hwnd, hdcWindow);
    return boOk;
}

SPixels captureWindowOnScreen(HWND hwnd)
{
    SPixels pixels;
    RECT rc = {};
    if (!GetWindowRect(hwnd, &rc) || rc.right <= rc.left || rc.bottom <= rc.top)
        return pixels;
    const int w = rc.right - rc.left;
    const int h = rc.bottom - rc.top;
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = w;
    bmi.bmiHeader.biHeight = -h; // top-down
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(mem, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (mem && bitmap && bits)
    {
        HGDIOBJ old = SelectObject(mem, bitmap);
        if (BitBlt(mem, 0, 0, w, h, screen, rc.left, rc.top, SRCCOPY))
        {
            GdiFlush();
            pixels.dwWidth = static_cast<uint32_t>(w);
            pixels.dwHeight = static_cast<uint32_t>(h);
            const uint8_t* p = static_cast<const uint8_t*>(bits);
            pixels.bgrx.assign(p, p + static_cast<std::size_t>(w) * h * 4);
        }
        SelectObject(mem, old);
    }
    if (bitmap)
        DeleteObject(bitmap);
    if (mem)
        DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return pixels;
}

bool boWriteScreenshot(HWND hwnd, const std::string& path, SPixels* pPixels, DWORD* pdwError)
{
    *pdwError = 0;
    if (!boCaptureClient(hwnd, pPixels))
    {
        *pdwError = GetLastError() ? GetLastError() : ERROR_GEN_FAILURE;
        return false;
    }
    const std::vector<uint8_t> bytes = bmpEncode(*pPixels);
    if (bytes.empty())
    {
        *pdwError = ERROR_INVALID_DATA;
        return false;
    }
    FdWin::CHandle file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.boValid())
    {
        *pdwError = GetLastError();
        return false;
    }
    DWORD dwWritten = 0;
    if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &dwWritten, nullptr) ||
        dwWritten != bytes.size())
    {
        *pdwError = GetLastError();
        return false;
    }
    return true;
}
} // namespace FdBrowserHost
