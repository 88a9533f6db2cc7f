#include "ChatRegistry.h"

#include <cstdlib>

#include "ChatTables.h"
#include "WinRegKey.h"

namespace ChatModel
{

std::string strRegRead(HKEY root, const std::string& keyPath, const std::string& name,
                       const std::string& defaultValue)
{
    FdWin::CRegKey key;
    if (key.lOpen(root, keyPath.c_str(), KEY_READ) != ERROR_SUCCESS)
        return defaultValue;
    char buffer[kRegReadBuffer + 1] = {};
    DWORD type = 0;
    DWORD size = kRegReadBuffer;
    // ERROR_MORE_DATA (a value longer than the buffer) gives the default too.
    if (RegQueryValueExA(key.h(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
        ERROR_SUCCESS)
        return defaultValue;
    if (type == REG_SZ)
        return std::string(buffer, strnlen(buffer, size));
    if (type == REG_DWORD && size == sizeof(DWORD))
    {
        DWORD v = 0;
        memcpy(&v, buffer, sizeof v);
        return std::to_string(static_cast<long>(static_cast<int32_t>(v)));
    }
    return defaultValue;
}

std::string strRegReadPath(const std::string& fullPath, const std::string& name,
                           const std::string& defaultValue)
{
    std::string root, keyPath;
    if (!boSplitRegistryPath(fullPath, root, keyPath))
        return defaultValue;
    HKEY h = root == "HKEY_CLASSES_ROOT"       ? HKEY_CLASSES_ROOT
             : root == "HKEY_CURRENT_USER"     ? HKEY_CURRENT_USER
             : root == "HKEY_LOCAL_MACHINE"    ? HKEY_LOCAL_MACHINE
             : root == "HKEY_PERFORMANCE_DATA" ? HKEY_PERFORMANCE_DATA
             : root == "HKEY_CURRENT_CONFIG"   ? HKEY_CURRENT_CONFIG
                                               : HKEY_DYN_DATA;
    return strRegRead(h, keyPath, name, defaultValue);
}

bool boRegWrite(HKEY root, const std::string& keyPath, const std::string& name, const std::string& text)
{
    FdWin::CRegKey key;
    if (key.lCreate(root, keyPath.c_str(), KEY_ALL_ACCESS) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    const LONG found = RegQueryValueExA(key.h(), name.c_str(), nullptr, &type, nullptr, nullptr);
    if (found != ERROR_SUCCESS || type == REG_SZ)
        return key.lSetString(name.c_str(), text) == ERROR_SUCCESS;
    if (type == REG_DWORD)
        return key.lSetDword(name.c_str(), static_cast<DWORD>(std::atol(text.c_str()))) == ERROR_SUCCESS;
    return false;
}

} // namespace ChatModel
