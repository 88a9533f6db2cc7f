// What the detection conditions need from the machine: files and registry values.
// The Windows plugs implement it over the file system and the registry; tests use fakes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// The default text handed to registry reads: getting it back means the value is missing.
extern const char kRegNotFoundMarker[]; // "||**NOT$FOUND$VALUE**||"

class IDetectHost
{
public:
    using ByteSink = std::function<void(const uint8_t* data, size_t size)>;

    virtual ~IDetectHost() = default;
    virtual bool boFileExists(const std::string& path) = 0;
    // Hands the file's bytes to sink piece by piece; false (and no bytes) when the
    // file cannot be opened.
    virtual bool boReadFile(const std::string& path, const ByteSink& sink) = 0;
    // The value's text, or defaultText when the key or value is missing.
    virtual std::string RegReadValue(const std::string& key, const std::string& valueName,
                                     const std::string& defaultText) = 0;
};

// Digest texts of a file read through the host; a file that cannot be opened counts
// as empty.
std::string FileCrc32Text(IDetectHost& host, const std::string& path);
std::string FileSha1Text(IDetectHost& host, const std::string& path);
