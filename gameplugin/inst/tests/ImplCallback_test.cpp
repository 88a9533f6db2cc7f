// The callback that components drive the plug-in through.
#include "FdBstr.h"
#include "FdUi.h"
#include "FolderBrowser.h"
#include "ImplCallback.h"
#include "InstTestSupport.h"
#include "KillableProcessMap.h"
#include "LaunchedApp.h"
#include "ManageDL.h"
#include "PlugInst.h"
#include "PlugInstRes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>

using namespace InstTest;

namespace
{
using Params = std::vector<std::pair<std::string, std::string>>;

void vSet(IDiagOBPP2Cmpt* lpCmpt, const std::string& strName, const std::string& strValue)
{
    lpCmpt->SetParameter(FdCom::CBstr(strName).bstr(), FdCom::CBstr(strValue).bstr());
}

// Has the fake component call the plug-in back with these parameters and word.
void vCallBack(IDiagOBPP2Cmpt* lpCmpt, const Params& params, const std::string& strWord)
{
    for (const auto& p : params)
        vSet(lpCmpt, "CB_" + p.first, p.second);
    vSet(lpCmpt, "CBCMD", strWord);
    lpCmpt->ExecuteCmd(FdCom::CBstr("CALLBACK").bstr());
}

// The folder browser answers from here.
FolderBrowser::EResult g_eBrowse = FolderBrowser::EResult::Cancelled;
std::string g_strBrowsed;
FolderBrowser::EResult BrowseHook(HWND, const char*, UINT, std::string* lpstrPath)
{
    *lpstrPath = g_strBrowsed;
    return g_eBrowse;
}

// The folder chooser runs for real, driven step by step: each step types a
// folder and presses a button.
struct SDialogScript
{
    std::deque<std::pair<std::string, int>> steps;
    DLGPROC lpfnProc = nullptr;
    std::string strCaption, strText, strProposed;
};
SDialogScript* g_lpDialog = nullptr;
constexpr UINT kNextStep = WM_APP + 7;

INT_PTR CALLBACK ScriptedProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == kNextStep)
    {
        char sz[512];
        if (g_lpDialog->strCaption.empty())
        {
            GetWindowTextA(hwnd, sz, sizeof sz);
            g_lpDialog->strCaption = sz;
            GetDlgItemTextA(hwnd, IDC_CHOOSEDIR_TEXT, sz, sizeof sz);
            g_lpDialog->strText = sz;
            GetDlgItemTextA(hwnd, IDC_CHOOSEDIR_PATH, sz, sizeof sz);
            g_lpDialog->strProposed = sz;
        }
        if (g_lpDialog->steps.empty())
        {
            EndDialog(hwnd, IDABORT);
            return TRUE;
        }
        const auto step = g_lpDialog->steps.front();
        g_lpDialog->steps.pop_front();
        SetDlgItemTextA(hwnd, IDC_CHOOSEDIR_PATH, step.first.c_str());
        PostMessageA(hwnd, WM_COMMAND, static_cast<WPARAM>(step.second), 0);
        PostMessageA(hwnd, kNextStep, 0, 0);
        return TRUE;
    }
    const INT_PTR iResult = g_lpDialog->lpfnProc(hwnd, uMsg, wParam, lParam);
    if (uMsg == WM_INITDIALOG)
        PostMessageA(hwnd, kNextStep, 0, 0);
    return iResult;
}

INT_PTR DialogHook(HINSTANCE hinst, LPCSTR lpszTemplate, HWND hwndParent, DLGPROC lpfnProc, LPARAM lParam)
{
    g_lpDialog->lpfnProc = lpfnProc;
    return DialogBoxParamA(hinst, lpszTemplate, hwndParent, ScriptedProc, lParam);
}

SAFEARRAY* lpsaTexts(const std::vector<std::string>& texts)
{
    SAFEARRAY* lpsa = SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(texts.size()));
    for (LONG i = 0; i < static_cast<LONG>(texts.size()); ++i)
        SafeArrayPutElement(lpsa, &i, FdCom::CBstr(texts[static_cast<size_t>(i)]).bstr());
    return lpsa;
}

std::vector<std::string> vecTexts(SAFEARRAY* lpsa)
{
    std::vector<std::string> texts;
    LONG lLow = 0, lHigh = -1;
    SafeArrayGetLBound(lpsa, 1, &lLow);
    SafeArrayGetUBound(lpsa, 1, &lHigh);
    for (LONG i = lLow; i <= lHigh; ++i)
    {
        BSTR b = nullptr;
        SafeArrayGetElement(lpsa, &i, &b);
        texts.push_back(FdCom::strFromBstr(b));
        SysFreeString(b);
    }
    return texts;
}

