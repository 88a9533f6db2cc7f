// What happens to a pending message of a server link: sent at once or
// queued, and after each send repeated, kept to wait for an answer, or
// dropped.
#pragma once

#include <cstdint>

namespace HubRouting
{

constexpr uint32_t kEndlessSends = 0xFFFFFFFF; // keep-alives
constexpr uint32_t kNoTag = 0xFFFFFFFF;        // the message answers to no client's id
constexpr uint32_t kBindTag = 0xFFFFFFFE;      // the hub's own "BIND"

// A message with no delay and no repetitions leaves at once; any other waits
// in the link's list for its first send.
inline bool boSendsAtOnce(uint32_t dwTimeBeforeSend, uint32_t dwRepetitions)
{
    return dwTimeBeforeSend == 0 && dwRepetitions == 0;
}

// A message sent at once waits for its answer when it carries a client's id
// and comes from a channel (or the service channel).
inline bool boAwaitsAnswerOnce(uint32_t dwTag, uint32_t dwSrcId)
{
    return dwTag != kNoTag && dwSrcId <= 255;
}

enum class EAfterSend
{
    Repeat, // re-insert after the time between sends
    Await,  // sends over: wait the time between sends for the answer
    Drop,   // sends over, no answer awaited
};

// Called after each send of a queued message. `dwSendsLeft` counts the sends
// still to make including the one just made (kEndlessSends never runs out);
// a count of 0 or 1 means that send was the last.
EAfterSend NextAfterSend(uint32_t& dwSendsLeft, bool boWaitForAnswer);

} // namespace HubRouting
