// The sources a document reads its text from, and the load result codes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

enum : int32_t
{
    kXmlLoadOk = 0,
    kXmlLoadReadFailed = 1, // cannot open, read or copy; unknown protocol
    kXmlLoadNoMemory = 2,
    kXmlLoadNoResource = 3,
};

// Sources longer than this are refused (offsets in error records are 32-bit).
constexpr uint64_t kMaxXmlSourceSize = 0x7FFFFFFF;

// Reads a whole file into text; onInMemory runs once the buffer is allocated, before
// the bytes are read. Each build links one implementation (Win32 or C library).
int32_t lXmlReadFileSource(const std::string& path, std::string& text,
                           const std::function<void()>& onInMemory);
// Copies a resource of type 23 of the program module: "#<number>" or a name.
int32_t lXmlReadResourceSource(const std::string& location, std::string& text);
