#include "PlugCmdLineApp.h"

#include <objbase.h>

#include "ComInit.h"
#include "FdLocalServer.h"
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

// The plug's server: a notice after a registration; thread message 1212, a
// watched game that ended (stale ones are dropped).
class CPlugServer : public FdCom::CLocalServer
{
public:
    CPlugServer() : CLocalServer(g_registration, g_served, kIdleExitMs, kIdleExitMs) {}

private:
    void vOnRegistration(FdCom::ERegSwitch, HRESULT hr) override
    {
        if (SUCCEEDED(hr))
        {
            CNoticeDlg notice;
            notice.iShowAndPump(nullptr, kNoticePeriodMs, kNoticePasses);
        }
    }

    bool boOnMessage(const MSG& msg) override { return CLaunchedProcess::boHandleThreadMessage(msg); }
};
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
    return CPlugServer().iRun(pszCmdLine);
}
} // namespace PlugCmdLine
