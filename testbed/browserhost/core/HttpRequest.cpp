#include "HttpRequest.h"

#include "HexDigits.h"

namespace FdBrowserHost
{
namespace
{
std::string strHeaderValue(const std::string& s)
{
    std::string out;
    for (char c : s)
        if (c != '\r' && c != '\n')
            out += c;
    return out;
}

std::string strEncodeTarget(const std::string& s)
{
    std::string out;
    for (char c : s)
    {
        const unsigned char b = static_cast<unsigned char>(c);
        if (b <= 0x20 || b >= 0x7F)
        {
            out += '%';
            FdText::AppendHexByte(out, b, FdText::HexCase::kUpper);
        }
        else
            out += c;
    }
    return out;
}
} // namespace

std::string strBuildHttpRequest(const SHttpRequest& request)
{
    const bool boPost = request.strMethod == "POST";
    std::string s = (boPost ? "POST " : "GET ") + strEncodeTarget(request.url.strTarget) + " HTTP/1.0\r\n";
    s += "Host: " + request.url.strHost;
    if (request.url.wPort != 80)
        s += ":" + std::to_string(request.url.wPort);
    s += "\r\n";
    if (!request.strUserAgent.empty())
        s += "User-Agent: " + strHeaderValue(request.strUserAgent) + "\r\n";
    s += "Accept: */*\r\nConnection: close\r\n";
    if (boPost)
    {
        s += "Content-Type: " +
             strHeaderValue(request.strContentType.empty() ? "application/x-www-form-urlencoded"
                                                           : request.strContentType) +
             "\r\n";
        s += "Content-Length: " + std::to_string(request.strBody.size()) + "\r\n";
    }
    s += "\r\n";
    if (boPost)
        s += request.strBody;
    return s;
}
} // namespace FdBrowserHost
