#pragma once
// The braced text form of a GUID, as the registry's CLSID keys name it.
#include <windows.h>

#include <string>

std::string strGuidText(REFGUID guid);
