// Script locations: "PROTOCOL://rest" texts and local paths.
#pragma once

#include <string>

#include "StringExt.h"

// Longest protocol word that counts in front of "://".
constexpr size_t kMaxProtocolWordLength = 7;

// True when the text holds no "://", is not empty and does not begin with '/' or '\'.
bool IsRelativeLocation(const std::string& text);

// Splits "word://rest" (word of 1 to 7 characters): returns the word upper-cased and
// leaves rest in location. A location starting with "://" loses those three characters;
// without a protocol word the location stays. Both give the default (or "").
CStringExt SplitProtocol(CStringExt& location, const char* defaultProtocol);

// Trims, turns '/' into '\' and puts the working directory in front of a relative path.
CStringExt MakeAbsoluteLocalPath(const std::string& path);
// The same with the working directory given.
CStringExt MakeAbsoluteLocalPathIn(const std::string& path, const std::string& currentDir);
// The process's working directory (empty when it cannot be read).
CStringExt GetWorkingDirectory();

// "str" and "res" locations as they are; "file" ones (and locations without protocol)
// as "file://" + absolute local path; others with '/' separators.
CStringExt NormalizeLocation(const std::string& location);
// Joins a relative location to the directory of base; a file location comes back as
// "file://" with '\' separators.
CStringExt JoinLocation(const std::string& relative, const std::string& base, const char* defaultProtocol);
