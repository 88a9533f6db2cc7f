#include "LudexApp.h"

#include "ComInit.h"
#include "FdUi.h"
#include "FdLocalServer.h"
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

// The launcher's server: a notice after a registration, the "KillApp" box,
// the test box instead of the loop with "dbg".
class CLudexServer : public FdCom::CLocalServer
{
public:
    explicit CLudexServer(HINSTANCE hInstance, const std::string& cmdLine)
        : CLocalServer(ServerInfo(), ServerInfo(), kIdleExitMs, kEndGraceMs), m_hInstance(hInstance),
          m_cmdLine(cmdLine)
    {
    }

private:
    void vOnRegistration(FdCom::ERegSwitch, HRESULT hr) override
    {
        if (SUCCEEDED(hr))
        {
            CNoticeDlg notice;
            notice.iShowAndPump(nullptr, kNoticePeriodMs, kNoticePasses);
        }
    }

    void vServe() override
    {
        if (!HasParam("dbg", m_cmdLine))
        {
            CLocalServer::vServe();
            return;
        }
        CTestBox box(FindParamValue("launchscript", m_cmdLine, ""),
                     FindParamValue("varscript", m_cmdLine, ""), FindParamValue("command", m_cmdLine, ""));
        box.iRun(m_hInstance);
    }

    bool boOnMessage(const MSG& msg) override
    {
        if (msg.hwnd || msg.message != kMsgKillApp)
            return false;
        FdUi::iMessageBox(nullptr, "KillApp", "LudexDebug", MB_OK);
        return true;
    }

    void vOnEnd() override { vDestroyLudexOBPPLauncher(); }

    const HINSTANCE m_hInstance;
    const std::string m_cmdLine;
};
} // namespace

int iRun(HINSTANCE hInstance, const char* pszCmdLine)
{
    // Undone when the run ends, and only when it succeeded.
    const FdWin::CComInit com;
    if (!com.boStarted())
        return static_cast<int>(com.hr());
    const std::string cmdLine = pszCmdLine ? pszCmdLine : "";
    CLudexOBPPLauncher::vSetMgrFactory(CLaunchScriptMgr::Create);
    return CLudexServer(hInstance, cmdLine).iRun(cmdLine.c_str());
}
} // namespace Ludex
