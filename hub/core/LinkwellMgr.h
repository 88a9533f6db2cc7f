// The hub's manager: owns the LPC server, creates and releases the server
// links, hands out channels, routes every message between client programs
// and servers, handles the servers' service messages, and asks the program
// (IHubHost) for page jobs.
//
// Lock order, for every thread of the hub core:
//   1. the hub lock (this manager's; guards the tables and every link's state)
//   2. a link's message lock (CNetCnx; guards its pending messages)
//   3. the link's list lock (inside CListTTL2)
//   4. a socket's lock (CNetCnxClient, CLPCServerClt), and the LPC's client
//      list, task list and this manager's registered count: leaves
// Nothing waits for another thread while holding a lock of the core, but for
// boCreateHiddenWindow, which is only used with no lock held.
#pragma once

#include <winsock2.h>

#include <cstdint>
#include <memory>
#include <string>

#include "ChannelTable.h"
#include "CriticalSection.h"
#include "DisconnectCause.h"
#include "DstIdTable.h"
#include "HubSettings.h"
#include "ILpcOwner.h"
#include "INetCnxOwner.h"
#include "IHubHost.h"
#include "LinkTable.h"
#include "LpcClientMessages.h"
#include "NetCnx.h"
#include "PageJob.h"

class CLPC;
class CLPCServerClt;

class CLinkwellMgr : public INetCnxOwner, public ILpcOwner
{
public:
    static constexpr size_t kPseudoMax = 128;
    static constexpr const char* kDefaultPseudo = "(null pseudo) ";
    static constexpr uint32_t kDefaultLpcdId = HubProto::dwIdFromText("LPCD");

    explicit CLinkwellMgr(IHubHost& host);
    ~CLinkwellMgr() override;
    CLinkwellMgr(const CLinkwellMgr&) = delete;
    CLinkwellMgr& operator=(const CLinkwellMgr&) = delete;

    // Takes the settings, starts the LPC server; true when the login
    // component's CLSID parses. Throws CLpcExists when the process has an
    // LPC server already.
    bool boInit(const HubRouting::SHubSettings& settings);
    // Releases every link (cause 3), shuts the LPC server down and deletes it.
    void vClose();

    // Page parameters.
    void vSetHubId(uint32_t dwHubId);
    void vSetLpcdId(uint32_t dwLpcdId);
    void vSetPseudo(const std::string& pseudo);
    void vSetStartupMessage(const std::string& text, uint32_t dwDstId); // MSGC, MSGD
    void vSetKeepAliveUdp(uint32_t dwMs);                               // DKAU
    void vSetKeepAliveTcp(uint32_t dwMs);                               // DKAT
    void vSetProxyPort(uint16_t wPort);                                 // PXPT when the registry set none

    // A client program (null: the page) asks for a channel to a server.
    void vConnectToCnx(uint32_t dwAddress, uint16_t wPort, uint32_t dwTimeoutMs,
                       CLPCServerClt* lpClient) override;
    void vDisconnectChannel(uint8_t bChannel, int iCause) override;
    // 'S', 'F' or 'Q'.
    void vSendOnCnx(const HubProto::LpcClientMessage& request) override;
    void vAddDstId(uint32_t dwDstId, uint8_t bChannel, CLPCServerClt* lpClient) override;
    void vBind(uint8_t bChannel, uint32_t dwDstId) override;
    void vUnbind(uint8_t bChannel) override;
    void vSetReconnParams(uint32_t dwAddress, uint16_t wPort, uint16_t wAttempts, uint32_t dwBetweenMs,
                          uint32_t dwTimeoutMs) override;
    // A client program is gone: per channel it owned, or (it owned none) once.
    void vNotifyLPCConnectionClosed(uint8_t bChannel) override;
    void vNotifyLPCConnectionClosed(CLPCServerClt* lpClient) override;
    // A page job waits for the link's registration (states 0-3), or is
    // posted now (4); false in states 5 and 6 and without a link.
    bool boAddOBPPJob(const HubRouting::SPageJob& job, uint32_t dwAddress, uint16_t wPort);
    void vPostErrorJob(int32_t lErrorNumber);
    // "FONX": the link to that server, if any, goes with cause 3.
    void vReleaseNetCnxTo(uint32_t dwAddress, uint16_t wPort, int iCause);
    // The page's own send on the link of that server; false without a link.
    bool boSendOnLink(uint32_t dwAddress, uint16_t wPort, const SAppSend& send);
    void vReleaseNetCnx(CNetCnx* lpLink, int iCause);
    void vReleaseAllNetCnxes(int iCause) override;
    // Task 4: links with no channel, no waiting client and no page job go.
    void vRemoveUselessNetCnxes() override;
    // Pumps the calling thread's messages for that long.
    static void vActiveWait(uint32_t dwMs);

