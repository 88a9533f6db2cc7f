// Framesets without a window: reading the grid lists and the SCROLLING
// attribute, placing a frameset's frames in pixels, finding the border under
// a point and resizing the grid after a border drag.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "FrameProps.h"

// A ROWS or COLS count below this is kept as it stands (a size in pixels).
constexpr int32_t kFrameCountLimit = 21;

// Scroll flags of a frame.
constexpr uint32_t kFrameScrollYes = 0x66;
constexpr uint32_t kFrameScrollInvisible = 0x186;
constexpr uint32_t kFrameScrollAuto = 6;
constexpr uint32_t kFrameScrollLeft = 0x08;
constexpr uint32_t kFrameScrollTop = 0x10;

// The SCROLLING value (absent or empty gives the default) and the presence
// of SCROLLLEFT and SCROLLTOP.
uint32_t HtmlFrameScrollFlags(const std::string& scrolling, uint32_t defaultFlags, bool scrollLeft,
                              bool scrollTop);

// A ROWS or COLS list: a count ("3": 33%,33%,*), or sizes in pixels, percent
// ("%") or relative ("*"), percentages and pixel-only lists rescaled to 100.
std::vector<FrameSize> HtmlParseFrameSizes(const std::string& list);

// Pixel sizes of one grid axis of the given length: pixels, then percent of
// what the pixels leave, then the rest shared by the relative weights.
std::vector<int32_t> HtmlLayoutFrameAxis(const std::vector<FrameSize>& sizes, int32_t length);

struct FrameBox
{
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    bool Contains(int32_t x, int32_t y) const { return x >= left && x < right && y >= top && y < bottom; }
};

// Where a frame goes: its grid cell, and the cell less its borders (the child window).
struct FramePlacement
{
    FrameBox cell;
    FrameBox inner;
};

// The records' cells in a client area of width x height: columns measured on
// the first row's records, rows on each row's first record.
std::vector<FramePlacement> HtmlLayoutFrames(const std::vector<FrameRecord>& records, int32_t width,
                                             int32_t height);

// The border width drawn around a cell: the record's, at most half its width and height.
int32_t HtmlFrameBorderWidth(int32_t border, const FrameBox& cell);

// A resizable border under a point.
struct FrameBorderHit
{
    // Border after this column (-1: none) and after this row (-1: none).
    int32_t column = -1;
    int32_t row = -1;
    // Where the border may be dragged: the outer edges of its two neighbours.
    int32_t minimum = -1;
    int32_t maximum = -1;
    // The border's position (a column's right edge or a row's bottom edge).
    int32_t position = 0;
    bool Any() const { return column >= 0 || row >= 0; }
};

FrameBorderHit HtmlFrameBorderAt(const std::vector<FrameRecord>& records,
                                 const std::vector<FramePlacement>& placements, int32_t x, int32_t y);

// After a border drag: every column (or row) becomes its current size in
// pixels, the two beside the border meet at the new position, and the last
// becomes relative with weight 1.
void HtmlResizeFrames(std::vector<FrameRecord>& records, const std::vector<FramePlacement>& placements,
                      bool rowBorder, int32_t index, int32_t position);

// A frame's inner source made ready for its string document: tab, CR and LF
// become spaces and runs of spaces shrink to one. References stay as written:
// the string document decodes them once when it parses its text.
std::string HtmlFrameSpaces(const std::string& source);

// Name of an unnamed frame: "@AFNAME@" and a number no other frame of the
// process has.
std::string HtmlFrameAutoName();
