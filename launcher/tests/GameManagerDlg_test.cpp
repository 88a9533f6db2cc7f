// The game manager dialog (template 202) and its property list, shown for real
// on the test display: the modal-box seam runs the dialog and a script inside
// its modal loop, which drives it with window messages, reads its texts and
// keeps a screenshot of each mode.
#include "BmpFile.h"
#include "FdUi.h"
#include "GameDefinitions.h"
#include "GameManagerDlg.h"
#include "GameManagerRes.h"
#include "Screenshot.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace
{
constexpr UINT kRunScript = WM_APP + 7;

DLGPROC g_realProc = nullptr;
std::function<void(HWND)> g_script;
std::vector<std::string> g_boxes;

INT_PTR CALLBACK ScriptedProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kRunScript)
    {
        // The modal loop shows the dialog once its queue is empty: the script
        // runs first, so it shows it itself.
        ShowWindow(hwnd, SW_SHOW);
        UpdateWindow(hwnd);
        if (g_script)
            g_script(hwnd);
        return TRUE;
    }
    const INT_PTR result = g_realProc(hwnd, message, wParam, lParam);
    if (message == WM_INITDIALOG)
        PostMessageA(hwnd, kRunScript, 0, 0);
    return result;
}

INT_PTR ShowWithScript(HINSTANCE hinst, LPCSTR pszTemplate, HWND hwndParent, DLGPROC pfnProc, LPARAM lParam)
{
    g_realProc = pfnProc;
    return DialogBoxParamA(hinst, pszTemplate, hwndParent, ScriptedProc, lParam);
}

int AnswerOk(HWND, const char* text, const char* caption, UINT type)
{
    g_boxes.push_back(std::string(caption) + "|" + text + "|" + std::to_string(type));
    return IDOK;
}

std::string Text(HWND dialog, int id)
{
    char text[256] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

std::string ItemText(HWND tree, HTREEITEM item)
{
    char text[256] = "";
    TVITEMA data = {};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = text;
    data.cchTextMax = sizeof text;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data));
    return text;
}

