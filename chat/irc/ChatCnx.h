// The chat window's connection: the event relay with the chat's nickname
// scheme on the connection's hooks, so every nick, room name and message the
// parser takes or the connection sends passes through the scheme's rules.
#pragma once

#include "EventRelay.h"
#include "NickScheme.h"

namespace ChatIrc
{

class CChatCnx : public CEventRelay, public CNickScheme
{
public:
    CChatCnx() = default;
    // The reader calls the hooks below: it ends before they go.
    ~CChatCnx() override;

    bool boAcceptText(const std::string& target, std::string& text) override;
    void vTextForWire(std::string& text) override;
    bool boAcceptNick(std::string& nick, bool leaving) override;
    void vOwnNickForWire(std::string& text) override;
    std::string strRoomFromWire(const std::string& room) override;
    std::string strRoomForWire(const std::string& room) override;

    CFlaggedNames& FlaggedNames() { return m_flagged; }

private:
    CFlaggedNames m_flagged;
};

} // namespace ChatIrc
