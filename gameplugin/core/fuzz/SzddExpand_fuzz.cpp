// Expands arbitrary bytes as SZDD data; whatever expands must compress and
// expand back to itself.
#include "LzBuffer.h"

#include <cstdint>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > UINT32_MAX)
        return 0;
    std::unique_ptr<uint8_t[]> buf(new uint8_t[size ? size : 1]);
    if (size)
        std::memcpy(buf.get(), data, size);
    CLzBuffer lz;
    if (!lz.boExpand(buf.get(), static_cast<uint32_t>(size)))
        return 0;

    CLzBuffer packed;
    if (!packed.boCompress(lz.lpGetData(), lz.dwGetSize(), true))
        __builtin_trap();
    CLzBuffer back;
    if (!back.boExpand(packed.lpGetData(), packed.dwGetSize()) || back.dwGetSize() != lz.dwGetSize() ||
        (lz.dwGetSize() && std::memcmp(back.lpGetData(), lz.lpGetData(), lz.dwGetSize()) != 0))
        __builtin_trap();
    return 0;
}
