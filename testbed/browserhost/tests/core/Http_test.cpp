#include "HttpRequest.h"
#include "HttpResponseParser.h"

#include <gtest/gtest.h>

using namespace FdBrowserHost;

namespace
{
using EState = CHttpResponseParser::EState;

struct SResult
{
    EState state;
    std::string body;
};

// Feeds the response in pieces of `piece` bytes, then tells of the close.
SResult feed(CHttpResponseParser& p, const std::string& response, std::size_t piece, bool close = true)
{
    SResult r{EState::Headers, {}};
    for (std::size_t i = 0; i < response.size(); i += piece)
    {
        const std::string part = response.substr(i, piece);
        r.state = p.eFeed(reinterpret_cast<const uint8_t*>(part.data()), part.size(), &r.body);
    }
    if (close)
        r.state = p.eFinish();
    return r;
}
} // namespace

TEST(HttpRequest, GetAndPost)
{
    SHttpRequest get;
    get.url.strHost = "127.0.0.1";
    get.url.wPort = 8080;
    get.url.strTarget = "/a b/\xE9?x=\r\nInjected: 1";
    get.strUserAgent = "UA\r\nX: y";
    EXPECT_EQ("GET /a%20b/%E9?x=%0D%0AInjected:%201 HTTP/1.0\r\n"
              "Host: 127.0.0.1:8080\r\n"
              "User-Agent: UAX: y\r\n"
              "Accept: */*\r\nConnection: close\r\n\r\n",
              strBuildHttpRequest(get));

    SHttpRequest post;
    post.strMethod = "POST";
    post.url.strHost = "localhost";
    post.url.strTarget = "/echo";
    post.strBody = std::string("a=1\0b", 5);
    EXPECT_EQ("POST /echo HTTP/1.0\r\nHost: localhost\r\nAccept: */*\r\nConnection: close\r\n"
              "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: 5\r\n\r\n" +
                  std::string("a=1\0b", 5),
              strBuildHttpRequest(post));
}

TEST(HttpResponse, SameResultWhateverThePieces)
{
    const std::string response =
        "HTTP/1.0 200 OK\r\nContent-Type: text/html; charset=x\r\nContent-Length: 10\r\n"
        "X-Folded: a\r\n  b\r\n\r\n0123456789TRAILING";
    for (std::size_t piece : {1u, 2u, 7u, 1000u})
    {
        CHttpResponseParser p;
        const SResult r = feed(p, response, piece, false);
        EXPECT_EQ(EState::Done, r.state) << piece;
        EXPECT_EQ("0123456789", r.body) << "bytes after the length are ignored; piece " << piece;
        EXPECT_EQ(200, p.iStatus());
        EXPECT_EQ("OK", p.strReason());
        EXPECT_EQ("text/html; charset=x", p.strHeader("content-type"));
        EXPECT_EQ("a b", p.strHeader("X-FOLDED"));
        EXPECT_TRUE(p.boHasLength());
        EXPECT_EQ(10u, p.qwLength());
        EXPECT_EQ(0u, p.strHeaderText().find("HTTP/1.0 200 OK\r\n"));
    }
}

