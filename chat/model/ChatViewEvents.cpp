// The view's events as the chat answers them: link words, the user and
// message menus, hovered links, submitted forms and created controls, the
// logon, the nick functions, copying to the clipboard, the documents the
// view cannot load itself, the scroll bar's slots, the window's command
// routing and the connection start gate (timer 666); the form fields as the
// directives read and write them, and the message-format switches.
#include <cmath>
#include <cstdio>

#include "ChatMarkup.h"
#include "ChatModel.h"
#include "ChatTextUtil.h"
#include "HtmlAttr.h"
#include "HtmlElements.h"
#include "html/doc/HtmlText.h"
#include "MessageFormats.h"
#include "NickScheme.h"

namespace ChatModel
{

using ChatText::boEqualNoCase;
using ChatText::boStartsNoCase;

namespace
{

const char* const kTempLogon = "@@TempLogon@@";
// A link of another user's message that may go to the browser (see
// strDisarmForeignLinks); nothing in it is expanded.
const char* const kForeignLink = "@EXTLNK@";

std::string strLower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

bool boStartsWith(const std::string& text, const char* word)
{
    return text.compare(0, std::char_traits<char>::length(word), word) == 0;
}

long lDecimal(const std::string& text)
{
    return static_cast<long>(HtmlAtoi(text));
}

bool boBrowserScheme(const std::string& address)
{
    const std::string a = HtmlTrimLeft(address);
    return boStartsNoCase(a, "http://") || boStartsNoCase(a, "https://") || boStartsNoCase(a, "mailto:");
}

// Printable ASCII without quotes, angle brackets or blanks: an address that
// stays one attribute value whatever reads it.
bool boPlainAddress(const std::string& address)
{
    for (char c : address)
        if (c <= ' ' || c >= 0x7F || c == '"' || c == '\'' || c == '<' || c == '>')
            return false;
    return !address.empty();
}

} // namespace

// ---------------------------------------------------------------- links

int32_t CChatModel::OnLinkClick(std::string address, std::string target, CHtmlObject* sender)
{
    if (boStartsWith(address, kForeignLink))
    {
        // Another user's link: never expanded, only to the browser.
        const std::string url = address.substr(std::char_traits<char>::length(kForeignLink));
        if (m_lpInstance && boBrowserScheme(url))
            m_lpInstance->boGetUrl(url, "_blank");
        return 0;
    }
    if (boStartsWith(address, "@BLS@"))
    {
        const std::string nick = address.substr(5);
        conn.strSelected = nick == conn.strSelected ? std::string() : nick;
        vRefreshZone(kZoneUsers);
    }
    else if (boStartsWith(address, "@BUD@"))
    {
        const std::string rest = address.substr(5);
        const size_t at = rest.find('@');
        if (at == std::string::npos)
            vUserMenu(rest, -1);
        else
            vUserMenu(rest.substr(at + 1), lDecimal(rest.substr(0, at)));
    }
    else if (boStartsWith(address, "@MESS@"))
        vMessageMenu(lDecimal(address.substr(6)));
    else if (boStartsWith(address, "@FCT@"))
        vRunNickFunctionByName(address.substr(5));
    else if (boStartsWith(address, "@CMD@"))
    {
        std::string command = address.substr(5);
        if (boOnActExecCmd(command) && !cfg.boNoHtml)
            vAddMessage(command, std::string(), std::string(), -1, true);
    }
    else if (boStartsWith(address, "@SUBSTCMD@"))
    {
        std::string command = address.substr(10);
        if (boOnActExecCmd(command) && !cfg.boNoHtml)
            vAddMessage(strExpandVars(command, true), std::string(), std::string(), -1, true);
    }
    else if (boStartsWith(address, "@ELISTTOGGLE@"))
        boOnElistToggle(address.substr(13));
    else if (boStartsWith(address, "@HSND@"))
        vSendChat(strExpandVars(address.substr(6)), false, true, std::string());
    else if (boStartsWith(address, "@MSGF@"))
        vOnDynMessFormat(address.substr(6), 0);
    else if (boEqualNoCase(address, "CHAT_TALK") || boEqualNoCase(address, "CHAT_WHISPER"))
    {
        vOfferTalk(boEqualNoCase(address, "CHAT_WHISPER"));
    }
    else if (boEqualNoCase(address, "CHAT_LOGON"))
        boLogon();
    else if (boEqualNoCase(address, "@GRPFORM@"))
    {
        // The page's image button has taken the click first: its state gives the switch.
        cfg.boGroupForm = !m_lpView || m_lpView->iImageState("@GRPFORM@") == 0;
        m_settings.boWrite("grpf", cfg.boGroupForm ? "1" : "0");
        vPostRefresh();
    }
    else
    {
        if (m_lpScrollBarEvents && m_lpScrollBarEvents->OnLinkClick(address, target, sender) == 0)
            return 0;
        if (!target.empty() && m_lpView && m_lpView->boHasFrame(target))
            m_lpView->vLoad(strExpandVars(address), target);
        else
            vNavigateExpanded(address, target);
    }
    return 0;
}

int32_t CChatModel::OnLinkMenu(std::string address, std::string, CHtmlObject*)
{
    if (boStartsWith(address, "@BUD@"))
    {
        const std::string rest = address.substr(5);
        const size_t at = rest.find('@');
        if (at == std::string::npos)
            vUserMenu(rest, -1);
        else
            vUserMenu(rest.substr(at + 1), lDecimal(rest.substr(0, at)));
    }
    else if (boStartsWith(address, "@BLS@"))
        vUserMenu(address.substr(5), -1);
    else if (boStartsWith(address, "@MESS@"))
        vMessageMenu(lDecimal(address.substr(6)));
    return 0;
}

void CChatModel::OnLinkHover(const std::string&, CTag*, int32_t state, CHtmlObject*)
{
    m_lpHost->vLinkCursor(state == 1, cfg.boHandCursor);
}

int32_t CChatModel::OnSubmit(CTagINPUT* input, CHtmlObject*)
{
    if (!input)
        return 0;
    const FormControlDesc& d = input->GetDesc();
    if (boEqualNoCase(d.name, "CHAT_TALK") || boEqualNoCase(d.name, "CHAT_WHISPER"))
    {
        vOfferTalk(boEqualNoCase(d.name, "CHAT_WHISPER"));
        return 1;
    }
    if (boEqualNoCase(d.name, "CHAT_LOGON"))
    {
        boLogon();
        return 1;
    }
    if (boEqualNoCase(d.type, "SUBMIT"))
        OnLinkClick(d.name, std::string(), nullptr);
    return 0;
}

void CChatModel::OnControlCreated(CTagINPUT* input, CHtmlObject*)
{
    if (!input || !conn.boRememberLogin || !m_lpView || !boEqualNoCase(input->GetDesc().name, "CFLD_LOGIN"))
        return;
    const std::string last = m_settings.strRead("LastLogin", std::string());
    if (last.empty())
        return;
    IChatView::Field field;
    field.strType = "TEXT";
    field.strValue = last;
    m_lpView->vSetField(input->GetDesc().name, field);
}

// ---------------------------------------------------------------- menus

int32_t CChatModel::iMenuRise(size_t items)
{
    return static_cast<int32_t>(static_cast<double>(items) * 18.1);
}

void CChatModel::vUserMenu(const std::string& nick, long)
{
    if (nick.empty())
        return;
    std::vector<MenuItem> items;
    const std::string plain = strNoIncident(nick);
    const std::string self = strNoIncident(conn.strNick);
    const auto inGroups = [&](const NickFunction& f, const std::vector<std::string>& names)
    {
        for (const std::string& g : names)
        {
            int32_t rank = 0;
            if (people.groups.boMemberValue(g, plain, &rank) && rank > f.iGtRank && rank < f.iLtRank)
                return true;
        }
        return false;
    };
    for (size_t i = 0; i < cfg.nickFunctions.size() && i < 200; ++i)
    {
        const NickFunction& f = cfg.nickFunctions[i];
        if (f.strName.empty())
            continue;
        if ((f.boExcludeMe && plain == self) || (f.boOnlyMe && plain != self))
            continue;
        if (inGroups(f, f.excludeGroups))
            continue;
        if (!f.onlyGroups.empty() && !inGroups(f, f.onlyGroups))
            continue;
        MenuItem item;
        item.strText = strReplaceAll(strReplaceAll(f.strName, "%bud%", nick), "%room%", conn.strRoom);
        item.iId = kCmdNickFunction + static_cast<int32_t>(i);
        items.push_back(item);
    }
    const bool whisperShown =
        !cfg.menuTexts[1].empty() && (!cfg.boHideDefaultWhisper || cfg.menuTexts[1] != "Whisper");
    if (whisperShown)
    {
        MenuItem item;
        item.iId = kCmdWhisper;
        if (lFindUser(nick) >= 0)
            item.strText = cfg.menuTexts[1];
        else
        {
            item.strText =
                strReplaceAll(strReplaceAll(cfg.menuTexts[2], "%bud%", nick), "%room%", conn.strRoom);
            item.boGrayed = true;
        }
        if (!item.strText.empty())
        {
            if (!items.empty())
            {
                MenuItem separator;
                separator.boSeparator = true;
                items.push_back(separator);
            }
            items.push_back(item);
        }
    }
    conn.strSelected = nick;
    vRefreshZone(kZoneUsers);
    if (!items.empty())
        m_lpHost->vTrackMenu(items, iMenuRise(items.size()));
}

void CChatModel::vMessageMenu(long message)
{
    std::vector<MenuItem> items;
    if (message == -1)
    {
        items.push_back(MenuItem{cfg.menuTexts[4], kCmdCopyAll});
        items.push_back(MenuItem{cfg.menuTexts[5], kCmdClearAll});
    }
    else if (message >= 0 && message <= 19999 - kCmdCopyMessage)
        items.push_back(MenuItem{cfg.menuTexts[3], kCmdCopyMessage + static_cast<int32_t>(message)});
    else
        return;
    m_lpHost->vTrackMenu(items, iMenuRise(items.size()));
}

bool CChatModel::boOnCommand(int32_t id)
{
    if (id == kCmdWhisper)
    {
        vOfferTalk(true);
        return true;
    }
    if (id >= kCmdCopyMessage && id <= 19999)
    {
        vCopyMessage(id - kCmdCopyMessage);
        return true;
    }
    if (id >= kCmdNickFunction && id <= 1199)
    {
        vRunNickFunction(id - kCmdNickFunction);
        return true;
    }
    if (id == kCmdCopyAll)
    {
        m_lpHost->vSetClipboard(strMarkupToText(msgs.strHistory));
        return true;
    }
    if (id == kCmdClearAll)
    {
        vOnActClr();
        vPostRefresh();
        return true;
    }
    return false;
}

// ---------------------------------------------------------------- nick functions, clipboard

void CChatModel::vRunNickFunctionByName(const std::string& name)
{
    for (size_t i = 0; i < cfg.nickFunctions.size(); ++i)
        if (boEqualNoCase(cfg.nickFunctions[i].strName, name))
        {
            vRunNickFunction(static_cast<long>(i));
            return;
        }
}

void CChatModel::vRunNickFunction(long index)
{
    if (conn.strSelected.empty())
    {
        vAddMessage(std::string(), conn.strIrcNick, std::string(), 20, true);
        return;
    }
    if (index < 0 || static_cast<size_t>(index) >= cfg.nickFunctions.size())
        return;
    const NickFunction f = cfg.nickFunctions[static_cast<size_t>(index)];
    if (f.strName.empty())
        return;
    bool shown = false;
    if (!f.strHref.empty())
        vNavigateExpanded(f.strHref, f.strTarget);
    if (!f.strDynInsert.empty())
    {
        vAddMessage(strExpandVars(f.strDynInsert, true), std::string(), std::string(), -1, false);
        shown = true;
    }
    if (!f.strExecCmd.empty())
    {
        std::string command = f.strExecCmd;
        if (boOnActExecCmd(command) && !cfg.boNoHtml)
            vAddMessage(command, std::string(), std::string(), -1, true);
    }
    if (!f.strAddToGroup.empty())
        iSetGroupMember(true, f.strAddToGroup, f.iAddRank, !f.boAddNoNotify, conn.strSelected, false);
    if (!f.strRemFromGroup.empty())
        iSetGroupMember(false, f.strRemFromGroup, 0, !f.boRemNoNotify, conn.strSelected, false);
    if (shown)
        vPostRefresh();
}

void CChatModel::vCopyMessage(long index)
{
    if (index < 0 || static_cast<size_t>(index) >= msgs.messages.size())
        return;
    m_lpHost->vSetClipboard(strMarkupToText(msgs.messages[static_cast<size_t>(index)].strText));
}

// ---------------------------------------------------------------- logon

bool CChatModel::boValidateNick(const std::string& nick, int* reason)
{
    *reason = 0;
    if (!nick.empty() && nick[0] == '#')
        return false;
    if (!conn.strIncidentMarker.empty() && nick.find(conn.strIncidentMarker) != std::string::npos)
        return false;
    // The connection's escape text (CNF_SPECCHARS) would be read back as an
    // escaped character in the nick.
    const std::string& escape = Scheme().strGetEscapeMark();
    if (!escape.empty() && nick.find(escape) != std::string::npos)
        return false;
    if (nick.find_first_of(conn.strNickCheckChars) != std::string::npos)
        return false;
    const std::string low = strLower(nick);
    for (const std::string& bad : cfg.badLogonStrings)
        if (!bad.empty() && low.find(strLower(bad)) != std::string::npos)
        {
            *reason = 2;
            return false;
        }
    for (const std::string& reserved : cfg.reservedNicks)
        if (boEqualNoCase(reserved, nick))
        {
            *reason = 1;
            return false;
        }
    return true;
}

bool CChatModel::boLogon()
{
    if (!m_lpView)
        return false;
    std::string nick;
    m_lpView->boReadField("CFLD_LOGIN", nick);
    int reason = 0;
    const bool refused = nick.empty() || static_cast<int32_t>(nick.size()) < cfg.iMinNickLength ||
                         !boValidateNick(nick, &reason);
    if (refused)
    {
        if (!cfg.strLogonPage.empty())
        {
            cfg.strLogonError = reason == 1   ? cfg.strNickErrReserved
                                : reason == 2 ? cfg.strNickErrForbidden
                                              : cfg.strNickErrEmpty;
            m_lpView->vEnableControl("CFLD_TEXT", false);
            m_lpView->vLoad(cfg.strLogonPage, cfg.strLogonFrame);
        }
        return false;
    }
    // A first logon made the temporary group; a second one replaces it.
    if (!conn.strNick.empty())
        people.groups.boRemoveMember(kTempLogon + strNoIncident(conn.strNick), strNoIncident(conn.strNick));
    conn.strNickHtml = HtmlEncodeEntities(nick);
    conn.strNick = nick;
    conn.strIrcNick = nick;
    people.groups.iSetMember(kTempLogon + nick, nick, 0);
    conn.boLoggedOn = true;
    cfg.strLogonError.clear();
    vOnActClr();
    if (!cfg.strLogonNext.empty())
        m_lpView->vLoad(cfg.strLogonNext, cfg.strLogonFrame);
    m_lpView->vEnableControl("CFLD_TEXT", true);
    m_lpHost->vStartTimer(true);
    return true;
}

// ---------------------------------------------------------------- documents the view leaves to the chat

void CChatModel::OnLeaveView(std::string* kind, std::string* address, std::string frameName, CHtmlObject*)
{
    if (!kind || !address)
        return;
    std::string color = conn.strPlaceholderColor.empty() ? page.strBgColor : conn.strPlaceholderColor;
    if (address->empty())
    {
        *kind = "DMY";
        return;
    }
    std::string url = *address;
    if (boEqualNoCase(*kind, "HTTP"))
    {
        const size_t mark = url.find("@WCLR=");
        if (mark != std::string::npos)
        {
            color = url.substr(mark + 6);
            url.erase(mark);
        }
    }
    url = strExpandVars(url);
    const size_t triple = url.find(":///");
    if (triple != std::string::npos && boEqualNoCase(url.substr(0, triple), *kind))
        url = url.substr(triple + 3);

    bool requested = page.requestedDownloads.boHas(url);
    if (!page.requestedDownloads.boHasRequester(url, frameName))
        page.requestedDownloads.vAddRequest(url, frameName);
    bool inMemory = false;
    const std::string result = page.requestedDownloads.strGetResult(url, &inMemory);
    if (!result.empty())
    {
        if (inMemory)
        {
            *kind = "str";
            *address = result;
            return;
        }
        const bool readable = m_lpHost->boFileReadable(result);
        if (readable)
        {
            *kind = "file";
            *address = result;
            return;
        }
    }
    // A result that does not open counts as none: the address is asked again.
    if (!result.empty())
        requested = false;
    if (m_lpInstance && !requested)
    {
        const size_t slash = url.find('/');
        const size_t dot = url.find('.');
        std::string fetched = url;
        if (slash != std::string::npos && dot != std::string::npos && dot < slash)
            fetched = "http://" + url;
        if (cfg.boDebug)
        {
            msgs.strHistory += "Download :<A HREF=\"" + HtmlEncodeEntities(fetched) +
                               "\" TARGET=OTHERFRAME>" + HtmlEncodeEntities(fetched) + "</A><BR>";
            vPostRefresh();
        }
        m_lpInstance->boGetUrl(fetched, std::string());
    }
    if (url.size() >= 3 && boEqualNoCase(url.substr(url.size() - 3), "gif"))
    {
        *kind = "DMY";
        address->clear();
        return;
    }
    *kind = "sTr";
    *address = "<BODY BGCOLOR=" + color + ">" + conn.strPlaceholderContent + "</BODY>";
}

// ---------------------------------------------------------------- the scroll bar's slots

int32_t CChatModel::OnDrag(int32_t x, int32_t y, int32_t px, int32_t py, std::string* frameName,
                           CHtmlObject* sender)
{
    return m_lpScrollBarEvents ? m_lpScrollBarEvents->OnDrag(x, y, px, py, frameName, sender) : 0;
}

void CChatModel::OnLinkTick(const std::string& address, const std::string& target, int32_t pressed,
                            int32_t zero, CHtmlObject* sender)
{
    if (m_lpScrollBarEvents)
        m_lpScrollBarEvents->OnLinkTick(address, target, pressed, zero, sender);
}

void CChatModel::OnScroll(int32_t bar, int32_t position, HtmlWnd* view, CHtmlObject* sender)
{
    if (m_lpScrollBarEvents)
        m_lpScrollBarEvents->OnScroll(bar, position, view, sender);
}

IHtmlWndEvents* CChatModel::OnFrameCreated(CTagFRAME* frame, HtmlWnd* childView, CHtmlObject* sender)
{
    return m_lpScrollBarEvents ? m_lpScrollBarEvents->OnFrameCreated(frame, childView, sender) : nullptr;
}

void CChatModel::OnFrameDestroyed(CTagFRAME* frame, HtmlWnd* childView, CHtmlObject* sender)
{
    if (m_lpScrollBarEvents)
        m_lpScrollBarEvents->OnFrameDestroyed(frame, childView, sender);
}

void CChatModel::OnDocumentLoaded(std::string, int32_t, std::string, HtmlWnd* loader, CHtmlObject*)
{
    m_lpHost->vDocumentLoaded(loader);
}

void CChatModel::vOfferTalk(bool priv)
{
    if (!m_lpHost->boSendTalk(priv))
        vSendTalk(priv);
}

// ---------------------------------------------------------------- start gate

std::string CChatModel::strVersionText(double version)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", version);
    std::string s = text;
    while (!s.empty() && s.back() == '0')
        s.pop_back();
    return s;
}

