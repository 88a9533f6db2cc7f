// The hub's settings under HKEY_LOCAL_MACHINE "Software\FDGame\Binaries\LinkwellV2":
// what the values read give (a missing value keeps its default), and the
// lines that open the trace file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "HubSettings.h"

namespace Linkwell
{

constexpr const char* kSettingsKey = "Software\\FDGame\\Binaries\\LinkwellV2";
constexpr uint32_t kDefaultPriorityClass = 0x80; // HIGH_PRIORITY_CLASS
constexpr size_t kLoginClsidMax = 64;

// The values as read; empty when missing or unreadable.
struct SRegistryValues
{
    std::optional<uint32_t> logToTextFile;   // "LogToTextFile"
    std::optional<uint32_t> lpcPort;         // "LPCPort"
    std::optional<uint32_t> processPriority; // "ProcessPriority"
    std::optional<uint32_t> proxyPort;       // "DEVTEST_OBProxyPort"
    std::optional<std::string> linkwellId;   // "LinkwellId"
    std::optional<std::string> loginClsid;   // "OBMLoginCLSID"
};

struct SLinkwellSettings
{
    HubRouting::SHubSettings hub;
    uint32_t dwPriorityClass = kDefaultPriorityClass;
};

// LinkwellId counts only with 4 characters or more (its first 4); a port
// above 65535 keeps the default.
SLinkwellSettings MakeSettings(const SRegistryValues& values);

// The lines that open the trace when LogToTextFile is non-zero: start, header
// date, one line per dump flag, the buffering line (0x80 and up) and, with a
// proxy port, the proxy line.
std::vector<std::string> StartupLogLines(uint32_t dwLogFlags, uint16_t wProxyPort);

// Whether the command line holds the word after "-" or "/", in any case.
bool boHasSwitch(const char* lpszCommandLine, const char* lpszWord);

} // namespace Linkwell
