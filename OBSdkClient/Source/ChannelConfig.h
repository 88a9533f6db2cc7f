// How a channel is opened: its DstId, the reconnection parameters given to
// the hub for the server connection, and how the open waits.
#pragma once

#include <cstdint>

namespace OBSdkClient
{

class CChannelConfig
{
public:
    static constexpr uint32_t kNoDstId = 0xFFFFFFFF;
    // Attempts value that leaves the hub's reconnection parameters as they are (no 'R').
    static constexpr uint32_t kKeepHubReconnParams = 65244;
    // Time value that tells the hub "not set".
    static constexpr uint32_t kTimeNotSet = 65244000;
    // Open-wait mode that pumps only the hub connection's own window messages.
    static constexpr uint32_t kOpenWaitOwnWindowOnly = 2;

    constexpr CChannelConfig() = default;
    constexpr CChannelConfig(uint32_t dwDstId, uint32_t dwReconnAttempts, uint32_t dwReconnTime,
                             uint32_t dwReconnTimeout, uint32_t dwOpenWaitMode)
        : dwDstId(dwDstId), dwReconnAttempts(dwReconnAttempts), dwReconnTime(dwReconnTime),
          dwReconnTimeout(dwReconnTimeout), dwOpenWaitMode(dwOpenWaitMode)
    {
    }

    bool boHasDstId() const { return dwDstId != kNoDstId; }
    bool boSetsReconnParams() const { return dwReconnAttempts != kKeepHubReconnParams; }
    bool boOwnWindowOnly() const { return dwOpenWaitMode == kOpenWaitOwnWindowOnly; }

    uint32_t dwDstId = kNoDstId;
    uint32_t dwReconnAttempts = kKeepHubReconnParams; // sent as u16
    uint32_t dwReconnTime = kTimeNotSet;              // ms between attempts
    uint32_t dwReconnTimeout = kTimeNotSet;           // ms
    uint32_t dwOpenWaitMode = 0;
};

// Ready-made configuration for automatic reconnection: 3 attempts 5000 ms
// apart, 10000 ms time-out.
constexpr CChannelConfig kAutoReconnConfig{CChannelConfig::kNoDstId, 3, 5000, 10000, 1};

} // namespace OBSdkClient
