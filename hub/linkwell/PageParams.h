// The page's parameters of the hub's COM object: what each key of
// SetParameter means, its bound, and how its text is read.
#pragma once

#include <cstdint>
#include <string>

namespace Linkwell
{

constexpr size_t kUrlMax = 4096;      // URLL, URIP, ERRU
constexpr size_t kFrameMax = 128;     // FRMM, ERRF
constexpr size_t kTextMax = 128;      // PSDO, CXIP
constexpr size_t kMessageMax = 32768; // MSGC
constexpr size_t kIdLength = 4;       // LPCD, MSGD, LKID

enum class EPageKey
{
    Unknown,
    LOGT, // trace level
    URLL, // URL of the job that "SURL" posts
    FRMM, // its frame
    URIP, // server whose registration that job waits for; sets the wait mark
    URPT, // its port
    PSDO, // pseudo sent in "INIT"
    CXIP, // server of "CONX" / "FONX"
    CXPT, // its port
    CXTM, // connection timeout ms
    LPCD, // id told of a gone client program
    ERRU, // error page URL; error jobs are wanted once it is set
    ERRF, // error page frame
    MSGC, // text sent to the server after registration
    MSGD, // its DstId
    LKID, // hub id
    DKAU, // UDP keep-alive interval ms
    DKAT, // TCP keep-alive interval ms
    PXPT, // local proxy port
};

struct SPageParams
{
    uint32_t dwTraceLevel = 0;
    std::string url;
    std::string frame;
    std::string waitAddress;
    uint32_t dwWaitPort = 0;
    bool boWaitMark = false; // URIP was set since the last "SURL"
    std::string pseudo;
    std::string cnxAddress;
    uint32_t dwCnxPort = 0;
    uint32_t dwCnxTimeoutMs = 0;
    std::string lpcdId;
    std::string errorUrl;
    bool boErrorJobsWanted = false;
    std::string errorFrame;
    std::string message;
    std::string messageDstId;
    std::string hubId;
    uint32_t dwKeepAliveUdpMs = 0;
    uint32_t dwKeepAliveTcpMs = 0;
    uint32_t dwProxyPort = 0;
};

// The key named (without regard to case), or Unknown.
EPageKey eFindPageKey(const std::string& name);
// Stores the value under its key, cut to the key's bound; unknown keys change
// nothing. Returns the key.
EPageKey eSetPageParam(SPageParams& params, const std::string& name, const std::string& value);
// A decimal number as the page writes it: blanks, a sign, digits; what
// follows the digits is ignored, no digits read 0, out of range is clamped
// to 32 bits. Negative values wrap to their 32-bit form.
uint32_t dwReadDecimal(const std::string& text);
// A four-character id from its first 4 characters, in wire order; a
// shorter text is padded with zero bytes.
uint32_t dwIdFromString(const std::string& text);

} // namespace Linkwell
