// Display directives that build text from the chat's state: the zones'
// texts (DYN_STATUS, DYN_MESSAGES, DYN_BUDDIES, DYN_NB_CONNECTED), the nick
// function links of DYN_FCT_BUDA, the lists of DYN_LIST, the value filters
// of DYN_CONTEXTFILTER and DYN_VARFILTER, and the documents of DYN_INSERTURL.
// The nicks as shown, local files, documents and refreshes are the model's,
// reached through IDisplayDirectiveHost.
#pragma once

#include <string>

#include "ChatState.h"

namespace ChatModel
{

class IDisplayDirectiveHost
{
public:
    virtual ~IDisplayDirectiveHost() = default;
    // The nick as the user list shows it (style 0 plain, 1 selected).
    virtual std::string strNickDisplay(const std::string& nick, int style) = 0;
    // True while text from another user is parsed.
    virtual bool boForeignText() = 0;
    // A local file's whole text; false when it cannot be read.
    virtual bool boReadLocalFile(const std::string& path, std::string& text) = 0;
    // The document of the address for the frame; the text it has at once
    // (empty: nothing inserted).
    virtual std::string strRequestDocument(const std::string& address, const std::string& frame) = 0;
    // The message frame is to be refreshed (message 1039).
    virtual void vRequestMessageRefresh() = 0;
};

class CDisplayDirectives
{
public:
    CDisplayDirectives(const ChatConnection& conn, const ChatConfig& cfg, ChatUsers& people,
                       ChatMessages& msgs, IDisplayDirectiveHost& host)
        : m_conn(conn), m_cfg(cfg), m_people(people), m_msgs(msgs), m_host(host)
    {
    }

    std::string strOnDynStatus();
    std::string strOnDynMessages();
    std::string strOnDynBuddies();
    std::string strOnDynNbConnected(const std::string& body);
    std::string strOnDynFctBuda(const std::string& attributes, const std::string& body);
    // `all`: Ctrl and Alt are down, non-listable entries are listed too.
    std::string strOnDynList(const std::string& attrs, const std::string& body, bool all);
    static std::string strOnDynContextFilter(const std::string& value, const std::string& body,
                                             const std::string& attrs);
    // DYN_INSERTURL: the text of a "file://" address (never for another
    // user's text; "Err : file://" and the path when it cannot be read) or
    // what the host's document request answers for any other address and the frame.
    std::string strOnDynInsertUrl(const std::string& body, const std::string& attrs,
                                  const std::string& frame);

private:
    const ChatConnection& m_conn;
    const ChatConfig& m_cfg;
    ChatUsers& m_people;
    ChatMessages& m_msgs;
    IDisplayDirectiveHost& m_host;
};

} // namespace ChatModel
