// What the lobby session asks of DirectPlay, as an interface of the plug's own: the
// real backend goes to dplayx and the DirectPlay 8 objects; tests script it.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "DPlayDefs.h"

// DirectPlay 8 lobby messages reach the session through this (on DirectPlay's thread).
class IDP8LobbyHandler
{
public:
    virtual ~IDP8LobbyHandler() = default;
    virtual void vOnLobbyMessage(DWORD messageId) = 0;
};

// What the DirectPlay 8 connection settings are built from.
struct SDP8Launch
{
    GUID appGuid;
    bool host;            // host: the port goes on every device address
    std::string hostText; // join: the host address
    DWORD port;           // 0: none
    std::string playerName;
};

class IDPLobbyBackend
{
public:
    virtual ~IDPLobbyBackend() = default;

    // DirectPlay 4: IDirectPlay3A and IDirectPlayLobby2A; both or neither.
    virtual HRESULT hrCreateDP4() = 0;
    virtual void vReleaseDP4() = 0;
    // The address types of the service provider, in the order given.
    virtual HRESULT hrEnumAddressTypes(const GUID& serviceProvider, std::vector<GUID>& types) = 0;
    virtual HRESULT hrCreateCompoundAddress(const DPlay::DPCOMPOUNDADDRESSELEMENT* elements, DWORD count,
                                            void* address, DWORD* size) = 0;
    virtual HRESULT hrRunApplication(DWORD* appId, DPlay::DPLCONNECTION* connection, HANDLE receiveEvent) = 0;
    virtual HRESULT hrReceiveLobbyMessage(DWORD appId, DWORD* flags, void* data, DWORD* size) = 0;
    virtual HRESULT hrSendLobbyMessage(DWORD flags, DWORD appId, void* data, DWORD size) = 0;

    // DirectPlay 8: the peer and the lobby client, initialised; both or neither.
    virtual HRESULT hrCreateDP8(IDP8LobbyHandler* handler) = 0;
    // Close(0) and release both.
    virtual void vCloseDP8() = 0;
    // Builds the connection settings and connects the application (launched when not
    // running). *settingsBuilt false: nothing was attempted.
    virtual HRESULT hrConnectApplicationDP8(const SDP8Launch& launch, bool* settingsBuilt) = 0;
};

// The backend over dplayx and the DirectPlay 8 classes.
std::unique_ptr<IDPLobbyBackend> lpCreateDPlayxBackend();
