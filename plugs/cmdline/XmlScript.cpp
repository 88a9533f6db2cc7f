#include "XmlScript.h"

#include "DetectCatalog.h"
#include "DriveMask.h"
#include "DriveTypeDlg.h"
#include "FdBstr.h"
#include "FdComBoundary.h"
#include "LaunchCommand.h"
#include "PlugLudexXml.h"
#include "Registry.h"
#include "VersionLaunch.h"

namespace
{
const char kConfigKey[] = "HKEY_CURRENT_USER\\Software\\Zelto\\Ludex\\LudexPlugCmdLine";
const char kDriveMaskValue[] = "LudexPlugCmdLineConfig";
const char kRelayClass[] = "LudexPlugCmdLineTraceRelay";
// Posted to the relay window when traces wait in the queue.
constexpr UINT kMsgFlushTraces = WM_APP + 1;
} // namespace

XmlScript::XmlScript()
    : m_detector(m_host, *this), m_process(this, this), m_mainThreadId(GetCurrentThreadId()),
      m_relay(*this, &XmlScript::lOnRelayMessage)
{
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    if (FdWin::CWindowBase::boRegisterClass(instance, kRelayClass))
        m_relay.hCreate(0, kRelayClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance);
}

XmlScript::~XmlScript()
{
    // Order: the searcher and the document object go first, then the process
    // object (its watcher joined, handles closed, the game left running) and the
    // engine's items; traces still queued are dropped with the container.
    vEndSearchObjects();
    m_process.vReset();
    m_detector.vReset();
    m_relay.vDestroy();
}

STDMETHODIMP XmlScript::OnXmlPreProcessTag(BSTR, BSTR, BSTR*, long* bModif)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            if (bModif)
                *bModif = 0;
            return S_OK;
        });
}

void XmlScript::vSetContainer(ILudexPlugContainer* container)
{
    m_container = FdWin::TComRef<ILudexPlugContainer>(container);
}

bool XmlScript::boBeginSearchObjects(uint32_t driveMask)
{
    m_search = std::make_unique<CDiskSearch>(*this, driveMask);
    m_ludexXml = lpGetLudexXml(m_container.p(), nullptr);
    return static_cast<bool>(m_ludexXml);
}

void XmlScript::vEndSearchObjects()
{
    m_search.reset();
    m_ludexXml.vReset();
}

int32_t XmlScript::lCheckGameList(IZeltoGameList* list)
{
    if (list == nullptr)
        return 0;
    // Without the container's document object nothing of the list is read.
    if (boBeginSearchObjects(kDriveMaskNoSearch))
    {
        CComDetectGameList games(list);
        m_detector.lCheckGameList(&games);
    }
    vEndSearchObjects();
    return 0;
}

int32_t XmlScript::lUpdateGameList(IZeltoGameList* list, uint32_t driveMask)
{
    if (list == nullptr)
        return 0;
    if (boBeginSearchObjects(driveMask))
    {
        CComDetectGameList games(list);
        m_detector.lUpdateGameList(&games);
    }
    vEndSearchObjects();
    return 0;
}

int32_t XmlScript::lLaunchGame(IZeltoGame* game)
{
    int32_t result = 0;
    if (game != nullptr && boBeginSearchObjects(kDriveMaskNoSearch))
    {
        std::vector<FdWin::TComRef<IZeltoGameVersion>> versions;
        FdWin::TComRef<IZeltoGameVersionContextData> context;
        BSTR verb = nullptr;
        if (!boGetComGameVersions(game, versions))
            vTrace("ERROR : No GameVersionList !!!!!");
        else if (versions.size() != 1)
            vTrace("ERROR : Number of GameVersions != 1 !!!!!");
        else if (versions[0]->GetGameVersionContextData(context.ppOut()) != S_OK || !context)
            vTrace("ERROR : No ContextData !!!!!");
        else if (context->GetLaunchVerb(&verb) != S_OK || FdCom::strFromBstr(verb).empty())
            vTrace("ERROR : LaunchVerb Empty !!!!!");
        else
        {
            std::string raw;
            SLaunchCommand command;
            if (CComDetectVersion(versions[0].p()).boGetRawData(raw) &&
                boReadLaunchCommand(raw, FdCom::strFromBstr(verb), command) && !command.executable.empty())
            {
                SLaunchRequest request;
                request.executable = TrimLaunchText(command.executable);
                request.parameters = TrimLaunchText(command.parameters);
                request.mode = command.mode;
                request.shellVerb = command.shellVerb;
                // A game that could not be started is no launched game: the
                // launcher must hear of a failed launch, not of a start and an
                // end. A start while a game is held leaves that game watched.
                const bool held = m_process.boIsRunning();
                result = m_process.boStart(request) || held ? 1 : 0;
            }
        }
        SysFreeString(verb);
    }
    vEndSearchObjects();
    return result;
}

