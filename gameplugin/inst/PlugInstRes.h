#pragma once
// Resources of the plug-in instance: the folder chooser of ChooseDir.
#define IDD_CHOOSEDIR 201
#define IDC_CHOOSEDIR_BROWSE 201 // "..."
#define IDC_CHOOSEDIR_PATH 202   // the folder, at most 259 characters
#define IDC_CHOOSEDIR_TEXT 205   // the component's text line
