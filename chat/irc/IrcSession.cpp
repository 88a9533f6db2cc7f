#include "IrcSession.h"

#include <algorithm>

#include "IrcNames.h"
#include "ChatTextUtil.h"

namespace ChatIrc
{

using ChatText::boEqualNoCase;
using ChatText::boStartsNoCase;

namespace
{

const char kCrLf[] = "\r\n";

std::string strWithoutLineEnd(std::string text)
{
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
        text.pop_back();
    return text;
}

// A room argument: the first word, without a leading ':' or line ends.
std::string strRoomArgument(const std::string& args)
{
    std::string room = strWithoutLineEnd(args);
    if (!room.empty() && room[0] == ':')
        room.erase(0, 1);
    const size_t end = room.find_first_of(" \t");
    if (end != std::string::npos)
        room.resize(end);
    return room;
}

// The number of up to three leading characters, as atoi reads them.
int iCode(const std::string& text)
{
    int code = 0;
    for (size_t i = 0; i < text.size() && i < 3 && text[i] >= '0' && text[i] <= '9'; ++i)
        code = code * 10 + (text[i] - '0');
    return code;
}

bool boHolds(const std::vector<std::string>& users, const std::string& nick)
{
    for (const std::string& u : users)
        if (boEqualNoCase(u, nick))
            return true;
    return false;
}

bool boRemoveUser(std::vector<std::string>& users, const std::string& nick)
{
    for (auto it = users.begin(); it != users.end(); ++it)
        if (boEqualNoCase(*it, nick))
        {
            users.erase(it);
            return true;
        }
    return false;
}

} // namespace

bool CIrcSession::boAcceptText(const std::string&, std::string&)
{
    return true;
}

void CIrcSession::vTextForWire(std::string&) {}

bool CIrcSession::boAcceptNick(std::string&, bool)
{
    return true;
}

void CIrcSession::vOwnNickForWire(std::string&) {}

std::string CIrcSession::strRoomFromWire(const std::string& room)
{
    return room;
}

std::string CIrcSession::strRoomForWire(const std::string& room)
{
    return room;
}

bool CIrcSession::boSend(const std::string& text)
{
    m_ulSent += text.size();
    return boWrite(text);
}

std::string CIrcSession::strWireLine(const std::string& line)
{
    std::string out;
    out.reserve(line.size() + 2);
    for (char c : line)
        if (c != '\r' && c != '\n' && c != '\0')
            out += c;
    if (out.size() > kMaxLineBytes - 2)
        out.resize(kMaxLineBytes - 2);
    return out + kCrLf;
}

bool CIrcSession::boSendLine(const std::string& line)
{
    return boSend(strWireLine(line));
}

bool CIrcSession::boLogon(const std::string& nick, const std::string& fullName)
{
    if (nick.empty() || fullName.empty())
        return false;
    std::string wireNick = nick;
    std::string wireName = fullName;
    vOwnNickForWire(wireNick);
    vOwnNickForWire(wireName);
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_strOwnNick = nick;
        m_strFullName = fullName;
    }
    const std::string coded = strIrcxEncode(wireNick);
    boSendLine("NICK " + coded);
    m_boLoggedOn = true;
    return boSendLine("USER " + coded + " . . :" + wireName);
}

bool CIrcSession::boSay(const char* lpTarget, const std::string& text)
{
    std::string target;
    if (lpTarget)
        target = lpTarget;
    else
    {
        std::lock_guard<std::mutex> lock(m_lock);
        target = m_strCurrentRoom;
    }
    if (target.empty() || text.empty())
        return false;
    if (target[0] == '#')
        target = strRoomForWire(target);
    else
        vOwnNickForWire(target);
    std::string wireText = text;
    vTextForWire(wireText);
    return boSendLine("PRIVMSG " + strIrcxEncode(target) + " :" + wireText);
}

