// The DirectPlay 4 and 8 declarations that the lobby session uses, written for the
// plug: mingw-w64 ships no import library for dplayx, which is loaded at run time.
// Only the records, constants and interface slots the plug needs are declared.
#pragma once

#include <windows.h>
#include <objbase.h>

namespace DPlay
{
// ---- DirectPlay 4 ------------------------------------------------------------------

// {D1EB6D20-8923-11D0-9D97-00A0C90A43CB}
const CLSID CLSID_DirectPlay = {0xd1eb6d20, 0x8923, 0x11d0, {0x9d, 0x97, 0x00, 0xa0, 0xc9, 0x0a, 0x43, 0xcb}};
// {133EFE41-32DC-11D0-9CFB-00A0C90A43CB}
const IID IID_IDirectPlay3A = {0x133efe41, 0x32dc, 0x11d0, {0x9c, 0xfb, 0x00, 0xa0, 0xc9, 0x0a, 0x43, 0xcb}};
// {1BB4AF80-A303-11D0-9C4F-00A0C905425E}
const IID IID_IDirectPlayLobby2A = {
    0x1bb4af80, 0xa303, 0x11d0, {0x9c, 0x4f, 0x00, 0xa0, 0xc9, 0x05, 0x42, 0x5e}};
// TCP/IP service provider {36E95EE0-8577-11CF-960C-0080C7534E82}
const GUID DPSPGUID_TCPIP = {0x36e95ee0, 0x8577, 0x11cf, {0x96, 0x0c, 0x00, 0x80, 0xc7, 0x53, 0x4e, 0x82}};
// Address element: the service provider {07D916C0-E0AF-11CF-9C4E-00A0C905425E}
const GUID DPAID_ServiceProvider = {
    0x07d916c0, 0xe0af, 0x11cf, {0x9c, 0x4e, 0x00, 0xa0, 0xc9, 0x05, 0x42, 0x5e}};
// Address element: an ANSI host name or address {C4A54DA0-E0AF-11CF-9C4E-00A0C905425E}
const GUID DPAID_INet = {0xc4a54da0, 0xe0af, 0x11cf, {0x9c, 0x4e, 0x00, 0xa0, 0xc9, 0x05, 0x42, 0x5e}};
// Lobby properties a game may ask for.
const GUID DPLPROPERTY_MessagesSupported = {
    0x762ccda1, 0xd916, 0x11d0, {0xba, 0x39, 0x00, 0xc0, 0x4f, 0xd7, 0xed, 0x67}};
const GUID DPLPROPERTY_LobbyGuid = {
    0xf56920a0, 0xd218, 0x11d0, {0xba, 0x39, 0x00, 0xc0, 0x4f, 0xd7, 0xed, 0x67}};
const GUID DPLPROPERTY_PlayerGuid = {
    0xb4319322, 0xd20d, 0x11d0, {0xba, 0x39, 0x00, 0xc0, 0x4f, 0xd7, 0xed, 0x67}};

const HRESULT DPERR_BUFFERTOOSMALL = static_cast<HRESULT>(0x8877001E);
const HRESULT DPERR_NOMESSAGES = static_cast<HRESULT>(0x887700BE);
const HRESULT DPERR_UNAVAILABLE = static_cast<HRESULT>(0x887700FA);

const DWORD DPLMSG_SYSTEM = 0x1;
const DWORD DPLMSG_STANDARD = 0x2;
const DWORD DPLSYS_DPLAYCONNECTFAILED = 2;
const DWORD DPLSYS_DPLAYCONNECTSUCCEEDED = 3;
const DWORD DPLSYS_APPTERMINATED = 4;
const DWORD DPLSYS_SETPROPERTY = 5;
const DWORD DPLSYS_SETPROPERTYRESPONSE = 6;
const DWORD DPLSYS_GETPROPERTY = 7;
const DWORD DPLSYS_GETPROPERTYRESPONSE = 8;

const DWORD DPSESSION_MIGRATEHOST = 0x4;
const DWORD DPLCONNECTION_JOINSESSION = 0x1;
const DWORD DPLCONNECTION_CREATESESSION = 0x2;

struct DPSESSIONDESC2
{
    DWORD dwSize;
    DWORD dwFlags;
    GUID guidInstance;
    GUID guidApplication;
    DWORD dwMaxPlayers;
    DWORD dwCurrentPlayers;
    char* lpszSessionNameA;
    char* lpszPasswordA;
    DWORD dwReserved1;
    DWORD dwReserved2;
    DWORD dwUser1;
    DWORD dwUser2;
    DWORD dwUser3;
    DWORD dwUser4;
};

struct DPNAME
{
    DWORD dwSize;
    DWORD dwFlags;
    char* lpszShortNameA;
    char* lpszLongNameA;
};

struct DPLCONNECTION
{
    DWORD dwSize;
    DWORD dwFlags;
    DPSESSIONDESC2* lpSessionDesc;
    DPNAME* lpPlayerName;
    GUID guidSP;
    void* lpAddress;
    DWORD dwAddressSize;
};

struct DPCOMPOUNDADDRESSELEMENT
{
    GUID guidDataType;
    DWORD dwDataSize;
    void* lpData;
};

struct DPLMSG_GENERIC
{
    DWORD dwType;
};

struct DPLMSG_SETPROPERTY
{
    DWORD dwType;
    DWORD dwRequestID;
    GUID guidPlayer;
    GUID guidPropertyTag;
    DWORD dwDataSize;
    DWORD dwPropertyData[1];
};

struct DPLMSG_SETPROPERTYRESPONSE
{
    DWORD dwType;
    DWORD dwRequestID;
    GUID guidPlayer;
    GUID guidPropertyTag;
    HRESULT hr;
};

struct DPLMSG_GETPROPERTY
{
    DWORD dwType;
    DWORD dwRequestID;
    GUID guidPlayer;
    GUID guidPropertyTag;
};

struct DPLMSG_GETPROPERTYRESPONSE
{
    DWORD dwType;
    DWORD dwRequestID;
    GUID guidPlayer;
    GUID guidPropertyTag;
    HRESULT hr;
    DWORD dwDataSize;
    DWORD dwPropertyData[1];
};

typedef BOOL(CALLBACK* LPDPLENUMADDRESSTYPESCALLBACK)(REFGUID guidDataType, void* lpContext, DWORD dwFlags);

// IDirectPlayLobby2A, slot by slot.
struct IDirectPlayLobby2A : public IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE Connect(DWORD, IUnknown**, IUnknown*) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateAddress(REFGUID, REFGUID, const void*, DWORD, void*, DWORD*) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumAddress(void*, const void*, DWORD, void*) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumAddressTypes(LPDPLENUMADDRESSTYPESCALLBACK, REFGUID, void*,
                                                       DWORD) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumLocalApplications(void*, void*, DWORD) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetConnectionSettings(DWORD, void*, DWORD*) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReceiveLobbyMessage(DWORD, DWORD, DWORD*, void*, DWORD*) = 0;
    virtual HRESULT STDMETHODCALLTYPE RunApplication(DWORD, DWORD*, DPLCONNECTION*, HANDLE) = 0;
    virtual HRESULT STDMETHODCALLTYPE SendLobbyMessage(DWORD, DWORD, void*, DWORD) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetConnectionSettings(DWORD, DWORD, DPLCONNECTION*) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetLobbyMessageEvent(DWORD, DWORD, HANDLE) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateCompoundAddress(const DPCOMPOUNDADDRESSELEMENT*, DWORD, void*,
                                                            DWORD*) = 0;
};

