// What the hub client does with one whole message from the hub: the letter
// and the length are checked before any field is read, and the message
// becomes one action for the managed client.
#pragma once

#include <cstdint>

#include "LpcHubMessages.h"

namespace OBSdkClient
{

enum class EHubAction
{
    Ignore,          // 'c', 'k', 'l', an unknown letter, or a channel id of 255
    TooShort,        // shorter than its letter's fixed part: dropped unread
    OpenSucceeded,   // 'a'
    OpenFailed,      // 'b'
    Message,         // 'd', 'j'
    ChannelClosed,   // 'f', 'g', 'i'
    Reconnected,     // 'h'
    ResponseTimeout, // 'm'
    Bound,           // 'n'
    BindTimeout,     // 'o'
    Bing,            // 'p'
};

struct SHubAction
{
    EHubAction eAction = EHubAction::Ignore;
    uint8_t bLetter = 0;
    uint32_t dwServerIp = 0;  // OpenSucceeded, OpenFailed (network order)
    uint16_t wServerPort = 0; // OpenSucceeded, OpenFailed
    uint8_t bChannel = 255;   // every action on a channel (0..254)
    bool boHasSizeLimits = false;
    HubProto::LpcSizeLimits limits;                // OpenSucceeded, when boHasSizeLimits
    uint32_t dwMessageId = HubProto::kNoMessageId; // Message
    uint32_t dwTag = 0;                            // ResponseTimeout
    HubProto::ByteSpan data;                       // Message: borrowed from the message
};

// `lpMessage` holds one whole message of `ulSize` bytes, as cut from the stream.
SHubAction ReadHubMessage(const uint8_t* lpMessage, uint32_t ulSize);

} // namespace OBSdkClient
