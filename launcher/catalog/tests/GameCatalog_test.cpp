#include <gtest/gtest.h>

#include "GameCatalog.h"
#include "StringMap.h"

namespace
{
std::unique_ptr<CZeltoGame> Game(const char* id, const char* technoId)
{
    std::unique_ptr<CZeltoGame> game(new CZeltoGame);
    game->id = id;
    game->technoId = technoId;
    return game;
}
} // namespace

TEST(GameDictionary, SetAtReplacesNameAndValueAnyCaseGetAtIsExact)
{
    CZeltoGenericEnumerator dict;
    dict.SetAt("Key", "v");
    dict.SetAt("KEY", "w");
    ASSERT_EQ(dict.Count(), 1);
    EXPECT_EQ(dict.GetAt("key"), "");
    EXPECT_EQ(dict.GetAt("KEY"), "w");
    EXPECT_TRUE(dict.RemoveAt("kEy"));
    EXPECT_FALSE(dict.RemoveAt("KEY"));
    EXPECT_EQ(dict.Count(), 0);
}

TEST(GameDictionary, GetNextPastTheEndGivesEmptyTextsAndMoveToFirstRestarts)
{
    CZeltoGenericEnumerator dict;
    dict.SetAt("a", "1");
    dict.SetAt("b", "2");
    CStringExt name, value;
    ASSERT_TRUE(dict.GetNext(name, value));
    EXPECT_EQ(name + value, "a1");
    ASSERT_TRUE(dict.GetNext(name, value));
    EXPECT_EQ(name + value, "b2");
    EXPECT_FALSE(dict.GetNext(name, value));
    EXPECT_EQ(name, "");
    EXPECT_EQ(value, "");
    dict.MoveToFirst();
    ASSERT_TRUE(dict.GetNext(name, value));
    EXPECT_EQ(name, "a");
    dict.RemoveAll();
    EXPECT_FALSE(dict.GetNext(name, value));
}

TEST(GameList, TechnologyFilterCountsAndIndexesOnlyItsGames)
{
    CZeltoGameList list;
    list.Add(Game("1", "A"));
    list.Add(Game("2", "B"));
    list.Add(Game("3", "a"));
    list.SetTechnoFilter("A");
    EXPECT_EQ(list.Count(), 2);
    ASSERT_NE(list.GetAt(1), nullptr);
    EXPECT_EQ(list.GetAt(1)->id, "3");
    EXPECT_EQ(list.GetAt(2), nullptr);
    EXPECT_FALSE(list.RemoveAt(2));
    EXPECT_TRUE(list.SetAt(1, Game("4", "A")));
    EXPECT_EQ(list.Copy()->Count(), 3); // the copy ignores the filter
    EXPECT_TRUE(list.RemoveAt(0));
    list.SetTechnoFilter("");
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.GetAt(0)->id, "2");
    EXPECT_EQ(list.GetAt(1)->id, "4");
    EXPECT_EQ(list.GetAt(-1), nullptr);
}

TEST(GameVersion, VolumesByNameAnyCase)
{
    CZeltoGameVersion version;
    CGameVolume* first = version.CreateVolume("Install");
    first->pairs.SetAt("path", "C:\\x");
    EXPECT_EQ(version.CreateVolume("INSTALL"), first);
    EXPECT_EQ(version.FindVolume("install"), first);
    version.CreateVolume("other");
    EXPECT_EQ(version.VolumeCount(), 2);
    EXPECT_EQ(version.VolumeAt(2), nullptr);
    version.RemoveAllVolumesBut("OTHER");
    ASSERT_EQ(version.VolumeCount(), 1);
    EXPECT_EQ(version.VolumeAt(0)->name, "other");
    version.RemoveAllVolumesBut("none");
    EXPECT_EQ(version.VolumeCount(), 0);
}

TEST(GameCopy, CopiesVersionsVolumesAttributesAndCompatibilities)
{
    std::unique_ptr<CZeltoGame> game = Game("g", "t");
    game->attributes.push_back(CGameAttribute{"opt", "Option", true, false, "list", "x", {}});
    EXPECT_TRUE(AddAttributeOption(game->attributes, "OPT", "o1", "one"));
    EXPECT_FALSE(AddAttributeOption(game->attributes, "none", "o1", "one"));
    std::unique_ptr<CZeltoGameVersion> version(new CZeltoGameVersion);
    version->id = "v1";
    version->CreateVolume("DP")->pairs.SetAt("k", "v");
    version->compatibilities.emplace_back(new CGameCompatibility);
    version->compatibilities.back()->candidates->Add(Game("c", ""));
    game->versions->Add(std::move(version));

    std::unique_ptr<CZeltoGame> copy = game->Copy();
    game->versions->GetAt(0)->FindVolume("DP")->pairs.SetAt("k", "changed");
    ASSERT_EQ(copy->versions->Count(), 1);
    const CZeltoGameVersion& copied = *copy->versions->GetAt(0);
    EXPECT_EQ(copied.id, "v1");
    EXPECT_EQ(copy->attributes.at(0).options.at(0).second, "one");
    EXPECT_EQ(const_cast<CZeltoGameVersion&>(copied).FindVolume("dp")->pairs.GetAt("k"), "v");
    ASSERT_EQ(copied.compatibilities.size(), 1u);
    EXPECT_EQ(copied.compatibilities[0]->candidates->GetAt(0)->id, "c");
    EXPECT_EQ(copy->Dump().substr(0, 22), "[ID:g] [Sub:] <>{ 1 ve");
}

TEST(GameLaunch, ModeVerbVolumesAndTechDataExpansion)
{
    std::unique_ptr<CZeltoGame> game = Game("g", "cmd");
    EXPECT_EQ(TechnoIdOf(game.get()), "cmd");
    EXPECT_EQ(TechnoIdOf(nullptr), "");
    for (int i = 0; i < 2; ++i)
        game->versions->Add(std::unique_ptr<CZeltoGameVersion>(new CZeltoGameVersion));
    EXPECT_EQ(SetLaunchModeAndVerb(game.get(), 2, "open"), 2);
    EXPECT_EQ(game->versions->GetAt(1)->contextData.launchMode, 2);
    EXPECT_EQ(game->versions->GetAt(1)->contextData.launchVerb, "open");

    CZeltoGameVersion& version = *game->versions->GetAt(0);
    version.techData.plugData = "<run exe=\"%path%\\game.exe\" x=\"%other%\"/>";
    version.techData.rawData = "%path%";
    CGameVolume* volume = version.CreateVolume("cmd");
    volume->pairs.SetAt("path", "C:\\Jeux");
    volume->pairs.SetAt("", "ignored");
    EXPECT_EQ(ExpandTechData(game.get()), 2);
    EXPECT_EQ(version.techData.plugData, "<run exe=\"C:\\Jeux\\game.exe\" x=\"%other%\"/>");
    EXPECT_EQ(version.techData.rawData, "C:\\Jeux");

    CStringMap map;
    EXPECT_EQ(VolumeToMap(volume->pairs, map), 1);
}
