#include "LPCServerClt.h"

#include "DatagramCutter.h"
#include "HubSettings.h"
#include "HubTrace.h"
#include "LPC.h"
#include "NetSendBatch.h"

using namespace HubProto;

CLPCServerClt::CLPCServerClt(CLPC& lpc, uint32_t dwPortType)
    : m_lpc(lpc), m_dwKind(dwPortType), m_cutter(kLpcFrameLimits), m_dwLastActivity(GetTickCount())
{
}

CLPCServerClt::~CLPCServerClt() = default;

HINSTANCE CLPCServerClt::hGetModuleInstance()
{
    return GetModuleHandleA(nullptr);
}

bool CLPCServerClt::boFlushSend()
{
    FdSystem::CAutoLock lock(&m_lock);
    return CNetClient::boFlushSend();
}

bool CLPCServerClt::boReleaseSends()
{
    FdSystem::CAutoLock lock(&m_lock);
    if (CNetClient::boReleaseSends())
        return true;
    HubTrace::vLog("!ERREUR! CLPCServerClt::boReleaseSends (%p) -> envoi impossible",
                   static_cast<void*>(this));
    return false;
}

void CLPCServerClt::vProtocolError(const char* lpszWhat, uint32_t ulLength)
{
    HubTrace::vLog("!ERREUR! CLPCServerClt::boOnReceive -> %s (%u) : fermeture du client %p", lpszWhat,
                   unsigned(ulLength), static_cast<void*>(this));
    {
        FdSystem::CAutoLock lock(&m_lock);
        vDisconnect();
    }
    m_lpc.vDestroyLPCServerClt(this);
}

bool CLPCServerClt::boOnReceive(const uint8_t* lpData, uint32_t dwLength)
{
    m_dwLastActivity = GetTickCount();
    HubTrace::vDump(HubRouting::kLogLpcReceived, "Octets reçus par le LPC", lpData, dwLength);
    // What the requests of this block send (to servers, to this program)
    // leaves in one send per socket once the block is handled.
    FdNet::CSendBatch batch;
    if (boIsUdp())
    {
        // A datagram stands alone: a bad one is dropped, the sender stays.
        const DatagramCut cut = CutLpcDatagram(lpData, dwLength);
        if (cut.eStatus != DatagramStatus::Complete)
            HubTrace::vLog("!Warning! CLPCServerClt::boOnReceive -> datagramme LPC de %u octets incomplet ou "
                           "invalide",
                           unsigned(dwLength));
        for (const ByteSpan& m : cut.messages)
        {
            m_lpc.DecodeHeader(m.lpData, m.ulSize, this);
            FdSystem::CAutoLock lock(&m_lock);
            if (m_boGone)
                return true;
        }
        return true;
    }
    m_cutter.vFeed(lpData, dwLength);
    for (;;)
    {
        ByteSpan message;
        switch (m_cutter.Next(message))
        {
        case CStreamCutter::ECut::NeedMore:
            return true;
        case CStreamCutter::ECut::Malformed:
            vProtocolError("longueur de message LPC invalide", m_cutter.ulGetBadLength());
            return false;
        case CStreamCutter::ECut::Message:
            m_lpc.DecodeHeader(message.lpData, message.ulSize, this);
            break;
        }
        FdSystem::CAutoLock lock(&m_lock);
        if (m_boGone)
            return true;
    }
}

void CLPCServerClt::vSend(const std::vector<uint8_t>& head, const uint8_t* lpData, uint32_t ulSize)
{
    FdSystem::CAutoLock lock(&m_lock);
    if (m_boGone)
        return;
    if (head.empty())
    {
        HubTrace::vLog("!ERREUR! CLPCServerClt::vSend -> message trop long (%u octets)", unsigned(ulSize));
        return;
    }
    if (HubTrace::boFlag(HubRouting::kLogLpcSent))
    {
        std::vector<uint8_t> whole(head);
        if (ulSize != 0)
            whole.insert(whole.end(), lpData, lpData + ulSize);
        HubTrace::vDump(HubRouting::kLogLpcSent, "Message envoyé par le LPC", whole.data(),
                        uint32_t(whole.size()));
    }
    if (!boSend(head.data(), uint32_t(head.size()), lpData, ulSize))
        HubTrace::vLog("!ERREUR! CLPCServerClt::vSend (%p) -> envoi impossible", static_cast<void*>(this));
}

