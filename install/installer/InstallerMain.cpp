// installer.exe: the local server "FDGame.Installer.1". No idle exit: it runs
// until ForceRemove, its tray menu or the end of a completed install.
#include "ComInit.h"
#include "FdComModule.h"
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

int iRun(HINSTANCE hInstance, const char* lpszCmdLine)
{
    FdCom::CModule& module = FdCom::CModule::Get();
    switch (FdCom::eFindRegSwitch(lpszCmdLine))
    {
    case FdCom::ERegSwitch::UnregServer:
        return static_cast<int>(module.hrUnregister(g_info, true));
    case FdCom::ERegSwitch::RegServer:
    {
        const HRESULT hr = module.hrRegister(g_info, true);
        if (FAILED(hr))
        {
            char szText[64];
            std::snprintf(szText, sizeof szText, "Error at registering installer.exe:%.8X",
                          static_cast<unsigned>(hr));
            FdUi::iMessageBox(nullptr, szText, "Error", MB_OK);
        }
        return static_cast<int>(hr);
    }
    case FdCom::ERegSwitch::None:
        break;
    }
    FdInstall::installerProcess().dwMainThread = GetCurrentThreadId();
    const HRESULT hr = module.hrRegisterClassObjects(g_info);
    if (FAILED(hr))
        return static_cast<int>(hr);
    {
        FdInstall::CTrayIcon tray(vTrayQuit);
        tray.boShow(hInstance);
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    module.vRevokeClassObjects();
    return 0;
}
} // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpszCmdLine, int)
{
    const FdWin::CComInit com;
    if (!com.boStarted())
        return static_cast<int>(com.hr());
    return iRun(hInstance, lpszCmdLine);
}
