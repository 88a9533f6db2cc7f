#pragma once
// Small helpers of the plug-in's install path, downloads and folder chooser:
// folder chains, expansion of downloaded files, running a program and waiting,
// self-registration of components, registry tree removal and temporary names.
// They log nothing: their callers do.
#include <windows.h>

#include <cstdint>
#include <string>

// Creates every missing folder of the folder part of `path` (everything up to its
// last "\"; a path ending in "\" creates the whole path). *lpboExisted (optional)
// tells whether the last level already existed. Stops at the first failure other
// than "already exists", keeping the levels made so far.
bool boCreateDirectoryChain(const char* lpszPath, bool* lpboExisted);

// Expands an SZDD file (any other file is copied) into the target; true when the
// LZ code is 0. Both error codes are returned when the pointers are given.
bool boExpandFile(const char* lpszSource, const char* lpszTarget, DWORD* lpdwWin32Error, int* lpiLzError);
// The same from a buffer.
bool boCopyBufferToFile(const uint8_t* lpBuffer, uint32_t dwLength, const char* lpszTarget,
                        DWORD* lpdwWin32Error, int* lpiLzError);

// Starts the program (no inherited handles, default environment and folder) and
// waits up to `dwTimeoutMs` for it to end. True only when it ended within the time
// with exit code 0; a program still running at the time-out is left running.
bool boRunAndWait(const char* lpszApplication, const char* lpszCommandLine, DWORD dwTimeoutMs);

constexpr DWORD kSelfRegisterTimeoutMs = 10000;
// Registers a COM server: a program (".exe" in any case) runs as
// "<path>" /regserver and must end with code 0 within 10 s; any other file is
// loaded as a library whose DllRegisterServer must answer a success code.
bool boSelfRegister(const char* lpszPath);

constexpr DWORD kRegistryKeyNameMax = 256;
// Deletes every subkey of root\subkey, and the key itself when depth > 0 (depth 0
// empties the key but keeps it and its values). Returns the first failing Win32
// result, or ERROR_SUCCESS.
LONG lDeleteRegistryTree(HKEY hRoot, const char* lpszSubkey, int iDepth);

// A new empty file "_tp*.tmp" in the folder; its path, empty on failure.
std::string strMakeTempFileName(const char* lpszFolder);