bool CIrcSession::boCreateRoom(const std::string& room, const std::string& modes, const std::string& key,
                               uint32_t flags)
{
    if (room.empty())
        return false;
    const std::string wire = strRoomForWire(room);
    std::string modeText = modes;
    if ((flags & 2) == 0)
        modeText += 'h';
    if (!key.empty() && modes.find('k') == std::string::npos)
        modeText += 'k';
    {
        std::lock_guard<std::mutex> lock(m_lock);
        Room* existing = lpFindRoomLocked(wire);
        if (existing)
        {
            existing->iState = 1;
            existing->users.clear();
        }
        else
        {
            Room record;
            record.strName = wire;
            record.iState = 1;
            m_rooms.push_back(record);
        }
        m_strCurrentRoom = room;
    }
    std::string line = "CREATE " + strIrcxEncode(wire) + " " + modeText;
    if (!key.empty())
        line += " " + key;
    const bool sent = boSendLine(line);
    vRaiseRoomState(room, 1);
    return sent;
}

bool CIrcSession::boLeaveRoom(const std::string& room)
{
    if (room.empty())
        return false;
    return boSendLine("PART " + strIrcxEncode(strRoomForWire(room)));
}

bool CIrcSession::boFeed(const char* lpData, size_t length)
{
    m_strPending.append(lpData, length);
    size_t start = 0;
    for (;;)
    {
        const size_t end = m_strPending.find(kCrLf, start);
        if (end == std::string::npos)
            break;
        const std::string line = m_strPending.substr(start, end + 2 - start);
        start = end + 2;
        vRaiseLine(line);
        if (!boParseLine(line))
            vRaiseUnparsed(line);
    }
    m_strPending.erase(0, start);
    return m_strPending.size() <= kMaxPendingBytes;
}

bool CIrcSession::boParseLine(const std::string& line)
{
    m_ulReceived += line.size();
    const std::string body = strWithoutLineEnd(line);
    const std::string serverName = strGetServerName();

    // Once the server has confirmed IRCX, every ping is answered.
    if (line.size() >= 6 && boStartsNoCase(line, "PING") && !serverName.empty())
    {
        const std::string argument = body.size() > 5 ? body.substr(5) : std::string();
        boSendLine("PONG " + strGetOwnNick() + " " + argument);
        return true;
    }

    const size_t blank = body.find(' ');
    if (serverName.empty() && blank != std::string::npos)
    {
        const std::string prefix = body.substr(0, blank);
        const std::string rest = body.substr(blank + 1);
        const int code = iCode(rest);
        if (code == 800)
        {
            {
                std::lock_guard<std::mutex> lock(m_lock);
                m_strServerName = prefix;
            }
            vSetState(kIrcxReady);
            vRaiseIrcxReady(prefix);
            vRaiseState(kIrcxReady);
            return true;
        }
        vRaiseNumericError(code);
    }

    if (blank != std::string::npos && body.compare(blank + 1, 4, "KILL") == 0)
    {
        std::string killer = body.substr(0, blank);
        if (!killer.empty() && killer[0] == ':')
            killer.erase(0, 1);
        killer = strIrcxDecode(killer.substr(0, killer.find('!')));
        const size_t from = blank + 1 + 5;
        std::string victim = from < body.size() ? body.substr(from) : std::string();
        victim = strIrcxDecode(victim.substr(0, victim.find(" :")));
        boAcceptNick(killer, false);
        if (!boAcceptNick(victim, false))
            return true;
        std::vector<std::string> rooms;
        {
            std::lock_guard<std::mutex> lock(m_lock);
            for (Room& r : m_rooms)
                if (r.iState == 2)
                {
                    boRemoveUser(r.users, victim);
                    rooms.push_back(r.strName);
                }
        }
        for (const std::string& r : rooms)
        {
            const std::string shown = strRoomFromWire(r);
            vRaiseKilled(shown, victim, killer);
            if (m_boNotifyLeaveOnKill)
                vRaiseLeft(shown, victim);
        }
        return true;
    }

    // The server's own replies: its name and a blank.
    if (!serverName.empty() && body.size() > serverName.size() &&
        body.compare(0, serverName.size(), serverName) == 0 && body[serverName.size()] == ' ')
        return boParseServerReply(body.substr(serverName.size() + 1));

    if (!body.empty() && body[0] == ':' && blank != std::string::npos && body.find('!') < blank)
        return boParseUserCommand(body);
    return false;
}

