#include "ChatModelHost.h"

#include <fstream>
#include <utility>

namespace ChatModel
{

bool IChatModelHost::boFileReadable(const std::string& path)
{
    return std::ifstream(path, std::ios::binary).is_open();
}

// The whole file; more than a page could show (a device never ends) reads as
// a failure.
bool IChatModelHost::boReadLocalFile(const std::string& path, std::string& text)
{
    constexpr size_t kMaxBytes = 4u << 20;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::string out;
    char buf[8192];
    while (in.read(buf, sizeof buf) || in.gcount() > 0)
    {
        out.append(buf, static_cast<size_t>(in.gcount()));
        if (out.size() > kMaxBytes)
            return false;
    }
    if (in.bad())
        return false;
    text = std::move(out);
    return true;
}

} // namespace ChatModel
