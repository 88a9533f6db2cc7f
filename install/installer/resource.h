#pragma once
// Resources of installer.exe.
#define IDR_TRAY_MENU 213
#define IDI_TRAY_ICON 214
#define IDM_TRAY_CLOSE 2