TEST(HttpResponse, Endings)
{
    struct
    {
        const char* name;
        std::string response;
        EState want;
        const char* body;
        const char* error;
    } const cases[] = {
        {"no length ends at close", "HTTP/1.1 200 OK\nServer: x\n\nabc", EState::Done, "abc", ""},
        {"cut transfer", "HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nabc", EState::Failed, "abc",
         "transfer cut after 3 of 100 bytes"},
        {"zero length", "HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n", EState::Done, "", ""},
        {"204 has no body", "HTTP/1.0 204 No Content\r\n\r\nxyz", EState::Done, "", ""},
        {"404 keeps its body", "HTTP/1.0 404 Not Found\r\nContent-Length: 2\r\n\r\nno", EState::Done, "no",
         ""},
        {"closed in the headers", "HTTP/1.0 200 OK\r\nContent-Le", EState::Failed, "",
         "connection closed before the end of the headers"},
        {"chunked", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n0\r\n\r\n",
         EState::Failed, "", "chunked transfers are not supported"},
        {"interim", "HTTP/1.1 100 Continue\r\n\r\n", EState::Failed, "", "interim response not expected"},
        {"bad length", "HTTP/1.0 200 OK\r\nContent-Length: 1x\r\n\r\n", EState::Failed, "",
         "bad Content-Length"},
        {"two lengths", "HTTP/1.0 200 OK\r\nContent-Length: 1\r\nContent-Length: 2\r\n\r\n", EState::Failed,
         "", "conflicting Content-Length headers"},
        {"same length twice", "HTTP/1.0 200 OK\r\nContent-Length: 1\r\nContent-Length: 1\r\n\r\nz",
         EState::Done, "z", ""},
        {"huge length", "HTTP/1.0 200 OK\r\nContent-Length: 99999999999999999999\r\n\r\n", EState::Failed, "",
         "bad Content-Length"},
        {"too large", "HTTP/1.0 200 OK\r\nContent-Length: 536870913\r\n\r\n", EState::Failed, "",
         "body too large"},
        {"not http", "HTTX/1.0 200 OK\r\n\r\n", EState::Failed, "", "bad status line"},
        {"short status", "HTTP/1.0 20\r\n\r\n", EState::Failed, "", "bad status line"},
        {"letters in status", "HTTP/1.0 2x0 OK\r\n\r\n", EState::Failed, "", "bad status code"},
        {"header without colon", "HTTP/1.0 200 OK\r\nNoColon\r\n\r\n", EState::Failed, "",
         "header line without a name"},
        {"blank in name", "HTTP/1.0 200 OK\r\nBad Name: x\r\n\r\n", EState::Failed, "",
         "header name with a blank"},
        {"first line folded", "HTTP/1.0 200 OK\r\n folded\r\n\r\n", EState::Failed, "",
         "continuation line without a header"},
    };
    for (const auto& c : cases)
    {
        CHttpResponseParser p;
        const SResult r = feed(p, c.response, 5);
        EXPECT_EQ(c.want, r.state) << c.name;
        EXPECT_EQ(c.body, r.body) << c.name;
        EXPECT_EQ(c.error, p.strError()) << c.name;
        // Failed stays failed.
        std::string more;
        EXPECT_EQ(r.state, p.eFeed(reinterpret_cast<const uint8_t*>("xx"), 2, &more)) << c.name;
        EXPECT_TRUE(more.empty()) << c.name;
    }
}

TEST(HttpResponse, HeaderBounds)
{
    const std::string head = "HTTP/1.0 200 OK\r\n";
    auto withHeaders = [&](std::size_t n)
    {
        std::string s = head;
        for (std::size_t i = 0; i < n; ++i)
            s += "H" + std::to_string(i) + ": v\r\n";
        return s + "\r\n";
    };
    {
        CHttpResponseParser p;
        EXPECT_EQ(EState::Done, feed(p, withHeaders(CHttpResponseParser::kMaxHeaders), 64).state);
    }
    {
        CHttpResponseParser p;
        EXPECT_EQ(EState::Failed, feed(p, withHeaders(CHttpResponseParser::kMaxHeaders + 1), 64).state);
        EXPECT_EQ("too many headers", p.strError());
    }
    const std::size_t fill = CHttpResponseParser::kMaxHeaderBytes - head.size() - 4 - 4;
    const std::string justFits = head + "X: " + std::string(fill - 3, 'a') + "\r\n\r\n";
    ASSERT_EQ(CHttpResponseParser::kMaxHeaderBytes - 4, justFits.size());
    {
        CHttpResponseParser p;
        EXPECT_EQ(EState::Done, feed(p, justFits, 4096).state);
    }
    {
        CHttpResponseParser p;
        const std::string tooLong =
            head + "X: " + std::string(CHttpResponseParser::kMaxHeaderBytes, 'a') + "\r\n\r\n";
        EXPECT_EQ(EState::Failed, feed(p, tooLong, 4096, false).state);
        EXPECT_EQ("headers too long", p.strError());
    }
}
