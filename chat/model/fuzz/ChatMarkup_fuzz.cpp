// Markup to text and history trimming on any input: the first two bytes give
// the count; the trimmed text is a tail of the input no longer than it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ChatMarkup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2 || size > 1u << 16)
        return 0;
    const long count = static_cast<long>(data[0] | (data[1] << 8)) - 16;
    const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);
    (void)ChatModel::strMarkupToText(text);
    const std::string t = ChatModel::strTrimHistory(text, count);
    if (t.size() > text.size() || text.compare(text.size() - t.size(), t.size(), t) != 0)
        std::abort();
    if (count > 0 && text.size() - t.size() < static_cast<size_t>(count) && !t.empty())
        std::abort();
    return 0;
}
