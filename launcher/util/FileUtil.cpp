#include "FileUtil.h"

#include <windows.h>

#include <climits>

#include "WinHandle.h"

bool boFileExists(const std::string& path)
{
    FdWin::CHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.boValid();
}

int32_t WriteNewTextFile(const std::string& path, const std::string& text)
{
    if (path.size() >= kMaxPathLength || text.size() > static_cast<size_t>(UINT_MAX))
        return 0;
    FdWin::CHandle file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.boValid())
        return 0;
    DWORD written = 0;
    const DWORD size = static_cast<DWORD>(text.size());
    if (!WriteFile(file.get(), text.data(), size, &written, nullptr) || written != size)
        return 0;
    return 1;
}
