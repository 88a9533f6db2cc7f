#include <gtest/gtest.h>

#include "GameDefinitions.h"
#include "StringMap.h"

namespace
{
const char kDefinitions[] =
    "<ludexs.gdef>"
    "<game xmlns=\"g.def\" gid=\"42\" gsub=\"2\" zgdv=\"1.5\" technoid=\"cmd\">"
    "<gname>Caf&eacute; &amp; co</gname><gdesc>Le jeu</gdesc>"
    "<gscripts definition=\"d.xml\" compatibility=\"c.xml\"/>"
    "<gtechdata><t a=\"1\">x &amp; y</t></gtechdata>"
    "<gattribs><attrib name=\"mode\" fname=\"Mode\" editable=\"yes\" hide=\"0\" type=\"list\">easy"
    "<option name=\"e\">Easy</option></attrib></gattribs>"
    "<version vnbr=\"1.0\" vid=\"v1\" vsub=\"s\" vos=\"win32\" vlang=\"fr\" viconf=\"i.ico\">"
    "<vname>Un</vname><vdesc>Premier</vdesc>"
    "<lmess butts=\"yesno\" icon=\"info\" title=\"T\">Lancer ?</lmess>"
    "<vplugdata><p/></vplugdata>"
    "<vstatus vlnchmd=\"2\" vlis=\"-1\"/>"
    "<vxdata><xitem name=\"x\"><val>1</val></xitem></vxdata>"
    "<vdd vddn=\"DP\"><vdi n=\"path\"><val>C:\\a</val></vdi></vdd>"
    "<vdd vddn=\"dp\"><vdi n=\"exe\"><val>b.exe</val></vdi></vdd>"
    "<compatibilities><compat type=\"Incompatible\" default=\"yes\" level=\"3\">"
    "<cmess title=\"Non\" butts=\"ok\" icon=\"error\">Pas ici</cmess>"
    "<game xmlns=\"g.compat.candidate\" gid=\"7\"><version vnbr=\"2\"/></game>"
    "<game xmlns=\"g.compat.candidate\" gid=\"8\"><version vnbr=\"3\"/></game>"
    "<game xmlns=\"\" gid=\"9\"><version vnbr=\"3\"/></game>"
    "</compat></compatibilities>"
    "</version>"
    "<version vnbr.gte=\"2.0\"/>"
    "<version vnbr.gt=\"1\" vnbr.gte=\"2\" vnbr.lte=\"5\" vnbr.type=\"S\"/>"
    "<version vnbr.type=\"text\" vnbr.lt=\"9\"/>"
    "<version><vname>only a name</vname></version>"
    "</game>"
    "<game xmlns=\"g.compat.ref\" gid=\"other\"/>"
    "</ludexs.gdef>";
} // namespace

