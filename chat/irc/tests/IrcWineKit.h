// Test support for the connection under Wine against the IRC sidecar
// (testbed/ircserver): ports from the environment, a message pump with a
// bounded wait, the sidecar's control port, and an event log that notes the
// thread of every event.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "RecordingSession.h"

namespace ChatIrcTest
{

// Port named by the sidecar (FD_IRC_PORT, FD_IRCD_PORT, FD_IRC_CTL_PORT); 0 when absent.
unsigned short uSidecarPort(const char* lpName);

// Pumps this thread's messages until the condition holds or `dwMs` pass.
// The default bound leaves room for a scripted client to start on a loaded machine.
bool boPumpUntil(const std::function<bool()>& condition, DWORD dwMs = 60000);
// Pumps whatever is queued now, without waiting.
void vPumpPending();

// One line to the sidecar's control port; its whole answer.
std::string strControl(const std::string& line);

// A loopback port on which nothing listens.
unsigned short uClosedPort();

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
