// installer.exe: the local server "FDGame.Installer.1". No idle exit: it runs
// until ForceRemove, its tray menu or the end of a completed install.
#include "ComInit.h"
#include "FdComModule.h"
#include "FdLocalServer.h"
#include "FdUi.h"
#include "InstallerObject.h"
#include "TrayIcon.h"

#include <cstdio>

namespace
{
const FdCom::SClassEntry g_classes[] = {{&CLSID_CDiagOBPP2Cmpt, FdInstall::hrCreateInstallerObject,
                                         "Installer Class", "FDGame.Installer.1", "FDGame.Installer", nullptr,
                                         REGCLS_MULTIPLEUSE, nullptr}};
// {63C43600-34EF-11D2-94F6-204C4F4F5020}
const GUID APPID_Installer = {0x63c43600, 0x34ef, 0x11d2, {0x94, 0xf6, 0x20, 0x4c, 0x4f, 0x4f, 0x50, 0x20}};
const FdCom::SServerInfo g_info = {g_classes, 1, &APPID_Installer, "Installer", true};

void vTrayQuit()
{
    FdInstall::CInstallerObject::vStopAllWorkers();
}

// The installer's server: a box when the registration fails; the tray icon
// while it serves.
class CInstallerServer : public FdCom::CLocalServer
{
public:
    explicit CInstallerServer(HINSTANCE hInstance) : CLocalServer(g_info, g_info, 0), m_hInstance(hInstance)
    {
    }

private:
    void vOnRegistration(FdCom::ERegSwitch eSwitch, HRESULT hr) override
    {
        if (eSwitch != FdCom::ERegSwitch::RegServer || SUCCEEDED(hr))
            return;
        char szText[64];
        std::snprintf(szText, sizeof szText, "Error at registering installer.exe:%.8X",
                      static_cast<unsigned>(hr));
        FdUi::iMessageBox(nullptr, szText, "Error", MB_OK);
    }

    void vServe() override
    {
        FdInstall::CTrayIcon tray(vTrayQuit);
        tray.boShow(m_hInstance);
        CLocalServer::vServe();
    }

    const HINSTANCE m_hInstance;
};
} // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpszCmdLine, int)
{
    const FdWin::CComInit com;
    if (!com.boStarted())
        return static_cast<int>(com.hr());
    FdInstall::installerProcess().dwMainThread = GetCurrentThreadId();
    return CInstallerServer(hInstance).iRun(lpszCmdLine);
}