TEST(GameDefinitions, ReadsGamesVersionsAndTheirParts)
{
    int32_t error = -1;
    auto list = ParseGameDefinitions(kDefinitions, "g.def", &error);
    EXPECT_EQ(error, 0);
    ASSERT_EQ(list->Count(), 1);
    const CZeltoGame& game = *list->GetAt(0);
    EXPECT_EQ(game.id, "42");
    EXPECT_EQ(game.subId, "2");
    EXPECT_EQ(game.definitionVersion, "1.5");
    EXPECT_EQ(game.technoId, "cmd");
    EXPECT_EQ(game.name, "Caf\xE9 & co");
    EXPECT_EQ(game.description, "Le jeu");
    EXPECT_EQ(game.definitionScript, "d.xml");
    EXPECT_EQ(game.compatibilityScript, "c.xml");
    EXPECT_EQ(game.techData.rawData, "<t a=\"1\">x &amp; y</t>");
    EXPECT_EQ(game.techData.plugData, "");
    ASSERT_EQ(game.attributes.size(), 1u);
    EXPECT_EQ(game.attributes[0].value, "easy");
    EXPECT_TRUE(game.attributes[0].editable);
    EXPECT_EQ(game.attributes[0].options.at(0).second, "Easy");

    ASSERT_EQ(game.versions->Count(), 4); // the one with only vname is skipped
    CZeltoGameVersion& v = *game.versions->GetAt(0);
    EXPECT_EQ(v.number + v.id + v.subVersion + v.operatingSystem + v.language + v.iconFile, "1.0v1swin32fri.ico");
    EXPECT_EQ(v.name + "|" + v.description, "Un|Premier");
    EXPECT_EQ(v.launchMessage, "Lancer ?");
    EXPECT_EQ(v.launchMessageTitle, "T");
    EXPECT_EQ(v.launchMessageStyle, 0x44u);
    EXPECT_EQ(v.techData.plugData, "<p/>");
    EXPECT_EQ(v.contextData.launchMode, 2);
    EXPECT_EQ(v.contextData.localInstallStatus, -1);
    EXPECT_EQ(v.extraParameters.GetAt("x"), "1");
    ASSERT_EQ(v.VolumeCount(), 1); // "DP" and "dp" are one volume
    EXPECT_EQ(v.FindVolume("DP")->pairs.Count(), 2);
    ASSERT_EQ(v.compatibilities.size(), 1u);
    const CGameCompatibility& compat = *v.compatibilities[0];
    EXPECT_FALSE(compat.compatible);
    EXPECT_TRUE(compat.isDefault);
    EXPECT_EQ(compat.level, 3);
    EXPECT_EQ(compat.message + "|" + compat.title, "Pas ici|Non");
    EXPECT_EQ(compat.style, 0x10u);
    ASSERT_EQ(compat.candidates->Count(), 2); // not the game without the namespace
    EXPECT_EQ(compat.candidates->GetAt(1)->id, "8");

    struct CBounds
    {
        const char* lower;
        uint32_t lowerInclusive;
        const char* upper;
        uint32_t upperInclusive, numeric, text;
    };
    const CBounds expected[] = {{"2.0", 1, "", 0, 0, 0}, {"1", 0, "5", 1, 1, 0}, {"", 0, "9", 0, 0, 1}};
    for (int i = 0; i < 3; ++i)
    {
        SCOPED_TRACE(i);
        const CZeltoGameVersion& b = *game.versions->GetAt(i + 1);
        EXPECT_EQ(b.lowerBound, expected[i].lower);
        EXPECT_EQ(b.lowerInclusive, expected[i].lowerInclusive);
        EXPECT_EQ(b.upperBound, expected[i].upper);
        EXPECT_EQ(b.upperInclusive, expected[i].upperInclusive);
        EXPECT_EQ(b.numericCompare, expected[i].numeric);
        EXPECT_EQ(b.stringCompare, expected[i].text);
    }
    EXPECT_EQ(ParseGameDefinitions(kDefinitions, "g.compat.ref")->GetAt(0)->id, "other");
}

TEST(GameDefinitions, TruncatedOrMalformedTextGivesAnErrorAndNoGames)
{
    const std::string whole(kDefinitions);
    for (const std::string& text : {whole.substr(0, whole.size() / 2), std::string("<game xmlns=\"g.def\" gid=\"1\">"),
                                    std::string("<a><game xmlns=\"g.def\"></a></game>")})
    {
        SCOPED_TRACE(text);
        int32_t error = 0;
        EXPECT_EQ(ParseGameDefinitions(text, "g.def", &error)->Count(), 0);
        EXPECT_NE(error, 0);
    }
}

