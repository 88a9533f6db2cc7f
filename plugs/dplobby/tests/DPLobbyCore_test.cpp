// The result message, the launch description and the scan of registered applications.
#include "DPLaunchInfo.h"
#include "DPScan.h"
#include "LobbyResult.h"
#include "MsgBuffer.h"

#include "AssocParser.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

TEST(MsgBuffer, TextRecords)
{
    CMsgBuffer message(0, 0, CMsgBuffer::kText);
    EXPECT_TRUE(message.boAddPair("ac", "ScInfo", 0));
    EXPECT_TRUE(message.boAddPair("blid", nullptr, -1));
    EXPECT_TRUE(message.boAddPair("prop", "3=E12xyz", 6));
    EXPECT_EQ(message.ulFinish(), 44u);
    EXPECT_EQ(message.Message(), "002C000Aac=ScInfo00006blid=0000Cprop=3=E12x0");
    // The reader of the suite reads it back.
    FdMisc::CAssocParser parser(FdMisc::CAssocParser::kText);
    parser.vSetMessage(message.Message().data() + 4, static_cast<uint32_t>(message.Message().size() - 4));
    const char* name;
    const char* value;
    uint32_t nameLength, valueLength;
    ASSERT_EQ(parser.iGetNext(&name, &nameLength, &value, &valueLength), FdMisc::CAssocParser::kRecord);
    EXPECT_EQ(std::string(value, valueLength), "ScInfo");
}

TEST(MsgBuffer, BinaryRecordsAndHeader)
{
    CMsgBuffer message(3, 0, CMsgBuffer::kBinary);
    EXPECT_TRUE(message.boAddPair("a", "xy", 0));
    EXPECT_EQ(message.ulFinish(), 3u + 4u + 4u + 5u);
    const std::string expected("\0\0\0\x0D\0\0\x80\x03\0\0\x02"
                               "a\0xy\0",
                               16);
    EXPECT_EQ(message.Message(), expected);
}

TEST(MsgBuffer, PairThatDoesNotFitLeavesTheMessage)
{
    // 64000 bytes less a trailer of 63976: 24 bytes for the length word and records.
    CMsgBuffer message(0, 63976, CMsgBuffer::kText);
    EXPECT_TRUE(message.boAddPair("ac", "ScInfo", 0)); // 4 + 14 = 18
    EXPECT_TRUE(message.boAddPair("", nullptr, -1));   // + "0002=0" = 24: fits exactly
    EXPECT_FALSE(message.boAddPair("", nullptr, -1));  // 30: does not
    EXPECT_EQ(message.GetError(), CMsgBuffer::kErrDoesNotFit);
    EXPECT_EQ(message.ulFinish(), 24u);
}

TEST(LobbyResult, MessageFromTheScript)
{
    CDPLaunchInfo info;
    info.hasResultScript = 1;
    info.scriptNumber = 7;
    // blid = system 0 + the first data byte; one line per data byte at offsets 0 and 1.
    info.resultScript = "1 LS 0 1 2 LD AD 2 ES 1 0 1 2 LD EP 2 1 1 2 LD EP";
    const uint8_t data[] = {0x05, 0x10};
    std::vector<std::string> errors;
    const std::string message =
        BuildResultMessage(info, data, sizeof data, [&](const std::string& e) { errors.push_back(e); });
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(message, "003B000Aac=ScInfo00008blid=120000Aprop=1=E50000Bprop=2=E160");
    EXPECT_EQ(HexEncode(data, sizeof data), "0510");
    // Without a script: the two first pairs only.
    EXPECT_EQ(BuildResultMessage(CDPLaunchInfo(), data, sizeof data, nullptr),
              "001C000Aac=ScInfo00006blid=0");
}

TEST(DPLaunchInfo, GuidTexts)
{
    SDPGuid guid;
    ASSERT_TRUE(boParseGuidText("{0a1b2c3d-4E5F-6071-8293-a4b5c6d7e8f9}", guid));
    EXPECT_EQ(FormatGuidText(guid), "{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}");
    EXPECT_FALSE(boParseGuidText("{0A1B2C3D-4E5F-6071-8293}", guid));
    EXPECT_EQ(FormatGuidText(guid), "{00000000-0000-0000-0000-000000000000}");
}

namespace
{
const char kDpinfo[] =
    "<dpinfo var:guid=\"dpguid\" var:dppath=\"dppath\" var:dpfile=\"dpfile\">"
    "<GUID>{11111111-2222-3333-4444-555555555555}</GUID>"
    "<nick>Joueur</nick>"
    "<HOST ip=\"10.0.0.5\" port=\"2300\"/>"
    "<sessionname>Partie</sessionname>"
    "<resultscript>1 2 AD</resultscript>"
    "<lverb type=\"h\">heberger</lverb><lverb type=\"J\">rejoindre</lverb><lverb>rien</lverb>"
    "<other>x</other>"
    "</dpinfo>";
}