class ImplCallback : public CInstTest
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(CInstTest::SetUp());
        ASSERT_TRUE(RegisterFakeDll());
        ASSERT_TRUE(RegisterApp("FakeDll", kszFakeDllClsid, "1"));
        m_instance = lpNewInstance(
            {{"name", "zone1"}, {"width", "320"}, {"height", "200"}, {"errurl", "http://127.0.0.1/err.asp"}});
        m_instance->vSetLineHeight(16);
        vLaunch(*m_instance);
        m_browser.calls.clear();
        vClearFakeLog();
    }
    void TearDown() override
    {
        if (m_instance)
            m_instance->vDestroyInstance();
        CInstTest::TearDown();
    }
    static void vLaunch(CPlugInst& instance)
    {
        const std::string strBuffer = strAction("", {{"launchapp", "FakeDll"}}, 3);
        instance.vExecuteAction(strBuffer.c_str(), strBuffer.size());
    }
    IDiagOBPP2Cmpt* lpCmpt(size_t i = 0) const { return m_instance->lpGetApp(i)->lpGetApp(); }
    CImplCallback* lpCallback(size_t i = 0) const { return m_instance->lpGetApp(i)->lpGetCallback(); }

    std::unique_ptr<CPlugInst> m_instance;
};

TEST_F(ImplCallback, PendingParametersBelongToTheNextCommandOnly)
{
    vCallBack(lpCmpt(), {{"NUMMSG", "3"}, {"TEXTMSG", "trois"}}, "SETMSG");
    vCallBack(lpCmpt(), {{"TEXTMSG", "z\xE9ro"}}, "setmsg");
    vCallBack(lpCmpt(), {{"NUMMSG", "50"}, {"TEXTMSG", "hors"}}, "SETMSG");
    vCallBack(lpCmpt(), {{"NUMMSG", "-1"}, {"TEXTMSG", "hors"}}, "SETMSG");
    EXPECT_STREQ("trois", m_instance->lpszGetMessage(3));
    EXPECT_STREQ("z\xE9ro", m_instance->lpszGetMessage(0));
    EXPECT_EQ(nullptr, m_instance->lpszGetMessage(49));
    EXPECT_EQ((std::vector<std::string>{"repaint 0,48,1024,64", "repaint 0,0,1024,16"}), m_browser.calls);
    // GetParameter gives nothing, even for a name just set.
    CImplCallback* lpCb = lpCallback();
    lpCb->SetParameter(FdCom::CBstr("X").bstr(), FdCom::CBstr("1").bstr());
    BSTR bstr = reinterpret_cast<BSTR>(1);
    EXPECT_EQ(S_OK, lpCb->GetParameter(FdCom::CBstr("X").bstr(), &bstr));
    EXPECT_EQ(nullptr, bstr);
}

TEST_F(ImplCallback, CommandWordsReachTheInstance)
{
    vCallBack(lpCmpt(), {{"TURL", "http://127.0.0.1/r.asp"}, {"BFRM", "main"}, {"X", "1"}, {"Y", "deux"}},
              "send");
    vCallBack(lpCmpt(), {{"ADATA", strAction("", {{"URL", "http://127.0.0.1/execa.htm"}}, 1)}}, "EXECA");
    vCallBack(lpCmpt(), {{"FRMDATA", "<b>ok</b>"}, {"FRMNAME", "bas"}}, "SENDB");
    m_browser.boPushResult = false;
    vCallBack(lpCmpt(), {{"FRMDATA", "<b>non</b>"}}, "SENDB");
    vCallBack(lpCmpt(), {{"X", "1"}}, "NOSUCHWORD");
    EXPECT_EQ(
        (std::vector<std::string>{
            "open http://127.0.0.1/r.asp?params=X%A3%A31%A3%A3Y%A3%A3deux%A3%A3 | main",
            "open http://127.0.0.1/execa.htm | (none)",
            "push bas | <b>ok</b>",
            "push (none) | <b>non</b>",
            "open http://127.0.0.1/err.asp?params=APPID%A3%A30%A3%A3JOBID%A3%A30%A3%A3NUMERR%A3%A322%A3%A3"
            "WIN32ERR%A3%A30%A3%A3 | (none)",
        }),
        m_browser.calls);
    vCallBack(lpCmpt(), {}, "HIDEPB");
    EXPECT_FALSE(m_instance->boGetShowProgress());
    vCallBack(lpCmpt(), {}, "ShowPB");
    EXPECT_TRUE(m_instance->boGetShowProgress());
    for (const std::string& line : vecFakeLog())
    {
        if (line.compare(0, 7, "Result|") == 0)
        {
            EXPECT_EQ("Result|00000000", line);
        }
    }
}

