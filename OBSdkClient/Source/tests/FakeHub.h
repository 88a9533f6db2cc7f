// A hub played by the test: a loopback TCP listener on its own thread that
// records every request of the client library (whole LPC messages) and
// answers through a function the test sets. The test's thread pumps
// messages so that the library's side progresses.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "LpcClientMessages.h"
#include "TestKit.h"

namespace SdkTest
{

using Bytes = std::vector<uint8_t>;

using FdTestKit::boPumpUntil;

class CFakeHub
{
public:
    // Given each request, returns the bytes to send back (empty: nothing).
    using FAnswer = std::function<Bytes(const Bytes& request)>;

    CFakeHub();
    ~CFakeHub();
    CFakeHub(const CFakeHub&) = delete;
    CFakeHub& operator=(const CFakeHub&) = delete;

    uint16_t wPort() const { return m_wPort; }
    void vSetAnswer(FAnswer answer);

    std::vector<Bytes> Requests();
    // The requests of one letter, in order.
    std::vector<Bytes> RequestsOf(uint8_t letter);
    size_t ulRequestCount();
    size_t ulAccepted();
    size_t ulClosedByClient();
    size_t ulLive();

    // To the newest live connection; false when there is none.
    bool boSend(const Bytes& bytes);
    // Ends every live connection: FIN, or a reset.
    void vCloseAll(bool boReset);

    // Answers every 'C' with 'a' on the next channel id (from `first`), as the hub does.
    static FAnswer AnswerOpens(uint8_t first);

private:
    struct SConnection;
    void vRun();
    void vReceive(SConnection& c);

    SOCKET m_listen = INVALID_SOCKET;
    uint16_t m_wPort = 0;
    std::atomic<bool> m_boStop{false};
    std::thread m_thread;
    std::mutex m_lock;
    FAnswer m_answer;
    std::vector<Bytes> m_requests;
    std::vector<std::unique_ptr<SConnection>> m_connections;
    size_t m_ulAccepted = 0;
    size_t m_ulClosedByClient = 0;
};

} // namespace SdkTest
