// The readers of page texts: UTF-8 conversion, version texts, colours, hex and
// font texts, on arbitrary NUL-terminated input.
#include "PageTextParsers.h"
#include "Utf8Reader.h"
#include "VersionText.h"

#include <cstdint>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::unique_ptr<char[]> text(new char[size + 1]);
    std::memcpy(text.get(), data, size);
    text[size] = 0;

    constexpr uint32_t kRoom = 13000;
    std::unique_ptr<uint8_t[]> wide(new uint8_t[kRoom]);
    uint32_t produced = kRoom;
    boUtf8ToWide(wide.get(), text.get(), &produced, nullptr, false);
    uint32_t limited = kRoom;
    uint32_t inBytes = static_cast<uint32_t>(size);
    boUtf8ToWide(wide.get(), text.get(), &limited, &inBytes, false);
    if (produced > kRoom || limited > kRoom || inBytes > size)
        __builtin_trap();

    char out[64];
    vNormaliseVersion(out, sizeof out, text.get(), kVersionModeCode);
    vNormaliseVersion(out, sizeof out, text.get(), kVersionModeDotted);
    const size_t half = size / 2;
    std::unique_ptr<char[]> first(new char[half + 1]);
    std::memcpy(first.get(), data, half);
    first[half] = 0;
    iCompareVersions(first.get(), text.get() + half, 20);

    dwParseColour(text.get());
    dwParseHex(text.get(), size);
    CFontTextRecord rec{};
    vParseFontText(text.get(), &rec);
    return 0;
}
