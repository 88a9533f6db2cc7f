#include "LPC.h"

#include <objbase.h>

#include <memory>

#include "HubTrace.h"
#include "LPCServer.h"
#include "LPCServerClt.h"
#include "LpcClientMessages.h"
#include "NetAsyncException.h"
#include "NetCnx.h"
#include "PumpUntil.h"
#include "TraceScope.h"

using namespace FdNet;

namespace
{

std::atomic<CLPC*> g_lpTheLpc{nullptr};

const char* lpszTaskName(uint32_t dwId)
{
    static const char* const names[] = {"Kill NetCnx",           "Kill LPCServerClt",
                                        "Kill LPCServer",        "CreateHiddenWindow",
                                        "Kill Useless NetCnxes", "AutoRelease OBPP Interface"};
    return dwId <= CLPC::kAutoReleaseOBPPInterface ? names[dwId] : "?";
}

} // namespace

// A window that another thread needs made on the LPC thread. Shared by the
// waiter and the queued task: a waiter that gave up leaves it to the task.
struct CLPC::SWindowRequest
{
    explicit SWindowRequest(CNetAsync& object)
        : lpObject(&object), hDone(CreateEventA(nullptr, TRUE, FALSE, nullptr))
    {
    }
    ~SWindowRequest()
    {
        if (hDone != nullptr)
            CloseHandle(hDone);
    }
    SWindowRequest(const SWindowRequest&) = delete;
    SWindowRequest& operator=(const SWindowRequest&) = delete;

    CNetAsync* lpObject;
    HANDLE hDone;
    std::atomic<bool> boCancelled{false};
    std::atomic<bool> boMade{false};
};

