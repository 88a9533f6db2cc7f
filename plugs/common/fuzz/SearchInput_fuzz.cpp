// The disk search's outside texts: the stored drive-type mask (a registry
// value) and the list of roots (an environment variable). A mask read back
// from its own text is the same mask; every root ends with a backslash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "DirWalker.h"
#include "DriveMask.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const uint32_t dwMask = dwDriveMaskFromText(text);
    if (dwDriveMaskFromText(strDriveMaskText(dwMask)) != dwMask)
        std::abort();
    for (const std::string& root : SplitSearchRoots(text))
        if (root.empty() || root.back() != '\\')
            std::abort();
    return 0;
}
