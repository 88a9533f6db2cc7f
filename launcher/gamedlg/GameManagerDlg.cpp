#include "GameManagerDlg.h"

#include <shellapi.h>
#include <shlwapi.h>

#include "FdUi.h"
#include "GameManagerRes.h"

namespace
{
constexpr int kRightPane = 251;
constexpr int kListTop = 60;
constexpr int kListBottomMargin = 87;
constexpr DWORD kEditClickDelayMs = 500;
constexpr int kMinWidth = 560;
constexpr int kMinHeight = 380;

std::string VersionLabel(const CZeltoGameVersion& version)
{
    return version.name.empty() ? std::string("version ?") : std::string(version.name);
}
std::string GameLabel(const CZeltoGame& game)
{
    return game.name.empty() ? "[" + game.id + "]" : std::string(game.name);
}
} // namespace

CGameManagerDlg::~CGameManagerDlg()
{
    for (HICON icon : m_icons)
        DestroyIcon(icon);
    if (m_images)
        ImageList_Destroy(m_images);
}

void CGameManagerDlg::SetList(CZeltoGameList* list, uint32_t mode)
{
    m_list = list;
    m_mode = mode;
}

const char* CGameManagerDlg::RootLabel(uint32_t mode)
{
    if (mode & kRootDeclared)
        return "Jeux déclarés";
    if (mode & kRootIdentified)
        return "Jeux identifiés";
    if (mode & kRootCompatible)
        return "Jeux compatibles";
    return "";
}

DWORD CGameManagerDlg::CommonControlsVersion()
{
    HMODULE module = LoadLibraryA("comctl32.dll");
    if (!module)
        return 0;
    DWORD version = 0;
    using GetVersionFn = HRESULT(CALLBACK*)(DLLVERSIONINFO*);
    auto get =
        reinterpret_cast<GetVersionFn>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetVersion")));
    DLLVERSIONINFO info = {};
    info.cbSize = sizeof info;
    if (get && SUCCEEDED(get(&info)))
        version = MAKELONG(info.dwMinorVersion, info.dwMajorVersion);
    FreeLibrary(module);
    return version;
}

INT_PTR CGameManagerDlg::Run(HWND owner)
{
    return iRunModal(FdUi::iDialogBoxParam, GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_GAMEMANAGER),
                     owner);
}

INT_PTR CGameManagerDlg::iOnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT listResult = 0;
    if (m_attributes.List() && m_attributes.OnParentMessage(message, wParam, lParam, &listResult))
        return iAnswer(listResult);
    switch (message)
    {
    case WM_INITDIALOG:
        OnInit();
        return TRUE;
    case WM_SIZE:
        Layout();
        return TRUE;
    case WM_GETMINMAXINFO:
    {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize.x = kMinWidth;
        info->ptMinTrackSize.y = kMinHeight;
        return TRUE;
    }
    case WM_NOTIFY:
    {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header && header->hwndFrom == m_tree)
            return iAnswer(OnTreeNotify(header));
        return FALSE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam))
        {
        case IDC_GM_OK:
            EndDialog(hWnd(), 1);
            return TRUE;
        case IDC_GM_CANCEL:
            EndDialog(hWnd(), 2);
            return TRUE;
        case IDOK:
        case IDCANCEL:
            // Enter and Escape: they end a label edit, else go to the attribute list.
            if (m_editing)
                SendMessageA(m_tree, TVM_ENDEDITLABELNOW, LOWORD(wParam) == IDCANCEL, 0);
            else if (m_attributes.EditRow() >= 0)
                m_attributes.OnEditorKey(LOWORD(wParam) == IDOK ? VK_RETURN : VK_ESCAPE);
            else if (m_attributes.List())
                SendMessageA(m_attributes.List(), WM_KEYDOWN, LOWORD(wParam) == IDOK ? VK_RETURN : VK_ESCAPE,
                             0);
            return TRUE;
        case IDM_GM_DELETE:
            OnDelete();
            return TRUE;
        default:
            return FALSE;
        }
    case WM_DESTROY:
        m_tree = nullptr;
        return FALSE;
    default:
        return FALSE;
    }
}

