// Resource ids of the game manager dialog.
#pragma once

#define IDD_GAMEMANAGER 202
#define IDC_GM_OK 204
#define IDC_GM_CANCEL 205
#define IDI_GM_LAUNCHER 210
#define IDC_GM_GAMENAME 230
#define IDC_GM_VERSIONNAME 231
#define IDC_GM_ICON 232
#define IDC_GM_GROUP 233
#define IDC_GM_DESC 234
#define IDC_GM_TREE 235
#define IDM_GM_DELETE 666