TEST(GameDefinitions, WriteThenReadKeepsTheStoredFieldsAndDropsTheRest)
{
    auto list = ParseGameDefinitions(kDefinitions, "g.def");
    list->GetAt(0)->versions->GetAt(0)->FindVolume("dp")->pairs.SetAt("q", "a<b>&\"c\"");
    const CStringExt text = WriteGameDefinitions(*list, "g.def");
    int32_t error = -1;
    auto back = ParseGameDefinitions(text, "g.def", &error);
    ASSERT_EQ(error, 0) << text;
    ASSERT_EQ(back->Count(), 1);
    const CZeltoGame& game = *back->GetAt(0);
    EXPECT_EQ(game.id + "|" + game.subId + "|" + game.technoId + "|" + game.definitionVersion, "42|2|cmd|1.5");
    EXPECT_EQ(game.name, "Caf\xE9 & co");
    EXPECT_EQ(game.techData.rawData, "<t a=\"1\">x &amp; y</t>");
    EXPECT_EQ(game.definitionScript, ""); // scripts are not written
    EXPECT_EQ(game.attributes.at(0).options.at(0).second, "Easy");
    // Versions without anything that identifies them (bounds only) are not read back.
    ASSERT_EQ(game.versions->Count(), 1);
    CZeltoGameVersion& v = *game.versions->GetAt(0);
    EXPECT_EQ(v.number + v.id + v.subVersion + v.operatingSystem + v.language + v.iconFile, "1.0v1swin32fri.ico");
    EXPECT_EQ(v.name, "Un");
    EXPECT_EQ(v.launchMessage, "Lancer ?");
    EXPECT_EQ(v.launchMessageStyle, 0x44u); // the style reads back
    EXPECT_EQ(v.contextData.launchMode, 2);
    EXPECT_EQ(v.contextData.localInstallStatus, -1);
    EXPECT_EQ(v.extraParameters.GetAt("x"), "1");
    ASSERT_NE(v.FindVolume("DP"), nullptr);
    EXPECT_EQ(v.FindVolume("DP")->pairs.GetAt("q"), "a<b>&\"c\"");
    EXPECT_EQ(v.techData.plugData, "<p/>");
    EXPECT_TRUE(v.compatibilities.empty());
    EXPECT_EQ(v.lowerBound, "");
}

TEST(GameDefinitions, ScrambleTextVectors)
{
    struct CCase
    {
        const char* text;
        const char* key;
        const char* scrambled;
    };
    const CCase cases[] = {
        {"A0 z<g>", "abc", "M0 v<k>"},
        {"anything", "", "anything"},
        {"<a b=\"1\"/> ,;", "\x7F\x7F", "<n m=\"1\"/> ,;"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ScrambleText(c.text, c.key), c.scrambled);
        EXPECT_EQ(ScrambleText(ScrambleText(c.text, c.key), c.key), c.text);
    }
    // 'z' ^ 12 is 'v', 'A' ^ (0x80 >> 3 = -16) would not be a letter or digit.
    EXPECT_EQ(ScrambleText("A", "\x80"), "A");
    const std::string document = WriteGameDefinitions(*ParseGameDefinitions(kDefinitions, "g.def"), "g.def");
    EXPECT_NE(ScrambleLocalData(document), document);
    EXPECT_EQ(UnscrambleLocalData(ScrambleLocalData(document)), document);
}

TEST(GameDefinitions, GameVarsFromGameAndItsFirstVersion)
{
    auto list = ParseGameDefinitions(kDefinitions, "g.def");
    for (const char* prefix : {"lgame", "lgame."})
    {
        CStringMap vars;
        GameVarsFromGame(list->GetAt(0), prefix, vars);
        EXPECT_EQ(vars.GetCount(), 11);
        CStringExt value;
        EXPECT_TRUE(vars.Lookup("lgame.gid", value));
        EXPECT_EQ(value, "42");
        EXPECT_TRUE(vars.Lookup("lgame.vnbr", value));
        EXPECT_EQ(value, "1.0");
    }
    CStringMap bare;
    CZeltoGame empty;
    GameVarsFromGame(&empty, "", bare);
    EXPECT_EQ(bare.GetCount(), 4);
    CStringExt value;
    EXPECT_TRUE(bare.Lookup("gid", value));
}
