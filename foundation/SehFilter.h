#pragma once
// Structured exceptions (access violations and the like). mingw-w64's g++ has no
// _set_se_translator, so a fault cannot come back as a C++ throw: the process's
// unhandled-exception filter builds a CSEHException, formats the family's report, hands
// both to the program's report function (its logger), writes the report to stderr and
// ends the process with the exception code as exit code. No catch site ever sees it.
#include <windows.h>

#include "ExceptionBase.h"

namespace FdBase
{

class CSEHException : public CExceptionBase
{
public:
    // Copies the exception record and the processor context.
    explicit CSEHException(const EXCEPTION_POINTERS* lpPointers);
    const char* lpszGetClassName() const override { return "CSEHException"; }
    // No rows: the code is the system's exception code.
    const SErrorTableRow* lpGetErrorTable() const override;

    DWORD dwGetSystemCode() const { return m_record.ExceptionCode; }
    const EXCEPTION_RECORD& GetRecord() const { return m_record; }
    const CONTEXT& GetContext() const { return m_context; }

private:
    EXCEPTION_RECORD m_record;
    CONTEXT m_context;
};

// Called once, on the faulting thread, before the process ends: flush what must survive.
// The report is the family's exception report (see ulFormatExceptionReport).
typedef void (*PFN_SEH_REPORT)(const CSEHException& e, const char* lpszReport, void* lpContext);

// Installs the filter (once per program, at its entry). The filter it replaces is asked
// first and keeps any exception it resumes (a runtime signal handler, for instance).
void vInstallSehFilter(PFN_SEH_REPORT pfnReport, void* lpContext);
// Puts the replaced filter back.
void vRemoveSehFilter();

} // namespace FdBase
