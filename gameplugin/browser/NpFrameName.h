#pragma once
// The frame a browser plug-in host is asked to open an address in.
#include <string>

namespace NpFrameName
{
// "_blankgame" (any case) gives "game"; "parent.main" gives "main" (the text
// after the last "."); every other name, "_blank" itself included, is kept.
std::string strReduce(const char* lpszFrame);
} // namespace NpFrameName
