#pragma once
// The performance counters' name table ("Counters" under the perflib language
// key): a list of NUL-terminated texts, index then name, pair after pair.
#include <cstddef>
#include <cstdint>

namespace PerfCounterNames
{

constexpr const char* kszProcess = "process";
constexpr const char* kszIdProcess = "id process";

// The index of the first counter of that name (compared ignoring case); false when
// the table has none. Reads never pass lpText[0, ulLength).
bool boFindIndex(const char* lpText, size_t ulLength, const char* lpszName, uint32_t* lpdwIndex);

} // namespace PerfCounterNames