TEST_F(ImplCallback, MessageBoxesGoThroughTheSeamAndAnswer)
{
    CBoxScript script;
    script.answers = {IDNO, IDRETRY};
    vCallBack(lpCmpt(), {{"TITLE", "Question"}, {"TEXT", "Continuer ?"}, {"TYPE", "4"}}, "MSGBOX");
    long lResult = 0;
    EXPECT_EQ(S_OK, lpCallback()->MsgBox(FdCom::CBstr("Texte").bstr(), FdCom::CBstr("Titre").bstr(),
                                         MB_RETRYCANCEL, &lResult));
    EXPECT_EQ(IDRETRY, lResult);
    ASSERT_EQ(2u, script.boxes.size());
    EXPECT_EQ("Continuer ?", script.boxes[0].strText);
    EXPECT_EQ("Question", script.boxes[0].strCaption);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_TASKMODAL), script.boxes[0].uType);
    EXPECT_EQ(static_cast<UINT>(MB_RETRYCANCEL), script.boxes[1].uType);
    const std::vector<std::string> log = vecFakeLog();
    const std::vector<std::string> tail(log.end() - 3, log.end());
    EXPECT_EQ((std::vector<std::string>{"SetParameter|RESULT|7", "ExecuteCmd|MSGBOXRES", "Result|00000000"}),
              tail);
}

TEST_F(ImplCallback, ChooseDirCommandAnswersWithTheFolder)
{
    FolderBrowser::pfnSetHook(BrowseHook);
    g_eBrowse = FolderBrowser::EResult::Chosen;
    g_strBrowsed = "C:\\Jeux";
    vCallBack(lpCmpt(), {{"TITLE", "Dossier"}}, "CHOOSEDIR");
    g_eBrowse = FolderBrowser::EResult::Cancelled;
    vCallBack(lpCmpt(), {{"TITLE", "Dossier"}}, "CHOOSEDIR");
    FolderBrowser::pfnSetHook(nullptr);
    const std::vector<std::string> expected = {
        "SetParameter|CB_TITLE|Dossier", "SetParameter|CBCMD|CHOOSEDIR", "ExecuteCmd|CALLBACK",
        "SetParameter|PATHDIR|C:\\Jeux", "ExecuteCmd|CHOOSEDIRRES",      "Result|00000000",
        "SetParameter|CB_TITLE|Dossier", "SetParameter|CBCMD|CHOOSEDIR", "ExecuteCmd|CALLBACK",
        "SetParameter|PATHDIR|",         "ExecuteCmd|CHOOSEDIRRES",      "Result|00000000"};
    EXPECT_EQ(expected, vecFakeLog());
}

TEST_F(ImplCallback, DlCancelWithdrawsTheRequestsOfThatUserData)
{
    vCallBack(lpCmpt(), {{"URL", "http://127.0.0.1/a.bin"}, {"DLUSRD", "5"}, {"SIZE", "10"}}, "DOWNLOAD2");
    vCallBack(lpCmpt(), {{"URL", "http://127.0.0.1/b.bin"}}, "DOWNLOAD");
    EXPECT_EQ(2u, CManageDL::Get().ulGetCount());
    vCallBack(lpCmpt(), {{"DLUSRD", "6"}}, "DLCANCEL");
    EXPECT_EQ(2u, CManageDL::Get().ulGetCount());
    vCallBack(lpCmpt(), {{"DLUSRD", "5"}}, "DLCANCEL");
    // Without DLUSRD: the requests of "DOWNLOAD", whose user data is 0.
    vCallBack(lpCmpt(), {}, "DLCANCEL");
    EXPECT_EQ(0u, CManageDL::Get().ulGetCount());
    EXPECT_EQ((std::vector<std::string>{"download http://127.0.0.1/a.bin new=1 size=10",
                                        "download http://127.0.0.1/b.bin new=0 size=0",
                                        "abort http://127.0.0.1/a.bin delete=0",
                                        "abort http://127.0.0.1/b.bin delete=0"}),
              m_browser.calls);
    // A transfer that ends afterwards only loses its file.
    const std::string strFile = m_strInstallDir + "late.bin";
    ASSERT_TRUE(FdTestKit::boWriteFile(strFile, "x"));
    vClearFakeLog();
    m_instance->vDownloadEnded("http://127.0.0.1/a.bin", true, strFile.c_str(), S_OK);
    EXPECT_FALSE(FdTestKit::boFileExists(strFile));
    EXPECT_TRUE(vecFakeLog().empty());
}

