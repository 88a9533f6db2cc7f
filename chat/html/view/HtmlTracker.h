// CHtmlTracker: a rubber band that follows the mouse while a frame border is
// dragged. Its loop reads the thread's message queue, so whoever posts mouse
// messages to the window drives it.
#pragma once

#include <windows.h>

#include <cstdint>

class CHtmlTracker
{
public:
    // rect: the band in client coordinates. It moves along one axis only
    // (horizontally when moveX) and stays between minimum and maximum on that
    // axis (-1: no limit).
    CHtmlTracker(const RECT& rect, bool moveX, int32_t minimum, int32_t maximum);

    // Follows the mouse from the start point (client coordinates) until the
    // left button goes up (true) or the drag is cancelled by Escape, the right
    // button or a lost capture (false). The window holds the capture meanwhile.
    bool Track(HWND hWnd, POINT start);
    const RECT& GetRect() const { return m_rect; }

private:
    void MoveTo(POINT start, POINT point);
    void DrawBand(HWND hWnd) const;

    RECT m_start;
    RECT m_rect;
    bool m_moveX;
    int32_t m_minimum;
    int32_t m_maximum;
};
