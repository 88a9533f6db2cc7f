#include "ProgressGeometry.h"

#include <algorithm>
#include <cstdint>

namespace
{
int32_t iClamp(uint32_t ul)
{
    return static_cast<int32_t>(std::min<uint32_t>(ul, INT32_MAX));
}
} // namespace

uint32_t ProgressGeometry::ulCellCount(uint32_t ulWidth)
{
    return ulWidth / kCellPitch;
}

ProgressGeometry::SRect ProgressGeometry::rcBar(uint32_t ulWidth, uint32_t ulHeight)
{
    const int64_t h = iClamp(ulHeight);
    const int64_t top = h - kBarOffset;
    const int64_t bottom = top + std::min<int64_t>(h, kBarHeightMax);
    return SRect{0, static_cast<int32_t>(top), iClamp(ulWidth), static_cast<int32_t>(bottom)};
}

uint32_t ProgressGeometry::ulLitCells(uint32_t ulCells, uint32_t ulReceived, uint32_t ulExpected,
                                      uint32_t ulDownloads)
{
    if (ulCells == 0 || ulExpected == 0 || ulDownloads == 0)
        return 0;
    const uint64_t ulLit = static_cast<uint64_t>(ulCells - 1) * ulReceived / ulExpected;
    return static_cast<uint32_t>(std::min<uint64_t>(ulLit, UINT32_MAX));
}

uint32_t ProgressGeometry::ulDrawnCells(uint32_t ulLit, uint32_t ulCells)
{
    if (ulCells == 0)
        return 0;
    return ulLit > ulCells ? ulLit % ulCells : ulLit;
}

ProgressGeometry::SRect ProgressGeometry::rcCell(const SRect& bar, uint32_t ulIndex)
{
    const int64_t left = bar.left + static_cast<int64_t>(kCellPitch) * ulIndex;
    const int32_t l = static_cast<int32_t>(std::min<int64_t>(left, INT32_MAX - kCellWidth));
    return SRect{l, bar.top, l + kCellWidth, bar.bottom};
}
