// CDPLobbySession: creates the DirectPlay lobby objects, runs the game application
// with a connection that makes it host or join a TCP/IP session, and reads what the
// running game sends to its lobby (DirectPlay 4 on the plug's main thread, when the
// session's receive event fires).
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "DPLaunchInfo.h"
#include "LobbyBackend.h"

struct ILudexPlugContainer;

enum : LONG
{
    kLaunchNone = 0, // nothing launched, or the launch failed
    kLaunchConnected = 100,
    kLaunchEnded = 101, // the game disconnected or ended
};

enum : DWORD
{
    kDPErrOpen = 10001,    // the objects cannot be created
    kDPErrAddress = 10002, // the DirectPlay 4 address cannot be built
    kDPErrRun = 10003,     // the application cannot be run
};

// The process-wide launch state.
void vSetLaunchState(LONG state);
LONG lGetLaunchState();

// The plug's main thread: it waits on the registered event as well.
void vSetLobbyMainThread(DWORD threadId);
// Thread message telling the main thread that the registration changed.
const UINT kMsgLobbyEventChanged = 0x8082;

class CDPLobbySession;

// The registration slot shared by the COM threads and the main loop.
void vRegisterLobbyEvent(CDPLobbySession* session, HANDLE event);
void vUnregisterLobbyEvent(CDPLobbySession* session);
// The main loop: a duplicate of the registered event (the caller closes it), or null.
HANDLE hDuplicateRegisteredEvent();
// The main loop, when the event fired: the registered session (if any) receives its
// messages while the slot is held, so that the session cannot be closed meanwhile.
void vServeRegisteredSession();

class CDPLobbySession : private IDP8LobbyHandler
{
public:
    explicit CDPLobbySession(std::unique_ptr<IDPLobbyBackend> backend);
    ~CDPLobbySession() override;
    CDPLobbySession(const CDPLobbySession&) = delete;
    CDPLobbySession& operator=(const CDPLobbySession&) = delete;

    // Every operation holds the registration slot's lock, which the main loop holds
    // while the session receives: COM threads and the main loop never overlap in it.

    // Takes ownership of the description, freeing the one held so far.
    void vSetLaunchInfo(std::unique_ptr<CDPLaunchInfo> info);
    const CDPLaunchInfo* lpGetLaunchInfo() const { return m_info.get(); }
    // Not owned here: the helper holds its reference.
    void vSetContainer(ILudexPlugContainer* container);
    // Debug trace lines (hexadecimal game data, lobby messages); may be empty.
    void vSetTrace(std::function<void(const std::string&)> trace) { m_trace = std::move(trace); }

    bool boOpen();
    bool boLaunch();
    void vClose();
    DWORD GetError() const { return m_error; }
    DWORD GetAppId() const { return m_appId; }

    HRESULT hrReceiveLobbyMessages();

private:
    HRESULT hrLaunchApplication();
    HRESULT hrLaunchDP8();
    HRESULT hrBuildAddressDP4(std::vector<BYTE>& address);
    HRESULT hrRunApplicationDP4(std::vector<BYTE>& address);
    bool boProcessLobbyMessage(DWORD flags, const BYTE* data, DWORD size);
    void vProcessGameMessage(const BYTE* data, DWORD size);
    void vAnswerProperty(const BYTE* data, DWORD size, DWORD type);
    void vOnLobbyMessage(DWORD messageId) override;
    void vTrace(const std::string& line);

    std::unique_ptr<IDPLobbyBackend> m_backend;
    std::unique_ptr<CDPLaunchInfo> m_info;
    DWORD m_error = 0;
    bool m_boDP4Open = false;
    bool m_boDP8Open = false;
    GUID m_instance = {};
    DWORD m_appId = 0;
    HANDLE m_receiveEvent = nullptr;
    ILudexPlugContainer* m_container = nullptr;
    std::function<void(const std::string&)> m_trace;
};
