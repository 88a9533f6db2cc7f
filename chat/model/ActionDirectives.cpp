// Action directives of the chat's pages: page variables (ACT_SETVAR) and the
// message-format switches (DYN_MESSFORMAT).
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "ChatModel.h"
#include "ChatTextUtil.h"
#include "ElementLists.h"
#include "HtmlAttr.h"
#include "MessageFormats.h"
#include "NickScheme.h"
#include "html/doc/HtmlText.h"

namespace ChatModel
{

using ChatText::boEqualNoCase;
using ChatText::boUnprotect8;
using ChatText::strChecksum16;
using ChatText::strProtect8;

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

bool boBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool boMatchName(const std::string& text, size_t pos, const std::string& name)
{
    return text.size() - pos >= name.size() && boElementNameEqual(text.substr(pos, name.size()), name);
}

// Takes the attribute text and the body out of the first occurrence of the
// whole tag "<name attrs>body</name>"; other lines stay as they are.
std::string strCutWholeTag(const std::string& text, const std::string& name, const std::string& attrs,
                           const std::string& body)
{
    for (size_t lt = text.find('<'); lt != std::string::npos; lt = text.find('<', lt + 1))
    {
        size_t pos = lt + 1;
        if (!boMatchName(text, pos, name))
            continue;
        pos += name.size();
        const size_t cutFrom = pos;
        if (!attrs.empty())
        {
            if (pos >= text.size() || !boBlank(text[pos]))
                continue;
            while (pos < text.size() && boBlank(text[pos]))
                ++pos;
            if (text.compare(pos, attrs.size(), attrs) != 0)
                continue;
            pos += attrs.size();
        }
        while (pos < text.size() && boBlank(text[pos]))
            ++pos;
        if (pos >= text.size() || text[pos] != '>')
            continue;
        ++pos;
        if (text.compare(pos, body.size(), body) != 0)
            continue;
        size_t end = pos + body.size();
        if (text.compare(end, 2, "</") != 0 || !boMatchName(text, end + 2, name))
            continue;
        return text.substr(0, cutFrom) + ">" + text.substr(end);
    }
    return text;
}

std::string strTrimLeft(const std::string& text)
{
    size_t start = 0;
    while (start < text.size() && boBlank(text[start]))
        ++start;
    return text.substr(start);
}

std::string strTrim(const std::string& text)
{
    std::string t = strTrimLeft(text);
    while (!t.empty() && boBlank(t.back()))
        t.pop_back();
    return t;
}

std::string strReversed(const std::string& text)
{
    return std::string(text.rbegin(), text.rend());
}

constexpr double kSignatureVersion = 9.87;

// The version a signature reads, as the codec writes it (two decimals).
bool boSignatureVersion(double number)
{
    return number > kSignatureVersion - 0.001 && number < kSignatureVersion + 0.001;
}

// A protected signed text: the body decodes (it stays decoded), CK decodes at
// the signature version and equals the check value of the signed text.
bool boSignedText(std::string& body, const std::string& ck, const std::string& prefix)
{
    double bodyNumber = 0.0;
    const bool bodyOk = boUnprotect8(body, "", bodyNumber);
    std::string check = ck;
    double number = 0.0;
    if (!bodyOk || check.empty() || !boUnprotect8(check, "", number) || !boSignatureVersion(number))
        return false;
    return check == strChecksum16(strProtect8(strReversed(prefix + body), "", kSignatureVersion));
}

} // namespace

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

// ---------------------------------------------------------------- ACT_SND, ACT_SETFLD

