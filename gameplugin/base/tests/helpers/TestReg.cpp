// A library whose DllRegisterServer answers FD_TESTREG_RESULT (a decimal HRESULT,
// S_OK when unset) and counts its calls in FD_TESTPROG_LOG.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer()
{
    char sz[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("FD_TESTPROG_LOG", sz, sizeof sz);
    if (n > 0 && n < sizeof sz)
    {
        if (FILE* f = std::fopen(sz, "ab"))
        {
            std::fputs("DllRegisterServer\n", f);
            std::fclose(f);
        }
    }
    n = GetEnvironmentVariableA("FD_TESTREG_RESULT", sz, sizeof sz);
    return n > 0 && n < sizeof sz ? static_cast<HRESULT>(std::strtol(sz, nullptr, 10)) : S_OK;
}
