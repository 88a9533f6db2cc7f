// A job for the page: the plug-in is asked to navigate a frame to a URL,
// with an error number for the error jobs.
#pragma once

#include <cstdint>
#include <string>

namespace HubRouting
{

constexpr int32_t kNoErrorNumber = -1;

// Error numbers of the error jobs.
constexpr int32_t kErrNoInitReply = 5000;     // no INIT reply in time
constexpr int32_t kErrConnectTimeout = 5001;  // the connection attempt timed out
constexpr int32_t kErrConnectFailed = 5002;   // the connection failed
constexpr int32_t kErrReconnectFailed = 5003; // the last reconnection failed

struct SPageJob
{
    std::string url;
    std::string frame;
    int32_t lErrorNumber = kNoErrorNumber;
};

} // namespace HubRouting
