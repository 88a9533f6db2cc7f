#pragma once
// Resources of the chooser library: the chooser dialog and the check-progress window.
#define IDD_CHOOSER 101
#define IDC_CHOOSER_MESSAGE 202
#define IDC_CHOOSER_LIST 203
#define IDC_CHOOSER_ADD 3
#define IDC_CHOOSER_REMOVE 4

#define IDD_CHECKING 202
#define IDC_CHECKING_TEXT 201
