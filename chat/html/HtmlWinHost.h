// What the document needs of the platform: reading files and RT_HTML
// resources, and the current directory. HtmlDocSource_win.cpp holds the
// Windows half; HtmlDocSource_std.cpp the host's.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "HtmlMemBlock.h"

// Reads the whole file into a new block; onAllocated runs between the
// allocation and the read. Returns 0, or 1 with the error text set, or 2
// when the block can't be allocated.
int32_t HtmlReadFileSource(const std::string& path, uint32_t maxSize, HtmlMemBlock* block, uint32_t* length,
                           std::string* errorText, const std::function<void()>& onAllocated);

// The text of an RT_HTML resource (up to its first zero byte), found by
// name, or by number when name is nullptr. false when it doesn't exist.
bool HtmlReadResourceSource(void* module, const char* name, uint32_t id, std::string* text);

// The process's current directory.
std::string HtmlCurrentDirectory();
