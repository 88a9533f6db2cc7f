// Service messages that servers address to the hub itself: 4 bytes that are
// not examined, then association records in text mode. The first record's
// value names the command (its first 4 characters count).
#pragma once

#include <cstdint>

#include "WireBytes.h"

namespace HubProto
{

constexpr uint32_t kServicePrefixLen = 4;
constexpr uint32_t kServiceCommandLen = 4;

enum class ServiceCommand
{
    Send,  // "SEND" or "Send": post a page job (TURL, BFRM)
    Bind,  // "BIND": the channel is bound
    Bing,  // "BING"
    AftL,  // "AftL": one keep-alive at once
    Clos,  // "CLOS": end the hub
    Other, // any other command word: ignored
};

enum class ServiceStatus
{
    Ok,
    TooShort,       // no room for the 4 bytes and a 4-character command: dropped
    BadRecords,     // the records cannot be read: dropped
    MissingRecords, // a record that the command needs is absent or empty: dropped
};

struct ServiceMessage
{
    ServiceCommand eCommand = ServiceCommand::Other;
    ByteSpan command;     // the first record's value
    ByteSpan turl;        // Send
    ByteSpan bfrm;        // Send
    uint8_t bChannel = 0; // Bind, Bing: first byte of the second record's value
};

// `data` is what follows the message header (or the short header).
ServiceStatus DecodeServiceMessage(const uint8_t* data, uint32_t size, ServiceMessage& out);

} // namespace HubProto