void CGameManagerDlg::OnInit()
{
    // Older tree controls lack the features asked for below; they still work.
    const DWORD version = CommonControlsVersion();
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    DWORD treeStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES |
                      TVS_LINESATROOT | TVS_SHOWSELALWAYS | TVS_EDITLABELS;
    if (HIWORD(version) >= 5)
        treeStyle |= TVS_INFOTIP;
    m_tree = CreateWindowExA(WS_EX_CLIENTEDGE, WC_TREEVIEWA, "", treeStyle, 0, 0, 100, 100, hWnd(),
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_GM_TREE)),
                             GetModuleHandleA(nullptr), nullptr);
    m_attributes.Create(hWnd(), this);
    m_images = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 4, 4);
    if (HICON launcher = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_GM_LAUNCHER)))
        ImageList_ReplaceIcon(m_images, -1, launcher);
    if (m_tree && m_images)
        SendMessageA(m_tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(m_images));
    // Placed first: the columns take half the list's width each.
    RECT client = {};
    GetClientRect(hWnd(), &client);
    SendMessageA(hWnd(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    m_attributes.AddColumns("Attribut", 0, "Valeur", 0);
    Fill();
    if (m_mode & kChoice)
        EnableWindow(GetDlgItem(hWnd(), IDC_GM_OK), FALSE);
}

HTREEITEM CGameManagerDlg::AddItem(HTREEITEM parent, const std::string& label, SEntry entry, int image)
{
    m_entries.push_back(std::make_unique<SEntry>(entry));
    TVINSERTSTRUCTA insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<char*>(label.c_str());
    insert.item.lParam = reinterpret_cast<LPARAM>(m_entries.back().get());
    insert.item.iImage = image;
    insert.item.iSelectedImage = image;
    return reinterpret_cast<HTREEITEM>(
        SendMessageA(m_tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

void CGameManagerDlg::Fill()
{
    if (!m_tree)
        return;
    SendMessageA(m_tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    m_entries.clear();
    m_game = nullptr;
    m_version = nullptr;
    m_instanceName.clear();
    m_instance = -1;
    m_selected = nullptr;
    const HTREEITEM root = AddItem(TVI_ROOT, RootLabel(m_mode), SEntry(), 0);
    for (int32_t g = 0; m_list && g < m_list->Count(); ++g)
    {
        CZeltoGame* game = m_list->GetAt(g);
        int image = 0;
        // The game's icon: the first icon file its versions name.
        for (int32_t v = 0; v < game->versions->Count() && image == 0; ++v)
        {
            const CStringExt& file = game->versions->GetAt(v)->iconFile;
            HICON icon = nullptr;
            if (!file.empty() && ExtractIconExA(file.c_str(), 0, nullptr, &icon, 1) > 0 && icon)
            {
                m_icons.push_back(icon);
                image = ImageList_ReplaceIcon(m_images, -1, icon);
                if (image < 0)
                    image = 0;
            }
        }
        SEntry gameEntry;
        gameEntry.game = game;
        const HTREEITEM gameItem = AddItem(root, GameLabel(*game), gameEntry, image);
        for (int32_t v = 0; v < game->versions->Count(); ++v)
        {
            CZeltoGameVersion* version = game->versions->GetAt(v);
            SEntry versionEntry = gameEntry;
            versionEntry.version = version;
            const HTREEITEM versionItem = AddItem(gameItem, VersionLabel(*version), versionEntry, image);
            for (int32_t i = 0; i < version->VolumeCount(); ++i)
            {
                SEntry instance = versionEntry;
                instance.instance = i;
                const CStringExt& name = version->VolumeAt(i)->name;
                AddItem(versionItem, name.empty() ? "instance " + std::to_string(i + 1) : std::string(name),
                        instance, image);
            }
            SendMessageA(m_tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(versionItem));
        }
        SendMessageA(m_tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(gameItem));
    }
    SendMessageA(m_tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
    OnSelection(nullptr);
}

const CGameManagerDlg::SEntry* CGameManagerDlg::EntryOf(HTREEITEM item) const
{
    if (!item || !m_tree)
        return nullptr;
    TVITEMA data = {};
    data.mask = TVIF_PARAM;
    data.hItem = item;
    if (!SendMessageA(m_tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data)))
        return nullptr;
    return reinterpret_cast<const SEntry*>(data.lParam);
}

void CGameManagerDlg::OnSelection(HTREEITEM item)
{
    m_selected = item;
    const SEntry* entry = EntryOf(item);
    m_game = entry ? entry->game : nullptr;
    m_version = entry ? entry->version : nullptr;
    m_instance = entry ? entry->instance : -1;
    m_instanceName.clear();
    if (m_game && !m_version && m_game->versions->Count() == 1)
        m_version = m_game->versions->GetAt(0);
    if (m_version && m_instance >= 0 && m_instance < m_version->VolumeCount())
        m_instanceName = m_version->VolumeAt(m_instance)->name;

    std::string title = m_game && !m_game->name.empty() ? std::string(m_game->name) : std::string("Zelto");
    if (m_version)
        title += " - " + m_version->name;
    SetDlgItemTextA(hWnd(), IDC_GM_GROUP, title.c_str());
    const std::string desc = m_version ? std::string(m_version->description)
                                       : (m_game ? std::string(m_game->description) : std::string());
    SetDlgItemTextA(hWnd(), IDC_GM_DESC, desc.c_str());
    HICON icon = nullptr;
    if (item && m_images)
    {
        TVITEMA data = {};
        data.mask = TVIF_IMAGE;
        data.hItem = item;
        if (SendMessageA(m_tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data)) && data.iImage > 0)
            icon = ImageList_GetIcon(m_images, data.iImage, ILD_NORMAL);
    }
    if (!icon)
        icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_GM_LAUNCHER));
    SendDlgItemMessageA(hWnd(), IDC_GM_ICON, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    ShowAttributes(entry ? *entry : SEntry());
    if (m_mode & kChoice)
        EnableWindow(GetDlgItem(hWnd(), IDC_GM_OK), m_version != nullptr);
}

void CGameManagerDlg::ShowAttributes(const SEntry& entry)
{
    m_attributes.Clear();
    auto add = [this](const std::string& name, const std::string& value)
    { m_attributes.AddRow(CInputField(name, name, 0, 0, "edit", value)); };
    auto addRecords = [this](const std::vector<CGameAttribute>& records)
    {
        for (const CGameAttribute& record : records)
        {
            if (record.hidden)
                continue;
            CInputField field(record.name, record.displayName.empty() ? record.name : record.displayName, 0,
                              0, record.options.empty() ? "edit" : "combo", record.value);
            for (const auto& option : record.options)
                field.AddChoice(option.first, option.second);
            if (field.type == CInputField::kCombo)
                field.value = record.value;
            m_attributes.AddRow(field);
        }
    };
    if (entry.instance >= 0 && entry.version && entry.instance < entry.version->VolumeCount())
    {
        for (const auto& pair : entry.version->VolumeAt(entry.instance)->pairs.Pairs())
            add(pair.first, pair.second);
        return;
    }
    if (entry.version)
    {
        add("vid", entry.version->id);
        add("vnbr", entry.version->number);
        add("vlang", entry.version->language);
        add("vos", entry.version->operatingSystem);
        addRecords(entry.version->attributes);
        return;
    }
    if (entry.game)
    {
        add("gid", entry.game->id);
        add("technoid", entry.game->technoId);
        addRecords(entry.game->attributes);
    }
}

LRESULT CGameManagerDlg::OnTreeNotify(const NMHDR* header)
{
    switch (header->code)
    {
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW:
        OnSelection(reinterpret_cast<const NMTREEVIEWA*>(header)->itemNew.hItem);
        return 0;
    case TVN_BEGINLABELEDITA:
    case TVN_BEGINLABELEDITW:
    {
        const SEntry* entry =
            reinterpret_cast<const SEntry*>(reinterpret_cast<const NMTVDISPINFOA*>(header)->item.lParam);
        if (!entry || !entry->editable)
            return TRUE; // refused
        m_editing = true;
        return FALSE;
    }
    case TVN_ENDLABELEDITA:
    case TVN_ENDLABELEDITW:
        m_editing = false;
        return FALSE; // labels never change
    case TVN_KEYDOWN:
        if (reinterpret_cast<const NMTVKEYDOWN*>(header)->wVKey == VK_F2 && m_selected)
            SendMessageA(m_tree, TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(m_selected));
        return 0;
    case NM_CLICK:
    {
        TVHITTESTINFO hit = {};
        GetCursorPos(&hit.pt);
        ScreenToClient(m_tree, &hit.pt);
        const HTREEITEM item =
            reinterpret_cast<HTREEITEM>(SendMessageA(m_tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
        const DWORD now = GetTickCount();
        if (item && item == m_selected && item == m_lastClicked && now - m_lastClickTime > kEditClickDelayMs)
            SendMessageA(m_tree, TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(item));
        m_lastClicked = item;
        m_lastClickTime = now;
        return 0;
    }
    case NM_RCLICK:
        OnContextMenu();
        return TRUE;
    default:
        return 0;
    }
}

void CGameManagerDlg::OnContextMenu()
{
    TVHITTESTINFO hit = {};
    POINT screen = {};
    GetCursorPos(&screen);
    hit.pt = screen;
    ScreenToClient(m_tree, &hit.pt);
    const HTREEITEM item =
        reinterpret_cast<HTREEITEM>(SendMessageA(m_tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    const SEntry* entry = EntryOf(item);
    if (!entry || !entry->game)
        return;
    SendMessageA(m_tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    const char* text = entry->instance >= 0 ? "Supprimer cette instance..."
                       : entry->version     ? "Supprimer cette version..."
                                            : "Supprimer ce jeu...";
    HMENU menu = CreatePopupMenu();
    if (!menu)
        return;
    AppendMenuA(menu, MF_STRING | ((m_mode & kChoice) ? MF_GRAYED : 0), IDM_GM_DELETE, text);
    TrackPopupMenu(menu, 0, screen.x, screen.y, 0, hWnd(), nullptr);
    DestroyMenu(menu);
}

void CGameManagerDlg::OnDelete()
{
    const SEntry* entry = EntryOf(m_selected);
    if ((m_mode & kChoice) || !entry || !entry->game || !m_list)
        return;
    std::string question = "Suppression?\n";
    question += "=> [" + entry->game->name + "]\n";
    if (entry->version)
        question += "-> " + entry->version->name + "\n";
    if (entry->instance >= 0)
        question += "-> " + std::to_string(entry->instance + 1) + "\n";
    if (FdUi::iMessageBox(hWnd(), question.c_str(), "Suppression", MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    if (entry->instance >= 0 && entry->version)
    {
        auto& volumes = entry->version->volumes;
        if (entry->instance < static_cast<int32_t>(volumes.size()))
            volumes.erase(volumes.begin() + entry->instance);
    }
    else if (entry->version)
    {
        CZeltoGameVersionList& versions = *entry->game->versions;
        for (int32_t v = 0; v < versions.Count(); ++v)
            if (versions.GetAt(v) == entry->version)
            {
                versions.RemoveAt(v);
                break;
            }
    }
    else
    {
        for (int32_t g = 0; g < m_list->Count(); ++g)
            if (m_list->GetAt(g) == entry->game)
            {
                m_list->RemoveAt(g);
                break;
            }
    }
    m_changed = true;
    // The tree is made again: the entries below the deleted one named it.
    Fill();
}

void CGameManagerDlg::Layout()
{
    RECT client = {};
    GetClientRect(hWnd(), &client);
    const int cx = client.right;
    const int cy = client.bottom;
    if (m_tree)
        MoveWindow(m_tree, 0, 0, cx - kRightPane, cy, TRUE);
    if (m_attributes.List())
        MoveWindow(m_attributes.List(), cx - kRightPane, kListTop, 249, cy - kListBottomMargin, TRUE);
    auto place = [this](int id, int x, int y, int w, int h)
    {
        if (HWND control = GetDlgItem(hWnd(), id))
            MoveWindow(control, x, y, w, h, TRUE);
    };
    place(IDC_GM_GROUP, cx - 250, 0, 249, 60);
    place(IDC_GM_ICON, cx - 230, 20, 32, 32);
    place(IDC_GM_DESC, cx - 250 + 64, 18, 120, 38);
    place(IDC_GM_OK, cx - 166, cy - 24, 75, 21);
    place(IDC_GM_CANCEL, cx - 84, cy - 24, 75, 21);
}
