// ACT_EXECCMD and DYN_EXECCMD: the diagnostic console and the page-defined
// commands with their parameters.
#include <cinttypes>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "ChatModel.h"
#include "ChatTextUtil.h"
#include "html/doc/HtmlText.h"
#include "NickScheme.h"

namespace ChatModel
{

using ChatText::boEqualNoCase;

namespace
{

// The console's words and credits, scrambled under the run-time key.
enum ConsoleWord
{
    kBanner,
    kNickScheme,
    kFloodSettings,
    kCredits1,
    kCredits2,
    kCount,
    kUserVersions,
    kSessionStats,
    kFloodState,
    kConsoleWords
};
const char* const kScrambledWords[kConsoleWords] = {"VNVKR", "VNCME", "VNKBABI", "VNNRJ", "VNYKOM",
                                                    "VNNNZ", "VNXSR", "VNSZOY",  "VNKBSY"};
const char* const kScrambledCredits[2] = {
    "<OHNZHR><G>Zhrlbay</I><LR>yei jdlz yelx zphoes db orlcks</OKGXHR>",
    "<OHNZHR>Nuily lt ydk Crlkaah mamy zhlm<LR>yfocfs zf hxkrt rafa zfly xriii gy</OKGXHR>",
};

std::string strClear(const char* scrambled)
{
    return ChatText::strScramble(scrambled, CChatModel::strRunTimeKey());
}

std::string strFixed(double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", v);
    return buf;
}

// A detector's repeat count and smoothed interval, as the flood state shows them.
std::string strFloodCounters(const CFloodDetector& d)
{
    return std::to_string(d.iRepeatCount()) + " - " + std::to_string(d.iSmoothed);
}

// Red while an alert runs; orange while messages come faster than twice the
// least period; green otherwise.
const char* FloodColour(const CFloodDetector& d)
{
    if (d.iAlertState(nullptr, nullptr) != CFloodDetector::kNone)
        return "RED";
    if (static_cast<int64_t>(d.iSmoothed) < 2 * static_cast<int64_t>(d.iFrqMinPeriod))
        return "#FF8000";
    return "GREEN";
}

const char* CodingWord(int coding)
{
    static const char* const words[] = {"CL", "CR", "BTH", "CLTST"};
    return coding >= 0 && coding < 4 ? words[coding] : "?";
}

} // namespace

std::string CChatModel::strConsoleOutput(const std::string& command)
{
    int word = -1;
    for (int i = 0; i < kConsoleWords && word < 0; ++i)
        if (boEqualNoCase(command, strClear(kScrambledWords[i])))
            word = i;
    switch (word)
    {
    case kBanner:
    {
        const bool activeX = m_lpInstance && m_lpInstance->boIsActiveX();
        return "<CENTER><font size=10><BLINK color1=#C0C0C0 color2=#5C5C5C><I>Verbolt v</I> 4.38"
               "<BR><FONT size=-3>&lt;<B>Win32 </B> 1.01&gt;<BR><FONT size=-1>--" +
               std::string(activeX ? "AX" : "NP") + "--</FONT></FONT></BLINK></font></CENTER>";
    }
    case kNickScheme:
    {
        const ChatIrc::CNickScheme& s = Scheme();
        std::string out = "SND : " + std::string(s.iGetSendCoding() ? "CR" : "CL") + "<BR>";
        out += "RCV : " + std::string(CodingWord(s.iGetReceiveAccept())) + "<BR>";
        out += "SRCV : " + std::to_string(s.iGetPrivateAccept()) + "<BR>";
        out += "NICKO : " + std::to_string(s.iGetOwnNickCoding()) + "<BR>";
        out += "NICKI : " + std::to_string(s.iGetNickAccept()) + "<BR>";
        out += "MINNCKV : " + strFixed(s.dGetMinNickVersion()) + "<BR>";
        out += "MAXNCKV : " + strFixed(s.dGetMaxNickVersion()) + "<BR>";
        out += "CHL : " + std::to_string(s.iGetRoomCoding()) + "<BR>";
        if (s.boGetRoomCheck())
            out += "CHLVD<BR>";
        out += "NCKPRFX : " + HtmlEncodeEntities(s.strGetNickPrefix()) + "<BR>";
        if (s.boGetPrefixBlocking())
            out += "NCKPRFXBLK<BR>";
        return out;
    }
    case kFloodSettings:
    {
        const CFloodDetector* sides[2] = {&people.senderFlood, &people.receiverFlood};
        std::string out = "<TABLE border=1 align=center><TR><TD bgcolor=#C0C0C0>SENDER</TD>"
                          "<TD bgcolor=#C0C0C0>RECEIVER</TD></TR><TR>";
        for (const CFloodDetector* d : sides)
            out += "<TD>=====RPT====<BR>BACK MESS = " + std::to_string(d->iRptNbBackMess) +
                   "<BR>DEAD CHARS = " + std::to_string(d->iRptDeadChars) +
                   "<BR>MAX MESS = " + std::to_string(d->iRptMaxMess) +
                   "<BR>PROB = " + std::to_string(d->iRptProb) + "<BR>MULT = " + strFixed(d->dRptMult) +
                   "<BR>=====FRQ====<BR>MIN PRD = " + std::to_string(d->iFrqMinPeriod) +
                   "<BR>EVAL PRD = " + std::to_string(d->iFrqEvalPeriod) +
                   "<BR>FWgth = " + strFixed(d->dFrqFilterWeight) +
                   "<BR>PROB = " + std::to_string(d->iFrqProb) + "<BR>MULT = " + strFixed(d->dFrqMult) +
                   "</TD>";
        return out + "</TR></TABLE>";
    }
    case kCredits1:
    case kCredits2:
        return strClear(kScrambledCredits[word - kCredits1]);
    case kCount:
        return "<CENTER><B>" + std::to_string(people.users.size()) + "</B></CENTER>";
    case kUserVersions:
    {
        std::string out = "<TABLE border=0 align=center width=80%><TR><TD bgcolor=#FFFFFF width=50%>"
                          "<FONT color=#000000>User</FONT></TD><TD bgcolor=#FFFFFF width=50%>"
                          "<FONT color=#000000>Vers.</FONT></TD></TR>";
        for (const auto& entry : Scheme().Versions())
            out += "<TR><TD>" + HtmlEncodeEntities(entry.first) + "</TD><TD align=center>" + entry.second +
                   "</TD></TR>";
        return out + "</TABLE>";
    }
    case kSessionStats:
        return "<TABLE border=1 align=center><TR><TD bgcolor=#C0C0C0>Session Stats</TD></TR><TR><TD>OUT : " +
               std::to_string(people.lLeft) + "<BR>KCK : " + std::to_string(people.lKilled) +
               "<BR>MIN : " + std::to_string(people.lRoomReceived) +
               "<BR>WIN : " + std::to_string(people.lPrivReceived) +
               "<BR>MOUT : " + std::to_string(people.lRoomSent) +
               "<BR>WOUT : " + std::to_string(people.lPrivSent) +
               "<BR>bIN : " + std::to_string(m_cnx.ulReceivedBytes()) +
               "<BR>bOUT : " + std::to_string(m_cnx.ulSentBytes()) + "</TD></TR></TABLE>";
    case kFloodState:
    {
        std::string out = "<TABLE border=1 align=center><TR><TD bgcolor=#C0C0C0>US</TD><TD>REP CPTR=" +
                          std::to_string(people.senderFlood.iRepeatCount()) +
                          " - MESS AVG PRD = " + std::to_string(people.senderFlood.iSmoothed) +
                          "</TD></TR><TR><TD bgcolor=#C0C0C0>Them</TD><TD>";
        for (const auto& record : people.floodRecords)
            if (record.second)
                out += "<B><FONT color=" + std::string(FloodColour(*record.second)) + ">" +
                       HtmlEncodeEntities(record.second->strName().empty() ? record.first
                                                                           : record.second->strName()) +
                       "</FONT></B> : " + strFloodCounters(*record.second) + "<BR>";
        return out + "</TD></TR></TABLE>";
    }
    default:
        return {};
    }
}

bool CChatModel::boOnActExecCmd(std::string& command)
{
    if (command.empty())
        return false;
    bool recognised = false;
    const std::string console = strConsoleOutput(command);
    if (!console.empty())
    {
        command = console;
        recognised = true;
    }
    std::string params;
    std::vector<std::string> list;
    const Command* entry = lpFindCommand(command, params, &list);
    if (!entry)
        return recognised;
    command = entry->boHasParams ? strExpandCommandText(*entry, params, list) : entry->strText;
    return true;
}

} // namespace ChatModel
