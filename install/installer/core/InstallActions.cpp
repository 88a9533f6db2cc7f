// The action verbs of [ACTIONS] and [REQUIRED_ACTIONS].
#include "InstallEngine.h"

#include "AnsiText.h"

#include <cstdio>

namespace FdInstall
{
namespace
{
const char kszDeleteIndex[] = "Installer - Delete file : index trop grand !";
const char kszCopyIndex[] = "Installer - Copy file : index trop grand !";
const char kszCopyVerIndex[] = "Installer - Copyver file : index trop grand !";
const char kszCopyDateIndex[] = "Installer - Copydate file : index trop grand !";
const char kszExecIndex[] = "Installer - exec file : index trop grand !";
const char kszRegisterIndex[] = "Installer - Register file : index trop grand !";
const char kszCopyPluginIndex[] = "Installer - Copyplugin file : index trop grand !";
const char kszBrowsersClosing[] =
    "Votre browser va être fermé puis relancé afin de terminer l'installation (cette "
    "opération peut prendre quelques secondes).";
const char kszBrowsersClosingTitle[] = "FDGame - Installer";
constexpr size_t kCopyPluginFields = 4; // fields before the extra slots
const char kszExpandFailed[] =
    "Impossible de décompresser le fichier %s vers %s (Erreur lz : %i) - (ErreurWin32 : %i)";
const char kszExpandFailedTitle[] = "Erreur";

bool boIs(const std::string& a, const char* b)
{
    return boAnsiEqualNoCase(a.c_str(), b);
}
} // namespace

bool CInstallEngine::boSlotOk(const SActionLine& action, bool boUsesFile, const char* lpszBoxText)
{
    // Slot 0 names no file: it is refused by the verbs that use one.
    if (action.lSlot > m_iDownloads || (boUsesFile && action.lSlot < 1))
    {
        m_host.vMessageBox(lpszBoxText, action.strAfter);
        return false;
    }
    return true;
}

std::string CInstallEngine::strRelative(const std::string& strPath)
{
    std::string strDir = m_host.strInstallDir();
    if (strDir.empty() || strDir.back() != '\\')
        strDir += '\\';
    return strDir + strPath;
}

bool CInstallEngine::boCopyExpanding(const std::string& strSource, const std::string& strTarget)
{
    // The destination gets the source's times: [FILEDATE] and COPYDATE compare them later.
    FileTime ftCreation = 0, ftLastWrite = 0;
    m_host.boFileTimes(strSource, ftCreation, ftLastWrite);
    uint32_t dwWin32 = 0;
    const int iLz = m_host.iExpandFile(strSource, strTarget, dwWin32);
    if (iLz != 0)
    {
        const int iLength = std::snprintf(nullptr, 0, kszExpandFailed, strSource.c_str(), strTarget.c_str(),
                                          iLz, static_cast<int>(dwWin32));
        std::string strText(iLength > 0 ? static_cast<size_t>(iLength) : 0, '\0');
        std::snprintf(&strText[0], strText.size() + 1, kszExpandFailed, strSource.c_str(), strTarget.c_str(),
                      iLz, static_cast<int>(dwWin32));
        m_host.vMessageBox(strText, kszExpandFailedTitle);
        return false;
    }
    m_host.boSetFileTimes(strTarget, ftCreation, ftLastWrite);
    return true;
}

void CInstallEngine::vActionLine(IInstallCallback* lpCallback, const std::string& strLine)
{
    SActionLine a;
    if (!boParseActionLine(strLine, a))
        return; // no verb
    const int iSlot = a.lSlot;
    // The slot's path is read only once the index is known to be good.
    auto slotPath = [&]() -> std::string& { return m_slots[iSlot].strPath; };
    auto copyFailed = [&](const std::string& strSource, const std::string& strTarget, int iError)
    {
        vSet(lpCallback, "SRCFILE", strSource);
        vSet(lpCallback, "DSTFILE", strTarget);
        vFail(lpCallback, iError);
    };
    // The slot's file becomes the destination; the downloaded copy goes.
    auto moved = [&](const std::string& strTarget)
    {
        m_host.boDeleteFile(slotPath());
        slotPath() = strTarget;
    };

    if (boIs(a.strVerb, "DEL"))
    {
        if (boSlotOk(a, true, kszDeleteIndex))
            m_host.boDeleteFile(slotPath());
    }
    else if (boIs(a.strVerb, "MD") || boIs(a.strVerb, "MDABS"))
    {
        if (!boSlotOk(a, false, kszDeleteIndex))
            return;
        std::string strPath;
        if (boIs(a.strVerb, "MDABS"))
            strPath = a.strArgs;
        else if (a.boHasArgs)
            strPath = strRelative(a.strArgs);
        else
            strPath = m_host.strInstallDir();
        if (!m_host.boCreateFolder(strPath))
        {
            vSet(lpCallback, "DIR", strPath);
            vFail(lpCallback, kErrFolder);
        }
    }
    else if (boIs(a.strVerb, "COPY") || boIs(a.strVerb, "COPYABS"))
    {
        if (!boSlotOk(a, true, kszCopyIndex))
            return;
        const std::string strTarget = boIs(a.strVerb, "COPY") ? strRelative(a.strArgs) : a.strArgs;
        if (!boCopyExpanding(slotPath(), strTarget))
            return copyFailed(slotPath(), strTarget, kErrCopy);
        moved(strTarget);
    }
    else if (boIs(a.strVerb, "COPYVER"))
    {
        if (!boSlotOk(a, true, kszCopyVerIndex))
            return;
        const std::vector<std::string> fields = fieldsOf(a.strArgs, 3);
        const std::string strTarget = strRelative(fields[0]);
        const std::string strMinimum = fields.size() > 1 ? fields[1] : std::string();
        const std::string strBlock = fields.size() > 2 ? fields[2] : std::string();
        if (boVersionBelow(strTarget, strMinimum, strBlock) && !boCopyExpanding(slotPath(), strTarget))
            return copyFailed(slotPath(), strTarget, kErrVersionedCopy);
        moved(strTarget);
    }
    else if (boIs(a.strVerb, "COPYDATE"))
    {
        if (!boSlotOk(a, true, kszCopyDateIndex))
            return;
        const std::string strTarget = strRelative(a.strArgs);
        FileTime ftC = 0, ftTarget = 0, ftSource = 0;
        const bool boCopy = !m_host.boFileTimes(strTarget, ftC, ftTarget) ||
                            (m_host.boFileTimes(slotPath(), ftC, ftSource) && ftTarget < ftSource);
        if (boCopy && !boCopyExpanding(slotPath(), strTarget))
            return copyFailed(slotPath(), strTarget, kErrDatedCopy);
        moved(strTarget);
    }
    else if (boIs(a.strVerb, "EXEC"))
    {
        if (boSlotOk(a, true, kszExecIndex) && !m_host.boRunAndWait(slotPath(), a.strArgs))
        {
            vSet(lpCallback, "FILE", slotPath());
            vFail(lpCallback, kErrProgramStart);
        }
    }
    else if (boIs(a.strVerb, "REGISTER"))
    {
        if (boSlotOk(a, true, kszRegisterIndex) && !m_host.boSelfRegister(slotPath()))
        {
            vSet(lpCallback, "FILE", slotPath());
            vFail(lpCallback, kErrRegistration);
        }
    }
    else if (boIs(a.strVerb, "COPYPLUGIN"))
    {
        vCopyPlugin(lpCallback, a);
    }
    else if (boIs(a.strVerb, "REGISTRY"))
    {
        const std::vector<std::string> fields = fieldsOf(a.strArgs, 4);
        SRegPath key;
        if (!a.boHasArgs || fields.size() < 4 || !boSplitRegistryPath(fields[0], key))
            return;
        SRegValue value;
        if (boIs(fields[2], "I"))
        {
            const uint32_t dw = static_cast<uint32_t>(lParseDecimal(fields[3].c_str()));
            value.dwType = kRegTypeDword;
            value.strData = {static_cast<char>(dw & 0xFF), static_cast<char>((dw >> 8) & 0xFF),
                             static_cast<char>((dw >> 16) & 0xFF), static_cast<char>((dw >> 24) & 0xFF)};
        }
        else if (boIs(fields[2], "S"))
        {
            value.dwType = kRegTypeString;
            value.strData = fields[3];
        }
        else
        {
            return;
        }
        m_host.boWriteValue(key, fields[1], value);
    }
}
void CInstallEngine::vCopyPlugin(IInstallCallback* lpCallback, const SActionLine& a)
{
    const std::vector<std::string> fields = fieldsOf(a.strArgs);
    if (!a.boHasArgs || fields.size() < kCopyPluginFields)
        return; // not a COPYPLUGIN line
    if (a.lSlot > m_iDownloads || a.lSlot < 1)
    {
        m_host.vMessageBox(kszCopyPluginIndex, "");
        return;
    }
    if (m_pluginFolders.empty())
        return; // every browser has the plug-in: nothing is copied, nothing closed
    // The browsers that go take the plug-in's page with them: the callback is
    // let go first and not called again in this run.
    m_host.vReleaseCallback();
    m_boPluginCopied = true;
    m_host.vMessageBox(kszBrowsersClosing, kszBrowsersClosingTitle);
    m_host.vCloseBrowsers();

    const std::string strSource = m_slots[a.lSlot].strPath;
    for (const SPluginFolder& folder : m_pluginFolders)
    {
        const std::string strTarget = strJoinPath(folder.strPath, folder.strPluginFile);
        if (!boCopyExpanding(strSource, strTarget))
        {
            vSet(lpCallback, "SRCFILE", strSource);
            vSet(lpCallback, "DSTFILE", strTarget);
            vFail(lpCallback, kErrPluginCopy);
            return;
        }
    }
    // Further slots: each file into every folder under its own name.
    for (size_t i = kCopyPluginFields; i < fields.size(); ++i)
    {
        if (fields[i].empty())
            continue;
        const int32_t lSlot = lParseDecimal(fields[i].c_str());
        if (lSlot > m_iDownloads || lSlot < 1)
        {
            std::string strRest = fields[i];
            for (size_t k = i + 1; k < fields.size(); ++k)
                strRest += ";" + fields[k];
            m_host.vMessageBox(kszCopyPluginIndex, strRest);
            continue;
        }
        const std::string& strExtra = m_slots[lSlot].strPath;
        for (const SPluginFolder& folder : m_pluginFolders)
        {
            if (!boCopyExpanding(strExtra, strJoinPath(folder.strPath, strFileName(strExtra))))
                return; // a failed copy ends the list
        }
    }
}
} // namespace FdInstall
