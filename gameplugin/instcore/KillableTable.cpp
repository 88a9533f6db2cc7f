#include "KillableTable.h"

#include "AnsiText.h"

#include <cstring>

namespace Killable
{
namespace
{
uint32_t dwLoad(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void vStore(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}
} // namespace

CTableView::SEntry CTableView::entryAt(size_t i) const
{
    const uint8_t* p = m_lpBlock + i * kEntrySize;
    const char* lpszName = reinterpret_cast<const char*>(p + kOffName);
    size_t n = 0;
    while (n < kNameSize && lpszName[n])
        ++n;
    return SEntry{dwLoad(p + kOffUsed), dwLoad(p + kOffPid), std::string(lpszName, n)};
}

void CTableView::vWrite(size_t i, const SEntry& entry)
{
    uint8_t* p = m_lpBlock + i * kEntrySize;
    vStore(p + kOffUsed, entry.dwUsed);
    vStore(p + kOffPid, entry.dwPid);
    std::memset(p + kOffName, 0, kNameSize);
    std::memcpy(p + kOffName, entry.strName.data(),
                entry.strName.size() < kNameMax ? entry.strName.size() : kNameMax);
}

void CTableView::vFree(size_t i)
{
    vWrite(i, SEntry{0, kPidByName, std::string()});
}

bool CTableView::boEqual(const SEntry& a, const SEntry& b)
{
    return a.dwUsed == b.dwUsed && a.dwPid == b.dwPid &&
           boAnsiEqualNoCase(a.strName.data(), a.strName.size(), b.strName.data(), b.strName.size());
}

bool CTableView::boAdd(const SEntry& entry)
{
    size_t ulFree = kEntryCount;
    for (size_t i = 0; i < kEntryCount; ++i)
    {
        const SEntry current = entryAt(i);
        if (boEqual(current, entry))
            return true;
        if (current.dwUsed == 0 && ulFree == kEntryCount)
            ulFree = i;
    }
    if (ulFree == kEntryCount)
        return false;
    vWrite(ulFree, entry);
    return true;
}

bool CTableView::boRemove(const SEntry& entry)
{
    for (size_t i = 0; i < kEntryCount; ++i)
    {
        if (boEqual(entryAt(i), entry))
        {
            vFree(i);
            break;
        }
    }
    return true;
}

bool CTableView::boAddPid(uint32_t dwPid)
{
    return boAdd(SEntry{kUsed, dwPid, std::string()});
}

bool CTableView::boAddName(const char* lpszName)
{
    std::string strName = lpszName ? lpszName : "";
    if (strName.size() > kNameMax)
        strName.resize(kNameMax);
    return boAdd(SEntry{kUsed, kPidByName, strName});
}

bool CTableView::boRemovePid(uint32_t dwPid)
{
    return boRemove(SEntry{kUsed, dwPid, std::string()});
}

bool CTableView::boRemoveName(const char* lpszName)
{
    std::string strName = lpszName ? lpszName : "";
    if (strName.size() > kNameMax)
        strName.resize(kNameMax);
    return boRemove(SEntry{kUsed, kPidByName, strName});
}

std::vector<std::string> CTableView::vecGetList() const
{
    std::vector<std::string> texts;
    for (size_t i = 0; i < kEntryCount; ++i)
    {
        const SEntry entry = entryAt(i);
        if (entry.dwUsed == 0)
            continue;
        if (entry.dwPid == kPidByName)
            texts.push_back("NAME:" + entry.strName);
        else
            texts.push_back("PID:" + std::to_string(entry.dwPid));
    }
    return texts;
}

size_t CTableView::ulUsedCount() const
{
    size_t n = 0;
    for (size_t i = 0; i < kEntryCount; ++i)
        n += entryAt(i).dwUsed != 0 ? 1 : 0;
    return n;
}

} // namespace Killable