void CLPCServerClt::vNotifyConnectionSucceeded(uint8_t bChannel, uint32_t dwAddress, uint16_t wPort,
                                               const LpcSizeLimits& limits)
{
    {
        FdSystem::CAutoLock lock(&m_lock);
        m_channels.insert(bChannel);
    }
    vSend(EncodeLpcConnectionSucceeded(dwAddress, wPort, bChannel, limits));
}

void CLPCServerClt::vNotifyConnectionFailed(uint32_t dwAddress, uint16_t wPort)
{
    vSend(EncodeLpcConnectionFailed(dwAddress, wPort));
}

void CLPCServerClt::vNotifyDstIdRefused(uint32_t dwDstId)
{
    vSend(EncodeLpcDstIdRefused(dwDstId));
}

void CLPCServerClt::vNotifyMessage(uint8_t bChannel, uint32_t dwMessageId, const uint8_t* lpData,
                                   uint32_t ulSize)
{
    vSend(EncodeLpcRecvMessageHead(bChannel, dwMessageId, ulSize), lpData, ulSize);
}

void CLPCServerClt::vNotifyMessageDstId(uint8_t bChannel, uint32_t dwDstId, uint32_t dwMessageId,
                                        const uint8_t* lpData, uint32_t ulSize)
{
    vSend(EncodeLpcRecvMessageDstIdHead(bChannel, dwDstId, dwMessageId, ulSize), lpData, ulSize);
}

void CLPCServerClt::vNotifyChannel(uint8_t bLetter, uint8_t bChannel)
{
    switch (bLetter)
    {
    case LPC_CNX_CLOSED:
        return vSend(EncodeLpcCnxClosed(bChannel));
    case LPC_CHANNEL_CLOSED:
        return vSend(EncodeLpcChannelClosed(bChannel));
    case LPC_CNX_RECONNECTED:
        return vSend(EncodeLpcCnxReconnected(bChannel));
    case LPC_CNX_LOST:
        return vSend(EncodeLpcCnxLost(bChannel));
    case LPC_BIND_RECEIVED:
        return vSend(EncodeLpcBindReceived(bChannel));
    case LPC_BIND_TIMEOUT:
        return vSend(EncodeLpcBindTimeout(bChannel));
    case LPC_BING_RECEIVED:
        return vSend(EncodeLpcBingReceived(bChannel));
    default:
        return;
    }
}

void CLPCServerClt::vNotifyTag(uint8_t bLetter, uint8_t bChannel, uint32_t dwTag)
{
    switch (bLetter)
    {
    case LPC_ACKABLE_TIMEOUT:
        return vSend(EncodeLpcAckableTimeout(bChannel, dwTag));
    case LPC_RESPONSE_ACK:
        return vSend(EncodeLpcResponseAck(bChannel, dwTag));
    case LPC_IDENTIFIED_TIMEOUT:
        return vSend(EncodeLpcIdentifiedTimeout(bChannel, dwTag));
    default:
        return;
    }
}

void CLPCServerClt::vRemoveChannelRef(uint8_t bChannel)
{
    FdSystem::CAutoLock lock(&m_lock);
    m_channels.erase(bChannel);
}

std::vector<uint8_t> CLPCServerClt::TakeChannels()
{
    FdSystem::CAutoLock lock(&m_lock);
    m_boGone = true;
    std::vector<uint8_t> channels(m_channels.begin(), m_channels.end());
    m_channels.clear();
    return channels;
}
