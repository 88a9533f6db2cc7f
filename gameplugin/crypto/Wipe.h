#pragma once
// Overwrites secrets with zeros in a way the optimiser keeps.
#include <cstddef>

namespace FdCrypto
{

void vSecureWipe(void* p, size_t len);

} // namespace FdCrypto
