#include "KillableProcessMap.h"

#include "KillableTable.h"

CKillableProcessMap& CKillableProcessMap::Get()
{
    static CKillableProcessMap s_map;
    s_map.boOpen();
    return s_map;
}

CKillableProcessMap::~CKillableProcessMap()
{
    if (m_lpView)
        UnmapViewOfFile(m_lpView);
    if (m_hMapping)
        CloseHandle(m_hMapping);
    if (m_hMutex)
        CloseHandle(m_hMutex);
}

bool CKillableProcessMap::boOpen()
{
    if (m_lpView)
        return true;
    bool boCreated = false;
    if (!m_hMutex)
    {
        // Releasing needs the modify right besides the right to wait.
        m_hMutex = OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, kszMutexName);
        if (!m_hMutex)
        {
            // Created owned, so no peer reads the mapping before it exists.
            m_hMutex = CreateMutexA(nullptr, TRUE, kszMutexName);
            if (!m_hMutex)
                return false;
            boCreated = GetLastError() != ERROR_ALREADY_EXISTS;
        }
    }
    m_hMapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                    static_cast<DWORD>(Killable::kTableSize), kszMappingName);
    if (m_hMapping)
        m_lpView =
            static_cast<uint8_t*>(MapViewOfFile(m_hMapping, FILE_MAP_ALL_ACCESS, 0, 0, Killable::kTableSize));
    if (boCreated)
        ReleaseMutex(m_hMutex);
    if (!m_lpView && m_hMapping)
    {
        CloseHandle(m_hMapping);
        m_hMapping = nullptr;
    }
    return m_lpView != nullptr;
}

bool CKillableProcessMap::boLock()
{
    if (!m_hMutex)
        return false;
    const DWORD dwWait = WaitForSingleObject(m_hMutex, kLockTimeoutMs);
    if (dwWait == WAIT_ABANDONED)
    {
        // The previous owner died inside: this thread owns it now. Give it back
        // so the next waiter gets it normally, and fail this operation.
        ReleaseMutex(m_hMutex);
        return false;
    }
    return dwWait == WAIT_OBJECT_0;
}

bool CKillableProcessMap::boUnlock()
{
    return m_hMutex && ReleaseMutex(m_hMutex);
}

template <typename F> bool CKillableProcessMap::boLocked(F f)
{
    if (!m_lpView || !boLock())
        return false;
    struct CUnlock
    {
        CKillableProcessMap* lpMap;
        ~CUnlock() { lpMap->boUnlock(); }
    } unlock{this};
    Killable::CTableView view(m_lpView);
    return f(view);
}

bool CKillableProcessMap::boAddPid(uint32_t dwPid)
{
    return boLocked([&](Killable::CTableView& view) { return view.boAddPid(dwPid); });
}

bool CKillableProcessMap::boAddName(const char* lpszName)
{
    return boLocked([&](Killable::CTableView& view) { return view.boAddName(lpszName); });
}

bool CKillableProcessMap::boRemovePid(uint32_t dwPid)
{
    return boLocked([&](Killable::CTableView& view) { return view.boRemovePid(dwPid); });
}

bool CKillableProcessMap::boRemoveName(const char* lpszName)
{
    return boLocked([&](Killable::CTableView& view) { return view.boRemoveName(lpszName); });
}

bool CKillableProcessMap::boGetList(std::vector<std::string>* lpvecTexts)
{
    return boLocked(
        [&](Killable::CTableView& view)
        {
            *lpvecTexts = view.vecGetList();
            return true;
        });
}
