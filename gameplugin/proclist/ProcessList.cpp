#include "ProcessList.h"

#include "AnsiText.h"
#include "PathRules.h"
#include "PerfCounterNames.h"
#include "WinHandle.h"
#include "WinRegKey.h"

#include <tlhelp32.h>
#include <winperf.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

namespace
{
constexpr const char* kszPerflibKey = "software\\microsoft\\windows nt\\currentversion\\perflib";
constexpr DWORD kEnglishLanguage = 9;
constexpr DWORD kPerfBufferStep = 25600;
constexpr DWORD kPerfBufferMax = 64 * 1024 * 1024; // bounds the growth of the query
constexpr const char* kszUnknownName = "unknown";
constexpr const char* kszExeSuffix = ".exe";
constexpr UINT kTerminateExitCode = 1;

void vSetName(SProcessRecord& record, const char* lpszPath)
{
    const std::string strName = PathRules::strFileNamePart(lpszPath ? lpszPath : "");
    std::snprintf(record.szExeFile, sizeof record.szExeFile, "%s", strName.c_str());
}

bool boIsNtPlatform(bool* lpbo9x)
{
    OSVERSIONINFOA info;
    std::memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info))
        return false;
    *lpbo9x = info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
    return info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

// The performance data's byte range, read with bounds.
class CPerfReader
{
public:
    CPerfReader(const uint8_t* lpData, size_t ulSize) : m_lpData(lpData), m_ulSize(ulSize) {}
    template <typename T> const T* lpAt(size_t ulOffset) const
    {
        if (ulOffset > m_ulSize || m_ulSize - ulOffset < sizeof(T))
            return nullptr;
        return reinterpret_cast<const T*>(m_lpData + ulOffset);
    }
    bool boHas(size_t ulOffset, size_t ulBytes) const
    {
        return ulOffset <= m_ulSize && m_ulSize - ulOffset >= ulBytes;
    }
    const uint8_t* lpBytes(size_t ulOffset) const { return m_lpData + ulOffset; }

private:
    const uint8_t* m_lpData;
    size_t m_ulSize;
};

bool boReadCounterIndexes(DWORD* lpdwProcess, DWORD* lpdwIdProcess)
{
    char szKey[MAX_PATH];
    std::snprintf(szKey, sizeof szKey, "%s\\%03lx", kszPerflibKey,
                  static_cast<unsigned long>(kEnglishLanguage));
    FdWin::CRegKey key;
    if (key.lOpen(HKEY_LOCAL_MACHINE, szKey, KEY_READ) != ERROR_SUCCESS)
        return false;
    DWORD dwSize = 0;
    if (RegQueryValueExA(key.h(), "Counters", nullptr, nullptr, nullptr, &dwSize) != ERROR_SUCCESS ||
        dwSize == 0)
        return false;
    std::vector<char> text(dwSize);
    if (RegQueryValueExA(key.h(), "Counters", nullptr, nullptr, reinterpret_cast<BYTE*>(text.data()),
                         &dwSize) != ERROR_SUCCESS)
        return false;
    uint32_t dwProcess = 0, dwIdProcess = 0;
    const size_t ulLength = dwSize < text.size() ? dwSize : text.size();
    if (!PerfCounterNames::boFindIndex(text.data(), ulLength, PerfCounterNames::kszProcess, &dwProcess) ||
        !PerfCounterNames::boFindIndex(text.data(), ulLength, PerfCounterNames::kszIdProcess, &dwIdProcess))
        return false;
    *lpdwProcess = dwProcess;
    *lpdwIdProcess = dwIdProcess;
    return true;
}
} // namespace