bool CIrcSession::boParseServerReply(const std::string& rest)
{
    const std::string code = rest.substr(0, 3);
    const std::string text = rest.size() > 4 ? rest.substr(4) : std::string();
    if (code == "372" || code == "375" || code == "376")
        vRaiseServerMessage(2, text);
    else if (code == "433")
    {
        vSetState(kNickRefused);
        vRaiseNumericError(433);
        vRaiseState(kNickRefused);
    }
    else if (code == "353")
    {
        const size_t colon = text.find(" :");
        if (colon == std::string::npos)
            return true;
        const std::string head = text.substr(0, colon);
        size_t at = head.find("@ ");
        if (at == std::string::npos)
            at = head.find("= ");
        if (at == std::string::npos)
            at = head.find("* ");
        if (at == std::string::npos)
            return true;
        const std::string room = strIrcxDecode(head.substr(at + 2));
        std::vector<std::string> names;
        const std::string list = text.substr(colon + 2);
        size_t pos = 0;
        while (pos < list.size())
        {
            size_t end = list.find(' ', pos);
            if (end == std::string::npos)
                end = list.size();
            std::string name = list.substr(pos, end - pos);
            pos = end + 1;
            // Channel status marks are not part of a nick.
            if (!name.empty() && (name[0] == '.' || name[0] == '@' || name[0] == '+'))
                name.erase(0, 1);
            if (name.empty())
                continue;
            name = strIrcxDecode(name);
            if (boAcceptNick(name, false))
                names.push_back(name);
        }
        std::lock_guard<std::mutex> lock(m_lock);
        Room* r = lpFindRoomLocked(room);
        if (r)
            for (const std::string& n : names)
                if (r->users.size() < kMaxRoomNames && !boHolds(r->users, n))
                    r->users.push_back(n);
    }
    else if (code == "366")
    {
        const size_t blank = text.find(' ');
        if (blank == std::string::npos)
            return true;
        std::string room = text.substr(blank + 1);
        room = strIrcxDecode(room.substr(0, room.find(" :")));
        std::vector<std::string> users;
        {
            std::lock_guard<std::mutex> lock(m_lock);
            Room* r = lpFindRoomLocked(room);
            if (!r)
                return true;
            r->iState = 2;
            users = r->users;
        }
        const std::string shown = strRoomFromWire(room);
        vRaiseRoomState(shown, 2);
        // The list holds nicks the hook accepted (and rewrote) as they came:
        // a second pass would refuse a nick stripped of its prefix.
        for (const std::string& u : users)
            vRaiseJoined(u, shown);
    }
    return true;
}

bool CIrcSession::boParseUserCommand(const std::string& body)
{
    const size_t bang = body.find('!');
    std::string nick = strIrcxDecode(body.substr(1, bang - 1));
    const size_t blank = body.find(' ');
    std::string command = body.substr(blank + 1);
    std::string args;
    const size_t cmdEnd = command.find(' ');
    if (cmdEnd != std::string::npos)
    {
        args = command.substr(cmdEnd + 1);
        command.resize(cmdEnd);
    }

    if (command == "PRIVMSG")
    {
        const size_t end = args.find(' ');
        std::string target = args.substr(0, end);
        std::string text = end == std::string::npos ? std::string() : args.substr(end + 1);
        if (!text.empty() && text[0] == ':')
            text.erase(0, 1);
        if (!boAcceptNick(nick, false))
            return true;
        target = strIrcxDecode(target);
        if (!boAcceptText(target, text))
            return true;
        bool isRoom;
        {
            std::lock_guard<std::mutex> lock(m_lock);
            isRoom = lpFindRoomLocked(target) != nullptr;
        }
        if (isRoom)
            vRaiseRoomMessage(nick, text);
        else
            vRaisePrivate(nick, text);
    }
    else if (command == "JOIN")
    {
        const std::string room = strIrcxDecode(strRoomArgument(args));
        {
            std::lock_guard<std::mutex> lock(m_lock);
            Room* r = lpFindRoomLocked(room);
            if (!r || r->iState != 2)
                return true;
        }
        if (!boAcceptNick(nick, false))
            return true;
        {
            std::lock_guard<std::mutex> lock(m_lock);
            Room* r = lpFindRoomLocked(room);
            if (!r || r->iState != 2)
                return true;
            if (r->users.size() >= kMaxRoomNames)
                return true;
            if (!boHolds(r->users, nick))
                r->users.push_back(nick);
        }
        vRaiseJoined(nick, strRoomFromWire(room));
    }
    else if (command == "PART")
    {
        const std::string room = strIrcxDecode(strRoomArgument(args));
        if (!boAcceptNick(nick, true))
            return true;
        vUserLeaves(nick, room);
    }
    else if (command == "QUIT")
    {
        // Whatever the reason, the user is gone from every room; a server
        // that sent PART first has left nothing to do here.
        if (!boAcceptNick(nick, true))
            return true;
        std::vector<std::string> rooms;
        {
            std::lock_guard<std::mutex> lock(m_lock);
            for (const Room& r : m_rooms)
                if (boHolds(r.users, nick))
                    rooms.push_back(r.strName);
        }
        for (const std::string& r : rooms)
            vUserLeaves(nick, r);
    }
    return true;
}

