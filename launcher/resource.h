// Resource ids of Ludex.exe.
#pragma once

#define IDD_TESTBOX 102
#define IDC_TESTBOX_RUN 201
#define IDC_TESTBOX_DUMP 203
#define IDC_TESTBOX_204 204
#define IDC_TESTBOX_SCRIPT 216
#define IDC_TESTBOX_GAMES 217
#define IDC_TESTBOX_219 219
