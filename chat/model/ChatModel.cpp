#include "ChatModel.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "ChatMarkup.h"
#include "ChatTextUtil.h"
#include "ChatVars.h"
#include "HtmlAttr.h"
#include "HtmlDoc.h"
#include "html/doc/HtmlText.h"
#include "NickScheme.h"

namespace ChatModel
{

using ChatText::boEqualNoCase;
using ChatText::boStartsNoCase;

namespace
{

const char* const kTempLogon = "@@TempLogon@@";
// Requester of a group's configuration document.
const char* const kGroupConfigLoad = "@GRPCNFLOAD@";

// A group without an address of its own is loaded through a shared template
// that takes its name; such names also come from other users' announcements,
// and their documents run as the chat's own: a name that could move the
// address elsewhere ("http://...", "../", "?", "%") loads nothing.
bool boPlainGroupName(const std::string& name)
{
    if (name.empty() || name.find("..") != std::string::npos)
        return false;
    for (char c : name)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
              c == '-' || c == '.' || c == ' '))
            return false;
    return true;
}

std::string strLower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string strTrimCtl(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && static_cast<unsigned char>(text[i]) <= 32)
        ++i;
    return text.substr(i);
}

} // namespace

std::string strAnsiToUtf8(const std::string& text)
{
    static const uint16_t k80[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                     0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                     0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                     0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
    std::string out;
    for (char ch : text)
    {
        unsigned c = static_cast<unsigned char>(ch);
        if (c >= 0x80 && c < 0xA0)
            c = k80[c - 0x80];
        if (c < 0x80)
            out += static_cast<char>(c);
        else if (c < 0x800)
        {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
        else
        {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

long& CChatModel::lMultiPartCounter()
{
    static long counter = 0;
    return counter;
}

std::string CChatModel::strRunTimeKey()
{
    return ChatText::strDerivedKey();
}

CChatModel::CChatModel(IChatConnection& cnx, ISettingsStore& settings, ClockFn clock)
    : m_cnx(cnx), m_settings(settings), m_clock(clock ? clock : ClockFn(llSystemSeconds))
{
    people.senderFlood = CFloodDetector("SNDR", m_clock);
    people.receiverFlood = CFloodDetector("RCVR", m_clock);
    cfg.boDebug = m_settings.strRead("dbg", "") == "1";
    cfg.formats.assign(kKindCount, std::string());
    cfg.linkAttrs.assign(kKindCount, std::string());
}

CChatModel::~CChatModel() = default;

// ---------------------------------------------------------------- Init

void CChatModel::vInit()
{
    if (!m_boFirstInit)
        return;
    m_boFirstInit = false;
    people.lUsersInRoom = people.lHighestUsers = people.lPrivReceived = people.lRoomReceived =
        people.lJoined = people.lLeft = people.lKilled = 0;
    people.lPrivSent = people.lRoomSent = 0;
    conn.boConnected = conn.boNickRefused = conn.boSynced = cfg.boNoHtml = cfg.boHideDefaultWhisper = false;

    cfg.formats.assign(kKindCount, std::string());
    cfg.linkAttrs.assign(kKindCount, std::string());
    const std::pair<int, const char*> defaults[] = {
        {0, "%bud%&gt; %mess%<BR>"},
        {1, "%bud% to %budto%&gt; %mess%<BR>"},
        {2, "%bud% thinks&gt; %mess%<BR>"},
        {3, "%bud% acts&gt; %mess%<BR>"},
        {10, "%bud% joined %room%<BR>"},
        {11, "%bud% left %room%<BR>"},
        {12, "%bud% kicked out of %room%<BR>"},
        {13, "Room %room%, %nbbud% connected<BR>"},
        {20, "%bud%, select someone first!<BR>"},
        {21, "%bud%, write something first!<BR>"},
        {22, "Too long, %bud%<BR>"},
        {23, "<font color=red>Server err : %mess%</font><BR>"},
        {24, "No flooding, %bud%<BR>"},
        {26, "<B>%mess%</B><BR>"},
        {32, "No flooding, %bud%<BR>"},
        {33, "Slow down, %bud%<BR>"},
    };
    for (const auto& d : defaults)
        cfg.formats[static_cast<size_t>(d.first)] = d.second;

    const char* const states[6] = {"Cnx closed",    "Opening...", "Cnx stopped",
                                   "Connecting...", "Connected",  "Disconnecting..."};
    for (int i = 0; i < 6; ++i)
        cfg.stateTexts[i] = states[i];
    cfg.userFormats[0] = "%bud%<BR>";
    cfg.userFormats[1] = "@%bud%<BR>";
    cfg.userFormats2[0] = cfg.userFormats2[1] = kUndef;
    for (std::string& z : cfg.zoneFrames)
        z = kUndef;
    const char* const menus[6] = {"Copy", "Whisper", "%bud% left %room%", "Copy", "Copy all", "Clear all"};
    for (int i = 0; i < 6; ++i)
        cfg.menuTexts[i] = menus[i];
    cfg.strAutoLinkFormat = "%lnk%";
    cfg.strAutoLinkText.clear();
    conn.strIncidentMarker = "{";
    conn.iMaxIncident = 10;
    conn.strNickCheckChars = "#{[";
    cfg.strNickErrEmpty = "<font color=red>The nickname is empty or contains invalid caracters!</font>";
    cfg.strNickErrRefused =
        "<font color=red>The server rejected your nickname! It is either already in use or "
        "contains invalid caracters.</font>";
    cfg.strNickErrReserved = "<font color=red>This nickname is reserved.</font>";
    cfg.badLogonStrings.clear();
    cfg.reservedNicks.clear();
    cfg.iMinNickLength = 3;
    conn.uPort = 6667;
    // The pages may name a logon page (CNF_LOGONPAGE) from now until the
    // start gate has shown it or started the connection past it.
    cfg.boLogonPageSwitch = true;
    vReadPageParams();
    // The talk line starts on a fresh line.
    msgs.uInputCursor = msgs.inputHistory.size();
}

void CChatModel::vLoadUserInterface()
{
    if (!m_lpView)
        return;
    if (page.strHtmlUiUrl.empty())
        m_lpView->vLoad("str://<BODY BGCOLOR=" + page.strBgColor + ">" + page.strWaitText + "</BODY>",
                        std::string());
    else
        m_lpView->vLoad(page.strHtmlUiUrl, std::string());
}

// ---------------------------------------------------------------- page parameters

std::string CChatModel::strGetPageParam(const std::string& name, bool* found) const
{
    std::string value;
    bool ok = false;
    if (m_lpInstance && !name.empty())
        ok = m_lpInstance->boGetArg(name + "_WIN32", value) || m_lpInstance->boGetArg(name, value);
    if (found)
        *found = ok;
    return ok ? value : std::string();
}

int32_t CChatModel::iSplitRank(std::string& value)
{
    const size_t mark = value.find("$Rk$");
    if (mark == std::string::npos || mark + 4 >= value.size())
        return 0;
    const int32_t rank = HtmlAtoi(value.substr(mark + 4));
    value.erase(mark);
    return rank;
}

void CChatModel::vReadPageParams()
{
    IChatInstance* inst = m_lpInstance;
    const bool args = inst && inst->boHasArgs();
    std::string v;
    if (args)
    {
        bool f = false;
        std::string* texts[4] = {&page.strOkUrl, &page.strOkFrame, &page.strNokUrl, &page.strNokFrame};
        const char* textNames[4] = {"OKURL", "OKFRAME", "NOKURL", "NOKFRAME"};
        for (int i = 0; i < 4; ++i)
        {
            v = strGetPageParam(std::string("INSTALLCHECK_") + textNames[i], &f);
            if (f)
                *texts[i] = v;
        }
        double* limits[4] = {&page.dMinVer, &page.dMaxVer, &page.dMinSubVer, &page.dMaxSubVer};
        const char* limitNames[4] = {"MINVER", "MAXVER", "MINSUBVER", "MAXSUBVER"};
        for (int i = 0; i < 4; ++i)
        {
            v = strGetPageParam(std::string("INSTALLCHECK_") + limitNames[i], &f);
            if (f)
                *limits[i] = std::atof(v.c_str());
        }
        if (inst->boGetArg("DEFROOTPATH", v))
            page.strDefRootPath = v;
        if (inst->boGetArg("CK", v))
            page.strCheckKey = v;
    }
    auto unscramble = [](const std::string& value)
    {
        if (value.size() >= 4 && boStartsNoCase(value, "#CR#"))
            return ChatText::strScramble(value.substr(4), strRunTimeKey());
        return value;
    };
    if (inst)
    {
        if (inst->boGetArg("WAIT_TEXT", v))
            page.strWaitText = v;
        if (inst->boGetArg("HTMLUI_URL", v))
            page.strHtmlUiUrl = unscramble(v);
        if (inst->boGetArg("GLOBAL_BG_COLOR", v))
            page.strBgColor = v;
        if (inst->boGetArg("SERVER_NAME", v))
            conn.strServer = unscramble(v);
        if (inst->boGetArg("SERVER_KEY", v))
            conn.strServerKey = v;
        if (inst->boGetArg("ROOM_NAME", v))
            conn.strRoom = unscramble(v);
        if (inst->boGetArg("NICKNAME", v))
        {
            if (!v.empty() && v[0] == '#')
                v.clear();
            conn.strNick = v;
            conn.strNickHtml = HtmlEncodeEntities(v);
            conn.strIrcNick = v;
        }
    }
    people.groups.vClear();
    if (args)
    {
        page.contextVars.clear();
        for (int n = 1;; ++n)
        {
            if (!inst->boGetArg("CONTEXT_VAR" + std::to_string(n), v))
                break;
            page.contextVars.push_back(HtmlTrim(v));
        }
        for (int n = 1;; ++n)
        {
            if (!inst->boGetArg("USER_GRP" + std::to_string(n), v) || v.empty())
                break;
            const size_t semi = v.find(';');
            if (semi == std::string::npos)
                continue;
            std::string name = v.substr(0, semi);
            const int32_t rank = iSplitRank(name);
            const std::string list = v.substr(semi + 1);
            if (list.empty())
                continue;
            people.groups.FindOrCreate(name, rank);
            for (const std::string& user : ChatIrc::SplitList(list, ","))
                people.groups.iSetMember(name, user, rank);
        }
        for (int n = 1;; ++n)
        {
            if (!inst->boGetArg("MEMBEROF" + std::to_string(n), v) || v.empty())
                break;
            const int32_t rank = iSplitRank(v);
            people.groups.FindOrCreate(v, rank);
            people.groups.iSetMember(v, strNoIncident(conn.strNick), rank);
        }
    }
    if (page.strBgColor.empty())
        page.strBgColor = "#005185";
}

// ---------------------------------------------------------------- variables

std::string CChatModel::strNoIncident(const std::string& nick) const
{
    if (conn.strIncidentMarker.empty())
        return nick;
    const size_t at = nick.find(conn.strIncidentMarker);
    return at == std::string::npos ? nick : nick.substr(0, at);
}

std::string CChatModel::strEncodedNick(const std::string& nick)
{
    std::string s = nick;
    m_cnx.Scheme().vNickForWire(s);
    return s;
}

bool CChatModel::boFixedValue(const std::string& n, std::string& value)
{
    ChatIrc::CNickScheme& scheme = m_cnx.Scheme();
    if (n == "%bud%")
        value = strNoIncident(conn.strSelected);
    else if (n == "%room%")
        value = scheme.strRoomFromWire(conn.strRoom);
    else if (n == "%roomutf8%")
        value = strAnsiToUtf8(scheme.strRoomFromWire(conn.strRoom));
    else if (n == "%approom%")
        value = conn.strRoom;
    else if (n == "%IRCbud%" || n == "%ircbud%")
        value = strEncodedNick(conn.strSelected);
    else if (n == "%IRCNoIncbud%" || n == "%ircnoincbud%")
        value = strNoIncident(strEncodedNick(conn.strSelected));
    else if (n == "%ircbudutf8%")
        value = strAnsiToUtf8(strEncodedNick(conn.strSelected));
    else if (n == "%ircnoincbudutf8%")
        value = strAnsiToUtf8(strNoIncident(strEncodedNick(conn.strSelected)));
    else if (n == "%ircappbud%")
        value = conn.strSelected;
    else if (n == "%ircappnoincbud%")
        value = strNoIncident(conn.strSelected);
    else if (n == "%IncIdent%" || n == "%incident%")
        value = conn.strIncidentMarker;
    else if (n == "%usernick%")
        value = strNoIncident(conn.strNick);
    else if (n == "%userircnick%")
        value = strEncodedNick(conn.strIrcNick);
    else if (n == "%userircnickutf8%")
        value = strAnsiToUtf8(strEncodedNick(conn.strIrcNick));
    else if (n == "%userircappnick%")
        value = conn.strIrcNick;
    else if (n == "%chatver%")
        value = "4.38";
    else if (n == "%chatossubver%")
        value = "1.01";
    else if (n == "%osstr%")
        value = "Win32";
    else if (n == "%navint%")
        value = m_lpInstance && m_lpInstance->boIsActiveX() ? "AX" : "NP";
    else if (n == "%checkkey%")
        value = page.strCheckKey;
    else if (n == "%curdom%")
        value = page.strCurDomain;
    else if (n == "%curfulldom%")
        value = page.strCurFullDomain;
    else if (n == "%curdomip%" || n == "%curfulldomip%")
    {
        // Resolved only here, when the text holds the name.
        const std::string& host = n == "%curdomip%" ? page.strCurDomain : page.strCurFullDomain;
        value = !host.empty() ? m_lpHost->strResolve(host) : std::string();
    }
    else if (n == "%crkey%")
        value = scheme.strGetKey();
    else if (n == "%nckprfx%")
        value = scheme.strGetNickPrefix();
    else if (n == "%htmlui%")
        value = page.strHtmlUiUrl;
    else if (n == "%rootpath%")
    {
        if (!m_lpView)
            return false;
        value = m_lpView->strRootPath();
    }
    else if (n == "%defrootpath%")
        value = page.strDefRootPath;
    else if (n == "%empty%")
        value.clear();
    else if (n == "%usergrps%")
    {
        std::vector<std::string> names;
        people.groups.uGroupsOf(strNoIncident(conn.strNick), &names);
        value.clear();
        for (size_t i = 0; i < names.size(); ++i)
            value += (i ? "|" : "") + names[i];
    }
    else
        return false;
    return true;
}

std::string CChatModel::strExpandVars(const std::string& text, bool markup)
{
    VarSources src;
    src.fixed = [this, markup](const std::string& n, std::string& v)
    {
        if (!boFixedValue(n, v))
            return false;
        if (markup)
            v = HtmlEncodeEntities(v);
        return true;
    };
    src.context = &page.contextVars;
    src.field = [this](const std::string& spec, std::string& v)
    { return m_lpView != nullptr && m_lpView->boReadField(spec, v); };
    src.checksum = [this](const std::string& room, const std::string* key, std::string& v)
    {
        if (!m_lpView)
            return false;
        std::string stored;
        long sum = 0;
        if (tables.roomKeys.boGetStored(room, stored))
        {
            if (key)
                stored = ChatText::strScramble(stored, *key);
            for (char c : stored)
                sum += static_cast<signed char>(c);
        }
        v = std::to_string(sum);
        return true;
    };
    src.pageVar = [this](const std::string& name)
    {
        for (const auto& kv : page.pageVars)
            if (boEqualNoCase(kv.first, name))
                return kv.second;
        return std::string();
    };
    return ChatModel::strExpandVars(text, src);
}

void CChatModel::vNavigateExpanded(const std::string& url, const std::string& target)
{
    if (!m_lpInstance)
        return;
    const std::string expanded = strExpandVars(url);
    if (expanded.empty())
        return;
    if (m_lpInstance->boGetUrl(expanded, target) && target.empty())
        m_lpInstance->vCountPendingNavigation();
}

// ---------------------------------------------------------------- users

long CChatModel::lFindUser(const std::string& nick) const
{
    for (size_t i = 0; i < people.users.size(); ++i)
        if (people.users[i] == nick)
            return static_cast<long>(i);
    return -1;
}

bool CChatModel::boInsertUser(const std::string& nick, uint16_t flags)
{
    if (lFindUser(nick) >= 0)
        return false;
    const std::string low = strLower(nick);
    size_t at = 0;
    while (at < people.users.size() && strLower(people.users[at]) <= low)
        ++at;
    people.users.insert(people.users.begin() + static_cast<long>(at), nick);
    people.userFlags.insert(people.userFlags.begin() + static_cast<long>(at), flags);
    return true;
}

bool CChatModel::boRemoveUser(const std::string& nick, uint16_t* flags)
{
    const long i = lFindUser(nick);
    if (i < 0)
        return false;
    if (flags)
        *flags = people.userFlags[static_cast<size_t>(i)];
    people.users.erase(people.users.begin() + i);
    people.userFlags.erase(people.userFlags.begin() + i);
    return true;
}

void CChatModel::vClearUsers()
{
    people.users.clear();
    people.userFlags.clear();
}

// ---------------------------------------------------------------- zones

void CChatModel::vRefreshZone(int zone)
{
    if (zone != kZoneMessages && zone != kZoneUsers && zone != kZoneGroups && zone != kZoneStatus &&
        zone != kZoneRoom)
        return;
    const std::string& frame = cfg.zoneFrames[zone];
    if (!m_lpView || frame == kUndef || !m_lpView->boHasFrame(frame))
        return;
    m_lpView->vReloadFrame(frame, zone == kZoneMessages);
}

void CChatModel::vClearAll()
{
    vOnActClr();
    vClearUsers();
    people.groups.vClear();
    tables.elementLists.vClear();
    tables.changedLists.clear();
    tables.messageFormats.vClear();
    tables.serverErrors.vClear();
    tables.serverMessages.vClear();
    people.floodRecords.clear();
    people.floodRecordGroups.clear();
}

// ---------------------------------------------------------------- element lists

int32_t CChatModel::iQueueFrameRefresh(const std::string& list, bool synchronous)
{
    if (std::find(tables.changedLists.begin(), tables.changedLists.end(), list) != tables.changedLists.end())
        return 0;
    tables.changedLists.push_back(list);
    if (tables.changedLists.size() > 1)
        return 0;
    if (synchronous || !m_lpHost->boPostListsChanged())
        vOnListsChanged();
    return 1;
}

void CChatModel::vOnListsChanged()
{
    const std::vector<std::string> names = std::move(tables.changedLists);
    tables.changedLists.clear();
    if (!m_lpView)
        return;
    for (const std::string& list : names)
    {
        std::vector<std::string> done;
        for (const auto* frames : {&tables.elistFrames, &tables.elistItemFrames, &tables.elistKeyFrames})
        {
            const auto it = frames->find(list);
            if (it == frames->end() || std::find(done.begin(), done.end(), it->second) != done.end())
                continue;
            done.push_back(it->second);
            m_lpView->vReloadFrame(it->second, false);
        }
    }
}

void CChatModel::vPostRefresh()
{
    if (!m_lpHost->boPostRefresh())
        vRefreshZone(kZoneMessages);
}

bool CChatModel::boOnElistToggle(const std::string& rest)
{
    const size_t at = rest.find('@');
    if (at == std::string::npos)
        return false;
    const std::string list = rest.substr(0, at);
    const std::string key = rest.substr(at + 1);
    if (list.empty() || key.empty() || !tables.elementLists.boToggleExpanded(list, key))
        return false;
    const auto it = tables.elistFrames.find(list);
    if (it != tables.elistFrames.end() && m_lpView)
        m_lpView->vReloadFrame(it->second, false);
    return true;
}

std::string CChatModel::CElementListHost::strOwnNickNoIncident()
{
    return m_model.strNoIncident(m_model.conn.strNick);
}

bool CChatModel::CElementListHost::boSetGroupMember(const std::string& group, const std::string& nick,
                                                    int32_t rank)
{
    return m_model.people.groups.iSetMember(group, nick, rank) != 0;
}

void CChatModel::CElementListHost::vAnnounceGroup(const std::string& group)
{
    m_model.iAnnounceGroups(std::string(), std::string(), group, false, false);
}

void CChatModel::CElementListHost::vAddRawMessage(const std::string& text)
{
    m_model.vAddMessage(text, std::string(), std::string(), -1, false);
}

std::string CChatModel::CElementListHost::strNickMarkup(const std::string& nick, int style)
{
    return m_model.strNickMarkup(nick, style, nullptr);
}

std::string CChatModel::CElementListHost::strPlainUserLinkAttrs()
{
    return m_model.cfg.userAttrs[0];
}

void CChatModel::CElementListHost::vCutHistoryTag(const std::string& tagName, const std::string& attributes)
{
    m_model.msgs.strHistory = strCutTagAttributes(m_model.msgs.strHistory, tagName, attributes);
}

void CChatModel::CElementListHost::vQueueListChanged(const std::string& list)
{
    m_model.vQueueListChanged(list);
}

void CChatModel::CElementListHost::vRequestMessageRefresh()
{
    m_model.vPostRefresh();
}

ChatIrc::CNickScheme& CChatModel::CConfigHost::Scheme()
{
    return m_model.Scheme();
}

bool CChatModel::CConfigHost::boIsBeforeConnection()
{
    return m_model.boIsBeforeConnection();
}

std::string CChatModel::CGroupHost::strNoIncident(const std::string& nick)
{
    return m_model.strNoIncident(nick);
}

bool CChatModel::CGroupHost::boForeignText()
{
    return m_model.boForeignText();
}

std::string CChatModel::CGroupHost::strReadSetting(const std::string& fullPath, const std::string& name,
                                                   const std::string& defaultValue)
{
    return m_model.m_settings.strReadPath(fullPath, name, defaultValue);
}

void CChatModel::CGroupHost::vAnnounceGroup(const std::string& to, const std::string& group)
{
    m_model.iAnnounceGroups(to, std::string(), group, false, false);
}

void CChatModel::CGroupHost::vAddGroupMessage(const std::string& text, const std::string& from,
                                              const std::string& to)
{
    m_model.vAddMessage(text, from, to, 25, false);
}

void CChatModel::CGroupHost::vRefreshUsers()
{
    m_model.vRefreshZone(kZoneUsers);
}

void CChatModel::CGroupHost::vRequestMessageRefresh()
{
    m_model.vPostRefresh();
}

std::string CChatModel::CDisplayHost::strNickDisplay(const std::string& nick, int style)
{
    return m_model.strNickDisplay(nick, style);
}

bool CChatModel::CDisplayHost::boForeignText()
{
    return m_model.boForeignText();
}

bool CChatModel::CDisplayHost::boReadLocalFile(const std::string& path, std::string& text)
{
    return m_model.m_lpHost->boReadLocalFile(path, text);
}

std::string CChatModel::CDisplayHost::strRequestDocument(const std::string& address, const std::string& frame)
{
    return m_model.m_lpHost->strRequestDocument(address, frame);
}

void CChatModel::CDisplayHost::vRequestMessageRefresh()
{
    m_model.vPostRefresh();
}

int CChatModel::CActionHost::iReceiveAccept()
{
    return m_model.Scheme().iGetReceiveAccept();
}

std::string CChatModel::CActionHost::strExpandVars(const std::string& text)
{
    return m_model.strExpandVars(text);
}

std::string CChatModel::CActionHost::strNoIncident(const std::string& nick)
{
    return m_model.strNoIncident(nick);
}

std::string CChatModel::CActionHost::strGetFieldValue(const std::string& name, std::string& type,
                                                      bool noFormat)
{
    return m_model.strGetFieldValue(name, type, noFormat);
}

void CChatModel::CActionHost::vSetFieldValue(const std::string& name, const std::string& value)
{
    m_model.vSetFieldValue(name, value);
}

void CChatModel::CActionHost::vSendMessage(const std::string& text, const std::string& to, bool multiPart)
{
    if (multiPart)
        m_model.vSendLongMessage(text, !to.empty(), false, to);
    else
        m_model.vSendChat(text, !to.empty(), false, to);
}

bool CChatModel::CActionHost::boHasFrame(const std::string& name)
{
    return m_model.m_lpView && m_model.m_lpView->boHasFrame(name);
}

std::string CChatModel::CActionHost::strResolveAddress(const std::string& address)
{
    return m_model.strResolveAddress(address);
}

void CChatModel::CActionHost::vPostNavigate()
{
    m_model.m_lpHost->vPostNavigate();
}

void CChatModel::CActionHost::vNavigateExpanded(const std::string& url, const std::string& target)
{
    m_model.vNavigateExpanded(url, target);
}

bool CChatModel::boIsBeforeConnection()
{
    return !conn.boConnected && m_cnx.iState() != 2;
}

// ---------------------------------------------------------------- message list

void CChatModel::vOnActClr()
{
    msgs.messages.clear();
    msgs.strHistory.clear();
}

std::string CChatModel::strNickMarkup(const std::string& nick, int strid, std::vector<std::string>* out)
{
    if (out)
        people.groups.uGroupsOf(strNoIncident(nick), out);
    return "<DI_MGHDS STRID=" + std::to_string(strid) + ">" + HtmlEncodeEntities(nick) + "</DI_MGHDS>";
}

std::string CChatModel::strNickDisplay(const std::string& nick, int strid)
{
    const std::string plain = strNoIncident(nick);
    std::string display = HtmlEncodeEntities(plain);
    if (!cfg.boGroupDecoration || strid < 0)
        return display;
    std::vector<std::string> names;
    people.groups.uGroupsOf(plain, &names);
    for (const std::string& g : names)
    {
        // A group still waiting for its configuration document asks for it
        // (once: the download list remembers the address).
        const CGroupTable::Group* group = people.groups.lpFind(g);
        if (group && group->counters[2] == 0 && (!group->strFileTemplate.empty() || boPlainGroupName(g)))
        {
            const std::string address = people.groups.strGroupFile(g);
            if (!address.empty())
                iLoadConfigDocument(address, kGroupConfigLoad);
        }
        int32_t rank = 0;
        people.groups.boMemberValue(g, plain, &rank);
        const std::string f =
            rank < 0 ? std::string()
                     : people.groups.strListEntry(g, static_cast<size_t>(strid), static_cast<size_t>(rank));
        if (!f.empty())
            display = strReplaceAll(strReplaceAll(f, "%bud%", HtmlEncodeEntities(plain)), "%empty%", "");
    }
    return display;
}

bool CChatModel::boIsTagMessage(const std::string& text)
{
    const std::string t = strTrimCtl(text);
    return boStartsNoCase(t, "<SMESS") || boStartsNoCase(t, "<TMESS") || boStartsNoCase(t, "<DYN_MPD");
}

int32_t CChatModel::iParseMarkup(const std::string& text, bool foreign)
{
    // Marks the parse of another user's text for as long as it runs.
    struct ForeignScope
    {
        int& depth;
        bool on;
        ForeignScope(int& d, bool f) : depth(d), on(f)
        {
            if (on)
                ++depth;
        }
        ~ForeignScope()
        {
            if (on)
                --depth;
        }
    } scope(m_iForeignDepth, foreign);
    // A stranger's multi-part line that holds another one parses again: a
    // few levels are all an honest line needs.
    if (m_iForeignDepth > kMaxForeignDepth)
        return 0;
    CHtmlDoc doc(nullptr);
    doc.SetAutoFlags(1);
    return doc.Load("str://" + text, nullptr, this, 1, 0);
}

int32_t CChatModel::iLoadConfigDocument(const std::string& addressIn, const std::string& tag)
{
    const std::string address = HtmlTrimLeft(strResolveAddress(addressIn));
    const size_t sep = address.find("://");
    const std::string scheme = sep == std::string::npos ? std::string() : address.substr(0, sep);
    if (!boEqualNoCase(scheme, "str"))
    {
        if (m_lpHost->boRequestConfig(address, tag))
            return 0;
        // Asked as a page download whose requester is the tag: the drain of
        // finished downloads runs its directives when it arrives.
        std::string kind = scheme;
        std::string target = address;
        OnLeaveView(&kind, &target, tag, nullptr);
        return 0;
    }
    const std::string text = address.substr(sep + 3);
    if (scheme == "sTr" && text.find("<BODY") != std::string::npos)
        return 0;
    return iParseMarkup(text);
}

void CChatModel::vAddMessage(const std::string& textIn, const std::string& fromIn, const std::string& toIn,
                             int kind, bool refresh, Origin origin)
{
    if (kind >= static_cast<int>(cfg.formats.size()) || kind >= static_cast<int>(cfg.linkAttrs.size()) ||
        kind < -1)
        return;
    if (msgs.messages.size() > kMaxMessages)
        vOnActClr();
    const std::string& from = fromIn;
    const std::string& to = toIn;
    msgs.messages.push_back(Message{textIn, from, to});
    const long n = static_cast<long>(msgs.messages.size() - 1);

    std::vector<std::string> fromGroups, toGroups;
    const std::string fromEnc = HtmlEncodeEntities(from);
    const std::string toEnc = HtmlEncodeEntities(to);
    const std::string fromShow = from.empty() ? std::string() : strNickMarkup(from, 1, &fromGroups);
    const std::string toShow = to.empty() ? std::string() : strNickMarkup(to, 1, &toGroups);
    const std::string fromPlain = strNoIncident(from);

    // Who wrote the line decides what it may do, never the name it carries.
    const bool foreign = origin == Origin::kStranger;
    std::string text = textIn;
    bool silent = false, tagMessage = false, multiPart = false;
    if (!text.empty())
    {
        text = strTrimCtl(text);
        if (foreign)
        {
            // A stranger's directives run here, once, as the line arrives;
            // what stays is only shown, marked as the stranger's.
            if (text.find('<') != std::string::npos)
            {
                multiPart = boStartsNoCase(text, "<DYN_MPD");
                if (multiPart)
                    tables.multiParts.vSetContext(from, to, kind);
                const std::string scope = m_strPartsScope;
                m_strPartsScope = from;
                iParseMarkup(text, true);
                m_strPartsScope = scope;
            }
            if (multiPart || boStartsNoCase(text, "<TMESS"))
                return;
            silent = boStartsNoCase(text, "<SMESS");
            text = strStrangerMarked(strDisarmForeignLinks(text));
            if (silent && text.empty())
                refresh = false;
        }
        else if (boStartsNoCase(text, "<DYN_MPD"))
        {
            multiPart = true;
            refresh = false;
        }
        else if (boStartsNoCase(text, "<SMESS"))
            silent = true;
        else if (boStartsNoCase(text, "<TMESS"))
        {
            tagMessage = true;
            refresh = false;
        }
        if (!multiPart && !silent && !tagMessage)
            for (const std::string& g : fromGroups)
            {
                int32_t rank = 0;
                people.groups.boMemberValue(g, fromPlain, &rank);
                const std::string f =
                    rank < 0 ? std::string() : people.groups.strListEntry(g, 2, static_cast<size_t>(rank));
                if (!f.empty())
                    text = strReplaceAll(strReplaceAll(f, "%mess%", text), "%empty%", "");
            }
    }

    std::string budLink, budToLink, messLink;
    const std::string num = std::to_string(n);
    if (kind >= 0)
    {
        const std::string& attr = cfg.linkAttrs[static_cast<size_t>(kind)];
        if (!from.empty())
            budLink = "<a href=\"@BUD@" + num + "@" + fromEnc + "\" " + attr + ">" + fromShow + "</a>";
        if (!to.empty())
            budToLink = "<a href=\"@BUD@" + num + "@" + toEnc + "\" " + attr + ">" + toShow + "</a>";
        messLink = "<a href=\"@MESS@" + num + "\" " + cfg.strMessLinkAttr + ">" + text + "</a>";
    }

    if (silent)
        msgs.strHistory += text;
    else if (tagMessage || multiPart)
    {
        if (multiPart)
            tables.multiParts.vSetContext(from, to, kind);
        iParseMarkup(text);
    }
    else
    {
        std::string line;
        const std::string fmt = kind >= 0 ? cfg.formats[static_cast<size_t>(kind)] : std::string();
        bool haveLine = true;
        switch (kind)
        {
        case 0:
        case 2:
        case 3:
            line = strReplaceAll(strReplaceAll(fmt, "%bud%", budLink), "%mess%", messLink);
            break;
        case 1:
            line = strReplaceAll(strReplaceAll(strReplaceAll(fmt, "%bud%", budLink), "%budto%", budToLink),
                                 "%mess%", messLink);
            break;
        case 10:
        case 11:
        case 12:
            line = strReplaceAll(strReplaceAll(fmt, "%bud%", budLink), "%room%",
                                 HtmlEncodeEntities(conn.strRoom));
            break;
        case 13:
            line = strReplaceAll(strReplaceAll(fmt, "%bud%", budLink), "%room%",
                                 HtmlEncodeEntities(conn.strRoom));
            line = strReplaceAll(line, "%nbbud%", std::to_string(people.lUsersInRoom));
            line = strReplaceAll(line, "%(s)%", people.lUsersInRoom >= 2 ? "s" : "");
            break;
        case 20:
        case 21:
        case 22:
        case 24:
            line = strReplaceAll(fmt, "%bud%", budLink);
            break;
        case 23:
        case 26:
            line = strReplaceAll(fmt, "%mess%", messLink);
            break;
        case 25:
            line = strReplaceAll(strReplaceAll(messLink, "%admbud%", budLink), "%newbud%", budToLink);
            break;
        case 30:
        case 31:
        case 32:
        case 33:
            line = strReplaceAll(fmt, "%bud%", budLink);
            if (!text.empty())
                line = strReplaceAll(line, "%nbsec%", text);
            break;
        default:
            if (text.empty())
                haveLine = false;
            else
                line = strReplaceAll(text, "%bud%", budLink);
            break;
        }
        if (haveLine)
        {
            for (const std::string& g : fromGroups)
            {
                int32_t rank = 0;
                people.groups.boMemberValue(g, fromPlain, &rank);
                const std::string f =
                    rank < 0 ? std::string() : people.groups.strListEntry(g, 3, static_cast<size_t>(rank));
                if (!f.empty())
                    line = strReplaceAll(strReplaceAll(f, "%line%", line), "%empty%", "");
            }
            msgs.strHistory += "<DI_HI>" + line + "</DI_HI>";
            const std::string trimmed = HtmlTrim(line);
            if (trimmed.empty() || trimmed == "<DMY/>")
                refresh = false;
        }
    }
    // The history never stays above its limit once a message is added.
    if (cfg.lHistoryLimit >= 0 && static_cast<long>(msgs.strHistory.size()) > cfg.lHistoryLimit)
        msgs.strHistory =
            strTrimHistory(msgs.strHistory, static_cast<long>(msgs.strHistory.size()) - cfg.lHistoryLimit);
    if (refresh)
        vRefreshZone(kZoneMessages);
}

// A multi-part piece (DYN_MPD); the whole message is added once every piece
// has arrived.
void CChatModel::vOnDynMpd(const std::string& body, const std::string& attrs)
{
    const std::string n = GetAttrOr("N", attrs);
    if (GetAttrOr("ID", attrs).empty() || n.empty())
        return;
    // A stranger's pieces join only the pieces of the same sender.
    const bool foreign = boForeignText();
    const std::string id =
        foreign ? "\x01" + m_strPartsScope + "\x01" + GetAttrOr("ID", attrs) : GetAttrOr("ID", attrs);
    const long number = std::strtol(n.c_str(), nullptr, 10);
    if (number == -1)
        return;
    if (tables.multiParts.boAddPart(id, HtmlDecodeEntities(body), -1) && HasAttr("STOP", attrs) &&
        number >= 0 && number < 0x7FFFFFFF)
        tables.multiParts.vSetExpected(id, static_cast<int32_t>(number + 1));
    if (!tables.multiParts.boComplete(id))
        return;
    std::string from, to;
    int32_t kind = 0;
    tables.multiParts.boContext(id, &from, &to, &kind);
    const std::string text = tables.multiParts.strJoined(id);
    tables.multiParts.vRemove(id);
    // The sender's line, whole: a stranger's stays a stranger's.
    vAddMessage(text, from, to, kind, true, foreign ? Origin::kStranger : Origin::kChat);
}

void CChatModel::vSendLongMessage(const std::string& text, bool priv, bool show, const std::string& to)
{
    const size_t max = cfg.uMaxMessageLength;
    if (text.size() < max * 3 / 4)
    {
        vSendChat(text, priv, show, to);
        return;
    }
    const long id = ++lMultiPartCounter();
    const std::string ident = conn.strNickHtml + std::to_string(id);
    const size_t piece = max / 3;
    // Each piece is cut so that it still fits once entity-encoded, and never
    // inside an entity.
    std::vector<std::string> pieces;
    size_t pos = 0;
    while (pos < text.size())
    {
        std::string encoded;
        size_t take = 0;
        while (pos + take < text.size())
        {
            const std::string e = HtmlEncodeEntities(text.substr(pos + take, 1));
            if (take > 0 && encoded.size() + e.size() > piece)
                break;
            if (take >= piece)
                break;
            encoded += e;
            ++take;
        }
        pieces.push_back(encoded);
        pos += take;
    }
    for (size_t i = 0; i < pieces.size(); ++i)
    {
        std::string line = "<DYN_MPD ID=\"" + ident + "\" N=" + std::to_string(i);
        if (i + 1 == pieces.size())
            line += " STOP";
        line += ">" + pieces[i] + "</DYN_MPD>";
        vSendChat(line, priv, show, to, 0, false, true);
    }
}

// ---------------------------------------------------------------- connection

void CChatModel::vConnect()
{
    if (conn.strIrcNick.empty())
        return;
    if (m_cnx.iState() == 3 && !conn.strServer.empty())
        m_cnx.vClose();
    const int state = m_cnx.iState();
    if ((state == 0 || state == 2) && !conn.strServer.empty())
    {
        if (state == 2)
            m_cnx.vClose();
        m_cnx.boOpen(conn.strServer, conn.uPort < 1 ? 6667 : conn.uPort);
    }
    else if (state == 1)
        m_cnx.vClose();
}

void CChatModel::vDisconnect()
{
    m_lpView = nullptr;
    m_cnx.vDetach();
    if (m_cnx.iState() != 0)
    {
        m_cnx.boLeaveRoom(conn.strRoom);
        m_cnx.vClose();
    }
    m_boFirstInit = true;
}

void CChatModel::vCreateRoom()
{
    if (m_cnx.iState() != 2)
        return;
    conn.llRoomCreated = llNow();
    // The room's CNF_ROOMKEY record, else the default one: its key, and its
    // mode as the creation flags (2, a visible room, without a record).
    int32_t mode = 2;
    const std::string key = tables.roomKeys.strGet(conn.strRoom, &mode, nullptr);
    m_cnx.boCreateRoom(conn.strRoom, conn.strRoomModes, key, static_cast<uint32_t>(mode));
}

std::string CChatModel::strWaitTimeText(int32_t ms) const
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", ms * 0.001);
    std::string s = buf;
    while (!s.empty() && s.back() == '0')
        s.pop_back();
    if (!s.empty() && s.back() == '.')
        s.pop_back();
    return s;
}

int CChatModel::iFloodKindOf(const CFloodDetector& detector, int test) const
{
    return (&detector == &people.senderFlood ? 32 : 30) + (test == 2 ? 1 : 0);
}

bool CChatModel::boExempt(const CFloodDetector& det, const std::string& nick) const
{
    const std::string plain = strNoIncident(nick);
    for (const std::string& g : det.exemptGroups)
        if (people.groups.boHasMember(g, plain))
            return true;
    for (const std::string& p : det.exemptUsers)
        if (ChatText::boWildcardMatch(plain, p))
            return true;
    return false;
}

void CChatModel::vSendChat(const std::string& textIn, bool priv, bool show, const std::string& to, int,
                           bool checked, bool built)
{
    const std::string text = cfg.boNoHtml && !built ? HtmlEncodeEntities(textIn) : textIn;
    if (priv && (to.empty() || (lFindUser(to) < 0 && show)))
    {
        if (show)
            vAddMessage("", conn.strIrcNick, "", 20, true);
        return;
    }
    if (text.size() >= cfg.uMaxMessageLength)
    {
        if (show)
            vAddMessage("", conn.strIrcNick, "", 22, true);
        return;
    }
    if (!checked && !boIsTagMessage(text) && !boExempt(people.senderFlood, conn.strIrcNick))
    {
        people.senderFlood.vOnMessage(text);
        int32_t duration = 0, remaining = 0;
        const int alert = people.senderFlood.iAlertState(&duration, &remaining);
        if (alert != 0)
        {
            if (show)
                vAddMessage(strWaitTimeText(duration == -1 ? -1 : remaining), conn.strIrcNick, "",
                            iFloodKindOf(people.senderFlood, alert), true);
            const std::string group = people.senderFlood.strAutoGroup(alert);
            if (!group.empty() && iSetGroupMember(true, group, 0, true, conn.strIrcNick, false))
                if (std::find(people.penaltyGroups.begin(), people.penaltyGroups.end(), group) ==
                    people.penaltyGroups.end())
                    people.penaltyGroups.push_back(group);
            return;
        }
        for (const std::string& g : people.penaltyGroups)
            iSetGroupMember(false, g, 0, true, conn.strIrcNick, false);
        people.penaltyGroups.clear();
    }
    if (show && !cfg.boLocalEchoOff)
        vAddMessage(text, conn.strIrcNick, priv ? to : std::string(), priv ? 1 : 0, true);
    if (m_cnx.iState() == 2)
    {
        if (priv)
        {
            m_cnx.boSay(to.c_str(), text);
            ++people.lPrivSent;
        }
        else
        {
            m_cnx.boSay(nullptr, text);
            ++people.lRoomSent;
        }
    }
}

bool CChatModel::boAcceptIncoming(bool, const std::string& from, const std::string& text)
{
    if (from.empty() || text.empty())
        return true;
    std::unique_ptr<CFloodDetector>& rec = people.floodRecords[strLower(from)];
    if (!rec)
    {
        rec.reset(new CFloodDetector(from, m_clock));
        rec->vCopyParameters(people.receiverFlood);
    }
    // Silent, tag and multi-part lines count like every other line.
    if (boExempt(*rec, from))
        return true;
    rec->vOnMessage(text);
    int32_t duration = 0, remaining = 0;
    const int alert = rec->iAlertState(&duration, &remaining);
    if (alert == 0)
        return true;
    vAddMessage(strWaitTimeText(duration == -1 ? -1 : remaining), from, "",
                iFloodKindOf(people.receiverFlood, alert), true);
    const std::string group = rec->strAutoGroup(alert);
    if (!group.empty())
    {
        iSetGroupMember(true, group, 0, true, from, false);
        people.floodRecordGroups[strLower(from)] = group;
    }
    return false;
}

// ---------------------------------------------------------------- groups

int CChatModel::iOnCnfUserAttributes(const std::string& nick) const
{
    return std::find(cfg.hiddenUsers.begin(), cfg.hiddenUsers.end(), nick) != cfg.hiddenUsers.end() ? 1 : 0;
}

int CChatModel::iSetGroupMember(bool add, const std::string& group, int32_t rank, bool announce,
                                const std::string& user, bool quiet)
{
    const std::string plain = strNoIncident(user);
    bool changed;
    if (add)
        changed = people.groups.iSetMember(group, plain, rank) != 0;
    else
        changed = people.groups.boRemoveMember(group, plain);
    if (changed && announce)
    {
        const CGroupTable::Group* g = people.groups.lpFind(group);
        if (g && !g->boAnnounce)
            iAnnounceReverse(user, std::string(), group, !add, quiet);
        else if (g)
            iAnnounceGroups(std::string(), user, group, !add, quiet);
    }
    return changed ? 1 : 0;
}

int CChatModel::iAnnounceGroups(const std::string& to, const std::string& user, const std::string& group,
                                bool remove, bool quiet)
{
    const std::string own = strMarkupValue(conn.strNick);
    const std::string word = quiet ? "" : " NEWDYNADD";
    const std::string ownPlain = strNoIncident(conn.strNick);
    int sent = 0;
    if (remove)
    {
        if (group.empty())
            return 0;
        const std::string t = "<TMESS/><DYN_GRP REMUSER GRPNAME=\"" + strMarkupValue(group) +
                              "\" GRPUSER=\"" + strMarkupValue(user) + "\" SENDER=\"" + own + "\" " + word +
                              "></DYN_GRP>";
        vSendChat(t, !to.empty(), false, to, 0, false, true);
        return 1;
    }
    if (user.empty())
    {
        std::vector<std::string> names;
        people.groups.uGroupsOf(ownPlain, &names);
        for (const std::string& name : names)
        {
            const CGroupTable::Group* g = people.groups.lpFind(name);
            if (!g || !g->boAnnounce || (!group.empty() && !boEqualNoCase(group, name)))
                continue;
            int32_t rank = 0;
            people.groups.boMemberValue(name, ownPlain, &rank);
            const std::string t = "<SMESS></SMESS><DYNGRP_ADDGRP GRPNAME=\"" + strMarkupValue(name) +
                                  "\" GRPUSER=\"" + own + "\" GRPRANK=\"" + std::to_string(rank) +
                                  "\" SENDER=\"" + own + "\"></DYNGRP_ADDGRP>";
            vSendChat(t, !to.empty(), false, to, 0, false, true);
            ++sent;
        }
        return sent;
    }
    if (group.empty())
        return 0;
    const CGroupTable::Group* g = people.groups.lpFind(group);
    const std::string plainUser = strNoIncident(user);
    int32_t rank = 0;
    if (g && g->boAnnounce && people.groups.boMemberValue(group, plainUser, &rank))
    {
        const std::string t = "<SMESS></SMESS><DYNGRP_ADDGRP GRPNAME=\"" + strMarkupValue(g->strName) +
                              "\" GRPUSER=\"" + strMarkupValue(user) + "\" GRPRANK=\"" +
                              std::to_string(rank) + "\" SENDER=\"" + own + "\" " + word +
                              "></DYNGRP_ADDGRP>";
        vSendChat(t, false, false, std::string(), 0, false, true);
        ++sent;
    }
    return sent;
}

int CChatModel::iAnnounceReverse(const std::string& user, const std::string& group1,
                                 const std::string& group2, bool remove, bool quiet)
{
    const std::string own = strMarkupValue(conn.strNick);
    const std::string word = quiet ? "" : " NEWDYNADD";
    const std::string ownPlain = strNoIncident(conn.strNick);
    if (remove)
    {
        if (group2.empty())
            return 0;
        const std::string t = "<TMESS/><DYN_GRP REMUSER GRPNAME=\"@REV@" + strMarkupValue(group2) +
                              "\" GRPUSER=\"" + own + "\" SENDER=\"" + own + "\" " + word + "></DYN_GRP>";
        vSendChat(t, true, false, user, 0, false, true);
        return 1;
    }
    int sent = 0;
    std::vector<std::string> names;
    people.groups.uGroupsOf(strNoIncident(user), &names);
    for (const std::string& name : names)
    {
        const CGroupTable::Group* g = people.groups.lpFind(name);
        if (!g || g->boAnnounce)
            continue;
        if ((!group1.empty() || !group2.empty()) && !boEqualNoCase(name, group1) &&
            !boEqualNoCase(name, group2))
            continue;
        int32_t rank = 0;
        if (!people.groups.boMemberValue(name, ownPlain, &rank))
            continue;
        const std::string t = "<SMESS></SMESS><DYNGRP_ADDGRP GRPNAME=\"@REV@" + strMarkupValue(name) +
                              "\" GRPUSER=\"" + own + "\" GRPRANK=\"" + std::to_string(rank) +
                              "\" SENDER=\"" + own + "\" " + (group1.empty() ? std::string() : word) +
                              "></DYNGRP_ADDGRP>";
        vSendChat(t, true, false, user, 0, false, true);
        sent += 2;
    }
    return sent;
}

// ---------------------------------------------------------------- IRC events

void CChatModel::OnState(int state, ChatIrc::CIrcSession*)
{
    const int display = state == 1 ? 3 : state == 2 ? 4 : state == 3 ? 2 : 0;
    conn.iDisplayState = display;
    if (display == 4)
    {
        conn.boConnected = true;
        cfg.uMaxMessageLength = 484;
        m_cnx.boLogon(conn.strIrcNick, "Vblt " + conn.strIrcNick);
        vClearUsers();
        if (!cfg.strConnectText.empty())
            vAddMessage(cfg.strConnectText, "", "", -1, true);
        vCreateRoom();
    }
    else if (display == 2 && conn.boNickRefused)
    {
        if (!cfg.strLogonPage.empty() && m_lpView)
        {
            conn.boNickRefused = false;
            cfg.strLogonError = cfg.strNickErrRefused;
            m_lpView->vStopLoading();
            m_lpView->vEnableControl("CFLD_TEXT", false);
            m_lpView->vLoad(cfg.strLogonPage, cfg.strLogonFrame);
        }
        else if (!conn.strIncidentMarker.empty())
        {
            std::string nick = conn.strIrcNick;
            size_t at = nick.find(conn.strIncidentMarker);
            if (at == std::string::npos)
            {
                nick += conn.strIncidentMarker;
                at = nick.size() - conn.strIncidentMarker.size();
            }
            const long number = std::atol(nick.substr(at + conn.strIncidentMarker.size()).c_str());
            if (number < conn.iMaxIncident)
            {
                conn.strIrcNick =
                    nick.substr(0, at + conn.strIncidentMarker.size()) + std::to_string(number + 1);
                conn.boNickRefused = false;
                vConnect();
            }
        }
    }
    else if (display == 0)
    {
        conn.boConnected = false;
        vClearUsers();
        vRefreshZone(kZoneUsers);
    }
    vRefreshZone(kZoneStatus);
}

void CChatModel::OnRoomState(const std::string& room, int state, ChatIrc::CIrcSession*)
{
    if (state == 2)
    {
        people.lUsersInRoom = static_cast<long>(m_cnx.uRoomUserCount(room));
        conn.strRoom = room;
        people.lHighestUsers = std::max(people.lHighestUsers, people.lUsersInRoom);
        conn.boSynced = false;
        if (!conn.boKeepOnJoin)
            vOnActClr();
        if (!cfg.strLogonPage.empty())
            people.groups.iSetMember(kTempLogon + strNoIncident(conn.strNick), strNoIncident(conn.strNick),
                                     0);
        if (conn.boRememberLogin)
            m_settings.boWrite("LastLogin", conn.strNick);
        vAddMessage("", conn.strIrcNick, "", 13, true);
        if (!cfg.strInsertUrl.empty())
            vAddMessage("<DYN_INSERTURL HREF=\"" + cfg.strInsertUrl + "\"/>", "", "", -1, true);
        if (!cfg.strWelcomeText.empty())
            vAddMessage(cfg.strWelcomeText, "", "", -1, true);
    }
    else if (state == 0)
    {
        vClearUsers();
        conn.strRoom.clear();
        people.lUsersInRoom = 0;
        vRefreshZone(kZoneUsers);
    }
    vRefreshZone(kZoneRoom);
    if (cfg.zoneFrames[kZoneGroups] != cfg.zoneFrames[kZoneRoom] && cfg.zoneFrames[kZoneGroups] != kUndef)
        vRefreshZone(kZoneGroups);
}

void CChatModel::OnPrivateMessage(const std::string& from, const std::string& textIn, ChatIrc::CIrcSession*)
{
    if (!boAcceptIncoming(true, from, textIn))
        return;
    ++people.lPrivReceived;
    if (textIn.empty())
        return;
    vAddMessage(cfg.boNoHtml ? HtmlEncodeEntities(textIn) : textIn, from, conn.strIrcNick, 1, true,
                Origin::kStranger);
}

void CChatModel::OnRoomMessage(const std::string& from, const std::string& textIn, ChatIrc::CIrcSession*)
{
    ++people.lRoomReceived;
    if (textIn.empty() || !boAcceptIncoming(false, from, textIn))
        return;
    vAddMessage(cfg.boNoHtml ? HtmlEncodeEntities(textIn) : textIn, from, std::string(), 0, true,
                Origin::kStranger);
}

void CChatModel::OnUserJoined(const std::string& nick, const std::string& room, ChatIrc::CIrcSession*)
{
    ++people.lJoined;
    bool hidden = iOnCnfUserAttributes(nick) != 0;
    if (!hidden && conn.boSingleIncident)
        for (const std::string& u : people.users)
            if (strNoIncident(u) == strNoIncident(nick))
                hidden = true;
    const bool inserted = boInsertUser(nick, hidden ? kUserHidden : 0);
    if (!inserted)
    {
        const long i = lFindUser(nick);
        hidden = i >= 0 && (people.userFlags[static_cast<size_t>(i)] & kUserHidden) != 0;
    }
    if (people.users.size() < m_cnx.uRoomUserCount(room) && llNow() - conn.llRoomCreated <= 15)
        return;
    people.lUsersInRoom = static_cast<long>(people.users.size());
    people.lHighestUsers = std::max(people.lHighestUsers, people.lUsersInRoom);
    vRefreshZone(kZoneUsers);
    if (!conn.boSynced)
    {
        if (conn.boSingleIncident)
        {
            const std::string own = strNoIncident(conn.strIrcNick);
            for (const std::string& u : people.users)
                if (u != conn.strIrcNick && strNoIncident(u) == own)
                {
                    m_lpHost->vPostClose();
                    return;
                }
        }
        for (const std::string& u : people.users)
            if (u != conn.strIrcNick)
                iAnnounceReverse(u, std::string(), std::string(), false, false);
        iAnnounceGroups(std::string(), std::string(), std::string(), false, false);
    }
    else if (inserted && !hidden)
    {
        vAddMessage("", nick, "", 10, true);
        iAnnounceReverse(nick, std::string(), std::string(), false, false);
        iAnnounceGroups(nick, std::string(), std::string(), false, false);
    }
    conn.boSynced = true;
    vRefreshZone(kZoneGroups);
}

void CChatModel::OnUserLeft(const std::string& room, const std::string& nick, ChatIrc::CIrcSession*)
{
    (void)room;
    ++people.lLeft;
    vUserGone(nick, 11);
}

void CChatModel::OnUserKilled(const std::string& room, const std::string& victim, const std::string&,
                              const std::string&, ChatIrc::CIrcSession*)
{
    (void)room;
    ++people.lKilled;
    vUserGone(victim, 12);
}

void CChatModel::vUserGone(const std::string& nick, int messageKind)
{
    uint16_t flags = 0;
    if (boRemoveUser(nick, &flags))
    {
        if (people.lUsersInRoom > 0)
            --people.lUsersInRoom;
        const bool visible = (flags & kUserHidden) == 0;
        bool shown = visible;
        // A hidden twin of a visible user who went is shown in its place, and nothing is announced.
        if (conn.boSingleIncident && visible)
        {
            for (size_t i = 0; i < people.users.size(); ++i)
                if ((people.userFlags[i] & kUserHidden) &&
                    strNoIncident(people.users[i]) == strNoIncident(nick))
                {
                    people.userFlags[i] &= static_cast<uint16_t>(~kUserHidden);
                    shown = false;
                    break;
                }
        }
        if (shown)
        {
            vRefreshZone(kZoneUsers);
            vAddMessage("", nick, "", messageKind, true);
            vRefreshZone(kZoneGroups);
        }
    }
    people.floodRecords.erase(strLower(nick));
    people.floodRecordGroups.erase(strLower(nick));
}

void CChatModel::OnNumericError(int code, const std::string& text1, const std::string&, ChatIrc::CIrcSession*)
{
    if (code == 433 || code == 3104 || code == 3105)
    {
        conn.boNickRefused = true;
        return;
    }
    if (code == 3100 && !cfg.strLogonPage.empty())
    {
        conn.boNickRefused = true;
        return;
    }
    std::string text = text1 + " (" + std::to_string(code) + ")";
    if (tables.serverErrors.iApply(code, text))
        vAddMessage(text, conn.strIrcNick, "", 23, true, Origin::kStranger);
}

void CChatModel::OnServerMessage(int kind, const std::string& textIn, ChatIrc::CIrcSession*)
{
    std::string text = textIn;
    if (tables.serverMessages.iApply(kind, text))
        vAddMessage(text, "", "", 26, true, Origin::kStranger);
}

} // namespace ChatModel
