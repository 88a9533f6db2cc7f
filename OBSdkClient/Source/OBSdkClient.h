// Hub client library: lets a program talk to remote servers through the
// local hub (Linkwell) over LPC, one channel per conversation.
//
// Life of the library, per process:
// - Init counts its calls; the first stores the module instance (for the
//   sockets' hidden windows) and the hub's port. Term counts down; the call
//   that brings the count to 0 releases every connection to the hub and
//   every open-wait record.
// - The connection to a hub (one CLPCManagedClient per hub, up to 255
//   channels) is made by the first channel that goes through it.
// - When the hub connection is lost, every open channel gets OnEvent(2, 0)
//   and the dead connection stays in place: the library does not reconnect,
//   and every later channel through that hub throws 3004, until the last
//   Term. The next Init after it and the next channel connect anew; programs
//   rely on this to recover from a hub that went away.
// - Channels still open at the last Term lose their connection silently:
//   they send nothing more and their destruction is harmless.
// Everything runs on the thread that pumps messages: the blocking waits
// (hub connect, channel open) pump that thread's messages meanwhile.
#pragma once

#include <windows.h>

#include <cstdint>

#include "HostRecord.h"

namespace OBSdkClient
{

constexpr uint16_t kDefaultHubPort = 8999;
// The local machine's standard loopback host name.
constexpr const char* kLoopbackHostName = "localhost";

// Always true.
bool Init(HINSTANCE hInstance, uint16_t wHubPort);
// Always true.
bool Term();

// The hub every channel goes through: the loopback name and the port of the first Init.
CHostRecord GetDefaultHub();
// The module instance of the first Init (null before it).
HINSTANCE hGetModuleInstance();
uint32_t ulGetInitCount();

} // namespace OBSdkClient
