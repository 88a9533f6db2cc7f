// Any bytes as an HTTP answer, fed in pieces whose sizes the first byte picks.
#include "HttpResponseParser.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t piece = data[0] % 17 + 1;
    FdBrowserHost::CHttpResponseParser parser;
    std::string body;
    for (std::size_t i = 1; i < size; i += piece)
        parser.eFeed(data + i, size - i < piece ? size - i : piece, &body);
    parser.eFinish();
    if (parser.boHasLength() && body.size() > parser.qwLength())
        __builtin_trap();
    (void)parser.strHeader("Content-Type");
    return 0;
}
