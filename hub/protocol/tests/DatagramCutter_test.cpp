#include "DatagramCutter.h"

#include <gtest/gtest.h>

#include "LpcClientMessages.h"
#include "ServerMessages.h"
#include "ServerShortForms.h"
#include "TestBytes.h"

using namespace HubProto;
using namespace HubProtoTest;

namespace
{

std::vector<Bytes> Messages(const DatagramCut& cut)
{
    std::vector<Bytes> out;
    for (const ByteSpan& s : cut.messages)
        out.push_back(ToBytes(s));
    return out;
}

Bytes ServerMsg(const std::string& data)
{
    const Bytes d = Text(data);
    return BuildServerMessage(3, kDefaultHubId, 0, IoMemberId{}, d.data(), uint32_t(d.size()), false);
}

TEST(LpcDatagram, CutsLikeTheStreamButNeverKeepsATail)
{
    const Bytes a = EncodeLpcDisconnect(1), b = EncodeLpcUnbind(2);
    const struct
    {
        const char* what;
        Bytes datagram;
        DatagramStatus status;
        std::vector<Bytes> messages;
    } rows[] = {
        {"two messages", Concat({a, b}), DatagramStatus::Complete, {a, b}},
        {"incomplete tail", Concat({a, Bytes(b.begin(), b.end() - 1)}), DatagramStatus::TailDropped, {a}},
        {"tail shorter than a header", Concat({a, Hex("08 55 01")}), DatagramStatus::TailDropped, {a}},
        {"a few bytes", Hex("08 55"), DatagramStatus::TailDropped, {}},
        {"empty", Bytes{}, DatagramStatus::Complete, {}},
        {"length below 8", Concat({a, LpcRaw('U', 7, 9)}), DatagramStatus::Malformed, {}},
        {"length 0", LpcRaw('U', 0, 9), DatagramStatus::Malformed, {}},
        {"length above the maximum", LpcRaw('U', kMaxMessageSize + 1, 9), DatagramStatus::Malformed, {}},
    };
    for (const auto& r : rows)
    {
        const DatagramCut cut = CutLpcDatagram(r.datagram.data(), uint32_t(r.datagram.size()));
        EXPECT_EQ(cut.eStatus, r.status) << r.what;
        EXPECT_EQ(Messages(cut), r.messages) << r.what;
    }
}

TEST(ServerDatagram, Rules)
{
    const Bytes m1 = ServerMsg("one"), m2 = ServerMsg("second");
    Bytes says44 = ServerMsg("0123456789"); // 34 + 10 = 44 bytes announced
    says44.resize(40);
    Bytes tooSmallLength = ServerMsg("");
    tooSmallLength[4] = 8;
    const Bytes shortUdp = Hex("81 05 41 42 43");
    const struct
    {
        const char* what;
        Bytes datagram;
        DatagramStatus status;
        std::vector<Bytes> messages;
        bool shortForm;
    } rows[] = {
        {"40 bytes announcing 44", says44, DatagramStatus::TailDropped, {}, false},
        {"two messages", Concat({m1, m2}), DatagramStatus::Complete, {m1, m2}, false},
        {"incomplete second",
         Concat({m1, Bytes(m2.begin(), m2.begin() + 20)}),
         DatagramStatus::TailDropped,
         {m1},
         false},
        {"0x81 whole", shortUdp, DatagramStatus::Complete, {shortUdp}, true},
        {"0x80 with its header only", Hex("80 07"), DatagramStatus::Complete, {Hex("80 07")}, true},
        {"0x81 without its third byte", Hex("81 07"), DatagramStatus::TooShort, {}, false},
        {"one byte", Hex("22"), DatagramStatus::TooShort, {}, false},
        {"empty", Bytes{}, DatagramStatus::TooShort, {}, false},
        {"shorter than a full header",
         Bytes(m1.begin(), m1.begin() + 33),
         DatagramStatus::TooShort,
         {},
         false},
        {"total length below 34", Concat({tooSmallLength, m1}), DatagramStatus::Malformed, {}, false},
        {"header only", ServerMsg(""), DatagramStatus::Complete, {ServerMsg("")}, false},
    };
    for (const auto& r : rows)
    {
        const DatagramCut cut = CutServerDatagram(r.datagram.data(), uint32_t(r.datagram.size()));
        EXPECT_EQ(cut.eStatus, r.status) << r.what;
        EXPECT_EQ(Messages(cut), r.messages) << r.what;
        EXPECT_EQ(cut.boShortForm, r.shortForm) << r.what;
    }
}

} // namespace
