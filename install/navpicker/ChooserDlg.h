#pragma once
// The chooser dialog (template 101): the known browsers in a list, the
// detected ones selected and kept so, and the chosen ones handed back as
// (type, folder).
#include "BrowserList.h"
#include "DialogBase.h"

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace FdNav
{
class CChooserDlg : private FdWin::CDialogBase
{
public:
    // Title, message and the texts of the add, remove, cancel and OK buttons.
    void vSetTexts(const char* lpszTitle, const char* lpszMessage, const char* lpszAdd,
                   const char* lpszRemove, const char* lpszCancel, const char* lpszOk);
    void vSetColumns(const char* lpszFirst, int iFirstWidth, const char* lpszSecond, int iSecondWidth);
    // Buttons IDCANCEL, 3 (add) and 4 (remove); hiding any also takes the
    // system menu away. Cancel is shown, add and remove hidden at first.
    void vSetHidden(int iButton, bool boHidden);
    void vSetPreselect(bool boPreselect) { m_boPreselect = boPreselect; }

    // Shows the dialog modally (template 101 of hModule) over the list; the
    // list is detected again at opening. OK appends the selected browsers'
    // types and folders to the selection. Answers 1 (OK), 2 (cancel) or -1.
    INT_PTR iRun(HINSTANCE hModule, HWND hOwner, CBrowserList& list, CSelection& selection);

protected:
    // The program to add, chosen in a file-open dialog; false when none was.
    virtual bool boAskProgram(HWND hDialog, std::string& strPath);

private:
    INT_PTR iOnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void vOnInit();
    void vCentre();
    void vFill();
    void vSelectDetected();
    // A change that would unselect a detected row (refused).
    bool boKeepsDetected(const NMLISTVIEW* lpChange) const;
    void vOnAdd();
    void vOnRemove();
    void vEnd(INT_PTR iResult);
    bool boRowSelected(int iRow) const;

    HWND m_hList = nullptr;
    CBrowserList* m_lpList = nullptr;
    CSelection* m_lpSelection = nullptr;
    std::string m_strTitle = "Browsers", m_strMessage, m_strAdd = "Ajouter", m_strRemove = "Retirer",
                m_strCancel = "Annuler", m_strOk = "OK";
    std::string m_strColumn0, m_strColumn1;
    int m_iWidth0 = 90, m_iWidth1 = 250;
    bool m_boHideCancel = false, m_boHideAdd = true, m_boHideRemove = true;
    bool m_boPreselect = true;
    bool m_boFilling = false; // the rows are being made again: no change is refused
};

// Makes the Control key count as held down for the calling thread (true) or
// lets it go (false): clicks in a list then add to its selection.
void vHoldControlKey(bool boHeld);
} // namespace FdNav
