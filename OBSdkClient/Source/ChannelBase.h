// A channel: one conversation with a remote server through the local hub.
// Construction opens it (through the hub connection of the library's default
// hub), destruction closes it; the program derives from it (or from
// CChannelStd) to send with boSend and receive through the virtuals.
#pragma once

#include <cstdint>

#include "ChannelConfig.h"
#include "HostRecord.h"
#include "LPCNotify.h"

namespace OBSdkClient
{

class CLPCManagedClient;

class CChannelBase : public CLPCNotify
{
public:
    enum EState : uint32_t
    {
        kClosed = 0,
        kOpen = 2,
    };
    // Codes of OnEvent.
    enum EEvent : int32_t
    {
        kEventChannelClosed = 0,   // by the hub or the server side
        kEventReconnected = 1,     // the server connection is back
        kEventHubLost = 2,         // the connection to the hub went
        kEventResponseTimeout = 3, // value: the identified message's tag
    };
    static constexpr uint8_t kNoChannel = 255;
    static constexpr uint32_t kNoMessageId = 0xFFFFFFFF;
    // Added to the flags of a message sent with a message id: the hub waits
    // for its answer and reports OnResponseTimeout when none comes.
    static constexpr uint8_t kFlagIdentified = 0x10;

    // Opens the channel to the server. Throws CChannelException: 3005, 3006,
    // 3007 (hub connection), 3004 (the hub refused or did not answer), 3002
    // (reconnection parameters not sent; the channel is released first).
    CChannelBase(const CHostRecord& server, const CChannelConfig& config);
    // 'U' when bound, then 'D' (when the hub connection is up).
    ~CChannelBase() override;
    CChannelBase(const CChannelBase&) = delete;
    CChannelBase& operator=(const CChannelBase&) = delete;

    // CLPCNotify: the hub's notices become OnEvent codes.
    void OnLPCLost(uint32_t dwReason) override;
    void OnChannelClosed() override;
    void OnReconnected() override;
    void OnResponseTimeout(uint32_t dwTag) override;
    void vOnClientGone() override;

    // Stores the DstId written into every 'S'; true.
    virtual bool boSetDstId(uint32_t dwDstId);
    virtual void OnEvent(int32_t iCode, uint32_t dwValue) = 0;
    // Only the DstId can change: throws 3003 when the configuration sets
    // reconnection parameters, 3001 when the DstId cannot be set.
    virtual void vChangeConfiguration(const CChannelConfig& config);

    // False unless open. A message id other than -1 makes an identified
    // message (flag 0x10). Socket-layer errors 3102-3104 pass through.
    bool boSend(const void* lpData, uint32_t dwLength, uint32_t dwMessageId, uint32_t dwTimeBeforeSend,
                uint16_t wRepetitions, uint32_t dwTimeBetween, uint8_t bFlags, bool boUdp);
    // Closed, no channel, no client, unbound.
    void vReset();

    CLPCManagedClient* lpGetClient() const { return m_lpClient; }
    uint8_t bGetChannelId() const { return m_bChannel; }
    uint32_t dwGetState() const { return m_dwState; }
    bool boIsOpen() const { return m_dwState == kOpen; }
    uint32_t dwGetDstId() const { return m_dwDstId; }

protected:
    CLPCManagedClient* m_lpClient = nullptr;
    uint8_t m_bChannel = kNoChannel;
    uint32_t m_dwState = kClosed;
    uint32_t m_dwDstId = CChannelConfig::kNoDstId;
    bool m_boBound = false; // nothing in the library sets it
    bool m_boOwnWindowOnly = false;
};

} // namespace OBSdkClient
