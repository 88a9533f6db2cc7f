// The protocol side of the chat's IRC/IRCX connection, without a socket: the
// line cutter, the parser that answers pings and raises the events, the room
// list with its users, and the commands. The socket layer (CIrcCnx) feeds it
// received bytes and carries what it writes.
//
// Threads: the reader feeds bytes and the parser raises events on its thread;
// commands come from the owner's thread. The room list and the state are safe
// to use from both; events are raised outside the room list's lock.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "IrcEvents.h"

namespace ChatIrc
{

class CIrcSession
{
public:
    // A pending text without CR LF longer than this ends the connection.
    static constexpr size_t kMaxPendingBytes = 8192;
    // A line on the wire, its CR LF included (the IRC limit).
    static constexpr size_t kMaxLineBytes = 512;
    // Names a room's list keeps from the server's 353 lines; more are dropped.
    static constexpr size_t kMaxRoomNames = 2048;

    enum State
    {
        kClosed = 0,
        kConnected = 1,
        kIrcxReady = 2,
        kNickRefused = 3,
    };

    struct Room
    {
        std::string strName; // as on the wire, IRCX-decoded
        int iState = 0;      // 1 creation sent, 2 names complete
        int iData = 0;
        std::vector<std::string> users;
    };

    CIrcSession() = default;
    virtual ~CIrcSession() = default;
    CIrcSession(const CIrcSession&) = delete;
    CIrcSession& operator=(const CIrcSession&) = delete;

    // Hooks through which a derived connection filters and codes names and
    // texts; the defaults accept everything and change nothing.
    // Every PRIVMSG before its event; false drops it. May rewrite the text.
    virtual bool boAcceptText(const std::string& target, std::string& text);
    // An outgoing PRIVMSG text, rewritten in place.
    virtual void vTextForWire(std::string& text);
    // Every nick taken from a line (leaving for PART and QUIT); false drops it.
    virtual bool boAcceptNick(std::string& nick, bool leaving);
    // The own nick and full name before logon, and a private target.
    virtual void vOwnNickForWire(std::string& text);
    virtual std::string strRoomFromWire(const std::string& room);
    virtual std::string strRoomForWire(const std::string& room);

    // Writes the text; false when not every byte went out.
    bool boSend(const std::string& text);
    // One command line: every CR, LF and NUL taken out (no part of it, a
    // name or a text from elsewhere, can start a second command), cut to
    // the IRC limit, then CR LF.
    bool boSendLine(const std::string& line);
    // The line as boSendLine writes it, CR LF included.
    static std::string strWireLine(const std::string& line);
    // "NICK" and "USER" with both names through the own-nick hook.
    bool boLogon(const std::string& nick, const std::string& fullName);
    // PRIVMSG to the target, or to the current room when it is null.
    bool boSay(const char* lpTarget, const std::string& text);
    // CREATE with the given modes, "h" unless flags bit 2 is set, "k" with a key.
    bool boCreateRoom(const std::string& room, const std::string& modes, const std::string& key,
                      uint32_t flags);
    bool boLeaveRoom(const std::string& room);

    // Received bytes: whole lines are raised and parsed. False when the
    // pending text grew past kMaxPendingBytes without CR LF (the caller closes).
    bool boFeed(const char* lpData, size_t length);
    // One line with its CR LF; true when the parser took it.
    bool boParseLine(const std::string& line);

    void vSetOwner(IIrcEvents* lpOwner) { m_lpOwner.store(lpOwner); }
    IIrcEvents* lpGetOwner() const { return m_lpOwner.load(); }
    int iGetState() const { return m_iState.load(); }
    std::string strGetServerName() const;
    std::string strGetOwnNick() const;
    bool boIsLoggedOn() const { return m_boLoggedOn.load(); }
    uint64_t ulGetReceivedBytes() const { return m_ulReceived.load(); }
    uint64_t ulGetSentBytes() const { return m_ulSent.load(); }
    void vSetNotifyLeaveOnKill(bool boOn) { m_boNotifyLeaveOnKill = boOn; }
    // A copy of the room list, in order.
    std::vector<Room> GetRooms() const;
    bool boGetRoom(const std::string& name, Room& room) const;

protected:
    // The socket layer's write of the whole text; false when not all went out.
    virtual bool boWrite(const std::string& text) = 0;

    void vSetState(int state) { m_iState.store(state); }
    // Empties the room list and clears the server name.
    void vResetSession();
    // Forgets a partial line; only while no reader feeds bytes.
    void vClearPending();

    // Events to the owner, when there is one.
    void vRaiseState(int state);
    void vRaiseLine(const std::string& line);
    void vRaiseUnparsed(const std::string& line);
    void vRaisePrivate(const std::string& from, const std::string& text);
    void vRaiseRoomMessage(const std::string& from, const std::string& text);
    void vRaiseJoined(const std::string& nick, const std::string& room);
    void vRaiseIrcxReady(const std::string& serverName);
    void vRaiseRoomState(const std::string& room, int state);
    void vRaiseKilled(const std::string& room, const std::string& victim, const std::string& killer);
    void vRaiseLeft(const std::string& room, const std::string& nick);
    void vRaiseNumericError(int code);
    void vRaiseServerMessage(int kind, const std::string& text);

private:
    Room* lpFindRoomLocked(const std::string& name);
    bool boParseServerReply(const std::string& body);
    bool boParseUserCommand(const std::string& body);
    void vUserLeaves(const std::string& nick, const std::string& room);

    std::atomic<IIrcEvents*> m_lpOwner{nullptr};
    std::atomic<int> m_iState{kClosed};
    std::atomic<bool> m_boLoggedOn{false};
    std::atomic<uint64_t> m_ulReceived{0};
    std::atomic<uint64_t> m_ulSent{0};
    std::atomic<bool> m_boNotifyLeaveOnKill{false};

    mutable std::mutex m_lock; // rooms, names, the current room
    std::vector<Room> m_rooms;
    std::string m_strServerName;
    std::string m_strOwnNick;
    std::string m_strFullName;
    std::string m_strCurrentRoom;

    std::string m_strPending; // the feeding thread only
};

} // namespace ChatIrc
