#include "LaunchScriptMgr.h"

#include "AboutBox.h"
#include "FdUi.h"
#include "GameManagerDlg.h"
#include "GameMatching.h"
#include "LaunchItems.h"
#include "LocalGameData.h"
#include "LudexPlugs.h"
#include "Registry.h"
#include "SimpleItems.h"

#include <bcrypt.h>
#include <process.h>

#include <cstdlib>

namespace
{
const char kRegistryKey[] = "HKCU\\Software\\Zelto\\Ludex";
const char kTrayTip[] = "Ludex - Zelto Game Launcher";
constexpr DWORD kStopTickWaitMs = 1000;
constexpr double kMenuItemHeight = 18.1;
constexpr UINT kProgressPeriodMs = 25;
DWORD g_tickPeriodMs = 200;
} // namespace

void CLaunchScriptMgr::SetTickPeriod(DWORD ms)
{
    g_tickPeriodMs = ms;
}

CLaunchScriptMgr::CLaunchScriptMgr()
    : m_script(this), m_creatorThreadId(GetCurrentThreadId()),
      m_relay(*this, &CLaunchScriptMgr::OnRelayMessage)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (boCreate(instance))
    {
        for (UINT icon = CEngineTick::kFirstIcon; icon < CEngineTick::kFirstIcon + CEngineTick::kIconCount;
             ++icon)
            boAddIcon(icon);
        boTrayAdd(kTrayId, CEngineTick::kFirstIcon, kTrayTip);
    }
    std::srand(GetTickCount());
    if (RegReadValue(kRegistryKey, "dbg", "") == "1")
        m_script.GetVarTank().SetScriptVar("log:console", "1");
    SwitchLogOn();
    m_script.GetVarTank().SetAlert([this](const std::string& text, const std::string& caption)
                                   { Alert(text, caption); });
    m_script.GetItemTank().SetAlert([this](const std::string& text, const std::string& caption)
                                    { Alert(text, caption); });

    HWND relay = CreateWindowExA(0, "static", "LUDEXRELAYTICK", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                 instance, nullptr);
    // A relay that cannot be taken over would never run a tick.
    if (relay && !m_relay.boSubclass(relay))
        DestroyWindow(relay);
    // The relay window exists before the first tick is posted to it.
    StartTick();
}

CLaunchScriptMgr::~CLaunchScriptMgr()
{
    StopTick();
    m_progress.Destroy();
    // The launch part's end reports through this manager: it goes while the
    // manager's members (its log among them) are still there.
    m_script.EndLaunchPart();
    // The static control gets its own procedure back before it goes.
    if (HWND relay = m_relay.hWnd())
    {
        m_relay.vUnsubclass();
        DestroyWindow(relay);
    }
    boTrayDelete(kTrayId);
    PostQuitMessage(0);
}

std::unique_ptr<IScriptMgr> CLaunchScriptMgr::Create()
{
    return std::unique_ptr<IScriptMgr>(new CLaunchScriptMgr());
}

void CLaunchScriptMgr::SwitchLogOn()
{
    CStringExt value;
    if (!m_logOn && m_script.GetVarTank().GetScriptVar("log:console", value))
        m_logOn = m_log.boOpenConsole();
}

void CLaunchScriptMgr::SetScriptVar(const std::string& name, const std::string& value)
{
    m_script.GetVarTank().SetScriptVar(name, value);
    if (name == "log:console")
        SwitchLogOn();
}

std::string CLaunchScriptMgr::GetScriptVar(const std::string& name) const
{
    CStringExt value;
    const_cast<CLaunchScript&>(m_script).GetVarTank().GetScriptVar(name, value);
    return value;
}

bool CLaunchScriptMgr::LoadVarScript(const std::string& text)
{
    const bool loaded = m_script.GetVarTank().LoadText(text) == 1;
    SwitchLogOn();
    return loaded;
}

// ------------------------------------------------------------------ engine calls

void CLaunchScriptMgr::RunEngine(const std::function<void()>& work)
{
    if (m_inEngine)
    {
        m_deferred.push_back(work);
        return;
    }
    m_inEngine = true;
    work();
    while (!m_deferred.empty())
    {
        const std::function<void()> next = m_deferred.front();
        m_deferred.erase(m_deferred.begin());
        next();
    }
    m_inEngine = false;
}

void CLaunchScriptMgr::OnParameter(const CStringExt& name, const CStringExt& value)
{
    if (m_logOn)
        m_log << "OBPP param : [" << name << "] :" << value << "\n";
    if (IsCustomParameter(name))
    {
        if (m_logOn)
            m_log << "OBPP Custom params received : [" << value << "]\n";
        for (const auto& pair : ParseCustomParameters(value))
            SetScriptVar(pair.first, pair.second);
    }
    else
        SetScriptVar(name, value);
}

void CLaunchScriptMgr::Ignition()
{
    const std::string script = GetScriptVar("lscr");
    if (m_logOn)
        m_log << "[[Ludex Ignition : LaunchScript = " << script << "]]\n";
    if (script.empty())
    {
        FdUi::iMessageBox(nullptr, "Launchscript was not defined", "Ludex", MB_OK);
        return;
    }
    RunEngine([this, script] { m_script.Load(script, 0, 0, 0); });
}