// dplayx's export: the first lobby interface (IDirectPlayLobbyA).
typedef HRESULT(WINAPI* PFN_DirectPlayLobbyCreateA)(GUID*, IUnknown**, IUnknown*, void*, DWORD);

// ---- DirectPlay 8 ------------------------------------------------------------------

const CLSID CLSID_DirectPlay8Peer = {
    0x286f484d, 0x375e, 0x4458, {0xa2, 0x72, 0xb1, 0x38, 0xe2, 0xf8, 0x0a, 0x6a}};
const IID IID_IDirectPlay8Peer = {
    0x5102dacf, 0x241b, 0x11d3, {0xae, 0xa7, 0x00, 0x60, 0x97, 0xb0, 0x14, 0x11}};
const CLSID CLSID_DirectPlay8LobbyClient = {
    0x3b2b6775, 0x70b6, 0x45af, {0x8d, 0xea, 0xa2, 0x09, 0xc6, 0x95, 0x59, 0xf3}};
const IID IID_IDirectPlay8LobbyClient = {
    0x819074a2, 0x016c, 0x11d3, {0xae, 0x14, 0x00, 0x60, 0x97, 0xb0, 0x14, 0x11}};
const CLSID CLSID_DirectPlay8Address = {
    0x934a9523, 0xa3ca, 0x4bc5, {0xad, 0xa0, 0xd6, 0xd9, 0x5d, 0x97, 0x94, 0x21}};
const IID IID_IDirectPlay8Address = {
    0x83783300, 0x4063, 0x4c8a, {0x9d, 0xb3, 0x82, 0x83, 0x0a, 0x7f, 0xeb, 0x31}};
const GUID CLSID_DP8SP_TCPIP = {0xebfe7ba0, 0x628d, 0x11d2, {0xae, 0x0f, 0x00, 0x60, 0x97, 0xb0, 0x14, 0x11}};

const HRESULT DPNERR_BUFFERTOOSMALL = static_cast<HRESULT>(0x80158100);
const DWORD DPL_MSGID_CONNECT = 0x8002;
const DWORD DPL_MSGID_DISCONNECT = 0x8003;
const DWORD DPLCONNECT_LAUNCHNOTFOUND = 0x2;
const DWORD DPNA_DATATYPE_STRING = 1;
const DWORD DPNA_DATATYPE_DWORD = 2;

