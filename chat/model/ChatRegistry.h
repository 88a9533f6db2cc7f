// The chat's registry values: reads and writes of a value under a root key,
// by a full path, and the chat's own values under the current user's
// "Software\Bramwick\Verbolt".
#pragma once

#include <windows.h>

#include <string>

#include "ChatModel.h"

namespace ChatModel
{

// Values read into this many bytes; a longer one gives the default.
constexpr DWORD kRegReadBuffer = 1000;

// A string value as it stands, a DWORD as its decimal text; the default for a
// missing key or value, another type or a value longer than the buffer.
std::string strRegRead(HKEY root, const std::string& keyPath, const std::string& name,
                       const std::string& defaultValue);
// "ROOT\key\path" with one of the six roots the chat reads; the default otherwise.
std::string strRegReadPath(const std::string& fullPath, const std::string& name,
                           const std::string& defaultValue);
// A new or string value takes the text, a DWORD its decimal value; any other
// existing type is left alone (false).
bool boRegWrite(HKEY root, const std::string& keyPath, const std::string& name, const std::string& text);

class CVerboltSettings : public ISettingsStore
{
public:
    static constexpr const char* kKeyPath = "Software\\Bramwick\\Verbolt";
    std::string strRead(const std::string& name, const std::string& defaultValue) override
    {
        return strRegRead(HKEY_CURRENT_USER, kKeyPath, name, defaultValue);
    }
    bool boWrite(const std::string& name, const std::string& text) override
    {
        return boRegWrite(HKEY_CURRENT_USER, kKeyPath, name, text);
    }
    std::string strReadPath(const std::string& fullPath, const std::string& name,
                            const std::string& defaultValue) override
    {
        return strRegReadPath(fullPath, name, defaultValue);
    }
};

} // namespace ChatModel
