// ACT_EXECCMD and DYN_EXECCMD: the diagnostic console and the page-defined
// commands with their parameters, their lookup and their expansion.
#include <cinttypes>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "ChatModel.h"
#include "ChatTextUtil.h"
#include "html/doc/HtmlText.h"
#include "MessageFormats.h"
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

// ---------------------------------------------------------------- commands

namespace
{

// The 32-bit result as a two's-complement machine gives it.
int32_t iWrap(int64_t value)
{
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value)));
}

std::string strUpperCase(std::string s)
{
    for (char& ch : s)
        if (ch >= 'a' && ch <= 'z')
            ch = static_cast<char>(ch - 'a' + 'A');
    return s;
}

} // namespace

const CChatModel::Command* CChatModel::lpFindCommand(const std::string& name) const
{
    for (const Command& c : cfg.commands)
        if (c.strName == name)
            return &c;
    return nullptr;
}

const CChatModel::Command* CChatModel::lpFindCommand(const std::string& text, std::string& params,
                                                     std::vector<std::string>* list) const
{
    const std::string upper = strUpperCase(text);
    for (const Command& c : cfg.commands)
    {
        if (c.strName == upper)
            return &c;
        if (!c.boHasParams || c.strName.empty() || upper.size() <= c.strName.size() ||
            upper.compare(0, c.strName.size(), c.strName) != 0)
            continue;
        params = text.substr(c.strName.size());
        if (list)
        {
            list->clear();
            if (params.size() >= 2 && params.front() == '(' && params.back() == ')')
                *list = ChatIrc::SplitList(params.substr(1, params.size() - 2), c.strSeparator);
        }
        return &c;
    }
    return nullptr;
}

bool CChatModel::boIsIntegerFormat(const std::string& format)
{
    int conversions = 0;
    for (size_t i = 0; i < format.size(); ++i)
    {
        if (format[i] != '%')
            continue;
        if (++i < format.size() && format[i] == '%')
            continue;
        while (i < format.size() && std::string("-+ #0").find(format[i]) != std::string::npos)
            ++i;
        while (i < format.size() && format[i] >= '0' && format[i] <= '9')
            ++i;
        if (i < format.size() && format[i] == '.')
            for (++i; i < format.size() && format[i] >= '0' && format[i] <= '9';)
                ++i;
        if (i >= format.size() || std::string("diuxXo").find(format[i]) == std::string::npos)
            return false;
        ++conversions;
    }
    return conversions == 1;
}

namespace
{

// The number in the command's format (one integer conversion, else "%i").
std::string strFormatNumber(const std::string& format, int32_t value)
{
    const std::string f = CChatModel::boIsIntegerFormat(format) ? format : "%i";
    char conversion = 'i';
    for (size_t i = 0; i < f.size(); ++i)
    {
        if (f[i] != '%')
            continue;
        if (i + 1 < f.size() && f[i + 1] == '%')
        {
            ++i;
            continue;
        }
        const size_t at = f.find_first_not_of("-+ #0123456789.", i + 1);
        conversion = at == std::string::npos ? 'i' : f[at];
        break;
    }
    const bool asUnsigned = conversion != 'd' && conversion != 'i';
    char small[64];
    const int n = asUnsigned ? std::snprintf(small, sizeof small, f.c_str(), static_cast<unsigned>(value))
                             : std::snprintf(small, sizeof small, f.c_str(), value);
    if (n < 0)
        return std::to_string(value);
    if (static_cast<size_t>(n) < sizeof small)
        return small;
    // A wide field: written whole while it stays reasonable.
    if (n > 4096)
        return std::to_string(value);
    std::string out(static_cast<size_t>(n) + 1, '\0');
    if (asUnsigned)
        std::snprintf(&out[0], out.size(), f.c_str(), static_cast<unsigned>(value));
    else
        std::snprintf(&out[0], out.size(), f.c_str(), value);
    out.resize(static_cast<size_t>(n));
    return out;
}

} // namespace

std::string CChatModel::strExpandCommandText(const Command& command, const std::string& params,
                                             const std::vector<std::string>& list)
{
    std::string out = strReplaceAll(command.strText, "%params%", params);
    const int64_t n = command.iOperand;
    int64_t value = std::atoi(params.c_str());
    const char* marks[] = {"%iparam-n%", "%iparam+n%", "%iparam*n%", "%iparam/n%"};
    for (int op = 0; op < 4; ++op)
    {
        if (out.find(marks[op]) == std::string::npos)
            continue;
        if (op == 0)
            value = iWrap(value - n);
        else if (op == 1)
            value = iWrap(value + n);
        else if (op == 2)
            value = iWrap(value * n);
        else if (n != 0 && !(value == INT32_MIN && n == -1))
            value = value / n;
        out = strReplaceAll(out, marks[op], strFormatNumber(command.strFormat, static_cast<int32_t>(value)));
    }
    size_t index = 0;
    for (; index < list.size(); ++index)
        out = strReplaceAll(out, "%" + std::to_string(index) + "%", list[index]);
    for (;; ++index)
    {
        const std::string mark = "%" + std::to_string(index) + "%";
        if (out.find(mark) == std::string::npos)
            break;
        out = strReplaceAll(out, mark, "");
    }
    return out;
}

} // namespace ChatModel
