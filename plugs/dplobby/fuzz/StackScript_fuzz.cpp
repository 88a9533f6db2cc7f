// The result interpreter over outside input: the first byte splits the rest into a
// program (the game definition's text) and the game data it reads.
#include "LobbyResult.h"
#include "StackScript.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const size_t split = 1 + (size_t(data[0]) * (size - 1)) / 255;
    CDPLaunchInfo info;
    info.hasResultScript = 1;
    info.resultScript.assign(reinterpret_cast<const char*>(data + 1), split - 1);
    BuildResultMessage(info, data + split, size - split, [](const std::string&) {});
    return 0;
}
