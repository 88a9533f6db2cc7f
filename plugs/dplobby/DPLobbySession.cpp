#include "DPLobbySession.h"

#include <atomic>
#include <cstddef>
#include <cstring>
#include <new>

#include "CriticalSection.h"
#include "FdBstr.h"
#include "LobbyResult.h"
#include "LudexLib.h"

namespace
{
std::atomic<LONG> g_launchState{kLaunchNone};
std::atomic<DWORD> g_mainThread{0};

// The registration slot: the session whose receive event the main loop waits on.
FdSystem::CCriticalSection& SlotLock()
{
    static FdSystem::CCriticalSection s_lock;
    return s_lock;
}
CDPLobbySession* g_session = nullptr;
HANDLE g_event = nullptr;
LONG g_count = 0;

void vNotifyMainThread()
{
    if (const DWORD thread = g_mainThread.load())
        PostThreadMessageA(thread, kMsgLobbyEventChanged, 0, 0);
}

// Address types that are looked at; further ones are ignored.
const size_t kMaxAddressTypes = 50;
// A lobby message larger than this is not read.
const DWORD kMaxLobbyMessage = 1024 * 1024;
const DWORD kFirstBuffer = 1024;
} // namespace

void vSetLaunchState(LONG state)
{
    g_launchState = state;
}

LONG lGetLaunchState()
{
    return g_launchState.load();
}

void vSetLobbyMainThread(DWORD threadId)
{
    g_mainThread = threadId;
}

void vRegisterLobbyEvent(CDPLobbySession* session, HANDLE event)
{
    {
        FdSystem::CAutoLock lock(&SlotLock());
        g_session = session;
        g_event = event;
        g_count = 1;
    }
    vNotifyMainThread();
}

void vUnregisterLobbyEvent(CDPLobbySession* session)
{
    {
        // Waits for the main loop to be done with the session.
        FdSystem::CAutoLock lock(&SlotLock());
        if (g_session != session)
            return;
        g_session = nullptr;
        g_event = nullptr;
        g_count = 0;
    }
    vNotifyMainThread();
}

HANDLE hDuplicateRegisteredEvent()
{
    FdSystem::CAutoLock lock(&SlotLock());
    HANDLE copy = nullptr;
    if (g_count && g_event)
        DuplicateHandle(GetCurrentProcess(), g_event, GetCurrentProcess(), &copy, SYNCHRONIZE, FALSE, 0);
    return copy;
}

void vServeRegisteredSession()
{
    FdSystem::CAutoLock lock(&SlotLock());
    if (g_count && g_session)
        g_session->hrReceiveLobbyMessages();
}

CDPLobbySession::CDPLobbySession(std::unique_ptr<IDPLobbyBackend> backend) : m_backend(std::move(backend)) {}

CDPLobbySession::~CDPLobbySession()
{
    vClose();
}

void CDPLobbySession::vSetLaunchInfo(std::unique_ptr<CDPLaunchInfo> info)
{
    FdSystem::CAutoLock lock(&SlotLock());
    m_info = std::move(info);
}

void CDPLobbySession::vSetContainer(ILudexPlugContainer* container)
{
    FdSystem::CAutoLock lock(&SlotLock());
    m_container = container;
}

void CDPLobbySession::vTrace(const std::string& line)
{
    if (m_trace)
        m_trace(line);
}

bool CDPLobbySession::boOpen()
{
    FdSystem::CAutoLock lock(&SlotLock());
    if (!m_backend)
    {
        m_error = kDPErrOpen;
        return false;
    }
    if (m_info && m_info->dp8)
    {
        if (m_boDP8Open)
            return true;
        if (FAILED(m_backend->hrCreateDP8(this)))
        {
            m_error = kDPErrOpen;
            return false;
        }
        m_boDP8Open = true;
        return true;
    }
    if (m_boDP4Open)
        return true;
    HRESULT hr = m_backend->hrCreateDP4();
    if (SUCCEEDED(hr))
        hr = CoCreateGuid(&m_instance);
    if (SUCCEEDED(hr))
    {
        m_receiveEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        if (!m_receiveEvent)
            hr = E_FAIL;
    }
    if (FAILED(hr))
    {
        m_backend->vReleaseDP4();
        m_error = kDPErrOpen;
        return false;
    }
    m_boDP4Open = true;
    vRegisterLobbyEvent(this, m_receiveEvent);
    return true;
}

