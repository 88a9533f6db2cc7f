// A library without DllRegisterServer.
#include <windows.h>

extern "C" __declspec(dllexport) int FdTestNothing()
{
    return 0;
}