typedef HRESULT(WINAPI* PFNDPNMESSAGEHANDLER)(void* context, DWORD messageId, void* message);

struct DPN_APPLICATION_DESC
{
    DWORD dwSize;
    DWORD dwFlags;
    GUID guidInstance;
    GUID guidApplication;
    DWORD dwMaxPlayers;
    DWORD dwCurrentPlayers;
    WCHAR* pwszSessionName;
    WCHAR* pwszPassword;
    void* pvReservedData;
    DWORD dwReservedDataSize;
    void* pvApplicationReservedData;
    DWORD dwApplicationReservedDataSize;
};

struct IDirectPlay8Address;

struct DPL_CONNECTION_SETTINGS
{
    DWORD dwSize;
    DWORD dwFlags;
    DPN_APPLICATION_DESC dpnAppDesc;
    IDirectPlay8Address* pdp8HostAddress;
    IDirectPlay8Address** ppdp8DeviceAddresses;
    DWORD cNumDeviceAddresses;
    WCHAR* pwszPlayerName;
};

struct DPL_CONNECT_INFO
{
    DWORD dwSize;
    DWORD dwFlags;
    GUID guidApplication;
    DPL_CONNECTION_SETTINGS* pdplConnectionSettings;
    void* pvLobbyConnectData;
    DWORD dwLobbyConnectDataSize;
};

struct DPN_SERVICE_PROVIDER_INFO
{
    DWORD dwFlags;
    GUID guid;
    WCHAR* pwszName;
    void* pvReserved;
    DWORD dwReserved;
};

struct IDirectPlay8Address : public IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE BuildFromURLW(WCHAR*) = 0;
    virtual HRESULT STDMETHODCALLTYPE BuildFromURLA(CHAR*) = 0;
    virtual HRESULT STDMETHODCALLTYPE Duplicate(IDirectPlay8Address**) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetEqual(IDirectPlay8Address*) = 0;
    virtual HRESULT STDMETHODCALLTYPE IsEqual(IDirectPlay8Address*) = 0;
    virtual HRESULT STDMETHODCALLTYPE Clear() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetURLW(WCHAR*, DWORD*) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetURLA(CHAR*, DWORD*) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSP(GUID*) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetUserData(void*, DWORD*) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSP(const GUID*) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetUserData(const void*, DWORD) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetNumComponents(DWORD*) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetComponentByName(const WCHAR*, void*, DWORD*, DWORD*) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetComponentByIndex(DWORD, WCHAR*, DWORD*, void*, DWORD*, DWORD*) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddComponent(const WCHAR*, const void*, DWORD, DWORD) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDevice(GUID*) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDevice(const GUID*) = 0;
};

// IDirectPlay8Peer up to Close (slots 3 to 24).
struct IDirectPlay8Peer : public IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE Initialize(void*, PFNDPNMESSAGEHANDLER, DWORD) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumServiceProviders(const GUID*, const GUID*,
                                                           DPN_SERVICE_PROVIDER_INFO*, DWORD*, DWORD*,
                                                           DWORD) = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused5() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused6() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused7() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused8() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused9() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused10() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused11() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused12() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused13() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused14() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused15() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused16() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused17() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused18() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused19() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused20() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused21() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused22() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused23() = 0;
    virtual HRESULT STDMETHODCALLTYPE Close(DWORD) = 0;
};

struct IDirectPlay8LobbyClient : public IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE Initialize(void*, PFNDPNMESSAGEHANDLER, DWORD) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumLocalPrograms(GUID*, BYTE*, DWORD*, DWORD*, DWORD) = 0;
    virtual HRESULT STDMETHODCALLTYPE ConnectApplication(DPL_CONNECT_INFO*, void*, DWORD*, DWORD, DWORD) = 0;
    virtual HRESULT STDMETHODCALLTYPE Send(DWORD, BYTE*, DWORD, DWORD) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReleaseApplication(DWORD, DWORD) = 0;
    virtual HRESULT STDMETHODCALLTYPE Close(DWORD) = 0;
};

#if !defined(_WIN64)
// The records as DirectPlay lays them out on 32-bit Windows.
static_assert(sizeof(DPSESSIONDESC2) == 80, "DPSESSIONDESC2");
static_assert(sizeof(DPNAME) == 16, "DPNAME");
static_assert(sizeof(DPLCONNECTION) == 40, "DPLCONNECTION");
static_assert(sizeof(DPN_APPLICATION_DESC) == 72, "DPN_APPLICATION_DESC");
static_assert(sizeof(DPL_CONNECTION_SETTINGS) == 96, "DPL_CONNECTION_SETTINGS");
static_assert(sizeof(DPL_CONNECT_INFO) == 36, "DPL_CONNECT_INFO");
#endif
} // namespace DPlay
