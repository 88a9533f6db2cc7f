#pragma once
// A host and callback for the interpreter's tests that record every call as
// one line and answer from small tables: files, registry, versions.
#include "InstallEngine.h"

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace FdInstallTest
{
using namespace FdInstall;

struct SFakeFile
{
    std::string strContent;
    FileTime ftCreation = 0;
    FileTime ftLastWrite = 0;
    bool boHasVersion = false;
    std::string strVersion; // FileVersion in the block below
    std::string strBlock = "040904E4";
};

// One command given to the callback with the parameters set before it.
struct SCommand
{
    std::string strName;
    std::vector<std::pair<std::string, std::string>> params;
    std::string strParam(const std::string& strName) const; // "" when absent
    bool boHas(const std::string& strName) const;
};

class CRecordingHost : public IInstallHost, public IInstallCallback
{
public:
    // Calls in order: "SET|name|value", "CMD|word", "BOX|title|text", "DEL|path",
    // "MKDIR|path", "EXPAND|source|target", "TIMES|path|creation|lastwrite",
    // "RUN|program|command line", "REGSRV|path", "WRITE|key|name|type|data",
    // "LIST|folder" (the drive walk), "RELEASE" (the callback let go),
    // "CLOSE" (the browsers closed), "OPEN|address" (a new browser).
    std::vector<std::string> calls;
    std::vector<SCommand> commands() const; // the callback's commands only
    std::vector<std::string> boxes() const; // "title|text" of each box
    std::vector<std::string> callsLike(const std::string& strPrefix) const;

    std::map<std::string, SFakeFile> files;  // by path, as given
    std::map<std::string, SRegValue> values; // by "<root>\<sub-key>|<name>"
    std::set<std::string> keys;              // "<root>\<sub-key>"
    std::string strInstall = "C:\\Jeux";
    bool boRunOk = true, boRegisterOk = true, boFolderOk = true;
    // The drive walk's world: its roots, and folders by path (as the walk
    // joins them) with their entries; vAddTreeFile fills both sides.
    std::vector<std::string> roots{"C:\\"};
    std::map<std::string, std::vector<SFolderEntry>> tree;
    // Adds a file (and the folders above it) below a root; size and, for a
    // version test, the file's version in 040904E4.
    void vAddTreeFile(const std::string& strPath, uint64_t ullSize = 0, const std::string& strVersion = "");
    // Adds a folder entry (a link: not entered) without contents.
    void vAddTreeFolder(const std::string& strPath, bool boLink = false);
    int iExpandError = 0;
    uint32_t dwExpandWin32 = 0;
    std::function<void()> onCheckMessages; // called at each message check

    static std::string strKeyText(const SRegPath& key);
    void vSetString(const std::string& strKey, const std::string& strName, const std::string& strValue);
    void vSetDword(const std::string& strKey, const std::string& strName, uint32_t dwValue);

    // IInstallCallback
    void vSetParameter(const std::string& strName, const std::string& strValue) override;
    void vExecuteCmd(const std::string& strCommand) override;

    // IInstallHost
    void vCheckMessages() override;
    void vMessageBox(const std::string& strText, const std::string& strTitle) override;
    bool boKeyExists(const SRegPath& key) override;
    bool boReadValue(const SRegPath& key, const std::string& strName, SRegValue& value) override;
    bool boWriteValue(const SRegPath& key, const std::string& strName, const SRegValue& value) override;
    std::string strInstallDir() override { return strInstall; }
    bool boReadFile(const std::string& strPath, std::string& strContent) override;
    bool boDeleteFile(const std::string& strPath) override;
    bool boCreateFolder(const std::string& strPath) override;
    bool boFileTimes(const std::string& strPath, FileTime& ftCreation, FileTime& ftLastWrite) override;
    bool boSetFileTimes(const std::string& strPath, FileTime ftCreation, FileTime ftLastWrite) override;
    int iExpandFile(const std::string& strSource, const std::string& strTarget,
                    uint32_t& dwWin32Error) override;
    bool boFileVersion(const std::string& strPath, const std::string& strBlock,
                       std::string& strVersion) override;
    bool boRunAndWait(const std::string& strProgram, const std::string& strCommandLine) override;
    bool boSelfRegister(const std::string& strPath) override;
    std::vector<std::string> driveRoots() override { return roots; }
    bool boListFolder(const std::string& strFolder, std::vector<SFolderEntry>& entries) override;
    void vReleaseCallback() override;
    void vCloseBrowsers() override;
    void vOpenInBrowser(const std::string& strUrl) override;
};
} // namespace FdInstallTest
