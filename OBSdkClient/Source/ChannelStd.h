// The channel most programs derive from: events other than messages are
// ignored unless the program overrides OnEvent.
#pragma once

#include "ChannelBase.h"

namespace OBSdkClient
{

class CChannelStd : public CChannelBase
{
public:
    CChannelStd(const CHostRecord& server, const CChannelConfig& config) : CChannelBase(server, config) {}

    void OnEvent(int32_t, uint32_t) override {}
};

} // namespace OBSdkClient