size_t ProcessList_FillToolhelp(SProcessRecord* lpRecords, size_t ulMax)
{
    using SnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
    using WalkFn = BOOL(WINAPI*)(HANDLE, LPPROCESSENTRY32);
    HMODULE hKernel = GetModuleHandleA("KERNEL32.DLL");
    if (!hKernel)
        return 0;
    const auto pfnSnapshot = reinterpret_cast<SnapshotFn>(
        reinterpret_cast<void*>(GetProcAddress(hKernel, "CreateToolhelp32Snapshot")));
    const auto pfnFirst =
        reinterpret_cast<WalkFn>(reinterpret_cast<void*>(GetProcAddress(hKernel, "Process32First")));
    const auto pfnNext =
        reinterpret_cast<WalkFn>(reinterpret_cast<void*>(GetProcAddress(hKernel, "Process32Next")));
    if (!pfnSnapshot || !pfnFirst || !pfnNext)
        return 0;
    const FdWin::CHandle snapshot(pfnSnapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.boValid())
        return 0;
    const HANDLE hSnapshot = snapshot.get();
    PROCESSENTRY32 entry;
    std::memset(&entry, 0, sizeof entry);
    entry.dwSize = sizeof entry;
    size_t n = 0;
    for (BOOL bo = pfnFirst(hSnapshot, &entry); bo && n < ulMax; bo = pfnNext(hSnapshot, &entry))
    {
        SProcessRecord& record = lpRecords[n++];
        std::memset(&record, 0, sizeof record);
        record.dwPid = entry.th32ProcessID;
        entry.szExeFile[sizeof entry.szExeFile - 1] = '\0';
        vSetName(record, entry.szExeFile);
    }
    return n;
}

size_t ProcessList_FillPerflib(SProcessRecord* lpRecords, size_t ulMax)
{
    DWORD dwProcessIndex = 0, dwIdProcessIndex = 0;
    if (!boReadCounterIndexes(&dwProcessIndex, &dwIdProcessIndex))
        return 0;
    char szValueName[16];
    std::snprintf(szValueName, sizeof szValueName, "%lu", static_cast<unsigned long>(dwProcessIndex));
    std::vector<uint8_t> data;
    DWORD dwSize = 0;
    LONG l = ERROR_MORE_DATA;
    while (l == ERROR_MORE_DATA && data.size() < kPerfBufferMax)
    {
        data.resize(data.size() + kPerfBufferStep);
        dwSize = static_cast<DWORD>(data.size());
        l = RegQueryValueExA(HKEY_PERFORMANCE_DATA, szValueName, nullptr, nullptr, data.data(), &dwSize);
    }
    RegCloseKey(HKEY_PERFORMANCE_DATA);
    if (l != ERROR_SUCCESS)
        return 0;
    const CPerfReader reader(data.data(), dwSize < data.size() ? dwSize : data.size());
    const PERF_DATA_BLOCK* lpBlock = reader.lpAt<PERF_DATA_BLOCK>(0);
    if (!lpBlock)
        return 0;
    size_t ulObject = lpBlock->HeaderLength;
    size_t n = 0;
    for (DWORD o = 0; o < lpBlock->NumObjectTypes && n < ulMax; ++o)
    {
        const PERF_OBJECT_TYPE* lpObject = reader.lpAt<PERF_OBJECT_TYPE>(ulObject);
        if (!lpObject || lpObject->TotalByteLength == 0)
            break;
        if (lpObject->ObjectNameTitleIndex == dwProcessIndex && lpObject->NumInstances > 0)
        {
            // Offset of the "id process" counter within each instance's counter block.
            size_t ulCounter = ulObject + lpObject->HeaderLength;
            DWORD dwIdOffset = 0;
            bool boFound = false;
            for (DWORD c = 0; c < lpObject->NumCounters; ++c)
            {
                const PERF_COUNTER_DEFINITION* lpCounter = reader.lpAt<PERF_COUNTER_DEFINITION>(ulCounter);
                if (!lpCounter || lpCounter->ByteLength == 0)
                    break;
                if (lpCounter->CounterNameTitleIndex == dwIdProcessIndex)
                {
                    dwIdOffset = lpCounter->CounterOffset;
                    boFound = true;
                    break;
                }
                ulCounter += lpCounter->ByteLength;
            }
            if (!boFound)
                return 0;
            size_t ulInstance = ulObject + lpObject->DefinitionLength;
            for (LONG i = 0; i < lpObject->NumInstances && n < ulMax; ++i)
            {
                const PERF_INSTANCE_DEFINITION* lpInstance =
                    reader.lpAt<PERF_INSTANCE_DEFINITION>(ulInstance);
                if (!lpInstance || lpInstance->ByteLength == 0)
                    break;
                SProcessRecord& record = lpRecords[n];
                std::memset(&record, 0, sizeof record);
                std::string strName = kszUnknownName;
                const size_t ulNameAt = ulInstance + lpInstance->NameOffset;
                if (lpInstance->NameLength >= sizeof(wchar_t) &&
                    reader.boHas(ulNameAt, lpInstance->NameLength))
                {
                    std::wstring wstrName(reinterpret_cast<const wchar_t*>(reader.lpBytes(ulNameAt)),
                                          lpInstance->NameLength / sizeof(wchar_t));
                    wstrName.resize(std::wcslen(wstrName.c_str()));
                    char szName[SProcessRecord::kExeFileMax + 1] = "";
                    WideCharToMultiByte(CP_ACP, 0, wstrName.c_str(), -1, szName, sizeof szName - 1, nullptr,
                                        nullptr);
                    szName[sizeof szName - 1] = '\0';
                    if (szName[0])
                        strName = szName;
                }
                strName += kszExeSuffix;
                vSetName(record, strName.c_str());
                const size_t ulBlock = ulInstance + lpInstance->ByteLength;
                const PERF_COUNTER_BLOCK* lpCounters = reader.lpAt<PERF_COUNTER_BLOCK>(ulBlock);
                if (!lpCounters || !reader.boHas(ulBlock + dwIdOffset, sizeof(DWORD)))
                    break;
                std::memcpy(&record.dwPid, reader.lpBytes(ulBlock + dwIdOffset), sizeof(DWORD));
                ++n;
                ulInstance = ulBlock + lpCounters->ByteLength;
                if (lpCounters->ByteLength == 0)
                    break;
            }
            return n;
        }
        ulObject += lpObject->TotalByteLength;
    }
    return n;
}

