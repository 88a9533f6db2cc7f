// The hub client's reading path on arbitrary bytes: the stream cut into
// blocks of sizes taken from the input, each message read and applied to a
// slot table and an open wait, as the managed client does.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "ChannelSlots.h"
#include "HubMessageReader.h"
#include "HubStream.h"
#include "OpenWaitState.h"

namespace
{

class CSink : public OBSdkClient::CLPCNotify
{
public:
    void OnLPCLost(uint32_t) override {}
    void OnChannelClosed() override {}
    void OnReconnected() override {}
    void OnMessage(const uint8_t* p, uint32_t n, uint32_t) override
    {
        for (uint32_t i = 0; i < n; ++i)
            m_sum += p[i]; // every byte handed on must be readable
    }
    void OnResponseTimeout(uint32_t) override {}
    void vOnClientGone() override {}
    uint32_t m_sum = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace OBSdkClient;
    if (size < 1)
        return 0;
    const size_t step = size_t(data[0]) + 1;
    data += 1;
    size -= 1;

    CSink sink;
    CChannelSlots slots;
    COpenWaitState wait;
    wait.vStart();
    for (uint32_t id = 0; id < CChannelSlots::kSlotCount; id += 3)
        slots.boTake(uint8_t(id), &sink);

    CHubStream stream;
    const CHubStream::FHandler handler = [&](const uint8_t* msg, uint32_t n)
    {
        const SHubAction a = ReadHubMessage(msg, n);
        if (a.data.ulSize != 0 && (a.data.lpData < msg || a.data.lpData + a.data.ulSize > msg + n))
            std::abort();
        switch (a.eAction)
        {
        case EHubAction::OpenSucceeded:
            if (wait.boOnSucceeded(a.bChannel))
            {
                slots.boTake(a.bChannel, &sink);
                wait.vFinish();
                wait.vStart();
            }
            break;
        case EHubAction::OpenFailed:
            wait.boOnFailed();
            break;
        case EHubAction::Message:
            if (CLPCNotify* c = slots.lpGet(a.bChannel))
                c->OnMessage(a.data.lpData, a.data.ulSize, a.dwMessageId);
            break;
        case EHubAction::ChannelClosed:
            slots.lpRelease(a.bChannel);
            break;
        case EHubAction::Bound:
        case EHubAction::BindTimeout:
        case EHubAction::Bing:
            slots.vSetBindState(a.bChannel, a.eAction == EHubAction::Bound, a.eAction == EHubAction::Bing);
            break;
        default:
            break;
        }
    };
    for (size_t at = 0; at < size; at += step)
    {
        const size_t n = size - at < step ? size - at : step;
        if (!stream.boFeed(data + at, uint32_t(n), handler))
            break;
    }
    return 0;
}
