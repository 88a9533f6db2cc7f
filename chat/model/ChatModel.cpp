#include "ChatModel.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "ChatMarkup.h"
#include "ChatTextUtil.h"
#include "ChatVars.h"
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
    senderFlood = CFloodDetector("SNDR", m_clock);
    receiverFlood = CFloodDetector("RCVR", m_clock);
    boDebug = m_settings.strRead("dbg", "") == "1";
    formats.assign(kKindCount, std::string());
    linkAttrs.assign(kKindCount, std::string());
    // The talk form's submits and the whisper item send the talk line.
    onSendTalk = [this](bool priv) { vSendTalk(priv); };
}

CChatModel::~CChatModel() = default;

// ---------------------------------------------------------------- Init

void CChatModel::vInit()
{
    if (!m_boFirstInit)
        return;
    m_boFirstInit = false;
    lUsersInRoom = lHighestUsers = lPrivReceived = lRoomReceived = lJoined = lLeft = lKilled = 0;
    lPrivSent = lRoomSent = 0;
    boConnected = boNickRefused = boSynced = boNoHtml = boHideDefaultWhisper = false;

    formats.assign(kKindCount, std::string());
    linkAttrs.assign(kKindCount, std::string());
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
        formats[static_cast<size_t>(d.first)] = d.second;

    const char* const states[6] = {"Cnx closed",    "Opening...", "Cnx stopped",
                                   "Connecting...", "Connected",  "Disconnecting..."};
    for (int i = 0; i < 6; ++i)
        stateTexts[i] = states[i];
    userFormats[0] = "%bud%<BR>";
    userFormats[1] = "@%bud%<BR>";
    userFormats2[0] = userFormats2[1] = kUndef;
    for (std::string& z : zoneFrames)
        z = kUndef;
    const char* const menus[6] = {"Copy", "Whisper", "%bud% left %room%", "Copy", "Copy all", "Clear all"};
    for (int i = 0; i < 6; ++i)
        menuTexts[i] = menus[i];
    strAutoLinkFormat = "%lnk%";
    strAutoLinkText.clear();
    strIncidentMarker = "{";
    iMaxIncident = 10;
    strNickCheckChars = "#{[";
    strNickErrEmpty = "<font color=red>The nickname is empty or contains invalid caracters!</font>";
    strNickErrRefused = "<font color=red>The server rejected your nickname! It is either already in use or "
                        "contains invalid caracters.</font>";
    strNickErrReserved = "<font color=red>This nickname is reserved.</font>";
    badLogonStrings.clear();
    reservedNicks.clear();
    iMinNickLength = 3;
    uPort = 6667;
    // The pages may name a logon page (CNF_LOGONPAGE) from now until the
    // start gate has shown it or started the connection past it.
    boLogonPageSwitch = true;
    vReadPageParams();
    // The talk line starts on a fresh line.
    uInputCursor = inputHistory.size();
}

