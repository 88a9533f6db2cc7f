// The hub core's trace: the hub's logger (given by the program; none means
// no trace) and the dump flags of LogToTextFile.
#pragma once

#include <winsock2.h>

#include <cstddef>
#include <cstdint>

#include "Logger.h"

namespace HubTrace
{

// The logger must outlive every thread of the hub core; null switches off.
void vSetLogger(CLogger* lpLogger, uint32_t dwLogFlags);
CLogger* lpLogger();
bool boFlag(uint32_t dwFlag);

// One line, printf style.
void vLog(const char* lpszFormat, ...);
// The message as dump lines, after a title line, when the flag is set.
void vDump(uint32_t dwFlag, const char* lpszTitle, const void* lpData, uint32_t ulSize);
// Names the calling thread in the logger's thread table, padded with spaces
// to kThreadNameWidth characters so that the trace's columns line up.
constexpr size_t kThreadNameWidth = 16;
void vNameThread(const char* lpszName);

} // namespace HubTrace
