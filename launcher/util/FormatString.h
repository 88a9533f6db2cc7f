// printf-style formatting into a CStringExt.
#pragma once

#include <cstdarg>
#include <string>

#include "StringExt.h"

#if defined(__MINGW32__)
#define FD_PRINTF_FORMAT(f, a) __attribute__((format(gnu_printf, f, a)))
#elif defined(__GNUC__)
#define FD_PRINTF_FORMAT(f, a) __attribute__((format(printf, f, a)))
#else
#define FD_PRINTF_FORMAT(f, a)
#endif

// Formats the whole text, whatever its length, into target. A format the C library
// rejects leaves target empty; nothing is reported.
void FormatString(CStringExt& target, const char* format, ...) FD_PRINTF_FORMAT(2, 3);
void FormatStringV(CStringExt& target, const char* format, va_list args);

// Appends source up to its first NUL byte; returns target.
CStringExt& AppendString(CStringExt& target, const std::string& source);
