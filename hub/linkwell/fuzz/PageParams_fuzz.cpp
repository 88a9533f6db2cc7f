// Page parameters and command lines as a page or a caller writes them: a key,
// a NUL, then the value; the whole input is also taken as a command line.
#include <cstdint>
#include <string>

#include "LinkwellSettings.h"
#include "PageParams.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find('\0');
    const std::string name = input.substr(0, split);
    const std::string value = split == std::string::npos ? std::string() : input.substr(split + 1);
    Linkwell::SPageParams params;
    Linkwell::eSetPageParam(params, name, value);
    Linkwell::dwReadDecimal(value);
    Linkwell::dwIdFromString(value);
    Linkwell::boHasSwitch(name.c_str(), "Embedding");
    return 0;
}
