// The disk search and its dialogs on the test display. The search runs on this
// thread as the plug runs it (modal progress dialog); a test thread plays the
// user: it waits until the walk reaches a folder, where the owner holds the
// search thread, looks at the dialog, presses its buttons and lets the walk
// go on. Confirmation boxes go through the modal-box seam. The drives are C:
// only (Wine's Z: is the whole Linux tree), in a prefix of the test's own.
#include "BmpFile.h"
#include "DiskSearch.h"
#include "DiskSearchRes.h"
#include "DriveMask.h"
#include "DriveTypeDlg.h"
#include "FdUi.h"
#include "Screenshot.h"
#include "TestKit.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace
{
constexpr DWORD kBoundMs = 10000;

// The dialog that shows now, as the seam opened it.
std::atomic<HWND> g_dialog{nullptr};
DLGPROC g_realProc = nullptr;

INT_PTR CALLBACK CapturingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    const INT_PTR result = g_realProc(hwnd, message, wParam, lParam);
    if (message == WM_INITDIALOG)
        g_dialog.store(hwnd);
    else if (message == WM_DESTROY)
        g_dialog.store(nullptr);
    return result;
}

INT_PTR ShowCapturing(HINSTANCE hinst, LPCSTR pszTemplate, HWND hwndParent, DLGPROC pfnProc, LPARAM lParam)
{
    g_realProc = pfnProc;
    return DialogBoxParamA(hinst, pszTemplate, hwndParent, CapturingProc, lParam);
}

// A seam that never shows the dialog, as a scripted run answers it.
INT_PTR NeverShown(HINSTANCE, LPCSTR, HWND, DLGPROC, LPARAM)
{
    return IDCANCEL;
}

// Confirmation boxes: each is recorded and answered in turn.
std::mutex g_boxMutex;
std::vector<std::string> g_boxes;
std::deque<int> g_answers;

int AnswerBox(HWND, const char* text, const char* caption, UINT type)
{
    std::lock_guard<std::mutex> lock(g_boxMutex);
    g_boxes.push_back(std::string(caption) + "|" + text + "|" + std::to_string(type));
    const int answer = g_answers.empty() ? IDOK : g_answers.front();
    if (!g_answers.empty())
        g_answers.pop_front();
    return answer;
}

std::string Text(HWND dialog, int id)
{
    char text[512] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

// The searcher's owner: records what it is told and can hold the search
// thread at the first folder until the test thread lets it go.
class CTestOwner : public IDiskSearchOwner
{
public:
    CTestOwner()
    {
        m_paused.dwCreate(true, false);
        m_resume.dwCreate(true, false);
    }
    void vHoldAtFirstFolder() { m_boHold = true; }
    bool boWaitHeld() { return m_paused.dwWait(kBoundMs) == WAIT_OBJECT_0; }
    void vResume() { m_resume.boSet(); }

    void vOnSearchProgress(const std::string& strFolder, double dRatio, bool&, bool&, bool&) override
    {
        ++m_iProgress;
        if (dRatio < 0 || dRatio > 1)
            m_boBadRatio = true;
        if (m_boHold && m_iProgress == 1)
        {
            m_strHeldAt = strFolder;
            m_paused.boSet();
            m_resume.dwWait(kBoundMs);
        }
    }
    void vOnFileMatching(const std::string& strPath) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        found.push_back(strPath);
    }
    void vOnSearchCompleted() override { ++completed; }
    void vOnSearchCancelled() override { ++cancelled; }

    std::mutex m_mutex;
    std::vector<std::string> found;
    int completed = 0;
    int cancelled = 0;
    std::atomic<int> m_iProgress{0};
    std::atomic<bool> m_boBadRatio{false};
    std::string m_strHeldAt;

private:
    bool m_boHold = false;
    FdWin::CEvent m_paused, m_resume;
};

