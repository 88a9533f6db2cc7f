#pragma once
// Files and folders of the Windows tests.
#include <windows.h>

#include <string>

namespace FdTest
{

// A new empty folder under the temporary folder, ending with a backslash.
inline std::string MakeTempFolder(const char* tag)
{
    static LONG counter = 0;
    char base[MAX_PATH];
    GetTempPathA(sizeof(base), base);
    const std::string dir = std::string(base) + "fdtest-" + tag + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                            std::to_string(InterlockedIncrement(&counter)) + "-" + std::to_string(GetTickCount());
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir + "\\";
}

// The whole file, or "<missing>".
inline std::string ReadFile(const std::string& path)
{
    const HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string out;
    char buf[4096];
    DWORD got = 0;
    while (::ReadFile(h, buf, sizeof(buf), &got, nullptr) && got > 0)
        out.append(buf, got);
    CloseHandle(h);
    return out;
}

inline bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The folder of the running test program, with a trailing backslash.
inline std::string ProgramFolder()
{
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof(path));
    std::string s(path, n);
    return s.substr(0, s.find_last_of("\\/") + 1);
}

} // namespace FdTest
