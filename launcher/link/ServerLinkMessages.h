// The launcher's messages to and from the game server, as text: the
// notifications built from the script's msg_ template, the commands the
// server sends, and which notification codes go to the server and the page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace LudexLink
{

// Lengths travel as four hexadecimal digits: nothing longer can be described.
constexpr size_t kMaxLength = 0xFFFF;
// msg_ begins with this many characters, replaced by the total length; a
// shorter template is refused (so is a msgd too short for a DstId).
constexpr size_t kPlaceholderLength = 4;
// The incoming header: 4 characters not read, then the field length.
constexpr size_t kCommandHeaderLength = 8;
constexpr char kMessageEnd = '0';

enum class EBuildStatus
{
    kOk,
    kTemplateTooShort, // msg_ shorter than its placeholder
    kTooLong,          // the message or its custom part is longer than kMaxLength
};

// Builds the notification of code: msg_ from its fifth character on with each
// "%TP%" replaced by the code ("%.4d"), the total length in front, and with a
// custom text (null: none) its part "%04hx" + "cust=" + text + "0". out is
// left empty unless the status is kOk.
EBuildStatus BuildNotification(const std::string& msgTemplate, int32_t code, const std::string* custom,
                               std::string& out);

enum class ECommandStatus
{
    kOk,
    kNoData,     // no message at all
    kBadEnd,     // the last byte is not '0'
    kTooShort,   // shorter than the header and its end
    kBadLength,  // the field length is not four hexadecimal digits
    kZeroLength, // the field length is 0
    kPastEnd,    // the field runs past the message's end character
    kNoEquals,   // the field has no '='
};

struct SServerCommand
{
    ECommandStatus status = ECommandStatus::kNoData;
    std::string name;  // before the first '='
    std::string value; // after it
};

// Reads one incoming message (bytes as the channel got them). Every length is
// checked against the message before anything is read.
SServerCommand ReadServerCommand(const uint8_t* data, size_t length);
// "cmd" and "ac", in any case, carry a command for the launch part.
bool IsCommandName(const std::string& name);

struct SRoute
{
    bool toServer;
    bool toPage;
};
// Where a notification code goes: 0-4 and 1001-1004 to the server and the
// page, 102 and 2000 to the server only, every other code nowhere.
SRoute RouteOf(int32_t code);

} // namespace LudexLink
