#pragma once
// Outcome of an opening or key decoding: CSecurity's code (0 when it succeeded)
// and the text that goes with it.
#include <cstdint>
#include <string>

namespace FdCrypto
{

struct CSecurityStatus
{
    uint32_t dwCode = 0;
    std::string text;

    bool boOk() const { return dwCode == 0; }
};

} // namespace FdCrypto
