#include "XmlScript.h"

#include <cstdio>
#include <cstdlib>

#include "DetectCatalog.h"
#include "FdBstr.h"
#include "PlugLudexXml.h"
#include "Registry.h"

namespace
{
const char kConfigKey[] = "HKEY_CURRENT_USER\\Software\\Zelto\\Ludex\\LudexPlugCmdLine";
const char kDriveMaskValue[] = "LudexPlugCmdLineConfig";
const char kRelayClass[] = "LudexPlugCmdLineTraceRelay";
// Posted to the relay window when traces wait in the queue.
constexpr UINT kMsgFlushTraces = WM_APP + 1;
// Drive mask of the operations that never search (check, launch).
constexpr uint32_t kNoSearchDriveMask = 15;
} // namespace

XmlScript::XmlScript()
    : m_detector(m_host, *this), m_mainThreadId(GetCurrentThreadId()),
      m_relay(*this, &XmlScript::lOnRelayMessage)
{
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    if (FdWin::CWindowBase::boRegisterClass(instance, kRelayClass))
        m_relay.hCreate(0, kRelayClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance);
}

XmlScript::~XmlScript()
{
    // Order: the searcher and the document object go first, then the engine's
    // items; traces still queued are dropped with the container.
    vEndSearchObjects();
    m_detector.vReset();
    m_relay.vDestroy();
}

STDMETHODIMP XmlScript::OnXmlPreProcessTag(BSTR, BSTR, BSTR*, long* bModif)
{
    if (bModif)
        *bModif = 0;
    return S_OK;
}

void XmlScript::vSetContainer(ILudexPlugContainer* container)
{
    m_container = FdWin::TComRef<ILudexPlugContainer>(container);
}

bool XmlScript::boBeginSearchObjects(uint32_t driveMask)
{
    m_driveMask = driveMask;
    m_ludexXml = lpGetLudexXml(m_container.p(), nullptr);
    return static_cast<bool>(m_ludexXml);
}

void XmlScript::vEndSearchObjects()
{
    m_ludexXml.vReset();
}

int32_t XmlScript::lCheckGameList(IZeltoGameList* list)
{
    if (list == nullptr)
        return 0;
    // Without the container's document object nothing of the list is read.
    if (boBeginSearchObjects(kNoSearchDriveMask))
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
    if (game != nullptr && boBeginSearchObjects(kNoSearchDriveMask))
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
        SysFreeString(verb);
    }
    vEndSearchObjects();
    return result;
}

int32_t XmlScript::lKillGame()
{
    return 0;
}

bool XmlScript::boIsGameRunning()
{
    return false;
}

bool XmlScript::boGetRunningGameInfo(const std::string&, long&)
{
    return false;
}

uint32_t XmlScript::lReadDriveMask()
{
    const std::string text = RegReadValue(kConfigKey, kDriveMaskValue, "0");
    return static_cast<uint32_t>(std::strtoul(text.c_str(), nullptr, 10));
}

bool XmlScript::boWriteDriveMask(uint32_t mask)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(mask));
    return RegWriteValue(kConfigKey, kDriveMaskValue, text, REG_SZ) == 1;
}

bool XmlScript::boConfigure(uint32_t&)
{
    return false;
}

bool XmlScript::boSearchDisks(const std::vector<std::string>& names, int32_t mode)
{
    return CPlugWorker::boSearchDisks(names, mode);
}

void XmlScript::vOnGameOver(int32_t)
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
    m_detector.vOnFileFound(path);
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
