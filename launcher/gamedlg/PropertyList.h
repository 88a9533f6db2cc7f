// The property list: a two-column list view of name/value rows (CInputField)
// whose value cell is edited in place, by an edit field or a drop-down list
// opened over it when a row is activated.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "WindowBase.h"

class CInputField
{
public:
    enum : int32_t
    {
        kUnknown = 0,
        kEdit = 1,
        kCombo = 2,
        kPath = 3,
    };

    // typeWord (any case): "edit" and "path" keep defaultValue as the value,
    // "combo" starts without value, any other word is type 0 without value.
    CInputField(const std::string& name, const std::string& label, int32_t x, int32_t y,
                const std::string& typeWord, const std::string& defaultValue);
    // Combo rows: replaces the text of the choice with that value, else appends one.
    void AddChoice(const std::string& value, const std::string& text);

    int32_t x;
    int32_t y;
    std::string name;
    std::string label;
    std::string value;
    int32_t type;
    std::vector<std::pair<std::string, std::string>> choices; // value, text
};

// Told when the list's owner dialog initialises.
class IPropertyListCallback
{
public:
    virtual void OnListInit(LPARAM initParam) = 0;

protected:
    ~IPropertyListCallback() = default;
};

class CPropertyList
{
public:
    static constexpr int kListId = 219;
    static constexpr int kEditorId = 221;
    static constexpr int kEditorMaxText = 4095;

    CPropertyList();
    ~CPropertyList();
    CPropertyList(const CPropertyList&) = delete;
    CPropertyList& operator=(const CPropertyList&) = delete;

    // Creates the list view in parent; false when parent is no window.
    bool Create(HWND parent, IPropertyListCallback* callback);
    void AddColumns(const std::string& title0, int width0, const std::string& title1, int width1);
    // The list keeps a copy of the field; its row index.
    int AddRow(const CInputField& field);
    void Clear();
    CInputField* FieldAt(int row) const;
    int RowCount() const { return static_cast<int>(m_fields.size()); }
    HWND List() const { return m_list; }
    HWND Editor() const;
    int EditRow() const { return m_editRow; }

    // The owner's messages; true when handled (result in *result).
    bool OnParentMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // Opens the editor over the selected row (a row activation).
    void OpenEditor();
    // Key presses handed on by the owner (Return commits, Escape cancels).
    void OnEditorKey(WPARAM key);

private:
    class CEditor;
    void Commit();
    void CloseEditor();
    void PlaceEditor();

    HWND m_list = nullptr;
    HWND m_owner = nullptr;
    IPropertyListCallback* m_callback = nullptr;
    std::unique_ptr<CEditor> m_editor;
    int32_t m_editorType = -1;
    int m_editRow = -1;
    bool m_closing = false;
    HFONT m_font = nullptr;
    std::vector<std::unique_ptr<CInputField>> m_fields;
};