TEST(DPLaunchInfo, ReadsTheDescription)
{
    CDPLaunchInfo info;
    ASSERT_TRUE(boBuildLaunchInfo(kDpinfo, info));
    EXPECT_EQ(FormatGuidText(info.appGuid), "{11111111-2222-3333-4444-555555555555}");
    EXPECT_EQ(info.nick, "Joueur");
    EXPECT_EQ(info.hostAddress, "10.0.0.5");
    EXPECT_EQ(info.port, 2300);
    EXPECT_EQ(info.sessionName, "Partie");
    EXPECT_EQ(info.hasResultScript, 1);
    EXPECT_EQ(info.resultScript, "1 2 AD");
    EXPECT_EQ(info.dp8, 0);
    EXPECT_EQ(info.hostVerbs, std::vector<std::string>{"heberger"});
    EXPECT_EQ(info.joinVerbs, std::vector<std::string>{"rejoindre"}); // the verb without type adds nothing
    EXPECT_EQ(info.varGuid, "dpguid");
    EXPECT_EQ(info.varPath, "dppath");
    EXPECT_EQ(info.varFile, "dpfile");

    CDPLaunchInfo dp8;
    ASSERT_TRUE(boBuildLaunchInfo(
        "<dpinfo><DX8 port=\"6073\"/><NICK>" + std::string(64, 'n') + "</NICK></dpinfo>", dp8));
    EXPECT_EQ(dp8.dp8, 1);
    EXPECT_EQ(dp8.port, 6073);
    EXPECT_EQ(dp8.nick, ""); // 64 characters: ignored

    EXPECT_FALSE(boBuildLaunchInfo("", info));
    EXPECT_FALSE(boBuildLaunchInfo("<other/>", info));
}

TEST(DPLaunchInfo, HostFlag)
{
    CDPLaunchInfo info;
    ASSERT_TRUE(boBuildLaunchInfo(kDpinfo, info));
    struct
    {
        const char* verb;
        int32_t mode;
        uint8_t before, after;
    } cases[] = {
        {"HEBERGER", 2, 0, 1}, {"Rejoindre", 1, 1, 0}, {"autre", 1, 0, 1},
        {"autre", 2, 1, 0},    {"autre", 0, 1, 1},     {"autre", 0, 0, 0},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.verb + std::string(" ") + std::to_string(c.mode));
        info.host = c.before;
        vSetHostFlag(info, c.verb, c.mode);
        EXPECT_EQ(info.host, c.after);
    }
}

namespace
{
struct CFakeVolume : IDetectVolume
{
    std::map<std::string, std::string> values;
    void SetAt(const std::string& name, const std::string& value) override { values[name] = value; }
};

struct CFakeVersion : IDetectVersion
{
    std::string raw;
    int32_t status = 0;
    std::map<std::string, std::shared_ptr<CFakeVolume>> volumes;

    bool boGetRawData(std::string& text) override
    {
        text = raw;
        return true;
    }
    bool boGetPlugData(std::string&) override { return false; }
    void SetPlugData(const std::string&) override {}
    bool boGetLocalInstalStatus(int32_t& s) override
    {
        s = status;
        return true;
    }
    void SetLocalInstalStatus(int32_t s) override { status = s; }
    void RemoveAllContextDictionnaryVolume() override { volumes.clear(); }
    std::shared_ptr<IDetectVolume> CreateContextDictionnaryVolume(const std::string& name) override
    {
        return volumes[name] = std::make_shared<CFakeVolume>();
    }
    std::shared_ptr<IDetectVolume> GetContextDictionnaryVolume(const std::string& name) override
    {
        auto it = volumes.find(name);
        return it == volumes.end() ? nullptr : it->second;
    }
    void SetIconFile(const std::string&) override {}
};

struct CFakeList : IDetectGameList
{
    std::vector<std::vector<std::shared_ptr<IDetectVersion>>> games;
    int32_t Count() override { return static_cast<int32_t>(games.size()); }
    bool boGetGameVersions(int32_t game, std::vector<std::shared_ptr<IDetectVersion>>& versions) override
    {
        versions = games[static_cast<size_t>(game)];
        return true;
    }
};
} // namespace

TEST(DPScan, MarksRegisteredApplications)
{
    std::vector<SDPApplication> apps(3);
    boParseGuidText("{99999999-2222-3333-4444-555555555555}", apps[0].guid);
    boParseGuidText("{11111111-2222-3333-4444-555555555555}", apps[1].guid);
    apps[1].path = "C:\\Jeux\\Un";
    apps[1].file = "un.exe";
    apps[2] = apps[1];
    apps[2].path = "C:\\Jeux\\Deux"; // same GUID: the first one counts

    auto found = std::make_shared<CFakeVersion>();
    found->raw = kDpinfo;
    auto absent = std::make_shared<CFakeVersion>();
    absent->raw = "<dpinfo><GUID>{12345678-2222-3333-4444-555555555555}</GUID></dpinfo>";
    auto noText = std::make_shared<CFakeVersion>();
    noText->status = 1;
    auto kept = std::make_shared<CFakeVersion>(); // already absent: never rewritten
    kept->raw = kDpinfo;
    kept->status = -1;
    CFakeList list;
    list.games = {{found, absent}, {noText, kept}};

    vScanDPApplications(apps, list);
    EXPECT_EQ(found->status, 1);
    ASSERT_TRUE(found->volumes.count("DP"));
    const auto& values = found->volumes["DP"]->values;
    EXPECT_EQ(values.at("dpguid"), "{11111111-2222-3333-4444-555555555555}");
    EXPECT_EQ(values.at("dppath"), "C:\\Jeux\\Un");
    EXPECT_EQ(values.at("dpfile"), "un.exe");
    EXPECT_EQ(absent->status, -1);
    EXPECT_TRUE(absent->volumes.empty());
    EXPECT_EQ(noText->status, -1);
    EXPECT_EQ(kept->status, -1);
    EXPECT_TRUE(kept->volumes.empty());
}
