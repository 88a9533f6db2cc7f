#include "LinkLimits.h"

#include "ServerHeader.h"
#include "ServerShortForms.h"

namespace HubRouting
{

namespace
{

uint32_t ulLess(uint32_t a, uint32_t b)
{
    return a > b ? a - b : 0;
}

} // namespace

HubProto::LpcSizeLimits LimitsFromMaxDatagram(uint32_t ulMaxDatagram)
{
    HubProto::LpcSizeLimits limits;
    limits.dwUdpMessage = ulLess(ulMaxDatagram, HubProto::kServerHeaderLen);
    limits.dwShort = ulLess(ulMaxDatagram, HubProto::kShortHeaderLen);
    limits.dwShortUdp = ulLess(ulMaxDatagram, HubProto::kShortUdpHeaderLen);
    return limits;
}

} // namespace HubRouting
