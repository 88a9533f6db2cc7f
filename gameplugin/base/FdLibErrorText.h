#pragma once
// Text of an error code: the suite's own codes from its category tables, every
// other code from the system's (or a module's) message table.
#include <windows.h>

#include <cstddef>
#include <cstdint>

// Writes the text into the buffer (emptied first; nothing at all when size is 0).
// With a module, the code is always looked up in that module's messages.
void vGetErrorText(uint32_t dwCode, char* lpszBuffer, size_t ulSize, HMODULE hModule);
