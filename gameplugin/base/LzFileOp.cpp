#include "LzFileOp.h"

#include "LzBuffer.h"
#include "WinHandle.h"

#include <memory>
#include <new>

namespace
{

constexpr DWORD kIoChunk = 1u << 24; // bytes per ReadFile/WriteFile call

void vSetError(DWORD* lpdwWin32Error, DWORD dwError)
{
    if (lpdwWin32Error)
        *lpdwWin32Error = dwError;
}

int iConvert(CLzBuffer& lz, const uint8_t* lpSource, uint32_t dwLength, int iMode)
{
    switch (iMode)
    {
    case kLzModeExpand:
        return lz.boExpand(lpSource, dwLength) ? kLzOk : kLzExpandFailed;
    case kLzModeCompress:
    case kLzModeCompressForce:
        return lz.boCompress(lpSource, dwLength, iMode == kLzModeCompressForce) ? kLzOk : kLzCompressFailed;
    default:
        return lz.boCopy(lpSource, dwLength) ? kLzOk : kLzCopyFailed;
    }
}

int iWriteTarget(const CLzBuffer& lz, const char* lpszTarget, DWORD* lpdwWin32Error)
{
    const DWORD dwAttributes = GetFileAttributesA(lpszTarget);
    if (dwAttributes != INVALID_FILE_ATTRIBUTES)
    {
        SetFileAttributesA(lpszTarget, FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(lpszTarget);
    }
    FdWin::CHandle target(
        CreateFileA(lpszTarget, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!target.boValid())
    {
        vSetError(lpdwWin32Error, GetLastError());
        return kLzCantCreateTarget;
    }
    const uint8_t* p = lz.lpGetData();
    uint32_t dwLeft = lz.dwGetSize();
    while (dwLeft > 0)
    {
        DWORD dwWritten = 0;
        const DWORD dwChunk = dwLeft < kIoChunk ? dwLeft : kIoChunk;
        if (!WriteFile(target.get(), p, dwChunk, &dwWritten, nullptr) || dwWritten != dwChunk)
        {
            vSetError(lpdwWin32Error,
                      dwWritten != dwChunk && GetLastError() == 0 ? ERROR_WRITE_FAULT : GetLastError());
            target.boClose();
            DeleteFileA(lpszTarget); // no half-written file is left behind
            return kLzCantWriteTarget;
        }
        p += dwWritten;
        dwLeft -= dwWritten;
    }
    if (!target.boClose())
    {
        vSetError(lpdwWin32Error, GetLastError());
        DeleteFileA(lpszTarget);
        return kLzCantWriteTarget;
    }
    return kLzOk;
}
} // namespace

int iLzFileOpBuffer(const uint8_t* lpSource, uint32_t dwLength, const char* lpszTarget, int iMode,
                    DWORD* lpdwWin32Error)
{
    vSetError(lpdwWin32Error, 0);
    CLzBuffer lz;
    const int iResult = iConvert(lz, lpSource, dwLength, iMode);
    if (iResult != kLzOk)
        return iResult;
    if (!lz.boHasData())
        return kLzNoData;
    return iWriteTarget(lz, lpszTarget, lpdwWin32Error);
}

int iLzFileOp(const char* lpszSource, const char* lpszTarget, int iMode, DWORD* lpdwWin32Error)
{
    vSetError(lpdwWin32Error, 0);
    FdWin::CHandle source(CreateFileA(lpszSource, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!source.boValid())
    {
        vSetError(lpdwWin32Error, GetLastError());
        return kLzCantOpenSource;
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(source.get(), &size))
    {
        vSetError(lpdwWin32Error, GetLastError());
        return kLzCantOpenSource;
    }
    if (size.QuadPart > static_cast<LONGLONG>(UINT32_MAX))
    {
        vSetError(lpdwWin32Error, ERROR_FILE_TOO_LARGE);
        return kLzCantOpenSource;
    }
    const uint32_t dwLength = static_cast<uint32_t>(size.QuadPart);
    std::unique_ptr<uint8_t[]> lpData(new (std::nothrow) uint8_t[dwLength ? dwLength : 1]);
    if (!lpData)
    {
        vSetError(lpdwWin32Error, ERROR_NOT_ENOUGH_MEMORY);
        return kLzCantReadSource;
    }
    uint32_t dwRead = 0;
    while (dwRead < dwLength)
    {
        DWORD dwGot = 0;
        const DWORD dwChunk = dwLength - dwRead < kIoChunk ? dwLength - dwRead : kIoChunk;
        if (!ReadFile(source.get(), lpData.get() + dwRead, dwChunk, &dwGot, nullptr) || dwGot == 0)
        {
            vSetError(lpdwWin32Error, GetLastError());
            return kLzCantReadSource;
        }
        dwRead += dwGot;
    }
    source.boClose();
    return iLzFileOpBuffer(lpData.get(), dwLength, lpszTarget, iMode, lpdwWin32Error);
}
