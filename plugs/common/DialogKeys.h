// The text keys of the disk search's dialogs, each naming the control that
// shows its text (the dialog itself for the title keys).
#pragma once

#include <cstdint>

// The control id of a key of the progress dialog (119) or the drive-type
// dialog (106); 0 for a key the dialog does not know.
int32_t lSearchDlgControlOfKey(const char* lpszKey);
int32_t lDriveTypeDlgControlOfKey(const char* lpszKey);
