#include "FdLocalServer.h"

namespace FdCom
{
HRESULT hrApplyRegSwitch(ERegSwitch eSwitch, const SServerInfo& info)
{
    CModule& module = CModule::Get();
    return eSwitch == ERegSwitch::RegServer ? module.hrRegister(info, true) : module.hrUnregister(info, true);
}

CLocalServer::CLocalServer(const SServerInfo& registered, const SServerInfo& served, DWORD dwIdleExitMs,
                           DWORD dwEndGraceMs)
    : m_registered(registered), m_served(served), m_dwIdleExitMs(dwIdleExitMs), m_dwEndGraceMs(dwEndGraceMs)
{
}

int CLocalServer::iRun(const char* pszCmdLine)
{
    CModule& module = CModule::Get();
    const ERegSwitch eSwitch = eFindRegSwitch(pszCmdLine ? pszCmdLine : "");
    if (eSwitch != ERegSwitch::None)
    {
        const HRESULT hr = hrApplyRegSwitch(eSwitch, m_registered);
        vOnRegistration(eSwitch, hr);
        return static_cast<int>(hr);
    }
    // The countdown runs from start-up: a server nobody uses does not linger.
    if (m_dwIdleExitMs)
        module.vStartIdleExit(m_dwIdleExitMs, GetCurrentThreadId());
    const HRESULT hr = module.hrRegisterClassObjects(m_served);
    if (SUCCEEDED(hr))
        vServe();
    module.vRevokeClassObjects();
    module.vStopIdleExit();
    if (m_dwEndGraceMs)
        Sleep(m_dwEndGraceMs);
    vOnEnd();
    return FAILED(hr) ? static_cast<int>(hr) : 0;
}

void CLocalServer::vOnRegistration(ERegSwitch, HRESULT) {}

void CLocalServer::vServe()
{
    CModule& module = CModule::Get();
    MSG msg;
    while (module.bGetServerMessage(&msg) > 0)
    {
        if (module.boOnIdleExitMessage(msg) || boOnMessage(msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool CLocalServer::boOnMessage(const MSG&)
{
    return false;
}

void CLocalServer::vOnEnd() {}
} // namespace FdCom