void CChatModel::vOnActSnd(const std::string& tagName, const std::string& bodyIn, const std::string& attrs)
{
    const std::string history = strCutWholeTag(msgs.strHistory, tagName, attrs, bodyIn);
    std::string body = bodyIn;
    const std::string to = GetAttrOr("TO", attrs);
    const std::string ck = GetAttrOr("CK", attrs);
    std::string getFields = GetAttrOr("GETFLDS", attrs);
    const std::string fid = GetAttrOr("FID", attrs);
    const std::string getList = GetAttrOr("GETLIST", attrs);
    const std::string listParams = GetAttrOr("LISTPARAMS", attrs);
    std::string sep = GetAttrOr("FSEP", attrs, "|");
    const bool noFormat = HasAttr("NOFORMAT", attrs) != 0;
    const bool noMpd = HasAttr("NOMPD", attrs) != 0;
    const std::string extParams = GetAttrOr("EXTPARAMS", attrs);
    if (boEqualNoCase(getList, "FIELDS"))
        getFields = listParams;
    if (sep.empty())
        sep = "|";
    msgs.strHistory = history;
    if (!cfg.boSndSwitch || body.empty() || Scheme().iGetReceiveAccept() != ChatIrc::CNickScheme::kCodedOnly)
        return;
    if (!boSignedText(body, ck, "") && !m_configDirectives.boIsCommandTagAuthorised(attrs))
        return;
    std::string message = strExpandVars(strReplaceAll(body, "%extparams%", extParams));
    const std::string idPiece = fid.empty() ? "" : " FID=\"" + fid + "\"";
    auto encode = [noFormat](const std::string& t) { return noFormat ? t : HtmlEncodeEntities(t); };
    if (!getFields.empty())
    {
        std::string values;
        size_t start = 0;
        while (start <= getFields.size())
        {
            size_t end = getFields.find(sep, start);
            if (end == std::string::npos)
                end = getFields.size();
            const std::string name = getFields.substr(start, end - start);
            if (name.empty())
                break;
            std::string type = "ERR";
            const std::string value = strGetFieldValue(name, type, noFormat);
            values += "<DYN_FVAL NAME=\"" + name + "\" TYPE=\"" + type + "\">" + value + "</DYN_FVAL>";
            start = end + sep.size();
        }
        const std::string block = "<DYN_FLDS" + idPiece + " TYPE=\"FIELDS\">" + values + "</DYN_FLDS>";
        message = strReplaceAll(strReplaceAll(message, "%list%", block), "%flds%", values);
    }
    else if (boEqualNoCase(getList, "USERGRPS"))
    {
        const std::string user = strNoIncident(listParams.empty() ? conn.strNick : listParams);
        std::string block = "<DYN_FLDS" + idPiece + " TYPE=\"USERGRPS\">";
        std::vector<std::string> names;
        people.groups.uGroupsOf(user, &names);
        for (const std::string& g : names)
        {
            int32_t rank = 0;
            people.groups.boMemberValue(g, user, &rank);
            block += "<DYN_FVAL NAME=\"" + encode(g) + "\" RK=\"" + std::to_string(rank) + "\" TYPE=\"UG\"/>";
        }
        message = strReplaceAll(message, "%list%", block + "</DYN_FLDS>");
    }
    else if (boEqualNoCase(getList, "GRPUSERS"))
    {
        std::string block = "<DYN_FLDS" + idPiece + " TYPE=\"GRPUSERS\">";
        for (const std::string& g : ChatIrc::SplitList(listParams, sep))
        {
            const CGroupTable::Group* group = people.groups.lpFind(g);
            if (!group)
                continue;
            for (const CGroupTable::Member& member : group->members)
                block += "<DYN_FVAL NAME=\"" + encode(g) + "\" RK=\"" + std::to_string(member.iValue) +
                         "\" TYPE=\"GU\">" + encode(member.strNick) + "</DYN_FVAL>";
        }
        message = strReplaceAll(message, "%list%", block + "</DYN_FLDS>");
    }
    std::string flat;
    for (char ch : message)
        if (ch != '\r' && ch != '\n')
            flat += ch;
    flat = strTrimLeft(flat);
    const std::string recipient = to.empty() ? to : strExpandVars(to);
    if (noMpd)
        vSendChat(flat, !recipient.empty(), false, recipient);
    else
        vSendLongMessage(flat, !recipient.empty(), false, recipient);
}

void CChatModel::vOnActSetFld(const std::string& bodyIn, const std::string& attrs)
{
    const std::string name = GetAttrOr("NAME", attrs);
    if (!cfg.boNavSwitch || name.empty() || Scheme().iGetReceiveAccept() != ChatIrc::CNickScheme::kCodedOnly)
        return;
    std::string body = bodyIn;
    if (!boSignedText(body, GetAttrOr("CK", attrs), name) &&
        !m_configDirectives.boIsCommandTagAuthorised(attrs))
        return;
    vSetFieldValue(name, strExpandVars(strReplaceAll(body, "%extparams%", GetAttrOr("EXTPARAMS", attrs))));
}

// ---------------------------------------------------------------- commands

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

