// The walk over a fake file system: drive selection, matching, order, links,
// the depth bound, stop, cancel and skip, and the progress ratio.
#include "DirWalker.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace
{
constexpr uint64_t kMB = 1048576;

class CFakeSource : public IDirSource
{
public:
    std::vector<SWalkDrive> drives;
    std::map<std::string, std::vector<SDirEntry>> folders; // keys end with a backslash
    std::vector<std::string> listed;

    void vFolder(const std::string& strPath, std::vector<SDirEntry> entries)
    {
        folders[strPath] = std::move(entries);
    }

    std::vector<SWalkDrive> Drives() override { return drives; }
    bool boListFolder(const std::string& strFolder, const EntrySink& sink) override
    {
        listed.push_back(strFolder);
        auto it = folders.find(strFolder);
        if (it == folders.end())
            return false;
        for (const SDirEntry& e : it->second)
            if (!sink(e))
                break;
        return true;
    }
};

SDirEntry Folder(const std::string& strName, bool boReparse = false)
{
    SDirEntry e;
    e.strName = strName;
    e.boFolder = true;
    e.boReparse = boReparse;
    return e;
}

SDirEntry File(const std::string& strName, uint64_t ullSize = 0)
{
    SDirEntry e;
    e.strName = strName;
    e.ullSize = ullSize;
    return e;
}

class CRecordingOwner : public IDirWalkerOwner
{
public:
    struct SProgress
    {
        std::string strFolder;
        double dRatio;
    };
    std::vector<SProgress> progress;
    std::vector<std::string> found;
    int iDrivesDone = 0;
    // Answers given at the progress call of this folder.
    std::string strStopAt, strSkipAt;
    bool boCancel = false;

    void vOnWalkProgress(const std::string& strFolder, double dRatio, bool& boStop, bool& boCancelOut,
                         bool& boSkip) override
    {
        progress.push_back({strFolder, dRatio});
        if (strFolder == strStopAt)
        {
            boStop = true;
            boCancelOut = boCancel;
        }
        if (strFolder == strSkipAt)
            boSkip = true;
    }
    void vOnWalkFileFound(const std::string& strPath, int32_t iCount) override
    {
        found.push_back(strPath);
        EXPECT_EQ(static_cast<int32_t>(found.size()), iCount);
    }
    void vOnWalkDriveDone() override { ++iDrivesDone; }
};

class DirWalkerTest : public ::testing::Test
{
protected:
    // C: fixed with a game in a sub-folder and a link back to the root, D: a
    // CD-ROM, E: a network drive.
    void SetUp() override
    {
        source.drives = {{"C:\\", 3, 4}, {"D:\\", 5, 1}, {"E:\\", 4, 100}};
        source.vFolder("C:\\",
                       {File("boot.ini", kMB), Folder("Games"), Folder("loop", true), File("GAME.EXE", kMB)});
        source.vFolder("C:\\Games\\",
                       {Folder("."), Folder(".."), File("game.exe", 2 * kMB), File("readme.txt")});
        source.vFolder("C:\\loop\\", {File("GAME.EXE")});
        source.vFolder("D:\\", {Folder("Setup")});
        source.vFolder("D:\\Setup\\", {File("Game.Exe")});
        source.vFolder("E:\\", {File("game.exe")});
        walker.Names().boAdd("game.exe");
    }

    CFakeSource source;
    CRecordingOwner owner;
    CDirWalker walker{owner, source};
};
} // namespace

