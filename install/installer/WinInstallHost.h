#pragma once
// The interpreter's host on Windows: the worker's messages, boxes through the
// modal-box seam, registry, files, SZDD expansion, version resources,
// programs and self-registration.
#include "InstallHost.h"

#include <windows.h>

#include <atomic>

namespace FdInstall
{
class CInstallEngine;

// Thread message that asks the worker to release its callback proxy.
constexpr UINT kReleaseProxyMessage = WM_USER + 1;

// What the worker shares with the object that started it.
class IWorkerControl
{
public:
    virtual ~IWorkerControl() = default;
    // True once a stop from outside was asked (WM_QUIT to the worker, ForceRemove).
    virtual bool boStopRequested() const = 0;
    // The worker's proxy was asked back; the worker releases it and sets the
    // wake event.
    virtual void vOnReleaseRequest() = 0;
    virtual bool boReleaseRequested() const = 0;
    // Closes every browser, the closing-browsers flag set meanwhile.
    virtual void vCloseBrowsers() = 0;
};

// Folders that stand for the fixed drives in the drive walk, separated by
// ';' (tests: under Wine, Z: is the whole Linux root).
constexpr char kszDriveRootsVariable[] = "FD_INSTALL_ROOTS";

class CWinInstallHost : public IInstallHost
{
public:
    CWinInstallHost() = default;
    void vAttach(CInstallEngine* lpEngine, IWorkerControl* lpControl);

    void vCheckMessages() override;
    void vMessageBox(const std::string& strText, const std::string& strTitle) override;
    bool boKeyExists(const SRegPath& key) override;
    bool boReadValue(const SRegPath& key, const std::string& strName, SRegValue& value) override;
    bool boWriteValue(const SRegPath& key, const std::string& strName, const SRegValue& value) override;
    std::string strInstallDir() override;
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
    std::vector<std::string> driveRoots() override;
    bool boListFolder(const std::string& strFolder, std::vector<SFolderEntry>& entries) override;
    void vReleaseCallback() override;
    void vCloseBrowsers() override;
    void vOpenInBrowser(const std::string& strUrl) override;

private:
    CInstallEngine* m_lpEngine = nullptr;
    IWorkerControl* m_lpControl = nullptr;
};
} // namespace FdInstall