void CChatModel::vLoadUserInterface()
{
    if (!m_lpView)
        return;
    if (strHtmlUiUrl.empty())
        m_lpView->vLoad("str://<BODY BGCOLOR=" + strBgColor + ">" + strWaitText + "</BODY>", std::string());
    else
        m_lpView->vLoad(strHtmlUiUrl, std::string());
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
        std::string* texts[4] = {&strOkUrl, &strOkFrame, &strNokUrl, &strNokFrame};
        const char* textNames[4] = {"OKURL", "OKFRAME", "NOKURL", "NOKFRAME"};
        for (int i = 0; i < 4; ++i)
        {
            v = strGetPageParam(std::string("INSTALLCHECK_") + textNames[i], &f);
            if (f)
                *texts[i] = v;
        }
        double* limits[4] = {&dMinVer, &dMaxVer, &dMinSubVer, &dMaxSubVer};
        const char* limitNames[4] = {"MINVER", "MAXVER", "MINSUBVER", "MAXSUBVER"};
        for (int i = 0; i < 4; ++i)
        {
            v = strGetPageParam(std::string("INSTALLCHECK_") + limitNames[i], &f);
            if (f)
                *limits[i] = std::atof(v.c_str());
        }
        if (inst->boGetArg("DEFROOTPATH", v))
            strDefRootPath = v;
        if (inst->boGetArg("CK", v))
            strCheckKey = v;
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
            strWaitText = v;
        if (inst->boGetArg("HTMLUI_URL", v))
            strHtmlUiUrl = unscramble(v);
        if (inst->boGetArg("GLOBAL_BG_COLOR", v))
            strBgColor = v;
        if (inst->boGetArg("SERVER_NAME", v))
            strServer = unscramble(v);
        if (inst->boGetArg("SERVER_KEY", v))
            strServerKey = v;
        if (inst->boGetArg("ROOM_NAME", v))
            strRoom = unscramble(v);
        if (inst->boGetArg("NICKNAME", v))
        {
            if (!v.empty() && v[0] == '#')
                v.clear();
            strNick = v;
            strNickHtml = HtmlEncodeEntities(v);
            strIrcNick = v;
        }
    }
    groups.vClear();
    if (args)
    {
        contextVars.clear();
        for (int n = 1;; ++n)
        {
            if (!inst->boGetArg("CONTEXT_VAR" + std::to_string(n), v))
                break;
            contextVars.push_back(HtmlTrim(v));
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
            groups.FindOrCreate(name, rank);
            for (const std::string& user : ChatIrc::SplitList(list, ","))
                groups.iSetMember(name, user, rank);
        }
        for (int n = 1;; ++n)
        {
            if (!inst->boGetArg("MEMBEROF" + std::to_string(n), v) || v.empty())
                break;
            const int32_t rank = iSplitRank(v);
            groups.FindOrCreate(v, rank);
            groups.iSetMember(v, strNoIncident(strNick), rank);
        }
    }
    if (strBgColor.empty())
        strBgColor = "#005185";
}

// ---------------------------------------------------------------- variables

