#pragma once
// The text that follows a Win32 error code in the plug-in's traces and
// exception texts ("%ld-%s").
#include <cstdint>
#include <string>

std::string strErrorText(uint32_t dwCode);
