// The twelve events of an IRC connection, in slot order. Every operation gets
// the raising connection last. Texts are borrowed for the call only.
#pragma once

#include <string>

namespace ChatIrc
{

class CIrcSession;

class IIrcEvents
{
public:
    virtual ~IIrcEvents() = default;
    // Every received line, CR LF included, before parsing.
    virtual void OnLine(const std::string& line, CIrcSession* lpCnx) = 0;
    // A line the parser did not take.
    virtual void OnUnparsedLine(const std::string& line, CIrcSession* lpCnx) = 0;
    virtual void OnPrivateMessage(const std::string& from, const std::string& text, CIrcSession* lpCnx) = 0;
    virtual void OnRoomMessage(const std::string& from, const std::string& text, CIrcSession* lpCnx) = 0;
    virtual void OnUserJoined(const std::string& nick, const std::string& room, CIrcSession* lpCnx) = 0;
    virtual void OnIrcxReady(const std::string& serverName, CIrcSession* lpCnx) = 0;
    // 1 connected, 2 IRCX confirmed, 3 nick refused, 0 closed.
    virtual void OnState(int state, CIrcSession* lpCnx) = 0;
    // 1 creation sent, 2 names complete.
    virtual void OnRoomState(const std::string& room, int state, CIrcSession* lpCnx) = 0;
    virtual void OnUserKilled(const std::string& room, const std::string& victim, const std::string& killer,
                              const std::string& reason, CIrcSession* lpCnx) = 0;
    virtual void OnUserLeft(const std::string& room, const std::string& nick, CIrcSession* lpCnx) = 0;
    virtual void OnNumericError(int code, const std::string& text1, const std::string& text2,
                                CIrcSession* lpCnx) = 0;
    // Kind 2: message-of-the-day lines.
    virtual void OnServerMessage(int kind, const std::string& text, CIrcSession* lpCnx) = 0;
};

} // namespace ChatIrc
