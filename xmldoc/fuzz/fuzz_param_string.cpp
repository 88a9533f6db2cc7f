// FindParamValue and HasParam over arbitrary parameter strings and names.
#include <cstddef>
#include <cstdint>
#include <string>

#include "ParamString.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find('\n');
    const std::string name = split == std::string::npos ? std::string("a") : input.substr(0, split);
    const std::string params = split == std::string::npos ? input : input.substr(split + 1);
    const bool has = HasParam(name, params);
    const CStringExt value = FindParamValue(name, params, "default");
    if (!has && !value.empty())
        __builtin_trap(); // a value only comes with an occurrence
    return 0;
}
