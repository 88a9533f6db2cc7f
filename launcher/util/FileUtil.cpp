#include "FileUtil.h"

#include <windows.h>

#include <climits>

namespace
{
class CFileHandle
{
public:
    explicit CFileHandle(HANDLE h) : m_h(h) {}
    ~CFileHandle()
    {
        if (valid())
            CloseHandle(m_h);
    }
    CFileHandle(const CFileHandle&) = delete;
    CFileHandle& operator=(const CFileHandle&) = delete;
    bool valid() const { return m_h != INVALID_HANDLE_VALUE && m_h != nullptr; }
    HANDLE get() const { return m_h; }

private:
    HANDLE m_h;
};
} // namespace

bool boFileExists(const std::string& path)
{
    CFileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.valid();
}

int32_t WriteNewTextFile(const std::string& path, const std::string& text)
{
    if (path.size() >= kMaxPathLength || text.size() > static_cast<size_t>(UINT_MAX))
        return 0;
    CFileHandle file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        return 0;
    DWORD written = 0;
    const DWORD size = static_cast<DWORD>(text.size());
    if (!WriteFile(file.get(), text.data(), size, &written, nullptr) || written != size)
        return 0;
    return 1;
}
