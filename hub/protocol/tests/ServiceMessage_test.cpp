#include "ServiceMessage.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "TestBytes.h"

using namespace HubProto;
using namespace HubProtoTest;

namespace
{

// One text-mode association record: 4 hex digits, name, "=", value, end character.
Bytes Rec(const std::string& name, const std::string& value)
{
    char len[5];
    std::snprintf(len, sizeof len, "%04X", unsigned(name.size() + value.size() + 2));
    return Text(std::string(len) + name + "=" + value + ";");
}

Bytes Service(std::initializer_list<Bytes> records)
{
    Bytes out = Hex("01 02 03 04"); // not examined
    for (const Bytes& r : records)
        out.insert(out.end(), r.begin(), r.end());
    return out;
}

std::string Str(const ByteSpan& s)
{
    return std::string(reinterpret_cast<const char*>(s.lpData), s.ulSize);
}

TEST(ServiceMessage, SendTakesAddressAndFrameInEitherOrder)
{
    const struct
    {
        Bytes msg;
        const char* url;
        const char* frame;
    } rows[] = {
        {Service({Rec("CMD", "SEND"), Rec("TURL", "http://h/a?b"), Rec("BFRM", "top")}), "http://h/a?b",
         "top"},
        {Service({Rec("CMD", "Send"), Rec("BFRM", "top"), Rec("TURL", "http://h/")}), "http://h/", "top"},
        {Service({Rec("X", "SENDING"), Rec("TURL", "u"), Rec("BFRM", "")}), "u", ""},
    };
    for (const auto& r : rows)
    {
        ServiceMessage m;
        ASSERT_EQ(DecodeServiceMessage(r.msg.data(), uint32_t(r.msg.size()), m), ServiceStatus::Ok);
        EXPECT_EQ(m.eCommand, ServiceCommand::Send);
        EXPECT_EQ(Str(m.turl), r.url);
        EXPECT_EQ(Str(m.bfrm), r.frame);
    }
}

TEST(ServiceMessage, CommandsWithoutOrWithAChannel)
{
    const struct
    {
        Bytes msg;
        ServiceCommand cmd;
        uint8_t channel;
    } rows[] = {
        {Service({Rec("CMD", "BIND"), Rec("CHAN", "\x05")}), ServiceCommand::Bind, 5},
        {Service({Rec("CMD", "BING"), Rec("CHAN", "\xFE"
                                                  "zz")}),
         ServiceCommand::Bing, 0xFE},
        {Service({Rec("CMD", "AftL")}), ServiceCommand::AftL, 0},
        {Service({Rec("CMD", "CLOS")}), ServiceCommand::Clos, 0},
        {Service({Rec("CMD", "clos")}), ServiceCommand::Other, 0},
        {Service({Rec("CMD", "WHAT")}), ServiceCommand::Other, 0},
    };
    for (const auto& r : rows)
    {
        ServiceMessage m;
        ASSERT_EQ(DecodeServiceMessage(r.msg.data(), uint32_t(r.msg.size()), m), ServiceStatus::Ok);
        EXPECT_EQ(m.eCommand, r.cmd);
        EXPECT_EQ(m.bChannel, r.channel);
    }
}

TEST(ServiceMessage, MalformedMessagesAreDropped)
{
    const struct
    {
        const char* what;
        Bytes msg;
        ServiceStatus status;
    } rows[] = {
        {"3 bytes", Hex("01 02 03"), ServiceStatus::TooShort},
        {"prefix only", Service({}), ServiceStatus::TooShort},
        {"3-character command", Service({Rec("CMD", "SEN")}), ServiceStatus::TooShort},
        {"bad hex length", Concat({Hex("01 02 03 04"), Text("00G1CMD=SEND;")}), ServiceStatus::BadRecords},
        {"length past the end", Concat({Hex("01 02 03 04"), Text("0020CMD=SEND;")}),
         ServiceStatus::BadRecords},
        {"no separator", Concat({Hex("01 02 03 04"), Text("0006CMDSEND")}), ServiceStatus::BadRecords},
        {"SEND without records", Service({Rec("CMD", "SEND")}), ServiceStatus::MissingRecords},
        {"SEND with one record", Service({Rec("CMD", "SEND"), Rec("TURL", "u")}),
         ServiceStatus::MissingRecords},
        {"SEND with a broken record", Concat({Service({Rec("CMD", "SEND"), Rec("TURL", "u")}), Text("00")}),
         ServiceStatus::BadRecords},
        {"BIND without record", Service({Rec("CMD", "BIND")}), ServiceStatus::MissingRecords},
        {"BIND with an empty value", Service({Rec("CMD", "BIND"), Rec("CHAN", "")}),
         ServiceStatus::MissingRecords},
    };
    for (const auto& r : rows)
    {
        ServiceMessage m;
        EXPECT_EQ(DecodeServiceMessage(r.msg.data(), uint32_t(r.msg.size()), m), r.status) << r.what;
    }
}

} // namespace
