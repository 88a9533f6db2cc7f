// The configuration directives of the chat's pages (CNF_CNX_, CNF_BUDDY,
// CNF_MESSAGE, CNF_CLR, CNF_LIMITS, CNF_SUBST, CNF_CMD, CNF_TPYRC,
// CNF_LOGONPAGE, CNF_LNK_HTTP, CNF_FCT_BUD, CNF_MENU_TXT, CNF_FLOOD), the
// command tags' authorisation, and the drain of finished downloads.
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include "ChatModel.h"
#include "ChatTextUtil.h"
#include "TextCase.h"
#include "HtmlAttr.h"
#include "html/HtmlText.h"
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

std::string strLowerAscii(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
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
int32_t iDrawIdentity(const std::vector<CChatModel::Command>& commands)
{
    static std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<int32_t> pick(1, INT32_MAX);
    for (;;)
    {
        const int32_t id = pick(generator);
        if (std::none_of(commands.begin(), commands.end(),
                         [id](const CChatModel::Command& c) { return c.iIdentity == id; }))
            return id;
    }
}

} // namespace

// ---------------------------------------------------------------- simple tables

void CChatModel::vOnCnfCnx(const std::string& suffix, const std::string& body)
{
    static const char* const words[6] = {"CLOSED",     "OPENING",   "STOPPED",
                                         "CONNECTING", "CONNECTED", "DISCONNECTING"};
    for (int i = 0; i < 6; ++i)
        if (boEqualNoCase(suffix, words[i]))
            stateTexts[i] = body;
}

void CChatModel::vOnCnfBuddy(const std::string& suffix, const std::string& body, const std::string& attrs)
{
    int i = -1;
    if (suffix.empty())
        i = 0;
    else if (boEqualNoCase(suffix, "SEL"))
        i = 1;
    if (i < 0)
        return;
    userFormats[i] = body;
    userAttrs[i] = attrs;
}

int CChatModel::iMessageKindOf(const std::string& word, const std::string& attrs)
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

void CChatModel::vOnCnfMessage(const std::string& suffix, const std::string& body, const std::string& attrs)
{
    const int kind = iMessageKindOf(suffix, attrs);
    if (kind < 0 || kind >= kKindCount)
        return;
    formats[static_cast<size_t>(kind)] = body;
    linkAttrs[static_cast<size_t>(kind)] = attrs;
}

void CChatModel::vOnCnfClr(const std::string& suffix, const std::string& attrs)
{
    if (boEqualNoCase(suffix, "NOHTMLMESSLNK"))
        strMessLinkAttr = attrs;
}

void CChatModel::vOnCnfLimits(const std::string& attrs)
{
    lHistoryLimit = iNumber(GetAttrOr("MAX_HISTORYCHARS", attrs), 3000);
}

void CChatModel::vOnCnfSubst(const std::string& body, const std::string& attrs)
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
    for (Substitution& s : substitutions)
        if (s.strKey == key)
        {
            // A page may redefine a substitution only while the received
            // texts are taken plain.
            if (Scheme().iGetReceiveAccept() == 1)
            {
                s.strReplacement = text;
                s.boWholeWord = whole;
                s.boListable = listable;
            }
            return;
        }
    substitutions.push_back(Substitution{key, text, whole, listable});
}

void CChatModel::vOnCnfLnkHttp(const std::string& body, const std::string& attrs)
{
    strAutoLinkFormat = body;
    strAutoLinkText = attrs;
}

void CChatModel::vOnCnfMenuTxt(const std::string& id, const std::string& text)
{
    static const char* const ids[6] = {"COPY", "WHISPER", "LEFT", "COPYMESS", "COPYALL", "CLRALL"};
    for (int i = 0; i < 6; ++i)
        if (boEqualNoCase(id, ids[i]))
            menuTexts[i] = text;
}

