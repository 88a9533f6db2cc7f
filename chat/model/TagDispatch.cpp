// The chat's tag dispatcher: the families of directive tags, their rows in
// order, the directives it runs itself, and the result protocol of slot 0.
#include <cstdlib>

#include "ChatModel.h"
#include "ChatTextUtil.h"
#include "HtmlAttr.h"
#include "html/doc/HtmlText.h"
#include "NickScheme.h"

namespace ChatModel
{

using ChatText::boEqualNoCase;
using ChatText::boStartsNoCase;

namespace
{

int32_t iAttr(const std::string& name, const std::string& attrs, int32_t def)
{
    const std::string v = GetAttrOr(name, attrs);
    return v.empty() ? def : static_cast<int32_t>(std::strtol(v.c_str(), nullptr, 10));
}

double dAttr(const std::string& name, const std::string& attrs)
{
    const std::string v = GetAttrOr(name, attrs);
    return v.empty() ? 0.0 : std::strtod(v.c_str(), nullptr);
}

bool boStartsYes(const std::string& v)
{
    return !v.empty() && (v[0] == 'Y' || v[0] == 'y');
}

// One tag as the rows see it.
struct TagCall
{
    std::string name, suffix, attrs, body, frame;
    // Set by a row whose tag is to stay with the renderer.
    bool boLeave = false;
    // Set by a row whose empty text removes the tag whatever the row's flags.
    bool boRemove = false;
};

using RowFn = std::string (*)(CChatModel&, TagCall&);

enum RowFlags : unsigned
{
    kExact = 0,
    kPrefix = 1,      // matches every name that begins with it; the rest is the suffix
    kEmptyLeaves = 2, // an empty text leaves the tag to the renderer
};

struct Row
{
    const char* name;
    unsigned flags;
    RowFn fn;
};

// ---------------------------------------------------------------- CNF_

std::string CnfNotifyLeaveOnKick(CChatModel& m, TagCall& c)
{
    m.cfg.boNotifyLeaveOnKick = HasAttr("YES", c.attrs) != 0;
    return {};
}

std::string CnfRoomKey(CChatModel& m, TagCall& c)
{
    m.tables.roomKeys.vSet(GetAttrOr("ROOM", c.attrs), GetAttrOr("KEY", c.attrs), GetAttrOr("MODE", c.attrs),
                           GetAttrOr("MBCOUNT", c.attrs));
    return {};
}

std::string CnfProtocolMessage(CChatModel& m, TagCall& c)
{
    const std::string type = GetAttrOr("TYPE", c.attrs);
    if (boEqualNoCase(type, "HTML"))
        m.cfg.boNoHtml = false;
    else if (boEqualNoCase(type, "TEXT"))
        m.cfg.boNoHtml = true;
    return {};
}

std::string CnfSpecChars(CChatModel& m, TagCall& c)
{
    ChatIrc::CNickScheme& scheme = m.Scheme();
    const std::string incident = GetAttrOr("NICKINCIDENT", c.attrs, "{");
    if (!incident.empty())
        m.conn.strIncidentMarker = incident;
    if (HasAttr("NICKINCMAX", c.attrs))
        m.conn.iMaxIncident = iAttr("NICKINCMAX", c.attrs, 0);
    std::string escape = GetAttrOr("BADNICKCHARIDENT", c.attrs, "[");
    if (escape.empty())
        escape = GetAttrOr("NICKESCAPE", c.attrs, "[");
    if (!escape.empty())
        scheme.vSetEscapeMark(escape);
    const std::string bad = GetAttrOr("BADNICKCHARS", c.attrs, "()<>?!#'~|^%$ùµ=¨²,;:.-+à@/");
    if (!bad.empty())
        scheme.vSetForbiddenSet(bad);
    const std::string idxEscape = GetAttrOr("IDXCHARESCAPE", c.attrs);
    if (!idxEscape.empty())
        scheme.vSetSecondMark(idxEscape);
    const std::string idxTable = GetAttrOr("IDXCHARTABLE", c.attrs);
    if (!idxTable.empty())
        scheme.vSetSecondSet(idxTable);
    return {};
}

std::string CnfServErr(CChatModel& m, TagCall& c)
{
    m.tables.serverErrors.vSetRule(iAttr("ID", c.attrs, 0), c.body, HasAttr("IGNORE", c.attrs) != 0,
                                   GetAttrOr("DISPDELIM", c.attrs));
    return {};
}

std::string CnfServMess(CChatModel& m, TagCall& c)
{
    m.tables.serverMessages.vSetRule(iAttr("ID", c.attrs, 0), c.body, HasAttr("IGNORE", c.attrs) != 0,
                                     GetAttrOr("DISPDELIM", c.attrs));
    return {};
}

// Another user's line may not move the next connection elsewhere.
std::string CnfServInfo(CChatModel& m, TagCall& c)
{
    if (m.boForeignText())
        return {};
    const std::string address = GetAttrOr("ADRS", c.attrs);
    if (!address.empty())
        m.conn.strServer = boStartsNoCase(address, "#CR#")
                               ? ChatText::strScramble(address.substr(4), CChatModel::strRunTimeKey())
                               : address;
    const std::string port = GetAttrOr("PORT", c.attrs);
    if (!port.empty())
        m.conn.uPort = static_cast<uint16_t>(std::strtol(port.c_str(), nullptr, 10));
    const std::string key = GetAttrOr("KEY", c.attrs);
    if (!key.empty())
        m.conn.strServerKey = key;
    return {};
}

std::string CnfWaitingForBuds(CChatModel& m, TagCall& c)
{
    m.cfg.strWaitingForBuds = c.body;
    return {};
}

std::string CnfBudsLeft(CChatModel& m, TagCall& c)
{
    m.cfg.strBudsLeft = c.body;
    return {};
}

std::string CnfDebug(CChatModel& m, TagCall& c)
{
    if (m.boIsBeforeConnection())
        m.cfg.boDebug = !HasAttr("FALSE", c.attrs);
    return {};
}

std::string CnfLogonErr(CChatModel& m, TagCall& c)
{
    const std::string type = GetAttrOr("TYPE", c.attrs);
    if (boEqualNoCase(type, "CLIENTERR"))
        m.cfg.strNickErrEmpty = c.body;
    else if (boEqualNoCase(type, "SERVERERR"))
        m.cfg.strNickErrRefused = c.body;
    else if (boEqualNoCase(type, "RESERVED"))
        m.cfg.strNickErrReserved = c.body;
    else if (boEqualNoCase(type, "FORBIDDEN"))
        m.cfg.strNickErrForbidden = c.body;
    return {};
}

std::string CnfLogonChars(CChatModel& m, TagCall& c)
{
    const std::string chars = GetAttrOr("FORBIDDENNICKCHARS", c.attrs, "#{[");
    if (!chars.empty())
        m.conn.strNickCheckChars = chars;
    if (HasAttr("MINLEN", c.attrs))
    {
        const int32_t n = iAttr("MINLEN", c.attrs, 0);
        m.cfg.iMinNickLength = n < 3 ? 3 : n;
    }
    return {};
}

std::string CnfBadLogonStr(CChatModel& m, TagCall& c)
{
    const std::string s = GetAttrOr("STR", c.attrs);
    if (!s.empty())
        m.cfg.badLogonStrings.push_back(s);
    return {};
}

std::string CnfLogReserved(CChatModel& m, TagCall& c)
{
    const std::string s = GetAttrOr("NICK", c.attrs);
    if (!s.empty())
        m.cfg.reservedNicks.push_back(s);
    return {};
}

std::string CnfLoginRemember(CChatModel& m, TagCall& c)
{
    m.conn.boRememberLogin = HasAttr("YES", c.attrs) != 0;
    return {};
}

std::string CnfLoginStore(CChatModel& m, TagCall& c)
{
    m.cfg.boLoginStore = HasAttr("YES", c.attrs) != 0;
    return {};
}

// The NAV and SND switches also let the start go when nothing holds it.
std::string CnfNav(CChatModel& m, TagCall& c)
{
    if (!m.boIsBeforeConnection())
        return {};
    m.cfg.boNavSwitch = HasAttr("YES", c.attrs) != 0;
    if (!m.conn.boWaiting)
        m.conn.boGo = true;
    return {};
}

std::string CnfSnd(CChatModel& m, TagCall& c)
{
    if (!m.boIsBeforeConnection())
        return {};
    m.cfg.boSndSwitch = HasAttr("YES", c.attrs) != 0;
    if (!m.conn.boWaiting)
        m.conn.boGo = true;
    return {};
}

std::string CnfMultCnx(CChatModel& m, TagCall& c)
{
    m.cfg.boMultCnxShow = HasAttr("SHOW", c.attrs) != 0;
    m.cfg.boMultCnxEnable = HasAttr("ENABLE", c.attrs) != 0;
    return {};
}

// Context variables are numbered from 1; numbers past the bound are a page's
// mistake (or another user's attempt to grow the list), not a request.
std::string CnfContextVar(CChatModel& m, TagCall& c)
{
    const int32_t n = iAttr("CID", c.attrs, 0);
    if (n < 1 || n > CChatModel::kMaxContextVars)
        return {};
    if (m.page.contextVars.size() < static_cast<size_t>(n))
        m.page.contextVars.resize(static_cast<size_t>(n));
    m.page.contextVars[static_cast<size_t>(n - 1)] = c.body;
    return {};
}

std::string CnfNarnru(CChatModel& m, TagCall&)
{
    m.cfg.boNarnru = true;
    return {};
}

std::string CnfUserAttributes(CChatModel& m, TagCall& c)
{
    const std::string user = GetAttrOr("USER", c.attrs);
    if (user.empty() || !HasAttr("HIDDEN", c.attrs) || m.iOnCnfUserAttributes(user) != 0)
        return {};
    m.cfg.hiddenUsers.push_back(user);
    const long i = m.lFindUser(user);
    if (i >= 0 && !(m.people.userFlags[static_cast<size_t>(i)] & CChatModel::kUserHidden))
    {
        m.people.userFlags[static_cast<size_t>(i)] |= CChatModel::kUserHidden;
        m.vRefreshZone(CChatModel::kZoneUsers);
    }
    return {};
}

// CNF_MESSFORMAT_GRP gives the pre or the post text of a group; the other one
// it leaves as it was, so that two directives make a group with both.
std::string CnfMessFormat(CChatModel& m, TagCall& c)
{
    const std::string name = GetAttrOr("NAME", c.attrs);
    const int32_t order = iAttr("FORDER", c.attrs, -1);
    if (boEqualNoCase(c.suffix, "_GRP"))
    {
        std::string pre, post;
        if (const CMessageFormatTable::Group* g = m.tables.messageFormats.lpFindGroup(name))
        {
            pre = g->strPre;
            post = g->strPost;
        }
        if (boEqualNoCase(GetAttrOr("GRPF", c.attrs), "post"))
            post = c.body;
        else
            pre = c.body;
        m.tables.messageFormats.iSetGroup(name, order, HasAttr("MUTEX", c.attrs) != 0, pre, post,
                                          boStartsYes(GetAttrOr("NOSEL", c.attrs)));
        return {};
    }
    m.tables.messageFormats.iSetFormat(name, c.body, GetAttrOr("GRP", c.attrs), order);
    return {};
}

std::string CnfGrpForm(CChatModel& m, TagCall& c)
{
    const bool before = m.cfg.boGroupForm;
    bool read = false;
    if (boStartsYes(GetAttrOr("SAVE", c.attrs)))
    {
        m.cfg.boGroupForm = m.Settings().strRead("grpf", "") != "0";
        read = true;
    }
    const std::string format = GetAttrOr("FORMAT", c.attrs);
    if (!format.empty())
    {
        m.cfg.boGroupForm = boStartsYes(format);
        read = true;
    }
    if (read && m.cfg.boGroupForm != before)
        m.vRefreshZone(CChatModel::kZoneUsers);
    return {};
}

std::string CnfAutoExec(CChatModel& m, TagCall& c)
{
    if (boEqualNoCase(GetAttrOr("CNX", c.attrs), "IRC"))
        m.cfg.strAutoExecIrc = c.body;
    else
        m.cfg.strAutoExecOther = c.body;
    return {};
}

std::string CnfCursor(CChatModel& m, TagCall& c)
{
    m.cfg.boHandCursor = boEqualNoCase(GetAttrOr("ID", c.attrs), "HAND");
    return {};
}

std::string CnfBackComp(CChatModel& m, TagCall& c)
{
    if (HasAttr("SPBC", c.attrs))
        m.cfg.boSpbc = true;
    if (HasAttr("ARRF", c.attrs))
        m.cfg.boArrf = true;
    return {};
}

std::string CnfChat(CChatModel& m, TagCall& c)
{
    const auto no = [](const std::string& v) { return !v.empty() && (v[0] == 'N' || v[0] == 'n'); };
    if (HasAttr("WHISPER", c.attrs))
        m.cfg.boWhisperDisabled = no(GetAttrOr("WHISPER", c.attrs));
    if (HasAttr("SCLD", c.attrs))
        m.cfg.boScld = no(GetAttrOr("SCLD", c.attrs));
    return {};
}

std::string CnfCnxRow(CChatModel& m, TagCall& c)
{
    m.ConfigDirectives().vOnCnfCnx(c.suffix, c.body);
    return {};
}

// The suffixes of these rows come without their leading "_".
std::string strSuffixWord(const std::string& suffix)
{
    return !suffix.empty() && suffix[0] == '_' ? suffix.substr(1) : suffix;
}

std::string CnfMessageRow(CChatModel& m, TagCall& c)
{
    m.ConfigDirectives().vOnCnfMessage(strSuffixWord(c.suffix), c.body, c.attrs);
    return {};
}

std::string CnfBuddyRow(CChatModel& m, TagCall& c)
{
    m.ConfigDirectives().vOnCnfBuddy(strSuffixWord(c.suffix), c.body, c.attrs);
    return {};
}

std::string CnfLimitsRow(CChatModel& m, TagCall& c)
{
    m.ConfigDirectives().vOnCnfLimits(c.attrs);
    return {};
}

std::string CnfSubstRow(CChatModel& m, TagCall& c)
{
    m.ConfigDirectives().vOnCnfSubst(c.body, c.attrs);
    return {};
}

std::string CnfFctBudRow(CChatModel& m, TagCall& c)
{
    m.ConfigDirectives().vOnCnfFctBud(c.body, c.attrs);
    return {};
}

std::string CnfLnkHttpRow(CChatModel& m, TagCall& c)
{
    m.ConfigDirectives().vOnCnfLnkHttp(c.body, c.attrs);
    return {};
}

std::string CnfMenuTxtRow(CChatModel& m, TagCall& c)
{
    m.ConfigDirectives().vOnCnfMenuTxt(GetAttrOr("ID", c.attrs), GetAttrOr("TEXT", c.attrs));
    return {};
}

std::string CnfClrRow(CChatModel& m, TagCall& c)
{
    m.ConfigDirectives().vOnCnfClr(strSuffixWord(c.suffix), c.attrs);
    return {};
}

std::string CnfCmdRow(CChatModel& m, TagCall& c)
{
    m.ConfigDirectives().vOnCnfCmd(c.body, c.attrs);
    return {};
}

std::string CnfFloodRow(CChatModel& m, TagCall& c)
{
    m.ConfigDirectives().vOnCnfFlood(c.attrs);
    return {};
}

std::string CnfTpyrcRow(CChatModel& m, TagCall& c)
{
    m.ConfigDirectives().vOnCnfTpyrc(c.attrs);
    return {};
}

std::string CnfLogonPageRow(CChatModel& m, TagCall& c)
{
    m.ConfigDirectives().vOnCnfLogonPage(c.body, c.attrs);
    return {};
}

std::string CnfGrpBudRow(CChatModel& m, TagCall& c)
{
    m.GroupDirectives().vOnCnfGrpBud(c.suffix, c.body, c.attrs);
    return {};
}

std::string CnfGrpConfRow(CChatModel& m, TagCall& c)
{
    m.GroupDirectives().vOnCnfGrpConf(c.body, c.attrs);
    return {};
}

std::string CnfLocalConfGrpRow(CChatModel& m, TagCall& c)
{
    m.GroupDirectives().vOnCnfLocalConfGrp(c.attrs);
    return {};
}

std::string CnfCuGrpRow(CChatModel& m, TagCall& c)
{
    m.GroupDirectives().vOnCnfCuGrp(c.attrs);
    return {};
}

const Row kCnfRows[] = {
    {"CNF_CNX_", kPrefix, CnfCnxRow},
    {"CNF_MESSAGE", kPrefix, CnfMessageRow},
    {"CNF_NOTIFYLEAVEONKICK", kExact, CnfNotifyLeaveOnKick},
    {"CNF_BUDDY", kPrefix, CnfBuddyRow},
    {"CNF_LIMITS", kExact, CnfLimitsRow},
    {"CNF_SUBST", kExact, CnfSubstRow},
    {"CNF_FCT_BUD", kExact, CnfFctBudRow},
    {"CNF_LNK_HTTP", kExact, CnfLnkHttpRow},
    {"CNF_MENU_TXT", kExact, CnfMenuTxtRow},
    {"CNF_CLR", kPrefix, CnfClrRow},
    {"CNF_ROOMKEY", kExact, CnfRoomKey},
    {"CNF_PROTOCOL_MESSAGE", kExact, CnfProtocolMessage},
    {"CNF_SPECCHARS", kExact, CnfSpecChars},
    {"CNF_SERVERR", kExact, CnfServErr},
    {"CNF_SERVMESS", kExact, CnfServMess},
    {"CNF_SERVINFO", kExact, CnfServInfo},
    {"CNF_WAITINGFORBUDS_DISPLAY", kExact, CnfWaitingForBuds},
    {"CNF_BUDSLEFT_DISPLAY", kExact, CnfBudsLeft},
    {"CNF_CMD", kExact, CnfCmdRow},
    {"CNF_GRPBUD_", kPrefix, CnfGrpBudRow},
    {"CNF_GRPCONF", kExact, CnfGrpConfRow},
    {"CNF_FLOOD", kExact, CnfFloodRow},
    {"CNF_DEBUG", kExact, CnfDebug},
    {"CNF_LOCALCONF_GRP", kExact, CnfLocalConfGrpRow},
    {"CNF_CUGRP", kExact, CnfCuGrpRow},
    {"CNF_TPYRC", kExact, CnfTpyrcRow},
    {"CNF_LOGONPAGE", kExact, CnfLogonPageRow},
    {"CNF_LOGONERR", kExact, CnfLogonErr},
    {"CNF_LOGONCHARS", kExact, CnfLogonChars},
    {"CNF_BADLOGONSTR", kExact, CnfBadLogonStr},
    {"CNF_LOGRESERVED", kExact, CnfLogReserved},
    {"CNF_LOGINREMEMBER", kExact, CnfLoginRemember},
    {"CNF_LOGINSTORE", kExact, CnfLoginStore},
    {"CNF_DYNNAV", kExact, CnfNav},
    {"CNF_ACTNAV", kExact, CnfNav},
    {"CNF_DYNSND", kExact, CnfSnd},
    {"CNF_ACTSND", kExact, CnfSnd},
    {"CNF_MULTCCNX", kExact, CnfMultCnx},
    {"CNF_CONTEXTVAR", kExact, CnfContextVar},
    {"CNF_NARNRU", kExact, CnfNarnru},
    {"CNF_USER_ATTRIBUTES", kExact, CnfUserAttributes},
    {"CNF_MESSFORMAT", kPrefix, CnfMessFormat},
    {"CNF_GRPFORM", kExact, CnfGrpForm},
    {"CNF_AUTOEXEC", kExact, CnfAutoExec},
    {"CNF_CURSOR", kExact, CnfCursor},
    {"CNF_BACKCOMP", kExact, CnfBackComp},
    {"CNF_CHAT", kExact, CnfChat},
};

// ---------------------------------------------------------------- DYN_

std::string DynRoom(CChatModel& m, TagCall& c)
{
    m.cfg.zoneFrames[CChatModel::kZoneRoom] = c.frame;
    return HtmlEncodeEntities(m.conn.strRoom);
}

std::string DynStatus(CChatModel& m, TagCall& c)
{
    m.cfg.zoneFrames[CChatModel::kZoneStatus] = c.frame;
    return m.DisplayDirectives().strOnDynStatus();
}

std::string DynMessages(CChatModel& m, TagCall& c)
{
    m.cfg.zoneFrames[CChatModel::kZoneMessages] = c.frame;
    return m.DisplayDirectives().strOnDynMessages();
}

std::string DynBuddies(CChatModel& m, TagCall& c)
{
    m.cfg.zoneFrames[CChatModel::kZoneUsers] = c.frame;
    return m.DisplayDirectives().strOnDynBuddies();
}

std::string DynNbConnected(CChatModel& m, TagCall& c)
{
    m.cfg.zoneFrames[CChatModel::kZoneGroups] = c.frame;
    return m.DisplayDirectives().strOnDynNbConnected(c.body);
}

std::string DynFctBuda(CChatModel& m, TagCall& c)
{
    return m.DisplayDirectives().strOnDynFctBuda(c.attrs, c.body);
}

std::string DynInsertContextVar(CChatModel& m, TagCall& c)
{
    const int32_t n = iAttr("CID", c.attrs, 0);
    if (n < 1 || static_cast<size_t>(n) > m.page.contextVars.size())
        return {};
    return m.page.contextVars[static_cast<size_t>(n - 1)];
}

std::string DynVarZone(CChatModel& m, TagCall& c)
{
    return m.strExpandVars(strReplaceAll(c.body, "%framename%", HtmlEncodeEntities(c.frame)), true);
}

// Removed (an empty text) when the version is outside the limits; else the
// tag stays and its body shows.
std::string strVersionFilter(double version, TagCall& c)
{
    const double above = dAttr("ifgt", c.attrs);
    const double below = dAttr("iflt", c.attrs);
    if ((above > 0 && version > above) || (below > 0 && version < below))
        return {};
    c.boLeave = true;
    return {};
}

std::string DynVerIgnore(CChatModel&, TagCall& c)
{
    return strVersionFilter(CChatModel::kVersion, c);
}

std::string DynSubVerIgnore(CChatModel&, TagCall& c)
{
    return strVersionFilter(CChatModel::kSubVersion, c);
}

std::string DynGrpFormFilter(CChatModel& m, TagCall& c)
{
    const bool wantOff = boEqualNoCase(GetAttrOr("STATE", c.attrs), "OFF");
    if (wantOff != m.cfg.boGroupForm)
        c.boLeave = true;
    return {};
}

std::string DynUserFilter(CChatModel& m, TagCall& c)
{
    const std::string user = GetAttrOr("USER", c.attrs);
    const std::string notUser = GetAttrOr("NOTUSER", c.attrs);
    // A filtered body is removed; an empty body that passes stays a tag.
    c.boRemove = (!user.empty() && boEqualNoCase(user, m.conn.strNick)) ||
                 (!notUser.empty() && boEqualNoCase(notUser, m.conn.strNick));
    return c.boRemove ? std::string() : c.body;
}

std::string DynOsFilter(CChatModel&, TagCall& c)
{
    return boEqualNoCase(GetAttrOr("OSFLAVOR", c.attrs), "Win32") ? c.body : std::string();
}

std::string DynLogonErr(CChatModel& m, TagCall&)
{
    return m.cfg.strLogonError;
}

std::string DynCnxWait(CChatModel& m, TagCall& c)
{
    m.vOnDynCnxWait(c.attrs);
    c.boLeave = true;
    return {};
}

std::string DynCnxGo(CChatModel& m, TagCall& c)
{
    m.vOnDynCnxGo(c.attrs);
    c.boLeave = true;
    return {};
}

std::string DynClr(CChatModel& m, TagCall&)
{
    m.vOnActClr();
    m.vRefreshZone(CChatModel::kZoneUsers);
    return {};
}

std::string DynGrpFilter(CChatModel& m, TagCall& c)
{
    return m.GroupDirectives().strOnDynGrpFilter(c.body, c.attrs);
}

std::string DynGrp(CChatModel& m, TagCall& c)
{
    m.GroupDirectives().vOnDynGrp(c.name, c.attrs, HasAttr("REMUSER", c.attrs) != 0);
    return {};
}

std::string DynGrpAdd(CChatModel& m, TagCall& c)
{
    m.GroupDirectives().vOnDynGrp(c.name, c.attrs, false);
    return {};
}

std::string DynGrpRemove(CChatModel& m, TagCall& c)
{
    m.GroupDirectives().vOnDynGrp(c.name, c.attrs, true);
    return {};
}

std::string ActSetVar(CChatModel& m, TagCall& c)
{
    m.ActionDirectives().vOnActSetVar(c.body, c.attrs);
    return {};
}

std::string ActSnd(CChatModel& m, TagCall& c)
{
    m.ActionDirectives().vOnActSnd(c.name, c.body, c.attrs);
    return {};
}

std::string ActSetFld(CChatModel& m, TagCall& c)
{
    m.ActionDirectives().vOnActSetFld(c.body, c.attrs);
    return {};
}

std::string ActNav(CChatModel& m, TagCall& c)
{
    m.ActionDirectives().vOnActNav(c.name, c.body, c.attrs);
    return {};
}

std::string DynMessFormat(CChatModel& m, TagCall& c)
{
    const std::string activate = GetAttrOr("ACTIVATE", c.attrs, "yes");
    m.vOnDynMessFormat(GetAttrOr("NAME", c.attrs), activate.empty() || boStartsYes(activate) ? 1 : -1);
    return {};
}

std::string DynList(CChatModel& m, TagCall& c)
{
    return m.DisplayDirectives().strOnDynList(c.attrs, c.body, m.Host().boCtrlAltDown());
}

std::string DynMpd(CChatModel& m, TagCall& c)
{
    m.vOnDynMpd(c.body, c.attrs);
    return {};
}

std::string DynContextFilter(CChatModel& m, TagCall& c)
{
    if (!HasAttr("CID", c.attrs))
        return {};
    const int32_t n = iAttr("CID", c.attrs, 0);
    const std::string value = n >= 1 && static_cast<size_t>(n) <= m.page.contextVars.size()
                                  ? m.page.contextVars[static_cast<size_t>(n - 1)]
                                  : "";
    return m.DisplayDirectives().strOnDynContextFilter(value, c.body, c.attrs);
}

std::string DynVarFilter(CChatModel& m, TagCall& c)
{
    const std::string name = GetAttrOr("NAME", c.attrs);
    if (name.empty())
        return {};
    const auto it = m.page.pageVars.find(name);
    return m.DisplayDirectives().strOnDynContextFilter(
        it == m.page.pageVars.end() ? std::string() : it->second, c.body, c.attrs);
}

const Row kDynRows[] = {
    {"DYN_ROOM", kExact, DynRoom},
    {"DYN_STATUS", kEmptyLeaves, DynStatus},
    {"DYN_MESSAGES", kEmptyLeaves, DynMessages},
    {"DYN_BUDDIES", kEmptyLeaves, DynBuddies},
    {"DYN_NB_CONNECTED", kEmptyLeaves, DynNbConnected},
    {"DYN_FCT_BUDA", kEmptyLeaves, DynFctBuda},
    {"DYN_LIST", kExact, DynList},
    {"DYN_MPD", kExact, DynMpd},
    {"DYN_EXECCMD", kEmptyLeaves,
     [](CChatModel& m, TagCall& c)
     {
         std::string cmd = GetAttrOr("name", c.attrs);
         if (cmd.empty())
             cmd = GetAttrOr("cmd", c.attrs);
         return m.boOnActExecCmd(cmd) ? cmd : std::string();
     }},
    {"DYN_INSERTURL", kExact,
     [](CChatModel& m, TagCall& c)
     { return m.DisplayDirectives().strOnDynInsertUrl(c.body, c.attrs, c.frame); }},
    {"DYN_SND", kExact, ActSnd},
    {"DYN_NAV", kExact, ActNav},
    {"DYN_INSERTCONTEXTVAR", kExact, DynInsertContextVar},
    {"DYN_VARZONE", kExact, DynVarZone},
    {"DYN_CLR", kExact, DynClr},
    {"DYN_VERIGNORE", kExact, DynVerIgnore},
    {"DYN_SUBVERIGNORE", kExact, DynSubVerIgnore},
    {"DYN_GRPFILTER", kExact, DynGrpFilter},
    {"DYN_GRPFORMFILTER", kExact, DynGrpFormFilter},
    {"DYN_CONTEXTFILTER", kExact, DynContextFilter},
    {"DYN_VARFILTER", kExact, DynVarFilter},
    {"DYN_USERFILTER", kEmptyLeaves, DynUserFilter},
    {"DYN_OSFILTER", kExact, DynOsFilter},
    {"DYN_LOGONERR", kExact, DynLogonErr},
    {"DYN_GRP", kExact, DynGrp},
    {"DYN_CNXWAIT", kExact, DynCnxWait},
    {"DYN_CNXGO", kExact, DynCnxGo},
    {"DYN_SUBST", kEmptyLeaves,
     [](CChatModel& m, TagCall& c)
     {
         m.vAutoLink(c.body);
         return c.body;
     }},
    {"DYN_MESSFORMAT", kExact, DynMessFormat},
};

// ---------------------------------------------------------------- ACT_

std::string ActMbx(CChatModel& m, TagCall& c)
{
    if (m.cfg.boDebug)
        m.Host().vDebugBox(c.body, GetAttrOr("TITLE", c.attrs));
    return {};
}

const Row kActRows[] = {
    {"ACT_SND", kExact, ActSnd},
    {"ACT_NAV", kExact, ActNav},
    {"ACT_CLR", kExact, DynClr},
    {"ACT_EXECCMD", kEmptyLeaves,
     [](CChatModel& m, TagCall& c)
     {
         std::string cmd = GetAttrOr("cmd", c.attrs);
         return m.boOnActExecCmd(cmd) ? cmd : std::string();
     }},
    {"ACT_MBX", kExact, ActMbx},
    {"ACT_SETVAR", kExact, ActSetVar},
    {"ACT_SETFLD", kExact, ActSetFld},
};

// ---------------------------------------------------------------- element lists and groups

std::string CnfElist(CChatModel& m, TagCall& c)
{
    m.ElementListDirectives().boConfigure("CNFELIST" + c.suffix, c.attrs, c.body);
    return {};
}

const Row kCnfElistRows[] = {
    {"CNFELIST", kPrefix, CnfElist},
};

std::string DynElist(CChatModel& m, TagCall& c)
{
    const std::string list = GetAttrOr("ELIST", c.attrs);
    if (list.empty())
        return {};
    m.tables.elistFrames[list] = c.frame;
    return m.ElementListDirectives().strDynElist(c.attrs);
}

std::string DynElistKeyFilter(CChatModel& m, TagCall& c)
{
    return m.ElementListDirectives().strKeyFilter(c.attrs, c.body);
}

std::string DynElistItemFilter(CChatModel& m, TagCall& c)
{
    return m.ElementListDirectives().strItemFilter(c.attrs, c.body);
}

std::string DynElistNbItem(CChatModel& m, TagCall& c)
{
    const std::string list = GetAttrOr("ELIST", c.attrs);
    if (list.empty())
        return {};
    m.tables.elistItemFrames[list] = c.frame;
    return m.ElementListDirectives().strNbItem(c.attrs, c.body);
}

std::string DynElistNbKey(CChatModel& m, TagCall& c)
{
    const std::string list = GetAttrOr("ELIST", c.attrs);
    if (list.empty())
        return {};
    m.tables.elistKeyFrames[list] = c.frame;
    return m.ElementListDirectives().strNbKey(c.attrs, c.body);
}

std::string DynElistEvent(CChatModel& m, TagCall& c)
{
    m.ElementListDirectives().vEvent(c.suffix, c.body, c.attrs);
    return {};
}

const Row kDynElistRows[] = {
    {"DYNELIST", kExact, DynElist},
    {"DYNELIST_KEYFILTER", kExact, DynElistKeyFilter},
    {"DYNELIST_ITEMFILTER", kExact, DynElistItemFilter},
    {"DYNELIST_NBITEM", kExact, DynElistNbItem},
    {"DYNELIST_NBKEY", kExact, DynElistNbKey},
    {"DYNELIST_", kPrefix, DynElistEvent},
};

const Row kDynGrpRows[] = {
    {"DYNGRP_ADDGRP", kExact, DynGrpAdd},
    {"DYNGRP_ADDUSER", kExact, DynGrpAdd},
    {"DYNGRP_REMUSER", kExact, DynGrpRemove},
};

// ---------------------------------------------------------------- families

enum class Family
{
    kNone,
    kDi,
    kCnf,
    kDyn,
    kAct,
    kCnfElist,
    kDynElist,
    kDynGrp,
};

struct FamilyEntry
{
    const char* prefix;
    Family family;
    const Row* rows;
    size_t count;
};

template <size_t N> constexpr size_t uCount(const Row (&)[N])
{
    return N;
}

const FamilyEntry kFamilies[] = {
    {"DI_", Family::kDi, nullptr, 0},
    {"CNF_", Family::kCnf, kCnfRows, uCount(kCnfRows)},
    {"DYN_", Family::kDyn, kDynRows, uCount(kDynRows)},
    {"ACT_", Family::kAct, kActRows, uCount(kActRows)},
    {"CNFELIST", Family::kCnfElist, kCnfElistRows, uCount(kCnfElistRows)},
    {"DYNELIST", Family::kDynElist, kDynElistRows, uCount(kDynElistRows)},
    {"DYNGRP_", Family::kDynGrp, kDynGrpRows, uCount(kDynGrpRows)},
};

const Row* lpFindRow(const FamilyEntry& family, const std::string& name, std::string& suffix)
{
    for (size_t i = 0; i < family.count; ++i)
    {
        const Row& row = family.rows[i];
        if (row.flags & kPrefix)
        {
            if (boStartsNoCase(name, row.name))
            {
                suffix = name.substr(std::char_traits<char>::length(row.name));
                return &row;
            }
        }
        else if (boEqualNoCase(name, row.name))
            return &row;
    }
    return nullptr;
}

} // namespace

// ---------------------------------------------------------------- the dispatcher

int32_t CChatModel::OnTag(std::string name, std::string attributes, HtmlMemBlock* content, int32_t length,
                          std::string frameName, CHtmlObject* sender)
{
    m_lpHost->vTagSeen(name, attributes);
    std::string text;
    bool handled = false;
    if (sender)
    {
        TagCall call;
        call.name = name;
        call.attrs = attributes;
        call.frame = frameName;
        if (content && length > 0)
            call.body = HtmlBlockToString(*content, static_cast<uint32_t>(length));
        const FamilyEntry* family = nullptr;
        for (const FamilyEntry& f : kFamilies)
            if (boStartsNoCase(name, f.prefix))
            {
                family = &f;
                break;
            }
        // The trust boundary: while a stranger's text is parsed, this is the
        // name the handler would run, after every expansion and joining, and
        // only the announcements that travel between users pass. Any other
        // directive goes with its body; other tags are left as they stand.
        if (boForeignText() && !boStrangerMayRun(name))
            return family ? 0 : -1;
        if (!boForeignText() && boEqualNoCase(name, kStrangerMark))
        {
            // A stranger's text in the history: only ever shown.
            const std::string shown = strStrangerShown(call.body);
            return shown.empty() ? 0 : HtmlStringToBlock(shown, content, 0);
        }
        if (family && family->family == Family::kDi)
        {
            if (boEqualNoCase(name, "DI_MGHDS"))
            {
                const std::string id = GetAttrOr("STRID", attributes);
                const int32_t strid =
                    id.empty() ? 1 : static_cast<int32_t>(std::strtol(id.c_str(), nullptr, 10));
                text = strNickDisplay(HtmlDecodeEntities(call.body), strid);
                handled = true;
            }
        }
        else if (family)
        {
            const Row* row = lpFindRow(*family, name, call.suffix);
            if (row && row->fn)
                text = row->fn(*this, call);
            handled =
                !call.boLeave && (call.boRemove || !(row && (row->flags & kEmptyLeaves) && text.empty()));
            if (family->family == Family::kCnf)
            {
                text.clear();
                handled = true;
                if (!conn.boWaiting)
                    vRaiseStartRequest();
            }
        }
    }
    if (!text.empty())
        return HtmlStringToBlock(text, content, 0);
    if (!handled)
        return m_lpScrollBarEvents
                   ? m_lpScrollBarEvents->OnTag(name, attributes, content, length, frameName, sender)
                   : -1;
    return 0;
}

// ---------------------------------------------------------------- start gate

void CChatModel::vOnDynCnxWait(const std::string& attributes)
{
    conn.boWaiting = true;
    const std::string flags = GetAttrOr("FLAGS", attributes);
    if (flags.empty())
        return;
    std::string sep = GetAttrOr("SEP", attributes, "|");
    if (sep.empty())
        sep = "|";
    conn.waitList = ChatIrc::SplitList(flags, sep);
}

void CChatModel::vOnDynCnxGo(const std::string& attributes)
{
    const std::string flag = GetAttrOr("FLAG", attributes);
    for (auto it = conn.waitList.begin(); it != conn.waitList.end();)
        it = boEqualNoCase(*it, flag) ? conn.waitList.erase(it) : it + 1;
    if (conn.waitList.empty())
    {
        conn.boWaiting = false;
        conn.boGo = true;
    }
}

void CChatModel::vRaiseStartRequest()
{
    conn.boGo = true;
}

// ---------------------------------------------------------------- foreign text

std::string strDisarmForeignText(const std::string& text)
{
    static const char* const names[] = {"CNF_SERVINFO", "CNF_LOCALCONF_GRP", "DYN_INSERTURL"};
    const auto nameChar = [](char c)
    { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_'; };
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();)
    {
        out += text[i];
        if (text[i++] != '<')
            continue;
        size_t at = i;
        if (at < text.size() && text[at] == '/')
            ++at;
        for (const char* name : names)
        {
            const size_t n = std::char_traits<char>::length(name);
            if (at + n <= text.size() && boEqualNoCase(text.substr(at, n), name) &&
                (at + n == text.size() || !nameChar(text[at + n])))
            {
                // The renamed tag matches no row: the dispatcher drops it.
                out += text.substr(i, at + n - i) + "_X";
                i = at + n;
                break;
            }
        }
    }
    return out;
}

} // namespace ChatModel
