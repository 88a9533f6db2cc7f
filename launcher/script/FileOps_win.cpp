// The file calls through the Win32 file functions, registered for CFileOps in
// every program that links this library (linked whole: nothing else refers to it).
#include "FileOps.h"

#include "WinHandle.h"

#include <windows.h>

#include <cstdio>

namespace
{
// A temporary file beside path (same volume, so it can replace path); "" on failure.
std::string TemporaryBeside(const std::string& path)
{
    std::string folder = path;
    const size_t slash = folder.find_last_of("\\/");
    folder = slash == std::string::npos ? "." : folder.substr(0, slash + 1);
    char name[MAX_PATH] = "";
    if (GetTempFileNameA(folder.c_str(), "ldx", 0, name) == 0)
        return std::string();
    return name;
}

bool WriteHandle(HANDLE file, const char* data, size_t length)
{
    while (length > 0)
    {
        const DWORD part = length > 0x10000000 ? 0x10000000 : static_cast<DWORD>(length);
        DWORD written = 0;
        if (!WriteFile(file, data, part, &written, nullptr) || written != part)
            return false;
        data += part;
        length -= part;
    }
    return true;
}
} // namespace

class CWin32FileCalls : public IFileCalls
{
public:
    bool Exists(const std::string& path) const override;
    bool Copy(const std::string& source, const std::string& destination, bool overwrite) const override;
    bool Rename(const std::string& source, const std::string& destination) const override;
    bool Delete(const std::string& path) const override;
    bool ReadAll(const std::string& path, std::string& text) const override;
    bool WriteAll(const std::string& path, const char* data, size_t length, bool overwrite) const override;
};

bool CWin32FileCalls::Exists(const std::string& path) const
{
    const FdWin::CHandle file(
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    return file.boValid();
}

bool CWin32FileCalls::Copy(const std::string& source, const std::string& destination, bool overwrite) const
{
    return Exists(source) && CopyFileA(source.c_str(), destination.c_str(), overwrite ? FALSE : TRUE) != 0;
}

bool CWin32FileCalls::Rename(const std::string& source, const std::string& destination) const
{
    return Exists(source) && std::rename(source.c_str(), destination.c_str()) == 0;
}

bool CWin32FileCalls::Delete(const std::string& path) const
{
    return Exists(path) && DeleteFileA(path.c_str()) != 0;
}

bool CWin32FileCalls::ReadAll(const std::string& path, std::string& text) const
{
    text.clear();
    if (path.size() >= kMaxPath || !Exists(path))
        return false;
    const FdWin::CHandle file(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size = {};
    if (!file.boValid() || !GetFileSizeEx(file.get(), &size))
        return false;
    char chunk[kChunk];
    for (;;)
    {
        DWORD got = 0;
        if (!ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr))
            return false;
        text.append(chunk, got);
        if (got < sizeof chunk)
            break;
    }
    return true;
}

bool CWin32FileCalls::WriteAll(const std::string& path, const char* data, size_t length, bool overwrite) const
{
    if (path.size() >= kMaxPath)
        return false;
    if (!overwrite)
    {
        const FdWin::CHandle file(
            CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        return file.boValid() && WriteHandle(file.get(), data, length);
    }
    // The new content goes to a temporary file that then replaces the target:
    // a failed write leaves the target as it was.
    const std::string temporary = TemporaryBeside(path);
    if (temporary.empty())
        return false;
    bool written = false;
    {
        FdWin::CHandle file(CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
        written = file.boValid() && WriteHandle(file.get(), data, length) && FlushFileBuffers(file.get());
    }
    if (written &&
        MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileA(temporary.c_str());
    return false;
}

namespace
{
const CWin32FileCalls g_win32Calls{};

struct SRegister
{
    SRegister() { SetFileCalls(&g_win32Calls); }
} g_register;
} // namespace
