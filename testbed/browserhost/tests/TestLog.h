// The log of the test plug-in and the test control: lines of the host's
// format appended to the file named by an environment variable.
#pragma once

#include "LogLine.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace FdHostTest
{
inline void vLog(const char* pszVariable, const FdBrowserHost::SLogLine& line)
{
    char szPath[MAX_PATH];
    const DWORD n = GetEnvironmentVariableA(pszVariable, szPath, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return;
    FILE* f = std::fopen(szPath, "ab");
    if (!f)
        return;
    const std::string text = FdBrowserHost::strFormatLogLine(line) + "\n";
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
}

inline std::string strPtr(const void* p)
{
    char sz[32];
    std::snprintf(sz, sizeof sz, "%p", p);
    return sz;
}

// FNV-1a, to compare long bodies without logging them.
inline std::string strHash(const std::string& data)
{
    uint32_t h = 2166136261u;
    for (char c : data)
    {
        h ^= static_cast<unsigned char>(c);
        h *= 16777619u;
    }
    char sz[16];
    std::snprintf(sz, sizeof sz, "%08X", static_cast<unsigned>(h));
    return sz;
}

// Without leading and trailing blanks and line breaks.
inline std::string strTrim(const std::string& s)
{
    const std::size_t a = s.find_first_not_of(" \t\r\n");
    if (a == std::string::npos)
        return std::string();
    return s.substr(a, s.find_last_not_of(" \t\r\n") - a + 1);
}

// "a|b|c" -> {"a", "b", "c"}
inline std::vector<std::string> split(const std::string& s, char sep)
{
    std::vector<std::string> v;
    std::size_t start = 0;
    for (;;)
    {
        const std::size_t end = s.find(sep, start);
        v.push_back(s.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return v;
}
} // namespace FdHostTest
