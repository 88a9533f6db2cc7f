// CServerLink: the launch part's link to the game server, a CLudexChannel
// through the local hub, with the launch part as its sink.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "ServerLinkSink.h"

class CLudexChannel;

class CServerLink : public IServerLink
{
public:
    // The extra DstId every link adds: server messages to it reach the channel too.
    static constexpr char kExtraDstId[] = "ZELT";

    CServerLink();
    // Closes the channel.
    ~CServerLink() override;
    CServerLink(const CServerLink&) = delete;
    CServerLink& operator=(const CServerLink&) = delete;

    void SetSink(CServerLinkSink* sink) { m_pSink = sink; }
    // 1 when the channel is open: DstId the first four characters of msgd,
    // no reconnection by the hub. 0 for an empty address or port, a msgd
    // shorter than four characters, or a channel that could not be opened.
    int32_t Open(const std::string& address, const std::string& port, const std::string& msgd);

    bool IsConnected() const override;
    // Message id -1, at once, no repetition, TCP. False when not handed to the hub.
    bool Send(const char* data, size_t length) override;

    // From the channel: to the sink.
    virtual void OnLinkLost();
    virtual void OnServerMessage(const std::string& text);

private:
    std::unique_ptr<CLudexChannel> m_channel;
    CServerLinkSink* m_pSink = nullptr;
};
