// One client program of the hub: a TCP connection to the LPC port, or a UDP
// sender. Cuts what arrives into LPC requests for the LPC thread, and sends
// the hub's messages to the program. Its sends may come from any thread (the
// manager sends under its own lock); socket events arrive on the LPC thread.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <cstdint>
#include <set>
#include <vector>

#include "CriticalSection.h"
#include "LpcHubMessages.h"
#include "NetClient.h"
#include "StreamCutter.h"

class CLPC;

class CLPCServerClt : public FdNet::CNetClient
{
public:
    CLPCServerClt(CLPC& lpc, uint32_t dwPortType);
    ~CLPCServerClt() override;

    HINSTANCE hGetModuleInstance() override;
    bool boOnReceive(const uint8_t* lpData, uint32_t dwLength) override;
    bool boFlushSend() override;
    bool boReleaseSends() override;

    // Senders of the hub's messages; each throws the socket layer's
    // exceptions (FdNet::CNetAsyncException), the manager catches them.
    // 'a': also records the channel as this program's.
    void vNotifyConnectionSucceeded(uint8_t bChannel, uint32_t dwAddress, uint16_t wPort,
                                    const HubProto::LpcSizeLimits& limits);
    void vNotifyConnectionFailed(uint32_t dwAddress, uint16_t wPort); // 'b'
    void vNotifyDstIdRefused(uint32_t dwDstId);                       // 'c'
    void vNotifyMessage(uint8_t bChannel, uint32_t dwMessageId, const uint8_t* lpData,
                        uint32_t ulSize); // 'd'
    void vNotifyMessageDstId(uint8_t bChannel, uint32_t dwDstId, uint32_t dwMessageId, const uint8_t* lpData,
                             uint32_t ulSize);                          // 'j'
    void vNotifyChannel(uint8_t bLetter, uint8_t bChannel);             // f g h i n o p
    void vNotifyTag(uint8_t bLetter, uint8_t bChannel, uint32_t dwTag); // k l m

    void vRemoveChannelRef(uint8_t bChannel);
    // The program is gone: its channels, taken out; no more sends.
    std::vector<uint8_t> TakeChannels();
    bool boIsUdp() const { return m_dwKind == FdNet::kPortTypeUdp; }
    // Tick count of the last request received.
    uint32_t dwGetLastActivity() const { return m_dwLastActivity.load(); }

private:
    void vSend(const std::vector<uint8_t>& head, const uint8_t* lpData = nullptr, uint32_t ulSize = 0);
    void vProtocolError(const char* lpszWhat, uint32_t ulLength);

    CLPC& m_lpc;
    const uint32_t m_dwKind;
    FdSystem::CCriticalSection m_lock; // the socket's sends, the channel list, the gone flag
    std::set<uint8_t> m_channels;
    bool m_boGone = false;
    HubProto::CStreamCutter m_cutter; // LPC thread only
    std::atomic<uint32_t> m_dwLastActivity;
};
