// A window's device context held for the length of a scope.
#pragma once

#include <windows.h>

class CWindowDC
{
public:
    explicit CWindowDC(HWND hWnd) : m_hWnd(hWnd), m_hdc(GetDC(hWnd)) {}
    ~CWindowDC()
    {
        if (m_hdc != nullptr)
            ReleaseDC(m_hWnd, m_hdc);
    }
    CWindowDC(const CWindowDC&) = delete;
    CWindowDC& operator=(const CWindowDC&) = delete;
    HDC get() const { return m_hdc; }

private:
    HWND m_hWnd;
    HDC m_hdc;
};
