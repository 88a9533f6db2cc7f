// The hub's link to one server (IPv4 address and port): a TCP and a UDP
// socket to it, connecting, registering and reconnecting, and the list of
// messages that wait to be sent, repeated or answered.
//
// Threads: socket events and timers arrive on the LPC thread (the sockets'
// windows live there) and run under the hub lock; pending messages expire on
// the list's own thread ("NetCnxListTLL"), which sends under the message
// lock and reports expiries once that lock is released; sends come from any
// thread. The link's own thread ("NetCnx Thread") only waits for its stop.
// The object is deleted on the LPC thread, through its "Kill NetCnx" task.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <vector>

#include "AppMessage.h"
#include "CriticalSection.h"
#include "NetCnxClient.h"
#include "PageJob.h"
#include "ReconnectPolicy.h"
#include "ServerHeader.h"
#include "SpawnThread.h"

class INetCnxOwner;

// What boSendAppMessage sends.
struct SAppSend
{
    const uint8_t* lpData = nullptr;
    uint32_t dwLength = 0;
    uint32_t dwSrcId = 0;
    uint32_t dwDstId = 0;
    uint16_t wFlags = 0;
    uint32_t dwPortType = 0;       // 1 TCP, 2 UDP
    uint32_t dwTimeBeforeSend = 0; // ms before the first send
    uint32_t dwRepetitions = 0;    // sends; HubRouting::kEndlessSends for ever
    uint32_t dwTimeBetween = 0;    // ms
    uint32_t dwTag = HubRouting::kNoTag;
    bool boAppendIoMemberId = false;
    uint8_t bChannel = 255; // the channel told of an expiry (the SrcId for channel traffic)
};

class CNetCnx : public FdSystem::CSpawnThread
{
public:
    enum EState : int
    {
        NETCNX_NOT_CONNECTED = 0,
        NETCNX_CONNECTING = 1,
        NETCNX_CONNECTED = 2,
        NETCNX_REGISTERING = 3,
        NETCNX_REGISTERED = 4,
        NETCNX_RECONNECTING = 5,
        NETCNX_RELEASING = 6,
    };
    enum ETimerRole : int
    {
        kTimerNone = 0,
        kTimerReconnecting = 1, // an attempt runs, limited by the timeout
        kTimerBetween = 2,      // waiting between attempts
    };
    static constexpr uint32_t kMaxDelayMs = 3600000;
    static constexpr DWORD kThreadWaitMs = 5000;
    static constexpr const char* kProxyHost = "localhost";

    class CNetCnxListTTL;

    struct SConfig
    {
        uint32_t dwTickMs = 50;
        uint32_t dwIdentifiedWaitMs = 6000; // answer to a message sent at once with a tag
        uint16_t wReconnAttempts = 4;
        uint32_t dwReconnBetweenMs = 2500;
        uint32_t dwReconnTimeoutMs = 5000;
        uint16_t wProxyPort = 0; // 0: straight to the server
    };

    // Creates both sockets (windows are made on the LPC thread by
    // boPrepareWindows) and starts the message list.
    CNetCnx(INetCnxOwner& owner, const SConfig& config);
    ~CNetCnx() override;

    // Makes the sockets' windows on the LPC thread (waits when called from
    // another thread). False when the LPC thread did not make them.
    bool boPrepareWindows();
    // From NETCNX_NOT_CONNECTED only: connecting, both sockets connect, the
    // connect timer runs. False when the connects could not be issued.
    bool boConnectToServer(uint32_t dwAddress, uint16_t wPort, uint32_t dwTimeoutMs);
    bool boClientsConnect();
    bool boSendAppMessage(const SAppSend& send);
    // A short datagram ('F', 'Q') as is over UDP.
    bool boSendDatagram(const std::vector<uint8_t>& datagram);
    void SetReconnParams(uint16_t wAttempts, uint32_t dwBetweenMs, uint32_t dwTimeoutMs);
    bool boTryReconnect();
    // The tag of the pending message that the answer with this SeqNum ends
    // (HubRouting::kNoTag when none); the message leaves the list.
    uint32_t iPopIdentifiedMessageId(uint32_t dwSeqNum);
    void vDisConnectFromServer();
    void vClose();
    void VSetConnectionState(int iState);

    // The keep-alives: started once in the link's life.
    void vStartKeepAlives(uint32_t dwHubId, uint32_t dwUdpMs, uint32_t dwTcpMs);
    bool boArmConnectTimer(uint32_t dwMs);
    void vKillConnectTimer();

