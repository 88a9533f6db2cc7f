#include "RegistryValues.h"

#include "WinRegKey.h"

namespace Linkwell
{

namespace
{
constexpr DWORD kTextMax = 256;

std::optional<uint32_t> ReadDword(HKEY hKey, const char* lpszName)
{
    DWORD dwType = 0;
    DWORD dwValue = 0;
    DWORD cb = sizeof(dwValue);
    if (RegQueryValueExA(hKey, lpszName, nullptr, &dwType, reinterpret_cast<BYTE*>(&dwValue), &cb) !=
            ERROR_SUCCESS ||
        dwType != REG_DWORD || cb != sizeof(dwValue))
        return std::nullopt;
    return dwValue;
}

std::optional<std::string> ReadText(HKEY hKey, const char* lpszName)
{
    DWORD dwType = 0;
    char text[kTextMax] = {};
    DWORD cb = sizeof(text);
    if (RegQueryValueExA(hKey, lpszName, nullptr, &dwType, reinterpret_cast<BYTE*>(text), &cb) !=
            ERROR_SUCCESS ||
        (dwType != REG_SZ && dwType != REG_BINARY))
        return std::nullopt;
    std::string value(text, cb);
    while (!value.empty() && value.back() == '\0')
        value.pop_back();
    return value;
}
} // namespace

SRegistryValues ReadRegistryValues(HKEY hRoot, const char* lpszKey)
{
    SRegistryValues values;
    FdWin::CRegKey key;
    if (key.lOpen(hRoot, lpszKey, KEY_READ) != ERROR_SUCCESS)
        return values;
    const HKEY hKey = key.h();
    values.logToTextFile = ReadDword(hKey, "LogToTextFile");
    values.lpcPort = ReadDword(hKey, "LPCPort");
    values.processPriority = ReadDword(hKey, "ProcessPriority");
    values.proxyPort = ReadDword(hKey, "DEVTEST_OBProxyPort");
    values.linkwellId = ReadText(hKey, "LinkwellId");
    values.loginClsid = ReadText(hKey, "OBMLoginCLSID");
    return values;
}

} // namespace Linkwell