bool CDPLobbySession::boLaunch()
{
    FdSystem::CAutoLock lock(&SlotLock());
    return SUCCEEDED(hrLaunchApplication());
}

void CDPLobbySession::vClose()
{
    FdSystem::CAutoLock lock(&SlotLock());
    // Once unregistered, the main loop no longer reaches this session.
    vUnregisterLobbyEvent(this);
    // A session that opened nothing leaves the state alone: another plug object of
    // the process may be following its game.
    const bool boWasOpen = m_boDP4Open || m_boDP8Open;
    if (m_boDP8Open)
    {
        m_backend->vCloseDP8();
        m_boDP8Open = false;
    }
    if (m_boDP4Open)
    {
        CloseHandle(m_receiveEvent);
        m_receiveEvent = nullptr;
        m_backend->vReleaseDP4();
        m_boDP4Open = false;
    }
    if (boWasOpen)
        vSetLaunchState(kLaunchEnded);
}

HRESULT CDPLobbySession::hrLaunchApplication()
{
    if (!m_info)
        return E_FAIL;
    if (m_info->dp8)
        return hrLaunchDP8();
    if (!m_boDP4Open)
        return E_FAIL;
    std::vector<BYTE> address;
    HRESULT hr = hrBuildAddressDP4(address);
    if (FAILED(hr))
    {
        m_error = kDPErrAddress;
        return hr;
    }
    return hrRunApplicationDP4(address);
}

HRESULT CDPLobbySession::hrLaunchDP8()
{
    if (!m_boDP8Open)
        return E_FAIL;
    SDP8Launch launch;
    std::memcpy(&launch.appGuid, &m_info->appGuid, sizeof(GUID));
    launch.host = m_info->host != 0;
    launch.hostText = m_info->hostAddress;
    launch.port = static_cast<DWORD>(m_info->port);
    launch.playerName = m_info->nick;
    bool settingsBuilt = false;
    const HRESULT hr = m_backend->hrConnectApplicationDP8(launch, &settingsBuilt);
    if (!settingsBuilt)
    {
        // A configuration that cannot be built launches nothing: a failure.
        vSetLaunchState(kLaunchNone);
        m_error = kDPErrRun;
        return FAILED(hr) ? hr : E_FAIL;
    }
    vSetLaunchState(SUCCEEDED(hr) ? kLaunchConnected : kLaunchNone);
    return hr;
}

HRESULT CDPLobbySession::hrBuildAddressDP4(std::vector<BYTE>& address)
{
    std::vector<GUID> types;
    HRESULT hr = m_backend->hrEnumAddressTypes(DPlay::DPSPGUID_TCPIP, types);
    if (FAILED(hr))
        return hr;
    if (types.size() > kMaxAddressTypes)
        types.resize(kMaxAddressTypes);
    bool inet = false;
    for (const GUID& type : types)
        inet = inet || IsEqualGUID(type, DPlay::DPAID_INet);
    if (!inet)
        return E_FAIL;
    GUID provider = DPlay::DPSPGUID_TCPIP;
    std::string host = m_info->hostAddress;
    DPlay::DPCOMPOUNDADDRESSELEMENT elements[2] = {
        {DPlay::DPAID_ServiceProvider, sizeof(GUID), &provider},
        {DPlay::DPAID_INet, static_cast<DWORD>(host.size() + 1), &host[0]},
    };
    DWORD size = 0;
    hr = m_backend->hrCreateCompoundAddress(elements, 2, nullptr, &size);
    if (hr != DPlay::DPERR_BUFFERTOOSMALL)
        return FAILED(hr) ? hr : E_FAIL;
    try
    {
        address.assign(size, 0);
    }
    catch (const std::bad_alloc&)
    {
        return E_OUTOFMEMORY;
    }
    hr = m_backend->hrCreateCompoundAddress(elements, 2, address.data(), &size);
    if (SUCCEEDED(hr))
        address.resize(size);
    return hr;
}

