#pragma once
// The install-script interpreter: the parameters the plug-in sets, the
// script's download, the worker run (sections, skip rules, tests, downloads,
// progress texts, action verbs) and the end of a run with its reports.
//
// Threads: the plug-in's calls (parameters, INSTALL, DLDONE, DLERR) come on
// the main thread, a run on the worker; the owner never lets both touch the
// script at once (a new run starts after the previous worker ended).
// Parameters are guarded, so SetParameter may come during a run.
#include "InstallHost.h"
#include "ScriptReader.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

namespace FdInstall
{
// Error numbers of the error report.
enum EInstallError
{
    kErrScriptNotOpened = 1, // also: a script that ends without [END]
    kErrDownload = 2,
    kErrCopy = 3,
    kErrProgramStart = 4,
    kErrRegistration = 5,
    kErrFolder = 6,
    kErrPluginCopy = 10,
    kErrWakeEvent = 11,
    kErrWorkerStart = 12,
    kErrVersionedCopy = 13,
    kErrDatedCopy = 14,
};

constexpr int kMaxDownloads = 50; // download slots of one [INSTALL] block, numbered 1-50

class CInstallEngine
{
public:
    explicit CInstallEngine(IInstallHost& host) : m_host(host) {}
    CInstallEngine(const CInstallEngine&) = delete;
    CInstallEngine& operator=(const CInstallEngine&) = delete;

    // A parameter of the plug-in (name in any case); others are ignored.
    void vSetParameter(const std::string& strName, const std::string& strValue);
    std::string strParameter(const std::string& strName) const;

    // "INSTALL": forgets the script state and asks the plug-in for the script.
    void vInstall(IInstallCallback* lpCallback);

    enum class EDone
    {
        Nothing,     // reported or boxed; no run
        StartWorker, // the script is loaded, or a [DL] file arrived: a run goes on
    };
    // "DLDONE" with DLPATH set.
    EDone eDownloadDone(IInstallCallback* lpCallback);
    // "DLERR" with DLURL set.
    void vDownloadError(IInstallCallback* lpCallback);
    // A download asked by INSTALL or a [DL] line has not been answered yet.
    bool boDownloadOutstanding() const { return m_eOutstanding != EOutstanding::None; }

    enum class ERunEnd
    {
        Paused,   // a [DL] download was asked: the next DLDONE goes on
        Stopped,  // stopped from outside or by an error: the server stays
        Finished, // the script reached its end and the result was sent: the server ends
    };
    // One worker run, from the reading position to a download, a stop or the end.
    ERunEnd eRun(IInstallCallback* lpCallback);

    // A stop from outside (WM_QUIT to the worker, a forced end): the run stops
    // without a result page.
    void vStopFromOutside();
    // The error report: APPID, JOBID, NUMERR, TURL and BFRM when set, SEND.
    void vErrorReport(IInstallCallback* lpCallback, int iNumber);

    // The current run was told to stop (it ends at its next line).
    bool boStopped() const { return m_boStop; }
    int iState() const { return m_iState; }
    int iDownloadCount() const { return m_iDownloads; }
    const std::string& strSlotPath(int iSlot) const { return m_slots[iSlot].strPath; }
    FileTime ftSlotTime(int iSlot) const { return m_slots[iSlot].ftTime; }

private:
    enum class EOutstanding
    {
        None,
        Script,
        Download,
    };
    struct SSlot
    {
        std::string strPath;
        FileTime ftTime = 0;
    };
    struct SParams
    {
        std::string strFile, strResUrl1, strResUrl2, strErrUrl, strResFrm1, strResFrm2, strErrFrm, strDlBase,
            strDlPath, strDlUrl;
        int32_t lJobId = 0, lAppId = 0;
    };

    SParams params() const;
    void vSet(IInstallCallback* lpCallback, const std::string& strName, const std::string& strValue);
    void vRun(IInstallCallback* lpCallback, const std::string& strCommand);
    // An action's failure: the named parameters are set first, then the report;
    // the run ends without a result page.
    void vFail(IInstallCallback* lpCallback, int iNumber);
    void vEndScript();

    void vLine(IInstallCallback* lpCallback, const std::string& strLine);
    bool boTestLine(const std::string& strLine);
    bool boRegistryTest(const std::string& strLine);
    bool boFileDateTest(const std::string& strLine);
    bool boFileVersionTest(const std::string& strLine);
    void vDownloadLine(IInstallCallback* lpCallback, const std::string& strLine);
    void vTextLine(IInstallCallback* lpCallback, const std::string& strLine);
    void vActionLine(IInstallCallback* lpCallback, const std::string& strLine);
    void vFinishRun(IInstallCallback* lpCallback);

    // Action helpers.
    bool boSlotOk(const SActionLine& action, bool boUsesFile, const char* lpszBoxText);
    std::string strRelative(const std::string& strPath);
    bool boCopyExpanding(const std::string& strSource, const std::string& strTarget);
    bool boVersionBelow(const std::string& strPath, const std::string& strMinimum,
                        const std::string& strBlock);

    IInstallHost& m_host;
    mutable std::mutex m_paramsLock;
    SParams m_params;

    CScriptReader m_script;
    std::string m_strScriptPath;
    int m_iState = kSectionNone;
    EOutstanding m_eOutstanding = EOutstanding::None;
    SSlot m_slots[kMaxDownloads + 1]; // 1-50 used; 0 stays empty
    int m_iDownloads = 0;
    int m_iTestKind = kTestNone;
    bool m_boPresent = false;
    bool m_boInstalled = false; // something was installed in this script

    // Run flags.
    std::atomic<bool> m_boStop{false};
    std::atomic<bool> m_boQuit{false};
    bool m_boSkip = false;
    bool m_boLineFailed = false;
};
} // namespace FdInstall
