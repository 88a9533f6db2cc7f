// The hub's local server for client programs: its own thread ("LPC Thread")
// with a TCP and a UDP listener on the LPC port of 127.0.0.1, on which every
// socket of the hub (client programs and server links) receives its events;
// it cuts client requests and hands them to the manager, and runs the
// delayed tasks that other threads queue (deletions, above all, so that an
// object is deleted on this thread after its last event). One per process.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "CriticalSection.h"
#include "HubSettings.h"
#include "ILpcOwner.h"
#include "NetAsyncEvents.h"
#include "SpawnThread.h"
#include "TaskQueue.h"

namespace FdNet
{
class CNetAsync;
}
class CLPCServer;
class CLPCServerClt;

// Thrown by CLPC's constructor when the process has its LPC server already.
class CLpcExists : public std::runtime_error
{
public:
    CLpcExists() : std::runtime_error("un LPC existe déjà dans ce processus") {}
};

class CLPC : public FdSystem::CSpawnThread
{
public:
    enum ETask : uint32_t
    {
        kKillNetCnx = 0,
        kKillLPCServerClt = 1,
        kKillLPCServer = 2,
        kCreateHiddenWindow = 3,
        kKillUselessNetCnxes = 4,
        kAutoReleaseOBPPInterface = 5,
    };
    enum EThreadState : int
    {
        kNotStarted = 0,
        kRunning = 1,
        kStopRequested = 2,
        kEnded = 3,
    };
    static constexpr uint32_t kLoopback = 0x0100007F; // 127.0.0.1, network order
    static constexpr DWORD kStartWaitMs = 8000;
    static constexpr int kAnyPortTries = 20; // port 0: TCP and UDP must get the same one

    // The process's one LPC server, for that port (0: any free one); throws
    // CLpcExists when the process has one. Its thread starts with vStart.
    CLPC(uint16_t wPort, ILpcOwner& owner, const HubRouting::SHubTimings& timings);
    // Shuts down (below) unless the owner did.
    ~CLPC() override;

    // Starts the thread, which listens on the port, and waits until it
    // listens or failed to (bounded). The owner calls it once it holds the
    // server: the thread calls the owner, which reaches the server, at once.
    void vStart();
    // Every client goes, then the listeners; the thread is stopped and its
    // end awaited on its handle (bounded). The owner calls it while the
    // server is still reachable through it: its clients call in until then.
    void vShutdown();

    // Queues a task (a queued one with the same id, data and repeat flag is
    // replaced). Delay 0: as soon as possible.
    void DelegateTask(uint32_t dwId, void* lpData, uint32_t dwDelayMs, bool boRepeat);
    // Task 3: makes the object's hidden window on this thread; from another
    // thread waits for it while pumping the caller's messages (bounded).
    bool boCreateHiddenWindow(FdNet::CNetAsync& object);
    // One whole request of a client program.
    void DecodeHeader(const uint8_t* lpMessage, uint32_t ulSize, CLPCServerClt* lpClient);
    void vDestroyLPCServerClt(CLPCServerClt* lpClient);

    bool boIsLpcThread() const { return GetCurrentThreadId() == m_dwLpcThreadId.load(); }
    bool boIsListening() const { return m_boListening.load(); }
    uint16_t wGetPort() const { return m_wPort.load(); }
    size_t ulGetClientCount();
    int iGetThreadState() const { return m_iThreadState.load(); }

    static void vServerNotifyCallback(uint32_t dwCode, const FdNet::NETASYNC_NOTIFY_INFO* lpInfo);
    static void vServerCltNotifyCallback(uint32_t dwCode, const FdNet::NETASYNC_NOTIFY_INFO* lpInfo);

protected:
    DWORD dwThread() override;

private:
    struct SWindowRequest;

    void vListen();
    void vRunTask(const HubRouting::STask& task);
    void vRunDueTasks();
    void vExpireIdleUdpClients();
    void vOnAccepted(CLPCServerClt* lpClient);
    void vEndThread();

    ILpcOwner& m_manager;
    const HubRouting::SHubTimings m_timings;
    std::atomic<uint16_t> m_wPort;
    std::atomic<int> m_iThreadState{kNotStarted};
    std::atomic<DWORD> m_dwLpcThreadId{0};
    std::atomic<bool> m_boListening{false};
    bool m_boShutDown = false;
    HANDLE m_hWakeEvent = nullptr;
    HANDLE m_hStartedEvent = nullptr;
    CLPCServer* m_lpTcpServer = nullptr; // made, used and deleted on the LPC thread
    CLPCServer* m_lpUdpServer = nullptr;

    FdSystem::CCriticalSection m_clientLock; // leaf: nothing is called under it
    std::vector<CLPCServerClt*> m_clients;
    FdSystem::CCriticalSection m_taskLock; // leaf: tasks run outside it
    HubRouting::CTaskQueue m_tasks;
};
