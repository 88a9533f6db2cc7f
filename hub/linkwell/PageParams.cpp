#include "PageParams.h"

#include <cctype>
#include <cstdlib>
#include <limits>

#include "TextCase.h"

namespace Linkwell
{

namespace
{
struct SKeyName
{
    const char* lpszName;
    EPageKey eKey;
};

const SKeyName kKeys[] = {
    {"LOGT", EPageKey::LOGT}, {"URLL", EPageKey::URLL}, {"FRMM", EPageKey::FRMM}, {"URIP", EPageKey::URIP},
    {"URPT", EPageKey::URPT}, {"PSDO", EPageKey::PSDO}, {"CXIP", EPageKey::CXIP}, {"CXPT", EPageKey::CXPT},
    {"CXTM", EPageKey::CXTM}, {"LPCD", EPageKey::LPCD}, {"ERRU", EPageKey::ERRU}, {"ERRF", EPageKey::ERRF},
    {"MSGC", EPageKey::MSGC}, {"MSGD", EPageKey::MSGD}, {"LKID", EPageKey::LKID}, {"DKAU", EPageKey::DKAU},
    {"DKAT", EPageKey::DKAT}, {"PXPT", EPageKey::PXPT},
};

std::string Cut(const std::string& value, size_t max)
{
    return value.size() > max ? value.substr(0, max) : value;
}
} // namespace

EPageKey eFindPageKey(const std::string& name)
{
    for (const SKeyName& key : kKeys)
        if (FdText::EqualsAsciiNoCase(name, key.lpszName))
            return key.eKey;
    return EPageKey::Unknown;
}

uint32_t dwReadDecimal(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool boNegative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        boNegative = text[i++] == '-';
    int64_t value = 0;
    const int64_t limit = int64_t(std::numeric_limits<uint32_t>::max());
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
    {
        value = value * 10 + (text[i] - '0');
        if (value > limit)
            value = limit; // clamped, and stays so for the digits that follow
    }
    if (boNegative)
    {
        const int64_t lowest = -int64_t(std::numeric_limits<int32_t>::min());
        return static_cast<uint32_t>(-(value > lowest ? lowest : value));
    }
    return static_cast<uint32_t>(value);
}

uint32_t dwIdFromString(const std::string& text)
{
    uint32_t id = 0;
    for (size_t i = 0; i < kIdLength && i < text.size(); ++i)
        id |= static_cast<uint32_t>(static_cast<uint8_t>(text[i])) << (8 * i);
    return id;
}

EPageKey eSetPageParam(SPageParams& p, const std::string& name, const std::string& value)
{
    const EPageKey key = eFindPageKey(name);
    switch (key)
    {
    case EPageKey::Unknown:
        break;
    case EPageKey::LOGT:
        p.dwTraceLevel = dwReadDecimal(value);
        break;
    case EPageKey::URLL:
        p.url = Cut(value, kUrlMax);
        break;
    case EPageKey::FRMM:
        p.frame = Cut(value, kFrameMax);
        break;
    case EPageKey::URIP:
        p.waitAddress = Cut(value, kUrlMax);
        p.boWaitMark = true;
        break;
    case EPageKey::URPT:
        p.dwWaitPort = dwReadDecimal(value);
        break;
    case EPageKey::PSDO:
        p.pseudo = Cut(value, kTextMax);
        break;
    case EPageKey::CXIP:
        p.cnxAddress = Cut(value, kTextMax);
        break;
    case EPageKey::CXPT:
        p.dwCnxPort = dwReadDecimal(value);
        break;
    case EPageKey::CXTM:
        p.dwCnxTimeoutMs = dwReadDecimal(value);
        break;
    case EPageKey::LPCD:
        p.lpcdId = Cut(value, kIdLength);
        break;
    case EPageKey::ERRU:
        p.errorUrl = Cut(value, kUrlMax);
        p.boErrorJobsWanted = true;
        break;
    case EPageKey::ERRF:
        p.errorFrame = Cut(value, kFrameMax);
        break;
    case EPageKey::MSGC:
        p.message = Cut(value, kMessageMax);
        break;
    case EPageKey::MSGD:
        p.messageDstId = Cut(value, kIdLength);
        break;
    case EPageKey::LKID:
        p.hubId = Cut(value, kIdLength);
        break;
    case EPageKey::DKAU:
        p.dwKeepAliveUdpMs = dwReadDecimal(value);
        break;
    case EPageKey::DKAT:
        p.dwKeepAliveTcpMs = dwReadDecimal(value);
        break;
    case EPageKey::PXPT:
        p.dwProxyPort = dwReadDecimal(value);
        break;
    }
    return key;
}

} // namespace Linkwell
