// Sending of CNetAsync: at once when nothing waits, else behind what waits;
// what the socket cannot take now leaves on FD_WRITE.
#include "NetAsync.h"

#include "NetAsyncException.h"
#include "NetSendBatch.h"

namespace FdNet
{

namespace
{

const char kSendFunction[] = "CNetAsync::boSend";

bool boIsUnreachable(int iError)
{
    return iError == WSAEHOSTDOWN || iError == WSAEHOSTUNREACH;
}

} // namespace

bool CNetAsync::boSend(const void* lpData, uint32_t dwLength, const void* lpData2, uint32_t dwLength2)
{
    if (lpData2 == nullptr)
        dwLength2 = 0;
    if (lpData == nullptr)
        dwLength = 0;
    const uint8_t* first = static_cast<const uint8_t*>(lpData);
    const uint8_t* second = static_cast<const uint8_t*>(lpData2);
    // Before a connection the kind of socket may not be known yet: each send
    // waits as a unit of its own (both parts or neither).
    if (!m_boConnected)
        return m_datagramFifo.boPush(first, dwLength, second, dwLength2);
    if (m_dwPortType == kPortTypeUdp)
        return boSendDatagram(first, dwLength, second, dwLength2);
    return boSendStream(first, dwLength, second, dwLength2);
}

int CNetAsync::iSendNow(const uint8_t* lpData, uint32_t dwLength, int* lpiError)
{
    const char* p = reinterpret_cast<const char*>(lpData);
    const int n = m_boDatagramMode
                      ? sendto(m_socket, p, int(dwLength), 0,
                               reinterpret_cast<const sockaddr*>(&m_remoteAddr), sizeof m_remoteAddr)
                      : send(m_socket, p, int(dwLength), 0);
    *lpiError = n == SOCKET_ERROR ? WSAGetLastError() : 0;
    return n;
}

bool CNetAsync::boSendStream(const uint8_t* lpData, uint32_t dwLength, const uint8_t* lpData2,
                             uint32_t dwLength2)
{
    const uint64_t total = uint64_t(dwLength) + dwLength2;
    const uint64_t room = uint64_t(m_sendFifo.ulGetMaxSize()) - m_sendFifo.ulGetSize();
    if (total >= m_sendFifo.ulGetMaxSize())
        vThrowNetAsync(NetAsync_BufferOverRun, kSendFunction, __LINE__);

    if (!m_datagramFifo.boIsEmpty())
    {
        // Units sent before the connection still wait: this one goes behind them.
        if (!m_datagramFifo.boPush(lpData, dwLength, lpData2, dwLength2))
            vThrowNetAsync(NetAsync_BufferInsertionFailed, kSendFunction, __LINE__);
        boFlushSend();
        return true;
    }
    if (!m_boSendsHeld)
        m_boSendsHeld = CSendBatch::boJoin(*this);
    if (m_sendFifo.ulGetSize() != 0 || dwLength2 != 0 || m_boSendsHeld)
    {
        if (total > room || !m_sendFifo.boPush(lpData, dwLength) || !m_sendFifo.boPush(lpData2, dwLength2))
            vThrowNetAsync(NetAsync_BufferInsertionFailed, kSendFunction, __LINE__);
        if (!m_boSendsHeld)
            boFlushSend();
        return true;
    }

    int error = 0;
    const int sent = dwLength != 0 ? iSendNow(lpData, dwLength, &error) : 0;
    if (sent == SOCKET_ERROR)
    {
        if (error == WSAEWOULDBLOCK)
            return m_sendFifo.boPush(lpData, dwLength);
        if (boIsUnreachable(error))
        {
            vAbortConnection();
            vThrowNetAsync(NetAsync_IncompleteSend, kSendFunction, __LINE__, uint32_t(error));
        }
        return false;
    }
    // What the socket did not take now leaves on FD_WRITE.
    const uint32_t rest = dwLength - uint32_t(sent);
    if (rest != 0 && !m_sendFifo.boPush(lpData + sent, rest))
        vThrowNetAsync(NetAsync_IncompleteSend, kSendFunction, __LINE__);
    return true;
}

bool CNetAsync::boSendDatagram(const uint8_t* lpData, uint32_t dwLength, const uint8_t* lpData2,
                               uint32_t dwLength2)
{
    const uint64_t total = uint64_t(dwLength) + dwLength2;
    if (total + CDatagramFifo::kRecordPrefix >= m_datagramFifo.ulGetMaxSize())
        vThrowNetAsync(NetAsync_BufferOverRun, kSendFunction, __LINE__);

    if (!m_datagramFifo.boIsEmpty() || dwLength2 != 0)
    {
        if (!m_datagramFifo.boPush(lpData, dwLength, lpData2, dwLength2))
            vThrowNetAsync(NetAsync_BufferInsertionFailed, kSendFunction, __LINE__);
        boFlushSend();
        return true;
    }

    int error = 0;
    if (iSendNow(lpData, dwLength, &error) != SOCKET_ERROR)
        return true;
    if (error == WSAEWOULDBLOCK)
        return m_datagramFifo.boPush(lpData, dwLength);
    if (boIsUnreachable(error))
    {
        vAbortConnection();
        vThrowNetAsync(NetAsync_IncompleteSend, kSendFunction, __LINE__, uint32_t(error));
    }
    return false;
}

bool CNetAsync::boReleaseSends()
{
    if (!m_boSendsHeld)
        return true;
    m_boSendsHeld = false;
    if (boFlushSend())
        return true;
    if (boIsUnreachable(WSAGetLastError()))
        vAbortConnection();
    return false;
}

bool CNetAsync::boFlushSend()
{
    if (m_socket == INVALID_SOCKET || !m_boConnected)
        return true;
    if (m_dwPortType == kPortTypeUdp)
        return boFlushDatagrams();
    // Units sent before the connection join the stream first.
    while (!m_datagramFifo.boIsEmpty())
    {
        uint32_t size = 0;
        const uint8_t* unit = m_datagramFifo.lpFront(&size);
        if (!m_sendFifo.boPush(unit, size))
            break;
        m_datagramFifo.vPop();
    }
    return boFlushStream();
}

bool CNetAsync::boFlushStream()
{
    while (m_sendFifo.ulGetSize() != 0)
    {
        int error = 0;
        const int sent = iSendNow(m_sendFifo.lpGetData(), m_sendFifo.ulGetSize(), &error);
        if (sent == SOCKET_ERROR)
            return error == WSAEWOULDBLOCK;
        m_sendFifo.vConsume(uint32_t(sent));
    }
    return true;
}

bool CNetAsync::boFlushDatagrams()
{
    bool ok = true;
    while (!m_datagramFifo.boIsEmpty())
    {
        uint32_t size = 0;
        const uint8_t* datagram = m_datagramFifo.lpFront(&size);
        int error = 0;
        if (iSendNow(datagram, size, &error) == SOCKET_ERROR)
        {
            if (error == WSAEWOULDBLOCK)
                return ok;
            // A datagram the socket refuses would block the queue for ever.
            ok = false;
        }
        m_datagramFifo.vPop();
    }
    return ok;
}

} // namespace FdNet