bool CChatModel::boVersionRefused() const
{
    // The limits come as decimal texts: compare at the precision they are written in.
    const auto same = [](double a, double b) { return std::fabs(a - b) < 1e-9; };
    const auto above = [&](double a, double b) { return a > b && !same(a, b); };
    if ((page.dMinVer > 0 && above(page.dMinVer, kVersion)) ||
        (page.dMaxVer > 0 && above(kVersion, page.dMaxVer)))
        return true;
    if (same(page.dMinVer, kVersion) && page.dMinSubVer > 0 && above(page.dMinSubVer, kSubVersion))
        return true;
    if (same(page.dMaxVer, kVersion) && page.dMaxSubVer > 0 && above(kSubVersion, page.dMaxSubVer))
        return true;
    return false;
}

void CChatModel::vOnStartTimer()
{
    if (!page.strOkUrl.empty() || !page.strNokUrl.empty())
    {
        if (boVersionRefused())
        {
            m_lpHost->vStartTimer(false);
            page.strOkUrl.clear();
            if (!page.strNokUrl.empty())
                vNavigateExpanded(page.strNokUrl, page.strNokFrame);
            // Refused for good: the gate never opens again.
            page.strNokUrl.clear();
            conn.boGo = false;
            conn.boVersionBlocked = true;
            return;
        }
        if (!page.strOkUrl.empty())
        {
            vNavigateExpanded(page.strOkUrl, page.strOkFrame);
            page.strOkUrl.clear();
        }
    }
    if (!conn.boGo || conn.boVersionBlocked)
        return;
    const auto frameAddress = [this](const std::string& frame) { return m_lpHost->strFrameAddress(frame); };
    if (cfg.boLogonPageSwitch && !cfg.strLogonPage.empty() && m_lpView && conn.strNick.empty())
    {
        if (!page.requestedDownloads.strFirstPending().empty())
            return;
        if (!m_lpView->boHasFrame(cfg.strLogonFrame))
            return;
        m_lpHost->vStartTimer(false);
        cfg.boLogonPageSwitch = false;
        conn.strLogonSaved = frameAddress(cfg.strLogonFrame);
        m_lpView->vLoad(cfg.strLogonPage, cfg.strLogonFrame);
        if (!conn.boViewBusy)
        {
            if (!conn.strNick.empty())
                m_lpView->vSetField("CFLD_LOGIN", IChatView::Field{"TEXT", conn.strNick, false});
            m_lpView->boFocusControl("CFLD_TEXT");
        }
        return;
    }
    if (cfg.boLogonPageSwitch && !cfg.strLogonPage.empty())
    {
        if (!m_lpView || !m_lpView->boHasFrame(cfg.strLogonFrame))
            return;
        cfg.boLogonPageSwitch = false;
        conn.strLogonSaved = frameAddress(cfg.strLogonFrame);
    }
    m_lpHost->vStartTimer(false);
    conn.iStartState1 = -1;
    conn.iStartState2 = 0;
    vConnect();
}

} // namespace ChatModel

