// The run of a local server program, one for every program of the suite: the
// registration switches, the class objects with the idle exit, the loop, the
// end. A program derives and overrides only what it does differently.
#pragma once

#include "FdComModule.h"

namespace FdCom
{
// A local server's "RegServer" (register info) or "UnregServer" (remove it).
HRESULT hrApplyRegSwitch(ERegSwitch eSwitch, const SServerInfo& info);

class CLocalServer
{
public:
    // registered: what "RegServer" writes and "UnregServer" removes; served:
    // the classes whose class objects are published. dwIdleExitMs 0: no idle
    // exit. dwEndGraceMs: calls still on their way out get this long before
    // the run returns.
    CLocalServer(const SServerInfo& registered, const SServerInfo& served, DWORD dwIdleExitMs,
                 DWORD dwEndGraceMs = 0);
    virtual ~CLocalServer() = default;
    CLocalServer(const CLocalServer&) = delete;
    CLocalServer& operator=(const CLocalServer&) = delete;

    // "RegServer"/"UnregServer" (see eFindRegSwitch): registers or removes and
    // returns the HRESULT as exit code. Otherwise publishes the class objects,
    // serves, revokes them and returns 0, or the HRESULT of a failed publish.
    // COM must be entered on the calling thread.
    int iRun(const char* pszCmdLine);

protected:
    // After a registration or its removal; hr is its result.
    virtual void vOnRegistration(ERegSwitch eSwitch, HRESULT hr);
    // While the class objects are published: the thread's message loop until
    // WM_QUIT, with the idle exit.
    virtual void vServe();
    // In that loop: true when msg was the program's own and is handled.
    virtual bool boOnMessage(const MSG& msg);
    // After the class objects are revoked (also when publishing failed) and
    // the grace period.
    virtual void vOnEnd();

private:
    const SServerInfo& m_registered;
    const SServerInfo& m_served;
    const DWORD m_dwIdleExitMs;
    const DWORD m_dwEndGraceMs;
};
} // namespace FdCom