HRESULT CDPLobbySession::hrRunApplicationDP4(std::vector<BYTE>& address)
{
    const bool host = m_info->host != 0;
    std::string sessionName = m_info->sessionName;
    std::string nick = m_info->nick;
    DPlay::DPSESSIONDESC2 desc = {};
    desc.dwSize = sizeof desc;
    desc.dwFlags = host ? DPlay::DPSESSION_MIGRATEHOST : 0;
    desc.guidInstance = m_instance;
    std::memcpy(&desc.guidApplication, &m_info->appGuid, sizeof(GUID));
    desc.dwMaxPlayers = 0; // no limit
    desc.lpszSessionNameA = sessionName.empty() ? nullptr : &sessionName[0];
    DPlay::DPNAME name = {};
    name.dwSize = sizeof name;
    name.lpszShortNameA = &nick[0];
    name.lpszLongNameA = &nick[0];
    DPlay::DPLCONNECTION connection = {};
    connection.dwSize = sizeof connection;
    connection.dwFlags = host ? DPlay::DPLCONNECTION_CREATESESSION : DPlay::DPLCONNECTION_JOINSESSION;
    connection.lpSessionDesc = &desc;
    connection.lpPlayerName = &name;
    connection.guidSP = DPlay::DPSPGUID_TCPIP;
    connection.lpAddress = address.data();
    connection.dwAddressSize = static_cast<DWORD>(address.size());
    const HRESULT hr = m_backend->hrRunApplication(&m_appId, &connection, m_receiveEvent);
    if (FAILED(hr))
    {
        vSetLaunchState(kLaunchNone);
        m_error = kDPErrRun;
        return hr;
    }
    vSetLaunchState(kLaunchConnected);
    return hr;
}

HRESULT CDPLobbySession::hrReceiveLobbyMessages()
{
    if (!m_boDP4Open)
        return S_OK;
    std::vector<BYTE> buffer(kFirstBuffer);
    for (;;)
    {
        DWORD flags = 0;
        DWORD size = static_cast<DWORD>(buffer.size());
        const HRESULT hr = m_backend->hrReceiveLobbyMessage(m_appId, &flags, buffer.data(), &size);
        if (hr == DPlay::DPERR_NOMESSAGES)
            return S_OK;
        if (hr == DPlay::DPERR_BUFFERTOOSMALL)
        {
            // The size wanted must grow, or the loop would never end.
            if (size <= buffer.size() || size > kMaxLobbyMessage)
                return E_OUTOFMEMORY;
            try
            {
                buffer.assign(size, 0);
            }
            catch (const std::bad_alloc&)
            {
                return E_OUTOFMEMORY;
            }
            continue;
        }
        if (FAILED(hr))
            return hr;
        if (hr != S_OK || size < 4 || size > buffer.size())
            continue;
        if (!boProcessLobbyMessage(flags, buffer.data(), size))
            return S_OK;
    }
}

bool CDPLobbySession::boProcessLobbyMessage(DWORD flags, const BYTE* data, DWORD size)
{
    if ((flags & (DPlay::DPLMSG_SYSTEM | DPlay::DPLMSG_STANDARD)) == 0)
    {
        vProcessGameMessage(data + 4, size - 4);
        return true;
    }
    DWORD type = 0;
    std::memcpy(&type, data, sizeof type);
    vTrace("lobby message " + std::to_string(type));
    switch (type)
    {
    case DPlay::DPLSYS_DPLAYCONNECTFAILED:
        vSetLaunchState(kLaunchNone);
        break;
    case DPlay::DPLSYS_DPLAYCONNECTSUCCEEDED:
        vSetLaunchState(kLaunchConnected);
        break;
    case DPlay::DPLSYS_APPTERMINATED:
        vSetLaunchState(kLaunchEnded);
        return false;
    case DPlay::DPLSYS_SETPROPERTY:
    case DPlay::DPLSYS_GETPROPERTY:
        vAnswerProperty(data, size, type);
        break;
    default:
        break;
    }
    return true;
}

