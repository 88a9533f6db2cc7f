// Registry values of any type and size made into report lines.
#include "CheckReport.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* lpData, size_t ulSize)
{
    if (ulSize < 1)
        return 0;
    const uint32_t dwType = lpData[0] % 13;
    FdNavReport::strValueLine("  ", "name", dwType, lpData + 1, ulSize - 1);
    return 0;
}
