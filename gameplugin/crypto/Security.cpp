#include "Security.h"

#include "CryptoCodes.h"
#include "Envelope.h"
#include "ExcptSecurity.h"
#include "FdLibErrorText.h"
#include "Wipe.h"
#include "WinHandle.h"
#include "WinRegKey.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace FdCrypto;

namespace
{

const char kKeyPath[] = "Software\\FdGame";
constexpr DWORD kMaxValueRead = 1024; // bytes read of a key value
constexpr size_t kTextRoom = 1024;
constexpr size_t kErrorTextRoom = 512;
constexpr size_t kValueNameRoom = 32;
constexpr REGSAM kSetKeyAccess =
    KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY;

// The text that follows a Windows error code in the exception texts.
std::string WinErrorText(DWORD code)
{
    char text[kErrorTextRoom];
    vGetErrorText(code, text, sizeof text, nullptr);
    return text;
}

[[noreturn]] void vRaise(uint32_t code, const char* function, int line, const std::string& text,
                         DWORD win32 = 0)
{
    throw CExcptSecurity(code, function, __FILE__, static_cast<uint32_t>(line), text.c_str(), win32);
}

std::string Format(const char* format, ...)
{
    char text[kTextRoom];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

std::string ValueName(long which)
{
    char name[kValueNameRoom];
    std::snprintf(name, sizeof name, "Key%ld", which);
    return name;
}

void vCheckWhich(long which, const char* function, int line)
{
    if (which < 0 || which >= CSecurity::kKeyCount)
        vRaise(kSecBadWhich, function, line, Format("iWhatToDecrypt=%ld", which));
}

const char kDecryptFunction[] = "CSecurity::lpszDecrypt";

[[noreturn]] void vRaiseShortRead(const char* name, DWORD read, DWORD wanted, DWORD err, int line)
{
    vRaise(kSecShortRead, kDecryptFunction, line,
           Format("Fichier:%s, dwNbRead=%ld, dwCryptedDataSize=%ld, Erreur win32:%ld-%s", name,
                  static_cast<long>(read), static_cast<long>(wanted), static_cast<long>(err),
                  WinErrorText(err).c_str()),
           err);
}

// The whole file, read into `data`.
void vReadWholeFile(const char* name, std::vector<uint8_t>& data)
{
    FdWin::CHandle file(CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.boValid())
    {
        const DWORD err = GetLastError();
        vRaise(kSecCantOpenFile, kDecryptFunction, __LINE__,
               Format("Fichier:%s, Erreur win32:%ld-%s", name, static_cast<long>(err),
                      WinErrorText(err).c_str()),
               err);
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size))
        vRaiseShortRead(name, 0, 0, GetLastError(), __LINE__);
    if (size.QuadPart == 0)
        vRaise(kSecEmptyFile, kDecryptFunction, __LINE__, Format("Fichier:%s, fichier vide", name));
    // Sizes travel as 32-bit counts: a larger file cannot be read whole.
    if (size.QuadPart >= MAXDWORD)
        vRaiseShortRead(name, 0, size.LowPart, 0, __LINE__);
    const DWORD wanted = size.LowPart;
    data.resize(wanted);
    DWORD read = 0;
    if (!ReadFile(file.get(), data.data(), wanted, &read, nullptr))
        vRaiseShortRead(name, read, wanted, GetLastError(), __LINE__);
    if (read != wanted)
        vRaiseShortRead(name, read, wanted, 0, __LINE__);
}

} // namespace

void CSecurity::vSetKey(long which, const char* text)
{
    static const char kFunction[] = "CSecurity::vSetKey";
    vCheckWhich(which, kFunction, __LINE__);
    const CSecurityStatus status =
        DecodeKeyText(text ? text : "", text ? std::strlen(text) : 0, m_keys[which]);
    if (!status.boOk())
        vRaise(status.dwCode, kFunction, __LINE__, status.text);

    FdWin::CRegKey key;
    LONG err = key.lOpen(HKEY_LOCAL_MACHINE, kKeyPath, kSetKeyAccess);
    if (err != ERROR_SUCCESS)
        vRaise(kSecCantOpenKey, kFunction, __LINE__,
               Format("clé=Software\\FdGame, erreur:%ld-%s", err, WinErrorText(err).c_str()), err);
    const std::string name = ValueName(which);
    err = RegSetValueExA(key.h(), name.c_str(), 0, REG_BINARY, m_keys[which].bytes.data(), kKeyRecordSize);
    if (err != ERROR_SUCCESS)
        vRaise(
            kSecCantWriteValue, kFunction, __LINE__,
            Format("clé=Software\\FdGame\\%s, erreur:%ld-%s", name.c_str(), err, WinErrorText(err).c_str()),
            err);
}

void CSecurity::vGetKeyFromRegistry(long which)
{
    static const char kFunction[] = "CSecurity::vGetKeyFromRegistry";
    vCheckWhich(which, kFunction, __LINE__);
    FdWin::CRegKey key;
    LONG err = key.lOpen(HKEY_LOCAL_MACHINE, kKeyPath, KEY_READ);
    if (err != ERROR_SUCCESS)
        vRaise(kSecCantOpenKey, kFunction, __LINE__,
               Format("clé=Software\\FdGame, erreur:%ld-%s", err, WinErrorText(err).c_str()), err);
    const std::string name = ValueName(which);
    BYTE value[kMaxValueRead];
    DWORD count = sizeof value;
    err = RegQueryValueExA(key.h(), name.c_str(), nullptr, nullptr, value, &count);
    if (err != ERROR_SUCCESS)
        vRaise(
            kSecCantReadValue, kFunction, __LINE__,
            Format("clé=Software\\FdGame\\%s, erreur:%ld-%s", name.c_str(), err, WinErrorText(err).c_str()),
            err);
    if (count != kKeyRecordSize)
    {
        vSecureWipe(value, sizeof value);
        vRaise(
            kSecBadValueSize, kFunction, __LINE__,
            Format("dwCount=%ld, sizeof=%ld", static_cast<long>(count), static_cast<long>(kKeyRecordSize)));
    }
    std::memcpy(m_keys[which].bytes.data(), value, kKeyRecordSize);
    vSecureWipe(value, sizeof value);
}

std::unique_ptr<char[]> CSecurity::lpszDecrypt(const char* lpData, uint32_t dwSize, long iWhatToDecrypt,
                                               uint32_t* pdwSize, bool boIsFile)
{
    vCheckWhich(iWhatToDecrypt, kDecryptFunction, __LINE__);
    vGetKeyFromRegistry(iWhatToDecrypt);

    std::vector<uint8_t> fileData;
    const uint8_t* data = reinterpret_cast<const uint8_t*>(lpData);
    size_t size = dwSize;
    if (boIsFile)
    {
        vReadWholeFile(lpData, fileData);
        data = fileData.data();
        size = fileData.size();
    }

    std::vector<uint8_t> plain;
    const CSecurityStatus status = OpenEnvelope(data, size, m_keys[iWhatToDecrypt], plain);
    if (!status.boOk())
        vRaise(status.dwCode, kDecryptFunction, __LINE__, status.text);

    std::unique_ptr<char[]> out(new char[plain.size() + 1]);
    if (!plain.empty())
    {
        std::memcpy(out.get(), plain.data(), plain.size());
        vSecureWipe(plain.data(), plain.size());
    }
    out[plain.size()] = '\0';
    if (pdwSize)
        *pdwSize = static_cast<uint32_t>(plain.size());
    return out;
}
