// The action directives of the chat's pages: page variables (ACT_SETVAR),
// the page's fields or group listings sent as a message (ACT_SND, DYN_SND),
// a field written (ACT_SETFLD) and frames navigated through the queue or the
// browser (ACT_NAV, DYN_NAV). Each action but ACT_SETVAR is authorised by a
// signed text or a trusted command's identity. Sending, variables, the
// view's fields and frames and the navigation are the model's, reached
// through IActionDirectiveHost.
#pragma once

#include <string>

#include "ChatState.h"
#include "ConfigDirectives.h"

namespace ChatModel
{

class IActionDirectiveHost
{
public:
    virtual ~IActionDirectiveHost() = default;
    // How received texts are accepted (the nickname scheme's setting).
    virtual int iReceiveAccept() = 0;
    virtual std::string strExpandVars(const std::string& text) = 0;
    // The nick without its incident suffix.
    virtual std::string strNoIncident(const std::string& nick) = 0;
    // A form field's value (HTML-encoded unless noFormat) and type; the type
    // is left as it is when the page has no such field.
    virtual std::string strGetFieldValue(const std::string& name, std::string& type, bool noFormat) = 0;
    virtual void vSetFieldValue(const std::string& name, const std::string& value) = 0;
    // Sends the text to the user (privately) or the room (to empty), not
    // shown; `multiPart`: cut into multi-part pieces when it is too long.
    virtual void vSendMessage(const std::string& text, const std::string& to, bool multiPart) = 0;
    // Whether the view has the frame (false without a view).
    virtual bool boHasFrame(const std::string& name) = 0;
    virtual std::string strResolveAddress(const std::string& address) = 0;
    // Message 1041: carry out the queued navigations.
    virtual void vPostNavigate() = 0;
    // The address, its variables expanded, to the browser's frame.
    virtual void vNavigateExpanded(const std::string& url, const std::string& target) = 0;
};

class CActionDirectives
{
public:
    CActionDirectives(const ChatConnection& conn, const ChatConfig& cfg, ChatPageParams& page,
                      ChatMessages& msgs, const ChatUsers& people, const CConfigDirectives& config,
                      IActionDirectiveHost& host)
        : m_conn(conn), m_cfg(cfg), m_page(page), m_msgs(msgs), m_people(people), m_config(config),
          m_host(host)
    {
    }

    // OP: ADD appends; +n, -n, *n, /n compute on the integer body; a division
    // without a quotient (by 0, or INT_MIN by -1) leaves the variable alone.
    void vOnActSetVar(const std::string& body, const std::string& attrs);
    // Sends the page's fields or a group listing as a message (ACT_SND, DYN_SND).
    void vOnActSnd(const std::string& tagName, const std::string& body, const std::string& attrs);
    // Writes the body into a form field (ACT_SETFLD).
    void vOnActSetFld(const std::string& body, const std::string& attrs);
    // Navigates a frame through the queue or the browser (ACT_NAV, DYN_NAV).
    void vOnActNav(const std::string& tagName, const std::string& body, const std::string& attrs);

private:
    const ChatConnection& m_conn;
    const ChatConfig& m_cfg;
    ChatPageParams& m_page;
    ChatMessages& m_msgs;
    const ChatUsers& m_people;
    const CConfigDirectives& m_config;
    IActionDirectiveHost& m_host;
};

} // namespace ChatModel