uint32_t Rgb(COLORREF c)
{
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

// The dialog as the screen shows it, kept as an artefact.
class CShot
{
public:
    CShot(HWND dialog, const std::string& name)
    {
        RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        GetWindowRect(dialog, &m_rect);
        pixels = FdBrowserHost::captureWindowOnScreen(dialog);
        if (const char* dir = std::getenv("FD_PLUGS_ARTEFACTS"))
        {
            CreateDirectoryA((std::string("Z:") + dir).c_str(), nullptr);
            const std::vector<uint8_t> bytes = FdBrowserHost::bmpEncode(pixels);
            std::ofstream(std::string("Z:") + dir + "/" + name + ".bmp", std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<std::streamsize>(bytes.size()));
        }
    }
    // The colour at a point of a control, in that control's window coordinates.
    uint32_t At(HWND control, int x, int y) const
    {
        RECT rc = {};
        GetWindowRect(control, &rc);
        return FdBrowserHost::dwPixel(pixels, static_cast<uint32_t>(rc.left + x - m_rect.left),
                                      static_cast<uint32_t>(rc.top + y - m_rect.top));
    }
    // How many pixels of a control's window have this colour.
    int Count(HWND control, uint32_t rgb) const
    {
        RECT rc = {};
        GetWindowRect(control, &rc);
        int n = 0;
        for (int y = 0; y < rc.bottom - rc.top; ++y)
            for (int x = 0; x < rc.right - rc.left; ++x)
                n += At(control, x, y) == rgb ? 1 : 0;
        return n;
    }
    FdBrowserHost::SPixels pixels;

private:
    RECT m_rect = {};
};

class DiskSearchTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FdUi::pfnSetDialogBoxHook(ShowCapturing);
        FdUi::pfnSetMessageBoxHook(AnswerBox);
        std::lock_guard<std::mutex> lock(g_boxMutex);
        g_boxes.clear();
        g_answers.clear();
        // A game below the temporary folder, on C:.
        CreateDirectoryA(scratch.File("games").c_str(), nullptr);
        CreateDirectoryA(scratch.File("games\\Zelto").c_str(), nullptr);
        CreateDirectoryA(scratch.File("other").c_str(), nullptr);
        std::ofstream(game(), std::ios::binary) << "MZ";
        std::ofstream(scratch.File("other\\GAME.TXT"), std::ios::binary) << "no";
        ASSERT_EQ(0, game().compare(0, 3, "C:\\")) << game();
    }
    void TearDown() override
    {
        FdUi::pfnSetDialogBoxHook(nullptr);
        FdUi::pfnSetMessageBoxHook(nullptr);
        if (m_user.joinable())
            m_user.join();
    }

    std::string game() const { return scratch.File("games\\Zelto\\GAME.EXE"); }
    std::vector<std::string> boxes()
    {
        std::lock_guard<std::mutex> lock(g_boxMutex);
        return g_boxes;
    }
    // The user's part, on a thread of its own while this one runs the dialog.
    void vUser(std::function<void()> act) { m_user = std::thread(std::move(act)); }

    FdTestKit::CScratchFolder scratch;
    CTestOwner owner;
    std::thread m_user;
};

// Presses a button of the dialog as a click reports it; returns once the
// dialog has handled it (and any confirmation box has been answered).
void Press(HWND dialog, int id)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}
} // namespace

