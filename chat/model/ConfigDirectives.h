// The configuration directives of the chat's pages (CNF_CNX_, CNF_BUDDY,
// CNF_MESSAGE, CNF_CLR, CNF_LIMITS, CNF_SUBST, CNF_CMD, CNF_TPYRC,
// CNF_LOGONPAGE, CNF_LNK_HTTP, CNF_FCT_BUD, CNF_MENU_TXT, CNF_FLOOD) and the
// authorisation of the command tags. They set the configuration and the
// flood detectors; the connection's nickname scheme and state come from the
// model through IConfigDirectiveHost.
#pragma once

#include <string>

#include "ChatState.h"

namespace ChatIrc
{
class CNickScheme;
}

namespace ChatModel
{

class IConfigDirectiveHost
{
public:
    virtual ~IConfigDirectiveHost() = default;
    // The connection's nickname scheme (codings, accepts, key, prefix).
    virtual ChatIrc::CNickScheme& Scheme() = 0;
    // True while the chat is not connected: commands defined then are
    // trusted, and only then are flood settings taken.
    virtual bool boIsBeforeConnection() = 0;
};

class CConfigDirectives
{
public:
    CConfigDirectives(ChatConfig& cfg, ChatUsers& people, IConfigDirectiveHost& host)
        : m_cfg(cfg), m_people(people), m_host(host)
    {
    }

    void vOnCnfCnx(const std::string& suffix, const std::string& body);
    void vOnCnfBuddy(const std::string& suffix, const std::string& body, const std::string& attrs);
    void vOnCnfMessage(const std::string& suffix, const std::string& body, const std::string& attrs);
    // The message kind of a CNF_MESSAGE_ word (TYPE decides FLOOD); -1 unknown.
    static int iMessageKindOf(const std::string& word, const std::string& attrs);
    void vOnCnfClr(const std::string& suffix, const std::string& attrs);
    void vOnCnfLimits(const std::string& attrs);
    void vOnCnfSubst(const std::string& body, const std::string& attrs);
    void vOnCnfCmd(const std::string& body, const std::string& attrs);
    void vOnCnfTpyrc(const std::string& attrs);
    void vOnCnfLogonPage(const std::string& body, const std::string& attrs);
    void vOnCnfLnkHttp(const std::string& body, const std::string& attrs);
    void vOnCnfFctBud(const std::string& body, const std::string& attrs);
    void vOnCnfMenuTxt(const std::string& id, const std::string& text);
    void vOnCnfFlood(const std::string& attrs);
    // An action tag's CN and CS name a trusted command and carry its identity.
    bool boIsCommandTagAuthorised(const std::string& attrs) const;

private:
    ChatConfig& m_cfg;
    ChatUsers& m_people;
    IConfigDirectiveHost& m_host;
};

} // namespace ChatModel
