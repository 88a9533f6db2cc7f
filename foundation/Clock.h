#pragma once
// Time source of everything timed in the suite, so that tests can set the time.
#include <cstdint>
#include <mutex>

namespace FdSystem
{

// Local calendar time, the fields of the system's local-time record.
struct SLocalTime
{
    uint16_t wYear;
    uint16_t wMonth;     // 1-12
    uint16_t wDayOfWeek; // 0 = Sunday
    uint16_t wDay;       // 1-31
    uint16_t wHour;
    uint16_t wMinute;
    uint16_t wSecond;
    uint16_t wMilliseconds;
};

class IClock
{
public:
    virtual ~IClock() = default;
    // Milliseconds since an arbitrary start; wraps like the system tick count.
    virtual uint32_t dwTickCount() = 0;
    virtual SLocalTime GetLocalTime() = 0;
};

// The operating system's clock (Windows builds only).
IClock& SystemClock();

// A clock that moves only when told; safe to read from other threads.
class CManualClock : public IClock
{
public:
    // Starts at tick 0 and the given local time (its day of week is recomputed).
    explicit CManualClock(const SLocalTime& start);
    uint32_t dwTickCount() override;
    SLocalTime GetLocalTime() override;
    void vSetLocalTime(const SLocalTime& t);
    // Moves the tick count and the local time forward together, across days and months.
    void vAdvance(uint32_t dwMs);

private:
    std::mutex m_lock;
    uint32_t m_dwTick = 0;
    int64_t m_llMs = 0; // local time as milliseconds since 1970-01-01 00:00:00.000
};

// Calendar helpers of the manual clock.
SLocalTime MakeLocalTime(int iYear, int iMonth, int iDay, int iHour = 0, int iMinute = 0, int iSecond = 0,
                         int iMs = 0);
int64_t llToEpochMs(const SLocalTime& t);
SLocalTime FromEpochMs(int64_t llMs);

} // namespace FdSystem