TEST_F(DiskSearchTest, FindsTheGameOnCAndEndsItself)
{
    CDiskSearch search(owner, dwUpdateSearchMask(0));
    search.vSetDriveRoots({"C:\\"});
    EXPECT_TRUE(search.boAddName("game.exe"));
    EXPECT_FALSE(search.boAddName("GAME.EXE"));

    // Nobody touches the dialog: it ends when the walk has ended.
    EXPECT_EQ(CDiskSearch::kRunCompleted, search.lRun());
    EXPECT_EQ(kSearchCompleted, search.lResult());
    EXPECT_EQ(std::vector<std::string>{game()}, search.FoundPaths());
    EXPECT_EQ(std::vector<std::string>{game()}, owner.found);
    EXPECT_EQ(1, owner.completed);
    EXPECT_EQ(0, owner.cancelled);
    EXPECT_FALSE(owner.m_boBadRatio.load());
    EXPECT_GT(search.Walker().ullFoldersRead(), 10u);
    ASSERT_EQ(1u, search.Walker().SelectedDrives().size());
    EXPECT_EQ(kDriveTypeFixed, search.Walker().SelectedDrives()[0].dwType);
    EXPECT_TRUE(boxes().empty());
    EXPECT_EQ(nullptr, g_dialog.load());

    // A mask without fixed drives selects nothing: completed at once.
    CDiskSearch none(owner, kDriveNibbleCdrom);
    none.vSetDriveRoots({"C:\\"});
    none.boAddName("game.exe");
    EXPECT_EQ(CDiskSearch::kRunCompleted, none.lRun());
    EXPECT_TRUE(none.FoundPaths().empty());
    EXPECT_EQ(0u, none.Walker().ullFoldersRead());
}

TEST_F(DiskSearchTest, StopHereGives400AfterAnUnconfirmedCancel)
{
    CDiskSearch search(owner, kDriveNibbleFixed);
    search.vSetDriveRoots({"C:\\"});
    search.boAddName("game.exe");
    owner.vHoldAtFirstFolder();
    {
        std::lock_guard<std::mutex> lock(g_boxMutex);
        g_answers = {IDCANCEL, IDOK}; // Cancel not confirmed, Stop here confirmed
    }

    std::string strDirectory, strCount, strCaption, strStopText;
    bool boShown = false;
    uint32_t dwIconTop = 0, dwIconMiddle = 0, dwFace = 0;
    int iTextPixels = 0;
    vUser(
        [&]
        {
            if (!owner.boWaitHeld())
                return;
            const HWND dialog = g_dialog.load();
            if (!dialog)
                return;
            boShown = FdTestKit::boPumpUntil([&] { return Text(dialog, IDC_SEARCH_DIRECTORY) == "C:\\"; });
            strDirectory = Text(dialog, IDC_SEARCH_DIRECTORY);
            strCount = Text(dialog, IDC_SEARCH_FOUNDCOUNT);
            strStopText = Text(dialog, IDC_SEARCH_STOPHERE);
            char caption[128] = "";
            GetWindowTextA(dialog, caption, sizeof caption);
            strCaption = caption;

            CShot shot(dialog, "disk-search-dialog-119");
            const HWND stop = GetDlgItem(dialog, IDC_SEARCH_STOPHERE);
            RECT rc = {};
            GetClientRect(stop, &rc);
            POINT centre = {rc.right / 2, rc.bottom / 2};
            ClientToScreen(stop, &centre);
            RECT wr = {};
            GetWindowRect(stop, &wr);
            const int cx = centre.x - wr.left, cy = centre.y - wr.top;
            dwIconTop = shot.At(stop, cx, cy - 10); // the octagon's red
            dwIconMiddle = shot.At(stop, cx, cy);   // its white bar
            const HWND skip = GetDlgItem(dialog, IDC_SEARCH_SKIPDISK);
            dwFace = shot.At(skip, -4, 6); // the dialog beside the button
            iTextPixels =
                shot.Count(GetDlgItem(dialog, IDC_SEARCH_DIRECTORY), Rgb(GetSysColor(COLOR_WINDOWTEXT)));

            Press(dialog, IDCANCEL);            // answered Cancel: the search goes on
            Press(dialog, IDC_SEARCH_STOPHERE); // answered OK
            owner.vResume();
        });

    EXPECT_EQ(CDiskSearch::kRunCompleted, search.lRun());
    m_user.join();
    EXPECT_EQ(kSearchCompleted, search.lResult());
    EXPECT_EQ(1, owner.completed);
    EXPECT_EQ(0, owner.cancelled);
    EXPECT_EQ("C:\\", owner.m_strHeldAt);
    // Stopped at the next folder: the first folder's listing is all that was read.
    EXPECT_EQ(1u, search.Walker().ullFoldersRead());
    EXPECT_TRUE(search.FoundPaths().empty());

    EXPECT_TRUE(boShown);
    EXPECT_EQ("C:\\", strDirectory);
    EXPECT_EQ("0", strCount);
    EXPECT_EQ("Zelto Game Launcher", strCaption);
    EXPECT_EQ("Stop here", strStopText);
    const std::string type = std::to_string(MB_OKCANCEL | MB_ICONQUESTION);
    EXPECT_EQ((std::vector<std::string>{"Zelto Game Launcher|Annuler la recherche ?|" + type,
                                        "Zelto Game Launcher|Terminer la recherche ?|" + type}),
              boxes());

    // The picture: the stop icon on its button, the dialog's face, the folder's text.
    EXPECT_EQ(0xD01010u, dwIconTop) << std::hex << dwIconTop;
    EXPECT_EQ(0xFFFFFFu, dwIconMiddle) << std::hex << dwIconMiddle;
    EXPECT_EQ(Rgb(GetSysColor(COLOR_BTNFACE)), dwFace) << std::hex << dwFace;
    EXPECT_GT(iTextPixels, 5);
}

