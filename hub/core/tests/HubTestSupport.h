// Support of the hub core's scenario tests: a client program speaking LPC
// over loopback, the stand-in game server's control channel, a host that
// records page jobs, and a fixture that runs a hub core with short times.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "IHubHost.h"
#include "LinkwellMgr.h"
#include "LpcHubMessages.h"
#include "Logger.h"
#include "StreamCutter.h"
#include "WinsockUse.h"

namespace HubTest
{

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kLoopback = 0x0100007F; // 127.0.0.1, network order
// Bound of every wait of the tests; a passing test never comes near it.
constexpr DWORD kWaitMs = 10000;
// How long a test watches for a message that must not come.
constexpr DWORD kQuietMs = 300;

// One message from the hub, decoded; `msg` borrows from `bytes`.
struct SHubMessage
{
    Bytes bytes;
    HubProto::LpcHubMessage msg;
    Bytes Data() const
    {
        return msg.data.ulSize ? Bytes(msg.data.lpData, msg.data.lpData + msg.data.ulSize) : Bytes{};
    }
};

// A client program of the hub: a TCP connection to the LPC port, or a UDP socket.
class CLpcTestClient
{
public:
    CLpcTestClient();
    ~CLpcTestClient();
    CLpcTestClient(const CLpcTestClient&) = delete;
    CLpcTestClient& operator=(const CLpcTestClient&) = delete;

    bool boConnect(uint16_t wPort);
    bool boOpenUdp(uint16_t wPort);
    void vClose();
    bool boSend(const Bytes& message);
    // The next message of that letter; those of other letters before it are kept.
    bool boExpect(uint8_t bLetter, SHubMessage& out, DWORD dwMs = kWaitMs);
    // The next message of any of these letters.
    bool boExpectAny(const std::string& letters, SHubMessage& out, DWORD dwMs = kWaitMs);
    // True when nothing at all arrives for that long (kept messages count).
    bool boQuiet(DWORD dwMs = kQuietMs);
    // True when the hub closes the connection within the bound.
    bool boClosedByHub(DWORD dwMs = kWaitMs);
    // 'C' to the server, then its 'a' (the channel) or 'b' (-1).
    int iOpenChannel(uint32_t dwAddress, uint16_t wPort, uint32_t dwTimeoutMs = 5000, DWORD dwMs = kWaitMs);
    // Letters of the messages kept so far.
    std::string Kept();

private:
    bool boReadSome(DWORD dwMs);
    bool boTake(uint8_t bLetter, SHubMessage& out);

    SOCKET m_socket = INVALID_SOCKET;
    bool m_boUdp = false;
    bool m_boPeerClosed = false;
    HubProto::CStreamCutter m_cutter;
    std::deque<Bytes> m_kept;
};

// The stand-in game server (a sidecar), driven through its control channel.
class CGameServer
{
public:
    ~CGameServer();
    // From FD_GAMESERVER_PORT and FD_GAMESERVER_CONTROL.
    bool boConnect();
    uint16_t wPort() const { return m_wPort; }
    // One command line; its reply line ("" when none came).
    std::string Command(const std::string& line, DWORD dwMs = kWaitMs + 5000);
    bool boOk(const std::string& line) { return Command(line).compare(0, 2, "OK") == 0; }
    // WAIT: the counter's value once it reached min, else -1.
    long lWait(const std::string& link, const std::string& counter, long lMin, DWORD dwMs = kWaitMs);
    // The fields of LINK or STATS.
    std::map<std::string, std::string> Fields(const std::string& command);
    long lCounter(const std::string& link, const std::string& counter);
    // Counters cleared, every switch back to its start value.
    bool boReset();

private:
    SOCKET m_socket = INVALID_SOCKET;
    uint16_t m_wPort = 0;
    std::string m_pending;
};

// Records what the core asks of the program.
class CTestHost : public IHubHost
{
public:
    void vPostPageJob(const HubRouting::SPageJob& job) override;
    void vPostErrorJob(int32_t lErrorNumber) override;
    void vQuit() override;
    void vOnRegisteredLinks(bool boAnyRegistered) override;

    bool boWaitErrorJob(int32_t lErrorNumber, DWORD dwMs = kWaitMs);
    bool boWaitPageJob(HubRouting::SPageJob& out, DWORD dwMs = kWaitMs);
    bool boWaitQuit(DWORD dwMs = kWaitMs);
    std::vector<int32_t> ErrorJobs();
    std::vector<bool> RegisteredChanges();

private:
    template <class Pred> bool boWaitFor(Pred pred, DWORD dwMs);

    std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<HubRouting::SPageJob> m_pageJobs;
    size_t m_ulPageJobsTaken = 0;
    std::vector<int32_t> m_errorJobs;
    int m_iQuits = 0;
    std::vector<bool> m_registered;
};

// The hub's log of this test program, in its working folder.
class CTestLog
{
public:
    static CTestLog& Instance();
    // Where the next search starts.
    void vMark();
    // The log since the mark.
    std::string SinceMark();
    size_t ulCount(const std::string& text) { return ulOccurrences(SinceMark(), text); }
    static size_t ulOccurrences(const std::string& haystack, const std::string& text);

private:
    CTestLog();
    std::string Whole();
    CLogger m_logger;
    size_t m_ulMark = 0;
};

// A hub core on a free LPC port with short times, and the stand-in reset.
class CHubFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;
    // The settings of the core about to start; tests change them before vStart.
    HubRouting::SHubSettings& Settings() { return m_settings; }
    // Stops the running core and starts one with Settings() as they are now;
    // callers assert the result (a failed start leaves no core to test).
    ::testing::AssertionResult Restart();
    CLinkwellMgr& Mgr() { return *m_mgr; }
    uint16_t wLpcPort() { return m_mgr->wGetLpcPort(); }
    uint16_t wServerPort() { return m_server.wPort(); }
    // A client program with its TCP connection to the hub, in `client`.
    ::testing::AssertionResult NewClient(std::unique_ptr<CLpcTestClient>& client);
    // A client with a channel to the stand-in, in `client`; its channel in *lpbChannel.
    ::testing::AssertionResult NewClientWithChannel(std::unique_ptr<CLpcTestClient>& client,
                                                    uint8_t* lpbChannel);
    // 'R' for the stand-in's link.
    Bytes ReconnParams(uint16_t wAttempts, uint32_t dwBetweenMs, uint32_t dwTimeoutMs);
    // Bounded wait for a condition checked every few milliseconds.
    static bool boEventually(const std::function<bool()>& done, DWORD dwMs = kWaitMs);

    CGameServer m_server;
    CTestHost m_host;
    HubRouting::SHubSettings m_settings;
    std::unique_ptr<CLinkwellMgr> m_mgr;
};

// 4-character id.
uint32_t dwId(const char* lpszFour);

} // namespace HubTest
