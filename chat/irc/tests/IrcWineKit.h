// Test support for the connection under Wine against the IRC sidecar
// (testbed/ircserver): ports from the environment, a message pump with a
// sidecar-sized bound, the sidecar's control port, and an event log that notes the
// thread of every event.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <functional>
#include <string>
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

} // namespace ChatIrcTest
