#include "Registry.h"

#include <cstring>
#include <vector>

#include "FormatString.h"
#include "NumberText.h"
#include "TextUtil.h"
#include "WinRegKey.h"

namespace
{
struct CRootWord
{
    const char* longWord;
    const char* shortWord;
    HKEY key;
};

const CRootWord kRoots[] = {
    {"HKEY_CLASSES_ROOT", "HKCR", HKEY_CLASSES_ROOT},
    {"HKEY_CURRENT_USER", "HKCU", HKEY_CURRENT_USER},
    {"HKEY_LOCAL_MACHINE", "HKLM", HKEY_LOCAL_MACHINE},
    {"HKEY_CURRENT_CONFIG", "HKCC", HKEY_CURRENT_CONFIG},
    {"HKEY_DYN_DATA", "HKDD", HKEY_DYN_DATA},
    {"HKEY_PERFORMANCE_DATA", "HKPD", HKEY_PERFORMANCE_DATA},
};

// Room for two NULs behind the data: a string stored without its terminator (or a
// wide one) still ends inside the buffer.
constexpr DWORD kTerminatorRoom = 2;
} // namespace

HKEY ParseRegistryRoot(const std::string& path, std::string& subkey)
{
    const size_t slash = path.find('\\');
    if (slash == std::string::npos)
        return nullptr;
    const std::string word = path.substr(0, slash);
    for (const CRootWord& root : kRoots)
    {
        if (EqualsNoCase(word, root.longWord) || EqualsNoCase(word, root.shortWord))
        {
            subkey = path.substr(slash + 1);
            return root.key;
        }
    }
    return nullptr;
}

CStringExt RegReadValue(const std::string& path, const char* valueName, const char* defaultText)
{
    const CStringExt fallback(defaultText != nullptr ? defaultText : "");
    std::string subkey;
    const HKEY root = ParseRegistryRoot(path, subkey);
    if (root == nullptr)
        return fallback;
    FdWin::CRegKey key;
    if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_READ, key.phOut()) != ERROR_SUCCESS)
        return fallback;

    DWORD type = REG_NONE;
    DWORD size = 0;
    if (RegQueryValueExA(key.h(), valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return fallback;
    std::vector<BYTE> data(static_cast<size_t>(size) + kTerminatorRoom, 0);
    if (size > 0)
    {
        DWORD got = size;
        if (RegQueryValueExA(key.h(), valueName, nullptr, &type, data.data(), &got) != ERROR_SUCCESS)
            return fallback;
        size = got;
    }

    if (type == REG_SZ || type == REG_EXPAND_SZ)
    {
        const char* text = reinterpret_cast<const char*>(data.data());
        return CStringExt(text, strnlen(text, size));
    }
    if (type == REG_DWORD && size >= sizeof(DWORD))
    {
        DWORD value = 0;
        std::memcpy(&value, data.data(), sizeof value);
        CStringExt text;
        FormatString(text, "%li", static_cast<long>(static_cast<int32_t>(value)));
        return text;
    }
    return fallback;
}

int32_t RegWriteValue(const std::string& path, const char* valueName, const char* text, DWORD newType)
{
    std::string subkey;
    const HKEY root = ParseRegistryRoot(path, subkey);
    if (root == nullptr)
        return 0;
    FdWin::CRegKey key;
    char emptyClass[] = "";
    if (RegCreateKeyExA(root, subkey.c_str(), 0, emptyClass, 0, KEY_ALL_ACCESS, nullptr, key.phOut(),
                        nullptr) != ERROR_SUCCESS)
        return 0;

    DWORD type = newType;
    DWORD storedType = REG_NONE;
    if (RegQueryValueExA(key.h(), valueName, nullptr, &storedType, nullptr, nullptr) == ERROR_SUCCESS)
        type = storedType;

    const char* value = text != nullptr ? text : "";
    LONG result = ERROR_INVALID_PARAMETER;
    if (type == REG_SZ || type == REG_EXPAND_SZ)
        result = RegSetValueExA(key.h(), valueName, 0, type, reinterpret_cast<const BYTE*>(value),
                                static_cast<DWORD>(std::strlen(value) + 1));
    else if (type == REG_DWORD)
    {
        const DWORD number = static_cast<DWORD>(TextToInt32(value));
        result = RegSetValueExA(key.h(), valueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                                sizeof number);
    }
    return result == ERROR_SUCCESS ? 1 : 0;
}
