// One frame of a frameset: what the frame element says about itself and
// where the grid puts it. The frameset hands a list of these to its view,
// which keeps its own copies; the same record also carries the properties
// of a frame when no grid is involved.
#pragma once

#include <cstdint>
#include <string>

class CTagFRAME;

// The size of one grid row or column and its kind.
struct FrameSize
{
    int32_t value = 0;
    int32_t percent = 0;
    int32_t relative = 0;
    int32_t pixels = 0;
};

struct FrameRecord
{
    // The element the record was made from (not owned; valid while its document keeps its tree).
    CTagFRAME* element = nullptr;
    // 1 when the frame holds a nested frameset (its document is a string document).
    int32_t nested = 0;
    int32_t row = 0;
    int32_t column = 0;
    FrameSize columnSize;
    FrameSize rowSize;
    std::string address;
    std::string name;
    int32_t frameBorder = 2;
    int32_t marginWidth = 5;
    int32_t marginHeight = 5;
    uint32_t scrollFlags = 6;
    int32_t resizable = 0;
    int32_t tabGroup = 0;
    int32_t noBackSync = 0;
    // Border colours: border, dark, light, focus.
    uint32_t borderColors[4] = {0x02C0C0C0, 0x02FFFFFF, 0x02808080, 0x02000000};
    // Border shown on left, right, top, bottom.
    int32_t borderFlags[4] = {1, 1, 1, 1};
    // Rounded corners top-left, top-right, bottom-left, bottom-right: flag and colour each.
    int32_t roundedCorners[8] = {};
};

using FrameProps = FrameRecord;

enum FrameBorderColor : int
{
    kFrameColorBorder = 0,
    kFrameColorDark = 1,
    kFrameColorLight = 2,
    kFrameColorFocus = 3,
};

enum FrameSide : int
{
    kFrameLeft = 0,
    kFrameRight = 1,
    kFrameTop = 2,
    kFrameBottom = 3,
};
