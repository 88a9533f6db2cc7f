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

// Where documents read their FILE and RES sources from. The library holds the
// C library's reader (files through fopen, no resources); the Windows half
// registers the Win32 one when a program links it.
class IXmlSourceReader
{
public:
    virtual ~IXmlSourceReader() = default;
    // Reads a whole file into text; onInMemory runs once the buffer is allocated,
    // before the bytes are read.
    virtual int32_t lReadFile(const std::string& path, std::string& text,
                              const std::function<void()>& onInMemory) const = 0;
    // Copies a resource of type 23 of the program module: "#<number>" or a name.
    virtual int32_t lReadResource(const std::string& location, std::string& text) const = 0;
};

// The reader in use; a null reader goes back to the C library's.
const IXmlSourceReader& XmlSourceReader();
void vSetXmlSourceReader(const IXmlSourceReader* reader);
