// Messages of a server link: sends, the pending list, answers and expiries.
#include <algorithm>
#include <cstring>

#include "HubSettings.h"
#include "HubTrace.h"
#include "INetCnxOwner.h"
#include "NetCnx.h"
#include "NetCnxListTTL.h"

using namespace FdNet;
using namespace HubRouting;

CNetCnxClient* CNetCnx::lpClientFor(uint32_t dwPortType)
{
    if (dwPortType == kPortTypeTcp)
        return m_tcp.get();
    if (dwPortType == kPortTypeUdp)
        return m_udp.get();
    return nullptr;
}

bool CNetCnx::boSendStored(CAppMessage& message)
{
    CNetCnxClient* client = lpClientFor(message.dwPortType);
    if (client == nullptr)
        return false;
    if (!message.boSeqNumAssigned)
    {
        HubProto::vPatchSeqNum(message.header, m_dwSeqNum++);
        message.boSeqNumAssigned = true;
    }
    // The member id of the registration in force, also for messages made before it.
    std::copy(m_ioMemberId.begin(), m_ioMemberId.end(), message.header + HubProto::kSrvOffIoMemberId);
    if (message.boMemberIdAppended && message.data.size() >= HubProto::kIoMemberIdLen)
        std::copy(m_ioMemberId.begin(), m_ioMemberId.end(), message.data.end() - HubProto::kIoMemberIdLen);
    return boSendWhole(*client, message.header, message.data.data(), uint32_t(message.data.size()));
}

bool CNetCnx::boSendWhole(CNetCnxClient& client, const uint8_t* lpHeader, const uint8_t* lpData,
                          uint32_t dwLength)
{
    if (HubTrace::lpLogger() != nullptr)
    {
        const HubProto::SERVER_HEADER h = HubProto::ReadServerHeader(lpHeader);
        HubTrace::vLog("Message SrcId:%.4s DstId:%.4s Len:%d SeqNum:%d",
                       reinterpret_cast<const char*>(&h.SrcId), reinterpret_cast<const char*>(&h.DstId),
                       int(h.dwTotalLen), int(h.SeqNum));
    }
    if (HubTrace::boFlag(kLogServerSent))
    {
        std::vector<uint8_t> whole(lpHeader, lpHeader + HubProto::kServerHeaderLen);
        whole.insert(whole.end(), lpData, lpData + dwLength);
        HubTrace::vDump(kLogServerSent, "Message envoyé au serveur", whole.data(), uint32_t(whole.size()));
    }
    return client.boSendMessage(lpHeader, HubProto::kServerHeaderLen, lpData, dwLength);
}

void CNetCnx::vInsert(std::unique_ptr<CAppMessage> message, uint32_t dwDelayMs)
{
    CAppMessage* raw = message.get();
    m_messages.push_back(std::move(message));
    m_list->vInsert(raw, std::min(dwDelayMs, kMaxDelayMs), 1);
}

void CNetCnx::vDeleteMessage(CAppMessage* lpMessage)
{
    m_list->vRemove(lpMessage);
    if (lpMessage->boAwaitingAnswer || lpMessage->boWaitForAnswer)
        m_wPendingCount = uint16_t(m_wPendingCount - (m_wPendingCount != 0));
    m_messages.remove_if([&](const std::unique_ptr<CAppMessage>& m) { return m.get() == lpMessage; });
}

bool CNetCnx::boSendAppMessage(const SAppSend& send)
{
    if (lpClientFor(send.dwPortType) == nullptr)
    {
        HubTrace::vLog("!ERREUR! CNetCnx::boSendAppMessage -> type de port %u inconnu",
                       unsigned(send.dwPortType));
        return false;
    }
    const uint64_t total = uint64_t(HubProto::kServerHeaderLen) + send.dwLength +
                           (send.boAppendIoMemberId ? HubProto::kIoMemberIdLen : 0);
    if (total > HubProto::kMaxMessageSize || (send.dwLength != 0 && send.lpData == nullptr))
    {
        HubTrace::vLog("!ERREUR! CNetCnx::boSendAppMessage -> message de %u octets refusé",
                       unsigned(send.dwLength));
        return false;
    }
    HubProto::SERVER_HEADER h;
    h.dwTotalLen = uint32_t(total);
    h.wFlags = send.wFlags;
    h.SrcId = send.dwSrcId;
    h.DstId = send.dwDstId;
    if (boSendsAtOnce(send.dwTimeBeforeSend, send.dwRepetitions) &&
        !boAwaitsAnswerOnce(send.dwTag, send.dwSrcId) && !send.boAppendIoMemberId)
    {
        // Sent now and forgotten: straight from the caller's bytes, without
        // a pending message.
        uint8_t header[HubProto::kServerHeaderLen];
        HubProto::vWriteServerHeader(header, h);
        FdSystem::CAutoLock lock(&m_messageLock);
        HubProto::vPatchSeqNum(header, m_dwSeqNum++);
        std::copy(m_ioMemberId.begin(), m_ioMemberId.end(), header + HubProto::kSrvOffIoMemberId);
        return boSendWhole(*lpClientFor(send.dwPortType), header, send.lpData, send.dwLength);
    }
    std::unique_ptr<CAppMessage> message(new CAppMessage);
    HubProto::vWriteServerHeader(message->header, h);
    if (send.dwLength != 0)
        message->data.assign(send.lpData, send.lpData + send.dwLength);
    if (send.boAppendIoMemberId)
        message->data.resize(message->data.size() + HubProto::kIoMemberIdLen);
    message->boMemberIdAppended = send.boAppendIoMemberId;
    message->dwPortType = send.dwPortType;
    message->dwTag = send.dwTag;
    message->bChannel = send.bChannel;
    message->dwTimeBetween = send.dwTimeBetween;
    message->dwRepetitionsLeft = send.dwRepetitions;
    message->boWaitForAnswer = (send.wFlags & HubProto::kFlagAckable) != 0;

    FdSystem::CAutoLock lock(&m_messageLock);
    if (boSendsAtOnce(send.dwTimeBeforeSend, send.dwRepetitions))
    {
        const bool sent = boSendStored(*message);
        if (boAwaitsAnswerOnce(send.dwTag, send.dwSrcId))
        {
            // Kept (without its data) to find the tag of the answer, or to time out.
            message->data.clear();
            message->data.shrink_to_fit();
            message->boAwaitingAnswer = true;
            message->boWaitForAnswer = false;
            ++m_wPendingCount;
            vInsert(std::move(message), m_config.dwIdentifiedWaitMs);
        }
        return sent;
    }
    if (message->boWaitForAnswer)
        ++m_wPendingCount;
    vInsert(std::move(message), send.dwTimeBeforeSend);
    return true;
}

