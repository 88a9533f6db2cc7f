// The chat's IRC connection on Windows: one blocking TCP socket (Winsock 1.1)
// and one reader thread that feeds the protocol core, whose events it raises.
//
// Ownership: the connection owns the socket and the reader. Close shuts the
// socket down, waits for the reader to end (no time-out: nothing may die
// under it), then closes the socket. A derived class whose hooks or events
// the reader uses must call Close in its own destructor.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "CriticalSection.h"
#include "IrcSession.h"
#include "SocketOwner.h"
#include "WinsockUse.h"

namespace ChatIrc
{

class CIrcCnx : public CIrcSession
{
public:
    static constexpr uint16_t kDefaultPort = 6667;
    // Bytes asked of one recv.
    static constexpr int kReadSize = 1023;

    CIrcCnx();
    ~CIrcCnx() override;

    // Opens the socket, starts the reader and sends "IRCX": true once the
    // state is 1 (OnState(1) raised). False without any event when the state
    // is not 0, the host is null or the socket cannot connect. With
    // connect-in-thread the reader opens the socket: the answer is false and
    // the outcome comes as events (OnState(0) when the connect fails).
    bool boConnect(const char* lpHost, uint16_t port = kDefaultPort);
    // Shuts the socket down, waits for the reader, closes the socket
    // (OnState(0) when it was open), empties the room list and forgets the
    // server name. Harmless when closed.
    void vClose();

    void vSetConnectInThread(bool boOn) { m_boConnectInThread = boOn; }
    SOCKET GetSocket();
    bool boIsReaderActive() const { return m_boReaderActive.load(); }
    // The reader thread's id while one has been started and not joined, else 0.
    DWORD dwGetReaderThreadId();
    const std::string& strGetHost() const { return m_strHost; }
    uint16_t uGetPort() const { return m_uPort; }

protected:
    bool boWrite(const std::string& text) override;

private:
    static unsigned __stdcall uReaderProc(void* lpThis);
    void vRead();
    // A connected socket, or none.
    FdNet::CSocket OpenSocket();
    // The reader's end after a failed connect or a server close: the socket
    // is closed and the state becomes 0, unless Close is under way.
    void vReaderLost();
    void vJoinReader();

    FdNet::CWinsockUse m_winsock;
    FdSystem::CCriticalSection m_socketLock; // socket, reader handle, running
    FdNet::CSocket m_socket;
    HANDLE m_hReader = nullptr;
    DWORD m_dwReaderId = 0;
    std::atomic<bool> m_boRunning{false};
    std::atomic<bool> m_boReaderActive{false};
    bool m_boConnectInThread = false;
    std::string m_strHost;
    uint16_t m_uPort = kDefaultPort;
};

} // namespace ChatIrc
