// The configuration directives of the chat's pages and the authorisation of
// the command tags (CConfigDirectives).
#include "ConfigDirectives.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <random>

#include "ChatModel.h"
#include "ChatTextUtil.h"
#include "TextCase.h"
#include "HtmlAttr.h"
#include "html/doc/HtmlText.h"
#include "NickScheme.h"

namespace ChatModel
{

using ChatText::boEqualNoCase;
using ChatText::boStartsNoCase;

namespace
{

std::string strUpper(std::string s)
{
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

int32_t iNumber(const std::string& v, int32_t def)
{
    return v.empty() ? def : static_cast<int32_t>(std::strtol(v.c_str(), nullptr, 10));
}

// "CL" 0, "CR" 1, "BTH" 2, "CLTST" 3; -1 for another word. `max` is the
// highest value the setting takes.
int iCodingWord(const std::string& v, int max)
{
    static const char* const words[] = {"CL", "CR", "BTH", "CLTST"};
    for (int i = 0; i <= max && i < 4; ++i)
        if (boEqualNoCase(v, words[i]))
            return i;
    return -1;
}

// A non-zero 31-bit number no other command holds: the secret that the
// command's action tags carry back.
int32_t iDrawIdentity(const std::vector<ChatConfig::Command>& commands)
{
    static std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<int32_t> pick(1, INT32_MAX);
    for (;;)
    {
        const int32_t id = pick(generator);
        if (std::none_of(commands.begin(), commands.end(),
                         [id](const ChatConfig::Command& c) { return c.iIdentity == id; }))
            return id;
    }
}

} // namespace

// ---------------------------------------------------------------- simple tables

void CConfigDirectives::vOnCnfCnx(const std::string& suffix, const std::string& body)
{
    static const char* const words[6] = {"CLOSED",     "OPENING",   "STOPPED",
                                         "CONNECTING", "CONNECTED", "DISCONNECTING"};
    for (int i = 0; i < 6; ++i)
        if (boEqualNoCase(suffix, words[i]))
            m_cfg.stateTexts[i] = body;
}

void CConfigDirectives::vOnCnfBuddy(const std::string& suffix, const std::string& body,
                                    const std::string& attrs)
{
    int i = -1;
    if (suffix.empty())
        i = 0;
    else if (boEqualNoCase(suffix, "SEL"))
        i = 1;
    if (i < 0)
        return;
    m_cfg.userFormats[i] = body;
    m_cfg.userAttrs[i] = attrs;
}

int CConfigDirectives::iMessageKindOf(const std::string& word, const std::string& attrs)
{
    static const std::pair<const char*, int> kinds[] = {
        {"WHISPER", 1},      {"THINK", 2},          {"ACTION", 3},       {"JOINS", 10},
        {"LEAVES", 11},      {"KICKED", 12},        {"ROOMCONNECT", 13}, {"SELPLEASE", 20},
        {"WRITEPLEASE", 21}, {"TEXTTOOLONG", 22},   {"SERVERERROR", 23}, {"NOFLOODPLEASE", 24},
        {"DYNGRPADD", 25},   {"SERVERMESSAGE", 26},
    };
    if (word.empty())
        return 0;
    for (const auto& k : kinds)
        if (boEqualNoCase(word, k.first))
            return k.second;
    if (boEqualNoCase(word, "FLOOD"))
    {
        const std::string type = GetAttrOr("TYPE", attrs);
        const int base = boStartsNoCase(type, "RCV") ? 30 : 32;
        return base + (FdText::EndsWithAsciiNoCase(type, "FRQ") ? 1 : 0);
    }
    return -1;
}

void CConfigDirectives::vOnCnfMessage(const std::string& suffix, const std::string& body,
                                      const std::string& attrs)
{
    const int kind = iMessageKindOf(suffix, attrs);
    if (kind < 0 || kind >= ChatConfig::kKindCount)
        return;
    m_cfg.formats[static_cast<size_t>(kind)] = body;
    m_cfg.linkAttrs[static_cast<size_t>(kind)] = attrs;
}

void CConfigDirectives::vOnCnfClr(const std::string& suffix, const std::string& attrs)
{
    if (boEqualNoCase(suffix, "NOHTMLMESSLNK"))
        m_cfg.strMessLinkAttr = attrs;
}

void CConfigDirectives::vOnCnfLimits(const std::string& attrs)
{
    m_cfg.lHistoryLimit = iNumber(GetAttrOr("MAX_HISTORYCHARS", attrs), 3000);
}

void CConfigDirectives::vOnCnfSubst(const std::string& body, const std::string& attrs)
{
    const std::string key = strUpper(GetAttrOr("what", attrs));
    if (key.empty())
        return;
    std::string text;
    for (char c : body)
        if (c != '\r' && c != '\n')
            text += c;
    const bool whole = GetAttrOr("wwo", attrs) == "1";
    const bool listable = HasAttr("listable", attrs) != 0;
    for (ChatConfig::Substitution& s : m_cfg.substitutions)
        if (s.strKey == key)
        {
            // A page may redefine a substitution only while the received
            // texts are taken plain.
            if (m_host.Scheme().iGetReceiveAccept() == 1)
            {
                s.strReplacement = text;
                s.boWholeWord = whole;
                s.boListable = listable;
            }
            return;
        }
    m_cfg.substitutions.push_back(ChatConfig::Substitution{key, text, whole, listable});
}

void CConfigDirectives::vOnCnfLnkHttp(const std::string& body, const std::string& attrs)
{
    m_cfg.strAutoLinkFormat = body;
    m_cfg.strAutoLinkText = attrs;
}

void CConfigDirectives::vOnCnfMenuTxt(const std::string& id, const std::string& text)
{
    static const char* const ids[6] = {"COPY", "WHISPER", "LEFT", "COPYMESS", "COPYALL", "CLRALL"};
    for (int i = 0; i < 6; ++i)
        if (boEqualNoCase(id, ids[i]))
            m_cfg.menuTexts[i] = text;
}

void CConfigDirectives::vOnCnfLogonPage(const std::string& body, const std::string& attrs)
{
    if (!m_cfg.boLogonPageSwitch)
        return;
    m_cfg.strLogonPage = GetAttrOr("SRC", attrs);
    m_cfg.strLogonFrame = GetAttrOr("TARGET", attrs);
    m_cfg.strLogonNext = GetAttrOr("NEXTURL", attrs);
    if (m_cfg.strLogonPage.empty() && !body.empty())
        m_cfg.strLogonPage = "str://" + body;
}

void CConfigDirectives::vOnCnfFctBud(const std::string& body, const std::string& attrs)
{
    ChatConfig::NickFunction f;
    f.strName = GetAttrOr("name", attrs);
    if (f.strName.empty())
        return;
    for (const ChatConfig::NickFunction& other : m_cfg.nickFunctions)
        if (boEqualNoCase(other.strName, f.strName))
            return;
    f.strHref = GetAttrOr("href", attrs);
    f.strTarget = GetAttrOr("target", attrs);
    f.strDynInsert = GetAttrOr("dyninsert", attrs);
    f.strExecCmd = GetAttrOr("execcmd", attrs);
    if (f.strExecCmd.empty() && !body.empty())
        f.strExecCmd = HtmlTrim(body);
    f.strAddToGroup = GetAttrOr("addtogrp", attrs);
    f.iAddRank = iNumber(GetAttrOr("addtogrprank", attrs), 0);
    f.boAddNoNotify = HasAttr("addtogrpnonotify", attrs) != 0;
    f.strRemFromGroup = GetAttrOr("REMFROMGRP", attrs);
    f.boRemNoNotify = HasAttr("REMFROMGRPNONOTIFY", attrs) != 0;
    f.boExcludeMe = HasAttr("excludeme", attrs) != 0;
    f.boOnlyMe = HasAttr("onlyme", attrs) != 0;
    f.iGtRank = iNumber(GetAttrOr("GTRANK", attrs), -1);
    f.iLtRank = iNumber(GetAttrOr("LTRANK", attrs), INT32_MAX);
    const std::string sep = GetAttrOr("GRPSEP", attrs, "|");
    f.excludeGroups = ChatIrc::SplitList(GetAttrOr("excludegrp", attrs), sep);
    f.onlyGroups = ChatIrc::SplitList(GetAttrOr("onlygrp", attrs), sep);
    m_cfg.nickFunctions.push_back(std::move(f));
}

// ---------------------------------------------------------------- commands

void CConfigDirectives::vOnCnfCmd(const std::string& body, const std::string& attrs)
{
    ChatConfig::Command c;
    c.strName = strUpper(GetAttrOr("name", attrs));
    if (c.strName.empty())
        return;
    c.strInfo = GetAttrOr("info", attrs);
    c.strText = body;
    c.boListable = HasAttr("listable", attrs) != 0;
    c.boSend = !HasAttr("nosend", attrs);
    c.boHasParams = HasAttr("hasparams", attrs) != 0;
    c.strSeparator = GetAttrOr("psep", attrs, ",");
    if (c.strSeparator.empty())
        c.strSeparator = ",";
    c.iOperand = iNumber(GetAttrOr("nval", attrs), 1);
    c.strFormat = GetAttrOr("nvalformat", attrs, "%i");
    if (!CChatModel::boIsIntegerFormat(c.strFormat))
        c.strFormat = "%i";
    c.boTrusted = m_host.boIsBeforeConnection();

    ChatConfig::Command* stored = nullptr;
    for (ChatConfig::Command& e : m_cfg.commands)
        if (e.strName == c.strName)
            stored = &e;
    if (!stored)
    {
        m_cfg.commands.push_back(ChatConfig::Command{});
        stored = &m_cfg.commands.back();
        stored->strName = c.strName;
        stored->iIdentity = iDrawIdentity(m_cfg.commands);
    }
    // A trusted entry compares the new text as it would store it.
    std::string text = c.strText;
    if (stored->boTrusted)
        text = ChatIrc::strAddCommandAttributes(text, stored->strName, stored->iIdentity);
    if (stored->strInfo == c.strInfo && stored->strText == text && stored->boListable == c.boListable &&
        stored->boSend == c.boSend && stored->boHasParams == c.boHasParams &&
        stored->strSeparator == c.strSeparator && stored->iOperand == c.iOperand &&
        stored->strFormat == c.strFormat)
        return;
    const int32_t identity = stored->iIdentity;
    *stored = c;
    stored->iIdentity = identity;
    if (stored->boTrusted)
        stored->strText = ChatIrc::strAddCommandAttributes(stored->strText, stored->strName, identity);
}

bool CConfigDirectives::boIsCommandTagAuthorised(const std::string& attrs) const
{
    const std::string name = GetAttrOr("CN", attrs);
    const std::string secret = GetAttrOr("CS", attrs);
    if (secret.empty())
        return false;
    // The leading decimal number: blanks skipped, one sign, the digits.
    size_t i = 0;
    while (i < secret.size() &&
           (secret[i] == ' ' || secret[i] == '\t' || secret[i] == '\r' || secret[i] == '\n'))
        ++i;
    bool negative = false;
    if (i < secret.size() && (secret[i] == '+' || secret[i] == '-'))
        negative = secret[i++] == '-';
    if (i >= secret.size() || secret[i] < '0' || secret[i] > '9')
        return false;
    int64_t value = 0;
    for (; i < secret.size() && secret[i] >= '0' && secret[i] <= '9'; ++i)
    {
        value = value * 10 + (secret[i] - '0');
        if (value > INT32_MAX)
            return false;
    }
    if (negative)
        value = -value;
    for (const ChatConfig::Command& c : m_cfg.commands)
        if (c.boTrusted && c.strName == name && c.iIdentity == value)
            return true;
    return false;
}

// ---------------------------------------------------------------- nickname scheme and flood

void CConfigDirectives::vOnCnfTpyrc(const std::string& attrs)
{
    ChatIrc::CNickScheme& s = m_host.Scheme();
    const auto coding = [&](const char* name, int max, void (ChatIrc::CNickScheme::*set)(int))
    {
        const int v = iCodingWord(GetAttrOr(name, attrs), max);
        if (v >= 0)
            (s.*set)(v);
    };
    coding("SND", 1, &ChatIrc::CNickScheme::vSetSendCoding);
    coding("RCV", 3, &ChatIrc::CNickScheme::vSetReceiveAccept);
    coding("SRCV", 3, &ChatIrc::CNickScheme::vSetPrivateAccept);
    coding("NCKO", 1, &ChatIrc::CNickScheme::vSetOwnNickCoding);
    coding("NCKI", 3, &ChatIrc::CNickScheme::vSetNickAccept);
    coding("CHL", 1, &ChatIrc::CNickScheme::vSetRoomCoding);
    const std::string minV = GetAttrOr("MINNCKV", attrs);
    if (!minV.empty())
        s.vSetMinNickVersion(std::strtod(minV.c_str(), nullptr));
    const std::string maxV = GetAttrOr("MAXNCKV", attrs);
    if (!maxV.empty())
        s.vSetMaxNickVersion(std::strtod(maxV.c_str(), nullptr));
    s.vSetRoomCheck(HasAttr("CHLVD", attrs) != 0);
    const std::string key = GetAttrOr("ALTCK", attrs);
    if (!key.empty())
        s.vSetKey(key);
    const std::string prefix = GetAttrOr("NCKPRFX", attrs);
    if (!prefix.empty())
    {
        s.vSetNickPrefix(prefix);
        s.vSetPrefixBlocking(HasAttr("NCKPRFXBLK", attrs) != 0);
    }
}

void CConfigDirectives::vOnCnfFlood(const std::string& attrs)
{
    if (!m_host.boIsBeforeConnection())
        return;
    const std::string side = GetAttrOr("SIDE", attrs);
    CFloodDetector* d = nullptr;
    if (boEqualNoCase(side, "SNDR"))
        d = &m_people.senderFlood;
    else if (side.empty() || boEqualNoCase(side, "RCVR"))
        d = &m_people.receiverFlood;
    if (!d)
        return;
    const auto number = [&](const char* name, int32_t& field)
    {
        const std::string v = GetAttrOr(name, attrs);
        if (!v.empty())
            field = static_cast<int32_t>(std::strtol(v.c_str(), nullptr, 10));
    };
    const auto fraction = [&](const char* name, double& field)
    {
        const std::string v = GetAttrOr(name, attrs);
        if (!v.empty())
            field = std::strtod(v.c_str(), nullptr);
    };
    const auto text = [&](const char* name, std::string& field)
    {
        const std::string v = GetAttrOr(name, attrs);
        if (!v.empty())
            field = v;
    };
    number("RPT_NBBACKMESS", d->iRptNbBackMess);
    number("RPT_DEADCHARS", d->iRptDeadChars);
    number("RPT_MAXMESS", d->iRptMaxMess);
    number("RPT_PROB", d->iRptProb);
    fraction("RPT_MULT", d->dRptMult);
    text("RPT_AUTOGRP", d->strRptAutoGroup);
    number("FRQ_MINPERIOD", d->iFrqMinPeriod);
    number("FRQ_EVALPERIOD", d->iFrqEvalPeriod);
    fraction("FRQ_FILTERWEIGHT", d->dFrqFilterWeight);
    number("FRQ_PROB", d->iFrqProb);
    fraction("FRQ_MULT", d->dFrqMult);
    text("FRQ_AUTOGRP", d->strFrqAutoGroup);
    d->boRptNhbAbsent = !HasAttr("RPT_NHB", attrs);
    d->boFrqNhbAbsent = !HasAttr("FRQ_NHB", attrs);
    const std::string sep = GetAttrOr("EXSEP", attrs, "|");
    d->exemptUsers = ChatIrc::SplitList(GetAttrOr("EXU", attrs), sep);
    d->exemptGroups = ChatIrc::SplitList(GetAttrOr("EXG", attrs), sep);
    if (d == &m_people.receiverFlood)
        for (auto& record : m_people.floodRecords)
            if (record.second)
                record.second->vCopyParameters(m_people.receiverFlood);
}

} // namespace ChatModel
