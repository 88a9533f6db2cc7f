// A BMP image: one frame holding the whole bitmap.
#pragma once

#include "DibImage.h"

class CBmpImage : public CDibImage
{
public:
    BOOL boLoadFromMemory(const uint8_t* p, std::size_t n) override;
};
