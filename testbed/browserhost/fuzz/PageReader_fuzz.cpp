// Any bytes as a page: the reader must give a page or an error, never crash.
#include "PageReader.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    FdBrowserHost::SPage page;
    FdBrowserHost::SPageError err;
    if (FdBrowserHost::boReadPage(std::string(reinterpret_cast<const char*>(data), size), &page, &err))
    {
        for (const auto& e : page.elements)
        {
            if (e.iInsideObject >= 0 && static_cast<std::size_t>(e.iInsideObject) >= page.elements.size())
                __builtin_trap();
            (void)e.pAttr("type");
        }
    }
    else if (err.offset > size && err.offset != FdBrowserHost::kMaxPageBytes)
        __builtin_trap();
    return 0;
}
