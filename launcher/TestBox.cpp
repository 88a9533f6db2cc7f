#include "TestBox.h"

#include "FdUi.h"
#include "FileUtil.h"
#include "GameDefinitions.h"
#include "LaunchScriptMgr.h"
#include "LocalGameData.h"
#include "LudexOBPPLauncher.h"
#include "TestBoxDownload.h"
#include "resource.h"

#include <commctrl.h>

namespace
{
const char kTitle[] = "Ludex Test Box";
const char kDumpPath[] = "c:\\temp\\glreg.htm";
// What the control may hold.
constexpr int kMaxScriptText = 256;
} // namespace

CTestBox::CTestBox(const std::string& launchScript, const std::string& varScript, const std::string& command)
    : m_command(command), m_launchScript(launchScript), m_varScript(varScript), m_mgr(new CLaunchScriptMgr())
{
    m_mgr->SetComponent(this);
    // The box outlives its scripts: the developer runs another or closes it.
    m_mgr->SetQuitWhenEnded(false);
}

int32_t CTestBox::RequestHostDownload(const CStringExt& url, const CStringExt&)
{
    SDownloadEnd end = {url, std::string(), true};
    end.error = !boDownloadToTempFile(url, end.path);
    m_downloadEnds.push_back(end);
    // The end reaches the script on a later turn, as the plug-in's answer
    // would. Without the box (gone) nothing is posted: a null window would
    // post to the thread's own queue.
    if (const HWND hwnd = hWnd())
        PostMessageA(hwnd, kMsgDownloadEnd, 0, 0);
    return 0;
}

void CTestBox::vDeliverDownloadEnd()
{
    if (m_downloadEnds.empty())
        return;
    const SDownloadEnd end = m_downloadEnds.front();
    m_downloadEnds.pop_front();
    m_mgr->OnDownloadEnd(end.url, end.path, end.error);
}

CTestBox::~CTestBox()
{
    m_mgr->SetComponent(nullptr);
}

INT_PTR CTestBox::iRun(HINSTANCE hInstance)
{
    return iRunModal(FdUi::iDialogBoxParam, hInstance, MAKEINTRESOURCEA(IDD_TESTBOX), GetActiveWindow());
}

std::string CTestBox::Caption(const std::string& text, uint32_t tick)
{
    if (text.empty())
        return text;
    const uint32_t half = text.size() < 110 ? static_cast<uint32_t>(110 / text.size()) : 1;
    const uint32_t phase = tick % (2 * half);
    const uint32_t spread = phase <= half ? phase : 2 * half - phase;
    std::string caption;
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (i)
            caption.append(spread, ' ');
        caption += text[i];
    }
    return caption;
}

INT_PTR CTestBox::iOnMessage(UINT message, WPARAM wParam, LPARAM)
{
    const HWND hwnd = hWnd();
    switch (message)
    {
    case WM_INITDIALOG:
    {
        SetTimer(hwnd, kTimerId, kTimerMs, nullptr);
        if (!m_launchScript.empty())
            SetDlgItemTextA(hwnd, IDC_TESTBOX_SCRIPT, m_launchScript.c_str());
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
        InitCommonControlsEx(&icc);
        return TRUE;
    }
    case kMsgDownloadEnd:
        vDeliverDownloadEnd();
        return TRUE;
    case WM_TIMER:
        if (wParam == kTimerId)
            SetWindowTextA(hwnd, Caption(kTitle, m_tick++).c_str());
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam))
        {
        case IDC_TESTBOX_RUN:
            vRun(hwnd);
            return TRUE;
        case IDC_TESTBOX_DUMP:
            vDumpGameList();
            return TRUE;
        case IDC_TESTBOX_GAMES:
            m_mgr->OpenGameDialog(CLudexOBPPLauncher::kMenuAllGames);
            return TRUE;
        case IDOK:
        case IDCANCEL:
            KillTimer(hwnd, kTimerId);
            EndDialog(hwnd, LOWORD(wParam) == IDOK ? 1 : 2);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

void CTestBox::vRun(HWND hwnd)
{
    char text[kMaxScriptText + 1] = "";
    GetDlgItemTextA(hwnd, IDC_TESTBOX_SCRIPT, text, sizeof text);
    if (!text[0])
    {
        FdUi::iMessageBox(hwnd,
                          "Please specify a Ludex Launch script first!\n"
                          "In the \"Var Script\", something like:\n"
                          "<var name=\"script:lnch\">....\\Scripts\\lnchscript.xml</var>",
                          kTitle, MB_OK);
        return;
    }
    // The box runs scripts by hand: the engine writes its transcript to the console.
    m_mgr->SetScriptVar("log:console", "1");
    if (!m_varScript.empty() && !m_mgr->LoadVarScript(m_varScript))
        return;
    m_mgr->SetScriptVar("lscr", text);
    if (!m_command.empty())
        m_mgr->OnCommand(CStringExt(m_command));
    m_mgr->Ignition();
}

std::string CTestBox::DumpPath()
{
    char path[MAX_PATH] = "";
    const DWORD length = GetEnvironmentVariableA("FD_LUDEX_DUMP", path, sizeof path);
    return length > 0 && length < sizeof path ? std::string(path, length) : std::string(kDumpPath);
}

void CTestBox::vDumpGameList()
{
    const std::unique_ptr<CZeltoGameList> games = LoadLocalGameList();
    const std::string text = WriteGameDefinitions(*games, kGameDefNamespace);
    const std::string path = DumpPath();
    // An existing file is left as it is; the console shows the list all the same.
    WriteNewTextFile(path, text);
    m_log.boOpenConsole();
    m_log << "[[====== Local Game List Dump (" << path << ")======]]\n\n"
          << text << "[[=======================================================]]\n\n";
}
