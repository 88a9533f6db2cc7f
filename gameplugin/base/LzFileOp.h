#pragma once
// File side of the SZDD codec: reads a whole source, converts it with CLzBuffer
// and replaces the target. Codes are reported to pages as "erreur LZ32".
#include <windows.h>

#include <cstdint>

enum ELzMode
{
    kLzModeExpand = 1,        // SZDD expands, any other data is copied
    kLzModeCompress = 2,      // compressed unless that would not shrink it
    kLzModeCompressForce = 3, // always compressed
    // any other value: plain copy
};

enum ELzResult
{
    kLzOk = 0,
    kLzNoData = 1,         // the conversion left no data
    kLzCantOpenSource = 2, // the source cannot be opened or its size read
    kLzCantCreateTarget = 3,
    kLzCantReadSource = 4, // the source cannot be read completely
    kLzCantWriteTarget = 5,
    kLzExpandFailed = 6,
    kLzCompressFailed = 7,
    kLzCopyFailed = 8,
};

// Converts the source file into the target. An existing target gets normal
// attributes and is deleted, then the target is created anew; nothing is touched
// when reading or converting fails, and a target that cannot be written whole is
// removed. *lpdwWin32Error (optional) receives the failing call's error, 0 when none.
int iLzFileOp(const char* lpszSource, const char* lpszTarget, int iMode, DWORD* lpdwWin32Error);
// The same from a buffer already in memory.
int iLzFileOpBuffer(const uint8_t* lpSource, uint32_t dwLength, const char* lpszTarget, int iMode,
                    DWORD* lpdwWin32Error);
