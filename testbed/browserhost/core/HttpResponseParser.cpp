#include "HttpResponseParser.h"

#include <cctype>

namespace FdBrowserHost
{
namespace
{
std::string strLower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string strTrim(const std::string& s)
{
    std::size_t a = 0;
    std::size_t b = s.size();
    while (a < b && (s[a] == ' ' || s[a] == '\t'))
        ++a;
    while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t'))
        --b;
    return s.substr(a, b - a);
}

// The offset just past the blank line ending the headers, or npos.
std::size_t nHeaderEnd(const std::string& s)
{
    for (std::size_t i = s.find('\n'); i != std::string::npos; i = s.find('\n', i + 1))
    {
        if (i + 1 < s.size() && s[i + 1] == '\n')
            return i + 2;
        if (i + 2 < s.size() && s[i + 1] == '\r' && s[i + 2] == '\n')
            return i + 3;
    }
    return std::string::npos;
}
} // namespace

CHttpResponseParser::EState CHttpResponseParser::eFail(const std::string& text)
{
    m_strError = text;
    m_eState = EState::Failed;
    return m_eState;
}

std::string CHttpResponseParser::strHeader(const std::string& name) const
{
    const std::string lower = strLower(name);
    for (const auto& h : m_headers)
        if (strLower(h.first) == lower)
            return h.second;
    return std::string();
}

CHttpResponseParser::EState CHttpResponseParser::eParseHeaders()
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < m_strHeaderText.size())
    {
        std::size_t end = m_strHeaderText.find('\n', start);
        if (end == std::string::npos)
            end = m_strHeaderText.size();
        std::string line = m_strHeaderText.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            lines.push_back(line);
        start = end + 1;
    }
    if (lines.empty())
        return eFail("empty response");
    const std::string& status = lines[0];
    if (status.size() < 12 || status.compare(0, 5, "HTTP/") != 0 ||
        !std::isdigit(static_cast<unsigned char>(status[5])) || status[6] != '.' ||
        !std::isdigit(static_cast<unsigned char>(status[7])) || status[8] != ' ')
        return eFail("bad status line");
    int code = 0;
    for (int k = 9; k < 12; ++k)
    {
        if (!std::isdigit(static_cast<unsigned char>(status[static_cast<std::size_t>(k)])))
            return eFail("bad status code");
        code = code * 10 + (status[static_cast<std::size_t>(k)] - '0');
    }
    if (status.size() > 12 && status[12] != ' ')
        return eFail("bad status line");
    m_iStatus = code;
    m_strReason = status.size() > 13 ? status.substr(13) : std::string();
    if (code < 200)
        return eFail("interim response not expected");

    // Rebuild the text with "\r\n" endings for those who show it.
    std::string text = status + "\r\n";
    for (std::size_t i = 1; i < lines.size(); ++i)
    {
        const std::string& line = lines[i];
        text += line + "\r\n";
        if ((line[0] == ' ' || line[0] == '\t'))
        {
            if (m_headers.empty())
                return eFail("continuation line without a header");
            m_headers.back().second += " " + strTrim(line);
            continue;
        }
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos || colon == 0)
            return eFail("header line without a name");
        const std::string name = line.substr(0, colon);
        for (char c : name)
            if (c == ' ' || c == '\t')
                return eFail("header name with a blank");
        if (m_headers.size() >= kMaxHeaders)
            return eFail("too many headers");
        m_headers.emplace_back(name, strTrim(line.substr(colon + 1)));
    }
    m_strHeaderText = text;

    for (const auto& h : m_headers)
    {
        const std::string name = strLower(h.first);
        if (name == "transfer-encoding" && strLower(h.second) != "identity")
            return eFail("chunked transfers are not supported");
        if (name != "content-length")
            continue;
        if (h.second.empty() || h.second.size() > 19)
            return eFail("bad Content-Length");
        uint64_t n = 0;
        for (char c : h.second)
        {
            if (c < '0' || c > '9')
                return eFail("bad Content-Length");
            n = n * 10 + static_cast<uint64_t>(c - '0');
        }
        if (n > kMaxBodyBytes)
            return eFail("body too large");
        if (m_boHasLength && n != m_qwLength)
            return eFail("conflicting Content-Length headers");
        m_boHasLength = true;
        m_qwLength = n;
    }
    m_boHeadersDone = true;
    if (code == 204 || code == 304)
    {
        m_boHasLength = true;
        m_qwLength = 0;
    }
    m_eState = m_boHasLength && m_qwLength == 0 ? EState::Done : EState::Body;
    return m_eState;
}

CHttpResponseParser::EState CHttpResponseParser::eFeed(const uint8_t* pBytes, std::size_t n,
                                                       std::string* pBody)
{
    if (m_eState == EState::Failed || m_eState == EState::Done)
        return m_eState;
    const char* p = reinterpret_cast<const char*>(pBytes);
    if (m_eState == EState::Headers)
    {
        const std::size_t before = m_strPending.size();
        // Look only at what can still hold the end of the headers.
        const std::size_t take = n < kMaxHeaderBytes + 4 - before ? n : kMaxHeaderBytes + 4 - before;
        m_strPending.append(p, take);
        const std::size_t end = nHeaderEnd(m_strPending);
        if (end == std::string::npos)
        {
            if (m_strPending.size() > kMaxHeaderBytes)
                return eFail("headers too long");
            return m_eState;
        }
        if (end > kMaxHeaderBytes + 2)
            return eFail("headers too long");
        m_strHeaderText = m_strPending.substr(0, end);
        m_strPending.clear();
        if (eParseHeaders() != EState::Body)
            return m_eState;
        // The body bytes of this piece start after the blank line.
        const std::size_t used = end - before;
        p += used;
        n -= used;
    }
    if (n == 0)
        return m_eState;
    uint64_t room = m_boHasLength ? m_qwLength - m_qwBody : kMaxBodyBytes - m_qwBody;
    if (!m_boHasLength && n > room)
        return eFail("body too large");
    const std::size_t take = n < room ? n : static_cast<std::size_t>(room);
    pBody->append(p, take);
    m_qwBody += take;
    if (m_boHasLength && m_qwBody == m_qwLength)
        m_eState = EState::Done;
    return m_eState;
}

CHttpResponseParser::EState CHttpResponseParser::eFinish()
{
    if (m_eState == EState::Headers)
        return eFail("connection closed before the end of the headers");
    if (m_eState == EState::Body)
    {
        if (m_boHasLength && m_qwBody < m_qwLength)
            return eFail("transfer cut after " + std::to_string(m_qwBody) + " of " +
                         std::to_string(m_qwLength) + " bytes");
        m_eState = EState::Done;
    }
    return m_eState;
}
} // namespace FdBrowserHost
