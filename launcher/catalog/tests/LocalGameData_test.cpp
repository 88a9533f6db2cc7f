// The local game data in the registry (a fresh prefix of its own).
#include "GameDefinitions.h"
#include "LocalGameData.h"
#include "Registry.h"

#include <gtest/gtest.h>

TEST(LocalGameData, SavedScrambledAndLoadedBack)
{
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Zelto\\Ludex\\localdata");
    EXPECT_EQ(ReadLocalGameData(), "");
    EXPECT_EQ(LoadLocalGameList()->Count(), 0);

    EXPECT_EQ(0, MergeDefinitionsIntoLocalData("<r><game xmlns=\"g.def\" gid=\"zelto\"><gname>Zelto War</gname>"
                                               "<version vnbr=\"1\"/></game></r>"));
    const CStringExt stored = RegReadValue(kLocalDataKey, kLocalDataValue, "");
    EXPECT_EQ(stored.find("Zelto War"), std::string::npos); // scrambled
    EXPECT_NE(ReadLocalGameData().find("Zelto War"), std::string::npos);
    auto local = LoadLocalGameList();
    ASSERT_EQ(local->Count(), 1);
    EXPECT_EQ(local->GetAt(0)->name, "Zelto War");

    // A truncated or malformed document: an error, and the saved list as it was.
    for (const char* bad : {"<r><game xmlns=\"g.def\" gid=\"other\"><version vnbr=\"1\"/>",
                            "<r><game xmlns=\"g.def\" gid=\"other\"></r></game>"})
    {
        SCOPED_TRACE(bad);
        EXPECT_NE(0, MergeDefinitionsIntoLocalData(bad));
        EXPECT_EQ(RegReadValue(kLocalDataKey, kLocalDataValue, ""), stored);
    }
    EXPECT_EQ(0, MergeDefinitionsIntoLocalData("<game xmlns=\"g.def\" gid=\"b\"><version vnbr=\"2\"/></game>"));
    EXPECT_EQ(LoadLocalGameList()->Count(), 2);
}
