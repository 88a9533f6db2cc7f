// One socket of a server link (TCP or UDP): cuts what arrives into whole
// server messages for the link, and serialises everything that touches the
// socket. Sends may come from any thread; events and received messages are
// handed to the link only once the socket lock is released, so the link may
// take its own locks. An event raised inside a send (a reset found by send)
// reaches the link later, on the thread of the socket's window.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <cstdint>
#include <vector>

#include "CriticalSection.h"
#include "NetClient.h"
#include "StreamCutter.h"

class CNetCnx;

class CNetCnxClient : public FdNet::CNetClient
{
public:
    static constexpr uint32_t kReceivedFifoGrowth = 2048;
    static constexpr uint32_t kReceivedFifoMax = 655360;
    // Timer id under which a deferred event comes back; socket timers count up from 1.
    static constexpr UINT_PTR kDeferredEventId = ~UINT_PTR(0) - 1;

    CNetCnxClient(CNetCnx& owner, uint32_t dwPortType);
    ~CNetCnxClient() override;

    HINSTANCE hGetModuleInstance() override;
    bool boOnSocketEvent(LPARAM lParam, SOCKET s) override;
    bool boOnSocketError(uint32_t dwEvent, int iError) override;
    bool boOnReceive(const uint8_t* lpData, uint32_t dwLength) override;
    bool boFlushSend() override;
    bool boReleaseSends() override;

    // Connects to the address (network order), or to a host name; false when
    // the connect failed at once.
    bool boConnectTo(uint32_t dwAddress, uint16_t wPort);
    bool boConnectTo(const char* lpszHost, uint16_t wPort);
    // The header then the data as one send (one datagram over UDP). False when
    // nothing could be sent or queued (the reason is logged).
    bool boSendMessage(const uint8_t* lpHead, uint32_t dwHeadLen, const uint8_t* lpData, uint32_t dwDataLen);
    // Closes the socket (its window stays) and forgets a partial message.
    void vDisconnectLink();
    // Closes the socket and its window.
    void vCloseLink();

    uint32_t dwGetKind() const { return m_dwKind; }
    bool boIsUdp() const { return m_dwKind == FdNet::kPortTypeUdp; }
    bool boHasSocket() const { return GetSocket() != INVALID_SOCKET; }

private:
    // An event, or a whole message (code NETCNXCLIENT_NOTIF_MESSAGE), held
    // until the socket lock is released.
    struct SHeld
    {
        uint32_t dwCode;
        UINT_PTR ulTimerId;
        std::vector<uint8_t> message;
    };
    // Takes the socket lock for the duration and collects what is raised.
    class CHoldScope
    {
    public:
        CHoldScope(CNetCnxClient& client, std::vector<SHeld>* lpCollect);
        ~CHoldScope();
        CHoldScope(const CHoldScope&) = delete;
        CHoldScope& operator=(const CHoldScope&) = delete;

    private:
        CNetCnxClient& m_client;
        FdSystem::CAutoLock m_lock;
        DWORD m_dwPreviousHolder;
        std::vector<SHeld>* m_lpPreviousCollect;
    };

    static void vEventThunk(uint32_t dwCode, const FdNet::NETASYNC_NOTIFY_INFO* lpInfo);
    void vDeliver(std::vector<SHeld>& held);
    void vTakeMessage(const uint8_t* lpMessage, uint32_t ulSize);
    void vCutStream(const uint8_t* lpData, uint32_t dwLength);
    void vCutDatagram(const uint8_t* lpData, uint32_t dwLength);

    CNetCnx& m_owner;
    const uint32_t m_dwKind;
    FdSystem::CCriticalSection m_socketLock;
    std::atomic<DWORD> m_dwHolder{0};          // thread holding the socket lock in a scope
    std::vector<SHeld>* m_lpCollect = nullptr; // where that scope collects; null inside a send
    std::atomic<uint32_t> m_dwDeferredCode{0};
    HubProto::CStreamCutter m_cutter;
};
