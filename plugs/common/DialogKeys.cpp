#include "DialogKeys.h"

#include <cstring>

#include "DiskSearchRes.h"

namespace
{
struct SKey
{
    const char* lpszKey;
    int32_t lControl;
};

const SKey kSearchKeys[] = {
    {"_SEARCH_DLG_TITLE_", IDD_DISKSEARCH},
    {"_SEARCH_DLG_BUTTON_SKIPDISK_", IDC_SEARCH_SKIPDISK},
    {"_SEARCH_DLG_BUTTON_STOPHERE_", IDC_SEARCH_STOPHERE},
    {"_SEARCH_DLG_BUTTON_CANCEL_", 2},
    {"_SEARCH_DLG_TEXT_FILEFOUND_", IDC_SEARCH_FOUNDCOUNT},
    {"_SEARCH_DLG_TEXT_PROGRESS_", IDC_SEARCH_PROGRESSTEXT},
    {"_SEARCH_DLG_TEXT_DIRECTORY_", IDC_SEARCH_DIRECTORY},
};

const SKey kDriveTypeKeys[] = {
    {"_DISKTYPE_DLG_TITLE_", IDD_DRIVETYPE},
    {"_DISKTYPE_DLG_CHECK_FIXED_", IDC_DRIVE_FIXED},
    {"_DISKTYPE_DLG_CHECK_NETWORK_", IDC_DRIVE_NETWORK},
    {"_DISKTYPE_DLG_CHECK_REMOVABLE_", IDC_DRIVE_REMOVABLE},
    {"_DISKTYPE_DLG_CHECK_CDROM_", IDC_DRIVE_CDROM},
    {"_DISKTYPE_DLG_MESSAGE_FIXED_", IDC_DRIVE_MSG_FIXED},
    {"_DISKTYPE_DLG_MESSAGE_NETWORK_", IDC_DRIVE_MSG_NETWORK},
    {"_DISKTYPE_DLG_MESSAGE_REMOVABLE_", IDC_DRIVE_MSG_REMOVABLE},
    {"_DISKTYPE_DLG_MESSAGE_CDROM_", IDC_DRIVE_MSG_CDROM},
    {"_DISKTYPE_DLG_MESSAGE_MESSAGE_", IDC_DRIVE_MSG_MESSAGE},
};

template <size_t N> int32_t lFind(const SKey (&keys)[N], const char* lpszKey)
{
    if (!lpszKey)
        return 0;
    for (const SKey& k : keys)
        if (std::strcmp(k.lpszKey, lpszKey) == 0)
            return k.lControl;
    return 0;
}
} // namespace

int32_t lSearchDlgControlOfKey(const char* lpszKey)
{
    return lFind(kSearchKeys, lpszKey);
}

int32_t lDriveTypeDlgControlOfKey(const char* lpszKey)
{
    return lFind(kDriveTypeKeys, lpszKey);
}
