// What the hub core is given at start: the registry settings of the hub and
// the times of its protocols. The times default to the system's values; the
// programs never change them, tests shorten them.
#pragma once

#include <cstdint>
#include <string>

#include "ServerHeader.h"

namespace HubRouting
{

// Flags of the LogToTextFile setting.
constexpr uint32_t kLogServerReceived = 0x02; // dump messages received from servers
constexpr uint32_t kLogServerSent = 0x04;     // dump messages sent to servers
constexpr uint32_t kLogLpcReceived = 0x08;    // dump messages received by the LPC
constexpr uint32_t kLogLpcSent = 0x10;        // dump messages sent by the LPC
constexpr uint32_t kLogBuffered = 0x80;       // any value from here up: no flush per line

constexpr uint16_t kDefaultLpcPort = 8999;
constexpr const char* kDefaultLoginClsid = "{7366B689-A61E-4909-9437-28FD6D293BD0}";

struct SHubTimings
{
    uint32_t dwInitReplyMs = 8000;      // wait for the reply to "INIT"
    uint32_t dwIdentifiedWaitMs = 6000; // wait for the answer to an identified message
    uint32_t dwBindIntervalMs = 6000;   // between the sends of a "BIND"
    uint16_t wBindSends = 3;            // sends of a "BIND" before 'o'
    uint32_t dwTtlTickMs = 50;          // tick of each link's list of pending messages
    uint32_t dwKeepAliveUdpMs = 20000;  // DKAU
    uint32_t dwKeepAliveTcpMs = 50000;  // DKAT
    uint16_t wReconnAttempts = 4;       // a link's reconnection defaults
    uint32_t dwReconnBetweenMs = 2500;
    uint32_t dwReconnTimeoutMs = 5000;
    uint32_t dwClientKillDelayMs = 250;    // a gone client program's object lives this long
    uint32_t dwUdpClientIdleMs = 600000;   // a UDP client program silent this long is gone
    uint32_t dwLpcThreadWaitMs = 1000;     // longest sleep of the LPC thread
    uint32_t dwWindowRequestWaitMs = 4000; // wait for the LPC thread to make a socket window
    uint32_t dwLpcStopBoundMs = 20000;     // wait for the LPC thread's end, then give up
};

struct SHubSettings
{
    uint32_t dwLogFlags = 0;                     // LogToTextFile
    uint16_t wLpcPort = kDefaultLpcPort;         // LPCPort; 0 takes any free port (tests)
    uint16_t wProxyPort = 0;                     // DEVTEST_OBProxyPort, or the page's PXPT
    uint32_t dwHubId = HubProto::kDefaultHubId;  // LinkwellId
    std::string loginClsid = kDefaultLoginClsid; // OBMLoginCLSID
    SHubTimings timings;
};

} // namespace HubRouting