namespace ChatModel
{

std::string strDisarmForeignLinks(const std::string& text)
{
    // Elements that load an address, make a form control or replace the
    // page: another user's copy of them is shown as text.
    static const char* const kShownAsText[] = {"INPUT", "SELECT",   "TEXTAREA", "BUTTON", "FORM",   "OPTION",
                                               "FRAME", "FRAMESET", "IFRAME",   "IMG",    "AREA",   "MAP",
                                               "BODY",  "META",     "BASE",     "LINK",   "SCRIPT", "OBJECT",
                                               "EMBED", "APPLET",   "BGSOUND",  "WND",    "LAYER",  "ILAYER",
                                               "STYLE", "PARAM",    "IMAGE",    "HEAD",   "TITLE",  "SOUND"};
    const auto nameChar = [](char c)
    { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_'; };
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size())
    {
        if (text[i] != '<')
        {
            out += text[i++];
            continue;
        }
        size_t at = i + 1;
        const bool closing = at < text.size() && text[at] == '/';
        if (closing)
            ++at;
        size_t nameEnd = at;
        while (nameEnd < text.size() && nameChar(text[nameEnd]))
            ++nameEnd;
        const std::string name = HtmlUpper(text.substr(at, nameEnd - at));
        // The tag's end, past quoted values.
        size_t end = nameEnd;
        char quote = 0;
        while (end < text.size() && (quote || text[end] != '>'))
        {
            if (quote && text[end] == quote)
                quote = 0;
            else if (!quote && (text[end] == '"' || text[end] == '\''))
                quote = text[end];
            ++end;
        }
        const std::string attrs = text.substr(nameEnd, end - nameEnd);
        const std::string upperAttrs = HtmlUpper(attrs);
        bool asText = false;
        if (name.empty())
            asText = false;
        else if (name == "A" && !closing)
        {
            const std::string href = GetAttrOr("HREF", attrs);
            if (upperAttrs.find("HREF") == std::string::npos)
                asText = upperAttrs.find("SRC") != std::string::npos;
            else if (boBrowserScheme(href) && boPlainAddress(HtmlTrimLeft(href)))
            {
                out += "<A HREF=\"" + std::string(kForeignLink) + HtmlTrimLeft(href) + "\">";
                i = end < text.size() ? end + 1 : end;
                continue;
            }
            else
                asText = true;
        }
        else
        {
            for (const char* shown : kShownAsText)
                if (name == shown)
                    asText = true;
            // Any other element that names an address of its own.
            if (!closing && (upperAttrs.find("HREF") != std::string::npos ||
                             upperAttrs.find("SRC") != std::string::npos ||
                             upperAttrs.find("BACKGROUND") != std::string::npos ||
                             upperAttrs.find("ACTION") != std::string::npos))
                asText = true;
        }
        out += asText ? "&lt;" : "<";
        ++i;
    }
    return out;
}

// ---------------------------------------------------------------- fields

std::string CChatModel::strGetFieldValue(const std::string& name, std::string& type, bool noFormat)
{
    IChatView::Field field;
    if (!m_lpView || !m_lpView->boGetField(name, field))
        return m_lpView && m_lpView->boSwitchControlOn(name) ? "#" : "";
    type = field.strType;
    std::string value = type == "CHECKBOX" ? (field.boChecked ? "#" : "") : field.strValue;
    if (!noFormat)
        value = HtmlEncodeEntities(value);
    if (type == "TEXTAREA")
        value = strReplaceAll(strReplaceAll(strReplaceAll(value, "\r\n", "&#13;&#10;"), "\r", "&#13;&#10;"),
                              "\n", "&#13;&#10;");
    return value;
}

void CChatModel::vSetFieldValue(const std::string& name, const std::string& value)
{
    if (!m_lpView)
        return;
    IChatView::Field field;
    if (!m_lpView->boGetField(name, field))
    {
        m_lpView->vSetSwitchControl(name, !value.empty());
        return;
    }
    if (field.strType == "SELECT")
        return;
    if (field.strType == "CHECKBOX")
        field.boChecked = !value.empty();
    else if (field.strType == "RADIO")
        field.strValue = value;
    else
    {
        std::string text = value;
        for (const char* mark : {"&crlf;", "&#13;&#10;", "&#10;", "&#13;"})
            text = strReplaceAll(text, mark, "\r\n");
        field.strValue = text;
    }
    m_lpView->vSetField(name, field);
}

// ---------------------------------------------------------------- message formats

void CChatModel::vOnDynMessFormat(const std::string& name, int mode)
{
    if (name.empty() || !m_lpView)
        return;
    if (!tables.messageFormats.boIsActive(name))
    {
        if (mode != 1)
            return;
        std::vector<std::string> displaced;
        tables.messageFormats.iActivate(name, &displaced);
        for (const std::string& other : displaced)
            m_lpView->vSetSwitchControl("@MSGF@" + other, false);
    }
    else
    {
        if (mode == 1)
            return;
        if (tables.messageFormats.boIsNotSelectable(name))
        {
            tables.messageFormats.iDeactivate(name);
            return;
        }
        m_lpView->vSetSwitchControl("@MSGF@" + name, true);
    }
    const std::string group = tables.messageFormats.strGroupOf(name);
    if (group.empty() || !tables.messageFormats.boGroupIsMutex(group))
        return;
    std::vector<std::string> members;
    tables.messageFormats.iFormatsOfGroup(group, &members);
    for (const std::string& other : members)
        if (!boEqualNoCase(other, name) && m_lpView->boSwitchControlOn("@MSGF@" + other))
            m_lpView->vSetSwitchControl("@MSGF@" + other, false);
}

} // namespace ChatModel
