// The progress bar's geometry and the lit cells.
#include "ProgressGeometry.h"

#include <gtest/gtest.h>

using namespace ProgressGeometry;

TEST(ProgressGeometry, BarFollowsTheHeight)
{
    struct
    {
        uint32_t width, height;
        SRect bar;
    } const cases[] = {
        {300, 5, {0, -6, 300, -1}},
        {300, 0, {0, -11, 300, -11}},
        {300, 100, {0, 89, 300, 99}},
        {0xFFFFFFFFu, 0xFFFFFFFFu, {0, INT32_MAX - 11, INT32_MAX, INT32_MAX - 1}},
    };
    for (const auto& c : cases)
    {
        const SRect r = rcBar(c.width, c.height);
        EXPECT_EQ(r.left, c.bar.left) << c.height;
        EXPECT_EQ(r.top, c.bar.top) << c.height;
        EXPECT_EQ(r.right, c.bar.right) << c.height;
        EXPECT_EQ(r.bottom, c.bar.bottom) << c.height;
    }
    EXPECT_EQ(ulCellCount(305), 30u);
    EXPECT_EQ(ulCellCount(9), 0u);
    const SRect cell = rcCell(rcBar(300, 100), 3);
    EXPECT_EQ(cell.left, 30);
    EXPECT_EQ(cell.right, 38);
}

TEST(ProgressGeometry, LitCellsWithoutOverflowOrZeroDivision)
{
    struct
    {
        uint32_t cells, received, expected, downloads, lit;
    } const cases[] = {
        {30, 50, 100, 1, 14},
        {30, 100, 100, 1, 29},
        {30, 0, 100, 1, 0},
        {0, 50, 100, 1, 0},                       // no cells: no division by zero later
        {30, 50, 0, 1, 0},                        // nothing expected
        {30, 50, 100, 0, 0},                      // nothing counted
        {1000, 0xF0000000u, 0xFFFFFFFFu, 1, 936}, // the product passes 32 bits
        {30, 300, 100, 1, 87},                    // more bytes than announced
    };
    for (const auto& c : cases)
        EXPECT_EQ(ulLitCells(c.cells, c.received, c.expected, c.downloads), c.lit)
            << c.cells << " " << c.received << "/" << c.expected;
}

TEST(ProgressGeometry, DrawnCells)
{
    EXPECT_EQ(ulDrawnCells(45, 30), 15u);
    EXPECT_EQ(ulDrawnCells(30, 30), 30u);
    EXPECT_EQ(ulDrawnCells(12, 30), 12u);
    EXPECT_EQ(ulDrawnCells(12, 0), 0u);
}
