#include "PumpUntil.h"

#include <algorithm>

namespace FdWin
{

void vPumpWaiting(HWND hFilter)
{
    MSG msg;
    while (PeekMessageA(&msg, hFilter, 0, 0, PM_REMOVE))
    {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool boDispatchOne()
{
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        return false;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return true;
}

bool boPumpUntil(const std::function<bool()>& done, DWORD dwBoundMs, DWORD dwPollMs)
{
    const ULONGLONG qwStart = GetTickCount64();
    for (;;)
    {
        if (done())
            return true;
        const ULONGLONG qwElapsed = GetTickCount64() - qwStart;
        if (qwElapsed >= dwBoundMs)
        {
            vPumpWaiting();
            return done();
        }
        const DWORD dwLeft = static_cast<DWORD>(dwBoundMs - qwElapsed);
        // MWMO_INPUTAVAILABLE: messages already in the queue but seen by an
        // earlier peek also end the wait.
        if (MsgWaitForMultipleObjectsEx(0, nullptr, std::min(dwLeft, std::max<DWORD>(dwPollMs, 1)),
                                        QS_ALLINPUT, MWMO_INPUTAVAILABLE) == WAIT_OBJECT_0)
            boDispatchOne();
    }
}

void vPumpFor(DWORD dwMs)
{
    boPumpUntil([] { return false; }, dwMs, dwMs);
}

} // namespace FdWin
