// XmlScript: the command-line plug's worker. It runs the detection engine over the
// launcher's game list, reads the launch command of a game and watches its process,
// and traces to the launcher through the container.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ComRef.h"
#include "DetectHostWin.h"
#include "DiskSearch.h"
#include "FdComObject.h"
#include "LaunchedProcess.h"
#include "LudexLib.h"
#include "PlugCmdLineLib.h"
#include "PlugWorker.h"
#include "WindowBase.h"
#include "XmlDetector.h"

class XmlScript : public FdCom::CObjectRoot,
                  public IXmlScript,
                  public ILudexXmlObserver,
                  public CPlugWorker,
                  private ILaunchTraceSink
{
public:
    FD_COM_BEGIN_MAP(XmlScript, IXmlScript)
    FD_COM_ENTRY(IXmlScript)
    FD_COM_ENTRY(ILudexXmlObserver)
    FD_COM_END_MAP()

    // Made on the plug's main thread: traces sent from other threads are brought
    // back to it.
    XmlScript();
    ~XmlScript() override;

    // ILudexXmlObserver: the raw XML is left as it is.
    STDMETHODIMP OnXmlPreProcessTag(BSTR bTag, BSTR bAttribs, BSTR* bXmlRaw, long* bModif) override;

    // The container the traces and results go to (one reference held).
    void vSetContainer(ILudexPlugContainer* container);

    // 0; a null list does nothing.
    int32_t lCheckGameList(IZeltoGameList* list);
    int32_t lUpdateGameList(IZeltoGameList* list, uint32_t driveMask);
    // 1 when a launch command was found and handed to the process object, else 0.
    int32_t lLaunchGame(IZeltoGame* game);
    // Ends the per-operation objects (disk searcher, document object).
    void vEndSearchObjects();
    // Process side.
    int32_t lKillGame();
    bool boIsGameRunning();
    bool boGetRunningGameInfo(const std::string& infoId, long& value);

    // The drive-type mask of the disk search, from the registry (0 when unset).
    static uint32_t lReadDriveMask();
    static bool boWriteDriveMask(uint32_t mask);
    // The drive-type dialog over mask; true when it ended with OK.
    static bool boConfigure(uint32_t& mask);

    // Sends the text to the container ("dbg", "plug:CmdLine", "dbg"). From another
    // thread than the plug's main thread it is queued and sent from the main thread.
    void vTrace(const std::string& text) override;

    // CPlugWorker.
    bool boSearchDisks(const std::vector<std::string>& names, int32_t mode) override;
    void vOnProcessEnded(long code, CLaunchedProcess* process) override;
    void vSendTestData() override;
    // Search thread: the path is traced (queued); the engine takes the found paths
    // on the main thread once the search has ended.
    void vOnFileMatching(const std::string& path) override;

    // For tests: the detection engine.
    const CXmlDetector& Detector() const { return m_detector; }

private:
    bool boBeginSearchObjects(uint32_t driveMask);
    void vFlushTraces();
    void vSendTrace(const std::string& text);
    LRESULT lOnRelayMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);

    CWinDetectHost m_host;
    CXmlDetector m_detector;
    FdWin::TComRef<ILudexPlugContainer> m_container;
    FdWin::TComRef<ILudexXml> m_ludexXml;  // per operation
    std::unique_ptr<CDiskSearch> m_search; // per operation
    CLaunchedProcess m_process;

    // Traces from other threads wait here for the main thread.
    DWORD m_mainThreadId;
    std::mutex m_traceLock;
    std::vector<std::string> m_pendingTraces;
    FdWin::TMemberWindow<XmlScript> m_relay;
};
