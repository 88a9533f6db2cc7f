#include "ServiceMessage.h"

#include <cstring>

#include "AssocParser.h"

namespace HubProto
{

namespace
{

struct Record
{
    ByteSpan name;
    ByteSpan value;
};

ByteSpan Span(const char* p, uint32_t n)
{
    return ByteSpan{reinterpret_cast<const uint8_t*>(p), n};
}

bool boEquals(const ByteSpan& s, const char (&word)[5])
{
    return s.ulSize == kServiceCommandLen && std::memcmp(s.lpData, word, kServiceCommandLen) == 0;
}

// 0 a record, 1 end of message, 2 error.
int iRead(FdMisc::CAssocParser& parser, Record& r)
{
    const char* name = nullptr;
    const char* value = nullptr;
    uint32_t nameLen = 0, valueLen = 0;
    const int res = parser.iGetNext(&name, &nameLen, &value, &valueLen);
    if (res == FdMisc::CAssocParser::kRecord)
    {
        r.name = Span(name, nameLen);
        r.value = Span(value, valueLen);
    }
    return res;
}

ServiceCommand CommandOf(const ByteSpan& value)
{
    const ByteSpan word{value.lpData, kServiceCommandLen};
    if (boEquals(word, "SEND") || boEquals(word, "Send"))
        return ServiceCommand::Send;
    if (boEquals(word, "BIND"))
        return ServiceCommand::Bind;
    if (boEquals(word, "BING"))
        return ServiceCommand::Bing;
    if (boEquals(word, "AftL"))
        return ServiceCommand::AftL;
    if (boEquals(word, "CLOS"))
        return ServiceCommand::Clos;
    return ServiceCommand::Other;
}

} // namespace

ServiceStatus DecodeServiceMessage(const uint8_t* data, uint32_t size, ServiceMessage& out)
{
    out = ServiceMessage{};
    if (data == nullptr || size < kServicePrefixLen)
        return ServiceStatus::TooShort;

    FdMisc::CAssocParser parser(FdMisc::CAssocParser::kText);
    parser.vSetMessage(data + kServicePrefixLen, size - kServicePrefixLen);

    Record first;
    const int res = iRead(parser, first);
    if (res == FdMisc::CAssocParser::kError)
        return ServiceStatus::BadRecords;
    if (res == FdMisc::CAssocParser::kEnd || first.value.ulSize < kServiceCommandLen)
        return ServiceStatus::TooShort;
    out.command = first.value;
    out.eCommand = CommandOf(first.value);

    switch (out.eCommand)
    {
    case ServiceCommand::Send:
    {
        Record second, third;
        const int r2 = iRead(parser, second);
        const int r3 = r2 == FdMisc::CAssocParser::kRecord ? iRead(parser, third) : r2;
        if (r2 == FdMisc::CAssocParser::kError || r3 == FdMisc::CAssocParser::kError)
            return ServiceStatus::BadRecords;
        if (r3 != FdMisc::CAssocParser::kRecord)
            return ServiceStatus::MissingRecords;
        // The third record's name decides which of the two is the address.
        const bool thirdIsUrl = boEquals(third.name, "TURL");
        out.turl = thirdIsUrl ? third.value : second.value;
        out.bfrm = thirdIsUrl ? second.value : third.value;
        break;
    }
    case ServiceCommand::Bind:
    case ServiceCommand::Bing:
    {
        Record second;
        const int r2 = iRead(parser, second);
        if (r2 == FdMisc::CAssocParser::kError)
            return ServiceStatus::BadRecords;
        if (r2 != FdMisc::CAssocParser::kRecord || second.value.ulSize == 0)
            return ServiceStatus::MissingRecords;
        out.bChannel = second.value.lpData[0];
        break;
    }
    default:
        break;
    }
    return ServiceStatus::Ok;
}

} // namespace HubProto
