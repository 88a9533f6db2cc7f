#pragma once
// The killable-process table shared by every process of the suite: named shared
// memory "Orbelle-obpp-im-Shm" (50 entries, see KillableTable.h) guarded by the
// named mutex "Orbelle-obpp-im-Mutex". One instance per process.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class CKillableProcessMap
{
public:
    static constexpr const char* kszMappingName = "Orbelle-obpp-im-Shm";
    static constexpr const char* kszMutexName = "Orbelle-obpp-im-Mutex";
    static constexpr DWORD kLockTimeoutMs = 4000;

    // The process's table, opened at first use.
    static CKillableProcessMap& Get();

    CKillableProcessMap() = default;
    ~CKillableProcessMap();
    CKillableProcessMap(const CKillableProcessMap&) = delete;
    CKillableProcessMap& operator=(const CKillableProcessMap&) = delete;

    // Opens (or creates) the mutex and the mapping and maps it whole; true when
    // both are had. Calling it again once open changes nothing.
    bool boOpen();
    // Waits at most 4000 ms for the mutex: an abandoned mutex or a time-out fails.
    bool boLock();
    bool boUnlock();

    // Each locks the table for its whole work; a failed lock (or a table that
    // could not be opened) fails without touching it.
    bool boAddPid(uint32_t dwPid);
    bool boAddName(const char* lpszName);
    bool boRemovePid(uint32_t dwPid);
    bool boRemoveName(const char* lpszName);
    // "NAME:<name>" or "PID:<id>" per used entry, in slot order.
    bool boGetList(std::vector<std::string>* lpvecTexts);

private:
    template <typename F> bool boLocked(F f);

    HANDLE m_hMutex = nullptr;
    HANDLE m_hMapping = nullptr;
    uint8_t* m_lpView = nullptr;
};