TEST_F(DiskSearchTest, ConfirmedCancelGives401)
{
    CDiskSearch search(owner, kDriveNibbleFixed);
    search.vSetDriveRoots({"C:\\"});
    search.boAddName("game.exe");
    owner.vHoldAtFirstFolder();
    vUser(
        [&]
        {
            if (!owner.boWaitHeld() || !g_dialog.load())
                return;
            Press(g_dialog.load(), IDCANCEL); // answered OK
            owner.vResume();
        });

    EXPECT_EQ(CDiskSearch::kRunNotCompleted, search.lRun());
    m_user.join();
    EXPECT_EQ(kSearchCancelled, search.lResult());
    EXPECT_EQ(0, owner.completed);
    EXPECT_EQ(1, owner.cancelled);
    EXPECT_EQ(1u, boxes().size());
}

TEST_F(DiskSearchTest, SkipDiskMovesToTheNextDriveOnly)
{
    // Two roots stand for two drives: C:\ is skipped at its first folder, the
    // games folder is walked whole (the skip was reset for it).
    CDiskSearch search(owner, kDriveNibbleFixed);
    search.vSetDriveRoots({"C:\\", scratch.File("games")});
    search.boAddName("GAME.EXE");
    owner.vHoldAtFirstFolder();
    vUser(
        [&]
        {
            if (!owner.boWaitHeld() || !g_dialog.load())
                return;
            Press(g_dialog.load(), IDC_SEARCH_SKIPDISK);
            owner.vResume();
        });

    EXPECT_EQ(CDiskSearch::kRunCompleted, search.lRun());
    m_user.join();
    EXPECT_EQ(std::vector<std::string>{game()}, search.FoundPaths());
    EXPECT_EQ(
        3u,
        search.Walker().ullFoldersRead()); // the root up to its first sub-folder, then games and games/Zelto
    EXPECT_TRUE(boxes().empty());
}

TEST_F(DiskSearchTest, ADialogThatNeverShowsStopsTheThread)
{
    // The search thread waits for the dialog; when the seam answers without
    // showing it, the thread is stopped through its event and joined.
    FdUi::pfnSetDialogBoxHook(NeverShown);
    CDiskSearch search(owner, kDriveNibbleFixed);
    search.vSetDriveRoots({"C:\\"});
    search.boAddName("game.exe");
    EXPECT_EQ(CDiskSearch::kRunNotCompleted, search.lRun());
    EXPECT_EQ(0, search.lResult());
    EXPECT_EQ(0, owner.m_iProgress.load());
    EXPECT_EQ(0, owner.completed + owner.cancelled);

    // The same searcher runs again once the dialog shows.
    FdUi::pfnSetDialogBoxHook(ShowCapturing);
    EXPECT_EQ(CDiskSearch::kRunCompleted, search.lRun());
    EXPECT_EQ(std::vector<std::string>{game()}, search.FoundPaths());
}

