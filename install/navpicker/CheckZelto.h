#pragma once
// The installation check report: system, registry trees, folders with file
// versions and fixed drives, mailed through Simple MAPI or written to
// "C:\ZELTOCheck.txt" when mail fails.
#include <windows.h>

#include <string>

namespace FdNav
{
// The arguments of the export, in order; the first is not used.
struct SCheckArgs
{
    const char* lpszUnused = nullptr;
    const char* lpszRegistryKey = nullptr; // under HKEY_LOCAL_MACHINE
    const char* lpszFolder = nullptr;
    const char* lpszLogPath = nullptr; // attached when it exists
    const char* lpszRecipient = nullptr;
    const char* lpszSubject = nullptr;
    const char* lpszLanguage = nullptr;
};

// Where the report goes when it cannot be mailed.
extern const char kszFallbackFile[];

// Shows the progress window (template 202 of hModule), builds the report,
// and mails it: 1 when mailed, 0 when written to the fallback file instead.
int iCheckZelto(HINSTANCE hModule, const SCheckArgs& args);
} // namespace FdNav
