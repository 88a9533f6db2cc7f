#include "RecordingHost.h"

namespace FdInstallTest
{
namespace
{
const char* lpszRoot(ERegRoot e)
{
    switch (e)
    {
    case ERegRoot::ClassesRoot:
        return "HKCR";
    case ERegRoot::CurrentUser:
        return "HKCU";
    case ERegRoot::LocalMachine:
        return "HKLM";
    case ERegRoot::Users:
        return "HKU";
    }
    return "?";
}
} // namespace

std::string SCommand::strParam(const std::string& strName) const
{
    for (const auto& p : params)
    {
        if (p.first == strName)
            return p.second;
    }
    return std::string();
}

bool SCommand::boHas(const std::string& strName) const
{
    for (const auto& p : params)
    {
        if (p.first == strName)
            return true;
    }
    return false;
}

std::vector<SCommand> CRecordingHost::commands() const
{
    std::vector<SCommand> out;
    SCommand pending;
    for (const std::string& c : calls)
    {
        if (c.rfind("SET|", 0) == 0)
        {
            const size_t ulBar = c.find('|', 4);
            pending.params.emplace_back(c.substr(4, ulBar - 4), c.substr(ulBar + 1));
        }
        else if (c.rfind("CMD|", 0) == 0)
        {
            pending.strName = c.substr(4);
            out.push_back(pending);
            pending = SCommand();
        }
    }
    return out;
}

std::vector<std::string> CRecordingHost::boxes() const
{
    std::vector<std::string> out;
    for (const std::string& c : callsLike("BOX|"))
        out.push_back(c.substr(4));
    return out;
}

std::vector<std::string> CRecordingHost::callsLike(const std::string& strPrefix) const
{
    std::vector<std::string> out;
    for (const std::string& c : calls)
    {
        if (c.rfind(strPrefix, 0) == 0)
            out.push_back(c);
    }
    return out;
}

std::string CRecordingHost::strKeyText(const SRegPath& key)
{
    return std::string(lpszRoot(key.eRoot)) + "\\" + key.strSubKey;
}

void CRecordingHost::vSetString(const std::string& strKey, const std::string& strName,
                                const std::string& strValue)
{
    keys.insert(strKey);
    values[strKey + "|" + strName] = SRegValue{kRegTypeString, strValue};
}

void CRecordingHost::vSetDword(const std::string& strKey, const std::string& strName, uint32_t dw)
{
    keys.insert(strKey);
    values[strKey + "|" + strName] =
        SRegValue{kRegTypeDword, std::string{static_cast<char>(dw), static_cast<char>(dw >> 8),
                                             static_cast<char>(dw >> 16), static_cast<char>(dw >> 24)}};
}

void CRecordingHost::vSetParameter(const std::string& strName, const std::string& strValue)
{
    calls.push_back("SET|" + strName + "|" + strValue);
}

void CRecordingHost::vExecuteCmd(const std::string& strCommand)
{
    calls.push_back("CMD|" + strCommand);
}

void CRecordingHost::vCheckMessages()
{
    if (onCheckMessages)
        onCheckMessages();
}

void CRecordingHost::vMessageBox(const std::string& strText, const std::string& strTitle)
{
    calls.push_back("BOX|" + strTitle + "|" + strText);
}

bool CRecordingHost::boKeyExists(const SRegPath& key)
{
    return keys.count(strKeyText(key)) != 0;
}

bool CRecordingHost::boReadValue(const SRegPath& key, const std::string& strName, SRegValue& value)
{
    const auto it = values.find(strKeyText(key) + "|" + strName);
    if (it == values.end())
        return false;
    value = it->second;
    return true;
}

bool CRecordingHost::boWriteValue(const SRegPath& key, const std::string& strName, const SRegValue& value)
{
    calls.push_back("WRITE|" + strKeyText(key) + "|" + strName + "|" + std::to_string(value.dwType) + "|" +
                    value.strData);
    keys.insert(strKeyText(key));
    values[strKeyText(key) + "|" + strName] = value;
    return true;
}

bool CRecordingHost::boReadFile(const std::string& strPath, std::string& strContent)
{
    const auto it = files.find(strPath);
    if (it == files.end())
        return false;
    strContent = it->second.strContent;
    return true;
}

bool CRecordingHost::boDeleteFile(const std::string& strPath)
{
    calls.push_back("DEL|" + strPath);
    return files.erase(strPath) != 0;
}

bool CRecordingHost::boCreateFolder(const std::string& strPath)
{
    calls.push_back("MKDIR|" + strPath);
    return boFolderOk;
}

bool CRecordingHost::boFileTimes(const std::string& strPath, FileTime& ftCreation, FileTime& ftLastWrite)
{
    const auto it = files.find(strPath);
    if (it == files.end())
        return false;
    ftCreation = it->second.ftCreation;
    ftLastWrite = it->second.ftLastWrite;
    return true;
}

bool CRecordingHost::boSetFileTimes(const std::string& strPath, FileTime ftCreation, FileTime ftLastWrite)
{
    calls.push_back("TIMES|" + strPath + "|" + std::to_string(ftCreation) + "|" +
                    std::to_string(ftLastWrite));
    const auto it = files.find(strPath);
    if (it == files.end())
        return false;
    if (ftCreation)
        it->second.ftCreation = ftCreation;
    if (ftLastWrite)
        it->second.ftLastWrite = ftLastWrite;
    return true;
}

int CRecordingHost::iExpandFile(const std::string& strSource, const std::string& strTarget,
                                uint32_t& dwWin32Error)
{
    calls.push_back("EXPAND|" + strSource + "|" + strTarget);
    dwWin32Error = dwExpandWin32;
    if (iExpandError != 0)
        return iExpandError;
    const auto it = files.find(strSource);
    if (it == files.end())
    {
        dwWin32Error = 2;
        return 2;
    }
    SFakeFile copy;
    copy.strContent = it->second.strContent;
    files[strTarget] = copy;
    return 0;
}

bool CRecordingHost::boFileVersion(const std::string& strPath, const std::string& strBlock,
                                   std::string& strVersion)
{
    const auto it = files.find(strPath);
    if (it == files.end() || !it->second.boHasVersion ||
        it->second.strBlock != (strBlock.empty() ? std::string("040904E4") : strBlock))
        return false;
    strVersion = it->second.strVersion;
    return true;
}

bool CRecordingHost::boRunAndWait(const std::string& strProgram, const std::string& strCommandLine)
{
    calls.push_back("RUN|" + strProgram + "|" + strCommandLine);
    return boRunOk;
}

bool CRecordingHost::boSelfRegister(const std::string& strPath)
{
    calls.push_back("REGSRV|" + strPath);
    return boRegisterOk;
}

namespace
{
// Splits "C:\a\b" into its parent "C:\a" ("C:\" for a root's child) and "b".
bool boSplitLast(const std::string& strPath, std::string& strParent, std::string& strName)
{
    const size_t ulAt = strPath.find_last_of('\\');
    if (ulAt == std::string::npos || ulAt + 1 == strPath.size())
        return false;
    strParent = strPath.substr(0, ulAt);
    if (strParent.size() == 2 && strParent[1] == ':')
        strParent += '\\';
    strName = strPath.substr(ulAt + 1);
    return true;
}
} // namespace

void CRecordingHost::vAddTreeFolder(const std::string& strPath, bool boLink)
{
    std::string strParent, strName;
    if (!boSplitLast(strPath, strParent, strName))
        return;
    std::vector<SFolderEntry>& entries = tree[strParent];
    for (const SFolderEntry& e : entries)
    {
        if (e.strName == strName)
            return;
    }
    SFolderEntry e;
    e.strName = strName;
    e.boFolder = true;
    e.boLink = boLink;
    entries.push_back(e);
    if (!boLink)
        tree[strPath];
    vAddTreeFolder(strParent, false);
}

void CRecordingHost::vAddTreeFile(const std::string& strPath, uint64_t ullSize, const std::string& strVersion)
{
    std::string strParent, strName;
    if (!boSplitLast(strPath, strParent, strName))
        return;
    vAddTreeFolder(strParent);
    tree[strParent];
    SFolderEntry e;
    e.strName = strName;
    e.ullSize = ullSize;
    tree[strParent].push_back(e);
    if (!strVersion.empty())
    {
        files[strPath].boHasVersion = true;
        files[strPath].strVersion = strVersion;
    }
}

bool CRecordingHost::boListFolder(const std::string& strFolder, std::vector<SFolderEntry>& entries)
{
    calls.push_back("LIST|" + strFolder);
    const auto it = tree.find(strFolder);
    if (it == tree.end())
        return false;
    entries = it->second;
    return true;
}

void CRecordingHost::vReleaseCallback()
{
    calls.push_back("RELEASE");
}

void CRecordingHost::vCloseBrowsers()
{
    calls.push_back("CLOSE");
}

void CRecordingHost::vOpenInBrowser(const std::string& strUrl)
{
    calls.push_back("OPEN|" + strUrl);
}
} // namespace FdInstallTest