TEST(ProgressRatio, NeverDividesByZero)
{
    const struct
    {
        double dSeen, dTotal, dRatio;
    } cases[] = {
        {0, 0, 0}, {5, 0, 0}, {5, -1, 0}, {0, 10, 0}, {5, 10, 0.5}, {10, 10, 1}, {20, 10, 1}, {-1, 10, 0},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(c.dRatio, dProgressRatio(c.dSeen, c.dTotal)) << c.dSeen << " of " << c.dTotal;

    EXPECT_EQ(0, lProgressPosition(0, 1000));
    EXPECT_EQ(500, lProgressPosition(0.5, 1000));
    EXPECT_EQ(999, lProgressPosition(0.9999, 1000));
    EXPECT_EQ(1000, lProgressPosition(1.5, 1000));
    EXPECT_EQ(0, lProgressPosition(-0.5, 1000));
    EXPECT_EQ(0, lProgressPosition(0.5, 0));
}

TEST(SearchNames, NoDuplicatesAndCaseIgnored)
{
    CSearchNames names;
    EXPECT_TRUE(names.boAdd("GAME.EXE"));
    EXPECT_FALSE(names.boAdd("game.exe"));
    EXPECT_FALSE(names.boAdd(""));
    EXPECT_TRUE(names.boAdd("setup.exe"));
    EXPECT_EQ((std::vector<std::string>{"GAME.EXE", "setup.exe"}), names.Names());

    EXPECT_TRUE(names.boMatches("Game.Exe"));
    EXPECT_TRUE(names.boMatches("SETUP.EXE"));
    EXPECT_FALSE(names.boMatches("game.exe.bak"));
    EXPECT_FALSE(names.boMatches("game"));
    names.vClear();
    EXPECT_FALSE(names.boMatches("game.exe"));
}

TEST(SearchRoots, SplitList)
{
    EXPECT_EQ((std::vector<std::string>{"C:\\", "D:\\games\\"}), SplitSearchRoots("C:\\;D:\\games"));
    EXPECT_EQ((std::vector<std::string>{"C:\\"}), SplitSearchRoots(";;C:;"));
    EXPECT_TRUE(SplitSearchRoots("").empty());
}

TEST_F(DirWalkerTest, FixedDrivesOnlyInListingOrderWithoutEnteringLinks)
{
    walker.vSetMask(0x000F);
    EXPECT_EQ(kSearchCompleted, walker.lWalkDrives());
    // Depth first as listed: the sub-folder's file before the root's last file.
    EXPECT_EQ((std::vector<std::string>{"C:\\Games\\game.exe", "C:\\GAME.EXE"}), owner.found);
    EXPECT_EQ((std::vector<std::string>{"C:\\", "C:\\Games\\"}), source.listed);
    EXPECT_EQ(2, walker.lFoundCount());
    EXPECT_EQ(4u, walker.ullFilesSeen());
    EXPECT_EQ(1, owner.iDrivesDone);
    EXPECT_DOUBLE_EQ(4, walker.dTotalMB());
    EXPECT_DOUBLE_EQ(4, walker.dSeenMB());
}

TEST_F(DirWalkerTest, MaskSelectsDrivesAndTheirSpace)
{
    walker.vSetMask(0x0F0F);
    EXPECT_EQ(kSearchCompleted, walker.lWalkDrives());
    ASSERT_EQ(2u, walker.SelectedDrives().size());
    EXPECT_EQ("D:\\", walker.SelectedDrives()[1].strRoot);
    EXPECT_DOUBLE_EQ(5, walker.dTotalMB());
    EXPECT_EQ("D:\\Setup\\Game.Exe", owner.found.back());
    EXPECT_EQ(2, owner.iDrivesDone);

    // The ratio at each folder: MB seen so far over the selected drives' MB.
    ASSERT_EQ(4u, owner.progress.size());
    EXPECT_DOUBLE_EQ(0, owner.progress[0].dRatio);   // C:\ //
    EXPECT_DOUBLE_EQ(0.2, owner.progress[1].dRatio); // C:\Games\ after boot.ini
    EXPECT_DOUBLE_EQ(0.8, owner.progress[2].dRatio); // D:\ //
}

TEST_F(DirWalkerTest, NoDriveSelectedCompletesAtOnce)
{
    source.drives = {{"D:\\", 5, 1}};
    walker.vSetMask(0x000F);
    EXPECT_EQ(kSearchCompleted, walker.lWalkDrives());
    EXPECT_TRUE(source.listed.empty());
    EXPECT_TRUE(owner.progress.empty());
}

TEST_F(DirWalkerTest, NoUsedSpaceGivesRatioZero)
{
    source.drives = {{"C:\\", 3, 0}};
    walker.vSetMask(0x000F);
    EXPECT_EQ(kSearchCompleted, walker.lWalkDrives());
    ASSERT_EQ(2u, owner.progress.size());
    EXPECT_DOUBLE_EQ(0, owner.progress[1].dRatio);
    EXPECT_DOUBLE_EQ(0, walker.dLastRatio());
}

TEST_F(DirWalkerTest, StopHereKeepsWhatWasFound)
{
    walker.vSetMask(0xFFFF);
    owner.strStopAt = "D:\\";
    EXPECT_EQ(kSearchCompleted, walker.lWalkDrives());
    EXPECT_EQ(2u, owner.found.size());
    EXPECT_EQ((std::vector<std::string>{"C:\\", "C:\\Games\\"}), source.listed); // D:\ is not read
}

TEST_F(DirWalkerTest, CancelGives401)
{
    walker.vSetMask(0xFFFF);
    owner.strStopAt = "C:\\Games\\";
    owner.boCancel = true;
    EXPECT_EQ(kSearchCancelled, walker.lWalkDrives());
    EXPECT_EQ((std::vector<std::string>{"C:\\"}), source.listed);
    EXPECT_TRUE(owner.found.empty()); // the listing of C:\ ended at the stop

    // A new walk after a reset runs whole.
    walker.vResetStop();
    owner.strStopAt.clear();
    owner.found.clear();
    EXPECT_EQ(kSearchCompleted, walker.lWalkDrives());
    EXPECT_EQ(4u, owner.found.size());
}

TEST_F(DirWalkerTest, StopFromOutsideBeforeTheWalk)
{
    walker.vSetMask(0x000F);
    walker.vRequestStop(true);
    EXPECT_EQ(kSearchCancelled, walker.lWalkDrives());
    EXPECT_TRUE(source.listed.empty());
}

TEST_F(DirWalkerTest, SkipDiskMovesOnToTheNextDrive)
{
    walker.vSetMask(0x0F0F);
    owner.strSkipAt = "C:\\Games\\";
    EXPECT_EQ(kSearchCompleted, walker.lWalkDrives());
    // C:\Games\ is not read, the rest of C:\ neither; D: is walked whole.
    EXPECT_EQ((std::vector<std::string>{"C:\\", "D:\\", "D:\\Setup\\"}), source.listed);
    EXPECT_EQ((std::vector<std::string>{"D:\\Setup\\Game.Exe"}), owner.found);
    EXPECT_EQ(2, owner.iDrivesDone);
}

TEST_F(DirWalkerTest, DepthBoundOnEachSide)
{
    // A chain of folders "d" below C:\, a game.exe in each.
    source.drives = {{"C:\\", 3, 1}};
    std::string strPath = "C:\\";
    for (int i = 0; i <= kMaxWalkDepth + 1; ++i)
    {
        source.vFolder(strPath, {File("game.exe"), Folder("d")});
        strPath += "d\\";
    }
    walker.vSetMask(0x000F);
    EXPECT_EQ(kSearchCompleted, walker.lWalkDrives());
    // Depth 0 (the root) to kMaxWalkDepth are read; the next is not.
    EXPECT_EQ(static_cast<size_t>(kMaxWalkDepth + 1), source.listed.size());
    EXPECT_EQ(static_cast<size_t>(kMaxWalkDepth + 1), owner.found.size());
    EXPECT_EQ(3u + 2u * kMaxWalkDepth, source.listed.back().size());
}

TEST_F(DirWalkerTest, UnreadableFolderSkipped)
{
    source.folders.erase("C:\\Games\\");
    walker.vSetMask(0x000F);
    EXPECT_EQ(kSearchCompleted, walker.lWalkDrives());
    EXPECT_EQ((std::vector<std::string>{"C:\\GAME.EXE"}), owner.found);
}
