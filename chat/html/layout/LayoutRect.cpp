#include "LayoutRect.h"

namespace
{
int32_t NotNegative(int32_t v)
{
    return v < 0 ? 0 : v;
}
} // namespace

void LayoutRect::Set(int32_t l, int32_t t, int32_t r, int32_t b)
{
    *this = LayoutRect(l, t, r, b);
}

void LayoutRect::CopyClamped(const LayoutRect& other)
{
    Set(NotNegative(other.left), NotNegative(other.top), NotNegative(other.right), NotNegative(other.bottom));
}

void LayoutRect::MoveBaselineTo(int32_t y)
{
    const int32_t height = Height();
    bottom = y + descent;
    top = bottom - height;
}

void LayoutRect::MoveMiddleTo(int32_t y)
{
    MoveTopTo(top + (y - Middle()));
}

void LayoutRect::MoveTopTo(int32_t y)
{
    const int32_t height = Height();
    top = y;
    bottom = y + height;
}

void LayoutRect::MoveBottomTo(int32_t y)
{
    const int32_t height = Height();
    bottom = y;
    top = y - height;
}
