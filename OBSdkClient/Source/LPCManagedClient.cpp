#include "LPCManagedClient.h"

#include "HubMessageReader.h"
#include "LibraryState.h"
#include "LpcClientMessages.h"
#include "MessageWait.h"

namespace OBSdkClient
{

namespace
{

class COpenWait : public IPumpedWaitHost
{
public:
    COpenWait(CLPCClient& client, SOpenWait& record, bool boOwnWindowOnly)
        : m_client(client), m_record(record), m_boOwnWindowOnly(boOwnWindowOnly)
    {
    }
    void vPump() override { m_client.vPumpMessages(m_boOwnWindowOnly); }
    bool boDone() override
    {
        FdSystem::CAutoLock lock(&Library::OpenWaits().Lock());
        return m_record.state.boAnswered();
    }
    EWake Wait(uint32_t dwMs) override { return WaitForEventOrInput(m_record.event.get(), dwMs); }
    uint32_t dwTickCount() override { return MessageWait().dwTickCount(); }

private:
    CLPCClient& m_client;
    SOpenWait& m_record;
    bool m_boOwnWindowOnly;
};

// Ends the open's wait on every way out, the exceptional ones included.
class CWaitingOpen
{
public:
    explicit CWaitingOpen(SOpenWait& record) : m_record(record) {}
    ~CWaitingOpen()
    {
        FdSystem::CAutoLock lock(&Library::OpenWaits().Lock());
        m_record.state.vFinish();
    }
    CWaitingOpen(const CWaitingOpen&) = delete;
    CWaitingOpen& operator=(const CWaitingOpen&) = delete;

private:
    SOpenWait& m_record;
};

} // namespace

CLPCManagedClient::CLPCManagedClient(const CHostRecord& hub) : CLPCClient(hub)
{
    vConnect(kHubConnectWaitMs);
}

CLPCManagedClient::~CLPCManagedClient()
{
    vClose();
}

CLPCManagedClient* CLPCManagedClient::lpGetClient(const CHostRecord& hub)
{
    FdSystem::CAutoLock lock(&Library::ClientMapLock());
    CHostRecord key = hub;
    key.dwAddr = FdNet::CNetClient::ulGetAddr(key.szHost);
    auto found = Library::Clients().find(key);
    if (found != Library::Clients().end())
        return found->second;
    CLPCManagedClient* lpClient = new CLPCManagedClient(key);
    Library::Clients()[key] = lpClient;
    return lpClient;
}

bool CLPCManagedClient::boSendRequest(const std::vector<uint8_t>& message)
{
    if (!boIsUp() || message.empty())
        return false;
    return boSend(message.data(), uint32_t(message.size()));
}

bool CLPCManagedClient::boOpenChannel(const CHostRecord& server, CLPCNotify* lpChannel, uint8_t* lpbChannel,
                                      bool boOwnWindowOnly)
{
    FdSystem::CAutoLock slots(&m_slotsLock);
    if (!boIsUp() || lpChannel == nullptr || lpbChannel == nullptr)
        return false;

    CHostRecord target = server;
    SOpenWait* lpRecord = nullptr;
    {
        FdSystem::CAutoLock waits(&Library::OpenWaits().Lock());
        target.dwAddr = FdNet::CNetClient::ulGetAddr(target.szHost);
        lpRecord = Library::OpenWaits().lpFindOrCreate(target);
        if (lpRecord == nullptr)
            return false;
        // A signal left from an earlier answer must not end this wait.
        if (!lpRecord->state.boIsWaiting())
            ResetEvent(lpRecord->event.get());
        lpRecord->state.vStart();
    }
    CWaitingOpen waiting(*lpRecord);
    FdSystem::CAutoLock recordLock(&lpRecord->lock);

    if (!boSendRequest(HubProto::EncodeLpcConnect(kServerConnectTimeoutMs, target.dwAddr, target.wPort)))
        return false;

    COpenWait wait(*this, *lpRecord, boOwnWindowOnly);
    boPumpedWait(wait, kOpenWaitMs);

    bool succeeded = false;
    uint8_t channel = CChannelSlots::kNoChannel;
    {
        FdSystem::CAutoLock waits(&Library::OpenWaits().Lock());
        succeeded = lpRecord->state.boAnswered() && lpRecord->state.boSucceeded();
        channel = lpRecord->state.bGetChannel();
    }
    // A hub lost meanwhile has told its channels already: this one would
    // never learn of it. An id that another channel holds is not taken
    // from it.
    if (!succeeded || !boIsUp() || m_slots.lpGet(channel) != nullptr || !m_slots.boTake(channel, lpChannel))
        return false;
    *lpbChannel = channel;
    return true;
}

void CLPCManagedClient::vDisconnectChannel(uint8_t bChannel)
{
    FdSystem::CAutoLock slots(&m_slotsLock);
    if (m_slots.lpRelease(bChannel) == nullptr)
        return;
    boSendRequest(HubProto::EncodeLpcDisconnect(bChannel));
}

bool CLPCManagedClient::boUnbind(uint8_t bChannel)
{
    FdSystem::CAutoLock slots(&m_slotsLock);
    return m_slots.lpGet(bChannel) != nullptr && boSendRequest(HubProto::EncodeLpcUnbind(bChannel));
}

bool CLPCManagedClient::boAddDstId(uint8_t bChannel, uint32_t dwDstId)
{
    FdSystem::CAutoLock slots(&m_slotsLock);
    return m_slots.lpGet(bChannel) != nullptr &&
           boSendRequest(HubProto::EncodeLpcAddDstId(bChannel, dwDstId));
}

bool CLPCManagedClient::boSetReconnParams(const CHostRecord& server, uint16_t wAttempts,
                                          uint32_t dwTimeBetweenMs, uint32_t dwTimeoutMs)
{
    FdSystem::CAutoLock slots(&m_slotsLock);
    if (!boIsUp())
        return false;
    const uint32_t address = FdNet::CNetClient::ulGetAddr(server.szHost);
    return boSendRequest(
        HubProto::EncodeLpcSetReconnParams(address, server.wPort, wAttempts, dwTimeBetweenMs, dwTimeoutMs));
}

bool CLPCManagedClient::boSendOnChannel(uint8_t bChannel, const void* lpData, uint32_t dwLength,
                                        uint32_t dwDstId, uint32_t dwTimeBeforeSend, uint16_t wRepetitions,
                                        uint32_t dwTimeBetween, uint8_t bFlags, bool boUdp,
                                        uint32_t dwMessageId)
{
    FdSystem::CAutoLock slots(&m_slotsLock);
    if (!boIsUp() || m_slots.lpGet(bChannel) == nullptr || (lpData == nullptr && dwLength != 0))
        return false;
    HubProto::LpcSendParams params;
    params.dwDstId = dwDstId;
    params.bFlags = bFlags;
    params.bPortType = boUdp ? HubProto::kLpcPortUdp : HubProto::kLpcPortTcp;
    params.wRepetitions = wRepetitions;
    params.dwTimeBeforeSend = dwTimeBeforeSend;
    params.dwTimeBetween = dwTimeBetween;
    params.bChannel = bChannel;
    params.dwMessageId = dwMessageId;
    const std::vector<uint8_t> head = HubProto::EncodeLpcSendMessageHead(params, dwLength);
    if (head.empty())
        return false;
    // Header and data leave as one unit, header first.
    return boSend(head.data(), uint32_t(head.size()), lpData, dwLength);
}

void CLPCManagedClient::vOnHubMessage(const uint8_t* lpMessage, uint32_t ulSize)
{
    const SHubAction action = ReadHubMessage(lpMessage, ulSize);
    switch (action.eAction)
    {
    case EHubAction::Ignore:
    case EHubAction::TooShort:
        return;
    case EHubAction::OpenSucceeded:
        if (action.boHasSizeLimits)
            m_limits = action.limits;
        vOnOpenAnswer(true, action.dwServerIp, action.wServerPort, action.bChannel);
        return;
    case EHubAction::OpenFailed:
        vOnOpenAnswer(false, action.dwServerIp, action.wServerPort, action.bChannel);
        return;
    case EHubAction::Bound:
    case EHubAction::BindTimeout:
    case EHubAction::Bing:
    {
        FdSystem::CAutoLock dispatch(&m_dispatchLock);
        m_slots.vSetBindState(action.bChannel, action.eAction == EHubAction::Bound,
                              action.eAction == EHubAction::Bing);
        return;
    }
    default:
        vDispatchToChannel(action);
        return;
    }
}

void CLPCManagedClient::vOnOpenAnswer(bool boSucceeded, uint32_t dwServerIp, uint16_t wServerPort,
                                      uint8_t bChannel)
{
    bool taken = false;
    {
        FdSystem::CAutoLock waits(&Library::OpenWaits().Lock());
        SOpenWait* lpRecord = Library::OpenWaits().lpFind(CHostRecord(nullptr, wServerPort, dwServerIp));
        if (lpRecord != nullptr)
            taken = boSucceeded ? lpRecord->state.boOnSucceeded(bChannel) : lpRecord->state.boOnFailed();
        if (taken)
            SetEvent(lpRecord->event.get());
    }
    if (taken || !boSucceeded)
        return;
    // A channel that no open takes (its open gave up, or nobody asked) is
    // given back, unless the id is one this client holds.
    FdSystem::CAutoLock slots(&m_slotsLock);
    if (m_slots.lpGet(bChannel) == nullptr)
        boSendRequest(HubProto::EncodeLpcDisconnect(bChannel));
}

void CLPCManagedClient::vDispatchToChannel(const SHubAction& action)
{
    const uint8_t id = action.bChannel;
    const bool closing = action.eAction == EHubAction::ChannelClosed;
    m_dispatchLock.vEnter();
    CLPCNotify* lpChannel = m_slots.lpGet(id);
    if (lpChannel == nullptr)
    {
        m_dispatchLock.vLeave();
        return;
    }
    if (closing)
    {
        // Freed before the channel hears of it, so that a channel opened from
        // its handler cannot lose a slot to this clean-up.
        FdSystem::CAutoLock slots(&m_slotsLock);
        m_slots.lpRelease(id);
    }
    FdSystem::CAutoLock slot(&m_slotLocks[id]);
    m_dispatchLock.vLeave();

    switch (action.eAction)
    {
    case EHubAction::Message:
        lpChannel->OnMessage(action.data.lpData, action.data.ulSize, action.dwMessageId);
        break;
    case EHubAction::ChannelClosed:
        lpChannel->OnChannelClosed();
        break;
    case EHubAction::Reconnected:
        lpChannel->OnReconnected();
        break;
    case EHubAction::ResponseTimeout:
        lpChannel->OnResponseTimeout(action.dwTag);
        break;
    default:
        break;
    }
}

void CLPCManagedClient::vOnLPCLost(uint32_t dwReason)
{
    FdSystem::CAutoLock slots(&m_slotsLock);
    m_slots.vReleaseAll(
        [dwReason](CLPCNotify* lpChannel, uint8_t)
        {
            // One channel's failure must not keep the others uninformed.
            try
            {
                lpChannel->OnLPCLost(dwReason);
            }
            catch (...)
            {
            }
        });
}

void CLPCManagedClient::vDetachChannels()
{
    FdSystem::CAutoLock slots(&m_slotsLock);
    m_slots.vReleaseAll([](CLPCNotify* lpChannel, uint8_t) { lpChannel->vOnClientGone(); });
}

CLPCNotify* CLPCManagedClient::lpGetChannel(uint8_t bChannel)
{
    FdSystem::CAutoLock slots(&m_slotsLock);
    return m_slots.lpGet(bChannel);
}

CChannelSlots::SSlot CLPCManagedClient::GetSlot(uint8_t bChannel)
{
    FdSystem::CAutoLock slots(&m_slotsLock);
    return m_slots.GetSlot(bChannel);
}

uint32_t CLPCManagedClient::ulGetChannelCount()
{
    FdSystem::CAutoLock slots(&m_slotsLock);
    return m_slots.ulGetCount();
}

} // namespace OBSdkClient
