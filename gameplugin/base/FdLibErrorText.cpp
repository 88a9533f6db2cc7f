#include "FdLibErrorText.h"

#include "SuiteErrorText.h"

void vGetErrorText(uint32_t dwCode, char* lpszBuffer, size_t ulSize, HMODULE hModule)
{
    if (!lpszBuffer || ulSize == 0)
        return;
    lpszBuffer[0] = 0;
    if (!hModule && boGetSuiteErrorText(dwCode, lpszBuffer, ulSize))
        return;
    const DWORD dwFlags =
        (hModule ? FORMAT_MESSAGE_FROM_HMODULE : FORMAT_MESSAGE_FROM_SYSTEM) | FORMAT_MESSAGE_IGNORE_INSERTS;
    const DWORD dwRoom = ulSize > MAXDWORD ? MAXDWORD : static_cast<DWORD>(ulSize);
    if (FormatMessageA(dwFlags, hModule, dwCode, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), lpszBuffer,
                       dwRoom, nullptr) == 0)
        lpszBuffer[0] = 0;
}