std::string CChatModel::strNoIncident(const std::string& nick) const
{
    if (strIncidentMarker.empty())
        return nick;
    const size_t at = nick.find(strIncidentMarker);
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
        value = strNoIncident(strSelected);
    else if (n == "%room%")
        value = scheme.strRoomFromWire(strRoom);
    else if (n == "%roomutf8%")
        value = strAnsiToUtf8(scheme.strRoomFromWire(strRoom));
    else if (n == "%approom%")
        value = strRoom;
    else if (n == "%IRCbud%" || n == "%ircbud%")
        value = strEncodedNick(strSelected);
    else if (n == "%IRCNoIncbud%" || n == "%ircnoincbud%")
        value = strNoIncident(strEncodedNick(strSelected));
    else if (n == "%ircbudutf8%")
        value = strAnsiToUtf8(strEncodedNick(strSelected));
    else if (n == "%ircnoincbudutf8%")
        value = strAnsiToUtf8(strNoIncident(strEncodedNick(strSelected)));
    else if (n == "%ircappbud%")
        value = strSelected;
    else if (n == "%ircappnoincbud%")
        value = strNoIncident(strSelected);
    else if (n == "%IncIdent%" || n == "%incident%")
        value = strIncidentMarker;
    else if (n == "%usernick%")
        value = strNoIncident(strNick);
    else if (n == "%userircnick%")
        value = strEncodedNick(strIrcNick);
    else if (n == "%userircnickutf8%")
        value = strAnsiToUtf8(strEncodedNick(strIrcNick));
    else if (n == "%userircappnick%")
        value = strIrcNick;
    else if (n == "%chatver%")
        value = "4.38";
    else if (n == "%chatossubver%")
        value = "1.01";
    else if (n == "%osstr%")
        value = "Win32";
    else if (n == "%navint%")
        value = m_lpInstance && m_lpInstance->boIsActiveX() ? "AX" : "NP";
    else if (n == "%checkkey%")
        value = strCheckKey;
    else if (n == "%curdom%")
        value = strCurDomain;
    else if (n == "%curfulldom%")
        value = strCurFullDomain;
    else if (n == "%curdomip%" || n == "%curfulldomip%")
    {
        // Resolved only here, when the text holds the name.
        const std::string& host = n == "%curdomip%" ? strCurDomain : strCurFullDomain;
        value = onResolve && !host.empty() ? onResolve(host) : std::string();
    }
    else if (n == "%crkey%")
        value = scheme.strGetKey();
    else if (n == "%nckprfx%")
        value = scheme.strGetNickPrefix();
    else if (n == "%htmlui%")
        value = strHtmlUiUrl;
    else if (n == "%rootpath%")
    {
        if (!m_lpView)
            return false;
        value = m_lpView->strRootPath();
    }
    else if (n == "%defrootpath%")
        value = strDefRootPath;
    else if (n == "%empty%")
        value.clear();
    else if (n == "%usergrps%")
    {
        std::vector<std::string> names;
        groups.uGroupsOf(strNoIncident(strNick), &names);
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
    src.context = &contextVars;
    src.field = [this](const std::string& spec, std::string& v)
    { return m_lpView != nullptr && m_lpView->boReadField(spec, v); };
    src.checksum = [this](const std::string& room, const std::string* key, std::string& v)
    {
        if (!m_lpView)
            return false;
        std::string stored;
        long sum = 0;
        if (roomKeys.boGetStored(room, stored))
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
        for (const auto& kv : pageVars)
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
    for (size_t i = 0; i < users.size(); ++i)
        if (users[i] == nick)
            return static_cast<long>(i);
    return -1;
}

bool CChatModel::boInsertUser(const std::string& nick, uint16_t flags)
{
    if (lFindUser(nick) >= 0)
        return false;
    const std::string low = strLower(nick);
    size_t at = 0;
    while (at < users.size() && strLower(users[at]) <= low)
        ++at;
    users.insert(users.begin() + static_cast<long>(at), nick);
    userFlags.insert(userFlags.begin() + static_cast<long>(at), flags);
    return true;
}

bool CChatModel::boRemoveUser(const std::string& nick, uint16_t* flags)
{
    const long i = lFindUser(nick);
    if (i < 0)
        return false;
    if (flags)
        *flags = userFlags[static_cast<size_t>(i)];
    users.erase(users.begin() + i);
    userFlags.erase(userFlags.begin() + i);
    return true;
}

void CChatModel::vClearUsers()
{
    users.clear();
    userFlags.clear();
}

// ---------------------------------------------------------------- zones

void CChatModel::vRefreshZone(int zone)
{
    if (zone != kZoneMessages && zone != kZoneUsers && zone != kZoneGroups && zone != kZoneStatus &&
        zone != kZoneRoom)
        return;
    const std::string& frame = zoneFrames[zone];
    if (!m_lpView || frame == kUndef || !m_lpView->boHasFrame(frame))
        return;
    m_lpView->vReloadFrame(frame, zone == kZoneMessages);
}

void CChatModel::vClearAll()
{
    vOnActClr();
    vClearUsers();
    groups.vClear();
    elementLists.vClear();
    changedLists.clear();
    messageFormats.vClear();
    serverErrors.vClear();
    serverMessages.vClear();
    floodRecords.clear();
    floodRecordGroups.clear();
}

// ---------------------------------------------------------------- element lists

int32_t CChatModel::iQueueFrameRefresh(const std::string& list, bool synchronous)
{
    if (std::find(changedLists.begin(), changedLists.end(), list) != changedLists.end())
        return 0;
    changedLists.push_back(list);
    if (changedLists.size() > 1)
        return 0;
    if (onPostListsChanged && !synchronous)
        onPostListsChanged();
    else
        vOnListsChanged();
    return 1;
}

void CChatModel::vOnListsChanged()
{
    const std::vector<std::string> names = std::move(changedLists);
    changedLists.clear();
    if (!m_lpView)
        return;
    for (const std::string& list : names)
    {
        std::vector<std::string> done;
        for (const auto* frames : {&elistFrames, &elistItemFrames, &elistKeyFrames})
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
    if (onPostRefresh)
        onPostRefresh();
    else
        vRefreshZone(kZoneMessages);
}

bool CChatModel::boOnElistToggle(const std::string& rest)
{
    const size_t at = rest.find('@');
    if (at == std::string::npos)
        return false;
    const std::string list = rest.substr(0, at);
    const std::string key = rest.substr(at + 1);
    if (list.empty() || key.empty() || !elementLists.boToggleExpanded(list, key))
        return false;
    const auto it = elistFrames.find(list);
    if (it != elistFrames.end() && m_lpView)
        m_lpView->vReloadFrame(it->second, false);
    return true;
}

std::string CChatModel::CElementListHost::strOwnNickNoIncident()
{
    return m_model.strNoIncident(m_model.strNick);
}

bool CChatModel::CElementListHost::boSetGroupMember(const std::string& group, const std::string& nick,
                                                    int32_t rank)
{
    return m_model.groups.iSetMember(group, nick, rank) != 0;
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
    return m_model.userAttrs[0];
}

void CChatModel::CElementListHost::vCutHistoryTag(const std::string& tagName, const std::string& attributes)
{
    m_model.strHistory = strCutTagAttributes(m_model.strHistory, tagName, attributes);
}

void CChatModel::CElementListHost::vQueueListChanged(const std::string& list)
{
    m_model.vQueueListChanged(list);
}

void CChatModel::CElementListHost::vRequestMessageRefresh()
{
    m_model.vPostRefresh();
}

bool CChatModel::boIsBeforeConnection()
{
    return !boConnected && m_cnx.iState() != 2;
}

// ---------------------------------------------------------------- message list

void CChatModel::vOnActClr()
{
    messages.clear();
    strHistory.clear();
}

std::string CChatModel::strNickMarkup(const std::string& nick, int strid, std::vector<std::string>* out)
{
    if (out)
        groups.uGroupsOf(strNoIncident(nick), out);
    return "<DI_MGHDS STRID=" + std::to_string(strid) + ">" + HtmlEncodeEntities(nick) + "</DI_MGHDS>";
}

std::string CChatModel::strNickDisplay(const std::string& nick, int strid)
{
    const std::string plain = strNoIncident(nick);
    std::string display = HtmlEncodeEntities(plain);
    if (!boGroupDecoration || strid < 0)
        return display;
    std::vector<std::string> names;
    groups.uGroupsOf(plain, &names);
    for (const std::string& g : names)
    {
        // A group still waiting for its configuration document asks for it
        // (once: the download list remembers the address).
        const CGroupTable::Group* group = groups.lpFind(g);
        if (group && group->counters[2] == 0 && (!group->strFileTemplate.empty() || boPlainGroupName(g)))
        {
            const std::string address = groups.strGroupFile(g);
            if (!address.empty())
                iLoadConfigDocument(address, kGroupConfigLoad);
        }
        int32_t rank = 0;
        groups.boMemberValue(g, plain, &rank);
        const std::string f =
            rank < 0 ? std::string()
                     : groups.strListEntry(g, static_cast<size_t>(strid), static_cast<size_t>(rank));
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
        if (onConfigRequest)
        {
            onConfigRequest(address, tag);
            return 0;
        }
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
    if (kind >= static_cast<int>(formats.size()) || kind >= static_cast<int>(linkAttrs.size()) || kind < -1)
        return;
    if (messages.size() > kMaxMessages)
        vOnActClr();
    const std::string& from = fromIn;
    const std::string& to = toIn;
    messages.push_back(Message{textIn, from, to});
    const long n = static_cast<long>(messages.size() - 1);

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
                    multiParts.vSetContext(from, to, kind);
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
                groups.boMemberValue(g, fromPlain, &rank);
                const std::string f =
                    rank < 0 ? std::string() : groups.strListEntry(g, 2, static_cast<size_t>(rank));
                if (!f.empty())
                    text = strReplaceAll(strReplaceAll(f, "%mess%", text), "%empty%", "");
            }
    }

    std::string budLink, budToLink, messLink;
    const std::string num = std::to_string(n);
    if (kind >= 0)
    {
        const std::string& attr = linkAttrs[static_cast<size_t>(kind)];
        if (!from.empty())
            budLink = "<a href=\"@BUD@" + num + "@" + fromEnc + "\" " + attr + ">" + fromShow + "</a>";
        if (!to.empty())
            budToLink = "<a href=\"@BUD@" + num + "@" + toEnc + "\" " + attr + ">" + toShow + "</a>";
        messLink = "<a href=\"@MESS@" + num + "\" " + strMessLinkAttr + ">" + text + "</a>";
    }

    if (silent)
        strHistory += text;
    else if (tagMessage || multiPart)
    {
        if (multiPart)
            multiParts.vSetContext(from, to, kind);
        iParseMarkup(text);
    }
    else
    {
        std::string line;
        const std::string fmt = kind >= 0 ? formats[static_cast<size_t>(kind)] : std::string();
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
            line = strReplaceAll(strReplaceAll(fmt, "%bud%", budLink), "%room%", HtmlEncodeEntities(strRoom));
            break;
        case 13:
            line = strReplaceAll(strReplaceAll(fmt, "%bud%", budLink), "%room%", HtmlEncodeEntities(strRoom));
            line = strReplaceAll(line, "%nbbud%", std::to_string(lUsersInRoom));
            line = strReplaceAll(line, "%(s)%", lUsersInRoom >= 2 ? "s" : "");
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
                groups.boMemberValue(g, fromPlain, &rank);
                const std::string f =
                    rank < 0 ? std::string() : groups.strListEntry(g, 3, static_cast<size_t>(rank));
                if (!f.empty())
                    line = strReplaceAll(strReplaceAll(f, "%line%", line), "%empty%", "");
            }
            strHistory += "<DI_HI>" + line + "</DI_HI>";
            const std::string trimmed = HtmlTrim(line);
            if (trimmed.empty() || trimmed == "<DMY/>")
                refresh = false;
        }
    }
    // The history never stays above its limit once a message is added.
    if (lHistoryLimit >= 0 && static_cast<long>(strHistory.size()) > lHistoryLimit)
        strHistory = strTrimHistory(strHistory, static_cast<long>(strHistory.size()) - lHistoryLimit);
    if (refresh)
        vRefreshZone(kZoneMessages);
}

