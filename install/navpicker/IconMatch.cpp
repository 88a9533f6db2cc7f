#include "IconMatch.h"

#include <cstdlib>

namespace FdNavClose
{
bool boIconMatches(const uint8_t* lpWindow, const uint8_t* lpStored)
{
    for (size_t i = 0; i < kIconBytes; ++i)
    {
        if (std::abs(static_cast<int>(lpWindow[i]) - static_cast<int>(lpStored[i])) > kIconTolerance)
            return false;
    }
    return true;
}
} // namespace FdNavClose
