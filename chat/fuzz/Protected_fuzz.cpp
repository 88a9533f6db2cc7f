// The protected decoders on any input: the first byte picks the decoder and
// the key length, the rest is the value.
#include "ChatTextUtil.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0 || size > 1u << 16)
        return 0;
    const unsigned keyLength = (data[0] >> 1) & 7;
    std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string key = rest.substr(0, keyLength);
    const std::string value = rest.size() > keyLength ? rest.substr(keyLength) : std::string();
    std::string v = value;
    if (data[0] & 1)
    {
        double number = 0;
        if (!ChatText::boUnprotect8(v, key, number) && v != value)
            std::abort();
    }
    else
    {
        if (!ChatText::boUnprotect16(v, "NAME", key) && v != value)
            std::abort();
    }
    return 0;
}
