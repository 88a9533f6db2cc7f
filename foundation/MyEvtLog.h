#pragma once
// Event-log side of the programs' loggers, and the table that names their threads.
#include <windows.h>

#include <cstdint>

namespace FdMisc
{

class CMyEvtLog
{
public:
    static constexpr DWORD kThreadNames = 4000; // thread ids below this can be named
    static constexpr size_t kThreadNameMax = 64;

    // Every name starts as its own index in decimal.
    CMyEvtLog();
    // Deregisters an event source it registered itself; a borrowed one is left alone.
    virtual ~CMyEvtLog();
    CMyEvtLog(const CMyEvtLog&) = delete;
    CMyEvtLog& operator=(const CMyEvtLog&) = delete;

    bool boRegisterEventSource(const char* lpszSource);
    void vBorrowEventSource(HANDLE hSource);
    // Does nothing and answers true.
    virtual bool boReport(WORD wType, DWORD dwEventId, const char* lpszText);

    // Ids of 4000 or more are ignored; the name is cut to 64 characters.
    void vSetThreadName(DWORD dwThreadId, const char* lpszName);
    // "THRDIDOUTOFRANGE" for an id of 4000 or more.
    const char* lpszGetThreadName(DWORD dwThreadId) const;

private:
    void vReleaseEventSource();

    HANDLE m_hEventSource = nullptr;
    bool m_boBorrowed = false;
    char m_aszThreadNames[kThreadNames][kThreadNameMax + 1];
};

} // namespace FdMisc
