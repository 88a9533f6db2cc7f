// The Windows host of the document: file and resource readers, current directory.
#include <windows.h>

#include "HtmlWinHost.h"
#include "WinHandle.h"

#include <cstring>

namespace
{
// RT_HTML, the type of the pages kept as resources.
const LPCSTR kHtmlResourceType = MAKEINTRESOURCEA(23);
} // namespace

int32_t CHtmlWinHost::ReadFile(const std::string& path, uint32_t maxSize, HtmlMemBlock* block,
                               uint32_t* length, std::string* errorText,
                               const std::function<void()>& onAllocated)
{
    *block = nullptr;
    *length = 0;
    // Read-only, others may read but not write meanwhile.
    FdWin::CHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size = {};
    if (!file.boValid() || !GetFileSizeEx(file.get(), &size))
    {
        *errorText = "File error";
        return 1;
    }
    if (size.QuadPart < 0 || uint64_t(size.QuadPart) > maxSize)
    {
        *errorText = "Error reading file " + path;
        return 1;
    }
    const uint32_t total = uint32_t(size.QuadPart);
    *block = MemBlockAlloc(0, total);
    if (*block == nullptr)
        return 2;
    if (onAllocated)
        onAllocated();
    uint32_t done = 0;
    while (done < total)
    {
        DWORD got = 0;
        if (!::ReadFile(file.get(), static_cast<char*>(*block) + done, total - done, &got, nullptr) ||
            got == 0)
        {
            *block = MemBlockFree(*block);
            *errorText = "Error reading file " + path;
            return 1;
        }
        done += got;
    }
    *length = total;
    return 0;
}

bool CHtmlWinHost::ReadResource(void* module, const char* name, uint32_t id, std::string* text)
{
    HMODULE owner = module != nullptr ? static_cast<HMODULE>(module) : GetModuleHandleA(nullptr);
    HRSRC found =
        FindResourceA(owner, name != nullptr ? name : MAKEINTRESOURCEA(id & 0xFFFF), kHtmlResourceType);
    if (found == nullptr)
        return false;
    HGLOBAL loaded = LoadResource(owner, found);
    const char* bytes = loaded != nullptr ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (bytes == nullptr)
        return false;
    // The page is the resource's text up to its first zero byte.
    const DWORD size = SizeofResource(owner, found);
    const void* zero = std::memchr(bytes, 0, size);
    text->assign(bytes, zero != nullptr ? static_cast<const char*>(zero) - bytes : size);
    return true;
}

std::string CHtmlWinHost::CurrentDirectory()
{
    char buffer[1025] = {};
    const DWORD n = GetCurrentDirectoryA(sizeof buffer, buffer);
    return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}
