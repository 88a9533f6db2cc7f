// A library whose only content is its version resource (1,2,0,3), for the
// versioned-copy tests.
#include <windows.h>

extern "C" __declspec(dllexport) int FdTestVersioned()
{
    return 1203;
}