// The tree item whose path of labels from the root is given.
HTREEITEM Find(HWND tree, const std::vector<std::string>& path)
{
    HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    for (const std::string& label : path)
    {
        item = reinterpret_cast<HTREEITEM>(
            SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
        while (item && ItemText(tree, item) != label)
            item = reinterpret_cast<HTREEITEM>(
                SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
    }
    return item;
}

void Select(HWND tree, HTREEITEM item)
{
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
}

std::string ListText(HWND list, int row, int column)
{
    char text[256] = "";
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

// A click on a row: selected, then activated as the list reports it to its owner.
void Activate(HWND dialog, HWND list, int row)
{
    LVITEMA state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
    NMITEMACTIVATE activate = {};
    activate.hdr.hwndFrom = list;
    activate.hdr.idFrom = CPropertyList::kListId;
    activate.hdr.code = LVN_ITEMACTIVATE;
    activate.iItem = row;
    SendMessageA(dialog, WM_NOTIFY, CPropertyList::kListId, reinterpret_cast<LPARAM>(&activate));
}

uint32_t Rgb(COLORREF c)
{
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

// The dialog as the screen shows it, kept as an artefact; the colour at a point
// of a control (window coordinates of that control).
class CShot
{
public:
    CShot(HWND dialog, const std::string& name) : m_dialog(dialog)
    {
        SetForegroundWindow(dialog);
        RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        GetWindowRect(dialog, &m_rect);
        m_pixels = FdBrowserHost::captureWindowOnScreen(dialog);
        if (const char* dir = std::getenv("FD_LUDEX_ARTEFACTS"))
        {
            const std::vector<uint8_t> bytes = FdBrowserHost::bmpEncode(m_pixels);
            std::ofstream(std::string("Z:") + dir + "/" + name + ".bmp", std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<std::streamsize>(bytes.size()));
        }
    }
    uint32_t At(HWND control, int x, int y) const
    {
        RECT rc = {};
        GetWindowRect(control, &rc);
        return FdBrowserHost::dwPixel(m_pixels, static_cast<uint32_t>(rc.left + x - m_rect.left),
                                      static_cast<uint32_t>(rc.top + y - m_rect.top));
    }

private:
    HWND m_dialog;
    RECT m_rect = {};
    FdBrowserHost::SPixels m_pixels;
};

std::unique_ptr<CZeltoGameList> Games()
{
    return ParseGameDefinitions(
        "<games>"
        "<game xmlns=\"g.def\" gid=\"tetra\" technoid=\"fake\"><gname>Tetra</gname><gdesc>Blocs</gdesc>"
        "<gattribs><attrib name=\"lang\" fname=\"Langue\" type=\"combo\">fr<option "
        "name=\"fr\">Français</option>"
        "<option name=\"en\">English</option></attrib></gattribs>"
        "<version vnbr=\"1.5\" vid=\"v15\"><vname>Tetra 1.5</vname><vdesc>La 1.5</vdesc>"
        "<vdd vddn=\"inst1\"><vdi n=\"path\"><val>C:\\a</val></vdi></vdd>"
        "<vdd vddn=\"inst2\"><vdi n=\"path\"><val>C:\\b</val></vdi></vdd></version>"
        "<version vnbr=\"2\"><vname>Tetra 2</vname></version></game>"
        "<game xmlns=\"g.def\" gid=\"other\"><gname>Other</gname><version vnbr=\"1\"/></game>"
        "</games>",
        kGameDefNamespace);
}

class GameManagerDlgTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FdUi::pfnSetDialogBoxHook(ShowWithScript);
        FdUi::pfnSetMessageBoxHook(AnswerOk);
        g_boxes.clear();
    }
    void TearDown() override
    {
        FdUi::pfnSetDialogBoxHook(nullptr);
        FdUi::pfnSetMessageBoxHook(nullptr);
        g_script = nullptr;
    }
};
} // namespace

TEST(InputField, TypeWordsAndChoices)
{
    struct
    {
        const char* word;
        int32_t type;
        const char* value;
    } cases[] = {{"edit", 1, "d"}, {"EDIT", 1, "d"}, {"Path", 3, "d"},
                 {"combo", 2, ""}, {"list", 0, ""},  {"", 0, ""}};
    for (const auto& c : cases)
    {
        const CInputField field("n", "l", 3, 4, c.word, "d");
        EXPECT_EQ(c.type, field.type) << c.word;
        EXPECT_EQ(c.value, field.value) << c.word;
        EXPECT_EQ(3, field.x);
        EXPECT_EQ(4, field.y);
    }
    CInputField combo("n", "l", 0, 0, "combo", "");
    combo.AddChoice("a", "A");
    combo.AddChoice("b", "B");
    combo.AddChoice("a", "A2");
    EXPECT_EQ((std::vector<std::pair<std::string, std::string>>{{"a", "A2"}, {"b", "B"}}), combo.choices);
}

TEST(InputField, CommonControlsVersion)
{
    EXPECT_LE(5u, HIWORD(CGameManagerDlg::CommonControlsVersion()));
}

TEST_F(GameManagerDlgTest, ChoiceModeOkOnlyWithAVersion)
{
    std::unique_ptr<CZeltoGameList> games = Games();
    CGameManagerDlg dialog;
    dialog.SetList(games.get(), CGameManagerDlg::kModeChoice);
    bool ran = false;
    g_script = [&](HWND hwnd)
    {
        ran = true;
        HWND tree = dialog.Tree();
        HWND ok = GetDlgItem(hwnd, IDC_GM_OK);
        EXPECT_EQ("Zelto", std::string(
                               [&]
                               {
                                   char t[64] = "";
                                   GetWindowTextA(hwnd, t, sizeof t);
                                   return std::string(t);
                               }()));
        EXPECT_EQ("Jeux compatibles", ItemText(tree, Find(tree, {})));
        EXPECT_FALSE(IsWindowEnabled(ok)) << "no version chosen";
        EXPECT_EQ("Zelto", Text(hwnd, IDC_GM_GROUP));
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(hwnd, IDC_GM_GAMENAME)));

        Select(tree, Find(tree, {"Tetra"}));
        EXPECT_FALSE(IsWindowEnabled(ok)) << "a game of two versions names none";
        EXPECT_EQ("Tetra", Text(hwnd, IDC_GM_GROUP));
        EXPECT_EQ("Blocs", Text(hwnd, IDC_GM_DESC));
        Select(tree, Find(tree, {"Other"}));
        EXPECT_TRUE(IsWindowEnabled(ok)) << "a game of one version names it";
        EXPECT_EQ("Other - ", Text(hwnd, IDC_GM_GROUP));
        Select(tree, Find(tree, {"Tetra", "Tetra 1.5"}));
        EXPECT_TRUE(IsWindowEnabled(ok));
        EXPECT_EQ("Tetra - Tetra 1.5", Text(hwnd, IDC_GM_GROUP));
        EXPECT_EQ("La 1.5", Text(hwnd, IDC_GM_DESC));
        HWND list = dialog.Attributes().List();
        char title[32] = "";
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT;
        column.pszText = title;
        column.cchTextMax = sizeof title;
        SendMessageA(list, LVM_GETCOLUMNA, 1, reinterpret_cast<LPARAM>(&column));
        EXPECT_EQ("Valeur", std::string(title));
        EXPECT_EQ("v15", ListText(list, 0, 1));
        Select(tree, Find(tree, {"Tetra", "Tetra 1.5", "inst2"}));
        EXPECT_EQ("C:\\b", ListText(list, 0, 1));

        // The picture: the tree's white field, the button face of Cancel.
        const CShot shot(hwnd, "game-dialog-choice");
        RECT treeRect = {};
        GetClientRect(tree, &treeRect);
        EXPECT_EQ(Rgb(GetSysColor(COLOR_WINDOW)), shot.At(tree, treeRect.right - 8, treeRect.bottom - 8));
        EXPECT_EQ(Rgb(GetSysColor(COLOR_BTNFACE)), shot.At(GetDlgItem(hwnd, IDC_GM_CANCEL), 4, 10));
        // Nothing is deleted while choosing.
        SendMessageA(hwnd, WM_COMMAND, IDM_GM_DELETE, 0);
        EXPECT_TRUE(g_boxes.empty());
        EXPECT_NE(nullptr, Find(tree, {"Tetra", "Tetra 1.5", "inst2"}));
        SendMessageA(ok, BM_CLICK, 0, 0);
    };
    EXPECT_EQ(1, dialog.Run(nullptr));
    EXPECT_TRUE(ran);
    ASSERT_NE(nullptr, dialog.SelectedVersion());
    EXPECT_EQ("Tetra 1.5", dialog.SelectedVersion()->name);
    EXPECT_EQ("inst2", dialog.SelectedInstanceName());
    EXPECT_FALSE(dialog.IsChanged());
}

