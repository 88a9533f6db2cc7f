// Message letters of the LPC protocol: upper case from client programs to
// the hub, lower case from the hub to client programs. There is no 'e'.
#pragma once

#include <cstdint>

namespace HubProto
{

// Client -> hub.
constexpr uint8_t LPC_CONNECT = 'C';
constexpr uint8_t LPC_DISCONNECT = 'D';
constexpr uint8_t LPC_SEND_MESSAGE = 'S';
constexpr uint8_t LPC_SEND_SHORT = 'F';
constexpr uint8_t LPC_SEND_SHORT_UDP = 'Q';
constexpr uint8_t LPC_ADD_DSTID = 'I';
constexpr uint8_t LPC_BIND = 'B';
constexpr uint8_t LPC_UNBIND = 'U';
constexpr uint8_t LPC_SET_RECONN_PARAMS = 'R';

// Hub -> client.
constexpr uint8_t LPC_CONNECTION_SUCCEEDED = 'a';
constexpr uint8_t LPC_CONNECTION_FAILED = 'b';
constexpr uint8_t LPC_DSTID_REFUSED = 'c';
constexpr uint8_t LPC_RECV_MESSAGE = 'd';
constexpr uint8_t LPC_CNX_CLOSED = 'f';
constexpr uint8_t LPC_CHANNEL_CLOSED = 'g';
constexpr uint8_t LPC_CNX_RECONNECTED = 'h';
constexpr uint8_t LPC_CNX_LOST = 'i';
constexpr uint8_t LPC_RECV_MESSAGE_DSTID = 'j';
constexpr uint8_t LPC_ACKABLE_TIMEOUT = 'k';
constexpr uint8_t LPC_RESPONSE_ACK = 'l';
constexpr uint8_t LPC_IDENTIFIED_TIMEOUT = 'm';
constexpr uint8_t LPC_BIND_RECEIVED = 'n';
constexpr uint8_t LPC_BIND_TIMEOUT = 'o';
constexpr uint8_t LPC_BING_RECEIVED = 'p';

// Port types carried in 'S'.
constexpr uint8_t kLpcPortTcp = 1;
constexpr uint8_t kLpcPortUdp = 2;

// Channel ids run 0..254; 255 stands for no channel (and the hub's service
// channel on the server side).
constexpr uint8_t kNoChannel = 255;

// Outcome of decoding one whole message.
enum class LpcDecodeStatus
{
    Ok,
    UnknownLetter, // to be ignored
    TooShort,      // shorter than its letter's fixed part: a protocol error
};

} // namespace HubProto
