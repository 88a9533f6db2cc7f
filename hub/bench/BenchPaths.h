// What the hub benchmarks share: a blocking peer socket that reads whole
// messages, the measure of a round-trip path (latency of single round trips,
// then throughput with a window of messages in flight), and a bare relay.
//
// The bare relay is the floor of the hub's design under Wine: one thread
// whose two sockets (the client's, the server's) signal their events as
// window messages, and which forwards every block it reads to the other
// socket, with nothing else. The hub adds its own work (cutting, routing,
// re-encoding) to exactly these hops.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <thread>
#include <vector>

#include "FrameCheck.h"
#include "StreamCutter.h"

namespace HubBench
{

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kLoopback = 0x0100007F;
constexpr uint32_t kPayload = 16; // bytes of data per message
constexpr uint32_t kWindow = 64;  // messages in flight in the throughput run

// A blocking TCP socket that cuts what it reads into whole messages (both
// protocols carry the length at offset 4).
class CPeer
{
public:
    explicit CPeer(const HubProto::FrameLimits& limits) : m_cutter(limits) {}
    ~CPeer();
    CPeer(const CPeer&) = delete;
    CPeer& operator=(const CPeer&) = delete;
    bool boConnect(uint16_t wPort);
    bool boSend(const Bytes& b);
    // The next whole message; false on a closed connection or at the bound.
    bool boNext(Bytes& out);

private:
    SOCKET m_s = INVALID_SOCKET;
    HubProto::CStreamCutter m_cutter;
    std::vector<Bytes> m_ready;
    size_t m_ulReadyPos = 0;
    char m_buffer[65536];
};

// One way of making a round trip: a request to send, and whether a message
// read is its answer.
struct SPath
{
    CPeer* lpPeer;
    Bytes request;
    uint8_t bAnswerFirstByte; // LPC 'd' letter at offset 1, or the server header length at 0
    uint32_t ulAnswerOffset;
};

struct SResult
{
    double dMedianUs = 0, dP99Us = 0, dMeanUs = 0, dPerSecond = 0;
    bool boOk = false;
};

// A benchmark's command line: the stand-in's port (or FD_GAMESERVER_PORT),
// then the round trips and the messages, with their defaults.
struct SArgs
{
    uint16_t wServerPort = 0;
    uint32_t ulRoundTrips = 2000;
    uint32_t ulMessages = 20000;
};
// False, with the usage on stderr under the program's name, when one is missing or zero.
bool boReadArgs(int argc, char** argv, const char* lpszProgram, SArgs& out);

// Round-trip times of single messages, as taken by the caller's `roundTrip`.
SResult FromRoundTrips(std::vector<double> us);
SResult Measure(SPath& p, uint32_t ulRoundTrips, uint32_t ulMessages);
void vPrint(const char* lpszWhat, const SResult& r);
void vPrintRatios(const char* lpszWhat, const SResult& a, const SResult& b);

// Registers a plain peer with the stand-in as the hub would (INIT, then its
// reply); false when the stand-in does not answer.
bool boRegisterPlain(CPeer& peer);
// The GAME message that the hub sends for a channel's 16-byte message.
Bytes PlainRequest();

class CBareRelay
{
public:
    // Listens on a free loopback port; each connection accepted is relayed
    // to the server's port on 127.0.0.1.
    explicit CBareRelay(uint16_t wServerPort);
    ~CBareRelay();
    CBareRelay(const CBareRelay&) = delete;
    CBareRelay& operator=(const CBareRelay&) = delete;
    // 0 when it could not start.
    uint16_t wGetPort() const { return m_wPort; }

private:
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    void vRun();
    void vOnEvent(SOCKET s, LPARAM lParam);
    void vForward(SOCKET from, SOCKET to);

    uint16_t m_wServerPort;
    uint16_t m_wPort = 0;
    SOCKET m_listener = INVALID_SOCKET;
    SOCKET m_client = INVALID_SOCKET;
    SOCKET m_server = INVALID_SOCKET;
    HWND m_hWnd = nullptr;
    HANDLE m_hStop = nullptr;
    HANDLE m_hReady = nullptr;
    std::thread m_thread;
};

} // namespace HubBench
