// LudexPlugDP.exe: the DirectPlay launch plug, a COM local server in the
// multithreaded apartment. COM calls arrive on COM's threads; the main thread waits
// for the lobby session's receive event and serves it.
#include <windows.h>

#include "DPLobbySession.h"
#include "FdComModule.h"
#include "FdLocalServer.h"
#include "LudexPlugDP.h"
#include "LudexPlugDPHelper.h"

namespace
{
// {1326B9C4-2BE5-43DA-A25A-910BB6463866}
const GUID APPID_LudexPlugDP = {0x1326b9c4, 0x2be5, 0x43da, {0xa2, 0x5a, 0x91, 0x0b, 0xb6, 0x46, 0x38, 0x66}};
// {403A372B-7F3B-40A2-B9AC-AAEFEEDA24C8}: registered only, no class object.
const CLSID CLSID_LudexXmlObserverDP = {
    0x403a372b, 0x7f3b, 0x40a2, {0xb9, 0xac, 0xaa, 0xef, 0xee, 0xda, 0x24, 0xc8}};

const DWORD kIdleExitMs = 10;
const DWORD kLobbyWaitMs = 50;
// Thread message: revoke the class objects and leave.
const UINT kMsgStop = 0x8081;
// Calls still on their way out get this long before COM goes.
const DWORD kEndGraceMs = 10;

HRESULT hrCreatePlug(REFIID riid, void** ppv)
{
    return FdCom::TComObject<CLudexPlugDP>::hrCreate(riid, ppv);
}

HRESULT hrCreateHelper(REFIID riid, void** ppv)
{
    return FdCom::TComObject<CLudexPlugDPHelper>::hrCreate(riid, ppv);
}

const FdCom::SClassEntry g_served[] = {
    {&CLSID_LudexPlugDP, hrCreatePlug, "LudexPlug Class", "LudexPlugDP.LudexPlug.1", "LudexPlugDP.LudexPlug",
     nullptr, REGCLS_MULTIPLEUSE, nullptr},
    {&CLSID_LudexPlugDPHelper, hrCreateHelper, "LudexPlugDPHelper Class", "LudexPlugDP.LudexPlugDPHelper.1",
     "LudexPlugDP.LudexPlugDPHelper", nullptr, REGCLS_MULTIPLEUSE, nullptr},
};
// What the registration writes: the served classes and the observer class.
const FdCom::SClassEntry g_registered[] = {
    g_served[0],
    g_served[1],
    {&CLSID_LudexXmlObserverDP, nullptr, "LudexXmlObserver Class", "LudexPlugDP.LudexXmlObserver.1",
     "LudexPlugDP.LudexXmlObserver", nullptr, 0, nullptr},
};
const FdCom::SServerInfo g_serverInfo = {g_served, 2, &APPID_LudexPlugDP, "LudexPlugDP", false};
const FdCom::SServerInfo g_registryInfo = {g_registered, 3, &APPID_LudexPlugDP, "LudexPlugDP", false};

// The main loop: lobby events and thread messages until WM_QUIT or kMsgStop.
void vRunMainLoop(FdCom::CModule& module)
{
    HANDLE event = hDuplicateRegisteredEvent();
    for (;;)
    {
        const DWORD count = event ? 1 : 0;
        const DWORD wait = MsgWaitForMultipleObjects(count, &event, FALSE, kLobbyWaitMs, QS_ALLINPUT);
        if (count && wait == WAIT_OBJECT_0)
        {
            vServeRegisteredSession();
            continue;
        }
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            if (msg.message == WM_QUIT && !module.boHoldIdleQuit())
            {
                if (event)
                    CloseHandle(event);
                return;
            }
            if (!msg.hwnd && msg.message == kMsgStop)
            {
                module.vRevokeClassObjects();
                if (event)
                    CloseHandle(event);
                return;
            }
            if (!msg.hwnd && msg.message == kMsgLobbyEventChanged)
            {
                // The registration changed: wait on the new event from now on.
                if (event)
                    CloseHandle(event);
                event = hDuplicateRegisteredEvent();
                continue;
            }
            if (module.boOnIdleExitMessage(msg))
                continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

// The plug's server: the lobby's loop instead of the plain message loop.
class CPlugDPServer : public FdCom::CLocalServer
{
public:
    CPlugDPServer() : CLocalServer(g_registryInfo, g_serverInfo, kIdleExitMs, kEndGraceMs) {}

private:
    void vServe() override { vRunMainLoop(FdCom::CModule::Get()); }
};
} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR pszCmdLine, int)
{
    const HRESULT hrInit = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (FAILED(hrInit))
        return static_cast<int>(hrInit);
    // The thread's message queue exists before anyone posts to it.
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    vSetLobbyMainThread(GetCurrentThreadId());
    const int result = CPlugDPServer().iRun(pszCmdLine);
    vSetLobbyMainThread(0);
    CoUninitialize();
    return result;
}
