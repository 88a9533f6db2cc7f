#pragma once
// The progress bar of a plug-in instance: cells of 10 pixels along the bottom
// of its area, lit in proportion to the bytes received.
#include <cstdint>

namespace ProgressGeometry
{
constexpr int32_t kCellPitch = 10; // pixels from one cell to the next
constexpr int32_t kCellWidth = 8;  // pixels filled per cell
constexpr int32_t kBarHeightMax = 10;
constexpr int32_t kBarOffset = 11; // the bar's top is the height less 11

struct SRect
{
    int32_t left, top, right, bottom;
};

// width / 10.
uint32_t ulCellCount(uint32_t ulWidth);
// (0, h - 11, width, h - 11 + min(h, 10)); widths and heights beyond INT32_MAX
// are clamped.
SRect rcBar(uint32_t ulWidth, uint32_t ulHeight);
// (cells - 1) * received / expected, computed in 64 bits (more bytes than
// announced give more than the cell count); 0 when there are no cells,
// nothing is expected or nothing is counted.
uint32_t ulLitCells(uint32_t ulCells, uint32_t ulReceived, uint32_t ulExpected, uint32_t ulDownloads);
// How many cells are drawn: the lit cells, taken modulo the cell count when
// they exceed it; 0 without cells.
uint32_t ulDrawnCells(uint32_t ulLit, uint32_t ulCells);
// Cell i of the bar.
SRect rcCell(const SRect& bar, uint32_t ulIndex);
} // namespace ProgressGeometry