// ---------------------------------------------------------------- ACT_NAV

std::string CChatModel::strResolveAddress(const std::string& address)
{
    if (address.empty() || !m_lpView || page.boKeepAddresses || !IsRelativeAddress(address))
        return address;
    std::string base = page.strBaseAddress.empty() ? m_lpView->strRootPath() : page.strBaseAddress;
    if (!page.strBaseAddress.empty() && IsRelativeAddress(base))
        base = m_lpView->strRootPath() + (base.front() == '/' ? base.substr(1) : base);
    while (!base.empty() && base.back() == '/')
        base.pop_back();
    size_t skip = 0;
    while (skip < address.size() && address[skip] == '/')
        ++skip;
    return base + "/" + address.substr(skip);
}

void CChatModel::vOnActNav(const std::string& tagName, const std::string& body, const std::string& attrs)
{
    // A navigation received inside a message runs once.
    msgs.strHistory = strCutTagAttributes(msgs.strHistory, tagName, attrs);
    if (!cfg.boNavSwitch || attrs.empty() || Scheme().iGetReceiveAccept() != ChatIrc::CNickScheme::kCodedOnly)
        return;
    std::string address = body;
    std::string target = GetAttrOr("TARGET", attrs);
    const std::string ck = GetAttrOr("CK", attrs);
    const std::string mode = GetAttrOr("MODE", attrs);
    const bool inner = boEqualNoCase(mode, "INNER"), outer = boEqualNoCase(mode, "OUTER");
    const std::string wclr = GetAttrOr("WCLR", attrs);
    const bool reload = HasAttr("RELOAD", attrs) != 0, noCache = HasAttr("NOCACHE", attrs) != 0;
    const std::string extParams = GetAttrOr("EXTPARAMS", attrs);
    {
        std::string a = address, t = target, check = ck;
        double na = 0.0, nt = 0.0, nc = 0.0;
        const bool signedOk = !check.empty() && boUnprotect8(a, "", na) && boUnprotect8(t, "", nt) &&
                              boUnprotect8(check, "", nc) && boSignatureVersion(nc) &&
                              check == strChecksum16(strProtect8(strReversed(a + t), "", kSignatureVersion));
        if (!signedOk && !m_configDirectives.boIsCommandTagAuthorised(attrs))
            return;
        // A signed address and target go on as they read.
        if (signedOk)
            address = a, target = t;
    }
    address = strReplaceAll(address, "%extparams%", extParams);
    target = strReplaceAll(target, "%extparams%", extParams);
    const bool frame = !target.empty() &&
                       ((m_lpView && m_lpView->boHasFrame(target)) || target.find('*') != std::string::npos);
    if (frame && !outer)
    {
        address = strTrim(address);
        if (reload)
            address.clear();
        else
        {
            if (!wclr.empty())
                address += "@WCLR=" + wclr;
            address = strResolveAddress(address);
        }
        if (noCache)
            address = "=@NOCACHE@=" + address;
        if (!address.empty() || reload)
        {
            page.navQueue.push_back(target + ";" + address);
            m_lpHost->vPostNavigate();
        }
        return;
    }
    if (!inner && !reload)
        vNavigateExpanded(address, target);
}

void CChatModel::vOnActSetVar(const std::string& body, const std::string& attrs)
{
    const std::string name = GetAttrOr("NAME", attrs);
    if (name.empty())
        return;
    const std::string op = GetAttrOr("OP", attrs);
    std::string value = body;
    if (op.size() >= 2)
    {
        const auto old = page.pageVars.find(name);
        if (boEqualNoCase(op, "ADD"))
            value = old != page.pageVars.end() ? old->second + body : body;
        else if (op[0] == '+' || op[0] == '-' || op[0] == '*' || op[0] == '/')
        {
            const int64_t operand = std::atoi(op.c_str() + 1);
            const int64_t base = std::atoi(body.c_str());
            int64_t result = 0;
            switch (op[0])
            {
            case '+':
                result = base + operand;
                break;
            case '-':
                result = base - operand;
                break;
            case '*':
                result = base * operand;
                break;
            default:
                // No quotient: the variable keeps what it held.
                if (operand == 0 || (base == INT32_MIN && operand == -1))
                    return;
                result = base / operand;
                break;
            }
            value = std::to_string(iWrap(result));
        }
    }
    page.pageVars[name] = value;
}

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