TEST_F(ImplCallback, DetachedCallbackAnswersSFalse)
{
    vLaunch(*m_instance);
    ASSERT_EQ(2u, m_instance->ulGetAppCount());
    CImplCallback* lpLeaving = lpCallback(0);
    CImplCallback* lpStaying = lpCallback(1);
    static_cast<IDiagCmpt2OBPP2*>(lpLeaving)->AddRef();
    static_cast<IDiagCmpt2OBPP2*>(lpStaying)->AddRef();
    lpCmpt(0)->ExecuteCmd(FdCom::CBstr("LEAVE").bstr());
    EXPECT_EQ(1u, m_instance->ulGetAppCount());
    m_instance->vDestroyInstance();
    m_instance.reset();
    for (CImplCallback* lpCb : {lpLeaving, lpStaying})
    {
        long lPid = 7;
        unsigned long dwWidth = 0;
        SAFEARRAY* lpsa = nullptr;
        EXPECT_EQ(S_FALSE, lpCb->SetParameter(FdCom::CBstr("URL").bstr(), FdCom::CBstr("x").bstr()));
        EXPECT_EQ(S_FALSE, lpCb->ExecuteCmd(FdCom::CBstr("DOWNLOAD").bstr()));
        EXPECT_EQ(S_FALSE, lpCb->CmptOut());
        EXPECT_EQ(S_FALSE, lpCb->GetProcessIdentifier(&lPid));
        EXPECT_EQ(S_FALSE, lpCb->GetZoneExtents(FdCom::CBstr("zone1").bstr(), &dwWidth, nullptr));
        EXPECT_EQ(S_FALSE, lpCb->GetKillableProcess(&lpsa));
        EXPECT_EQ(nullptr, lpCb->lpGetComponent());
        static_cast<IDiagCmpt2OBPP2*>(lpCb)->Release();
    }
    EXPECT_EQ(0u, CManageDL::Get().ulGetCount());
    EXPECT_TRUE(m_browser.calls.empty());
}

TEST_F(ImplCallback, ZonesProcessIdentifierAndKillableProcesses)
{
    CImplCallback* lpCb = lpCallback();
    unsigned long dwWidth = 0, dwHeight = 0;
    EXPECT_EQ(S_OK, lpCb->GetZoneExtents(FdCom::CBstr("zone1").bstr(), &dwWidth, &dwHeight));
    EXPECT_EQ(320u, dwWidth);
    EXPECT_EQ(200u, dwHeight);
    EXPECT_EQ(E_INVALIDARG, lpCb->GetZoneExtents(FdCom::CBstr("nowhere").bstr(), &dwWidth, &dwHeight));
    long lPid = 0;
    EXPECT_EQ(S_OK, lpCb->GetProcessIdentifier(&lPid));
    EXPECT_EQ(static_cast<long>(GetCurrentProcessId()), lPid);
    EXPECT_EQ(E_POINTER, lpCb->GetProcessIdentifier(nullptr));

    // A picture for the zone.
    HDC hdc = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
    Rectangle(hdc, 0, 0, 10, 10);
    HENHMETAFILE hEmf = CloseEnhMetaFile(hdc);
    const UINT uBytes = GetEnhMetaFileBits(hEmf, 0, nullptr);
    SAFEARRAY* lpsaBytes = SafeArrayCreateVector(VT_UI1, 0, uBytes);
    void* lpData = nullptr;
    SafeArrayAccessData(lpsaBytes, &lpData);
    GetEnhMetaFileBits(hEmf, uBytes, static_cast<BYTE*>(lpData));
    SafeArrayUnaccessData(lpsaBytes);
    DeleteEnhMetaFile(hEmf);
    EXPECT_EQ(S_OK, lpCb->Display(FdCom::CBstr("zone1").bstr(), lpsaBytes));
    ASSERT_NE(nullptr, m_instance->hGetPicture());
    EXPECT_EQ(uBytes, GetEnhMetaFileBits(m_instance->hGetPicture(), 0, nullptr));
    EXPECT_EQ(E_INVALIDARG, lpCb->Display(FdCom::CBstr("nowhere").bstr(), lpsaBytes));
    SafeArrayDestroy(lpsaBytes);
    // No array: the zone is left without a picture, still S_OK.
    EXPECT_EQ(S_OK, lpCb->Display(FdCom::CBstr("zone1").bstr(), nullptr));
    EXPECT_EQ(nullptr, m_instance->hGetPicture());
    EXPECT_EQ((std::vector<std::string>{"repaint all", "repaint all"}), m_browser.calls);

    // Killable processes: the table's entries, then the servers of every
    // registered component at any depth.
    ASSERT_TRUE(RegisterFakeExe());
    ASSERT_TRUE(RegisterApp("Group\\Nested", kszFakeExeClsid, "1"));
    const std::string strServer =
        strRegText(HKEY_CLASSES_ROOT, std::string("CLSID\\") + kszFakeExeClsid + "\\LocalServer32", nullptr);
    ASSERT_TRUE(CKillableProcessMap::Get().boAddPid(4321));
    EXPECT_EQ(E_POINTER, lpCb->GetKillableProcess(nullptr));
    SAFEARRAY* lpsa = nullptr;
    ASSERT_EQ(S_OK, lpCb->GetKillableProcess(&lpsa));
    ASSERT_NE(nullptr, lpsa);
    std::vector<std::string> texts = vecTexts(lpsa);
    SafeArrayDestroy(lpsa);
    EXPECT_NE(texts.end(), std::find(texts.begin(), texts.end(), "PID:4321"));
    EXPECT_EQ(strServer, texts.back());
    // A caller's array is extended after its own elements.
    lpsa = lpsaTexts({"mine"});
    ASSERT_EQ(S_OK, lpCb->GetKillableProcess(&lpsa));
    std::vector<std::string> extended = vecTexts(lpsa);
    SafeArrayDestroy(lpsa);
    ASSERT_EQ(texts.size() + 1, extended.size());
    EXPECT_EQ("mine", extended[0]);
    EXPECT_EQ(texts, std::vector<std::string>(extended.begin() + 1, extended.end()));
    CKillableProcessMap::Get().boRemovePid(4321);
}

