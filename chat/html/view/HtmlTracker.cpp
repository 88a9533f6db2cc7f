#include "HtmlTracker.h"

CHtmlTracker::CHtmlTracker(const RECT& rect, bool moveX, int32_t minimum, int32_t maximum)
    : m_start(rect), m_rect(rect), m_moveX(moveX), m_minimum(minimum), m_maximum(maximum)
{
}

void CHtmlTracker::MoveTo(POINT start, POINT point)
{
    const LONG low = m_moveX ? m_start.left : m_start.top;
    const LONG high = m_moveX ? m_start.right : m_start.bottom;
    LONG delta = m_moveX ? point.x - start.x : point.y - start.y;
    if (m_minimum != -1 && low + delta < m_minimum)
        delta = m_minimum - low;
    if (m_maximum != -1 && high + delta > m_maximum)
        delta = m_maximum - high;
    m_rect = m_start;
    if (m_moveX)
    {
        m_rect.left += delta;
        m_rect.right += delta;
    }
    else
    {
        m_rect.top += delta;
        m_rect.bottom += delta;
    }
}

void CHtmlTracker::DrawBand(HWND hWnd) const
{
    // Inverting twice restores the pixels: the band is drawn and erased alike.
    HDC hdc = GetDCEx(hWnd, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS);
    if (hdc == nullptr)
        return;
    PatBlt(hdc, m_rect.left, m_rect.top, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top, DSTINVERT);
    ReleaseDC(hWnd, hdc);
}

bool CHtmlTracker::Track(HWND hWnd, POINT start)
{
    SetCapture(hWnd);
    DrawBand(hWnd);
    bool drawn = true;
    bool done = false;
    bool success = false;
    while (!done)
    {
        if (GetCapture() != hWnd)
            break;
        MSG msg;
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0)
        {
            // WM_QUIT goes back to the loop that waits for it.
            if (got == 0)
                PostQuitMessage(int(msg.wParam));
            break;
        }
        switch (msg.message)
        {
        case WM_MOUSEMOVE:
            if (msg.hwnd == hWnd)
            {
                DrawBand(hWnd);
                MoveTo(start, POINT{short(LOWORD(msg.lParam)), short(HIWORD(msg.lParam))});
                DrawBand(hWnd);
            }
            break;
        case WM_LBUTTONUP:
            DrawBand(hWnd);
            drawn = false;
            if (msg.hwnd == hWnd)
                MoveTo(start, POINT{short(LOWORD(msg.lParam)), short(HIWORD(msg.lParam))});
            success = true;
            done = true;
            break;
        case WM_RBUTTONDOWN:
            done = true;
            break;
        case WM_KEYDOWN:
            if (msg.wParam == VK_ESCAPE)
                done = true;
            break;
        default:
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            break;
        }
    }
    if (drawn)
        DrawBand(hWnd);
    if (GetCapture() == hWnd)
        ReleaseCapture();
    return success;
}