void CIrcSession::vUserLeaves(const std::string& nick, const std::string& room)
{
    bool wasJoined = false;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        for (auto it = m_rooms.begin(); it != m_rooms.end(); ++it)
        {
            if (!boEqualNoCase(it->strName, room))
                continue;
            wasJoined = it->iState == 2;
            if (boEqualNoCase(nick, m_strOwnNick))
                m_rooms.erase(it);
            else if (!boRemoveUser(it->users, nick))
                wasJoined = false; // not listed: nothing left
            break;
        }
    }
    if (wasJoined)
        vRaiseLeft(strRoomFromWire(room), nick);
}

std::string CIrcSession::strGetServerName() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_strServerName;
}

std::string CIrcSession::strGetOwnNick() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_strOwnNick;
}

std::vector<CIrcSession::Room> CIrcSession::GetRooms() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_rooms;
}

bool CIrcSession::boGetRoom(const std::string& name, Room& room) const
{
    std::lock_guard<std::mutex> lock(m_lock);
    for (const Room& r : m_rooms)
        if (boEqualNoCase(r.strName, name))
        {
            room = r;
            return true;
        }
    return false;
}

void CIrcSession::vResetSession()
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_rooms.clear();
    m_strServerName.clear();
}

void CIrcSession::vClearPending()
{
    m_strPending.clear();
}

CIrcSession::Room* CIrcSession::lpFindRoomLocked(const std::string& name)
{
    for (Room& r : m_rooms)
        if (boEqualNoCase(r.strName, name))
            return &r;
    return nullptr;
}

#define FD_RAISE(call)                                                                                       \
    do                                                                                                       \
    {                                                                                                        \
        IIrcEvents* lpOwner = m_lpOwner;                                                                     \
        if (lpOwner)                                                                                         \
            lpOwner->call;                                                                                   \
    } while (0)

void CIrcSession::vRaiseState(int state)
{
    FD_RAISE(OnState(state, this));
}
void CIrcSession::vRaiseLine(const std::string& line)
{
    FD_RAISE(OnLine(line, this));
}
void CIrcSession::vRaiseUnparsed(const std::string& line)
{
    FD_RAISE(OnUnparsedLine(line, this));
}
void CIrcSession::vRaisePrivate(const std::string& from, const std::string& text)
{
    FD_RAISE(OnPrivateMessage(from, text, this));
}
void CIrcSession::vRaiseRoomMessage(const std::string& from, const std::string& text)
{
    FD_RAISE(OnRoomMessage(from, text, this));
}
void CIrcSession::vRaiseJoined(const std::string& nick, const std::string& room)
{
    FD_RAISE(OnUserJoined(nick, room, this));
}
void CIrcSession::vRaiseIrcxReady(const std::string& serverName)
{
    FD_RAISE(OnIrcxReady(serverName, this));
}
void CIrcSession::vRaiseRoomState(const std::string& room, int state)
{
    FD_RAISE(OnRoomState(room, state, this));
}
void CIrcSession::vRaiseKilled(const std::string& room, const std::string& victim, const std::string& killer)
{
    FD_RAISE(OnUserKilled(room, victim, killer, std::string(), this));
}
void CIrcSession::vRaiseLeft(const std::string& room, const std::string& nick)
{
    FD_RAISE(OnUserLeft(room, nick, this));
}
void CIrcSession::vRaiseNumericError(int code)
{
    FD_RAISE(OnNumericError(code, std::string(), std::string(), this));
}
void CIrcSession::vRaiseServerMessage(int kind, const std::string& text)
{
    FD_RAISE(OnServerMessage(kind, text, this));
}

#undef FD_RAISE

} // namespace ChatIrc
