// The box geometry of the line layout: four edges and three extras (descent,
// middle offset, line gap). The baseline lies at bottom - descent.
#pragma once

#include <cstdint>

struct LayoutRect
{
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    int32_t descent = 0;
    int32_t middleOffset = 0;
    int32_t lineGap = 0;

    LayoutRect() = default;
    LayoutRect(int32_t l, int32_t t, int32_t r, int32_t b) : left(l), top(t), right(r), bottom(b) {}

    // Saturated: an area open to the bottom (kNoSpace) above a negative top
    // is as high as 32 bits go.
    int32_t Width() const { return Saturate(int64_t(right) - left); }
    int32_t Height() const { return Saturate(int64_t(bottom) - top); }
    static int32_t Saturate(int64_t value)
    {
        return value > INT32_MAX ? INT32_MAX : value < INT32_MIN ? INT32_MIN : int32_t(value);
    }
    // The four edges; the extras are cleared.
    void Set(int32_t l, int32_t t, int32_t r, int32_t b);
    void CopyFrom(const LayoutRect& other) { *this = other; }
    // The four edges of other, each clamped to 0 or more; the extras are cleared.
    void CopyClamped(const LayoutRect& other);
    int32_t Baseline() const { return bottom - descent; }
    void SetDescent(int32_t value) { descent = value; }
    int32_t Ascent() const { return bottom - descent - top; }
    // Moves vertically so that the baseline lies at y (height kept).
    void MoveBaselineTo(int32_t y);
    int32_t Middle() const { return ((top + middleOffset) + (bottom - descent)) / 2; }
    void MoveMiddleTo(int32_t y);
    void MoveTopTo(int32_t y);
    void MoveBottomTo(int32_t y);
    int32_t MiddleLine() const { return top + middleOffset; }
    void SetMiddleOffset(int32_t value) { middleOffset = value; }
    int32_t NextLineStart() const { return bottom + lineGap; }
    void SetLineGap(int32_t value) { lineGap = value; }
};
