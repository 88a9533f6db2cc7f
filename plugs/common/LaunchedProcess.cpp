#include "LaunchedProcess.h"

#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <vector>

#include "LaunchCommand.h"

namespace
{
constexpr DWORD kWatchStepMs = 250;
// Stopping a thread object waits this long at most.
constexpr DWORD kStopBoundMs = 8000;

// The process objects alive: a message 1212 still queued when its object goes
// must find nothing.
std::mutex g_liveLock;
std::vector<CLaunchedProcess*>& LiveObjects()
{
    static std::vector<CLaunchedProcess*> live;
    return live;
}

// The user locale's comparison (CompareString without case), not foundation/text's
// ASCII rule: the names the scripts ask for have always been matched this way.
bool EqualsNoCaseUserLocale(const std::string& a, const char* b)
{
    return lstrcmpiA(a.c_str(), b) == 0;
}
} // namespace

// What the watcher thread works on. The process handle is the watcher's own
// duplicate, so closing or killing through the object's handle never pulls the
// handle from under the wait.
struct CLaunchedProcess::SWatch
{
    FdWin::CHandle process;
    FdWin::CHandle stop; // set: leave without reporting
    CLaunchedProcess* object = nullptr;
    DWORD threadId = 0;
    std::atomic<bool> ended{false}; // the end was seen and posted
};

CLaunchedProcess::CLaunchedProcess(IProcessCallback* owner, ILaunchTraceSink* traces)
    : m_owner(owner), m_traces(traces)
{
    std::lock_guard<std::mutex> lock(g_liveLock);
    LiveObjects().push_back(this);
}

CLaunchedProcess::~CLaunchedProcess()
{
    {
        std::lock_guard<std::mutex> lock(g_liveLock);
        auto& live = LiveObjects();
        live.erase(std::remove(live.begin(), live.end(), this), live.end());
    }
    vReset();
}

void CLaunchedProcess::vTrace(const std::string& text)
{
    if (m_traces)
        m_traces->vTrace(text);
}

bool CLaunchedProcess::boStart(const SLaunchRequest& request)
{
    // A game is held, or a killed game's end has not been reported yet.
    if (m_process.boValid() || m_watch)
        return false;
    const std::string directory = LaunchDirectory(request.executable);
    const char* const lpszDirectory = directory.empty() ? nullptr : directory.c_str();
    if (request.mode == kLaunchByProcess)
    {
        vTrace("tech = CreateProcess");
        std::string commandLine = LaunchCommandLine(request.executable, request.parameters);
        vTrace("cmdline =  " + commandLine);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        std::vector<char> line(commandLine.begin(), commandLine.end());
        line.push_back('\0');
        if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NEW_PROCESS_GROUP, nullptr,
                            lpszDirectory, &startup, &info))
        {
            char code[16];
            std::snprintf(code, sizeof code, "%lX", GetLastError());
            vTrace(std::string("CreateProcess Failed! err=") + code + "\n" + commandLine);
            return false;
        }
        m_process.vAttach(info.hProcess);
        m_thread.vAttach(info.hThread);
        m_processId = info.dwProcessId;
        m_threadId = info.dwThreadId;
    }
    else
    {
        const std::string verb = request.shellVerb.empty() ? "open" : request.shellVerb;
        vTrace("csDefDir : " + directory + "\ncsVerb : " + verb + "\ncsCommandLine : " + request.executable +
               "\ncsParameters : " + request.parameters);
        SHELLEXECUTEINFOA shell = {};
        shell.cbSize = sizeof shell;
        shell.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
        shell.lpVerb = verb.c_str();
        shell.lpFile = request.executable.c_str();
        shell.lpParameters = request.parameters.empty() ? nullptr : request.parameters.c_str();
        shell.lpDirectory = lpszDirectory;
        shell.nShow = SW_SHOWNORMAL;
        if (!ShellExecuteExA(&shell))
            return false;
        // The shell may have handed the file to a program already running: then
        // there is no process of the game's own to hold or watch.
        m_process.vAttach(shell.hProcess);
        m_processId = 0;
        m_threadId = 0;
    }
    vStartWatcher();
    return true;
}