CLPC::CLPC(uint16_t wPort, ILpcOwner& owner, const HubRouting::SHubTimings& timings)
    : m_manager(owner), m_timings(timings), m_wPort(wPort)
{
    CLPC* none = nullptr;
    if (!g_lpTheLpc.compare_exchange_strong(none, this))
    {
        HubTrace::vLog("!ERREUR! CLPC::CLPC -> un LPC existe déjà dans ce processus");
        throw CLpcExists();
    }
    m_hWakeEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    m_hStartedEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

void CLPC::vStart()
{
    if (boStart())
        WaitForSingleObject(m_hStartedEvent, kStartWaitMs);
    else
        HubTrace::vLog("!ERREUR! CLPC::CLPC -> la LPC Thread ne démarre pas");
}

CLPC::~CLPC()
{
    vShutdown();
    CloseHandle(m_hWakeEvent);
    CloseHandle(m_hStartedEvent);
    g_lpTheLpc = nullptr;
}

void CLPC::vShutdown()
{
    if (m_boShutDown)
        return;
    m_boShutDown = true;
    FdLib::CTraceScope trace(HubTrace::lpLogger());
    trace.vTrace(false, "CLPC::~CLPC() start");
    trace.vTrace(true, "CLPC::~CLPC() end");
    std::vector<CLPCServerClt*> clients;
    {
        FdSystem::CAutoLock lock(&m_clientLock);
        clients = m_clients;
    }
    for (CLPCServerClt* client : clients)
        vDestroyLPCServerClt(client);
    if (m_lpTcpServer != nullptr)
        DelegateTask(kKillLPCServer, m_lpTcpServer, 0, false);
    if (m_lpUdpServer != nullptr)
        DelegateTask(kKillLPCServer, m_lpUdpServer, 0, false);
    if (m_iThreadState.load() != kEnded)
    {
        m_iThreadState = kStopRequested;
        // Waits on the thread's handle, within the bound.
        vSetStopWait(m_timings.dwLpcStopBoundMs);
        vStop(true);
        if (m_iThreadState.load() != kEnded)
            HubTrace::vLog("!ERREUR! CLPC::~CLPC -> la LPC Thread ne s'est pas terminée proprement");
    }
}

void CLPC::vListen()
{
    const uint16_t wanted = m_wPort.load();
    for (int attempt = 0; attempt < (wanted == 0 ? kAnyPortTries : 1); ++attempt)
    {
        delete m_lpTcpServer;
        delete m_lpUdpServer;
        m_lpTcpServer = new CLPCServer(*this);
        m_lpUdpServer = new CLPCServer(*this);
        m_lpTcpServer->vSetNotifyCallback(&CLPC::vServerNotifyCallback, this);
        m_lpUdpServer->vSetNotifyCallback(&CLPC::vServerNotifyCallback, this);
        try
        {
            m_lpTcpServer->boInitListenSocket(wanted, kPortTypeTcp, kLoopback);
            const uint16_t port = m_lpTcpServer->wGetListenPort();
            m_lpUdpServer->boInitListenSocket(port, kPortTypeUdp, kLoopback);
            m_wPort = port;
            m_boListening = true;
            HubTrace::vLog("LPC à l'écoute sur le port %u", unsigned(port));
            return;
        }
        catch (const CNetAsyncException& e)
        {
            if (e.dwGetCode() == NetServer_BindAddrInUse)
                HubTrace::vLog("!ERREUR! CLPC::dwThread -> Adresse du serveur LPC déjà utilisée (%u)",
                               unsigned(wanted));
            else
                HubTrace::vLog("!ERREUR! CLPC::dwThread -> écoute impossible sur le port %u : exception %u",
                               unsigned(wanted), unsigned(e.dwGetCode()));
        }
    }
}

DWORD CLPC::dwThread()
{
    HubTrace::vNameThread("LPC Thread");
    m_dwLpcThreadId = GetCurrentThreadId();
    m_iThreadState = kRunning;
    const HRESULT com = CoInitialize(nullptr);
    try
    {
        vListen();
    }
    catch (...)
    {
        HubTrace::vLog("!ERREUR! CLPC::dwThread -> exception à la création des serveurs LPC");
    }
    SetEvent(m_hStartedEvent);
    HANDLE handles[2] = {hGetStopEvent(), m_hWakeEvent};
    for (;;)
    {
        vRunDueTasks();
        vExpireIdleUdpClients();
        if (m_iThreadState.load() == kStopRequested)
            break;
        DWORD wait;
        {
            FdSystem::CAutoLock lock(&m_taskLock);
            wait = m_tasks.dwTimeToNext(GetTickCount(), m_timings.dwLpcThreadWaitMs);
        }
        // The wait also says whether a message waits (MWMO_INPUTAVAILABLE):
        // one is taken per turn, and no peek at an empty queue (which under
        // Wine costs a round trip to the server and a yield) follows it.
        const DWORD r = MsgWaitForMultipleObjectsEx(2, handles, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (r == WAIT_OBJECT_0 || r == WAIT_FAILED || m_iThreadState.load() == kStopRequested)
            break;
        if (r == WAIT_OBJECT_0 + 2)
            FdWin::boDispatchOne();
    }
    vEndThread();
    // Only a successful CoInitialize is undone.
    if (SUCCEEDED(com))
        CoUninitialize();
    m_iThreadState = kEnded;
    return 0;
}

void CLPC::vEndThread()
{
    try
    {
        m_manager.vRemoveUselessNetCnxes();
        m_manager.vReleaseAllNetCnxes(HubRouting::kCauseFresh);
    }
    catch (const FdBase::CExceptionBase& e)
    {
        HubTrace::vLog("!ERREUR! CLPC::dwThread -> exception %u en fin de thread", unsigned(e.dwGetCode()));
    }
    std::vector<HubRouting::STask> rest;
    {
        FdSystem::CAutoLock lock(&m_taskLock);
        rest = m_tasks.TakeAll();
    }
    for (const HubRouting::STask& task : rest)
        vRunTask(task);
    delete m_lpTcpServer;
    delete m_lpUdpServer;
    m_lpTcpServer = m_lpUdpServer = nullptr;
}

void CLPC::DelegateTask(uint32_t dwId, void* lpData, uint32_t dwDelayMs, bool boRepeat)
{
    if (m_iThreadState.load() == kEnded)
    {
        // No thread to run it any more: its objects' windows went with it.
        vRunTask(HubRouting::STask{dwId, lpData, 0, dwDelayMs, boRepeat});
        return;
    }
    bool wake;
    {
        FdSystem::CAutoLock lock(&m_taskLock);
        wake = m_tasks.boQueue(dwId, lpData, dwDelayMs, boRepeat, GetTickCount());
    }
    if (wake)
        SetEvent(m_hWakeEvent);
    if (m_iThreadState.load() != kEnded)
        return;
    // The thread ended while the task was queued: nobody else will run it.
    std::vector<HubRouting::STask> rest;
    {
        FdSystem::CAutoLock lock(&m_taskLock);
        rest = m_tasks.TakeAll();
    }
    for (const HubRouting::STask& task : rest)
        vRunTask(task);
}

bool CLPC::boCreateHiddenWindow(CNetAsync& object)
{
    if (boIsLpcThread())
    {
        object.vCreateHiddenWindow();
        return object.hGetWindow() != nullptr;
    }
    if (m_iThreadState.load() != kRunning)
    {
        HubTrace::vLog("ERREUR : LPCThread arrêtée");
        return false;
    }
    std::shared_ptr<SWindowRequest> request = std::make_shared<SWindowRequest>(object);
    DelegateTask(kCreateHiddenWindow, new std::shared_ptr<SWindowRequest>(request), 0, false);
    const DWORD start = GetTickCount();
    for (;;)
    {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= m_timings.dwWindowRequestWaitMs)
            break;
        const DWORD r = MsgWaitForMultipleObjects(1, &request->hDone, FALSE,
                                                  m_timings.dwWindowRequestWaitMs - elapsed, QS_ALLINPUT);
        if (r == WAIT_OBJECT_0)
            return request->boMade.load();
        if (r != WAIT_OBJECT_0 + 1)
            break;
        FdWin::vPumpWaiting();
        if (m_iThreadState.load() != kRunning)
        {
            request->boCancelled = true;
            HubTrace::vLog("ERREUR : LPCThread arrêtée");
            return false;
        }
    }
    request->boCancelled = true;
    HubTrace::vLog("ERREUR : timeout");
    return false;
}

void CLPC::vRunTask(const HubRouting::STask& task)
{
    if (task.dwId != kCreateHiddenWindow)
        HubTrace::vLog("CLPC : tâche %s (%p)", lpszTaskName(task.dwId), task.lpData);
    try
    {
        switch (task.dwId)
        {
        case kKillNetCnx:
            delete static_cast<CNetCnx*>(task.lpData);
            return;
        case kKillLPCServerClt:
            delete static_cast<CLPCServerClt*>(task.lpData);
            return;
        case kKillLPCServer:
            if (task.lpData == m_lpTcpServer)
                m_lpTcpServer = nullptr;
            if (task.lpData == m_lpUdpServer)
                m_lpUdpServer = nullptr;
            delete static_cast<CLPCServer*>(task.lpData);
            return;
        case kCreateHiddenWindow:
        {
            std::unique_ptr<std::shared_ptr<SWindowRequest>> holder(
                static_cast<std::shared_ptr<SWindowRequest>*>(task.lpData));
            SWindowRequest& request = **holder;
            if (!request.boCancelled.load() && m_iThreadState.load() == kRunning)
            {
                request.lpObject->vCreateHiddenWindow();
                request.boMade = request.lpObject->hGetWindow() != nullptr;
            }
            SetEvent(request.hDone);
            return;
        }
        case kKillUselessNetCnxes:
            m_manager.vRemoveUselessNetCnxes();
            return;
        default:
            return;
        }
    }
    catch (const FdBase::CExceptionBase& e)
    {
        HubTrace::vLog("!ERREUR! CLPC : exception %u dans la tâche %s", unsigned(e.dwGetCode()),
                       lpszTaskName(task.dwId));
    }
    catch (const std::exception& e)
    {
        HubTrace::vLog("!ERREUR! CLPC : exception %s dans la tâche %s", e.what(), lpszTaskName(task.dwId));
    }
}

void CLPC::vRunDueTasks()
{
    std::vector<HubRouting::STask> due;
    {
        FdSystem::CAutoLock lock(&m_taskLock);
        due = m_tasks.TakeDue(GetTickCount());
    }
    // Outside the task lock: tasks take the hub lock, under which others queue tasks.
    for (const HubRouting::STask& task : due)
        vRunTask(task);
}

void CLPC::vExpireIdleUdpClients()
{
    const DWORD now = GetTickCount();
    std::vector<CLPCServerClt*> idle;
    {
        FdSystem::CAutoLock lock(&m_clientLock);
        for (CLPCServerClt* client : m_clients)
            if (client->boIsUdp() && now - client->dwGetLastActivity() >= m_timings.dwUdpClientIdleMs)
                idle.push_back(client);
    }
    for (CLPCServerClt* client : idle)
    {
        HubTrace::vLog("CLPC : client UDP %p inactif depuis %u ms", static_cast<void*>(client),
                       unsigned(m_timings.dwUdpClientIdleMs));
        vDestroyLPCServerClt(client);
    }
}

void CLPC::vOnAccepted(CLPCServerClt* lpClient)
{
    FdSystem::CAutoLock lock(&m_clientLock);
    m_clients.push_back(lpClient);
}

size_t CLPC::ulGetClientCount()
{
    FdSystem::CAutoLock lock(&m_clientLock);
    return m_clients.size();
}

void CLPC::vServerNotifyCallback(uint32_t dwCode, const NETASYNC_NOTIFY_INFO* lpInfo)
{
    CLPC* self = static_cast<CLPC*>(lpInfo->lpContext);
    if (dwCode == NETASYNC_CNX_ACCEPTED && lpInfo->lpNewClient != nullptr)
    {
        self->vOnAccepted(static_cast<CLPCServerClt*>(lpInfo->lpNewClient));
        return;
    }
    HubTrace::vLog("CLPC::vServerNotifyCallback : évènement %u du serveur %p", unsigned(dwCode),
                   static_cast<void*>(lpInfo->lpObject));
}

void CLPC::vServerCltNotifyCallback(uint32_t dwCode, const NETASYNC_NOTIFY_INFO* lpInfo)
{
    CLPC* self = static_cast<CLPC*>(lpInfo->lpContext);
    if (dwCode >= NETASYNC_CNX_SOCKETERROR && dwCode <= NETASYNC_CNX_ABORTED)
        self->vDestroyLPCServerClt(static_cast<CLPCServerClt*>(lpInfo->lpObject));
}

void CLPC::vDestroyLPCServerClt(CLPCServerClt* lpClient)
{
    FdLib::CTraceScope trace(HubTrace::lpLogger());
    trace.vTrace(false, "CLPC::vDestroyLPCServerClt() start (%p)", static_cast<void*>(lpClient));
    trace.vTrace(true, "CLPC::vDestroyLPCServerClt() end");
    // Lock order: the hub lock, then the client's lock, then the client list.
    FdSystem::CAutoLock hub(&m_manager.HubLock());
    bool listed = false;
    {
        FdSystem::CAutoLock lock(&m_clientLock);
        for (auto it = m_clients.begin(); it != m_clients.end(); ++it)
            if (*it == lpClient)
            {
                m_clients.erase(it);
                listed = true;
                break;
            }
    }
    if (!listed)
    {
        HubTrace::vLog(
            "CLPCServerClt (%p) non référencé par le LPC : (à priori, il a été déréférencé lors d'une "
            "notification d'erreur (ex: SOCKET_ERROR suivi de CLOSE)",
            static_cast<void*>(lpClient));
        return;
    }
    const std::vector<uint8_t> channels = lpClient->TakeChannels();
    if (CNetServer* server = lpClient->lpGetServer())
        server->vRemoveClient(lpClient);
    for (uint8_t channel : channels)
        m_manager.vNotifyLPCConnectionClosed(channel);
    m_manager.vNotifyLPCConnectionClosed(lpClient);
    DelegateTask(kKillLPCServerClt, lpClient, m_timings.dwClientKillDelayMs, false);
}

void CLPC::DecodeHeader(const uint8_t* lpMessage, uint32_t ulSize, CLPCServerClt* lpClient)
{
    HubTrace::vDump(HubRouting::kLogLpcReceived, "Message reçu par le LPC", lpMessage, ulSize);
    HubProto::LpcClientMessage m;
    switch (HubProto::DecodeLpcClientMessage(lpMessage, ulSize, m))
    {
    case HubProto::LpcDecodeStatus::UnknownLetter:
        HubTrace::vLog("!Warning! CLPC::DecodeHeader -> message '%c' inconnu ignoré", lpMessage[1]);
        return;
    case HubProto::LpcDecodeStatus::TooShort:
        HubTrace::vLog("!ERREUR! CLPC::DecodeHeader -> message '%c' de %u octets trop court, ignoré",
                       lpMessage[1], unsigned(ulSize));
        return;
    case HubProto::LpcDecodeStatus::Ok:
        break;
    }
    try
    {
        switch (m.bMsgId)
        {
        case HubProto::LPC_CONNECT:
            m_manager.vConnectToCnx(m.dwServerIp, m.wServerPort, m.dwTimeoutMs, lpClient);
            return;
        case HubProto::LPC_DISCONNECT:
            m_manager.vDisconnectChannel(m.bChannel, HubRouting::kCauseClosed);
            DelegateTask(kKillUselessNetCnxes, nullptr, 0, false);
            return;
        case HubProto::LPC_SEND_MESSAGE:
        case HubProto::LPC_SEND_SHORT:
        case HubProto::LPC_SEND_SHORT_UDP:
            m_manager.vSendOnCnx(m);
            return;
        case HubProto::LPC_ADD_DSTID:
            m_manager.vAddDstId(m.dwDstId, m.bChannel, lpClient);
            return;
        case HubProto::LPC_BIND:
            m_manager.vBind(m.bChannel, m.dwDstId);
            return;
        case HubProto::LPC_UNBIND:
            m_manager.vUnbind(m.bChannel);
            return;
        case HubProto::LPC_SET_RECONN_PARAMS:
            m_manager.vSetReconnParams(m.dwServerIp, m.wServerPort, m.wAttempts, m.dwTimeBetweenMs,
                                       m.dwReconnTimeoutMs);
            return;
        default:
            return;
        }
    }
    catch (const FdBase::CExceptionBase& e)
    {
        HubTrace::vLog("!ERREUR! CLPC::DecodeHeader -> exception %u pour '%c'", unsigned(e.dwGetCode()),
                       m.bMsgId);
    }
}
