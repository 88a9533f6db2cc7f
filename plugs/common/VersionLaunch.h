// The launch command of a game version, read from its raw technology data: the
// "cmdline" elements under "vtlaunch" that serve the launch verb.
#pragma once

#include <cstdint>
#include <string>

struct SLaunchCommand
{
    std::string executable; // "" when no command serves the verb
    std::string parameters;
    int32_t mode = 0; // 0 create the process, 1 shell verb
    std::string shellVerb;
};

// A later match overrides an earlier one, field by field as found. False when the
// text does not load or gives no root.
bool boReadLaunchCommand(const std::string& rawData, const std::string& verb, SLaunchCommand& command);
