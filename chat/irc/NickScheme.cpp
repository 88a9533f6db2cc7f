#include "NickScheme.h"

#include <cstdio>
#include <cstdlib>

#include "ChatTextUtil.h"
#include "HexDigits.h"

namespace ChatIrc
{

using ChatText::boEqualNoCase;

namespace
{

const char kDefaultMark[] = "[";
const char kDefaultSet[] = "()<>?!#'~|^%$ùµ=¨²,;:.-+à@/";
const char kPlainVersion[] = "NOCR";

// Tag names after which trusted commands carry their attributes.
const char* const kCommandTags[] = {"DYN_SND", "ACT_SND", "DYN_NAV", "ACT_NAV", "ACT_SETFLD"};

bool boAt(const std::string& text, size_t pos, const std::string& what)
{
    return text.compare(pos, what.size(), what) == 0;
}

std::string strVersionText(double version)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", version);
    return buf;
}

bool boNameChar(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

std::string strTrim(const std::string& text)
{
    const char* blanks = " \t\r\n";
    const size_t begin = text.find_first_not_of(blanks);
    if (begin == std::string::npos)
        return std::string();
    const size_t end = text.find_last_not_of(blanks);
    return text.substr(begin, end - begin + 1);
}

// Attribute values are written in double quotes: a quote in one is an entity.
std::string strQuoted(const std::string& value)
{
    std::string out = "\"";
    for (char c : value)
        out += c == '"' ? std::string("&quot;") : std::string(1, c);
    return out + "\"";
}

} // namespace

CNickScheme::CNickScheme() : m_strMark(kDefaultMark), m_strSet(kDefaultSet) {}

void CNickScheme::vSetSecondSet(const std::string& value)
{
    m_strSet2 = value.substr(0, kMaxSecondSet);
}

void CNickScheme::vSetKey(const std::string& text)
{
    m_strKey = ChatText::strScramble(text, ChatText::strDerivedKey());
}

std::string CNickScheme::strGetKey() const
{
    return ChatText::strScramble(m_strKey, ChatText::strDerivedKey());
}

std::string CNickScheme::strEscapeNick(const char* lpNick) const
{
    if (!lpNick)
        return std::string();
    std::string out = lpNick;
    if (!m_strMark.empty() && !m_strSet.empty())
    {
        std::string escaped;
        for (char c : out)
        {
            if (m_strSet.find(c) != std::string::npos)
            {
                escaped += m_strMark;
                FdText::AppendHexByte(escaped, static_cast<uint8_t>(c), FdText::HexCase::kLower);
            }
            else
                escaped += c;
        }
        out = escaped;
    }
    if (!m_strMark2.empty() && !m_strSet2.empty())
    {
        std::string escaped;
        for (char c : out)
        {
            const size_t pos = m_strSet2.find(c);
            if (pos != std::string::npos)
            {
                char buf[8];
                std::snprintf(buf, sizeof buf, "%01x", static_cast<unsigned>(pos));
                escaped += m_strMark2 + buf;
            }
            else
                escaped += c;
        }
        out = escaped;
    }
    return out;
}

std::string CNickScheme::strUnescapeNick(const std::string& nick) const
{
    std::string text = nick;
    if (!m_strMark2.empty() && !m_strSet2.empty())
    {
        std::string out;
        for (size_t i = 0; i < text.size();)
        {
            if (boAt(text, i, m_strMark2) && i + m_strMark2.size() < text.size())
            {
                const int d = FdText::HexDigitValue(text[i + m_strMark2.size()]);
                if (d >= 0 && static_cast<size_t>(d) < m_strSet2.size())
                {
                    out += m_strSet2[static_cast<size_t>(d)];
                    i += m_strMark2.size() + 1;
                    continue;
                }
            }
            out += text[i++];
        }
        text = out;
    }
    if (!m_strMark.empty() && !m_strSet.empty())
    {
        std::string out;
        for (size_t i = 0; i < text.size();)
        {
            if (boAt(text, i, m_strMark) && i + m_strMark.size() + 1 < text.size())
            {
                const int hi = FdText::HexDigitValue(text[i + m_strMark.size()]);
                const int lo = FdText::HexDigitValue(text[i + m_strMark.size() + 1]);
                if (hi >= 0 && lo >= 0 && (hi << 4 | lo) != 0)
                {
                    out += static_cast<char>(hi << 4 | lo);
                    i += m_strMark.size() + 2;
                    continue;
                }
            }
            out += text[i++];
        }
        text = out;
    }
    // Only the escapes this scheme writes are undone: a wire nick that is not
    // the escape of what it decodes to (an escaped character that needs none,
    // upper-case digits) stays as written, so two wire nicks never show as
    // one name.
    if (text != nick && strEscapeNick(text.c_str()) != nick)
        return nick;
    return text;
}

void CNickScheme::vNickForWire(std::string& text) const
{
    const std::string recorded = strGetNickVersion(text);
    std::string wire = strEscapeNick(text.c_str());
    if (!m_strPrefix.empty())
        wire = m_strPrefix + wire;
    if (m_iNcko == 1 && recorded != kPlainVersion)
    {
        const double version = recorded.empty() ? kClientVersion : std::strtod(recorded.c_str(), nullptr);
        wire = ChatText::strProtect8(wire, m_strKey, version);
    }
    text = wire;
}

bool CNickScheme::boAcceptNick(std::string& nick, bool leaving)
{
    std::string text = nick;
    double version = 0;
    bool coded = false;
    if (m_iNcki != kPlain)
        coded = ChatText::boUnprotect8(text, m_strKey, version);
    if (m_iNcki == kCodedOnly && !coded)
        return false;
    if (m_iNcki == kPlainOnly && coded)
        return false;
    if ((m_iNcki == kCodedOnly || m_iNcki == kBoth) && coded)
    {
        if (m_dMinNckv > 0 && version < m_dMinNckv)
            return false;
        if (m_dMaxNckv > 0 && version > m_dMaxNckv)
            return false;
    }
    if (!boPassPrefix(text))
        return false;
    text = strUnescapeNick(text);
    {
        std::lock_guard<std::mutex> lock(m_versionLock);
        if (leaving)
            m_versions.erase(text);
        else
            m_versions[text] = coded ? strVersionText(version) : std::string(kPlainVersion);
    }
    nick = text;
    return true;
}

bool CNickScheme::boPassPrefix(std::string& nick) const
{
    if (m_strPrefix.empty())
        return true;
    if (nick.compare(0, m_strPrefix.size(), m_strPrefix) == 0)
    {
        nick.erase(0, m_strPrefix.size());
        return true;
    }
    return !m_boPrefixBlock;
}

bool CNickScheme::boAcceptText(bool privateMessage, std::string& text) const
{
    const int rule = privateMessage ? m_iSrcv : m_iRcv;
    if (rule == kPlain)
        return true;
    std::string decoded = text;
    double version = 0;
    const bool coded = ChatText::boUnprotect8(decoded, m_strKey, version);
    if (rule == kPlainOnly)
        return !coded;
    if (coded)
        text = decoded;
    return coded || rule == kBoth;
}

void CNickScheme::vTextForWire(std::string& text) const
{
    if (m_iSnd == 1)
        text = ChatText::strProtect8(text, m_strKey, kClientVersion);
}

std::string CNickScheme::strRoomForWire(const std::string& room) const
{
    if (m_iChl != 1)
        return room;
    std::string coded =
        ChatText::strProtect8(room, m_strKey, m_boChlvd ? kClientVersion : kRoomVersionUnchecked);
    // Room names start with '#': the one the coded text holds moves to the front.
    if (coded.size() >= 8 && coded[6] == '#')
        coded = "#" + coded.substr(0, 6) + coded.substr(7);
    return coded;
}

std::string CNickScheme::strRoomFromWire(const std::string& room) const
{
    if (m_iChl != 1)
        return room;
    std::string text = room;
    if (text.size() >= 8 && text[0] == '#')
        text = text.substr(1, 6) + "#" + text.substr(7);
    double version = 0;
    if (!ChatText::boUnprotect8(text, m_strKey, version))
        return room;
    return text;
}

std::string CNickScheme::strGetNickVersion(const std::string& nick) const
{
    std::lock_guard<std::mutex> lock(m_versionLock);
    const auto it = m_versions.find(nick);
    return it == m_versions.end() ? std::string() : it->second;
}

std::string strAddCommandAttributes(const std::string& markup, const std::string& name, long identity)
{
    char id[32];
    std::snprintf(id, sizeof id, "%li", identity);
    const std::string attributes = " CN=" + strQuoted(name) + " CS=" + strQuoted(id);
    std::string out;
    for (size_t i = 0; i < markup.size();)
    {
        out += markup[i];
        if (markup[i++] != '<')
            continue;
        for (const char* tag : kCommandTags)
        {
            const std::string t = tag;
            if (i + t.size() <= markup.size() && boEqualNoCase(markup.substr(i, t.size()), t) &&
                (i + t.size() == markup.size() || !boNameChar(markup[i + t.size()])))
            {
                out += markup.substr(i, t.size()) + attributes;
                i += t.size();
                break;
            }
        }
    }
    return out;
}

std::vector<std::string> SplitList(const std::string& text, const std::string& separator)
{
    std::vector<std::string> items;
    if (boEqualNoCase(strTrim(text), "none"))
        return items;
    if (separator.empty())
    {
        const std::string item = strTrim(text);
        if (!item.empty())
            items.push_back(item);
        return items;
    }
    size_t pos = 0;
    for (;;)
    {
        const size_t end = text.find(separator, pos);
        const std::string item =
            strTrim(text.substr(pos, end == std::string::npos ? std::string::npos : end - pos));
        if (!item.empty())
            items.push_back(item);
        if (end == std::string::npos)
            break;
        pos = end + separator.size();
    }
    return items;
}

long CFlaggedNames::lFind(const std::string& name) const
{
    for (size_t i = 0; i < m_entries.size(); ++i)
        if (boEqualNoCase(m_entries[i].first, name))
            return static_cast<long>(i);
    return -1;
}

void CFlaggedNames::vSetFlags(const std::string& name, uint16_t flags)
{
    const long i = lFind(name);
    if (i < 0)
        m_entries.emplace_back(name, flags);
    else
        m_entries[static_cast<size_t>(i)].second = flags;
}

uint16_t CFlaggedNames::uGetFlags(const std::string& name) const
{
    const long i = lFind(name);
    return i < 0 ? 0 : m_entries[static_cast<size_t>(i)].second;
}

size_t CFlaggedNames::uCountWithout(uint16_t mask) const
{
    size_t count = 0;
    for (const auto& e : m_entries)
        if ((e.second & mask) == 0)
            ++count;
    return count;
}

bool CFlaggedNames::boInsert(const std::string& name, uint16_t flags)
{
    if (lFind(name) >= 0)
        return false;
    m_entries.emplace_back(name, flags);
    return true;
}

bool CFlaggedNames::boRemove(const std::string& name)
{
    const long i = lFind(name);
    if (i < 0)
        return false;
    m_entries.erase(m_entries.begin() + i);
    return true;
}

bool CFlaggedNames::boAt(size_t index, std::string& name, uint16_t& flags) const
{
    if (index >= m_entries.size())
        return false;
    name = m_entries[index].first;
    flags = m_entries[index].second;
    return true;
}

} // namespace ChatIrc
