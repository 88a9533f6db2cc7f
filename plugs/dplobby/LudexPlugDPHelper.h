// CLudexPlugDPHelper: the worker behind the DirectPlay plug's ILudexPlug methods.
// It marks the catalogue's games whose DirectPlay application is registered, and
// prepares and runs a launch through its lobby session.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ComRef.h"
#include "ConsoleLog.h"
#include "DPLaunchInfo.h"
#include "DPLobbySession.h"
#include "DetectHostWin.h"
#include "FdComObject.h"
#include "LudexLib.h"
#include "PlugWorker.h"
#include "XmlDetector.h"

// CLSID_LudexPlugDPHelper {680B301D-69CF-49A7-845F-5528F785B8B3}
extern const CLSID CLSID_LudexPlugDPHelper;

// Where new helpers get their lobby backend (tests give a scripted one).
using LobbyBackendFactory = std::function<std::unique_ptr<IDPLobbyBackend>()>;
void vSetLobbyBackendFactory(LobbyBackendFactory factory);

// The DirectPlay applications registered under HKLM
// "SOFTWARE\Microsoft\DirectPlay\Applications", in the order enumerated.
std::vector<SDPApplication> ReadDPApplications();

// As the detection engine's owner it keeps the worker's defaults: every path may be
// tested and a disk search completes at once (this plug searches no disk).
class CLudexPlugDPHelper : public FdCom::CObjectRoot, public ILudexXmlObserver, private CPlugWorker
{
public:
    FD_COM_BEGIN_MAP(CLudexPlugDPHelper, ILudexXmlObserver)
    FD_COM_ENTRY(ILudexXmlObserver)
    FD_COM_END_MAP()

    CLudexPlugDPHelper();
    ~CLudexPlugDPHelper() override;

    void vSetContainer(ILudexPlugContainer* container);
    // Results: 1 success, 0 failure (GetSessionError tells which).
    long lCheckGameList(IZeltoGameList* list);
    long lUpdateGameList(IZeltoGameList* list);
    long lPreLaunchGame(IZeltoGame* game);
    long lLaunchGame();
    long lPostLaunchGame();
    long lKillGame();
    // Replaces text by its expansion with the version's "DP" context volume; 1.
    long boExpandContextVars(std::string& text, IZeltoGameVersion* version);
    DWORD GetSessionError() const { return m_session.GetError(); }

    STDMETHODIMP OnXmlPreProcessTag(BSTR bTag, BSTR bAttribs, BSTR* bXmlRaw, long* bModif) override;

private:
    long lListOperation(IZeltoGameList* list, bool check);
    void vCleanUp();
    void vTrace(const std::string& line);

    CWinDetectHost m_host;
    CXmlDetector m_detector; // context volume "DP"
    CDPLobbySession m_session;
    bool m_boSessionOpen = false;
    ILudexPlugContainer* m_container = nullptr; // one reference
    FdWin::TComRef<ILudexXml> m_ludexXml;       // per operation
    std::unique_ptr<CConsoleLog> m_log;         // debug mode only
};
