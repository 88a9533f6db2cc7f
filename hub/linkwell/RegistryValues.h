// Reads the hub's settings values from the registry.
#pragma once

#include <windows.h>

#include "LinkwellSettings.h"

namespace Linkwell
{

// DWORD values of type REG_DWORD; texts of type REG_SZ or REG_BINARY (their
// terminating zeros dropped). A missing key gives no value at all.
SRegistryValues ReadRegistryValues(HKEY hRoot, const char* lpszKey);

} // namespace Linkwell
