// The action directives (CActionDirectives).
#include "ActionDirectives.h"

#include <climits>
#include <cstdint>
#include <cstdlib>

#include "ChatTextUtil.h"
#include "ElementListDirectives.h"
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

// ---------------------------------------------------------------- ACT_SND, ACT_SETFLD

void CActionDirectives::vOnActSnd(const std::string& tagName, const std::string& bodyIn,
                                  const std::string& attrs)
{
    const std::string history = strCutWholeTag(m_msgs.strHistory, tagName, attrs, bodyIn);
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
    m_msgs.strHistory = history;
    if (!m_cfg.boSndSwitch || body.empty() || m_host.iReceiveAccept() != ChatIrc::CNickScheme::kCodedOnly)
        return;
    if (!boSignedText(body, ck, "") && !m_config.boIsCommandTagAuthorised(attrs))
        return;
    std::string message = m_host.strExpandVars(strReplaceAll(body, "%extparams%", extParams));
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
            const std::string value = m_host.strGetFieldValue(name, type, noFormat);
            values += "<DYN_FVAL NAME=\"" + name + "\" TYPE=\"" + type + "\">" + value + "</DYN_FVAL>";
            start = end + sep.size();
        }
        const std::string block = "<DYN_FLDS" + idPiece + " TYPE=\"FIELDS\">" + values + "</DYN_FLDS>";
        message = strReplaceAll(strReplaceAll(message, "%list%", block), "%flds%", values);
    }
    else if (boEqualNoCase(getList, "USERGRPS"))
    {
        const std::string user = m_host.strNoIncident(listParams.empty() ? m_conn.strNick : listParams);
        std::string block = "<DYN_FLDS" + idPiece + " TYPE=\"USERGRPS\">";
        std::vector<std::string> names;
        m_people.groups.uGroupsOf(user, &names);
        for (const std::string& g : names)
        {
            int32_t rank = 0;
            m_people.groups.boMemberValue(g, user, &rank);
            block += "<DYN_FVAL NAME=\"" + encode(g) + "\" RK=\"" + std::to_string(rank) + "\" TYPE=\"UG\"/>";
        }
        message = strReplaceAll(message, "%list%", block + "</DYN_FLDS>");
    }
    else if (boEqualNoCase(getList, "GRPUSERS"))
    {
        std::string block = "<DYN_FLDS" + idPiece + " TYPE=\"GRPUSERS\">";
        for (const std::string& g : ChatIrc::SplitList(listParams, sep))
        {
            const CGroupTable::Group* group = m_people.groups.lpFind(g);
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
    const std::string recipient = to.empty() ? to : m_host.strExpandVars(to);
    if (noMpd)
        m_host.vSendMessage(flat, recipient, false);
    else
        m_host.vSendMessage(flat, recipient, true);
}

void CActionDirectives::vOnActSetFld(const std::string& bodyIn, const std::string& attrs)
{
    const std::string name = GetAttrOr("NAME", attrs);
    if (!m_cfg.boNavSwitch || name.empty() || m_host.iReceiveAccept() != ChatIrc::CNickScheme::kCodedOnly)
        return;
    std::string body = bodyIn;
    if (!boSignedText(body, GetAttrOr("CK", attrs), name) && !m_config.boIsCommandTagAuthorised(attrs))
        return;
    m_host.vSetFieldValue(
        name, m_host.strExpandVars(strReplaceAll(body, "%extparams%", GetAttrOr("EXTPARAMS", attrs))));
}

// ---------------------------------------------------------------- ACT_NAV

void CActionDirectives::vOnActNav(const std::string& tagName, const std::string& body,
                                  const std::string& attrs)
{
    // A navigation received inside a message runs once.
    m_msgs.strHistory = strCutTagAttributes(m_msgs.strHistory, tagName, attrs);
    if (!m_cfg.boNavSwitch || attrs.empty() || m_host.iReceiveAccept() != ChatIrc::CNickScheme::kCodedOnly)
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
        if (!signedOk && !m_config.boIsCommandTagAuthorised(attrs))
            return;
        // A signed address and target go on as they read.
        if (signedOk)
            address = a, target = t;
    }
    address = strReplaceAll(address, "%extparams%", extParams);
    target = strReplaceAll(target, "%extparams%", extParams);
    const bool frame =
        !target.empty() && (m_host.boHasFrame(target) || target.find('*') != std::string::npos);
    if (frame && !outer)
    {
        address = strTrim(address);
        if (reload)
            address.clear();
        else
        {
            if (!wclr.empty())
                address += "@WCLR=" + wclr;
            address = m_host.strResolveAddress(address);
        }
        if (noCache)
            address = "=@NOCACHE@=" + address;
        if (!address.empty() || reload)
        {
            m_page.navQueue.push_back(target + ";" + address);
            m_host.vPostNavigate();
        }
        return;
    }
    if (!inner && !reload)
        m_host.vNavigateExpanded(address, target);
}

void CActionDirectives::vOnActSetVar(const std::string& body, const std::string& attrs)
{
    const std::string name = GetAttrOr("NAME", attrs);
    if (name.empty())
        return;
    const std::string op = GetAttrOr("OP", attrs);
    std::string value = body;
    if (op.size() >= 2)
    {
        const auto old = m_page.pageVars.find(name);
        if (boEqualNoCase(op, "ADD"))
            value = old != m_page.pageVars.end() ? old->second + body : body;
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
    m_page.pageVars[name] = value;
}

} // namespace ChatModel
