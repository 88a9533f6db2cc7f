// The drive-type mask: whole nibbles select, the check boxes' arithmetic, the
// stored decimal text; the dialogs' text keys.
#include "DialogKeys.h"
#include "DiskSearchRes.h"
#include "DriveMask.h"

#include <gtest/gtest.h>

TEST(DriveMask, TypeSelectedOnlyByAWholeNibble)
{
    const struct
    {
        uint32_t dwMask;
        uint32_t dwType;
        bool boSelected;
    } cases[] = {
        {0x000F, kDriveTypeFixed, true},         {0x0007, kDriveTypeFixed, false},
        {0x00F0, kDriveTypeNetwork, true},       {0x0080, kDriveTypeNetwork, false},
        {0x0F00, kDriveTypeCdrom, true},         {0xF000, kDriveTypeRemovable, true},
        {0xFFFF, 1 /* no root */, false},        {0xFFFF, 6 /* RAM disk */, false},
        {0xFFFF, 0 /* unknown */, false},        {0x000F, kDriveTypeNetwork, false},
        {0xFFFFFFFF, kDriveTypeRemovable, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.boSelected, boDriveTypeSelected(c.dwMask, c.dwType))
            << "mask 0x" << std::hex << c.dwMask << " type " << std::dec << c.dwType;
}

TEST(DriveMask, CheckBoxClicks)
{
    const struct
    {
        uint32_t dwMask;
        uint32_t dwNibble;
        bool boChecked;
        uint32_t dwAfter;
    } cases[] = {
        {0x0000, kDriveNibbleNetwork, true, 0x00F0},
        {0x0030, kDriveNibbleNetwork, true, 0x00F0}, // a partial nibble becomes whole
        {0x0FF0, kDriveNibbleNetwork, false, 0x0F00},
        {0x0030, kDriveNibbleNetwork, false, 0x0030}, // unchecked but not wholly set: kept
        {0xF00F, kDriveNibbleRemovable, false, 0x000F},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.dwAfter, dwMaskAfterCheck(c.dwMask, c.dwNibble, c.boChecked))
            << "mask 0x" << std::hex << c.dwMask << " nibble 0x" << c.dwNibble << " checked " << c.boChecked;
}

TEST(DriveMask, UpdateAlwaysSearchesFixedDrives)
{
    EXPECT_EQ(0x00FFu, dwUpdateSearchMask(0x00F0));
    EXPECT_EQ(0x000Fu, dwUpdateSearchMask(0));
    EXPECT_TRUE(boDriveTypeSelected(dwUpdateSearchMask(0x0003), kDriveTypeFixed));
}

TEST(DriveMask, StoredText)
{
    const struct
    {
        const char* lpszText;
        uint32_t dwMask;
    } reads[] = {
        {"15", 15}, {"255", 255}, {" 4095", 4095},    {"61455x", 61455},
        {"", 0},    {"abc", 0},   {"-1", 0xFFFFFFFF}, {"+240", 240},
    };
    for (const auto& r : reads)
        EXPECT_EQ(r.dwMask, dwDriveMaskFromText(r.lpszText)) << "text \"" << r.lpszText << "\"";

    EXPECT_EQ("15", strDriveMaskText(15));
    EXPECT_EQ("65535", strDriveMaskText(0xFFFF));
    // The 32 bits as a signed number, and back.
    EXPECT_EQ("-268374001", strDriveMaskText(0xF000F00F));
    EXPECT_EQ(0xF000F00Fu, dwDriveMaskFromText(strDriveMaskText(0xF000F00F)));
}

TEST(DialogKeys, EachKeyNamesItsControl)
{
    const struct
    {
        const char* lpszKey;
        int32_t lSearch;
        int32_t lDriveType;
    } cases[] = {
        {"_SEARCH_DLG_TITLE_", IDD_DISKSEARCH, 0},
        {"_SEARCH_DLG_BUTTON_SKIPDISK_", 5, 0},
        {"_SEARCH_DLG_BUTTON_STOPHERE_", 3, 0},
        {"_SEARCH_DLG_BUTTON_CANCEL_", 2, 0},
        {"_SEARCH_DLG_TEXT_FILEFOUND_", 212, 0},
        {"_SEARCH_DLG_TEXT_PROGRESS_", 218, 0},
        {"_SEARCH_DLG_TEXT_DIRECTORY_", 216, 0},
        {"_DISKTYPE_DLG_TITLE_", 0, IDD_DRIVETYPE},
        {"_DISKTYPE_DLG_CHECK_FIXED_", 0, 203},
        {"_DISKTYPE_DLG_CHECK_NETWORK_", 0, 204},
        {"_DISKTYPE_DLG_CHECK_REMOVABLE_", 0, 205},
        {"_DISKTYPE_DLG_CHECK_CDROM_", 0, 206},
        {"_DISKTYPE_DLG_MESSAGE_FIXED_", 0, 208},
        {"_DISKTYPE_DLG_MESSAGE_NETWORK_", 0, 209},
        {"_DISKTYPE_DLG_MESSAGE_REMOVABLE_", 0, 211},
        {"_DISKTYPE_DLG_MESSAGE_CDROM_", 0, 213},
        {"_DISKTYPE_DLG_MESSAGE_MESSAGE_", 0, 215},
        {"_search_dlg_title_", 0, 0}, // keys are exact
        {"", 0, 0},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(c.lSearch, lSearchDlgControlOfKey(c.lpszKey)) << c.lpszKey;
        EXPECT_EQ(c.lDriveType, lDriveTypeDlgControlOfKey(c.lpszKey)) << c.lpszKey;
    }
    EXPECT_EQ(0, lSearchDlgControlOfKey(nullptr));
    EXPECT_EQ(0, lDriveTypeDlgControlOfKey(nullptr));
}
