#pragma once
// One game plug-in placed on a page (an EMBED or OBJECT tag). The host hands it
// the tag's attributes and a window; the instance checks that the suite is
// installed, keeps the page's settings, runs the page's actions, owns the
// components it launched and talks to the browser through IBrowserLink.
#include "BrowserLink.h"
#include "ExceptionBase.h"
#include "FdComModule.h"
#include "PageTextParsers.h"
#include "ParamList.h"
#include "TraceLabel.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CImplCallback;
class CLaunchedApp;

class CPlugInst
{
public:
    static constexpr size_t kUrlMax = 2048;     // dialog page, return page, error address
    static constexpr size_t kFrameMax = 255;    // error frame
    static constexpr size_t kRedirectMax = 21;  // redirect name
    static constexpr size_t kMessageCount = 50; // status lines
    static constexpr size_t kInstallDirMax = 259;
    static constexpr size_t kReportMax = 2047;    // exception reports in traces
    static constexpr size_t kBoxReportMax = 1023; // exception report in the install box
    static constexpr size_t kQuestionMax = 511;   // component question
    static constexpr size_t kPhysPathMax = 259;   // install folder + "physpath"
    static constexpr size_t kProgramFilesMax = 2048;
    static constexpr uint32_t kCellWidth = 10; // pixels per progress cell
    static constexpr int32_t kBarHeightMax = 10;
    static constexpr int32_t kBarOffset = 11; // bar top = height - 11
    static constexpr int32_t kMessageBandRight = 1024;
    static constexpr uint32_t kErrUserRefused = 16; // error numbers sent to pages
    static constexpr uint32_t kErrPushHtml = 22;
    static constexpr uint32_t kErrDecryptParams = 23;

    explicit CPlugInst(IBrowserLink* lpBrowser);
    ~CPlugInst();
    CPlugInst(const CPlugInst&) = delete;
    CPlugInst& operator=(const CPlugInst&) = delete;

    // ---- Process start and install checks
    // Registers the module's classes (lpModule, when given) and the interfaces for
    // marshalling (boRegisterInterfaces), then writes the plug-in's version as
    // "FdGame" under HKLM "Software\FdGame".
    static void vInitialize(bool boRegisterInterfaces, const FdCom::SServerInfo* lpModule);
    // vInitialize(true, lpModule) on the first call of the process only (the
    // browser's first NP_Initialize or DllGetClassObject, never DllMain).
    static void vInitializeOnce(const FdCom::SServerInfo* lpModule);
    // ((a*10 + b)*10 + c)*10 + d of the module's file version a.b.c.d; 0 when unknown.
    static uint32_t dwGetModuleVersion();
    // True when HKLM "Software\FdGame" "FdGame" is at least the required version.
    static bool boCheckOBVersion(uint32_t dwRequired);
    // The install folder (ending with "\") into the buffer; raises CExcptCheckOB.
    static bool boCheckOBInstalled(char* lpszDir, size_t ulSize);
    // Repair: a new install folder under Program Files and a new "Software\FdGame".
    static void vAutoInstall(const char* lpszSubDir);
    // "ProgramFilesDir" of HKLM "Software\Microsoft\Windows\CurrentVersion" into the
    // buffer (NUL at lpszBuffer[ulSize], so ulSize + 1 bytes of room); the registry error.
    static LONG lGetProgramFilesDir(char* lpszBuffer, size_t ulSize);
    // The registered instance of that name, or null.
    static CPlugInst* lpFindInstanceByName(const char* lpszName);

    // ---- Life
    // False makes the host fail the creation (the install cannot be repaired, or
    // the attributes cannot be translated); the instance then stays unregistered.
    bool boNewInstance(CParamList& attributes);
    void vDestroyInstance();
    void vParseAttributes(CParamList& attributes);
    // Joins, decrypts and unscrambles a page's list in place; false rejects it.
    bool boTranslateParameters(CParamList& list);

    // ---- Host
    void vSetWindow(HWND hwnd) { m_hwnd = hwnd; }
    HWND hGetWindow() const { return m_hwnd; }

    // ---- Page actions
    // Runs an action buffer ending with "$$action".
    void vExecuteAction(const char* lpBuffer, size_t ulSize);
    void vActionGETURL(CParamList& list, bool boDefaultToSelf);
    void vActionCOPYANDREGISTER(const char* lpBuffer, CParamList& list);
    void vActionLAUNCHAPP(CParamList& list);
    void vActionGETKEYS(CParamList& list);
    void vLaunchApp(const char* lpszAppName, const char* lpszParamsApp, const char* lpszVersion,
                    const char* lpszUrlData, const char* lpszSizeData, const char* lpszThisPage,
                    const char* lpszAppId, const char* lpszRemove, const char* lpszUrlCmptInstall,
                    const char* lpszUrlCmptNoInstall);

    // ---- Launched components
    // "HWND" with the window handle to every launched component.
    void vGiveHwndToApps();
    // A component left (CmptOut): its downloads are withdrawn and it is dropped.
    void vRemoveAppFromList(CImplCallback* lpSink);
    size_t ulGetAppCount() const { return m_apps.size(); }
    CLaunchedApp* lpGetApp(size_t ulIndex) const;

