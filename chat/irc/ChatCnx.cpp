#include "ChatCnx.h"

#include "ChatTextUtil.h"

namespace ChatIrc
{

using ChatText::boEqualNoCase;

CChatCnx::~CChatCnx()
{
    vClose();
}

bool CChatCnx::boAcceptText(const std::string& target, std::string& text)
{
    // A message to the own nick (as given or as on the wire) is private.
    const std::string own = strGetOwnNick();
    std::string ownWire = own;
    CNickScheme::vNickForWire(ownWire);
    const bool isPrivate = !own.empty() && (boEqualNoCase(target, own) || boEqualNoCase(target, ownWire));
    return CNickScheme::boAcceptText(isPrivate, text);
}

void CChatCnx::vTextForWire(std::string& text)
{
    CNickScheme::vTextForWire(text);
}

bool CChatCnx::boAcceptNick(std::string& nick, bool leaving)
{
    return CNickScheme::boAcceptNick(nick, leaving);
}

void CChatCnx::vOwnNickForWire(std::string& text)
{
    CNickScheme::vNickForWire(text);
}

std::string CChatCnx::strRoomFromWire(const std::string& room)
{
    return CNickScheme::strRoomFromWire(room);
}

std::string CChatCnx::strRoomForWire(const std::string& room)
{
    return CNickScheme::strRoomForWire(room);
}

} // namespace ChatIrc
