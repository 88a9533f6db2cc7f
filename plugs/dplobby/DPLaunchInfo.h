// The launch description of a DirectPlay game (CDPLaunchInfo), read from the "dpinfo"
// block of a game version's technical data, and the GUID texts of the DirectPlay plug.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A GUID in its four fields, without any platform header.
struct SDPGuid
{
    uint32_t data1 = 0;
    uint16_t data2 = 0;
    uint16_t data3 = 0;
    uint8_t data4[8] = {};

    bool operator==(const SDPGuid& other) const;
};

// Reads "{%8X-%4X-%4X-%2X%2X-%2X%2X%2X%2X%2X%2X}"; true when all 11 fields were read,
// else guid is all zeros.
bool boParseGuidText(const std::string& text, SDPGuid& guid);
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper case, zero-padded.
std::string FormatGuidText(const SDPGuid& guid);

struct CDPLaunchInfo
{
    static constexpr size_t kMaxNick = 63;
    static constexpr size_t kMaxSessionName = 127;
    static constexpr size_t kMaxHostAddress = 16383;
    static constexpr size_t kMaxResultScript = 16383;

    SDPGuid appGuid;
    std::string appPath;
    std::string appFile;
    uint8_t host = 0; // 1 host the session, 0 join it
    std::string nick;
    std::string sessionName;
    std::string hostAddress;
    int32_t port = 0;
    uint8_t dp8 = 0;
    uint8_t hasResultScript = 0;
    std::string resultScript;
    int32_t scriptNumber = 0; // system variable 0 of the result script
    std::vector<std::string> hostVerbs;
    std::vector<std::string> joinVerbs;
    std::string varGuid;
    std::string varPath;
    std::string varFile;
};

// Loads the technical data text and reads its "dpinfo" element; false when the text
// is empty, does not load or has no "dpinfo".
bool boBuildLaunchInfo(const std::string& rawText, CDPLaunchInfo& info);
// The host flag from the version's launch verb (host verbs first, then join verbs,
// without regard to case), else from its launch mode (1 host, 2 join; any other mode
// leaves the flag).
void vSetHostFlag(CDPLaunchInfo& info, const std::string& launchVerb, int32_t launchMode);

// A DirectPlay application registered on the machine.
struct SDPApplication
{
    SDPGuid guid;
    std::string path;
    std::string file;
};
