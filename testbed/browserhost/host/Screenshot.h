// A picture of a window's client area, children included, as the screen
// shows it after a full repaint.
#pragma once

#include "BmpFile.h"

#include <windows.h>

#include <string>

namespace FdBrowserHost
{
bool boCaptureClient(HWND hwnd, SPixels* pPixels);
// The whole window, frame and caption included, read from the screen as it shows
// it now (a window standing over it is in the picture); empty when it can't be read.
SPixels captureWindowOnScreen(HWND hwnd);
// Captures and writes a BMP file; false with the Windows error.
bool boWriteScreenshot(HWND hwnd, const std::string& path, SPixels* pPixels, DWORD* pdwError);
} // namespace FdBrowserHost
