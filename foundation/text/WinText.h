// ANSI/wide conversions in the machine's ANSI code page, and the program module.
#pragma once

#include <windows.h>

#include <string>

#include "StringExt.h"

std::wstring AnsiToWide(const std::string& text);
CStringExt WideToAnsi(const wchar_t* text, size_t length);
// GetModuleHandle(NULL), fetched once: the module whose resources the program reads.
HMODULE GetExeModuleHandle();
