// Non-blocking Winsock 1.1 socket whose events arrive as window messages on a
// hidden window of the thread that created it (that thread must pump
// messages). Users derive from CNetClient or CNetServer, override the receive
// slot, and learn of connection events through one notify callback.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <vector>

#include "ByteFifo.h"
#include "DatagramFifo.h"
#include "NetAsyncEvents.h"
#include "WinsockUse.h"

namespace FdNet
{

// TCP_NODELAY on: small messages leave at once instead of waiting for the
// acknowledgement of the previous ones. A failure is ignored.
void vSetNoDelay(SOCKET s);

class CNetAsync
{
public:
    static constexpr uint32_t kSendFifoGrowth = 2048;
    static constexpr uint32_t kSendFifoMax = 655360;
    static constexpr uint32_t kReceiveSize = 32768;
    // A datagram socket receives whole datagrams: room for the largest one.
    static constexpr uint32_t kDatagramReceiveSize = 65536;
    static constexpr long kTcpClientEvents = FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE; // 51
    static constexpr long kUdpClientEvents = FD_READ | FD_WRITE | FD_CLOSE;              // 35

    // Throws 3101 when Winsock cannot start.
    CNetAsync();
    virtual ~CNetAsync();
    CNetAsync(const CNetAsync&) = delete;
    CNetAsync& operator=(const CNetAsync&) = delete;

    // Module instance for the hidden windows' class.
    virtual HINSTANCE hGetModuleInstance() = 0;
    // Sends what waits in the send queue until it is empty or the socket
    // would block. False on another socket error (stream data stays queued; a
    // datagram that the socket refuses is dropped).
    virtual bool boFlushSend();
    virtual bool boOnSocketError(uint32_t dwEvent, int iError);
    virtual bool boOnSocketEvent(LPARAM lParam, SOCKET s);
    // Received bytes (a whole datagram for UDP). Ignores them by default.
    virtual bool boOnReceive(const uint8_t* lpData, uint32_t dwLength);
    virtual LRESULT lOnWindowMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);

    // Sends the first bytes then the second ones (optional) as one unit: one
    // piece of stream for TCP, one datagram for UDP. Before the connection is
    // up everything is queued (false when the queue is full). Throws 3102 when
    // the unit reaches the queue's maximum, 3103 when the queue cannot take it,
    // 3104 when the host is down or unreachable. False on another send error.
    bool boSend(const void* lpData, uint32_t dwLength, const void* lpData2 = nullptr, uint32_t dwLength2 = 0);
    // Inside a send batch of the sending thread (CSendBatch) a stream
    // socket's sends only queue; the batch's end calls this, which sends the
    // queue (a host found down or unreachable aborts the connection, as a
    // send would). False on another send error, the rest staying queued.
    // Derived classes that lock their sends lock this too.
    virtual bool boReleaseSends();

    void vSetNotifyCallback(LPNETASYNCNOTIFY lpCallback, void* lpContext);
    bool boIsConnected() const { return m_boConnected; }
    // One-shot timer: its firing notifies NETASYNC_CNX_TIMER with the id.
    // 0 when the object has no window of its own or the timer cannot be set.
    UINT_PTR ulSetTimer(uint32_t dwMs);
    bool boKillTimer(UINT_PTR ulId);
    // SO_MAX_MSG_SIZE of a UDP socket, else 0.
    uint32_t ulGetMaxMsgSize();

    void vCreateHiddenWindow();
    // Stops the events of every socket of the window, then destroys it.
    void vDestroyHiddenWindow();
    // Throws 3106 without a window, 3105 when the selection fails.
    void vStartAsyncMode(SOCKET s, UINT uMessage, long lEvents);
    void vStopAsyncMode(SOCKET s);

    SOCKET GetSocket() const { return m_socket; }
    HWND hGetWindow() const { return m_hWnd; }
    UINT uGetSocketMessage() const { return m_uSocketMessage; }
    uint32_t ulGetPortType() const { return m_dwPortType; }
    // Bytes waiting to be sent (with a prefix per unit sent before the
    // connection or per datagram).
    uint32_t ulGetQueuedSize() const;

protected:
    // Raises an event with the record of this object.
    void vNotify(uint32_t dwCode);
    void vNotifyTimer(UINT_PTR ulId);
    void vNotifyAccepted(CNetAsync* lpNewClient);
    // The connection is gone: connected cleared, NETASYNC_CNX_ABORTED, socket closed.
    void vAbortConnection();
    // Closes an owned socket (events stopped first) and forgets it.
    void vCloseSocket();
    void vClearSendQueue();
    // Sends one piece now (send, or sendto the remote address in datagram
    // mode): bytes sent, or SOCKET_ERROR with the error in *lpiError.
    virtual int iSendNow(const uint8_t* lpData, uint32_t dwLength, int* lpiError);

    CWinsockUse m_winsock;
    FdMisc::CByteFifo m_sendFifo; // stream sockets
    CDatagramFifo m_datagramFifo; // datagram sockets
    HWND m_hWnd = nullptr;
    bool m_boWindowCreated = false; // the window is this object's own
    LPNETASYNCNOTIFY m_lpNotify = nullptr;
    void* m_lpNotifyContext = nullptr;
    UINT m_uSocketMessage;
    SOCKET m_socket = INVALID_SOCKET;
    bool m_boOwnsSocket = true;
    uint32_t m_dwPortType = kPortTypeTcp;
    bool m_boConnected = false;
    bool m_boDatagramMode = false; // sends go to m_remoteAddr with sendto
    sockaddr_in m_remoteAddr{};
    uint32_t m_dwReceiveSize = kReceiveSize;

    // The object's receive buffer, or a buffer of its own for a receive that
    // runs nested in another one (a handler pumping messages), whose data
    // must stay intact.
    class CReceiveBuffer
    {
    public:
        CReceiveBuffer(CNetAsync& owner, uint32_t dwSize);
        ~CReceiveBuffer();
        CReceiveBuffer(const CReceiveBuffer&) = delete;
        CReceiveBuffer& operator=(const CReceiveBuffer&) = delete;
        uint8_t* lpData() { return m_lpData; }
        char* lpChars() { return reinterpret_cast<char*>(m_lpData); }

    private:
        CNetAsync& m_owner;
        std::vector<uint8_t> m_nested;
        uint8_t* m_lpData;
        bool m_boOwnerBuffer;
    };
    UINT_PTR m_ulTimerCounter = 0;

private:
    bool boSendStream(const uint8_t* lpData, uint32_t dwLength, const uint8_t* lpData2, uint32_t dwLength2);
    bool boSendDatagram(const uint8_t* lpData, uint32_t dwLength, const uint8_t* lpData2, uint32_t dwLength2);
    bool boFlushStream();
    bool boFlushDatagrams();
    // Reads what is left after FD_CLOSE; false when the connection turned out
    // aborted (reported) or was closed by a handler meanwhile.
    bool boDrainReceived();

    std::vector<uint8_t> m_receiveBuffer;
    bool m_boReceiveBufferBusy = false;
    bool m_boSendsHeld = false; // by a send batch, until it releases
};

} // namespace FdNet
