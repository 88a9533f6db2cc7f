#include "TxtFileLogger.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "ExceptionBase.h"

namespace FdMisc
{

namespace
{

std::atomic<int> g_iNextIndentSlot{0};
// Per-thread indentation counters, one per indenting logger; zero on a thread's first use.
thread_local int t_aiIndent[CTxtFileLogger::kIndentSlots];

int iTakeIndentSlot()
{
    int slot = g_iNextIndentSlot.load();
    while (slot < CTxtFileLogger::kIndentSlots)
    {
        if (g_iNextIndentSlot.compare_exchange_weak(slot, slot + 1))
            return slot;
    }
    return -1;
}

} // namespace

CTxtFileLogger::CTxtFileLogger(uint32_t dwCapacity)
    : m_lpBuffer(new (std::nothrow) char[dwCapacity ? dwCapacity : 1]), m_dwCapacity(dwCapacity),
      m_iIndentSlot(iTakeIndentSlot()), m_lpClock(&FdSystem::SystemClock())
{
    if (!m_lpBuffer)
        m_dwCapacity = 0;
}

CTxtFileLogger::~CTxtFileLogger()
{
    vFlush();
    vStop(true);
}

void CTxtFileLogger::vEnable(bool boOn)
{
    if (boOn == m_boEnabled)
        return;
    m_boEnabled = boOn;
    if (boOn)
        boStartMs(m_dwFlushPeriodMs);
    else
        vStop(true);
}

void CTxtFileLogger::vSetFolder(const char* lpszFolder)
{
    FdSystem::CAutoLock lock(&m_lock);
    FdBase::vCopyBounded(m_szFolder, kFolderMax, lpszFolder);
}

void CTxtFileLogger::vSetHourly(bool boHourly)
{
    FdSystem::CAutoLock lock(&m_lock);
    m_boHourly = boHourly;
}

void CTxtFileLogger::vSetFlushEachLine(bool boOn)
{
    FdSystem::CAutoLock lock(&m_lock);
    m_boFlushEachLine = boOn;
}

void CTxtFileLogger::vSetClock(FdSystem::IClock& clock)
{
    FdSystem::CAutoLock lock(&m_lock);
    m_lpClock = &clock;
}

uint32_t CTxtFileLogger::ulGetPending()
{
    FdSystem::CAutoLock lock(&m_lock);
    return m_dwUsed;
}

int CTxtFileLogger::iGetIndent() const
{
    return m_iIndentSlot >= 0 ? t_aiIndent[m_iIndentSlot] : 0;
}

void CTxtFileLogger::vAddIndent(int iDelta)
{
    if (m_iIndentSlot < 0)
        return;
    int& v = t_aiIndent[m_iIndentSlot];
    v = v + iDelta > 0 ? v + iDelta : 0;
}

bool CTxtFileLogger::boGetFileName(char* lpszOut, size_t n)
{
    FdSystem::CAutoLock lock(&m_lock);
    return m_period.boIsSet() && boFormatLogFileName(lpszOut, n, m_szFolder, m_period, m_boHourly);
}

const char* CTxtFileLogger::lpszBuildPrefix(uint32_t, bool boHeader)
{
    vFormatBasePrefix(m_szPrefix, sizeof(m_szPrefix), boHeader, m_lpClock->GetLocalTime(),
                      GetCurrentThreadId());
    return m_szPrefix;
}

void CTxtFileLogger::vRollPeriod()
{
    FdSystem::CAutoLock lock(&m_lock);
    const FdSystem::SLocalTime now = m_lpClock->GetLocalTime();
    if (!m_period.boIsSet())
    {
        m_period.vSet(now);
        return;
    }
    if (m_period.boRolls(now, m_boHourly))
    {
        vFlush(); // the old period's text goes to the old period's file
        m_period.vSet(now);
    }
}

void CTxtFileLogger::OnTimer()
{
    vRollPeriod();
    vFlush();
}

void CTxtFileLogger::vLog(const char* lpszText, int iLength, uint32_t dwLevel, bool boHeader)
{
    if (!m_boEnabled || !lpszText || iLength == 0)
        return;
    const uint32_t length = iLength < 0 ? (uint32_t)std::strlen(lpszText) : (uint32_t)iLength;
    if (length == 0)
        return;

    FdSystem::CAutoLock lock(&m_lock);
    vRollPeriod();
    const char* prefix = lpszBuildPrefix(dwLevel, boHeader);
    const uint32_t prefixLen = (uint32_t)std::strlen(prefix);
    const uint64_t lineLen = (uint64_t)prefixLen + length;
    if (m_dwUsed + lineLen > m_dwCapacity)
        vFlush();
    if (m_dwUsed + lineLen <= m_dwCapacity)
    {
        std::memcpy(m_lpBuffer.get() + m_dwUsed, prefix, prefixLen);
        std::memcpy(m_lpBuffer.get() + m_dwUsed + prefixLen, lpszText, length);
        m_dwUsed += (uint32_t)lineLen;
        if (m_boFlushEachLine)
            vFlush();
        return;
    }
    // Longer than the room the buffer has (or than the whole buffer): straight to the file.
    uint32_t written = 0;
    if (boWriteToFile(prefix, prefixLen, &written) && written == prefixLen)
        boWriteToFile(lpszText, length, &written);
}

void CTxtFileLogger::vPrintf(uint32_t dwLevel, bool boHeader, const char* lpszFormat, ...)
{
    va_list args;
    va_start(args, lpszFormat);
    vPrintfV(dwLevel, boHeader, lpszFormat, args);
    va_end(args);
}

void CTxtFileLogger::vPrintfV(uint32_t dwLevel, bool boHeader, const char* lpszFormat, va_list args)
{
    if (!m_boEnabled || !lpszFormat)
        return;
    char text[kPrintfMax + 1];
    const int r = std::vsnprintf(text, sizeof(text), lpszFormat, args);
    if (r < 0)
        return;
    vLog(text, -1, dwLevel, boHeader);
}

bool CTxtFileLogger::boWriteToFile(const char* lpData, uint32_t dwLength, uint32_t* lpdwWritten)
{
    *lpdwWritten = 0;
    if (!m_period.boIsSet())
        m_period.vSet(m_lpClock->GetLocalTime());
    char name[kFolderMax + 32];
    if (!boFormatLogFileName(name, sizeof(name), m_szFolder, m_period, m_boHourly))
        return false;
    // Append-only access makes every write land at the end, even with other processes
    // appending to the same file; sharing lets them.
    const HANDLE h =
        CreateFileA(name, FILE_APPEND_DATA | SYNCHRONIZE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(h, lpData, dwLength, &written, nullptr);
    FlushFileBuffers(h);
    CloseHandle(h);
    *lpdwWritten = written;
    return ok != FALSE;
}

void CTxtFileLogger::vFlush()
{
    FdSystem::CAutoLock lock(&m_lock);
    if (m_dwUsed == 0)
        return;
    uint32_t written = 0;
    boWriteToFile(m_lpBuffer.get(), m_dwUsed, &written);
    if (written > m_dwUsed)
        written = m_dwUsed;
    // What was not written stays for the next flush.
    std::memmove(m_lpBuffer.get(), m_lpBuffer.get() + written, m_dwUsed - written);
    m_dwUsed -= written;
}

} // namespace FdMisc
