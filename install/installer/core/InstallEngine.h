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
#include <vector>

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

constexpr int kMaxDownloads = 50;        // download slots of one [INSTALL] block, numbered 1-50
constexpr size_t kMaxPluginFolders = 50; // plug-in folders recorded by the [PLUGIN] search
// Folders below a drive's root the walk goes down at most: a junction or
// symbolic link that Windows does not mark (Wine's Z:, a loop through a
// parent) ends there.
constexpr int kMaxWalkDepth = 64;

// A browser's plug-in folder that lacks the plug-in.
enum EBrowserKind
{
    kBrowserNetscape = 0,
    kBrowserExplorer = 1,
};
struct SPluginFolder
{
    std::string strPath;       // <browser's folder>\Plugins
    std::string strPluginFile; // the plug-in's file name of the [PLUGIN] line
    EBrowserKind eKind = kBrowserExplorer;
};

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
    const std::vector<SPluginFolder>& pluginFolders() const { return m_pluginFolders; }
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
    ERunEnd eRunLines(IInstallCallback* lpCallback);
    void vSet(IInstallCallback* lpCallback, const std::string& strName, const std::string& strValue);
    void vRun(IInstallCallback* lpCallback, const std::string& strCommand);
    // An action's failure: the named parameters are set first, then the report;
    // the run ends without a result page.
    void vFail(IInstallCallback* lpCallback, int iNumber);
    void vEndScript();

    void vLine(IInstallCallback* lpCallback, const std::string& strLine);
    bool boTestLine(IInstallCallback* lpCallback, const std::string& strLine);
    bool boRegistryTest(const std::string& strLine);
    bool boFileDateTest(const std::string& strLine);
    bool boFileVersionTest(const std::string& strLine);
    void vDownloadLine(IInstallCallback* lpCallback, const std::string& strLine);
    void vTextLine(IInstallCallback* lpCallback, const std::string& strLine);
    void vActionLine(IInstallCallback* lpCallback, const std::string& strLine);
    void vFinishRun(IInstallCallback* lpCallback);

    // The drive walk: every folder below each root, depth first; a progress
    // line on entering each, the worker's messages at each entry. onFile gets
    // the folder and each file's entry.
    using FOnFile = void (*)(void* lpContext, const std::string& strFolder, const SFolderEntry& entry);
    void vWalkDrives(IInstallCallback* lpCallback, FOnFile pfnOnFile, void* lpContext);
    void vWalkFolder(IInstallCallback* lpCallback, const std::string& strFolder, int iDepth,
                     size_t& ulFolders, FOnFile pfnOnFile, void* lpContext);
    bool boPluginTest(IInstallCallback* lpCallback, const std::string& strLine);
    bool boFileTest(IInstallCallback* lpCallback, const std::string& strLine);
    void vCopyPlugin(IInstallCallback* lpCallback, const SActionLine& action);

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
    std::vector<SPluginFolder> m_pluginFolders;
    bool m_abLacking[2] = {false, false}; // by browser kind: a folder lacks the plug-in

    // Run flags.
    std::atomic<bool> m_boStop{false};
    std::atomic<bool> m_boQuit{false};
    bool m_boSkip = false;
    bool m_boLineFailed = false;
    // COPYPLUGIN let the callback go and closed the browsers: nothing calls
    // the plug-in for the rest of the run, whose end opens RESURL1 itself.
    bool m_boPluginCopied = false;
};
} // namespace FdInstall
