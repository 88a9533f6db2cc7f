#pragma once
// Worker threads with a stop event and a bounded stop, and the periodic timer thread.
#include <windows.h>

#include <cstdint>

namespace FdSystem
{

class CSpawnThread
{
public:
    static constexpr DWORD kStopWaitMs = 8000;

    CSpawnThread() = default;
    // Stops with waiting. A derived class whose body uses its own members stops in its own
    // destructor; should the thread still run here, this waits for it without bound, since
    // its memory must outlive it (see vStopAndDelete for owners that cannot wait).
    virtual ~CSpawnThread();
    CSpawnThread(const CSpawnThread&) = delete;
    CSpawnThread& operator=(const CSpawnThread&) = delete;

    // Creates the stop event (auto-reset) and starts the thread. False when no thread
    // could be started, or one runs already.
    bool boStart();
    // Signals the stop event; with the flag, waits for the thread up to the stop wait.
    // A thread that ended is closed with its event. One that did not end (or when not
    // waiting) keeps its handle and its event, so its waits stay valid: boIsRunning() tells.
    virtual void vStop(bool boWait);

    // The thread has been started and has not been seen to end.
    bool boIsRunning();
    DWORD dwGetThreadId() const { return m_dwThreadId; }
    HANDLE hGetStopEvent() const { return m_hStopEvent; }
    // The bounded wait of vStop (8000 ms unless changed).
    void vSetStopWait(DWORD dwMs) { m_dwStopWaitMs = dwMs; }

protected:
    // The thread body; its result is the thread's exit code.
    virtual DWORD dwThread() = 0;

private:
    static unsigned __stdcall uThreadProc(void* lpThis);
    void vCloseIfEnded(DWORD dwWaitMs);

    HANDLE m_hThread = nullptr;
    HANDLE m_hStopEvent = nullptr;
    DWORD m_dwThreadId = 0;
    DWORD m_dwStopWaitMs = kStopWaitMs;
};

// Stops the thread with waiting and deletes the object once its thread has ended; an object
// whose thread still runs after the wait is deliberately never freed. True when deleted.
bool boStopAndDelete(CSpawnThread* lpThread);

class CThreadTimer : public CSpawnThread
{
public:
    // Calls OnTimer every `dwPeriodSeconds` until stopped.
    bool boStart(uint32_t dwPeriodSeconds);
    // The same with a period in milliseconds.
    bool boStartMs(uint32_t dwPeriodMs);
    uint32_t dwGetPeriodMs() const { return m_dwPeriodMs; }

protected:
    DWORD dwThread() override { return dwRun(); }
    // Waits on the stop event with the period as timeout: signalled (or a failed wait) ends
    // the thread with 0, a timeout calls OnTimer.
    DWORD dwRun();
    virtual void OnTimer() {}

private:
    uint32_t m_dwPeriodMs = 0;
};

} // namespace FdSystem
