#pragma once
// Buffered trace file: one file per day or per hour, flushed by a timer thread, at a change
// of period, when the buffer is full, or after each line. Several processes may append to
// the same file.
#include <windows.h>

#include <atomic>
#include <cstdarg>
#include <cstdint>
#include <memory>

#include "Clock.h"
#include "CriticalSection.h"
#include "LogFormat.h"
#include "SpawnThread.h"

namespace FdMisc
{

class CTxtFileLogger : public FdSystem::CThreadTimer
{
public:
    static constexpr uint32_t kFlushPeriodSeconds = 60;
    static constexpr size_t kFolderMax = 1024;
    static constexpr size_t kPrintfMax = 4096;
    static constexpr int kIndentSlots = 50; // loggers per process that indent

    // Disabled, hourly, flush each line off, empty folder, system clock.
    explicit CTxtFileLogger(uint32_t dwCapacity);
    // Flushes, stops the timer thread (waiting) and frees the buffer.
    ~CTxtFileLogger() override;

    // Starts (on) or stops (off) the flush timer; no-op when unchanged.
    void vEnable(bool boOn);
    bool boIsEnabled() const { return m_boEnabled; }
    // One line: prefix (slot of the subclass) then the text; length -1 takes the text's
    // length. Only when enabled, for a non-null, non-empty text.
    void vLog(const char* lpszText, int iLength = -1, uint32_t dwLevel = 0, bool boHeader = true);
    // Formats at most 4096 characters, then vLog.
    void vPrintf(uint32_t dwLevel, bool boHeader, const char* lpszFormat, ...);
    void vPrintfV(uint32_t dwLevel, bool boHeader, const char* lpszFormat, va_list args);
    // Appends the pending text to the period's file. Text that cannot be written (the file
    // cannot be opened) stays pending for the next flush.
    void vFlush();

    // The file name is the folder followed directly by the date (and hour).
    void vSetFolder(const char* lpszFolder);
    void vSetHourly(bool boHourly);
    void vSetFlushEachLine(bool boOn);
    // Must outlive the logger.
    void vSetClock(FdSystem::IClock& clock);
    // The timer's period, 60 s unless changed; takes effect at the next vEnable(true).
    void vSetFlushPeriodMs(uint32_t dwMs) { m_dwFlushPeriodMs = dwMs; }

    uint32_t ulGetPending();
    // This logger's counter in the per-thread block, or -1 (the 51st logger and later).
    int iGetIndentSlot() const { return m_iIndentSlot; }
    // The calling thread's indentation for this logger (0 without a slot).
    int iGetIndent() const;
    // Adds to it (floor 0); nothing without a slot.
    void vAddIndent(int iDelta);

    // The file name of the current period; false before the first line.
    bool boGetFileName(char* lpszOut, size_t n);

protected:
    // Slot 5: the prefix of a line, built into m_szPrefix (under the lock).
    virtual const char* lpszBuildPrefix(uint32_t dwLevel, bool boHeader);
    // Period roll, then flush: the timer's tick.
    void OnTimer() override;
    FdSystem::IClock& Clock() { return *m_lpClock; }

    char m_szPrefix[kLogPrefixMax + 1] = {};

private:
    void vRollPeriod();
    bool boWriteToFile(const char* lpData, uint32_t dwLength, uint32_t* lpdwWritten);

    FdSystem::CCriticalSection m_lock;
    std::unique_ptr<char[]> m_lpBuffer;
    uint32_t m_dwCapacity;
    uint32_t m_dwUsed = 0;
    CLogPeriod m_period;
    uint32_t m_dwFlushPeriodMs = kFlushPeriodSeconds * 1000;
    char m_szFolder[kFolderMax + 1] = {};
    bool m_boHourly = true;
    std::atomic<bool> m_boEnabled{false};
    bool m_boFlushEachLine = false;
    int m_iIndentSlot;
    FdSystem::IClock* m_lpClock;
};

} // namespace FdMisc
