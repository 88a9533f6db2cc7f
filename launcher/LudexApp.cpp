#include "LudexApp.h"

#include "ComInit.h"
#include "FdUi.h"
#include "LaunchScriptMgr.h"
#include "LudexClasses.h"
#include "LudexOBPPLauncher.h"
#include "NoticeDlg.h"
#include "ParamString.h"
#include "TestBox.h"

#include <objbase.h>

namespace Ludex
{
namespace
{
// The notice shown after a registration or its removal.
constexpr UINT kNoticePeriodMs = 15;
constexpr int32_t kNoticePasses = 2000;
// Calls still on their way out get this long before COM goes.
constexpr DWORD kEndGraceMs = 1000;

int iRegistration(FdCom::ERegSwitch eSwitch)
{
    FdCom::CModule& module = FdCom::CModule::Get();
    const HRESULT hr = eSwitch == FdCom::ERegSwitch::RegServer ? module.hrRegister(ServerInfo(), true)
                                                               : module.hrUnregister(ServerInfo(), true);
    if (SUCCEEDED(hr))
    {
        CNoticeDlg notice;
        notice.iShowAndPump(nullptr, kNoticePeriodMs, kNoticePasses);
    }
    return static_cast<int>(hr);
}

void vMessageLoop()
{
    FdCom::CModule& module = FdCom::CModule::Get();
    MSG msg;
    while (module.bGetServerMessage(&msg) > 0)
    {
        if (module.boOnIdleExitMessage(msg))
            continue;
        if (!msg.hwnd && msg.message == kMsgKillApp)
        {
            FdUi::iMessageBox(nullptr, "KillApp", "LudexDebug", MB_OK);
            continue;
        }
        DispatchMessageA(&msg);
    }
}
} // namespace

int iRun(HINSTANCE hInstance, const char* pszCmdLine)
{
    // Undone when the run ends, and only when it succeeded.
    const FdWin::CComInit com;
    if (!com.boStarted())
        return static_cast<int>(com.hr());
    const std::string cmdLine = pszCmdLine ? pszCmdLine : "";

    int iResult = 0;
    const FdCom::ERegSwitch eSwitch = FdCom::eFindRegSwitch(cmdLine.c_str());
    if (eSwitch != FdCom::ERegSwitch::None)
        iResult = iRegistration(eSwitch);
    else
    {
        CLudexOBPPLauncher::vSetMgrFactory(CLaunchScriptMgr::Create);
        FdCom::CModule& module = FdCom::CModule::Get();
        module.vStartIdleExit(kIdleExitMs, GetCurrentThreadId());
        const HRESULT hrClasses = module.hrRegisterClassObjects(ServerInfo());
        if (FAILED(hrClasses))
            iResult = static_cast<int>(hrClasses);
        else if (!HasParam("dbg", cmdLine))
            vMessageLoop();
        else
        {
            CTestBox box(FindParamValue("launchscript", cmdLine, ""),
                         FindParamValue("varscript", cmdLine, ""), FindParamValue("command", cmdLine, ""));
            box.iRun(hInstance);
        }
        module.vRevokeClassObjects();
        module.vStopIdleExit();
        Sleep(kEndGraceMs);
        vDestroyLudexOBPPLauncher();
    }
    return iResult;
}
} // namespace Ludex
