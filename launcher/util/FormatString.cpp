#include "FormatString.h"

#include <cstdio>
#include <cstring>

namespace
{
// Most texts fit here and need a single formatting pass.
constexpr size_t kFirstBufferSize = 256;
} // namespace

void FormatString(CStringExt& target, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    FormatStringV(target, format, args);
    va_end(args);
}

void FormatStringV(CStringExt& target, const char* format, va_list args)
{
    if (format == nullptr)
    {
        target.clear();
        return;
    }
    char buffer[kFirstBufferSize];
    va_list again;
    va_copy(again, args);
    const int needed = std::vsnprintf(buffer, sizeof buffer, format, args);
    if (needed < 0)
        target.clear();
    else if (static_cast<size_t>(needed) < sizeof buffer)
        target.assign(buffer, static_cast<size_t>(needed));
    else
    {
        // vsnprintf told the full length: format once more into a buffer that holds it.
        std::string full(static_cast<size_t>(needed) + 1, '\0');
        const int written = std::vsnprintf(&full[0], full.size(), format, again);
        if (written < 0)
            target.clear();
        else
        {
            full.resize(static_cast<size_t>(written));
            target.assign(full);
        }
    }
    va_end(again);
}

CStringExt& AppendString(CStringExt& target, const std::string& source)
{
    target.append(source.c_str(), std::strlen(source.c_str()));
    return target;
}