TEST_F(GameManagerDlgTest, ManagerModeDeletesAndEditsInPlace)
{
    std::unique_ptr<CZeltoGameList> games = Games();
    CGameManagerDlg dialog;
    dialog.SetList(games.get(), CGameManagerDlg::kModeManager);
    bool ran = false;
    g_script = [&](HWND hwnd)
    {
        ran = true;
        HWND tree = dialog.Tree();
        EXPECT_EQ("Jeux déclarés", ItemText(tree, Find(tree, {})));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(hwnd, IDC_GM_OK)));

        // Deleting a version asks first, then the tree shows what is left.
        Select(tree, Find(tree, {"Tetra", "Tetra 2"}));
        SendMessageA(hwnd, WM_COMMAND, IDM_GM_DELETE, 0);
        EXPECT_EQ((std::vector<std::string>{"Suppression|Suppression?\n=> [Tetra]\n-> Tetra 2\n|33"}),
                  g_boxes);
        EXPECT_EQ(nullptr, Find(tree, {"Tetra", "Tetra 2"}));
        EXPECT_NE(nullptr, Find(tree, {"Tetra", "Tetra 1.5"}));

        // In-place editing of the game's attributes.
        Select(tree, Find(tree, {"Tetra"}));
        HWND list = dialog.Attributes().List();
        ASSERT_EQ("Langue", ListText(list, 2, 0));
        EXPECT_EQ("fr", ListText(list, 2, 1));
        Activate(hwnd, list, 0);
        HWND editor = dialog.Attributes().Editor();
        ASSERT_NE(nullptr, editor);
        char cls[16] = "";
        GetClassNameA(editor, cls, sizeof cls);
        EXPECT_STRCASEEQ("Edit", cls);
        char text[64] = "";
        GetWindowTextA(editor, text, sizeof text);
        EXPECT_EQ("tetra", std::string(text));
        SetWindowTextA(editor, "dropped");
        SendMessageA(editor, WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_EQ("tetra", ListText(list, 0, 1)) << "Escape keeps the value";
        Activate(hwnd, list, 0);
        SetWindowTextA(dialog.Attributes().Editor(), "tetris");
        SendMessageA(dialog.Attributes().Editor(), WM_KEYDOWN, VK_RETURN, 0);
        EXPECT_EQ("tetris", ListText(list, 0, 1));
        EXPECT_EQ("tetris", dialog.Attributes().FieldAt(0)->value);

        // A combo row after an edit row: a drop-down list of its choices, the value selected.
        Activate(hwnd, list, 2);
        editor = dialog.Attributes().Editor();
        GetClassNameA(editor, cls, sizeof cls);
        EXPECT_STRCASEEQ("ComboBox", cls);
        EXPECT_EQ(2, SendMessageA(editor, CB_GETCOUNT, 0, 0));
        EXPECT_EQ(0, SendMessageA(editor, CB_GETCURSEL, 0, 0));
        SendMessageA(editor, CB_SETCURSEL, 1, 0);
        const CShot shot(hwnd, "game-dialog-manager");
        SendMessageA(editor, WM_KEYDOWN, VK_RETURN, 0);
        EXPECT_EQ("English", ListText(list, 2, 1));
        EXPECT_EQ("en", dialog.Attributes().FieldAt(2)->value);
        RECT listRect = {};
        GetClientRect(list, &listRect);
        EXPECT_EQ(Rgb(GetSysColor(COLOR_WINDOW)), shot.At(list, listRect.right / 2, listRect.bottom - 8));
        EXPECT_EQ(Rgb(GetSysColor(COLOR_BTNFACE)), shot.At(GetDlgItem(hwnd, IDC_GM_OK), 4, 10));

        // Escape and the close box do not end the dialog; Cancel does.
        SendMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
        SendMessageA(hwnd, WM_CLOSE, 0, 0);
        EXPECT_TRUE(IsWindowVisible(hwnd));
        SendMessageA(GetDlgItem(hwnd, IDC_GM_CANCEL), BM_CLICK, 0, 0);
    };
    EXPECT_EQ(2, dialog.Run(nullptr));
    EXPECT_TRUE(ran);
    EXPECT_TRUE(dialog.IsChanged());
    EXPECT_EQ(1, games->GetAt(0)->versions->Count());
}
