// CLudexChannel: the launcher's channel to the game server through the hub.
// It reads the server's commands and tells its link of the loss of the
// channel or of the hub; both arrive inside the hub client library's
// callbacks, with the library's locks held.
#pragma once

#include <cstdint>

#include "ChannelStd.h"

class CServerLink;

class CLudexChannel : public OBSdkClient::CChannelStd
{
public:
    // Opens the channel; throws as CChannelStd does.
    CLudexChannel(const OBSdkClient::CHostRecord& server, const OBSdkClient::CChannelConfig& config);
    ~CLudexChannel() override;

    // A "cmd"/"ac" message goes to the link; anything else is dropped.
    void OnMessage(const uint8_t* lpData, uint32_t dwLength, uint32_t dwMessageId) override;
    // Closed (0) and hub lost (2) clear the connected flag and, when it was
    // set, tell the link; reconnected (1) and response time-out (3) change nothing.
    void OnEvent(int32_t iCode, uint32_t dwValue) override;

    CServerLink* m_pLink = nullptr; // not owned
    uint32_t m_dwConnected = 0;
};
