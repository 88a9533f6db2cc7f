// Two file helpers of the launcher.
#pragma once

#include <cstdint>
#include <string>

// True when the file can be opened for reading.
bool boFileExists(const std::string& path);

// Creates path only when it does not exist yet and writes the text's bytes (no NUL).
// 1 when every byte was written; 0 for an existing file (left untouched), a path of
// kMaxPathLength characters or more, or a failure.
int32_t WriteNewTextFile(const std::string& path, const std::string& text);

constexpr size_t kMaxPathLength = 260;
