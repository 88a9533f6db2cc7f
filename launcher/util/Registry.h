// Registry values addressed by one string: root word, '\', subkey path
// ("HKCU\Software\Zelto\Ludex"). Root words: HKEY_CLASSES_ROOT/HKCR,
// HKEY_CURRENT_USER/HKCU, HKEY_LOCAL_MACHINE/HKLM, HKEY_CURRENT_CONFIG/HKCC,
// HKEY_DYN_DATA/HKDD, HKEY_PERFORMANCE_DATA/HKPD, in any case.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "StringExt.h"

// The predefined key of the root word, subkey receiving the rest; null when the path
// has no '\' or an unknown root word.
HKEY ParseRegistryRoot(const std::string& path, std::string& subkey);

// REG_SZ / REG_EXPAND_SZ as text (unexpanded), REG_DWORD as "%li"; the default text on
// any failure or other type.
CStringExt RegReadValue(const std::string& path, const char* valueName, const char* defaultText);

// Writes text with the type already stored under the name, else newType: REG_SZ and
// REG_EXPAND_SZ with their NUL, REG_DWORD as atoi of the text. 1 on success, 0 otherwise
// (other types included).
int32_t RegWriteValue(const std::string& path, const char* valueName, const char* text, DWORD newType);
