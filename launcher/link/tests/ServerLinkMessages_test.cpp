// The launcher's message formats to and from the game server, and the routes
// of the notification codes.
#include "ServerLinkMessages.h"

#include <gtest/gtest.h>

#include <string>

using namespace LudexLink;

namespace
{
std::string Built(const std::string& msgTemplate, int32_t code, const std::string* custom = nullptr)
{
    std::string out = "sentinel";
    const EBuildStatus status = BuildNotification(msgTemplate, code, custom, out);
    return status == EBuildStatus::kOk ? out : "refused:" + out;
}

SServerCommand Read(const std::string& bytes)
{
    return ReadServerCommand(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}
} // namespace

TEST(ServerLinkMessages, NotificationTakesItsLengthAndCode)
{
    EXPECT_EQ(Built("XXXXtype=%TP%", 1001), "000dtype=1001");
    EXPECT_EQ(Built("XXXXtype=%TP%", 3), "000dtype=0003");
    EXPECT_EQ(Built("XXXX%TP%-%TP%", 102), "000d0102-0102");
    EXPECT_EQ(Built("XXXX", 0), "0004");
    EXPECT_EQ(Built("XXXXtype=%TP", 1), "000ctype=%TP"); // no whole mark
    EXPECT_EQ(Built("%TP%x", 1), "0005x");               // the placeholder is not looked at
    const std::string custom = "abc";
    EXPECT_EQ(Built("XXXXtype=%TP%", 1001, &custom), "001atype=10010009cust=abc0");
    const std::string empty;
    EXPECT_EQ(Built("XXXXa", 1, &empty), "000fa0006cust=0");
}

TEST(ServerLinkMessages, NotificationBoundsAreRefusedNotWrapped)
{
    EXPECT_EQ(Built("", 1), "refused:");
    EXPECT_EQ(Built("XXX", 1), "refused:");
    // The whole message at 65535 characters and at one more.
    EXPECT_EQ(Built("XXXX" + std::string(65531, 'a'), 1).substr(0, 5), "ffffa");
    EXPECT_EQ(Built("XXXX" + std::string(65532, 'a'), 1), "refused:");
    // The custom part's own length at 65535 and one more.
    const std::string atMax(65535 - 6, 'c');
    const std::string past(65535 - 5, 'c');
    EXPECT_EQ(Built("XXXX", 1, &atMax), "refused:"); // the whole is longer still
    EXPECT_EQ(Built("XXXX", 1, &past), "refused:");
    const std::string fits(65535 - 4 - 4 - 6, 'c');
    EXPECT_EQ(Built("XXXX", 1, &fits).substr(0, 8), "ffff"
                                                    "fff7");
}

TEST(ServerLinkMessages, CommandsAreRead)
{
    SServerCommand command = Read("00110009cmd=hfln0");
    ASSERT_EQ(command.status, ECommandStatus::kOk);
    EXPECT_EQ(command.name, "cmd");
    EXPECT_EQ(command.value, "hfln");

    command = Read("zzzz0005AC=x0");
    ASSERT_EQ(command.status, ECommandStatus::kOk);
    EXPECT_EQ(command.name, "AC");
    EXPECT_EQ(command.value, "x");

    // What lies between the field and the end character is not read.
    command = Read("00000006cmd=quitXYZ0");
    ASSERT_EQ(command.status, ECommandStatus::kOk);
    EXPECT_EQ(command.value, "q");
    // The value keeps its own '=' and may be empty.
    command = Read("00000008a=b=c=d0");
    EXPECT_EQ(command.value, "b=c=d");
    command = Read("00000005cmd=0");
    ASSERT_EQ(command.status, ECommandStatus::kOk);
    EXPECT_EQ(command.value, "");
}

TEST(ServerLinkMessages, MalformedCommandsAreDropped)
{
    const struct
    {
        const char* bytes;
        ECommandStatus status;
    } cases[] = {
        {"", ECommandStatus::kNoData},
        {"00110009cmd=hfln1", ECommandStatus::kBadEnd},
        {"00110009cmd=hfln", ECommandStatus::kBadEnd},
        {"00000", ECommandStatus::kTooShort},
        {"000000000", ECommandStatus::kZeroLength},
        {"00000000cmd=hfln0", ECommandStatus::kZeroLength},
        {"0000g009cmd=hfln0", ECommandStatus::kBadLength},
        {"0000 009cmd=hfln0", ECommandStatus::kBadLength},
        {"0000-009cmd=hfln0", ECommandStatus::kBadLength},
        {"00000009cmdxhfln0", ECommandStatus::kNoEquals},
        {"000000010", ECommandStatus::kNoEquals},
        {"0000000acmd=hfln0", ECommandStatus::kPastEnd},
        {"0000ffffcmd=hfln0", ECommandStatus::kPastEnd},
        {"000000020", ECommandStatus::kPastEnd},
    };
    for (const auto& c : cases)
    {
        const SServerCommand command = Read(c.bytes);
        EXPECT_EQ(command.status, c.status) << '"' << c.bytes << '"';
        EXPECT_TRUE(command.name.empty() && command.value.empty()) << c.bytes;
    }
    EXPECT_EQ(ReadServerCommand(nullptr, 17).status, ECommandStatus::kNoData);
}

TEST(ServerLinkMessages, CommandNames)
{
    for (const char* name : {"cmd", "CMD", "Cmd", "ac", "AC", "aC"})
        EXPECT_TRUE(IsCommandName(name)) << name;
    for (const char* name : {"", "c", "cm", "cmdx", "a", "acx", "cust"})
        EXPECT_FALSE(IsCommandName(name)) << name;
}

TEST(ServerLinkMessages, Routes)
{
    const struct
    {
        int32_t code;
        bool toServer;
        bool toPage;
    } cases[] = {
        {-1, false, false},   {0, true, true},      {1, true, true},     {2, true, true},
        {3, true, true},      {4, true, true},      {5, false, false},   {6, false, false},
        {101, false, false},  {102, true, false},   {103, false, false}, {1000, false, false},
        {1001, true, true},   {1002, true, true},   {1003, true, true},  {1004, true, true},
        {1005, false, false}, {1999, false, false}, {2000, true, false}, {2001, false, false},
    };
    for (const auto& c : cases)
    {
        const SRoute route = RouteOf(c.code);
        EXPECT_EQ(route.toServer, c.toServer) << c.code;
        EXPECT_EQ(route.toPage, c.toPage) << c.code;
    }
}
