#pragma once
// What the install-script interpreter asks of the world: the plug-in's
// callback, message boxes, the worker's messages, files, registry, programs.
// The installer program implements it with Win32; tests record it.
#include "InstallTexts.h"

#include <cstdint>
#include <string>
#include <vector>

namespace FdInstall
{
// The plug-in's callback as the interpreter uses it: parameters for the next
// command, then the command word.
class IInstallCallback
{
public:
    virtual ~IInstallCallback() = default;
    virtual void vSetParameter(const std::string& strName, const std::string& strValue) = 0;
    virtual void vExecuteCmd(const std::string& strCommand) = 0;
};

constexpr uint32_t kRegTypeString = 1; // REG_SZ
constexpr uint32_t kRegTypeDword = 4;  // REG_DWORD
struct SRegValue
{
    uint32_t dwType = 0;
    std::string strData; // a string without its terminator; a DWORD as 4 little-endian bytes
};

// One entry of a [FILE] test: a file name and its size (0: any size).
struct SFileEntry
{
    std::string strName;
    uint64_t ullSize = 0;
};

// One entry of a folder, as the drive walk sees it.
struct SFolderEntry
{
    std::string strName;
    bool boFolder = false;
    bool boLink = false; // a reparse point (junction, symbolic link): not entered
    uint64_t ullSize = 0;
};

class IInstallHost
{
public:
    virtual ~IInstallHost() = default;

    // Handles the running worker's pending messages: a stop from outside
    // calls the engine's vStopFromOutside, a request for the callback releases it.
    virtual void vCheckMessages() = 0;
    virtual void vMessageBox(const std::string& strText, const std::string& strTitle) = 0;

    // Registry.
    virtual bool boKeyExists(const SRegPath& key) = 0;
    virtual bool boReadValue(const SRegPath& key, const std::string& strName, SRegValue& value) = 0;
    virtual bool boWriteValue(const SRegPath& key, const std::string& strName, const SRegValue& value) = 0;
    // The install directory (default value of HKLM\Software\FdGame), "" when none.
    virtual std::string strInstallDir() = 0;

    // Files.
    virtual bool boReadFile(const std::string& strPath, std::string& strContent) = 0;
    virtual bool boDeleteFile(const std::string& strPath) = 0;
    // Creates the folder and any missing parent; an existing folder is success.
    virtual bool boCreateFolder(const std::string& strPath) = 0;
    // The file's creation and last-write times; false when it cannot be opened.
    virtual bool boFileTimes(const std::string& strPath, FileTime& ftCreation, FileTime& ftLastWrite) = 0;
    // Sets the given times (0 leaves one unchanged).
    virtual bool boSetFileTimes(const std::string& strPath, FileTime ftCreation, FileTime ftLastWrite) = 0;
    // Expands an SZDD file or copies any other file: 0 or the SZDD codec's
    // error code, with the system error.
    virtual int iExpandFile(const std::string& strSource, const std::string& strTarget,
                            uint32_t& dwWin32Error) = 0;
    // The FileVersion text of the file's version resource in the language
    // block ("040904E4" when empty); false without one.
    virtual bool boFileVersion(const std::string& strPath, const std::string& strBlock,
                               std::string& strVersion) = 0;

    // Programs.
    // Starts the program with the command line and waits for it to end.
    virtual bool boRunAndWait(const std::string& strProgram, const std::string& strCommandLine) = 0;
    // "/regserver" for a program, DllRegisterServer for a library.
    virtual bool boSelfRegister(const std::string& strPath) = 0;

    // The drive walk of [FILE] and [PLUGIN]: the roots of the fixed drives
    // (C:\ and so on), or the folders that stand for them, and the entries of a
    // folder ("." and ".." left out; false when it cannot be read).
    virtual std::vector<std::string> driveRoots() = 0;
    virtual bool boListFolder(const std::string& strFolder, std::vector<SFolderEntry>& entries) = 0;

    // COPYPLUGIN: the worker lets the plug-in's callback go; every browser
    // window and process is closed (the closing-browsers flag set meanwhile).
    virtual void vReleaseCallback() = 0;
    virtual void vCloseBrowsers() = 0;
    // Opens a web address in a new browser (the end of a run that closed them).
    virtual void vOpenInBrowser(const std::string& strUrl) = 0;
};
} // namespace FdInstall
