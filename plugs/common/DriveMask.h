// The drive-type mask of the disk search: one nibble per drive type, a type is
// searched only when its whole nibble is set. Stored as decimal text.
#pragma once

#include <cstdint>
#include <string>

enum : uint32_t
{
    kDriveNibbleFixed = 0x000F,
    kDriveNibbleNetwork = 0x00F0,
    kDriveNibbleCdrom = 0x0F00,
    kDriveNibbleRemovable = 0xF000,
};

// GetDriveTypeA's numbers for the types the mask knows.
enum : uint32_t
{
    kDriveTypeRemovable = 2,
    kDriveTypeFixed = 3,
    kDriveTypeNetwork = 4,
    kDriveTypeCdrom = 5,
};

// Checks (CheckGameList, LaunchGame) pass this mask: they never search.
constexpr uint32_t kDriveMaskNoSearch = 15;

// The nibble of a drive type; 0 for a type the mask does not know.
uint32_t dwDriveNibble(uint32_t dwDriveType);
// The nibble is wholly set (a zero nibble never is).
bool boNibbleSet(uint32_t dwMask, uint32_t dwNibble);
bool boDriveTypeSelected(uint32_t dwMask, uint32_t dwDriveType);
// A click on a check box: checked sets the whole nibble; unchecked clears it
// only when it was wholly set.
uint32_t dwMaskAfterCheck(uint32_t dwMask, uint32_t dwNibble, bool boChecked);
// The mask an update searches with: fixed drives are always searched.
uint32_t dwUpdateSearchMask(uint32_t dwStoredMask);

// The stored text: decimal, signed ("%d" of the 32 bits). A text that is not a
// number gives 0; digits are read up to the first other character.
uint32_t dwDriveMaskFromText(const std::string& strText);
std::string strDriveMaskText(uint32_t dwMask);