    // INetCnxOwner and ILpcOwner
    FdSystem::CCriticalSection& HubLock() override { return m_lock; }
    CLPC& Lpc() override { return *m_lpLpc; }
    void vCallbackNetEvent(CNetCnx& link, uint32_t dwCode) override;
    void vOnServerMessage(CNetCnx& link, const uint8_t* lpMessage, uint32_t ulSize) override;
    void vNotifyTimeoutOnAckableMessage(CNetCnx& link, uint8_t bChannel, uint32_t dwTag) override;
    void vNotifyTimeoutOnIdentifiedResponse(CNetCnx& link, uint8_t bChannel, uint32_t dwTag) override;
    void vOnRegisteredChange(bool boEntered) override;

    // What the program and the tests look at.
    CLPC* lpGetLpc() const { return m_lpLpc.get(); }
    uint16_t wGetLpcPort() const;
    bool boIsLpcListening() const;
    uint32_t dwGetHubId();
    int iGetLinkState(uint32_t dwAddress, uint16_t wPort);
    // The link to that server (null when none); valid until it is released.
    CNetCnx* lpGetLink(uint32_t dwAddress, uint16_t wPort);
    size_t ulGetPendingMessages(uint32_t dwAddress, uint16_t wPort);
    size_t ulGetLinkCount();
    uint32_t ulGetChannelsInUse();

private:
    using LinkTable = HubRouting::CLinkTable<CNetCnx, CLPCServerClt>;
    using LinkInfo = LinkTable::Info;

    CNetCnx* lpMakeLink();
    CNetCnx::SConfig LinkConfig() const;
    void vDisconnectChannel(uint8_t bChannel, int iCause, LinkInfo* lpInfo);
    void vOpenChannel(LinkInfo& info, CLPCServerClt* lpClient, const char* lpszFailureText);
    void vOnConnected(CNetCnx& link);
    void vOnConnectFailed(CNetCnx& link);
    void vOnReconnectFailed(CNetCnx& link);
    void vOnConnectTimeout(CNetCnx& link);
    void vRegisterConnection(CNetCnx& link, const uint8_t* lpMessage, uint32_t ulSize);
    void vDispatchMessage(CNetCnx& link, const uint8_t* lpMessage, uint32_t ulSize);
    void vOnServiceMessage(CNetCnx& link, const uint8_t* lpData, uint32_t ulSize);
    void vDeliverToDstId(uint32_t dwDstId, uint32_t dwTag, const uint8_t* lpMessage, uint32_t ulSize,
                         const HubProto::ByteSpan& data);
    void vPostErrorJobFor(CNetCnx& link, int32_t lErrorNumber);
    bool boIsChannelOf(uint8_t bChannel, const CNetCnx& link) const;
    void vSendInit(CNetCnx& link);

    IHubHost& m_host;
    FdSystem::CCriticalSection m_lock;
    HubRouting::SHubSettings m_settings;
    // Made by boInit before its thread starts, shut down by vClose before it
    // goes: the links and the LPC thread reach it through Lpc() until then.
    std::unique_ptr<CLPC> m_lpLpc;
    HubRouting::CChannelTable<CNetCnx, CLPCServerClt> m_channels;
    HubRouting::CDstIdTable<CLPCServerClt> m_dstIds;
    LinkTable m_links;

    uint32_t m_dwHubId = HubProto::kDefaultHubId;
    uint32_t m_dwPageLpcdId = kDefaultLpcdId;
    uint32_t m_dwLpcdId = kDefaultLpcdId;
    bool m_boLpcdCaptured = false;
    std::string m_pseudo = kDefaultPseudo;
    std::string m_startupMessage;
    uint32_t m_dwStartupDstId = 0;
    uint32_t m_dwKeepAliveUdpMs;
    uint32_t m_dwKeepAliveTcpMs;
    uint16_t m_wProxyPort = 0;

    FdSystem::CCriticalSection m_registeredLock;
    int m_iRegisteredLinks = 0;
};
