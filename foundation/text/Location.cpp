#include "Location.h"

#ifdef _WIN32
#include <direct.h>
#else
#include <unistd.h>
#endif

#include <vector>

#include "TextUtil.h"

namespace
{
const char kSeparator[] = "://";
constexpr size_t kSeparatorLength = 3;
constexpr size_t kWorkingDirBufferSize = 4096;
} // namespace

bool IsRelativeLocation(const std::string& text)
{
    return text.find(kSeparator) == std::string::npos && !text.empty() && text[0] != '/' && text[0] != '\\';
}

CStringExt SplitProtocol(CStringExt& location, const char* defaultProtocol)
{
    const CStringExt fallback(defaultProtocol != nullptr ? defaultProtocol : "");
    const size_t pos = location.find(kSeparator);
    if (pos == std::string::npos || pos > kMaxProtocolWordLength)
        return fallback;
    if (pos == 0)
    {
        location.erase(0, kSeparatorLength);
        return fallback;
    }
    CStringExt protocol(location.substr(0, pos));
    protocol.MakeUpper();
    location.erase(0, pos + kSeparatorLength);
    return protocol;
}

CStringExt GetWorkingDirectory()
{
    std::vector<char> buffer(kWorkingDirBufferSize, '\0');
#ifdef _WIN32
    const char* dir = _getcwd(buffer.data(), static_cast<int>(buffer.size()));
#else
    const char* dir = getcwd(buffer.data(), buffer.size());
#endif
    return CStringExt(dir != nullptr ? dir : "");
}

CStringExt MakeAbsoluteLocalPathIn(const std::string& path, const std::string& currentDir)
{
    CStringExt result = SlashesToBackslashes(TrimmedCopy(path));
    if (result.size() > 1 && result.find(":\\") == std::string::npos && result[0] != '\\')
    {
        CStringExt full(currentDir);
        if (full.empty() || full.back() != '\\')
            full += '\\';
        result = full + result;
    }
    return result;
}

CStringExt MakeAbsoluteLocalPath(const std::string& path)
{
    return MakeAbsoluteLocalPathIn(path, GetWorkingDirectory());
}

CStringExt NormalizeLocation(const std::string& location)
{
    const CStringExt trimmed = TrimmedCopy(location);
    CStringExt rest(trimmed);
    const size_t pos = trimmed.find(kSeparator);
    const bool hasWord = pos != std::string::npos && pos >= 1 && pos <= kMaxProtocolWordLength;
    const CStringExt written = hasWord ? CStringExt(trimmed.substr(0, pos)) : CStringExt("file");
    const CStringExt protocol = SplitProtocol(rest, "FILE");
    if (protocol == "STR" || protocol == "RES")
        return trimmed;
    if (protocol == "FILE")
        return CStringExt("file") + kSeparator + MakeAbsoluteLocalPath(rest);
    return written + kSeparator + BackslashesToSlashes(rest);
}

CStringExt JoinLocation(const std::string& relative, const std::string& base, const char* defaultProtocol)
{
    CStringExt joined = BackslashesToSlashes(TrimmedCopy(relative));
    if (IsRelativeLocation(joined))
    {
        const CStringExt baseSlashed = BackslashesToSlashes(TrimmedCopy(base));
        const size_t lastSlash = baseSlashed.rfind('/');
        if (lastSlash != std::string::npos)
            joined = baseSlashed.substr(0, lastSlash + 1) + joined;
    }
    CStringExt rest(joined);
    if (SplitProtocol(rest, defaultProtocol) == "FILE")
        return CStringExt("file") + kSeparator + SlashesToBackslashes(rest);
    return joined;
}
