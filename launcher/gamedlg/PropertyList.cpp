#include "PropertyList.h"

#include <commctrl.h>

#include "TextUtil.h"

namespace
{
constexpr DWORD kListStyle =
    0x50810305; // child, visible, border, report, single selection, show selection, no sort
constexpr DWORD kListExStyle = 0x60;      // full-row select, one-click activation
constexpr DWORD kComboStyle = 0x50200203; // child, visible, vertical scroll, drop-down list
constexpr int kComboDrop = 200;
constexpr int kEditDrop = 5;
} // namespace

CInputField::CInputField(const std::string& fieldName, const std::string& fieldLabel, int32_t fieldX,
                         int32_t fieldY, const std::string& typeWord, const std::string& defaultValue)
    : x(fieldX), y(fieldY), name(fieldName), label(fieldLabel), type(kUnknown)
{
    if (EqualsNoCase(typeWord, "edit"))
        type = kEdit;
    else if (EqualsNoCase(typeWord, "path"))
        type = kPath;
    else if (EqualsNoCase(typeWord, "combo"))
        type = kCombo;
    if (type == kEdit || type == kPath)
        value = defaultValue;
}

void CInputField::AddChoice(const std::string& choiceValue, const std::string& text)
{
    for (auto& choice : choices)
        if (choice.first == choiceValue)
        {
            choice.second = text;
            return;
        }
    choices.emplace_back(choiceValue, text);
}

// The in-place editor: Return commits, Escape cancels, losing the focus commits.
class CPropertyList::CEditor : public FdWin::CWindowBase
{
public:
    explicit CEditor(CPropertyList* owner) : m_owner(owner) {}
    ~CEditor() override { vDestroy(); }

protected:
    LRESULT lOnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE))
        {
            m_owner->OnEditorKey(wParam);
            return 0;
        }
        if (message == WM_GETDLGCODE)
            return lDefault(message, wParam, lParam) | DLGC_WANTALLKEYS;
        if (message == WM_KILLFOCUS)
        {
            const LRESULT result = lDefault(message, wParam, lParam);
            HWND to = reinterpret_cast<HWND>(wParam);
            // The drop-down part of the combo box is still the editor.
            if (to != hWnd() && !IsChild(hWnd(), to))
            {
                ShowWindow(hWnd(), SW_HIDE);
                if (!m_owner->m_closing)
                    m_owner->Commit();
            }
            return result;
        }
        return lDefault(message, wParam, lParam);
    }

private:
    CPropertyList* m_owner;
};

CPropertyList::CPropertyList()
{
    LOGFONTA font = {};
    font.lfHeight = -11;
    font.lfWeight = FW_NORMAL;
    font.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    m_font = CreateFontIndirectA(&font);
}

CPropertyList::~CPropertyList()
{
    m_editor.reset();
    if (m_font)
        DeleteObject(m_font);
}

bool CPropertyList::Create(HWND parent, IPropertyListCallback* callback)
{
    if (!IsWindow(parent))
        return false;
    m_owner = parent;
    m_callback = callback;
    m_list = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "", kListStyle, 0, 0, 100, 100, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)),
                             GetModuleHandleA(nullptr), nullptr);
    if (!m_list)
        return false;
    SendMessageA(m_list, LVM_SETEXTENDEDLISTVIEWSTYLE, kListExStyle, kListExStyle);
    SendMessageA(m_list, LVM_SETHOVERTIME, 0, 1);
    return true;
}

