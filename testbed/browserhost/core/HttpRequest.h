// The bytes of one HTTP/1.0 request of the browser host (GET, or POST with
// a body), one request per connection.
#pragma once

#include "Url.h"

#include <string>

namespace FdBrowserHost
{
struct SHttpRequest
{
    std::string strMethod = "GET"; // "GET" or "POST"
    SHttpUrl url;
    std::string strUserAgent;
    std::string strContentType; // POST only
    std::string strBody;        // POST only
};

// Control bytes, blanks and bytes from 0x7F up in the target are sent as
// %HH, so no address can add a header line; CR and LF are dropped from the
// other header values.
std::string strBuildHttpRequest(const SHttpRequest& request);
} // namespace FdBrowserHost
