// Why a channel closes, and what its client program is told.
#pragma once

#include <cstdint>

namespace HubRouting
{

enum EDisconnectCause : int
{
    kCauseClosed = 0,     // the client asked ('D'), or the server closed the link
    kCauseAborted = 1,    // the link was aborted
    kCauseLost = 2,       // the last reconnection failed
    kCauseFresh = 3,      // the page asked for a fresh connection; the hub stops
    kCauseFailed = 4,     // connecting or registering failed
    kCauseClientGone = 5, // the client program is gone
};

// 'g', 'f', 'i' or 'g' for causes 0 to 3; 0 (nothing sent) for the others.
uint8_t bCauseLetter(int iCause);

} // namespace HubRouting
