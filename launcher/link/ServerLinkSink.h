// What the launch part and its link to the game server know of each other:
// the link's side as the launch part uses it, and the launch part's callback.
#pragma once

#include <cstddef>
#include <string>

// Implemented by the launch part. Both calls come from inside the hub client
// library's callbacks: they must not block, show anything or end the link.
class CServerLinkSink
{
public:
    // The link went from connected to lost (once per loss).
    virtual void OnLinkLost() = 0;
    // The value of a "cmd"/"ac" message of the server.
    virtual void OnServerCommand(const std::string& command) = 0;

protected:
    ~CServerLinkSink() = default;
};

// An open link; destroying it closes the channel.
class IServerLink
{
public:
    virtual ~IServerLink() = default;
    virtual bool IsConnected() const = 0;
    // True when the text was handed to the hub.
    virtual bool Send(const char* data, size_t length) = 0;
};