TEST_F(ImplCallback, ChooseDirRefusesReservedNamesAndCreatesTheFolder)
{
    SDialogScript dialog;
    g_lpDialog = &dialog;
    FdUi::pfnSetDialogBoxHook(DialogHook);
    CBoxScript boxes;
    const std::string strChosen = m_dir.File("Jeux\\Zelto");
    dialog.steps = {{"C:\\CON", IDOK}, {strChosen, IDOK}};
    SAFEARRAY* lpsa =
        lpsaTexts({"Zelto", "Choisissez un dossier", "Nom refus\xE9 !", "Erreur", "Installation"});
    long lCreated = -1;
    FdCom::CBstr path;
    EXPECT_EQ(S_OK, lpCallback()->ChooseDir(lpsa, 1, &lCreated, path.pbstrOut()));
    EXPECT_EQ(strChosen, FdCom::strFromBstr(path.bstr()));
    EXPECT_EQ(1, lCreated);
    EXPECT_TRUE(FdTestKit::boFileExists(strChosen));
    EXPECT_EQ("Installation", dialog.strCaption);
    EXPECT_EQ("Choisissez un dossier", dialog.strText);
    char szProgramFiles[MAX_PATH + 1] = "";
    ASSERT_EQ(ERROR_SUCCESS, CPlugInst::lGetProgramFilesDir(szProgramFiles, MAX_PATH));
    EXPECT_EQ(std::string(szProgramFiles) + "\\Zelto", dialog.strProposed);
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ("Nom refus\xE9 !", boxes.boxes[0].strText);
    EXPECT_EQ("Erreur", boxes.boxes[0].strCaption);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONSTOP), boxes.boxes[0].uType);

    // The same folder again: it existed already.
    dialog = SDialogScript{};
    dialog.steps = {{strChosen, IDOK}};
    EXPECT_EQ(S_OK, lpCallback()->ChooseDir(lpsa, 1, &lCreated, path.pbstrOut()));
    EXPECT_EQ(0, lCreated);

    // A folder that cannot be made.
    ASSERT_TRUE(FdTestKit::boWriteFile(m_dir.File("fichier"), "x"));
    dialog = SDialogScript{};
    dialog.steps = {{m_dir.File("fichier\\sous"), IDOK}};
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_CANNOT_MAKE),
              lpCallback()->ChooseDir(lpsa, 1, &lCreated, path.pbstrOut()));
    EXPECT_EQ(0, lCreated);

    dialog = SDialogScript{};
    dialog.steps = {{"", IDCANCEL}};
    EXPECT_EQ(E_ABORT, lpCallback()->ChooseDir(lpsa, 0, &lCreated, path.pbstrOut()));
    EXPECT_EQ("", FdCom::strFromBstr(path.bstr()));
    SafeArrayDestroy(lpsa);
    FdUi::pfnSetDialogBoxHook(nullptr);
    g_lpDialog = nullptr;
}
} // namespace
