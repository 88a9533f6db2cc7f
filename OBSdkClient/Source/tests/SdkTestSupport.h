// What the library's Windows tests share: a channel that records what it is
// told, the library started around each test with a hub played by the test,
// shortened open waits, and exact request bytes.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ChannelException.h"
#include "ChannelStd.h"
#include "FakeHub.h"
#include "LPCManagedClient.h"
#include "MessageWait.h"
#include "OBSdkClient.h"
#include "WireBytes.h"

namespace SdkTest
{

using namespace OBSdkClient;

class CTestChannel : public CChannelStd
{
public:
    struct SMessage
    {
        std::string data;
        uint32_t dwMessageId;
    };

    explicit CTestChannel(const CHostRecord& server, const CChannelConfig& config = CChannelConfig())
        : CChannelStd(server, config)
    {
    }
    void OnMessage(const uint8_t* lpData, uint32_t dwLength, uint32_t dwMessageId) override
    {
        messages.push_back({std::string(reinterpret_cast<const char*>(lpData), dwLength), dwMessageId});
    }
    void OnEvent(int32_t iCode, uint32_t dwValue) override { events.emplace_back(iCode, dwValue); }
    size_t ulEvents(int32_t iCode) const
    {
        size_t n = 0;
        for (const auto& e : events)
            n += e.first == iCode;
        return n;
    }

    std::vector<SMessage> messages;
    std::vector<std::pair<int32_t, uint32_t>> events;
};

// A wait that sees nothing for a short real while reports a time-out, as if
// its whole time had passed on its clock; the asked times are kept.
class CShortWait : public IMessageWait
{
public:
    static constexpr DWORD kRealSliceMs = 300;
    DWORD dwMsgWait(HANDLE hEvent, DWORD dwMs) override
    {
        asked.push_back(dwMs);
        const DWORD r = MsgWaitForMultipleObjects(1, &hEvent, FALSE,
                                                  dwMs < kRealSliceMs ? dwMs : kRealSliceMs, QS_ALLINPUT);
        if (r == WAIT_TIMEOUT)
            m_dwNow += dwMs;
        else
            m_dwNow += 1;
        return r;
    }
    uint32_t dwTickCount() override { return m_dwNow; }
    std::vector<DWORD> asked;

private:
    uint32_t m_dwNow = 0;
};

// The library started with the hub played by the test; every Init undone at the end.
class CSdkTest : public testing::Test
{
protected:
    void SetUp() override { Init(GetModuleHandleA(nullptr), hub.wPort()); }
    void TearDown() override
    {
        while (ulGetInitCount() != 0)
            Term();
        vSetMessageWait(nullptr);
    }
    CLPCManagedClient* lpClient() { return CLPCManagedClient::lpGetClient(GetDefaultHub()); }
    // Pumps until the hub has received n requests of that letter.
    bool boHubGot(uint8_t letter, size_t n)
    {
        return boPumpUntil([&] { return hub.RequestsOf(letter).size() >= n; });
    }

    CFakeHub hub;
    const CHostRecord server{"127.0.0.1", 9000};
    const CHostRecord server2{"127.0.0.1", 9001};
};

// The exception's code, 0 when none was thrown.
inline uint32_t CodeOf(const std::function<void()>& action)
{
    try
    {
        action();
    }
    catch (const FdBase::CExceptionBase& e)
    {
        return e.dwGetCode();
    }
    return 0;
}

// Little-endian bytes of a request, built field by field.
class CExpect
{
public:
    CExpect& u8(uint8_t v)
    {
        bytes.push_back(v);
        return *this;
    }
    CExpect& u16(uint16_t v) { return u8(uint8_t(v)).u8(uint8_t(v >> 8)); }
    CExpect& u32(uint32_t v) { return u16(uint16_t(v)).u16(uint16_t(v >> 16)); }
    CExpect& text(const std::string& s)
    {
        bytes.insert(bytes.end(), s.begin(), s.end());
        return *this;
    }
    Bytes bytes;
};

} // namespace SdkTest