void CChatModel::vSendLongMessage(const std::string& text, bool priv, bool show, const std::string& to)
{
    const size_t max = uMaxMessageLength;
    if (text.size() < max * 3 / 4)
    {
        vSendChat(text, priv, show, to);
        return;
    }
    const long id = ++lMultiPartCounter();
    const std::string ident = strNickHtml + std::to_string(id);
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
    if (strIrcNick.empty())
        return;
    if (m_cnx.iState() == 3 && !strServer.empty())
        m_cnx.vClose();
    const int state = m_cnx.iState();
    if ((state == 0 || state == 2) && !strServer.empty())
    {
        if (state == 2)
            m_cnx.vClose();
        m_cnx.boOpen(strServer, uPort < 1 ? 6667 : uPort);
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
        m_cnx.boLeaveRoom(strRoom);
        m_cnx.vClose();
    }
    m_boFirstInit = true;
}

void CChatModel::vCreateRoom()
{
    if (m_cnx.iState() != 2)
        return;
    llRoomCreated = llNow();
    // The room's CNF_ROOMKEY record, else the default one: its key, and its
    // mode as the creation flags (2, a visible room, without a record).
    int32_t mode = 2;
    const std::string key = roomKeys.strGet(strRoom, &mode, nullptr);
    m_cnx.boCreateRoom(strRoom, strRoomModes, key, static_cast<uint32_t>(mode));
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

bool CChatModel::boExempt(const CFloodDetector& det, const std::string& nick) const
{
    const std::string plain = strNoIncident(nick);
    for (const std::string& g : det.exemptGroups)
        if (groups.boHasMember(g, plain))
            return true;
    for (const std::string& p : det.exemptUsers)
        if (ChatText::boWildcardMatch(plain, p))
            return true;
    return false;
}

void CChatModel::vSendChat(const std::string& textIn, bool priv, bool show, const std::string& to, int,
                           bool checked, bool built)
{
    const std::string text = boNoHtml && !built ? HtmlEncodeEntities(textIn) : textIn;
    if (priv && (to.empty() || (lFindUser(to) < 0 && show)))
    {
        if (show)
            vAddMessage("", strIrcNick, "", 20, true);
        return;
    }
    if (text.size() >= uMaxMessageLength)
    {
        if (show)
            vAddMessage("", strIrcNick, "", 22, true);
        return;
    }
    if (!checked && !boIsTagMessage(text) && !boExempt(senderFlood, strIrcNick))
    {
        senderFlood.vOnMessage(text);
        int32_t duration = 0, remaining = 0;
        const int alert = senderFlood.iAlertState(&duration, &remaining);
        if (alert != 0)
        {
            if (show)
                vAddMessage(strWaitTimeText(duration == -1 ? -1 : remaining), strIrcNick, "",
                            iFloodKindOf(senderFlood, alert), true);
            const std::string group = senderFlood.strAutoGroup(alert);
            if (!group.empty() && iSetGroupMember(true, group, 0, true, strIrcNick, false))
                if (std::find(penaltyGroups.begin(), penaltyGroups.end(), group) == penaltyGroups.end())
                    penaltyGroups.push_back(group);
            return;
        }
        for (const std::string& g : penaltyGroups)
            iSetGroupMember(false, g, 0, true, strIrcNick, false);
        penaltyGroups.clear();
    }
    if (show && !boLocalEchoOff)
        vAddMessage(text, strIrcNick, priv ? to : std::string(), priv ? 1 : 0, true);
    if (m_cnx.iState() == 2)
    {
        if (priv)
        {
            m_cnx.boSay(to.c_str(), text);
            ++lPrivSent;
        }
        else
        {
            m_cnx.boSay(nullptr, text);
            ++lRoomSent;
        }
    }
}

bool CChatModel::boAcceptIncoming(bool, const std::string& from, const std::string& text)
{
    if (from.empty() || text.empty())
        return true;
    std::unique_ptr<CFloodDetector>& rec = floodRecords[strLower(from)];
    if (!rec)
    {
        rec.reset(new CFloodDetector(from, m_clock));
        rec->vCopyParameters(receiverFlood);
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
                iFloodKindOf(receiverFlood, alert), true);
    const std::string group = rec->strAutoGroup(alert);
    if (!group.empty())
    {
        iSetGroupMember(true, group, 0, true, from, false);
        floodRecordGroups[strLower(from)] = group;
    }
    return false;
}

// ---------------------------------------------------------------- groups

int CChatModel::iOnCnfUserAttributes(const std::string& nick) const
{
    return std::find(hiddenUsers.begin(), hiddenUsers.end(), nick) != hiddenUsers.end() ? 1 : 0;
}

int CChatModel::iSetGroupMember(bool add, const std::string& group, int32_t rank, bool announce,
                                const std::string& user, bool quiet)
{
    const std::string plain = strNoIncident(user);
    bool changed;
    if (add)
        changed = groups.iSetMember(group, plain, rank) != 0;
    else
        changed = groups.boRemoveMember(group, plain);
    if (changed && announce)
    {
        const CGroupTable::Group* g = groups.lpFind(group);
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
    const std::string own = strMarkupValue(strNick);
    const std::string word = quiet ? "" : " NEWDYNADD";
    const std::string ownPlain = strNoIncident(strNick);
    int sent = 0;
    if (remove)
    {
        if (group.empty())
            return 0;
        const std::string t = "<TMESS/><DYN_GRP REMUSER GRPNAME=\"" + strMarkupValue(group) +
                              "\" GRPUSER=\"" + strMarkupValue(user) + "\" SENDER=\"" + own + "\" " +
                              word + "></DYN_GRP>";
        vSendChat(t, !to.empty(), false, to, 0, false, true);
        return 1;
    }
    if (user.empty())
    {
        std::vector<std::string> names;
        groups.uGroupsOf(ownPlain, &names);
        for (const std::string& name : names)
        {
            const CGroupTable::Group* g = groups.lpFind(name);
            if (!g || !g->boAnnounce || (!group.empty() && !boEqualNoCase(group, name)))
                continue;
            int32_t rank = 0;
            groups.boMemberValue(name, ownPlain, &rank);
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
    const CGroupTable::Group* g = groups.lpFind(group);
    const std::string plainUser = strNoIncident(user);
    int32_t rank = 0;
    if (g && g->boAnnounce && groups.boMemberValue(group, plainUser, &rank))
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
    const std::string own = strMarkupValue(strNick);
    const std::string word = quiet ? "" : " NEWDYNADD";
    const std::string ownPlain = strNoIncident(strNick);
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
    groups.uGroupsOf(strNoIncident(user), &names);
    for (const std::string& name : names)
    {
        const CGroupTable::Group* g = groups.lpFind(name);
        if (!g || g->boAnnounce)
            continue;
        if ((!group1.empty() || !group2.empty()) && !boEqualNoCase(name, group1) &&
            !boEqualNoCase(name, group2))
            continue;
        int32_t rank = 0;
        if (!groups.boMemberValue(name, ownPlain, &rank))
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
    iDisplayState = display;
    if (display == 4)
    {
        boConnected = true;
        uMaxMessageLength = 484;
        m_cnx.boLogon(strIrcNick, "Vblt " + strIrcNick);
        vClearUsers();
        if (!strConnectText.empty())
            vAddMessage(strConnectText, "", "", -1, true);
        vCreateRoom();
    }
    else if (display == 2 && boNickRefused)
    {
        if (!strLogonPage.empty() && m_lpView)
        {
            boNickRefused = false;
            strLogonError = strNickErrRefused;
            m_lpView->vStopLoading();
            m_lpView->vEnableControl("CFLD_TEXT", false);
            m_lpView->vLoad(strLogonPage, strLogonFrame);
        }
        else if (!strIncidentMarker.empty())
        {
            std::string nick = strIrcNick;
            size_t at = nick.find(strIncidentMarker);
            if (at == std::string::npos)
            {
                nick += strIncidentMarker;
                at = nick.size() - strIncidentMarker.size();
            }
            const long number = std::atol(nick.substr(at + strIncidentMarker.size()).c_str());
            if (number < iMaxIncident)
            {
                strIrcNick = nick.substr(0, at + strIncidentMarker.size()) + std::to_string(number + 1);
                boNickRefused = false;
                vConnect();
            }
        }
    }
    else if (display == 0)
    {
        boConnected = false;
        vClearUsers();
        vRefreshZone(kZoneUsers);
    }
    vRefreshZone(kZoneStatus);
}

void CChatModel::OnRoomState(const std::string& room, int state, ChatIrc::CIrcSession*)
{
    if (state == 2)
    {
        lUsersInRoom = static_cast<long>(m_cnx.uRoomUserCount(room));
        strRoom = room;
        lHighestUsers = std::max(lHighestUsers, lUsersInRoom);
        boSynced = false;
        if (!boKeepOnJoin)
            vOnActClr();
        if (!strLogonPage.empty())
            groups.iSetMember(kTempLogon + strNoIncident(strNick), strNoIncident(strNick), 0);
        if (boRememberLogin)
            m_settings.boWrite("LastLogin", strNick);
        vAddMessage("", strIrcNick, "", 13, true);
        if (!strInsertUrl.empty())
            vAddMessage("<DYN_INSERTURL HREF=\"" + strInsertUrl + "\"/>", "", "", -1, true);
        if (!strWelcomeText.empty())
            vAddMessage(strWelcomeText, "", "", -1, true);
    }
    else if (state == 0)
    {
        vClearUsers();
        strRoom.clear();
        lUsersInRoom = 0;
        vRefreshZone(kZoneUsers);
    }
    vRefreshZone(kZoneRoom);
    if (zoneFrames[kZoneGroups] != zoneFrames[kZoneRoom] && zoneFrames[kZoneGroups] != kUndef)
        vRefreshZone(kZoneGroups);
}

void CChatModel::OnPrivateMessage(const std::string& from, const std::string& textIn, ChatIrc::CIrcSession*)
{
    if (!boAcceptIncoming(true, from, textIn))
        return;
    ++lPrivReceived;
    if (textIn.empty())
        return;
    vAddMessage(boNoHtml ? HtmlEncodeEntities(textIn) : textIn, from, strIrcNick, 1, true, Origin::kStranger);
}

void CChatModel::OnRoomMessage(const std::string& from, const std::string& textIn, ChatIrc::CIrcSession*)
{
    ++lRoomReceived;
    if (textIn.empty() || !boAcceptIncoming(false, from, textIn))
        return;
    vAddMessage(boNoHtml ? HtmlEncodeEntities(textIn) : textIn, from, std::string(), 0, true, Origin::kStranger);
}

void CChatModel::OnUserJoined(const std::string& nick, const std::string& room, ChatIrc::CIrcSession*)
{
    ++lJoined;
    bool hidden = iOnCnfUserAttributes(nick) != 0;
    if (!hidden && boSingleIncident)
        for (const std::string& u : users)
            if (strNoIncident(u) == strNoIncident(nick))
                hidden = true;
    const bool inserted = boInsertUser(nick, hidden ? kUserHidden : 0);
    if (!inserted)
    {
        const long i = lFindUser(nick);
        hidden = i >= 0 && (userFlags[static_cast<size_t>(i)] & kUserHidden) != 0;
    }
    if (users.size() < m_cnx.uRoomUserCount(room) && llNow() - llRoomCreated <= 15)
        return;
    lUsersInRoom = static_cast<long>(users.size());
    lHighestUsers = std::max(lHighestUsers, lUsersInRoom);
    vRefreshZone(kZoneUsers);
    if (!boSynced)
    {
        if (boSingleIncident)
        {
            const std::string own = strNoIncident(strIrcNick);
            for (const std::string& u : users)
                if (u != strIrcNick && strNoIncident(u) == own)
                {
                    if (onPostClose)
                        onPostClose();
                    return;
                }
        }
        for (const std::string& u : users)
            if (u != strIrcNick)
                iAnnounceReverse(u, std::string(), std::string(), false, false);
        iAnnounceGroups(std::string(), std::string(), std::string(), false, false);
    }
    else if (inserted && !hidden)
    {
        vAddMessage("", nick, "", 10, true);
        iAnnounceReverse(nick, std::string(), std::string(), false, false);
        iAnnounceGroups(nick, std::string(), std::string(), false, false);
    }
    boSynced = true;
    vRefreshZone(kZoneGroups);
}

void CChatModel::OnUserLeft(const std::string& room, const std::string& nick, ChatIrc::CIrcSession*)
{
    (void)room;
    ++lLeft;
    vUserGone(nick, 11);
}

void CChatModel::OnUserKilled(const std::string& room, const std::string& victim, const std::string&,
                              const std::string&, ChatIrc::CIrcSession*)
{
    (void)room;
    ++lKilled;
    vUserGone(victim, 12);
}

void CChatModel::vUserGone(const std::string& nick, int messageKind)
{
    uint16_t flags = 0;
    if (boRemoveUser(nick, &flags))
    {
        if (lUsersInRoom > 0)
            --lUsersInRoom;
        const bool visible = (flags & kUserHidden) == 0;
        bool shown = visible;
        // A hidden twin of a visible user who went is shown in its place, and nothing is announced.
        if (boSingleIncident && visible)
        {
            for (size_t i = 0; i < users.size(); ++i)
                if ((userFlags[i] & kUserHidden) && strNoIncident(users[i]) == strNoIncident(nick))
                {
                    userFlags[i] &= static_cast<uint16_t>(~kUserHidden);
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
    floodRecords.erase(strLower(nick));
    floodRecordGroups.erase(strLower(nick));
}

void CChatModel::OnNumericError(int code, const std::string& text1, const std::string&, ChatIrc::CIrcSession*)
{
    if (code == 433 || code == 3104 || code == 3105)
    {
        boNickRefused = true;
        return;
    }
    if (code == 3100 && !strLogonPage.empty())
    {
        boNickRefused = true;
        return;
    }
    std::string text = text1 + " (" + std::to_string(code) + ")";
    if (serverErrors.iApply(code, text))
        vAddMessage(text, strIrcNick, "", 23, true, Origin::kStranger);
}

void CChatModel::OnServerMessage(int kind, const std::string& textIn, ChatIrc::CIrcSession*)
{
    std::string text = textIn;
    if (serverMessages.iApply(kind, text))
        vAddMessage(text, "", "", 26, true, Origin::kStranger);
}

} // namespace ChatModel