TEST_F(DiskSearchTest, DriveTypeDialogGivesTheMaskChangedByClicks)
{
    const struct
    {
        uint32_t dwMask;
        std::vector<int> clicks;
        int iEnd;
        uint32_t dwAfter;
        bool boFixed, boNetwork, boRemovable, boCdrom; // as shown first
    } cases[] = {
        {0x0F0F, {IDC_DRIVE_NETWORK, IDC_DRIVE_CDROM}, IDOK, 0x00FF, true, false, false, true},
        {0x0007, {IDC_DRIVE_FIXED}, IDOK, 0x000F, false, false, false, false},
        {0xF0F0,
         {IDC_DRIVE_REMOVABLE, IDC_DRIVE_REMOVABLE, IDC_DRIVE_NETWORK},
         IDCANCEL,
         0xF000,
         false,
         true,
         true,
         false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "mask 0x" << std::hex << c.dwMask);
        bool shown[4] = {};
        std::string strCaption, strMessage;
        vUser(
            [&]
            {
                HWND dialog = nullptr;
                if (!FdTestKit::boPumpUntil([&] { return (dialog = g_dialog.load()) != nullptr; }))
                    return;
                const int ids[4] = {IDC_DRIVE_FIXED, IDC_DRIVE_NETWORK, IDC_DRIVE_REMOVABLE, IDC_DRIVE_CDROM};
                for (int i = 0; i < 4; ++i)
                    shown[i] = SendDlgItemMessageA(dialog, ids[i], BM_GETCHECK, 0, 0) == BST_CHECKED;
                char caption[64] = "";
                GetWindowTextA(dialog, caption, sizeof caption);
                strCaption = caption;
                strMessage = Text(dialog, IDC_DRIVE_MSG_MESSAGE);
                for (int id : c.clicks)
                    SendDlgItemMessageA(dialog, id, BM_CLICK, 0, 0);
                PostMessageA(GetDlgItem(dialog, c.iEnd), BM_CLICK, 0, 0);
            });
        CDriveTypeDlg dlg(c.dwMask);
        EXPECT_EQ(c.iEnd, dlg.iRun());
        m_user.join();
        EXPECT_EQ(c.dwAfter, dlg.dwMask()) << std::hex << dlg.dwMask();
        EXPECT_EQ(c.boFixed, shown[0]);
        EXPECT_EQ(c.boNetwork, shown[1]);
        EXPECT_EQ(c.boRemovable, shown[2]);
        EXPECT_EQ(c.boCdrom, shown[3]);
        EXPECT_EQ("Question", strCaption);
        EXPECT_EQ("What type of drives would you like the CmdLine PlugIn to search ?", strMessage);
        EXPECT_EQ(nullptr, dlg.hWnd());
    }
}

TEST_F(DiskSearchTest, DrivesFromTheVariable)
{
    // A program started by a test limits its drives through the environment.
    SetEnvironmentVariableA(kszSearchDrivesVariable,
                            (scratch.File("other") + ";" + scratch.File("games")).c_str());
    CDiskSearch search(owner, kDriveNibbleFixed);
    search.boAddName("game.exe");
    search.boAddName("game.txt");
    const int32_t lRun = search.lRun();
    SetEnvironmentVariableA(kszSearchDrivesVariable, nullptr);
    EXPECT_EQ(CDiskSearch::kRunCompleted, lRun);
    EXPECT_EQ((std::vector<std::string>{scratch.File("other\\GAME.TXT"), game()}), search.FoundPaths());
    ASSERT_EQ(2u, search.Walker().SelectedDrives().size());
    EXPECT_EQ(scratch.File("games") + "\\", search.Walker().SelectedDrives()[1].strRoot);
}
