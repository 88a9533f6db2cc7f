// File names and frame names taken from addresses the page or a component gives.
#include "NpFrameName.h"
#include "UrlFileName.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* lpData, size_t ulSize)
{
    const std::string strText(reinterpret_cast<const char*>(lpData), ulSize);
    const std::string strName = UrlFileName::strFromUrl(strText.c_str());
    if (strName.find_first_of("\\/:") != std::string::npos || strName == "..")
        __builtin_trap();
    NpFrameName::strReduce(strText.c_str());
    return 0;
}
