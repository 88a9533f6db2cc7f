// Push reader of one HTTP/1.x response: feed the bytes as they arrive,
// take the body as it comes. The body ends with its Content-Length or, when
// the response gives none, when the peer closes. Chunked transfers are
// refused. Once failed, it stays failed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace FdBrowserHost
{
class CHttpResponseParser
{
public:
    static constexpr std::size_t kMaxHeaderBytes = 65536; // status line and headers
    static constexpr std::size_t kMaxHeaders = 100;
    static constexpr uint64_t kMaxBodyBytes = 512ull * 1024 * 1024;

    enum class EState
    {
        Headers, // status line and headers not complete yet
        Body,    // headers read; body bytes flow
        Done,    // the whole response is read
        Failed
    };

    // Appends the body bytes found to *pBody. Bytes after a complete body
    // are ignored.
    EState eFeed(const uint8_t* pBytes, std::size_t n, std::string* pBody);
    // The peer closed: a body without length is complete; a shorter body
    // than announced, or missing headers, fail.
    EState eFinish();

    EState eState() const { return m_eState; }
    bool boHeadersDone() const
    {
        return m_eState == EState::Body || m_eState == EState::Done || m_boHeadersDone;
    }
    int iStatus() const { return m_iStatus; }
    const std::string& strReason() const { return m_strReason; }
    // First value of a header, names compared without case; "" when absent.
    std::string strHeader(const std::string& name) const;
    // The status line and header lines as received, each ended by "\r\n".
    const std::string& strHeaderText() const { return m_strHeaderText; }
    bool boHasLength() const { return m_boHasLength; }
    uint64_t qwLength() const { return m_qwLength; }
    uint64_t qwBodyBytes() const { return m_qwBody; }
    const std::string& strError() const { return m_strError; }

private:
    EState eFail(const std::string& text);
    EState eParseHeaders();

    EState m_eState = EState::Headers;
    bool m_boHeadersDone = false;
    std::string m_strPending; // header bytes not yet complete
    std::string m_strHeaderText;
    int m_iStatus = 0;
    std::string m_strReason;
    std::vector<std::pair<std::string, std::string>> m_headers;
    bool m_boHasLength = false;
    uint64_t m_qwLength = 0;
    uint64_t m_qwBody = 0;
    std::string m_strError;
};
} // namespace FdBrowserHost
