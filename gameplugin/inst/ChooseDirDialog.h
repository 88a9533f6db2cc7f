#pragma once
// The folder chooser that components open through ChooseDir: a text line, an
// edit field with the proposed folder, a "..." button to the shell's folder
// browser and "OK", which accepts only a folder name the plug-in allows.
#include <windows.h>

#include <string>

struct SChooseDirTexts
{
    std::string strSubFolder;    // element 0: sub-folder proposed
    std::string strText;         // element 1: text line and folder browser title
    std::string strRefusal;      // element 2: refusal message (a FormatMessage text)
    std::string strRefusalTitle; // element 3: its caption
    std::string strCaption;      // element 4: the dialog's caption
};

constexpr size_t kChooseDirPathMax = 259;

// Runs the dialog modally (FdUi seam); the dialog's result (IDOK, IDCANCEL, or -1
// when it could not be shown) and, on IDOK, the accepted folder.
INT_PTR iRunChooseDirDialog(HWND hwndOwner, const SChooseDirTexts& texts, const std::string& strProposed,
                            std::string* lpstrChosen);
