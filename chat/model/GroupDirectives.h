// The group directives: group formats and configuration (CNF_GRPBUD_,
// CNF_GRPCONF), the own memberships (CNF_LOCALCONF_GRP, CNF_CUGRP), the
// changes other users announce (DYN_GRP, DYNGRP_) and the membership filter
// (DYN_GRPFILTER). They read the connection and change the group table and
// the history; announcing, messages, refreshes and the stored settings are
// the model's, reached through IGroupDirectiveHost.
#pragma once

#include <cstdint>
#include <string>

#include "ChatState.h"

namespace ChatModel
{

class IGroupDirectiveHost
{
public:
    virtual ~IGroupDirectiveHost() = default;
    // The nick without its incident suffix.
    virtual std::string strNoIncident(const std::string& nick) = 0;
    // True while text from another user is parsed.
    virtual bool boForeignText() = 0;
    // A stored value by the key's full path; the default when missing.
    virtual std::string strReadSetting(const std::string& fullPath, const std::string& name,
                                       const std::string& defaultValue) = 0;
    // Tells the own memberships in the group to the user (empty: the room).
    virtual void vAnnounceGroup(const std::string& to, const std::string& group) = 0;
    // The group notice (message kind 25) added, without refresh.
    virtual void vAddGroupMessage(const std::string& text, const std::string& from,
                                  const std::string& to) = 0;
    // The user list is shown again.
    virtual void vRefreshUsers() = 0;
    // The message frame is to be refreshed (message 1039).
    virtual void vRequestMessageRefresh() = 0;
};

class CGroupDirectives
{
public:
    CGroupDirectives(const ChatConnection& conn, ChatUsers& people, ChatMessages& msgs,
                     IGroupDirectiveHost& host)
        : m_conn(conn), m_people(people), m_msgs(msgs), m_host(host)
    {
    }

    // LISTED 0 ... DYNREMMESS 5; -1 for another word.
    static int iGroupKindOf(const std::string& word);
    void vOnCnfGrpBud(const std::string& suffix, const std::string& body, const std::string& attrs);
    void vOnCnfGrpConf(const std::string& body, const std::string& attrs);
    // Reads local settings: only the chat's own pages may ask.
    void vOnCnfLocalConfGrp(const std::string& attrs);
    void vOnCnfCuGrp(const std::string& attrs);
    void vJoinOwnGroup(const std::string& group, int32_t rank);
    void vOnDynGrp(const std::string& tagName, const std::string& attrs, bool remove);
    std::string strOnDynGrpFilter(const std::string& body, const std::string& attrs);

private:
    const ChatConnection& m_conn;
    ChatUsers& m_people;
    ChatMessages& m_msgs;
    IGroupDirectiveHost& m_host;
};

} // namespace ChatModel
