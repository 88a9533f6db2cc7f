// The element-list directives of chat pages and messages: the rendered list,
// its counts, the events that add and remove keys and items, and the key and
// item filters. The chat window supplies what lies outside the lists through
// IElementListHost.
#pragma once

#include <cstdint>
#include <string>

#include "ElementLists.h"

namespace ChatModel
{

class IElementListHost
{
public:
    virtual ~IElementListHost() = default;
    // The own nickname without its incident suffix.
    virtual std::string strOwnNickNoIncident() = 0;
    // Sets the member's rank in the group; true when the table changed.
    virtual bool boSetGroupMember(const std::string& group, const std::string& nick, int32_t rank) = 0;
    // Tells the room the own memberships in the group.
    virtual void vAnnounceGroup(const std::string& group) = 0;
    // A raw line added to the message list, without refresh.
    virtual void vAddRawMessage(const std::string& text) = 0;
    virtual std::string strNickMarkup(const std::string& nick, int style) = 0;
    // The attribute text of the plain user entry.
    virtual std::string strPlainUserLinkAttrs() = 0;
    // Cuts the attributes out of the first whole occurrence of the tag in the
    // message history.
    virtual void vCutHistoryTag(const std::string& tagName, const std::string& attributes) = 0;
    // The list's frames are to be reloaded (message 1040).
    virtual void vQueueListChanged(const std::string& list) = 0;
    // The message frame is to be refreshed (message 1039).
    virtual void vRequestMessageRefresh() = 0;
};

class CElementListDirectives
{
public:
    CElementListDirectives(CElementListTable& table, IElementListHost& host) : m_table(table), m_host(host) {}

    std::string strRenderEntry(const std::string& templ, const std::string& list, const std::string& key,
                               const std::string& item, const std::string& linkAttrs, bool userFormat,
                               int nickStyle);
    std::string strWalk(const std::string& list, const ElementNode* node, bool renderSelf);
    std::string strRenderItems(const std::string& list, const std::string& key);
    int iShowEvent(const std::string& list, const std::string& key, const std::string& item,
                   const std::string& event);

    // The directives; `attrs` is the tag's whole attribute text.
    std::string strDynElist(const std::string& attrs);
    std::string strNbItem(const std::string& attrs, const std::string& body);
    std::string strNbKey(const std::string& attrs, const std::string& body);
    // `event` is the tag name's part after "DYNELIST_", as the tag carries it.
    void vEvent(const std::string& event, const std::string& body, const std::string& attrs);
    std::string strKeyFilter(const std::string& attrs, const std::string& body);
    std::string strItemFilter(const std::string& attrs, const std::string& body);
    // The CNFELIST_ settings by the whole tag name (any case); false for a
    // name that is none of them.
    bool boConfigure(const std::string& name, const std::string& attrs, const std::string& body);

private:
    void vApplyLink(const std::string& group, int32_t rank);

    CElementListTable& m_table;
    IElementListHost& m_host;
};

// The text with the attributes cut out of the first whole occurrence of the
// tag ("<" + name, blanks, exactly those attributes, blanks, ">"; the name
// without regard to case). Unchanged when there is none.
std::string strCutTagAttributes(const std::string& text, const std::string& tagName,
                                const std::string& attributes);

} // namespace ChatModel
