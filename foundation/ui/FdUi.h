// One replaceable function per kind of modal user interface.
//
// Every message box and modal dialog of a program goes through these, so
// tests on a headless machine never block on one. Two ways to script them:
//  - in the same process, install a hook with pfnSetMessageBoxHook /
//    pfnSetDialogBoxHook;
//  - for a program started by a test, set the environment variable
//    FD_UI_LOG to a file: each box is appended to it as one line
//    "MSGBOX|<type>|<caption>|<text>" or "DIALOG|<template id>" and not
//    shown. The answers come from FD_UI_ANSWERS, a comma-separated list of
//    numbers used in turn; when it runs out a box answers its first button
//    (IDOK, IDYES, IDABORT, IDRETRY...) and a dialog IDCANCEL.
#pragma once

#include <windows.h>

namespace FdUi
{
using MessageBoxFn = int (*)(HWND hwnd, const char* pszText, const char* pszCaption, UINT uType);
using DialogBoxFn = INT_PTR (*)(HINSTANCE hinst, LPCSTR pszTemplate, HWND hwndParent, DLGPROC pfnProc,
                                LPARAM lParam);

int iMessageBox(HWND hwnd, const char* pszText, const char* pszCaption, UINT uType);
INT_PTR iDialogBoxParam(HINSTANCE hinst, LPCSTR pszTemplate, HWND hwndParent, DLGPROC pfnProc, LPARAM lParam);

// Installs a hook (null restores the default); returns the previous one.
MessageBoxFn pfnSetMessageBoxHook(MessageBoxFn pfn);
DialogBoxFn pfnSetDialogBoxHook(DialogBoxFn pfn);

// The answer a box of this type gives when nobody chooses: its first button.
int iDefaultAnswer(UINT uType);
} // namespace FdUi