int32_t XmlScript::lKillGame()
{
    return m_process.boKill() ? 1 : 0;
}

bool XmlScript::boIsGameRunning()
{
    return m_process.boIsRunning();
}

bool XmlScript::boGetRunningGameInfo(const std::string& infoId, long& value)
{
    return m_process.boGetInfo(infoId, value);
}

uint32_t XmlScript::lReadDriveMask()
{
    return dwDriveMaskFromText(RegReadValue(kConfigKey, kDriveMaskValue, "0"));
}

bool XmlScript::boWriteDriveMask(uint32_t mask)
{
    return RegWriteValue(kConfigKey, kDriveMaskValue, strDriveMaskText(mask).c_str(), REG_SZ) == 1;
}

bool XmlScript::boConfigure(uint32_t& mask)
{
    CDriveTypeDlg dialog(mask);
    if (dialog.iRun() != IDOK)
        return false;
    mask = dialog.dwMask();
    return true;
}

bool XmlScript::boSearchDisks(const std::vector<std::string>& names, int32_t mode)
{
    if (mode == kDetectModeCheck)
        return true;
    if (!m_search)
        return false;
    m_search->vClearNames();
    for (const std::string& name : names)
        m_search->boAddName(name);
    const int32_t run = m_search->lRun();
    vFlushTraces();
    // The engine is fed on this thread, in the order the walk found the files.
    for (const std::string& path : m_search->FoundPaths())
        m_detector.vOnFileFound(path);
    return run == CDiskSearch::kRunCompleted && m_search->lResult() == kSearchCompleted;
}

void XmlScript::vOnProcessEnded(long, CLaunchedProcess*)
{
    if (m_container)
        m_container->GameOver(0);
}

void XmlScript::vSendTestData()
{
    if (!m_container)
        return;
    long result = 0;
    m_container->SendBstrData(
        FdCom::CBstr("").bstr(), FdCom::CBstr("").bstr(), FdCom::CBstr("").bstr(),
        FdCom::CBstr("I'm a plug, and I want to send some data (this is a test of course!)!").bstr(), 0,
        &result);
}

void XmlScript::vOnFileMatching(const std::string& path)
{
    vTrace("[File Matching] --> " + path);
}

void XmlScript::vTrace(const std::string& text)
{
    if (GetCurrentThreadId() == m_mainThreadId)
    {
        vFlushTraces();
        vSendTrace(text);
        return;
    }
    // The container is an interface of the main thread's apartment: another
    // thread queues the text and wakes the main thread, whose modal loops
    // dispatch the relay window's messages too.
    {
        std::lock_guard<std::mutex> lock(m_traceLock);
        m_pendingTraces.push_back(text);
    }
    if (m_relay.hWnd())
        PostMessageA(m_relay.hWnd(), kMsgFlushTraces, 0, 0);
}

void XmlScript::vFlushTraces()
{
    std::vector<std::string> traces;
    {
        std::lock_guard<std::mutex> lock(m_traceLock);
        traces.swap(m_pendingTraces);
    }
    for (const std::string& text : traces)
        vSendTrace(text);
}

void XmlScript::vSendTrace(const std::string& text)
{
    if (!m_container)
        return;
    long result = 0;
    m_container->SendBstrData(FdCom::CBstr("dbg").bstr(), FdCom::CBstr("plug:CmdLine").bstr(),
                              FdCom::CBstr("dbg").bstr(), FdCom::CBstr(text).bstr(), 0, &result);
}

LRESULT XmlScript::lOnRelayMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == kMsgFlushTraces)
    {
        vFlushTraces();
        return 0;
    }
    return m_relay.lCallDefault(uMsg, wParam, lParam);
}
