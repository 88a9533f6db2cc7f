// CLaunchedProcess: the game process the command-line plug starts (process
// creation or a shell verb) and watches. A watcher thread waits for the
// process's end and posts thread message 1212 to the thread that started the
// game; that thread's loop hands the message to boHandleThreadMessage, which
// closes the handles and calls the owner's process-ended slot with code 0.
//
// Use, all on the plug's main thread:
//   CLaunchedProcess process(&callbacks, &traces);   // both not owned
//   bool started = process.boStart({exe, params, kLaunchByShell, "open"});
//   ... message loop:  if (CLaunchedProcess::boHandleThreadMessage(msg)) continue;
//   callbacks.vOnProcessEnded(0, &process) comes once when the game ends or is killed.
//   process.boIsRunning(); process.boKill(); process.boGetInfo("procid", value);
//   process.vReset() or destruction: the watcher is stopped and joined, the
//   handles closed, the game left running, and no end is reported for it.
// A modal loop on that thread (a dialog's, for one) must hand message 1212 on
// as well: dispatched there, a thread message is lost, and the end with it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "WinHandle.h"

class CLaunchedProcess;

// The owner's callback table.
class IProcessCallback
{
public:
    // Slot 0: the game process ended (code 0).
    virtual void vOnProcessEnded(long code, CLaunchedProcess* process) = 0;
    // Slot 1: send test data.
    virtual void vSendTestData() = 0;

protected:
    ~IProcessCallback() = default;
};

// Where the launch traces go.
class ILaunchTraceSink
{
public:
    virtual void vTrace(const std::string& text) = 0;

protected:
    ~ILaunchTraceSink() = default;
};

enum : int32_t
{
    kLaunchByProcess = 0, // CreateProcess
    kLaunchByShell = 1,   // ShellExecuteEx with the shell verb
};

struct SLaunchRequest
{
    std::string executable;
    std::string parameters;
    int32_t mode = kLaunchByProcess;
    std::string shellVerb; // empty: "open"
};

// The thread message of a game's end; lParam is the process object.
constexpr UINT kProcessEndedMessage = 1212;

class CLaunchedProcess
{
public:
    CLaunchedProcess(IProcessCallback* owner, ILaunchTraceSink* traces);
    ~CLaunchedProcess();
    CLaunchedProcess(const CLaunchedProcess&) = delete;
    CLaunchedProcess& operator=(const CLaunchedProcess&) = delete;

    // Starts the game and its watcher. True only when a game was started; false
    // when one is already held (or its end is still to be reported) or the
    // start failed (traced for process creation).
    bool boStart(const SLaunchRequest& request);
    // TerminateProcess's result (false when nothing was terminated). The end is
    // then reported as for a game that ends by itself.
    bool boKill();
    // True while the process handle is held.
    bool boIsRunning() const { return m_process.boValid(); }
    // While running: "procid", "threadid" or "hprocess" (any case); false for
    // any other id or when nothing runs. value is left alone on false.
    bool boGetInfo(const std::string& id, long& value) const;
    // Stops and joins the watcher, closes every handle; the game keeps running.
    void vReset();

    // The end handling of thread message 1212: true when msg is that message
    // (handled or stale), false for any other message. A message for an
    // object that has gone, or for a watch that has not ended, does nothing.
    static bool boHandleThreadMessage(const MSG& msg);
    // The end handling itself (message 1212 for this object).
    void vOnProcessEnded();

private:
    struct SWatch;
    static DWORD WINAPI WatchProcessThread(void* param);
    void vStartWatcher();
    void vStopWatcher();
    void vTrace(const std::string& text);

    FdWin::CHandle m_process;
    FdWin::CHandle m_thread;
    DWORD m_processId = 0;
    DWORD m_threadId = 0;
    std::unique_ptr<SWatch> m_watch;
    FdWin::CHandle m_watcherThread;
    IProcessCallback* m_owner;
    ILaunchTraceSink* m_traces;
};
