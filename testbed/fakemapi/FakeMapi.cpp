// A fake Simple MAPI provider. mapi32 hands it MAPILogon, MAPILogoff,
// MAPIResolveName and MAPISendMail, and frees what it gives back itself, so
// the resolved recipient is allocated with mapi32's MAPIAllocateBuffer.
//
// Every call is appended to the file named by FD_FAKEMAPI_LOG, one line each
// ("LOGON flags=1", "RESOLVE flags=8 name=...", "SEND flags=8 subject=...",
// "TO class=1 name=... address=...", "ATTACH position=-1 path=... name=...",
// "BODY <length>" followed by the body's bytes and a line end, "LOGOFF").
// FD_FAKEMAPI_FAIL makes one step fail: "logon" (MAPI_E_LOGON_FAILURE),
// "resolve" (MAPI_E_UNKNOWN_RECIPIENT) or "abort" (send answers
// MAPI_E_USER_ABORT, as when the user closes the mail window).
#include <windows.h>
#include <mapi.h>

#include <cstring>
#include <string>

namespace
{
std::string strEnv(const char* lpszName)
{
    char sz[MAX_PATH * 2];
    const DWORD dw = GetEnvironmentVariableA(lpszName, sz, sizeof sz);
    return dw > 0 && dw < sizeof sz ? std::string(sz, dw) : std::string();
}

void vRecord(const std::string& strText)
{
    const std::string strLog = strEnv("FD_FAKEMAPI_LOG");
    if (strLog.empty())
        return;
    HANDLE h = CreateFileA(strLog.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return;
    DWORD dw = 0;
    WriteFile(h, strText.data(), static_cast<DWORD>(strText.size()), &dw, nullptr);
    CloseHandle(h);
}

bool boFails(const char* lpszStep)
{
    return strEnv("FD_FAKEMAPI_FAIL") == lpszStep;
}

std::string strOf(const char* lpsz)
{
    return lpsz ? lpsz : "(null)";
}

using FAllocate = SCODE(WINAPI*)(ULONG, LPVOID*);

// mapi32's allocator when mapi32 is loaded and is not this module.
void* lpAllocate(size_t ulSize)
{
    const HMODULE hMapi = GetModuleHandleA("mapi32.dll");
    HMODULE hSelf = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<const char*>(&lpAllocate), &hSelf);
    if (hMapi && hMapi != hSelf)
    {
        const auto pfn =
            reinterpret_cast<FAllocate>(reinterpret_cast<void*>(GetProcAddress(hMapi, "MAPIAllocateBuffer")));
        void* lp = nullptr;
        if (pfn && pfn(static_cast<ULONG>(ulSize), &lp) == S_OK)
            return lp;
        return nullptr;
    }
    return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, ulSize);
}
} // namespace

extern "C" ULONG WINAPI MAPILogon(ULONG_PTR, LPSTR lpszProfile, LPSTR, FLAGS flFlags, ULONG,
                                  LPLHANDLE lphSession)
{
    vRecord("LOGON flags=" + std::to_string(flFlags) + " profile=" + strOf(lpszProfile) + "\n");
    if (boFails("logon"))
        return MAPI_E_LOGON_FAILURE;
    if (lphSession)
        *lphSession = 0x5E55;
    return SUCCESS_SUCCESS;
}

extern "C" ULONG WINAPI MAPILogoff(LHANDLE, ULONG_PTR, FLAGS, ULONG)
{
    vRecord("LOGOFF\n");
    return SUCCESS_SUCCESS;
}

extern "C" ULONG WINAPI MAPIResolveName(LHANDLE, ULONG_PTR, LPSTR lpszName, FLAGS flFlags, ULONG,
                                        lpMapiRecipDesc* lppRecipient)
{
    const std::string strName = strOf(lpszName);
    vRecord("RESOLVE flags=" + std::to_string(flFlags) + " name=" + strName + "\n");
    if (boFails("resolve") || !lppRecipient)
        return MAPI_E_UNKNOWN_RECIPIENT;
    const std::string strShown = "Resolved " + strName;
    const std::string strAddress = "SMTP:" + strName + "@zelto.example";
    const size_t ulSize = sizeof(MapiRecipDesc) + strShown.size() + 1 + strAddress.size() + 1;
    auto* lpBlock = static_cast<char*>(lpAllocate(ulSize));
    if (!lpBlock)
        return MAPI_E_INSUFFICIENT_MEMORY;
    std::memset(lpBlock, 0, ulSize);
    auto* lpRecipient = reinterpret_cast<MapiRecipDesc*>(lpBlock);
    char* lpszShown = lpBlock + sizeof(MapiRecipDesc);
    char* lpszAddress = lpszShown + strShown.size() + 1;
    std::memcpy(lpszShown, strShown.c_str(), strShown.size() + 1);
    std::memcpy(lpszAddress, strAddress.c_str(), strAddress.size() + 1);
    lpRecipient->ulRecipClass = MAPI_ORIG;
    lpRecipient->lpszName = lpszShown;
    lpRecipient->lpszAddress = lpszAddress;
    *lppRecipient = lpRecipient;
    return SUCCESS_SUCCESS;
}

extern "C" ULONG WINAPI MAPISendMail(LHANDLE, ULONG_PTR, lpMapiMessage lpMessage, FLAGS flFlags, ULONG)
{
    if (!lpMessage)
        return MAPI_E_FAILURE;
    std::string s = "SEND flags=" + std::to_string(flFlags) + " subject=" + strOf(lpMessage->lpszSubject) +
                    " recipients=" + std::to_string(lpMessage->nRecipCount) +
                    " files=" + std::to_string(lpMessage->nFileCount) + "\n";
    for (ULONG i = 0; i < lpMessage->nRecipCount && lpMessage->lpRecips; ++i)
    {
        const MapiRecipDesc& r = lpMessage->lpRecips[i];
        s += "TO class=" + std::to_string(r.ulRecipClass) + " name=" + strOf(r.lpszName) +
             " address=" + strOf(r.lpszAddress) + "\n";
    }
    for (ULONG i = 0; i < lpMessage->nFileCount && lpMessage->lpFiles; ++i)
    {
        const MapiFileDesc& f = lpMessage->lpFiles[i];
        s += "ATTACH position=" + std::to_string(static_cast<long>(static_cast<LONG>(f.nPosition))) +
             " path=" + strOf(f.lpszPathName) + " name=" + strOf(f.lpszFileName) + "\n";
    }
    const std::string strBody = strOf(lpMessage->lpszNoteText);
    s += "BODY " + std::to_string(strBody.size()) + "\n" + strBody + "\n";
    if (boFails("abort"))
        s += "ABORTED\n";
    vRecord(s);
    return boFails("abort") ? MAPI_E_USER_ABORT : SUCCESS_SUCCESS;
}

// Only the short build, standing in for mapi32 itself, exports it.
extern "C" ULONG WINAPI MAPIFreeBuffer(LPVOID lpv)
{
    if (lpv)
        HeapFree(GetProcessHeap(), 0, lpv);
    return SUCCESS_SUCCESS;
}