void CDPLobbySession::vProcessGameMessage(const BYTE* data, DWORD size)
{
    vTrace("game data " + HexEncode(data, size));
    if (!m_info)
        return;
    const std::string message = BuildResultMessage(
        *m_info, data, size, [](const std::string& error) { OutputDebugStringA(error.c_str()); });
    if (!m_container)
        return;
    long result = 0;
    m_container->SendBstrData(FdCom::CBstr("SEND").bstr(), FdCom::CBstr("DP_PLUG").bstr(),
                              FdCom::CBstr("ZDP").bstr(), FdCom::CBstr(message).bstr(), 0, &result);
}

void CDPLobbySession::vAnswerProperty(const BYTE* data, DWORD size, DWORD type)
{
    // Both requests begin with the type, the request id, the player and the property.
    if (size < sizeof(DPlay::DPLMSG_GETPROPERTY))
        return;
    DPlay::DPLMSG_GETPROPERTY request;
    std::memcpy(&request, data, sizeof request);
    if (type == DPlay::DPLSYS_SETPROPERTY)
    {
        DPlay::DPLMSG_SETPROPERTYRESPONSE answer = {};
        answer.dwType = DPlay::DPLSYS_SETPROPERTYRESPONSE;
        answer.dwRequestID = request.dwRequestID;
        answer.guidPlayer = request.guidPlayer;
        answer.guidPropertyTag = request.guidPropertyTag;
        answer.hr = DPlay::DPERR_UNAVAILABLE;
        m_backend->hrSendLobbyMessage(DPlay::DPLMSG_STANDARD, m_appId, &answer, sizeof answer);
        return;
    }
    // The answer's data: 16 bytes (the lobby's GUID), 4 (messages supported) or 20
    // (the player's GUID and flags).
    BYTE property[20] = {};
    DWORD propertySize = 0;
    HRESULT hr = S_OK;
    if (IsEqualGUID(request.guidPropertyTag, DPlay::DPLPROPERTY_LobbyGuid))
    {
        std::memcpy(property, &m_instance, sizeof(GUID));
        propertySize = 16;
    }
    else if (IsEqualGUID(request.guidPropertyTag, DPlay::DPLPROPERTY_MessagesSupported))
    {
        const DWORD supported = TRUE;
        std::memcpy(property, &supported, sizeof supported);
        propertySize = 4;
    }
    else if (IsEqualGUID(request.guidPropertyTag, DPlay::DPLPROPERTY_PlayerGuid))
    {
        std::memcpy(property, &request.guidPlayer, sizeof(GUID));
        propertySize = 20;
    }
    else
        hr = DPlay::DPERR_UNAVAILABLE;
    const DWORD answerSize = static_cast<DWORD>(offsetof(DPlay::DPLMSG_GETPROPERTYRESPONSE, dwPropertyData)) +
                             (propertySize > 4 ? propertySize : 4);
    std::vector<BYTE> answer(answerSize, 0);
    DPlay::DPLMSG_GETPROPERTYRESPONSE head = {};
    head.dwType = DPlay::DPLSYS_GETPROPERTYRESPONSE;
    head.dwRequestID = request.dwRequestID;
    head.guidPlayer = request.guidPlayer;
    head.guidPropertyTag = request.guidPropertyTag;
    head.hr = hr;
    head.dwDataSize = propertySize;
    std::memcpy(answer.data(), &head, offsetof(DPlay::DPLMSG_GETPROPERTYRESPONSE, dwPropertyData));
    std::memcpy(answer.data() + offsetof(DPlay::DPLMSG_GETPROPERTYRESPONSE, dwPropertyData), property,
                propertySize);
    m_backend->hrSendLobbyMessage(DPlay::DPLMSG_STANDARD, m_appId, answer.data(), answerSize);
}

void CDPLobbySession::vOnLobbyMessage(DWORD messageId)
{
    if (messageId == DPlay::DPL_MSGID_CONNECT)
        vSetLaunchState(kLaunchConnected);
    else if (messageId == DPlay::DPL_MSGID_DISCONNECT)
        vSetLaunchState(kLaunchEnded);
}
