// A host record: host name or dotted address, its IPv4 address and a port.
// Keys every map of the library; the name is not part of the identity.
#pragma once

#include <cstdint>

namespace OBSdkClient
{

class CHostRecord
{
public:
    static constexpr uint32_t kHostMax = 128; // characters kept of the name

    CHostRecord() = default;
    // Cuts the name to kHostMax characters; the address is resolved later.
    CHostRecord(const char* lpszHost, uint16_t wPort, uint32_t dwAddr = 0);

    void vSetHost(const char* lpszHost);

    char szHost[kHostMax + 1] = {};
    uint32_t dwAddr = 0; // network order, filled just before each use
    uint16_t wPort = 0;  // host order
};

// Equal when address and port are; ordered by address, then port.
bool operator==(const CHostRecord& a, const CHostRecord& b);
bool operator<(const CHostRecord& a, const CHostRecord& b);

} // namespace OBSdkClient
