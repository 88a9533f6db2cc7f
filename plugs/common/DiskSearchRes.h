// Resource ids of the disk search's dialogs (DiskSearch.rc): the progress
// dialog 119 and the drive-type dialog 106. A program that uses CDiskSearch or
// CDriveTypeDlg includes DiskSearch.rc in its own resource script.
#pragma once

#define IDD_DRIVETYPE 106
#define IDD_DISKSEARCH 119
#define IDI_SEARCH_STOP 403

#define IDC_SEARCH_STOPHERE 3
#define IDC_SEARCH_SKIPDISK 5

#define IDC_DRIVE_FIXED 203
#define IDC_DRIVE_NETWORK 204
#define IDC_DRIVE_REMOVABLE 205
#define IDC_DRIVE_CDROM 206
#define IDC_SEARCH_PROGRESS 207
#define IDC_DRIVE_MSG_FIXED 208
#define IDC_DRIVE_MSG_NETWORK 209
#define IDC_DRIVE_MSG_REMOVABLE 211
#define IDC_SEARCH_FOUNDCOUNT 212
#define IDC_DRIVE_MSG_CDROM 213
#define IDC_DRIVE_MSG_MESSAGE 215
#define IDC_SEARCH_DIRECTORY 216
#define IDC_SEARCH_PROGRESSTEXT 218
