#include "PlugCmdLineApp.h"

#include <objbase.h>

#include "ComInit.h"
#include "LaunchedProcess.h"
#include "LudexPlugCmdLine.h"
#include "NoticeDlg.h"

namespace PlugCmdLine
{
namespace
{
// {09EAA077-0041-4A4E-80E4-6840C2AD23E2}
const GUID APPID_LudexPlugCmdLine = {
    0x09eaa077, 0x0041, 0x4a4e, {0x80, 0xe4, 0x68, 0x40, 0xc2, 0xad, 0x23, 0xe2}};
const char kAppIdName[] = "LudexPlugCmdLine";

// The notice shown after a registration or its removal.
constexpr UINT kNoticePeriodMs = 15;
constexpr int32_t kNoticePasses = 2000;

const FdCom::SClassEntry g_classes[] = {
    {&CLSID_LudexPlug, hrCreateLudexPlugCmdLine, "LudexPlug Class", "LudexPlugCmdLine.LudexPlug.1",
     "LudexPlugCmdLine.LudexPlug", nullptr, REGCLS_MULTIPLEUSE, nullptr},
    {&CLSID_XmlScript, hrCreateXmlScript, "XmlScript Class", "LudexPlugCmdLine.XmlScript.1",
     "LudexPlugCmdLine.XmlScript", nullptr, REGCLS_MULTIPLEUSE, nullptr},
    // Registered only: no class object serves it.
    {&CLSID_LudexXmlObserver, nullptr, "LudexXmlObserver Class", "LudexPlugCmdLine.LudexXmlObserver.1",
     "LudexPlugCmdLine.LudexXmlObserver", nullptr, REGCLS_MULTIPLEUSE, nullptr},
};
const FdCom::SServerInfo g_registration = {g_classes, 3, &APPID_LudexPlugCmdLine, kAppIdName, true};
const FdCom::SServerInfo g_served = {g_classes, 2, &APPID_LudexPlugCmdLine, kAppIdName, true};

int iRegistration(FdCom::ERegSwitch eSwitch)
{
    FdCom::CModule& module = FdCom::CModule::Get();
    const HRESULT hr = eSwitch == FdCom::ERegSwitch::RegServer ? module.hrRegister(g_registration, true)
                                                               : module.hrUnregister(g_registration, true);
    if (hr == S_OK)
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
        // Thread message 1212: a watched game ended (stale ones are dropped).
        if (CLaunchedProcess::boHandleThreadMessage(msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}
} // namespace

const FdCom::SServerInfo& RegistrationInfo()
{
    return g_registration;
}

const FdCom::SServerInfo& ServedInfo()
{
    return g_served;
}

int iRun(const char* pszCmdLine)
{
    // Undone when the run ends, and only when it succeeded.
    const FdWin::CComInit com;
    if (!com.boStarted())
        return static_cast<int>(com.hr());
    const FdCom::ERegSwitch eSwitch = FdCom::eFindRegSwitch(pszCmdLine ? pszCmdLine : "");
    if (eSwitch != FdCom::ERegSwitch::None)
        return iRegistration(eSwitch);

    FdCom::CModule& module = FdCom::CModule::Get();
    module.vStartIdleExit(kIdleExitMs, GetCurrentThreadId());
    const HRESULT hr = module.hrRegisterClassObjects(g_served);
    if (SUCCEEDED(hr))
        vMessageLoop();
    module.vRevokeClassObjects();
    module.vStopIdleExit();
    // Calls on their way out get a moment before COM goes.
    Sleep(kIdleExitMs);
    return FAILED(hr) ? static_cast<int>(hr) : 0;
}
} // namespace PlugCmdLine