void CLaunchScriptMgr::OnDownloadEnd(const CStringExt& url, const CStringExt& path, bool error)
{
    RunEngine([this, url, path, error] { m_script.OnDownloadEnd(url, path, error); });
}

void CLaunchScriptMgr::OnCommand(const CStringExt& word)
{
    if (m_logOn)
        m_log << "OBPP command : [" << word << "]\n";
    RunEngine([this, word] { m_script.OnCommand(word); });
}

bool CLaunchScriptMgr::IsBusy() const
{
    CLaunchScript& script = const_cast<CLaunchScript&>(m_script);
    return script.GetLoadCount() > 0 || (script.GetLaunchPart() && !script.GetLaunchPart()->IsIdle());
}

void CLaunchScriptMgr::OpenGameDialog(uint32_t menuId)
{
    m_gameDialogOpen = true;
    if (m_logOn)
        m_log << "Game dialog " << menuId << "\n";
    auto currentGame = [this]
    { return m_script.GetLaunchPart() ? m_script.GetLaunchPart()->GetCurrentGame() : nullptr; };
    if (currentGame())
    {
        if (FdUi::iMessageBox(nullptr, "Ceci mettra fin a la partie.\nContinuer?", "Zelto",
                              MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        {
            m_gameDialogOpen = false;
            return;
        }
        // The end of the game goes out as the launch part's notifications do: to
        // the game server and the page.
        RunEngine(
            [this]
            {
                if (CLaunchPart* part = m_script.GetLaunchPart())
                    part->NotifyEvent(1002);
            });
    }
    // Read again: the launch may have ended while the question was open.
    const CZeltoGame* current = currentGame();
    std::unique_ptr<CZeltoGameList> list = LoadLocalGameList();
    if (menuId == kMenuGame && current)
    {
        CZeltoGameList game;
        game.Add(current->Copy());
        MergeIntoLocal(*list, game);
    }
    CGameManagerDlg dialog;
    dialog.SetList(list.get(), CGameManagerDlg::kModeManager);
    if (dialog.Run(GetActiveWindow()) == 1 && dialog.IsChanged())
    {
        if (menuId == kMenuGame)
        {
            std::unique_ptr<CZeltoGameList> local = LoadLocalGameList();
            MergeIntoLocal(*local, *list);
            SaveLocalGameList(*local);
        }
        else
            SaveLocalGameList(*list);
    }
    m_gameDialogOpen = false;
}

// ------------------------------------------------------------------ tick

void CLaunchScriptMgr::StartTick()
{
    m_hTickStarted = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    unsigned id = 0;
    m_hTickThread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, TickThreadProc, this, 0, &id));
    if (m_hTickThread && m_hTickStarted)
        WaitForSingleObject(m_hTickStarted, INFINITE); // its message queue exists from here on
}

unsigned __stdcall CLaunchScriptMgr::TickThreadProc(void* argument)
{
    auto* mgr = static_cast<CLaunchScriptMgr*>(argument);
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE); // creates the thread's queue
    mgr->m_tickThreadId = GetCurrentThreadId();
    HWND relay = mgr->m_relay.hWnd();
    if (mgr->m_hTickStarted)
        SetEvent(mgr->m_hTickStarted);
    for (;;)
    {
        const DWORD wait = MsgWaitForMultipleObjects(0, nullptr, FALSE, g_tickPeriodMs, QS_ALLINPUT);
        if (wait == WAIT_TIMEOUT)
        {
            PostMessageA(relay, kMsgTick, 0, 0);
            continue;
        }
        bool stop = false;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            if (msg.message == kMsgStopTick)
                stop = true;
        if (stop)
            break;
    }
    return 0;
}

void CLaunchScriptMgr::StopTick()
{
    if (m_tickThreadId != 0)
    {
        PostThreadMessageA(m_tickThreadId, kMsgStopTick, 0, 0);
        WaitForSingleObject(m_hTickThread, kStopTickWaitMs);
        MSG msg;
        while (PeekMessageA(&msg, m_relay.hWnd(), kMsgTick, kMsgTick, PM_REMOVE))
        {
        }
        m_tickThreadId = 0;
    }
    if (m_hTickThread)
    {
        CloseHandle(m_hTickThread);
        m_hTickThread = nullptr;
    }
    if (m_hTickStarted)
    {
        CloseHandle(m_hTickStarted);
        m_hTickStarted = nullptr;
    }
}

LRESULT CLaunchScriptMgr::OnRelayMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    // What a tick throws stops at the window base.
    if (message == kMsgTick)
        OnTick();
    return m_relay.lCallDefault(message, wParam, lParam);
}

