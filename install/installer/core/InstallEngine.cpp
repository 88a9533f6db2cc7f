#include "InstallEngine.h"

#include "AnsiText.h"

#include <cstdlib>

namespace FdInstall
{
namespace
{
const char kszNotAsked[] = "Fichier reçu alors que non demandé !";
const char kszNotAskedTitle[] = "FDGame installer - Erreur";
const char kszTooManyDownloads[] = "Installer - Too many downloaded files in a [DL] section !";
const char kszPleaseWait[] = "Veuillez patienter pendant l'installation...";
const char* const kaszBrowserPrograms[] = {"netscape.exe", "iexplore.exe"}; // by EBrowserKind

bool boIs(const std::string& a, const char* b)
{
    return boAnsiEqualNoCase(a.c_str(), b);
}
} // namespace

// ---- Parameters

void CInstallEngine::vSetParameter(const std::string& strName, const std::string& strValue)
{
    std::lock_guard<std::mutex> lock(m_paramsLock);
    struct
    {
        const char* lpszName;
        std::string* lpstr;
    } const texts[] = {
        {"FILE", &m_params.strFile},     {"RESURL1", &m_params.strResUrl1}, {"RESURL2", &m_params.strResUrl2},
        {"ERRURL", &m_params.strErrUrl}, {"RESFRM1", &m_params.strResFrm1}, {"RESFRM2", &m_params.strResFrm2},
        {"ERRFRM", &m_params.strErrFrm}, {"DL_BASE", &m_params.strDlBase},  {"DLPATH", &m_params.strDlPath},
        {"DLURL", &m_params.strDlUrl},
    };
    for (const auto& t : texts)
    {
        if (boIs(strName, t.lpszName))
        {
            *t.lpstr = strValue;
            return;
        }
    }
    if (boIs(strName, "JOBID"))
        m_params.lJobId = lParseDecimal(strValue.c_str());
    else if (boIs(strName, "APPID"))
        m_params.lAppId = lParseDecimal(strValue.c_str());
}

std::string CInstallEngine::strParameter(const std::string& strName) const
{
    const SParams p = params();
    struct
    {
        const char* lpszName;
        const std::string& str;
    } const texts[] = {
        {"FILE", p.strFile},     {"RESURL1", p.strResUrl1}, {"RESURL2", p.strResUrl2},
        {"ERRURL", p.strErrUrl}, {"RESFRM1", p.strResFrm1}, {"RESFRM2", p.strResFrm2},
        {"ERRFRM", p.strErrFrm}, {"DL_BASE", p.strDlBase},  {"DLPATH", p.strDlPath},
        {"DLURL", p.strDlUrl},
    };
    for (const auto& t : texts)
    {
        if (boIs(strName, t.lpszName))
            return t.str;
    }
    if (boIs(strName, "JOBID"))
        return strDecimal(p.lJobId);
    if (boIs(strName, "APPID"))
        return strDecimal(p.lAppId);
    return std::string();
}

CInstallEngine::SParams CInstallEngine::params() const
{
    std::lock_guard<std::mutex> lock(m_paramsLock);
    return m_params;
}

// ---- Callback

void CInstallEngine::vSet(IInstallCallback* lpCallback, const std::string& strName,
                          const std::string& strValue)
{
    if (lpCallback && !m_boPluginCopied)
        lpCallback->vSetParameter(strName, strValue);
}

void CInstallEngine::vRun(IInstallCallback* lpCallback, const std::string& strCommand)
{
    if (lpCallback && !m_boPluginCopied)
        lpCallback->vExecuteCmd(strCommand);
}

void CInstallEngine::vErrorReport(IInstallCallback* lpCallback, int iNumber)
{
    const SParams p = params();
    vSet(lpCallback, "APPID", strDecimal(p.lAppId));
    vSet(lpCallback, "JOBID", strDecimal(p.lJobId));
    vSet(lpCallback, "NUMERR", strDecimal(iNumber));
    if (!p.strErrUrl.empty())
        vSet(lpCallback, "TURL", p.strErrUrl);
    if (!p.strErrFrm.empty())
        vSet(lpCallback, "BFRM", p.strErrFrm);
    vRun(lpCallback, "SEND");
}

void CInstallEngine::vFail(IInstallCallback* lpCallback, int iNumber)
{
    vErrorReport(lpCallback, iNumber);
    m_iState = kSectionEnd;
    m_boQuit = true;
    m_boStop = true;
}

void CInstallEngine::vStopFromOutside()
{
    m_boQuit = true;
    m_boStop = true;
}

// ---- The plug-in's commands

void CInstallEngine::vInstall(IInstallCallback* lpCallback)
{
    m_iState = kSectionNone;
    m_eOutstanding = EOutstanding::Script;
    vSet(lpCallback, "URL", params().strFile);
    vRun(lpCallback, "DOWNLOAD");
}

CInstallEngine::EDone CInstallEngine::eDownloadDone(IInstallCallback* lpCallback)
{
    const std::string strPath = params().strDlPath;
    if (m_iState == kSectionNone)
    {
        m_eOutstanding = EOutstanding::None;
        std::string strText;
        if (!m_host.boReadFile(strPath, strText))
        {
            vSet(lpCallback, "FILE", strPath);
            vErrorReport(lpCallback, kErrScriptNotOpened);
            return EDone::Nothing;
        }
        m_strScriptPath = strPath;
        m_script.vLoad(strText);
        m_iState = kSectionLoaded;
        m_boInstalled = false;
        return EDone::StartWorker;
    }
    if (m_eOutstanding != EOutstanding::Download)
    {
        // A file nobody asked for changes nothing.
        m_host.vMessageBox(kszNotAsked, kszNotAskedTitle);
        return EDone::Nothing;
    }
    m_eOutstanding = EOutstanding::None;
    SSlot& slot = m_slots[m_iDownloads];
    slot.strPath = strPath;
    if (slot.ftTime != 0)
        m_host.boSetFileTimes(strPath, 0, slot.ftTime);
    return EDone::StartWorker;
}

void CInstallEngine::vDownloadError(IInstallCallback* lpCallback)
{
    m_eOutstanding = EOutstanding::None;
    vSet(lpCallback, "FILE", params().strDlUrl);
    vErrorReport(lpCallback, kErrDownload);
}

// ---- The worker run

CInstallEngine::ERunEnd CInstallEngine::eRun(IInstallCallback* lpCallback)
{
    m_boStop = false;
    m_boQuit = false;
    m_boSkip = false;
    m_boLineFailed = false;
    m_boPluginCopied = false;
    const ERunEnd eEnd = eRunLines(lpCallback);
    // The callback is the plug-in's again for the commands of the main thread.
    m_boPluginCopied = false;
    return eEnd;
}

CInstallEngine::ERunEnd CInstallEngine::eRunLines(IInstallCallback* lpCallback)
{
    for (;;)
    {
        m_host.vCheckMessages();
        if (m_boStop)
            break;
        std::string strLine;
        if (!m_script.boNextLine(strLine))
        {
            // The text ended without [END]: the script is broken.
            vSet(lpCallback, "FILE", m_strScriptPath);
            vFail(lpCallback, kErrScriptNotOpened);
            break;
        }
        vLine(lpCallback, strLine);
    }
    if (m_iState != kSectionEnd)
        return m_boQuit ? ERunEnd::Stopped : ERunEnd::Paused;
    vEndScript();
    if (m_boQuit)
        return ERunEnd::Stopped;
    vFinishRun(lpCallback);
    return ERunEnd::Finished;
}

void CInstallEngine::vEndScript()
{
    if (!m_strScriptPath.empty())
        m_host.boDeleteFile(m_strScriptPath);
    m_strScriptPath.clear();
    m_script.vClear();
    m_iState = kSectionNone;
}

void CInstallEngine::vFinishRun(IInstallCallback* lpCallback)
{
    const SParams p = params();
    if (m_boPluginCopied)
    {
        // The browsers were closed: a new one opens the result, when it is a
        // web address (a page's text could name a program).
        if (boIsWebAddress(p.strResUrl1))
            m_host.vOpenInBrowser(p.strResUrl1);
        return;
    }
    vSet(lpCallback, "TEXTMSG", "");
    vRun(lpCallback, "SETMSG");
    vSet(lpCallback, "TEXTMSG", "");
    vSet(lpCallback, "NUMMSG", "1");
    vRun(lpCallback, "SETMSG");
    const std::string& strUrl = m_boInstalled ? p.strResUrl1 : p.strResUrl2;
    const std::string& strFrame = m_boInstalled ? p.strResFrm1 : p.strResFrm2;
    if (strUrl.empty())
        return;
    vSet(lpCallback, "APPID", strDecimal(p.lAppId));
    vSet(lpCallback, "JOBID", strDecimal(p.lJobId));
    vSet(lpCallback, "TURL", strUrl);
    if (!strFrame.empty())
        vSet(lpCallback, "BFRM", strFrame);
    vRun(lpCallback, "SEND");
}

void CInstallEngine::vLine(IInstallCallback* lpCallback, const std::string& strLine)
{
    switch (eSectionHeader(strLine))
    {
    case kSectionEnd:
        m_iState = kSectionEnd;
        m_boSkip = false;
        m_boStop = true;
        return;
    case kSectionInstall:
        m_iState = kSectionInstall;
        m_iDownloads = 0;
        for (SSlot& s : m_slots)
            s = SSlot();
        m_boPresent = false;
        m_iTestKind = kTestNone;
        m_pluginFolders.clear();
        m_abLacking[kBrowserNetscape] = m_abLacking[kBrowserExplorer] = false;
        m_boSkip = false;
        return;
    case kSectionText:
        m_iState = kSectionText;
        return;
    case kSectionRequired:
        m_iState = kSectionRequired;
        m_boSkip = false;
        return;
    default:
        break;
    }
    if (m_boSkip)
        return;
    switch (eSectionHeader(strLine))
    {
    case kSectionDownload:
        m_iState = kSectionDownload;
        m_boLineFailed = false;
        if (m_boPresent)
            m_boSkip = true;
        else
            m_boInstalled = true;
        return;
    case kSectionTest:
        m_iState = kSectionTest;
        m_boLineFailed = false;
        if (m_boPresent)
            m_boSkip = true;
        m_boPresent = false;
        m_iTestKind = kTestNone;
        return;
    case kSectionActions:
        m_iState = kSectionActions;
        m_boLineFailed = false;
        return;
    default:
        break;
    }
    if (m_boLineFailed)
        return;
    const ETestKind eKind = eTestHeader(strLine);
    if (eKind != kTestNone)
    {
        m_iTestKind = eKind;
        return;
    }
    switch (m_iState)
    {
    case kSectionTest:
        m_boPresent = boTestLine(lpCallback, strLine);
        m_boLineFailed = !m_boPresent;
        break;
    case kSectionDownload:
        vDownloadLine(lpCallback, strLine);
        break;
    case kSectionActions:
        m_boInstalled = true;
        vActionLine(lpCallback, strLine);
        break;
    case kSectionText:
        vTextLine(lpCallback, strLine);
        break;
    case kSectionRequired:
        vActionLine(lpCallback, strLine);
        break;
    default:
        break; // before the first section or directly under [INSTALL]
    }
}

// ---- Tests

bool CInstallEngine::boTestLine(IInstallCallback* lpCallback, const std::string& strLine)
{
    switch (m_iTestKind)
    {
    case kTestRegistry:
        return boRegistryTest(strLine);
    case kTestPlugin:
        return boPluginTest(lpCallback, strLine);
    case kTestFile:
        return boFileTest(lpCallback, strLine);
    case kTestFileDate:
        return boFileDateTest(strLine);
    case kTestFileVersion:
        return boFileVersionTest(strLine);
    default:
        return false; // a test line under no test kind tests nothing
    }
}

bool CInstallEngine::boRegistryTest(const std::string& strLine)
{
    const std::vector<std::string> fields = fieldsOf(strLine, 4);
    SRegPath key;
    if (fields.size() == 1)
        return boSplitRegistryPath(strLine, key) && m_host.boKeyExists(key);
    if (fields.size() < 4 || !boSplitRegistryPath(fields[0], key))
        return false;
    SRegValue value;
    if (!m_host.boReadValue(key, fields[1], value))
        return false;
    const std::string& strOp = fields[2];
    const std::string& strData = fields[3];
    if (value.dwType == kRegTypeDword)
    {
        if (value.strData.size() != 4)
            return false;
        const uint32_t dwValue = static_cast<uint8_t>(value.strData[0]) |
                                 static_cast<uint32_t>(static_cast<uint8_t>(value.strData[1])) << 8 |
                                 static_cast<uint32_t>(static_cast<uint8_t>(value.strData[2])) << 16 |
                                 static_cast<uint32_t>(static_cast<uint8_t>(value.strData[3])) << 24;
        const uint32_t dwData = static_cast<uint32_t>(lParseDecimal(strData.c_str()));
        if (strOp == "!")
            return dwValue != dwData;
        if (strOp == "<")
            return dwValue < dwData;
        if (strOp == "=")
            return dwValue == dwData;
        if (strOp == ">")
            return dwValue > dwData;
        return false;
    }
    if (value.dwType == kRegTypeString)
    {
        const std::string strValue = value.strData.substr(0, value.strData.find('\0'));
        int iCmp;
        bool boVersion = false;
        std::string strRel = strOp;
        if (!strRel.empty() && strRel[0] == 'V')
        {
            boVersion = true;
            strRel.erase(0, 1);
            iCmp = iCompareVersionTexts(strValue, strData);
        }
        else
        {
            iCmp = iAnsiCompareNoCase(strValue.c_str(), strData.c_str());
        }
        if (strRel == "<")
            return iCmp < 0;
        if (strRel == ">")
            return iCmp > 0;
        if (strRel == "=")
            return iCmp == 0;
        if (strRel == "!")
            return iCmp != 0;
        if (boVersion && strRel == "<=")
            return iCmp <= 0;
        if (boVersion && strRel == ">=")
            return iCmp >= 0;
        return false;
    }
    return false;
}

bool CInstallEngine::boFileDateTest(const std::string& strLine)
{
    const std::vector<std::string> fields = fieldsOf(strLine, 2);
    if (fields.size() < 2)
        return false;
    FileTime ftCreation = 0, ftLastWrite = 0;
    if (!m_host.boFileTimes(strRelative(fields[0]), ftCreation, ftLastWrite) || ftLastWrite == 0)
        return false;
    return ftParseDateText(fields[1]) <= ftLastWrite;
}

bool CInstallEngine::boFileVersionTest(const std::string& strLine)
{
    const std::vector<std::string> fields = fieldsOf(strLine, 3);
    if (fields.size() < 2)
        return false;
    return !boVersionBelow(strRelative(fields[0]), fields[1], fields.size() > 2 ? fields[2] : std::string());
}

bool CInstallEngine::boVersionBelow(const std::string& strPath, const std::string& strMinimum,
                                    const std::string& strBlock)
{
    std::string strVersion;
    if (!m_host.boFileVersion(strPath, strBlock, strVersion))
        return true;
    return iCompareFileVersions(strVersion, strMinimum) < 0;
}

// ---- The drive walk

void CInstallEngine::vWalkDrives(IInstallCallback* lpCallback, FOnFile pfnOnFile, void* lpContext)
{
    size_t ulFolders = 0;
    for (const std::string& strRoot : m_host.driveRoots())
    {
        if (m_boStop)
            return;
        vWalkFolder(lpCallback, strRoot, 0, ulFolders, pfnOnFile, lpContext);
    }
}

void CInstallEngine::vWalkFolder(IInstallCallback* lpCallback, const std::string& strFolder, int iDepth,
                                 size_t& ulFolders, FOnFile pfnOnFile, void* lpContext)
{
    vSet(lpCallback, "TEXTMSG", strProgressLine(ulFolders++));
    vSet(lpCallback, "NUMMSG", "2");
    vRun(lpCallback, "SETMSG");
    std::vector<SFolderEntry> entries;
    if (!m_host.boListFolder(strFolder, entries))
        return;
    for (const SFolderEntry& entry : entries)
    {
        m_host.vCheckMessages();
        if (m_boStop)
            return;
        if (!entry.boFolder)
            pfnOnFile(lpContext, strFolder, entry);
        else if (!entry.boLink && iDepth < kMaxWalkDepth && entry.strName != "." && entry.strName != "..")
            vWalkFolder(lpCallback, strJoinPath(strFolder, entry.strName), iDepth + 1, ulFolders, pfnOnFile,
                        lpContext);
    }
}

bool CInstallEngine::boPluginTest(IInstallCallback* lpCallback, const std::string& strLine)
{
    const std::vector<std::string> fields = fieldsOf(strLine, 4);
    if (fields.size() < 4)
        return false;
    vSet(lpCallback, "TEXTMSG", kszPleaseWait);
    vSet(lpCallback, "NUMMSG", "1");
    vRun(lpCallback, "SETMSG");
    struct SSearch
    {
        CInstallEngine* lpEngine;
        const std::string& strPluginFile;
        const std::string& strMinVersion;
        size_t ulLacking;
    } search{this, fields[0], fields[3], 0};
    vWalkDrives(
        lpCallback,
        [](void* lpContext, const std::string& strFolder, const SFolderEntry& entry)
        {
            auto& s = *static_cast<SSearch*>(lpContext);
            for (int iKind : {kBrowserNetscape, kBrowserExplorer})
            {
                if (!boIs(entry.strName, kaszBrowserPrograms[iKind]))
                    continue;
                const std::string strPlugins = strJoinPath(strFolder, "Plugins");
                if (!s.lpEngine->boVersionBelow(strJoinPath(strPlugins, s.strPluginFile), s.strMinVersion,
                                                ""))
                    continue; // this browser has the plug-in
                ++s.ulLacking;
                s.lpEngine->m_abLacking[iKind] = true;
                if (s.lpEngine->m_pluginFolders.size() < kMaxPluginFolders)
                    s.lpEngine->m_pluginFolders.push_back(
                        SPluginFolder{strPlugins, s.strPluginFile, static_cast<EBrowserKind>(iKind)});
            }
        },
        &search);
    return search.ulLacking == 0;
}

bool CInstallEngine::boFileTest(IInstallCallback* lpCallback, const std::string& strLine)
{
    struct SWanted
    {
        SFileEntry entry;
        bool boFound = false;
    };
    std::vector<SWanted> wanted;
    for (const std::string& f : fieldsOf(strLine))
    {
        const size_t ulColon = f.find(':');
        SWanted w;
        w.entry.strName = f.substr(0, ulColon);
        if (ulColon != std::string::npos)
            w.entry.ullSize = std::strtoull(f.c_str() + ulColon + 1, nullptr, 10);
        if (!w.entry.strName.empty())
            wanted.push_back(w);
    }
    vWalkDrives(
        lpCallback,
        [](void* lpContext, const std::string&, const SFolderEntry& entry)
        {
            for (SWanted& w : *static_cast<std::vector<SWanted>*>(lpContext))
            {
                if (!w.boFound && boIs(entry.strName, w.entry.strName.c_str()) &&
                    (w.entry.ullSize == 0 || w.entry.ullSize == entry.ullSize))
                    w.boFound = true;
            }
        },
        &wanted);
    for (const SWanted& w : wanted)
    {
        if (!w.boFound)
            return false;
    }
    return true;
}

// ---- Downloads and texts

void CInstallEngine::vDownloadLine(IInstallCallback* lpCallback, const std::string& strLine)
{
    const std::vector<std::string> fields = fieldsOf(strLine, 3);
    const std::string strUrl = params().strDlBase + fields[0];
    m_boInstalled = true;
    m_boStop = true;
    if (m_iDownloads >= kMaxDownloads)
    {
        // No slot is left for the file: the run ends as a failed download
        // rather than waiting for a file nobody fetches.
        m_host.vMessageBox(kszTooManyDownloads, "");
        vSet(lpCallback, "FILE", strUrl);
        vFail(lpCallback, kErrDownload);
        return;
    }
    SSlot& slot = m_slots[++m_iDownloads];
    slot.strPath.clear();
    slot.ftTime = fields.size() > 1 ? ftParseDateText(fields[1]) : 0;
    m_eOutstanding = EOutstanding::Download;
    vSet(lpCallback, "URL", strUrl);
    if (fields.size() > 2 && !fields[2].empty())
        vSet(lpCallback, "SIZE", fields[2]);
    vRun(lpCallback, "DOWNLOAD");
}

void CInstallEngine::vTextLine(IInstallCallback* lpCallback, const std::string& strLine)
{
    const size_t ulSemi = strLine.find(';');
    vSet(lpCallback, "TEXTMSG", ulSemi == std::string::npos ? std::string() : strLine.substr(ulSemi + 1));
    vSet(lpCallback, "NUMMSG", strDecimal(lParseDecimal(strLine.c_str())));
    vRun(lpCallback, "SETMSG");
}
} // namespace FdInstall
