// Test support for the connection under Wine against the IRC sidecar
// (testbed/ircserver): ports from the environment, a message pump with a
// sidecar-sized bound, the sidecar's control port, and an event log that notes the
// thread of every event.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "PumpUntil.h"
#include "RecordingSession.h"
#include "TestKit.h"

namespace ChatIrcTest
{

// Port named by the sidecar (FD_IRC_PORT, FD_IRCD_PORT, FD_IRC_CTL_PORT); 0 when absent.
unsigned short uSidecarPort(const char* lpName);

// The kit's bounded pump, with a default bound that leaves room for a
// scripted client to start on a loaded machine.
constexpr DWORD kSidecarBoundMs = 60000;
inline bool boPumpUntil(const std::function<bool()>& condition, DWORD dwMs = kSidecarBoundMs)
{
    return FdTestKit::boPumpUntil(condition, dwMs);
}

// One line to the sidecar's control port; its whole answer.
std::string strControl(const std::string& line);

class CThreadLog : public CEventLog
{
public:
    CThreadLog()
    {
        onEvent = [this] { threads.push_back(GetCurrentThreadId()); };
    }
    std::vector<DWORD> threads;
    bool boHas(const std::string& e) const;
    // Events from the first of `first` on.
    std::vector<std::string> From(const std::string& first) const;
};

// A control command run beside the pump, so the window goes on handling
// the events the scripted client causes.
class CBackground
{
public:
    explicit CBackground(const std::string& line)
        : m_thread(
              [this, line]
              {
                  std::string a = strControl(line);
                  std::lock_guard<std::mutex> hold(m_lock);
                  m_answer = a;
                  m_done = true;
              })
    {
    }
    ~CBackground() { m_thread.join(); }
    bool boDone()
    {
        std::lock_guard<std::mutex> hold(m_lock);
        return m_done;
    }
    std::string strAnswer()
    {
        std::lock_guard<std::mutex> hold(m_lock);
        return m_answer;
    }

private:
    std::mutex m_lock;
    bool m_done = false;
    std::string m_answer;
    std::thread m_thread;
};

// The keyboard state with Ctrl and Alt down, put back on the way out.
class CCtrlAltHeld
{
public:
    CCtrlAltHeld()
    {
        GetKeyboardState(m_saved);
        BYTE keys[256];
        memcpy(keys, m_saved, sizeof keys);
        keys[VK_CONTROL] = keys[VK_MENU] = 0x80;
        SetKeyboardState(keys);
    }
    ~CCtrlAltHeld() { SetKeyboardState(m_saved); }
    CCtrlAltHeld(const CCtrlAltHeld&) = delete;
    CCtrlAltHeld& operator=(const CCtrlAltHeld&) = delete;

private:
    BYTE m_saved[256];
};

} // namespace ChatIrcTest
