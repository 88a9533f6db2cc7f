// Server bytes into the line cutter and parser, with the chat's nickname
// scheme on its hooks; the first byte picks the scheme's rules.
#include <cstddef>
#include <cstdint>
#include <string>

#include "IrcSession.h"
#include "NickScheme.h"

namespace
{

class CFuzzSession : public ChatIrc::CIrcSession
{
public:
    ChatIrc::CNickScheme scheme;
    bool boAcceptText(const std::string&, std::string& text) override
    {
        return scheme.boAcceptText(false, text);
    }
    bool boAcceptNick(std::string& nick, bool leaving) override { return scheme.boAcceptNick(nick, leaving); }
    std::string strRoomFromWire(const std::string& room) override { return scheme.strRoomFromWire(room); }
    std::string strRoomForWire(const std::string& room) override { return scheme.strRoomForWire(room); }

protected:
    bool boWrite(const std::string&) override { return true; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0 || size > 1u << 16)
        return 0;
    CFuzzSession s;
    s.scheme.vSetNickAccept(data[0] & 3);
    s.scheme.vSetReceiveAccept((data[0] >> 2) & 3);
    s.scheme.vSetRoomCoding((data[0] >> 4) & 1);
    s.scheme.vSetNickPrefix((data[0] & 0x20) ? "x_" : "");
    s.scheme.vSetSecondMark("]");
    s.scheme.vSetSecondSet("ab");
    s.boLogon("me", "me");
    s.boCreateRoom("#r", "n", "", 0);
    // Fed in two reads so that lines cross a read boundary.
    const size_t half = (size - 1) / 2;
    const char* bytes = reinterpret_cast<const char*>(data + 1);
    if (s.boFeed(bytes, half))
        s.boFeed(bytes + half, size - 1 - half);
    s.GetRooms();
    return 0;
}
