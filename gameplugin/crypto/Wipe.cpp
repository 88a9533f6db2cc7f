#include "Wipe.h"

namespace FdCrypto
{

void vSecureWipe(void* p, size_t len)
{
    volatile unsigned char* bytes = static_cast<volatile unsigned char*>(p);
    while (len--)
        *bytes++ = 0;
}

} // namespace FdCrypto