bool CNetCnx::boSendDatagram(const std::vector<uint8_t>& datagram)
{
    if (datagram.empty())
        return false;
    HubTrace::vDump(kLogServerSent, "Message court envoyé au serveur", datagram.data(),
                    uint32_t(datagram.size()));
    return m_udp->boSendMessage(datagram.data(), uint32_t(datagram.size()), nullptr, 0);
}

uint32_t CNetCnx::iPopIdentifiedMessageId(uint32_t dwSeqNum)
{
    FdSystem::CAutoLock lock(&m_messageLock);
    for (const std::unique_ptr<CAppMessage>& m : m_messages)
    {
        // An acknowledged or tagged message ends with its answer, also while
        // its repetitions still run; keep-alives never match.
        const bool answerable = m->boAwaitingAnswer || m->boWaitForAnswer || m->dwTag != kNoTag;
        if (!m->boSeqNumAssigned || !answerable || m->dwSeqNum() != dwSeqNum)
            continue;
        const uint32_t tag = m->dwTag;
        vDeleteMessage(m.get());
        return tag;
    }
    return kNoTag;
}

void CNetCnx::vStartKeepAlives(uint32_t dwHubId, uint32_t dwUdpMs, uint32_t dwTcpMs)
{
    if (m_boKeepAlivesStarted)
        return;
    m_boKeepAlivesStarted = true;
    SAppSend kaka;
    kaka.dwSrcId = dwHubId;
    kaka.dwDstId = HubProto::kIdKeepAlive;
    kaka.wFlags = HubProto::kFlagsKeepAlive;
    kaka.dwRepetitions = kEndlessSends;
    kaka.dwPortType = kPortTypeUdp;
    kaka.dwTimeBeforeSend = kaka.dwTimeBetween = dwUdpMs;
    boSendAppMessage(kaka);
    kaka.dwPortType = kPortTypeTcp;
    kaka.dwTimeBeforeSend = kaka.dwTimeBetween = dwTcpMs;
    boSendAppMessage(kaka);
}

void CNetCnx::vExpiredThunk(FdMisc::CTTLItem* lpItem, uintptr_t ulContext)
{
    reinterpret_cast<CNetCnx*>(ulContext)->vManageAppMessage(lpItem);
}

void CNetCnx::vTickMessages()
{
    std::vector<SExpiry> expired;
    {
        FdSystem::CAutoLock lock(&m_messageLock);
        m_list->vTick();
        expired.swap(m_expired);
    }
    // With no lock held: the manager takes the hub lock to tell the clients.
    for (const SExpiry& e : expired)
    {
        if (e.boAckable)
            m_owner.vNotifyTimeoutOnAckableMessage(*this, e.bChannel, e.dwTag);
        else
            m_owner.vNotifyTimeoutOnIdentifiedResponse(*this, e.bChannel, e.dwTag);
    }
}

void CNetCnx::vManageAppMessage(FdMisc::CTTLItem* lpItem)
{
    CAppMessage* message = static_cast<CAppMessage*>(lpItem);
    if (message->boAwaitingAnswer)
    {
        m_expired.push_back(
            SExpiry{(message->wFlags() & HubProto::kFlagAckable) != 0, message->bChannel, message->dwTag});
        vDeleteMessage(message);
        return;
    }
    HubTrace::vLog("Retrait de la liste");
    m_list->vRemove(message);
    HubTrace::vLog(message->dwPortType == kPortTypeTcp ? "Emission du message TCP"
                                                       : "Emission du message UDP");
    boSendStored(*message);
    switch (NextAfterSend(message->dwRepetitionsLeft, message->boWaitForAnswer))
    {
    case EAfterSend::Repeat:
        m_list->vInsert(message, std::min(message->dwTimeBetween, kMaxDelayMs), 1);
        return;
    case EAfterSend::Await:
        message->data.clear();
        message->data.shrink_to_fit();
        message->boAwaitingAnswer = true;
        m_list->vInsert(message, std::min(message->dwTimeBetween, kMaxDelayMs), 1);
        return;
    case EAfterSend::Drop:
        vDeleteMessage(message);
        return;
    }
}
