// FILE and RES sources through the Win32 API, registered for every document of
// a program that links this library (linked whole: nothing else refers to it).
#include <windows.h>

#include "XmlSources.h"

#include <new>

#include "NumberText.h"
#include "WinHandle.h"
#include "WinText.h"

namespace
{
// RT_HTML: the type of the program's XML resources.
constexpr WORD kXmlResourceType = 23;

class CWin32SourceReader : public IXmlSourceReader
{
public:
    int32_t lReadFile(const std::string& path, std::string& text,
                      const std::function<void()>& onInMemory) const override;
    int32_t lReadResource(const std::string& location, std::string& text) const override;
};

int32_t CWin32SourceReader::lReadFile(const std::string& path, std::string& text,
                                      const std::function<void()>& onInMemory) const
{
    FdWin::CHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.boValid())
        return kXmlLoadReadFailed;
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
        static_cast<uint64_t>(size.QuadPart) > kMaxXmlSourceSize)
        return kXmlLoadReadFailed;
    try
    {
        text.assign(static_cast<size_t>(size.QuadPart), '\0');
    }
    catch (const std::bad_alloc&)
    {
        return kXmlLoadNoMemory;
    }
    if (onInMemory)
        onInMemory();
    size_t done = 0;
    while (done < text.size())
    {
        DWORD got = 0;
        if (!ReadFile(file.get(), &text[done], static_cast<DWORD>(text.size() - done), &got, nullptr) ||
            got == 0)
            return kXmlLoadReadFailed;
        done += got;
    }
    return kXmlLoadOk;
}

int32_t CWin32SourceReader::lReadResource(const std::string& location, std::string& text) const
{
    const HMODULE module = GetExeModuleHandle();
    HRSRC resource = nullptr;
    if (!location.empty() && location[0] == '#')
    {
        const int32_t id = TextToInt32(location.c_str() + 1);
        if (id > 0 && id <= 0xFFFF)
            resource = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(kXmlResourceType));
    }
    else
        resource = FindResourceA(module, location.c_str(), MAKEINTRESOURCEA(kXmlResourceType));
    if (resource == nullptr)
        return kXmlLoadNoResource;
    HGLOBAL loaded = LoadResource(module, resource);
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    const DWORD size = SizeofResource(module, resource);
    if (data == nullptr && size > 0)
        return kXmlLoadReadFailed;
    // Resource data has no terminator: it is copied by its size.
    try
    {
        if (size == 0)
            text.clear();
        else
            text.assign(static_cast<const char*>(data), size);
    }
    catch (const std::bad_alloc&)
    {
        return kXmlLoadNoMemory;
    }
    return kXmlLoadOk;
}

const CWin32SourceReader g_win32Reader{};

struct SRegister
{
    SRegister() { vSetXmlSourceReader(&g_win32Reader); }
} g_register;

} // namespace
