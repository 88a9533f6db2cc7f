// CFileOps: whole-file operations of the fileop item and of the launch script's
// local sources. Paths are ANSI strings handed to the Win32 file functions.
// Every operation reports failure by its result only: a missing source, a path
// of kMaxPath characters or more, or a failed call gives false and changes
// nothing. A file rewritten whole goes through a temporary file in its folder
// that then replaces it, so a failed write never leaves it truncated.
#pragma once

#include <cstddef>
#include <string>

// The calls that touch the disk. The engine holds the C library's
// (FileOps_std.cpp); the Windows half registers the Win32 ones when a program
// links it.
class IFileCalls
{
public:
    static constexpr size_t kMaxPath = 260;
    static constexpr size_t kChunk = 4096;

    virtual ~IFileCalls() = default;
    // The file can be opened for reading.
    virtual bool Exists(const std::string& path) const = 0;
    // Fails when the destination exists and overwrite is false.
    virtual bool Copy(const std::string& source, const std::string& destination, bool overwrite) const = 0;
    virtual bool Rename(const std::string& source, const std::string& destination) const = 0;
    virtual bool Delete(const std::string& path) const = 0;
    // text receives the whole file (cleared first).
    virtual bool ReadAll(const std::string& path, std::string& text) const = 0;
    // Without overwrite an existing file is left alone and the call fails.
    virtual bool WriteAll(const std::string& path, const char* data, size_t length, bool overwrite) const = 0;
};

// The calls in use; a null pointer goes back to the C library's.
const IFileCalls& FileCalls();
void SetFileCalls(const IFileCalls* calls);

class CFileOps
{
public:
    static constexpr size_t kMaxPath = IFileCalls::kMaxPath;
    static constexpr size_t kChunk = IFileCalls::kChunk;

    // The calls of FileCalls().
    bool Exists(const std::string& path) const;
    bool Copy(const std::string& source, const std::string& destination, bool overwrite) const;
    bool Rename(const std::string& source, const std::string& destination) const;
    bool Delete(const std::string& path) const;
    bool ReadAll(const std::string& path, std::string& text) const;
    bool WriteAll(const std::string& path, const char* data, size_t length, bool overwrite) const;

    // Every occurrence of find, left to right, going on after each replacement;
    // without case sensitivity the search ignores case. An empty find changes nothing.
    static void ReplaceAll(std::string& text, const std::string& find, const std::string& replacement,
                           bool caseSensitive);
    // Replaces the value after the first occurrence of name ("port = 2300;" gets a new
    // number, the rest stays); false when name or a value after it is missing.
    static bool SetParamValue(std::string& text, const std::string& name, const std::string& value,
                              bool caseSensitive);

    // ReadAll, SetParamValue, WriteAll; true when all three succeed.
    bool FileValueChange(const std::string& path, const std::string& name, const std::string& value,
                         bool caseSensitive) const;
    // ReadAll, ReplaceAll, WriteAll; true when the file was read and written.
    bool FileTextSubst(const std::string& path, const std::string& find, const std::string& replacement,
                       bool caseSensitive) const;
};
