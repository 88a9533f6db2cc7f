#include "MessageDump.h"

#include <cstdio>

namespace HubRouting
{

std::vector<std::string> DumpLines(const uint8_t* lpData, uint32_t ulSize)
{
    std::vector<std::string> lines;
    if (lpData == nullptr)
        return lines;
    for (uint32_t offset = 0; offset < ulSize; offset += kDumpBytesPerLine)
    {
        char head[32];
        std::snprintf(head, sizeof head, "Addr %04x : ", unsigned(offset));
        std::string line = head;
        std::string hex = " |";
        for (uint32_t i = 0; i < kDumpBytesPerLine; ++i)
        {
            if (offset + i >= ulSize)
            {
                line += '.';
                continue;
            }
            const uint8_t b = lpData[offset + i];
            line += b < 32 ? '?' : char(b);
            char pair[4];
            std::snprintf(pair, sizeof pair, " %02X", unsigned(b));
            hex += pair;
        }
        lines.push_back(line + hex);
    }
    return lines;
}

std::string LostMessageWords(const uint8_t* lpData, uint32_t ulSize)
{
    std::string text;
    if (lpData == nullptr)
        return text;
    const uint32_t shown = ulSize < kLostMessageShownBytes ? ulSize : kLostMessageShownBytes;
    for (uint32_t i = 0; i < shown; i += 2)
    {
        const unsigned word = lpData[i] | (i + 1 < shown ? unsigned(lpData[i + 1]) << 8 : 0u);
        char part[8];
        std::snprintf(part, sizeof part, "%04X ", word);
        text += part;
    }
    return text;
}

} // namespace HubRouting
