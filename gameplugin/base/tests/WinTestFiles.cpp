#include "WinTestFiles.h"

#include <vector>

namespace GpTest
{
bool boWriteFile(const std::string& strPath, const std::string& strData)
{
    HANDLE h = CreateFileA(strPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD dwWritten = 0;
    const bool ok = strData.empty() ||
                    (WriteFile(h, strData.data(), static_cast<DWORD>(strData.size()), &dwWritten, nullptr) &&
                     dwWritten == strData.size());
    CloseHandle(h);
    return ok;
}

bool boReadFile(const std::string& strPath, std::string* lpstrData)
{
    HANDLE h = CreateFileA(strPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size;
    bool ok = GetFileSizeEx(h, &size) != 0;
    std::string data;
    if (ok)
    {
        data.resize(static_cast<size_t>(size.QuadPart));
        DWORD dwRead = 0;
        ok = data.empty() || (ReadFile(h, &data[0], static_cast<DWORD>(data.size()), &dwRead, nullptr) &&
                              dwRead == data.size());
    }
    CloseHandle(h);
    if (ok)
        *lpstrData = std::move(data);
    return ok;
}

bool boExists(const std::string& strPath)
{
    return GetFileAttributesA(strPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string strBinDir()
{
    char sz[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, sz, sizeof sz);
    std::string str(sz, n);
    return str.substr(0, str.find_last_of("\\/"));
}
} // namespace GpTest
