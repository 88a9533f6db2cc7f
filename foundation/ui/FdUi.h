// One replaceable function per kind of modal user interface.
//
// Every message box and modal dialog of a program goes through these, so
// tests on a headless machine never block on one. Two ways to script them:
//  - in the same process, install a hook with pfnSetMessageBoxHook /
//    pfnSetDialogBoxHook;
//  - for a program started by a test, set the environment variable
//    FD_UI_LOG to a file: each box is appended to it as one line
//    "MSGBOX|<type>|<caption>|<text>", "DIALOG|<template id>" or
//    "MENU|<x>|<y>|<id>:<text>|..." (greyed items as "<id>~:<text>",
//    separators as "-") and not shown. The answers come from FD_UI_ANSWERS, a comma-separated list of
//    numbers used in turn; when it runs out a box answers its first button
//    (IDOK, IDYES, IDABORT, IDRETRY...), a dialog IDCANCEL and a popup
//    menu 0 (dismissed).
#pragma once

#include <windows.h>

namespace FdUi
{
using MessageBoxFn = int (*)(HWND hwnd, const char* pszText, const char* pszCaption, UINT uType);
using DialogBoxFn = INT_PTR (*)(HINSTANCE hinst, LPCSTR pszTemplate, HWND hwndParent, DLGPROC pfnProc,
                                LPARAM lParam);

using PopupMenuFn = int (*)(HMENU menu, UINT flags, int x, int y, HWND hwnd);

int iMessageBox(HWND hwnd, const char* pszText, const char* pszCaption, UINT uType);
INT_PTR iDialogBoxParam(HINSTANCE hinst, LPCSTR pszTemplate, HWND hwndParent, DLGPROC pfnProc, LPARAM lParam);

// A popup menu tracked until it is dismissed or an item chosen
// (TrackPopupMenu with TPM_RETURNCMD added): the chosen id, 0 for none.
int iTrackPopupMenu(HMENU menu, UINT flags, int x, int y, HWND hwnd);

// Installs a hook (null restores the default); returns the previous one.
MessageBoxFn pfnSetMessageBoxHook(MessageBoxFn pfn);
DialogBoxFn pfnSetDialogBoxHook(DialogBoxFn pfn);
PopupMenuFn pfnSetPopupMenuHook(PopupMenuFn pfn);

// The answer a box of this type gives when nobody chooses: its first button.
int iDefaultAnswer(UINT uType);
} // namespace FdUi
