// Resource ids of Linkwell.exe (the same values as in LinkwellMessages.h,
// for the resource compiler).
#pragma once

#define IDR_TRAYMENU 201
#define IDI_CONNECTED 203
#define IDI_DISCONNECTED 204
#define IDM_CLOSE 0x8000
#define IDS_DISCONNECTED 101
#define IDS_CONNECTED 102
#define IDS_ALREADY_RUNNING 107
