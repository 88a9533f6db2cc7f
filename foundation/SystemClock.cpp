#include <windows.h>

#include "Clock.h"

namespace FdSystem
{

namespace
{

class CSystemClock : public IClock
{
public:
    uint32_t dwTickCount() override { return GetTickCount(); }
    SLocalTime GetLocalTime() override
    {
        SYSTEMTIME st;
        ::GetLocalTime(&st);
        SLocalTime t;
        t.wYear = st.wYear;
        t.wMonth = st.wMonth;
        t.wDayOfWeek = st.wDayOfWeek;
        t.wDay = st.wDay;
        t.wHour = st.wHour;
        t.wMinute = st.wMinute;
        t.wSecond = st.wSecond;
        t.wMilliseconds = st.wMilliseconds;
        return t;
    }
};

} // namespace

IClock& SystemClock()
{
    static CSystemClock clock;
    return clock;
}

} // namespace FdSystem
