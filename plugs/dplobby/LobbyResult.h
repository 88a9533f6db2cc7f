// What a lobbied game's own message becomes: its data as hexadecimal text for the
// trace, and the result message for the service ("ac"="ScInfo", "blid", one "prop" per
// line the result script emits).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "DPLaunchInfo.h"
#include "StackScript.h"

// Two upper-case hexadecimal digits a byte.
std::string HexEncode(const uint8_t* data, size_t size);

// Runs the description's result script (when it has one) over the game data, with
// system variable 0 = the description's number, and builds the association message
// in text mode. Script errors go to errorSink.
std::string BuildResultMessage(const CDPLaunchInfo& info, const uint8_t* data, size_t size,
                               const CStackScript::ErrorSink& errorSink);