    // ---- Browser
    // Opens an address in a frame; with no frame its answer comes back as an action.
    void vOpenUrl(const char* lpszUrl, const char* lpszFrame, uint32_t dwExpectedSize = 0);
    // Opens a "££" list's URL in its FRAME (lpszDefaultFrame when it has none).
    void vOpenUrlList(const char* lpszList, const char* lpszDefaultFrame);
    // Component downloads (the download manager's side).
    void vStartDownload(const char* lpszUrl, bool boNewNaming, uint32_t dwExpectedSize);
    void vDownload_Abort(const char* lpszUrl, bool boDeleteFile);
    // The host: a component download ended with the browser's file.
    void vDownloadEnded(const char* lpszUrl, bool boOk, const char* lpszPath, HRESULT hrErr);
    void vPushHTMLToBrowser(const char* lpszHtml, const char* lpszFrame);
    // Opens TURL (else the dialog page) in BFRM with the other pairs as "?params=".
    void vSendToServer(CParamList& list);
    void vSendErrorToServer(uint32_t dwError, uint32_t dwWin32Error);
    void vRepaint(const RECT* lprc);

    // ---- What the display draws
    // Status line index (below 50) takes a copy of the text; false otherwise.
    bool boSetMessage(uint32_t dwIndex, const char* lpszText);
    const char* lpszGetMessage(uint32_t dwIndex) const;
    void vSetShowProgress(bool boShow) { m_boShowProgress = boShow; }
    bool boGetShowProgress() const { return m_boShowProgress; }
    // Progress of the counted downloads, behind the bar's lit cells. The
    // instance is their only owner: streams, page actions and the display
    // all go through it.
    // Adds a download's announced bytes and counts it.
    void vCountDownload(uint32_t dwExpected);
    // Bytes arrived for the instance; they count while bytes are expected and
    // downloads counted. True when the lit cells changed (the bar needs a repaint).
    bool boAddReceived(uint32_t dwBytes);
    // A counted download ended: counts it down and recomputes the lit cells
    // (all counters go back to 0 with the last one).
    void vDownloadDone();
    uint32_t dwGetLitCells() const { return m_dwLitCells; }
    uint32_t dwGetBytesReceived() const { return m_dwBytesReceived; }
    // Height of a status line; 0 until the display has measured the font.
    int32_t iGetLineHeight() const { return m_iLineHeight; }
    void vSetLineHeight(int32_t iHeight) { m_iLineHeight = iHeight; }
    // Takes ownership of the picture (null clears it); the old one is deleted.
    void vSetPicture(HENHMETAFILE hPicture);
    HENHMETAFILE hGetPicture() const { return m_hPicture; }

    // ---- Settings (attributes)
    const std::string& strGetName() const { return m_strName; }
    const char* lpszGetTraceLabel() const { return m_szTraceLabel; }
    const char* lpszGetInstallDir() const { return m_szInstallDir; }
    const std::string& strGetDialogPage() const { return m_strDialogPage; }
    const std::string& strGetReturnPage() const { return m_strReturnPage; }
    const std::string& strGetErrUrl() const { return m_strErrUrl; }
    const std::string& strGetErrFrame() const { return m_strErrFrame; }
    const std::string& strGetRedirect() const { return m_strRedirect; }
    bool boGetHideCancel() const { return m_boHideCancel; }
    bool boGetHideDialog() const { return m_boHideDialog; }
    COLORREF crGetBackground() const { return m_crBackground; }
    COLORREF crGetText() const { return m_crText; }
    const CFontTextRecord& fontGet() const { return m_font; }
    uint32_t dwGetWidth() const { return m_dwWidth; }
    uint32_t dwGetHeight() const { return m_dwHeight; }
    uint32_t dwGetCellCount() const { return m_dwCellCount; }
    RECT rcGetProgressBar() const { return m_rcBar; }
    uint32_t dwGetBytesExpected() const { return m_dwBytesExpected; }
    uint32_t dwGetDownloadsCounted() const { return m_dwDownloadsCounted; }
    const CParamList* lpGetMessageTexts() const { return m_lpMessageTexts.get(); }
    // A message text of the page (or its default).
    const char* lpszGetMessageText(const char* lpszKey) const;

private:
    // The list's forward text for a trace, without the private keys a page delivers.
    static std::string strForTrace(CParamList& list);
    void vSetName(const char* lpszName);
    void vSetHeight(uint32_t dwHeight);
    void vReportException(const char* lpszLine, const FdBase::CExceptionBase& e) const;
    void vComputeProgress();

    // Host
    IBrowserLink* m_lpBrowser;
    HWND m_hwnd = nullptr;
    // Settings
    uint32_t m_dwWidth = 0;
    uint32_t m_dwHeight = 0;
    uint32_t m_dwCellCount = 0;
    uint32_t m_dwLitCells = 0;
    uint32_t m_dwBytesReceived = 0;
    uint32_t m_dwBytesExpected = 0;
    uint32_t m_dwDownloadsCounted = 0;
    bool m_boShowProgress = true;
    RECT m_rcBar = {0, -kBarOffset, 0, -kBarOffset};
    bool m_boHideCancel = false;
    bool m_boHideDialog = false;
    std::string m_strDialogPage;
    std::string m_strReturnPage; // "££" list URL/FRAME stored by LAUNCHAPP
    std::string m_strErrUrl;
    std::string m_strErrFrame;
    COLORREF m_crBackground = RGB(0, 0, 0);
    COLORREF m_crText = RGB(0, 0, 0);
    CFontTextRecord m_font = {};
    std::string m_strMessages[kMessageCount];
    bool m_aboMessageSet[kMessageCount] = {};
    std::vector<std::shared_ptr<CLaunchedApp>> m_apps;
    std::unique_ptr<CParamList> m_lpMessageTexts;
    char m_szTraceLabel[TraceLabel::kLabelLength + 1] = {};
    std::string m_strRedirect;
    int32_t m_iLineHeight = 0;
    char m_szInstallDir[kInstallDirMax + 2] = {};
    HENHMETAFILE m_hPicture = nullptr;
    std::string m_strName;
    bool m_boRegistered = false;
};
