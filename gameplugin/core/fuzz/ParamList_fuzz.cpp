// Parses arbitrary bytes as parameter lists in every mode: forward with and
// without the end marker, backward, with both separators; then serialises the
// result and reads it back.
#include "ParamList.h"

#include <cstdint>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks the mode; the rest is the buffer, copied so that the
    // sanitizers see its exact end.
    const uint8_t mode = data[0];
    const size_t n = size - 1;
    std::unique_ptr<char[]> buf(new char[n ? n : 1]);
    std::memcpy(buf.get(), data + 1, n);

    CParamList list((mode & 4) ? CParamList::kszSeparator : CParamList::kszActionSeparator);
    const bool backwards = mode & 1;
    const bool stopAtEnd = backwards || (mode & 2);
    if (!list.boParse(buf.get(), n, stopAtEnd, backwards))
        return 0;
    if (list.ulGetParseStop() > n)
        __builtin_trap();

    list.lpszGetValue("action");
    list.boRemove("cmd");
    const std::string text = list.lpszSerialize(backwards);
    CParamList again(list.lpszGetSeparator());
    again.boParse(text.data(), text.size(), false, false);
    CParamList copy(list);
    copy.vSetCursor(0);
    while (copy.lpGetNext())
    {
    }
    return 0;
}