size_t ProcessList_Fill(SProcessRecord* lpRecords, size_t ulMax)
{
    bool bo9x = false;
    if (boIsNtPlatform(&bo9x))
    {
        const size_t n = ProcessList_FillPerflib(lpRecords, ulMax);
        // Some systems (Wine among them) give no process object: walk Toolhelp instead.
        return n > 0 ? n : ProcessList_FillToolhelp(lpRecords, ulMax);
    }
    return bo9x ? ProcessList_FillToolhelp(lpRecords, ulMax) : 0;
}

bool boEnableDebugPrivilege()
{
    HANDLE hToken = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &hToken))
        return false;
    const FdWin::CHandle token(hToken);
    TOKEN_PRIVILEGES privileges;
    std::memset(&privileges, 0, sizeof privileges);
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    bool boOk = false;
    if (LookupPrivilegeValueA(nullptr, "SeDebugPrivilege", &privileges.Privileges[0].Luid))
    {
        AdjustTokenPrivileges(hToken, FALSE, &privileges, sizeof privileges, nullptr, nullptr);
        boOk = GetLastError() == ERROR_SUCCESS;
    }
    return boOk;
}

bool boTerminateProcess(const SProcessRecord& record, bool boForce)
{
    bool bo9x = false;
    if (boIsNtPlatform(&bo9x))
        boEnableDebugPrivilege();
    if (boForce || !record.hwndMain)
    {
        const FdWin::CHandle process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, record.dwPid));
        if (process.boValid())
            return TerminateProcess(process.get(), kTerminateExitCode) != FALSE;
        if (!record.hwndMain)
            return false;
    }
    return PostMessageA(record.hwndMain, WM_CLOSE, 0, 0) != FALSE;
}

bool boKillProcessesByName(const char* const* lpaszNames, size_t ulCount, bool boWait, bool boCheckOnly)
{
    std::unique_ptr<SProcessRecord[]> records(new SProcessRecord[kProcessListMax]);
    const size_t n = ProcessList_Fill(records.get(), kProcessListMax);
    if (n == 0)
        return false;
    const DWORD dwSelf = GetCurrentProcessId();
    bool boFound = false;
    for (size_t i = 0; i < n; ++i)
    {
        if (records[i].dwPid == dwSelf)
            continue;
        for (size_t k = 0; k < ulCount; ++k)
        {
            if (!lpaszNames[k] || !boAnsiEqualNoCase(records[i].szExeFile, lpaszNames[k]))
                continue;
            boFound = true;
            if (!boCheckOnly)
            {
                boTerminateProcess(records[i], false);
                if (boWait)
                    Sleep(kKillWaitMs);
            }
        }
    }
    return boFound;
}
