#include "Clock.h"

namespace FdSystem
{

namespace
{

constexpr int64_t kMsPerDay = 86400000;

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t llDaysFromCivil(int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = (unsigned)(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + (int64_t)doe - 719468;
}

void vCivilFromDays(int64_t z, int64_t* y, unsigned* m, unsigned* d)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = (unsigned)(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    *d = doy - (153 * mp + 2) / 5 + 1;
    *m = mp < 10 ? mp + 3 : mp - 9;
    *y = (int64_t)yoe + era * 400 + (*m <= 2);
}

} // namespace

int64_t llToEpochMs(const SLocalTime& t)
{
    const int64_t days = llDaysFromCivil(t.wYear, t.wMonth, t.wDay);
    return days * kMsPerDay + ((int64_t)t.wHour * 3600 + t.wMinute * 60 + t.wSecond) * 1000 + t.wMilliseconds;
}

SLocalTime FromEpochMs(int64_t llMs)
{
    int64_t days = llMs / kMsPerDay;
    int64_t rest = llMs % kMsPerDay;
    if (rest < 0)
    {
        rest += kMsPerDay;
        --days;
    }
    int64_t y;
    unsigned m, d;
    vCivilFromDays(days, &y, &m, &d);
    SLocalTime t{};
    t.wYear = (uint16_t)y;
    t.wMonth = (uint16_t)m;
    t.wDay = (uint16_t)d;
    t.wDayOfWeek = (uint16_t)((days % 7 + 11) % 7); // 1970-01-01 was a Thursday
    t.wHour = (uint16_t)(rest / 3600000);
    t.wMinute = (uint16_t)(rest / 60000 % 60);
    t.wSecond = (uint16_t)(rest / 1000 % 60);
    t.wMilliseconds = (uint16_t)(rest % 1000);
    return t;
}

SLocalTime MakeLocalTime(int iYear, int iMonth, int iDay, int iHour, int iMinute, int iSecond, int iMs)
{
    SLocalTime t{};
    t.wYear = (uint16_t)iYear;
    t.wMonth = (uint16_t)iMonth;
    t.wDay = (uint16_t)iDay;
    t.wHour = (uint16_t)iHour;
    t.wMinute = (uint16_t)iMinute;
    t.wSecond = (uint16_t)iSecond;
    t.wMilliseconds = (uint16_t)iMs;
    return FromEpochMs(llToEpochMs(t));
}

CManualClock::CManualClock(const SLocalTime& start) : m_llMs(llToEpochMs(start)) {}

uint32_t CManualClock::dwTickCount()
{
    std::lock_guard<std::mutex> g(m_lock);
    return m_dwTick;
}

SLocalTime CManualClock::GetLocalTime()
{
    std::lock_guard<std::mutex> g(m_lock);
    return FromEpochMs(m_llMs);
}

void CManualClock::vSetLocalTime(const SLocalTime& t)
{
    std::lock_guard<std::mutex> g(m_lock);
    m_llMs = llToEpochMs(t);
}

void CManualClock::vAdvance(uint32_t dwMs)
{
    std::lock_guard<std::mutex> g(m_lock);
    m_dwTick += dwMs;
    m_llMs += dwMs;
}

} // namespace FdSystem
