#include "InfoMessageBox.h"

#include <cstdarg>
#include <cstdio>

#include "FdUi.h"

namespace FdLib
{

int iInfoMessageBox(const char* lpszFormat, ...)
{
    char text[1025];
    va_list args;
    va_start(args, lpszFormat);
    const int r = std::vsnprintf(text, sizeof(text), lpszFormat, args);
    va_end(args);
    if (r < 0)
        text[0] = '\0';
    return FdUi::iMessageBox(nullptr, text, "Informations", MB_OK | MB_ICONINFORMATION);
}

} // namespace FdLib