void CChatModel::vOnCnfLogonPage(const std::string& body, const std::string& attrs)
{
    if (!boLogonPageSwitch)
        return;
    strLogonPage = GetAttrOr("SRC", attrs);
    strLogonFrame = GetAttrOr("TARGET", attrs);
    strLogonNext = GetAttrOr("NEXTURL", attrs);
    if (strLogonPage.empty() && !body.empty())
        strLogonPage = "str://" + body;
}

void CChatModel::vOnCnfFctBud(const std::string& body, const std::string& attrs)
{
    NickFunction f;
    f.strName = GetAttrOr("name", attrs);
    if (f.strName.empty())
        return;
    for (const NickFunction& other : nickFunctions)
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
    nickFunctions.push_back(std::move(f));
}

// ---------------------------------------------------------------- commands

void CChatModel::vOnCnfCmd(const std::string& body, const std::string& attrs)
{
    Command c;
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
    if (!boIsIntegerFormat(c.strFormat))
        c.strFormat = "%i";
    c.boTrusted = boIsBeforeConnection();

    Command* stored = nullptr;
    for (Command& e : commands)
        if (e.strName == c.strName)
            stored = &e;
    if (!stored)
    {
        commands.push_back(Command{});
        stored = &commands.back();
        stored->strName = c.strName;
        stored->iIdentity = iDrawIdentity(commands);
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

bool CChatModel::boIsCommandTagAuthorised(const std::string& attrs) const
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
    for (const Command& c : commands)
        if (c.boTrusted && c.strName == name && c.iIdentity == value)
            return true;
    return false;
}

const CChatModel::Command* CChatModel::lpFindCommand(const std::string& name) const
{
    for (const Command& c : commands)
        if (c.strName == name)
            return &c;
    return nullptr;
}

// ---------------------------------------------------------------- nickname scheme and flood

void CChatModel::vOnCnfTpyrc(const std::string& attrs)
{
    ChatIrc::CNickScheme& s = Scheme();
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

void CChatModel::vOnCnfFlood(const std::string& attrs)
{
    if (!boIsBeforeConnection())
        return;
    const std::string side = GetAttrOr("SIDE", attrs);
    CFloodDetector* d = nullptr;
    if (boEqualNoCase(side, "SNDR"))
        d = &senderFlood;
    else if (side.empty() || boEqualNoCase(side, "RCVR"))
        d = &receiverFlood;
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
    if (d == &receiverFlood)
        for (auto& record : floodRecords)
            if (record.second)
                record.second->vCopyParameters(receiverFlood);
}

int CChatModel::iFloodKindOf(const CFloodDetector& detector, int test) const
{
    return (&detector == &senderFlood ? 32 : 30) + (test == 2 ? 1 : 0);
}

// ---------------------------------------------------------------- finished downloads

bool CChatModel::boIsConfigDocument(const std::string& mime, const std::string& address)
{
    if (boEqualNoCase(mime, "application/x-zeltoc-plugin") || boEqualNoCase(mime, "application/x-verbolt"))
        return true;
    if (address.empty())
        return true;
    for (const char* end : {".zeltoc", ".zelto", ".vblt", ".verbolt"})
        if (FdText::EndsWithAsciiNoCase(address, end))
            return true;
    return false;
}

bool CChatModel::boIsFrameShown(const std::string& frame)
{
    return frame.empty() || (m_lpView && m_lpView->boHasFrame(frame));
}

void CChatModel::vApplyTechnicalLoad(const std::string& result, bool inMemory)
{
    if (result.empty() || result == "ERR")
        return;
    if (inMemory)
    {
        iParseMarkup(result);
        return;
    }
    std::ifstream file(result, std::ios::binary);
    if (!file)
        return;
    std::ostringstream text;
    text << file.rdbuf();
    iParseMarkup(text.str());
}

void CChatModel::vDrainDownloads(CFinishedDownloads& queue)
{
    std::vector<std::string> local;
    const auto addOnce = [](std::vector<std::string>& list, const std::string& name)
    {
        if (std::none_of(list.begin(), list.end(),
                         [&](const std::string& n) { return boEqualNoCase(n, name); }))
            list.push_back(name);
    };
    while (std::unique_ptr<FinishedDownload> record = queue.Pop())
    {
        const FinishedDownload& r = *record;
        if (r.boFailed)
        {
            if (boDebug)
            {
                const std::string shown = HtmlEncodeEntities(r.strUrl);
                strHistory += "<BLINK>Download Error:</BLINK><A HREF=\"" + shown + "\" TARGET=OTHERFRAME>" +
                              shown + "</A><BR>";
                vPostRefresh();
            }
            requestedDownloads.boSetResult(r.strUrl, std::string(), false);
            continue;
        }
        // Once the chat has its configuration, a document that looks like one
        // but was asked for (a group's configuration, ".vblt" like the
        // first) goes to whoever asked instead of being dropped, which would
        // leave its request pending for ever.
        if (boIsConfigDocument(r.strMime, r.strUrl) &&
            !(boConfigReceived && !r.strUrl.empty() && requestedDownloads.boHas(r.strUrl)))
        {
            if (!boConfigReceived)
            {
                boConfigReceived = true;
                strConfigUrl = ChatText::strUrlDomain(r.strUrl, false);
                strConfigUrlFull = strLowerAscii(ChatText::strUrlDomain(r.strUrl, true));
                strCurDomain = strConfigUrl;
                strCurFullDomain = strConfigUrlFull;
                // The document's directives run first (server, formats, logon
                // page): the user interface and the start gate read them.
                vApplyTechnicalLoad(r.boAsFile ? r.strPath : r.strText, !r.boAsFile);
                vLoadUserInterface();
            }
            continue;
        }
        const bool inMemory = !r.boAsFile;
        if (!requestedDownloads.boSetResult(r.strUrl, inMemory ? r.strText : r.strPath, inMemory))
            continue;
        bool resultInMemory = false;
        const std::string result = requestedDownloads.strGetResult(r.strUrl, &resultInMemory);
        for (const std::string& requester : requestedDownloads.Requesters(r.strUrl))
        {
            const bool firstTechnical =
                requester.empty() && boFirstDocReceived && !FdText::EndsWithAsciiNoCase(r.strUrl, "gif");
            if (requester == "@TECHLOAD@")
                vApplyTechnicalLoad(result, resultInMemory);
            else if (requester == "@GRPCNFLOAD@" || firstTechnical)
            {
                vApplyTechnicalLoad(result, resultInMemory);
                vPostRefresh();
            }
            else if (requestedDownloads.boIsPending(requester))
            {
                addOnce(reloadRequests, requester);
                if (onRestartReloadTimer)
                    onRestartReloadTimer();
            }
            else
            {
                addOnce(local, requester);
                if (requester.empty())
                    boFirstDocReceived = true;
            }
        }
    }
    for (const std::string& name : local)
    {
        if (!boIsFrameShown(name) || !m_lpView)
            continue;
        m_lpView->vReloadFrame(name, false);
        m_lpView->vSetImageState(name, "@GRPFORM@", boGroupForm ? 0 : 1);
        reloadRequests.erase(std::remove_if(reloadRequests.begin(), reloadRequests.end(),
                                            [&](const std::string& n) { return boEqualNoCase(n, name); }),
                             reloadRequests.end());
    }
    if (!boFocusDone && m_lpView && requestedDownloads.strFirstPending().empty() &&
        m_lpView->boFocusControl("CFLD_TEXT"))
        boFocusDone = true;
}

void CChatModel::vOnReloadTimer()
{
    const std::vector<std::string> names = std::move(reloadRequests);
    reloadRequests.clear();
    for (const std::string& name : names)
        if (!name.empty() && m_lpView && m_lpView->boHasFrame(name))
            m_lpView->vReloadFrame(name, false);
}

} // namespace ChatModel
