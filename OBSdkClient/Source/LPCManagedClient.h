// One connection to a hub shared by up to 255 channels: opening a channel
// ('C', answered by 'a' or 'b'), the other client requests, and the reader
// that hands the hub's messages to the channels.
#pragma once

#include <cstdint>

#include "ChannelSlots.h"
#include "CriticalSection.h"
#include "LPCClient.h"
#include "LpcHubMessages.h"

namespace OBSdkClient
{

struct SHubAction;

class CLPCManagedClient : public CLPCClient
{
public:
    static constexpr uint32_t kHubConnectWaitMs = 10000;
    static constexpr uint32_t kServerConnectTimeoutMs = 10000; // carried in 'C'
    static constexpr uint32_t kOpenWaitMs = 20000;

    // Connects to the hub (3005, 3006, 3007 on failure).
    explicit CLPCManagedClient(const CHostRecord& hub);
    ~CLPCManagedClient() override;

    // The managed client of the hub, made (and connected) on first use.
    // Nothing is kept when making it throws.
    static CLPCManagedClient* lpGetClient(const CHostRecord& hub);

    // Asks the hub for a channel to the server and waits for the answer,
    // pumping messages (only this connection's when boOwnWindowOnly). On
    // success the channel holds its slot and *lpbChannel its id. False when
    // the hub connection is not up, the hub refuses ('b') or does not answer
    // within kOpenWaitMs.
    bool boOpenChannel(const CHostRecord& server, CLPCNotify* lpChannel, uint8_t* lpbChannel,
                       bool boOwnWindowOnly);
    // Frees the slot, then sends 'D' when the connection is up.
    void vDisconnectChannel(uint8_t bChannel);
    bool boUnbind(uint8_t bChannel);
    bool boAddDstId(uint8_t bChannel, uint32_t dwDstId);
    // The server's address is resolved now.
    bool boSetReconnParams(const CHostRecord& server, uint16_t wAttempts, uint32_t dwTimeBetweenMs,
                           uint32_t dwTimeoutMs);
    // 'S' then the data. Socket-layer errors 3102-3104 pass through.
    bool boSendOnChannel(uint8_t bChannel, const void* lpData, uint32_t dwLength, uint32_t dwDstId,
                         uint32_t dwTimeBeforeSend, uint16_t wRepetitions, uint32_t dwTimeBetween,
                         uint8_t bFlags, bool boUdp, uint32_t dwMessageId);

    void vOnHubMessage(const uint8_t* lpMessage, uint32_t ulSize) override;
    // The hub connection went: every channel gets OnLPCLost once, its slot freed.
    void vOnLPCLost(uint32_t dwReason);
    // The last Term: every channel forgets this client, without notice.
    void vDetachChannels();

    CLPCNotify* lpGetChannel(uint8_t bChannel);
    CChannelSlots::SSlot GetSlot(uint8_t bChannel);
    uint32_t ulGetChannelCount();
    // The limits of the last 'a' that carried them (kept, not used here).
    HubProto::LpcSizeLimits GetSizeLimits() const { return m_limits; }

private:
    // Requests need the connection up; a failing send is false, socket-layer
    // exceptions pass through.
    bool boSendRequest(const std::vector<uint8_t>& message);
    void vOnOpenAnswer(bool boSucceeded, uint32_t dwServerIp, uint16_t wServerPort, uint8_t bChannel);
    void vDispatchToChannel(const SHubAction& action);

    FdSystem::CCriticalSection m_slotsLock;    // writers, opens, the lost fan-out
    FdSystem::CCriticalSection m_dispatchLock; // the reader's slot look-up
    CChannelSlots m_slots;
    FdSystem::CCriticalSection m_slotLocks[CChannelSlots::kSlotCount]; // held while a channel's virtual runs
    HubProto::LpcSizeLimits m_limits;
};

} // namespace OBSdkClient
