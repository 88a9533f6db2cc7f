// A program that the install-utility tests start: appends its command line to
// the file named by FD_TESTPROG_LOG, then sleeps FD_TESTPROG_SLEEP_MS and exits
// with FD_TESTPROG_EXIT (0 when unset).
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace
{
long lEnv(const char* lpszName)
{
    char sz[32];
    const DWORD n = GetEnvironmentVariableA(lpszName, sz, sizeof sz);
    return n > 0 && n < sizeof sz ? std::strtol(sz, nullptr, 10) : 0;
}
} // namespace

int main()
{
    char szLog[MAX_PATH];
    const DWORD n = GetEnvironmentVariableA("FD_TESTPROG_LOG", szLog, sizeof szLog);
    if (n > 0 && n < sizeof szLog)
    {
        if (FILE* f = std::fopen(szLog, "ab"))
        {
            std::fprintf(f, "%s\n", GetCommandLineA());
            std::fclose(f);
        }
    }
    if (const long lSleep = lEnv("FD_TESTPROG_SLEEP_MS"))
        Sleep(static_cast<DWORD>(lSleep));
    return static_cast<int>(lEnv("FD_TESTPROG_EXIT"));
}
