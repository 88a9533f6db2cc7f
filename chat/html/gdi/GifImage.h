// A GIF image: every image of the file is a frame.
#pragma once

#include "DibImage.h"

class CGifImage : public CDibImage
{
public:
    BOOL boLoadFromMemory(const uint8_t* p, std::size_t n) override;
};
