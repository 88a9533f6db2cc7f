// Page addresses, requested addresses and types come from pages: the
// choices over them never read out of bounds.
#include "NpChoice.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string all(reinterpret_cast<const char*>(data), size);
    const size_t a = all.find('\n');
    const size_t b = a == std::string::npos ? std::string::npos : all.find('\n', a + 1);
    const std::string page = all.substr(0, a);
    const std::string url = a == std::string::npos ? std::string() : all.substr(a + 1, b - a - 1);
    const std::string type = b == std::string::npos ? std::string() : all.substr(b + 1);
    std::string dir, root;
    ChatPlugin::vSplitPageUrl(page, dir, root);
    const std::string resolved = ChatPlugin::strResolveUrl(url, dir, root);
    ChatPlugin::strChooseMime(resolved, ChatPlugin::strSrcEnding(type, url), type);
    ChatPlugin::uChooseStreamType(type.c_str(), url.c_str(), 0);
    ChatPlugin::uChooseStreamType(type.c_str(), nullptr, 0);
    return 0;
}
