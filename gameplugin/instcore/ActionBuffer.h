#pragma once
// Page action buffers: an optional payload, then the parameter block in the
// backward "$$" form, the whole ending with "$$action" (any case):
//
//   [payload] $$eop$$cmd $$value$$name ... $$<action number>$$action
#include <cstddef>
#include <cstdint>

class CParamList;

namespace PageAction
{

constexpr const char* kszSuffix = "$$action";
constexpr size_t kSuffixLength = 8;
constexpr const char* kszActionKey = "action";

// Action numbers; any other value does nothing.
enum EAction : int32_t
{
    kActionNone = 0,
    kActionGetUrl = 1,
    kActionCopyAndRegister = 2,
    kActionLaunchApp = 3,
    kActionGetKeys = 6,
};

enum class EBufferStatus
{
    Ok,
    TooShort,  // fewer bytes than "$$action"
    BadSuffix, // does not end with "$$action"
    BadBlock,  // no complete parameter block ending with cmd=eop
};

// Checks the buffer's end and reads its block into `list` (a "$$" list).
// *lpulPayload receives the number of bytes ahead of the block. The payload may hold
// any bytes; the block holds no NUL. Never reads outside buffer[0, size).
EBufferStatus eReadActionBuffer(const char* lpBuffer, size_t ulSize, CParamList& list, size_t* lpulPayload);

// The action number held by "action" (0 when absent or not a number).
int32_t lGetAction(const CParamList& list);

} // namespace PageAction
