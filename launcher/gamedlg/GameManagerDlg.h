// The game manager dialog (template 202): a tree of games, their versions and
// their installed instances, with the selected entry's name, description, icon
// and attributes. In choice mode the user picks a version for the launch; in
// manager mode games, versions and instances can be deleted.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "DialogBase.h"
#include "GameCatalog.h"
#include "PropertyList.h"

class CGameManagerDlg : private FdWin::CDialogBase, private IPropertyListCallback
{
public:
    enum : uint32_t
    {
        kRootDeclared = 0x01,   // "Jeux déclarés"
        kRootIdentified = 0x02, // "Jeux identifiés"
        kRootCompatible = 0x04, // "Jeux compatibles"
        kManager = 0x08,
        kChoice = 0x10,
        kModeChoice = 0x14,
        kModeManager = 0x09,
    };

    CGameManagerDlg() = default;
    ~CGameManagerDlg();
    CGameManagerDlg(const CGameManagerDlg&) = delete;
    CGameManagerDlg& operator=(const CGameManagerDlg&) = delete;

    // The list shown (not owned) and the mode bits.
    void SetList(CZeltoGameList* list, uint32_t mode);
    // Modal, through the modal-box seam: 1 (Ok) or 2 (Cancel), or what the seam answers.
    INT_PTR Run(HWND owner);

    CZeltoGame* SelectedGame() const { return m_game; }
    CZeltoGameVersion* SelectedVersion() const { return m_version; }
    // The selected instance's volume name ("" none) and index (-1 none).
    const std::string& SelectedInstanceName() const { return m_instanceName; }
    int32_t SelectedInstance() const { return m_instance; }
    bool IsChanged() const { return m_changed; }
    HWND Tree() const { return m_tree; }
    const CPropertyList& Attributes() const { return m_attributes; }
    // comctl32's version, major in the high word (0 when it gives none).
    static DWORD CommonControlsVersion();
    // The label of the tree's root for a mode.
    static const char* RootLabel(uint32_t mode);

private:
    struct SEntry
    {
        CZeltoGame* game = nullptr;
        CZeltoGameVersion* version = nullptr;
        int32_t instance = -1;
        bool editable = false;
    };

    INT_PTR iOnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnListInit(LPARAM) override {}
    void OnInit();
    void Fill();
    HTREEITEM AddItem(HTREEITEM parent, const std::string& label, SEntry entry, int image);
    const SEntry* EntryOf(HTREEITEM item) const;
    void OnSelection(HTREEITEM item);
    void ShowAttributes(const SEntry& entry);
    void OnContextMenu();
    void OnDelete();
    LRESULT OnTreeNotify(const NMHDR* header);
    void Layout();

    uint32_t m_mode = kModeManager;
    CZeltoGameList* m_list = nullptr;
    HWND m_tree = nullptr;
    CPropertyList m_attributes;
    HIMAGELIST m_images = nullptr;
    std::vector<HICON> m_icons;
    std::vector<std::unique_ptr<SEntry>> m_entries;
    CZeltoGame* m_game = nullptr;
    CZeltoGameVersion* m_version = nullptr;
    std::string m_instanceName;
    int32_t m_instance = -1;
    HTREEITEM m_selected = nullptr;
    bool m_changed = false;
    bool m_editing = false;
    HTREEITEM m_lastClicked = nullptr;
    DWORD m_lastClickTime = 0;
};