void CLaunchedProcess::vStartWatcher()
{
    if (!m_process.boValid())
        return;
    auto watch = std::make_unique<SWatch>();
    HANDLE duplicate = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), m_process.get(), GetCurrentProcess(), &duplicate, SYNCHRONIZE,
                         FALSE, 0))
    {
        vTrace("!ERREUR! CLaunchedProcess::vStartWatcher -> DuplicateHandle failed");
        return;
    }
    watch->process.vAttach(duplicate);
    watch->stop.vAttach(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    watch->object = this;
    watch->threadId = GetCurrentThreadId();
    if (!watch->stop.boValid())
    {
        vTrace("!ERREUR! CLaunchedProcess::vStartWatcher -> CreateEvent failed");
        return;
    }
    SWatch* record = watch.get();
    m_watcherThread.vAttach(CreateThread(nullptr, 0, WatchProcessThread, record, 0, nullptr));
    if (!m_watcherThread.boValid())
    {
        vTrace("!ERREUR! CLaunchedProcess::vStartWatcher -> CreateThread failed");
        return;
    }
    m_watch = std::move(watch);
}

DWORD WINAPI CLaunchedProcess::WatchProcessThread(void* param)
{
    SWatch* watch = static_cast<SWatch*>(param);
    const HANDLE handles[2] = {watch->process.get(), watch->stop.get()};
    for (;;)
    {
        const DWORD result = WaitForMultipleObjects(2, handles, FALSE, kWatchStepMs);
        if (result == WAIT_TIMEOUT)
            continue;
        if (result == WAIT_OBJECT_0 + 1)
            return 0; // stopped: the owner goes or lets the game go
        break;        // the process ended, or the wait failed
    }
    watch->ended = true;
    PostThreadMessageA(watch->threadId, kProcessEndedMessage, 0, reinterpret_cast<LPARAM>(watch->object));
    return 0;
}

void CLaunchedProcess::vStopWatcher()
{
    if (m_watch)
        SetEvent(m_watch->stop.get());
    bool joined = true;
    if (m_watcherThread.boValid())
        joined = WaitForSingleObject(m_watcherThread.get(), kStopBoundMs) == WAIT_OBJECT_0;
    m_watcherThread.boClose();
    // A watcher that did not end within the bound still uses its record: it
    // is left to it rather than freed under it.
    if (!joined)
        static_cast<void>(m_watch.release());
    m_watch.reset();
}

void CLaunchedProcess::vReset()
{
    vStopWatcher();
    m_process.boClose();
    m_thread.boClose();
    m_processId = 0;
    m_threadId = 0;
}

bool CLaunchedProcess::boKill()
{
    bool killed = false;
    if (m_process.boValid())
    {
        DWORD code = 0;
        if (GetExitCodeProcess(m_process.get(), &code))
        {
            killed = TerminateProcess(m_process.get(), code) != FALSE;
            m_process.boClose();
        }
    }
    m_thread.boClose();
    return killed;
}

bool CLaunchedProcess::boGetInfo(const std::string& id, long& value) const
{
    if (!boIsRunning())
        return false;
    if (EqualsNoCaseUserLocale(id, "procid"))
        value = static_cast<long>(m_processId);
    else if (EqualsNoCaseUserLocale(id, "threadid"))
        value = static_cast<long>(m_threadId);
    else if (EqualsNoCaseUserLocale(id, "hprocess"))
        // Kernel handle values fit in 32 bits, also in 64-bit processes.
        value = static_cast<long>(reinterpret_cast<LONG_PTR>(m_process.get()));
    else
        return false;
    return true;
}

void CLaunchedProcess::vOnProcessEnded()
{
    // Only the end of the current watch counts: a message of a watch that was
    // stopped, or one already handled, finds no ended watch.
    if (!m_watch || !m_watch->ended)
        return;
    // The watcher has posted and is leaving.
    WaitForSingleObject(m_watcherThread.get(), kStopBoundMs);
    m_watcherThread.boClose();
    m_watch.reset();
    m_process.boClose();
    m_thread.boClose();
    m_processId = 0;
    m_threadId = 0;
    // Last: the owner may let this object go from inside the call.
    if (m_owner)
        m_owner->vOnProcessEnded(0, this);
}

bool CLaunchedProcess::boHandleThreadMessage(const MSG& msg)
{
    if (msg.hwnd != nullptr || msg.message != kProcessEndedMessage)
        return false;
    CLaunchedProcess* object = reinterpret_cast<CLaunchedProcess*>(msg.lParam);
    {
        std::lock_guard<std::mutex> lock(g_liveLock);
        const auto& live = LiveObjects();
        if (std::find(live.begin(), live.end(), object) == live.end())
            return true;
    }
    object->vOnProcessEnded();
    return true;
}
