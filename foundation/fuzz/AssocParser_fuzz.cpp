// Association messages from servers: the first byte picks the mode, the rest is the message.
#include "AssocParser.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0 || size > 1u << 20)
        return 0;
    const int mode = data[0] & 1;
    // An exact-size copy lets the sanitizer catch any read past the message.
    std::vector<uint8_t> msg(data + 1, data + size);
    FdMisc::CAssocParser parser(mode);
    parser.vSetMessage(msg.data(), (uint32_t)msg.size());
    uint64_t total = 0;
    for (;;)
    {
        const char *name = nullptr, *value = nullptr;
        uint32_t nameLen = 0, valueLen = 0;
        const int r = parser.iGetNext(&name, &nameLen, &value, &valueLen);
        if (r != FdMisc::CAssocParser::kRecord)
        {
            if (r == FdMisc::CAssocParser::kError && parser.GetError().dwGetCode() == 0)
                std::abort();
            break;
        }
        const uint8_t* begin = msg.data();
        const uint8_t* end = begin + msg.size();
        const uint8_t* n = reinterpret_cast<const uint8_t*>(name);
        const uint8_t* v = reinterpret_cast<const uint8_t*>(value);
        if (n < begin || n + nameLen > end || v < begin || v + valueLen > end || v < n + nameLen)
            std::abort();
        for (uint32_t i = 0; i < nameLen; ++i)
            total += n[i];
        for (uint32_t i = 0; i < valueLen; ++i)
            total += v[i];
    }
    if (parser.ulGetConsumed() > msg.size())
        std::abort();
    return total == 0xFFFFFFFFFFFFFFFFull; // keeps the reads
}
