// A pending message of a server link: waiting for its first send, for its
// next repetition, or for the answer to it.
#pragma once

#include <winsock2.h>

#include <cstdint>
#include <vector>

#include "AppMessagePlan.h"
#include "ServerHeader.h"
#include "TtlDeltaList.h"

struct CAppMessage : public FdMisc::CTTLItem
{
    uint32_t dwRepetitionsLeft = 0; // sends still to make; HubRouting::kEndlessSends never runs out
    uint32_t dwTimeBetween = 0;     // ms between sends, and the wait for the answer after the last
    std::vector<uint8_t> data;      // owned copy, freed once the message only waits for its answer
    uint8_t header[HubProto::kServerHeaderLen] = {};
    uint32_t dwTag = HubRouting::kNoTag; // the client program's MessageId
    uint32_t dwPortType = 0;             // 1 TCP, 2 UDP
    uint8_t bChannel = 0;                // the channel that hears of its expiry
    bool boAwaitingAnswer = false;
    bool boSeqNumAssigned = false;
    bool boWaitForAnswer = false;    // after the last send (an acknowledged message)
    bool boMemberIdAppended = false; // the data ends with the link's IO member id

    uint32_t dwSeqNum() const { return HubProto::dwReadLe32(header + HubProto::kSrvOffSeqNum); }
    uint16_t wFlags() const { return HubProto::wReadLe16(header + HubProto::kSrvOffFlags); }
};