    int iGetState() const { return m_iState.load(); }
    uint32_t dwGetAddress() const { return m_dwAddress; }
    uint16_t wGetPort() const { return m_wPort; }
    uint32_t ulGetUdpMaxMsgSize() const { return m_ulUdpMaxMsgSize; }
    void vSetIoMemberId(const HubProto::IoMemberId& id);
    HubProto::IoMemberId GetIoMemberId();
    // Set since the last reconnection completed, until the next registration.
    bool boIsReregistering() const { return m_boReregistering; }
    void vClearReregistering() { m_boReregistering = false; }
    bool boPageJobWaiting() const { return m_boPageJobWaiting; }
    void vSetPageJobWaiting() { m_boPageJobWaiting = true; }
    void vSetPendingJob(const HubRouting::SPageJob& job);
    bool boTakePendingJob(HubRouting::SPageJob& job);
    size_t ulGetPendingMessages();
    const HubRouting::CReconnectPolicy& GetReconnectPolicy() const { return m_reconnect; }
    CNetCnxClient& GetTcpClient() { return *m_tcp; }

    // From the sockets (on the thread of their windows, or right after a connect).
    void vOnClientEvent(CNetCnxClient& client, uint32_t dwCode, UINT_PTR ulTimerId);
    void vOnClientMessage(CNetCnxClient& client, const uint8_t* lpMessage, uint32_t ulSize);

protected:
    DWORD dwThread() override;

private:
    friend class CNetCnxListTTL;
    struct SExpiry
    {
        bool boAckable;
        uint8_t bChannel;
        uint32_t dwTag;
    };

    void vInternalCallbackNetEvent(CNetCnxClient& client, uint32_t dwCode, UINT_PTR ulTimerId);
    void vOnConnected(CNetCnxClient& client);
    void vOnConnectionComplete(bool boViaProxy);
    void vOnTimer(UINT_PTR ulTimerId);
    void vDisconnectClients();
    void vKillReconnTimer();
    CNetCnxClient* lpClientFor(uint32_t dwPortType);
    // Under the message lock.
    bool boSendStored(CAppMessage& message);
    // The header then the data, as one unit, on that socket.
    bool boSendWhole(CNetCnxClient& client, const uint8_t* lpHeader, const uint8_t* lpData,
                     uint32_t dwLength);
    void vInsert(std::unique_ptr<CAppMessage> message, uint32_t dwDelayMs);
    void vDeleteMessage(CAppMessage* lpMessage);
    // From the list's thread.
    void vTickMessages();
    void vManageAppMessage(FdMisc::CTTLItem* lpItem);
    static void vExpiredThunk(FdMisc::CTTLItem* lpItem, uintptr_t ulContext);

    INetCnxOwner& m_owner;
    const SConfig m_config;
    std::unique_ptr<CNetCnxClient> m_udp;
    std::unique_ptr<CNetCnxClient> m_tcp;
    std::unique_ptr<CNetCnxListTTL> m_list;

    // Under the hub lock.
    uint32_t m_dwAddress = 0;
    uint16_t m_wPort = 0;
    std::atomic<int> m_iState{NETCNX_NOT_CONNECTED};
    UINT_PTR m_ulConnectTimer = 0;
    int m_iTimerRole = kTimerNone;
    UINT_PTR m_ulReconnTimer = 0;
    HubRouting::CReconnectPolicy m_reconnect;
    bool m_boTcpConnected = false;
    bool m_boUdpConnected = false;
    uint32_t m_ulUdpMaxMsgSize = 0;
    bool m_boPageJobWaiting = false;
    bool m_boHasPendingJob = false;
    HubRouting::SPageJob m_pendingJob;
    bool m_boProxyMode = false;
    bool m_boProxyTcpAnswered = false; // per link: two links through the proxy never complete each other
    bool m_boProxyUdpAnswered = false;
    bool m_boInClientsConnect = false;
    bool m_boImmediateFailure = false;
    bool m_boReregistering = false;
    bool m_boKeepAlivesStarted = false;
    bool m_boClosed = false;

    // Under the message lock.
    FdSystem::CCriticalSection m_messageLock;
    std::list<std::unique_ptr<CAppMessage>> m_messages;
    HubProto::IoMemberId m_ioMemberId{};
    uint32_t m_dwSeqNum = 0;
    uint16_t m_wPendingCount = 0;
    std::vector<SExpiry> m_expired;
};
