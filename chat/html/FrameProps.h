// Properties of one frame, handed by frame elements to their views.
#pragma once

#include <cstdint>
#include <string>

struct FrameProps
{
    std::string name;
    std::string secondName;
    int32_t frameBorder = 2;
    int32_t marginWidth = 5;
    int32_t marginHeight = 5;
    uint32_t scrollFlags = 6;
    int32_t noResize = 0;
    int32_t reserved1 = 0;
    int32_t reserved2 = 0;
    // Border colours: face, light, dark, focus.
    uint32_t borderColors[4] = {0x02C0C0C0, 0x02FFFFFF, 0x02808080, 0x02000000};
    // Border shown on left, right, top, bottom.
    int32_t borderFlags[4] = {1, 1, 1, 1};
    // Rounded corners top-left, top-right, bottom-left, bottom-right: flag and colour each.
    int32_t roundedCorners[8] = {};
    int32_t tabGroup = 0;
    int32_t noBackSync = 0;
    int32_t leadingWords[10] = {};
};
