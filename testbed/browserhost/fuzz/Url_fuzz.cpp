// Any two texts as a base address and a reference, and their results read back.
#include "Url.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string all(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = all.find('\n');
    const std::string base = all.substr(0, cut);
    const std::string ref = cut == std::string::npos ? std::string() : all.substr(cut + 1);
    const std::string resolved = FdBrowserHost::strResolveUrl(base, ref);
    FdBrowserHost::SHttpUrl http;
    std::string err;
    if (FdBrowserHost::boParseHttpUrl(resolved, &http, &err) &&
        (http.strTarget.empty() || http.strTarget[0] != '/'))
        __builtin_trap();
    std::string path;
    if (FdBrowserHost::boPathFromFileUrl(resolved, &path) && path.find('\0') != std::string::npos)
        __builtin_trap();
    (void)FdBrowserHost::strExtensionOf(resolved);
    (void)FdBrowserHost::boIsLoopbackHost(ref);
    return 0;
}
