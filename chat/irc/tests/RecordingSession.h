// A session without socket for tests: what it writes and the events it
// raises are kept as text lines.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "IrcSession.h"

namespace ChatIrcTest
{

class CEventLog : public ChatIrc::IIrcEvents
{
public:
    std::vector<std::string> events;
    std::vector<std::string> lines;
    // Called after each event is recorded.
    std::function<void()> onEvent;

    void vAdd(const std::string& e)
    {
        events.push_back(e);
        if (onEvent)
            onEvent();
    }

    void OnLine(const std::string& line, ChatIrc::CIrcSession*) override { lines.push_back(line); }
    void OnUnparsedLine(const std::string& line, ChatIrc::CIrcSession*) override
    {
        vAdd("Unparsed(" + line.substr(0, line.find('\r')) + ")");
    }
    void OnPrivateMessage(const std::string& from, const std::string& text, ChatIrc::CIrcSession*) override
    {
        vAdd("Private(" + from + "," + text + ")");
    }
    void OnRoomMessage(const std::string& from, const std::string& text, ChatIrc::CIrcSession*) override
    {
        vAdd("RoomMessage(" + from + "," + text + ")");
    }
    void OnUserJoined(const std::string& nick, const std::string& room, ChatIrc::CIrcSession*) override
    {
        vAdd("Joined(" + nick + "," + room + ")");
    }
    void OnIrcxReady(const std::string& server, ChatIrc::CIrcSession*) override
    {
        vAdd("IrcxReady(" + server + ")");
    }
    void OnState(int state, ChatIrc::CIrcSession*) override { vAdd("State(" + std::to_string(state) + ")"); }
    void OnRoomState(const std::string& room, int state, ChatIrc::CIrcSession*) override
    {
        vAdd("RoomState(" + room + "," + std::to_string(state) + ")");
    }
    void OnUserKilled(const std::string& room, const std::string& victim, const std::string& killer,
                      const std::string& reason, ChatIrc::CIrcSession*) override
    {
        vAdd("Killed(" + room + "," + victim + "," + killer + "," + reason + ")");
    }
    void OnUserLeft(const std::string& room, const std::string& nick, ChatIrc::CIrcSession*) override
    {
        vAdd("Left(" + room + "," + nick + ")");
    }
    void OnNumericError(int code, const std::string& a, const std::string& b, ChatIrc::CIrcSession*) override
    {
        vAdd("NumericError(" + std::to_string(code) + "," + a + "," + b + ")");
    }
    void OnServerMessage(int kind, const std::string& text, ChatIrc::CIrcSession*) override
    {
        vAdd("ServerMessage(" + std::to_string(kind) + "," + text + ")");
    }
};

class CRecordingSession : public ChatIrc::CIrcSession
{
public:
    std::vector<std::string> written;
    bool boWriteOk = true;

    using ChatIrc::CIrcSession::vSetState;

    // Feeds lines, each given without CR LF.
    void vLines(std::initializer_list<const char*> lines)
    {
        for (const char* l : lines)
        {
            const std::string line = std::string(l) + "\r\n";
            boFeed(line.data(), line.size());
        }
    }

protected:
    bool boWrite(const std::string& text) override
    {
        written.push_back(text);
        return boWriteOk;
    }
};

} // namespace ChatIrcTest
