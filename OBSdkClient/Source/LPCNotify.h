// What the managed client tells a channel. The managed client keeps channels
// as CLPCNotify pointers; CChannelBase implements these.
//
// Locks held while a handler runs (all are critical sections: the handler's
// own thread may take them again, any other thread waits until it returns):
// - OnMessage, OnChannelClosed, OnReconnected, OnResponseTimeout: the
//   channel's own slot lock only. Handlers of one channel never run at the
//   same time; a handler may send, open and close channels (its own too),
//   since the client's slot table lock is not held. For OnChannelClosed the
//   slot is already free.
// - OnLPCLost: the library's client map lock and the client's slot table
//   lock, for every channel of the connection in turn (what a handler throws
//   is dropped, so that the others hear of it). Another thread's calls into
//   the library wait until every channel has been told.
// - vOnClientGone: the same two locks, from the last Term.
// A handler must not wait for another thread that calls into the library.
#pragma once

#include <cstdint>

namespace OBSdkClient
{

// Why the connection to the hub was lost.
enum ELpcLostReason : uint32_t
{
    kLpcLostAborted = 1,
    kLpcLostClosed = 2,
};

class CLPCNotify
{
public:
    virtual ~CLPCNotify() = default;

    // The hub connection went (aborted or closed); the channel's slot is free.
    virtual void OnLPCLost(uint32_t dwReason) = 0;
    // The hub or the server side closed the channel ('f', 'g', 'i').
    virtual void OnChannelClosed() = 0;
    // The server connection was re-established ('h').
    virtual void OnReconnected() = 0;
    // Data for the channel ('d', 'j'); message id -1 unless it answers an identified message.
    virtual void OnMessage(const uint8_t* lpData, uint32_t dwLength, uint32_t dwMessageId) = 0;
    // No answer came for the identified message of this tag ('m').
    virtual void OnResponseTimeout(uint32_t dwTag) = 0;
    // The library ended (last Term) while the channel was open: its client is
    // gone, nothing is sent or notified.
    virtual void vOnClientGone() = 0;
};

} // namespace OBSdkClient