void CPropertyList::AddColumns(const std::string& title0, int, const std::string& title1, int)
{
    RECT client = {};
    GetClientRect(m_list, &client);
    const std::string titles[2] = {title0, title1};
    for (int i = 0; i < 2; ++i)
    {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.cx = client.right / 2;
        column.pszText = const_cast<char*>(titles[i].c_str());
        column.iSubItem = i;
        SendMessageA(m_list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
}

int CPropertyList::AddRow(const CInputField& field)
{
    m_fields.push_back(std::make_unique<CInputField>(field));
    CInputField* stored = m_fields.back().get();
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = static_cast<int>(m_fields.size()) - 1;
    item.pszText = const_cast<char*>(stored->label.empty() ? stored->name.c_str() : stored->label.c_str());
    item.lParam = reinterpret_cast<LPARAM>(stored);
    const int row =
        static_cast<int>(SendMessageA(m_list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    LVITEMA value = {};
    value.iSubItem = 1;
    value.pszText = const_cast<char*>(stored->value.c_str());
    SendMessageA(m_list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&value));
    return row;
}

void CPropertyList::Clear()
{
    CloseEditor();
    if (m_list)
        SendMessageA(m_list, LVM_DELETEALLITEMS, 0, 0);
    m_fields.clear();
}

CInputField* CPropertyList::FieldAt(int row) const
{
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!m_list || !SendMessageA(m_list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
        return nullptr;
    return reinterpret_cast<CInputField*>(item.lParam);
}

HWND CPropertyList::Editor() const
{
    return m_editor ? m_editor->hWnd() : nullptr;
}

bool CPropertyList::OnParentMessage(UINT message, WPARAM, LPARAM lParam, LRESULT* result)
{
    switch (message)
    {
    case WM_SIZE:
        PlaceEditor();
        return false;
    case WM_INITDIALOG:
        if (m_callback)
            m_callback->OnListInit(lParam);
        return false;
    case WM_NOTIFY:
    {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header && header->hwndFrom == m_list && header->code == LVN_ITEMACTIVATE)
        {
            OpenEditor();
            if (result)
                *result = 0;
            return true;
        }
        return false;
    }
    default:
        return false;
    }
}

void CPropertyList::OpenEditor()
{
    if (!m_list || SendMessageA(m_list, LVM_GETSELECTEDCOUNT, 0, 0) != 1)
        return;
    RECT client = {};
    GetClientRect(m_list, &client);
    SendMessageA(m_list, LVM_SETCOLUMNWIDTH, 0, client.right / 2);
    SendMessageA(m_list, LVM_SETCOLUMNWIDTH, 1, client.right - client.right / 2);
    m_editRow =
        static_cast<int>(SendMessageA(m_list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    m_closing = false;
    CInputField* field = FieldAt(m_editRow);
    if (!field)
        return;
    const int32_t type = field->type == CInputField::kCombo ? CInputField::kCombo : CInputField::kEdit;
    if (m_editor && m_editorType != type)
        m_editor.reset();
    if (!m_editor)
    {
        HWND control =
            type == CInputField::kCombo
                ? CreateWindowExA(0, "COMBOBOX", "", kComboStyle, 0, 0, 10, 10, m_list,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditorId)),
                                  GetModuleHandleA(nullptr), nullptr)
                : CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, m_list,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditorId)),
                                  GetModuleHandleA(nullptr), nullptr);
        if (!control)
            return;
        m_editor = std::make_unique<CEditor>(this);
        if (!m_editor->boSubclass(control))
        {
            DestroyWindow(control);
            m_editor.reset();
            return;
        }
        m_editorType = type;
        if (!SendMessageA(control, WM_GETFONT, 0, 0) && m_font)
            SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
    }
    HWND editor = m_editor->hWnd();
    PlaceEditor();
    if (type == CInputField::kCombo)
    {
        // Filled from the field's choices, the current value selected.
        SendMessageA(editor, CB_RESETCONTENT, 0, 0);
        int selected = 0;
        for (size_t i = 0; i < field->choices.size(); ++i)
        {
            SendMessageA(editor, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(field->choices[i].second.c_str()));
            if (field->choices[i].first == field->value)
                selected = static_cast<int>(i);
        }
        SendMessageA(editor, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    }
    else
        SetWindowTextA(editor, field->value.c_str());
    ShowWindow(editor, SW_SHOW);
    SetFocus(editor);
    SetActiveWindow(editor);
}

void CPropertyList::PlaceEditor()
{
    if (!m_editor || m_editRow < 0)
        return;
    RECT client = {};
    GetClientRect(m_list, &client);
    RECT row = {};
    row.left = LVIR_LABEL;
    SendMessageA(m_list, LVM_GETITEMRECT, static_cast<WPARAM>(m_editRow), reinterpret_cast<LPARAM>(&row));
    const int drop = m_editorType == CInputField::kCombo ? kComboDrop : kEditDrop;
    const int left = client.right / 2 - 1;
    MoveWindow(m_editor->hWnd(), left, row.top - 1, client.right - left,
               row.bottom + 1 + drop - (row.top - 1), TRUE);
}

void CPropertyList::OnEditorKey(WPARAM key)
{
    if (!m_editor)
        return;
    m_closing = true;
    if (key == VK_RETURN)
        Commit();
    else
        CloseEditor();
}

void CPropertyList::Commit()
{
    CInputField* field = FieldAt(m_editRow);
    if (m_editor && field)
    {
        HWND editor = m_editor->hWnd();
        std::string shown;
        if (m_editorType == CInputField::kCombo)
        {
            // Only an entry chosen from the list is taken.
            const LRESULT index = SendMessageA(editor, CB_GETCURSEL, 0, 0);
            if (index >= 0 && static_cast<size_t>(index) < field->choices.size())
            {
                field->value = field->choices[static_cast<size_t>(index)].first;
                shown = field->choices[static_cast<size_t>(index)].second;
            }
            else
                shown = field->value;
        }
        else
        {
            char text[kEditorMaxText + 1] = "";
            GetWindowTextA(editor, text, sizeof text);
            field->value = text;
            shown = text;
        }
        LVITEMA value = {};
        value.iSubItem = 1;
        value.pszText = const_cast<char*>(shown.c_str());
        SendMessageA(m_list, LVM_SETITEMTEXTA, static_cast<WPARAM>(m_editRow),
                     reinterpret_cast<LPARAM>(&value));
    }
    CloseEditor();
}

void CPropertyList::CloseEditor()
{
    if (m_editor)
        ShowWindow(m_editor->hWnd(), SW_HIDE);
    m_editRow = -1;
}
