#include "SehFilter.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace FdBase
{

namespace
{

const SErrorTableRow kNoRows[] = {{"", "", 0}};

PFN_SEH_REPORT g_pfnReport = nullptr;
void* g_lpReportContext = nullptr;
LPTOP_LEVEL_EXCEPTION_FILTER g_pfnPrevious = nullptr;
bool g_boInstalled = false;
volatile LONG g_lReporting = 0;

// The filter may run with little stack left (a stack overflow): its large objects are static.
alignas(CSEHException) unsigned char g_exceptionStorage[sizeof(CSEHException)];
char g_szReport[4096];

void vDescribe(const EXCEPTION_RECORD& r, char* lpszOut, size_t n)
{
    int len = std::snprintf(lpszOut, n, "Exception structurée 0x%08lX à l'adresse %p",
                            (unsigned long)r.ExceptionCode, r.ExceptionAddress);
    if (len < 0 || (size_t)len >= n)
        return;
    if (r.ExceptionCode == EXCEPTION_ACCESS_VIOLATION && r.NumberParameters >= 2)
    {
        const ULONG_PTR kind = r.ExceptionInformation[0];
        const char* what = kind == 0 ? "lecture" : (kind == 8 ? "exécution" : "écriture");
        std::snprintf(lpszOut + len, n - len, " (%s de l'adresse %p)", what,
                      reinterpret_cast<void*>(r.ExceptionInformation[1]));
    }
}

LONG WINAPI lUnhandledFilter(EXCEPTION_POINTERS* lpPointers)
{
    if (g_pfnPrevious)
    {
        const LONG r = g_pfnPrevious(lpPointers);
        if (r == EXCEPTION_CONTINUE_EXECUTION)
            return r;
    }
    if (InterlockedExchange(&g_lReporting, 1) != 0)
    {
        // Another thread is reporting and will end the process.
        Sleep(INFINITE);
    }
    const CSEHException* e = new (g_exceptionStorage) CSEHException(lpPointers);
    const size_t len = ulFormatExceptionReport(*e, g_szReport, sizeof(g_szReport));

    const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    if (err && err != INVALID_HANDLE_VALUE)
    {
        DWORD written = 0;
        WriteFile(err, g_szReport, (DWORD)len, &written, nullptr);
        WriteFile(err, "\n", 1, &written, nullptr);
    }
    if (g_pfnReport)
        g_pfnReport(*e, g_szReport, g_lpReportContext);
    // Ending here, rather than returning to the system, keeps the crash dialog and the
    // debugger away and gives the program a known exit code.
    TerminateProcess(GetCurrentProcess(), e->dwGetSystemCode());
    return EXCEPTION_EXECUTE_HANDLER;
}

} // namespace

CSEHException::CSEHException(const EXCEPTION_POINTERS* lpPointers)
    : CExceptionBase(lpPointers && lpPointers->ExceptionRecord ? lpPointers->ExceptionRecord->ExceptionCode
                                                               : 0,
                     "", "", 0),
      m_record(), m_context()
{
    if (lpPointers && lpPointers->ExceptionRecord)
        m_record = *lpPointers->ExceptionRecord;
    if (lpPointers && lpPointers->ContextRecord)
        m_context = *lpPointers->ContextRecord;
    char text[160];
    vDescribe(m_record, text, sizeof(text));
    vSetText(text);
}

const SErrorTableRow* CSEHException::lpGetErrorTable() const
{
    return kNoRows;
}

void vInstallSehFilter(PFN_SEH_REPORT pfnReport, void* lpContext)
{
    g_pfnReport = pfnReport;
    g_lpReportContext = lpContext;
    if (!g_boInstalled)
    {
        g_pfnPrevious = SetUnhandledExceptionFilter(&lUnhandledFilter);
        g_boInstalled = true;
    }
}

void vRemoveSehFilter()
{
    if (!g_boInstalled)
        return;
    SetUnhandledExceptionFilter(g_pfnPrevious);
    g_pfnPrevious = nullptr;
    g_boInstalled = false;
    g_pfnReport = nullptr;
    g_lpReportContext = nullptr;
}

} // namespace FdBase