void CLaunchScriptMgr::OnTick()
{
    // A tick that arrives while the engine runs (a message pumped inside an
    // engine call) waits for the next one.
    if (m_inEngine)
        return;
    const CEngineTick::SAction action = m_tick.OnTick();
    if (action.icon)
        boTrayModify(kTrayId, action.icon, "", NIF_ICON);
    if (action.step)
        RunEngine([this] { m_script.Step(); });
    else if (action.quit)
    {
        StopTick();
        // The launch part ends while the component still listens: its end (4)
        // reaches the page before the launcher leaves it.
        RunEngine([this] { m_script.EndLaunchPart(); });
        if (m_pSink)
            m_pSink->LeaveHost();
        PostQuitMessage(0);
    }
}

// ------------------------------------------------------------------ host services

void CLaunchScriptMgr::WriteLog(const std::string& text)
{
    SwitchLogOn();
    if (m_logOn)
        m_log << text;
}

void CLaunchScriptMgr::NotifyEvent(int32_t code)
{
    if (m_pSink)
        m_pSink->Notify(code);
}

void CLaunchScriptMgr::RequestDownload(const std::string& url)
{
    if (m_pSink)
        m_pSink->RequestHostDownload(url, CStringExt());
}

void CLaunchScriptMgr::ShowProgress(bool show)
{
    if (!show)
        m_progress.Destroy();
    else if (!m_progress.GetHwnd())
        m_progress.Create(nullptr, kProgressPeriodMs);
}

void CLaunchScriptMgr::Alert(const std::string& text, const std::string& caption)
{
    FdUi::iMessageBox(nullptr, text.c_str(), caption.c_str(), MB_OK);
}

std::unique_ptr<CScriptItem> CLaunchScriptMgr::NewItem(const std::string& keyword)
{
    if (std::unique_ptr<CScriptItem> item = NewLaunchItem(keyword))
        return item;
    return NewSimpleItem(keyword);
}

int32_t CLaunchScriptMgr::ShowMessageBox(const std::string& text, const std::string& title, uint32_t style)
{
    return FdUi::iMessageBox(nullptr, text.c_str(), title.c_str(), style);
}

void CLaunchScriptMgr::NavigateHostFrame(const std::string& url, const std::string& frame)
{
    if (m_pSink)
        m_pSink->NavigateHostFrame(url, frame);
}

bool CLaunchScriptMgr::RandomBytes(uint8_t* bytes, size_t count)
{
    return BCryptGenRandom(nullptr, bytes, static_cast<ULONG>(count), BCRYPT_USE_SYSTEM_PREFERRED_RNG) >= 0;
}

std::string CLaunchScriptMgr::RegRead(const std::string& path, const std::string& name,
                                      const std::string& defaultText)
{
    return RegReadValue(path, name.c_str(), defaultText.c_str());
}

int32_t CLaunchScriptMgr::RegWrite(const std::string& path, const std::string& name, const std::string& text,
                                   uint32_t newType)
{
    const DWORD type = newType == kRegDword ? REG_DWORD : newType == kRegBinary ? REG_BINARY : REG_SZ;
    return RegWriteValue(path, name.c_str(), text.c_str(), type);
}

void CLaunchScriptMgr::RegisterPlug(const std::string& technoid, const std::string& classid)
{
    RegisterPlugObject(technoid, classid);
}

// ------------------------------------------------------------------ tray menu

void CLaunchScriptMgr::OnTrayMenu(HWND hwnd)
{
    HMENU menu = CreatePopupMenu();
    if (!menu)
        return;
    const UINT greyed = IsBusy() || m_gameDialogOpen ? MF_GRAYED : 0;
    // The entry of the current game (the one launchinit chose), greyed without one.
    const CZeltoGame* current =
        m_script.GetLaunchPart() ? m_script.GetLaunchPart()->GetCurrentGame() : nullptr;
    const std::string gameEntry = "Gestion du jeu " + (current ? std::string(current->name) : std::string());
    AppendMenuA(menu, MF_STRING | (current ? greyed : MF_GRAYED), kMenuGame, gameEntry.c_str());
    AppendMenuA(menu, MF_STRING | greyed, kMenuAllGames, "Gestion de l'ensemble des jeux");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, kMenuAbout, "Zelto Game Launcher...");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, kMenuClose, "&Fermer");
    POINT cursor = {};
    GetCursorPos(&cursor);
    const int itemCount = GetMenuItemCount(menu);
    TrackPopupMenu(menu, 0, cursor.x, cursor.y - static_cast<int>(itemCount * kMenuItemHeight), 0, hwnd,
                   nullptr);
    DestroyMenu(menu);
}

void CLaunchScriptMgr::OnCommand(WPARAM wParam, LPARAM)
{
    switch (LOWORD(wParam))
    {
    case kMenuAbout:
        LudexAbout::iShow(GetModuleHandleA(nullptr));
        break;
    case kMenuClose:
        RunEngine([this] { m_script.EndLaunchPart(); });
        if (m_pSink)
            m_pSink->LeaveHost();
        PostQuitMessage(0);
        break;
    case kMenuGame:
    case kMenuAllGames:
        OpenGameDialog(LOWORD(wParam));
        break;
    default:
        break;
    }
}
