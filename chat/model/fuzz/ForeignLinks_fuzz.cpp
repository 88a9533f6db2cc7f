// Another user's message made harmless on any input: no form control, frame
// or image is left as an element, and every link left goes to the browser.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ChatModel.h"

namespace
{
bool boTagIs(const std::string& s, size_t at, const char* name)
{
    size_t i = 0;
    for (; name[i]; ++i)
        if (at + i >= s.size() || std::toupper(static_cast<unsigned char>(s[at + i])) != name[i])
            return false;
    return at + i == s.size() || !(std::isalnum(static_cast<unsigned char>(s[at + i])) || s[at + i] == '_');
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1u << 16)
        return 0;
    const std::string out =
        ChatModel::strDisarmForeignLinks(std::string(reinterpret_cast<const char*>(data), size));
    for (size_t at = out.find('<'); at != std::string::npos; at = out.find('<', at + 1))
    {
        for (const char* name :
             {"INPUT", "FORM", "FRAME", "IFRAME", "IMG", "SELECT", "TEXTAREA", "BUTTON", "BODY"})
            if (boTagIs(out, at + 1, name))
                std::abort();
        if (!boTagIs(out, at + 1, "A"))
            continue;
        std::string tag = out.substr(at, out.find('>', at) - at);
        for (char& c : tag)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (tag.find("HREF") != std::string::npos && out.compare(at, 17, "<A HREF=\"@EXTLNK@") != 0)
            std::abort();
    }
    return 0;
}
