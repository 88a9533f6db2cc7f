#pragma once
// The killable-process table as laid out in the shared memory that every process
// of the suite maps: 50 entries of 1032 bytes, little-endian:
//
//   offset size
//        0    4  used flag (0 free, 1 used)
//        4    4  process id; 0xFFFFFFFF for an entry by name
//        8 1024  executable name or path, NUL-terminated (all zero for an entry by id)
//
// Two entries are equal when used flags, ids and names (ignoring case) are equal.
// The block may have been written by any process: reads never pass an entry.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Killable
{

constexpr size_t kEntryCount = 50;
constexpr size_t kEntrySize = 1032;
constexpr size_t kTableSize = kEntryCount * kEntrySize; // 51600
constexpr size_t kOffUsed = 0;
constexpr size_t kOffPid = 4;
constexpr size_t kOffName = 8;
constexpr size_t kNameSize = 1024;
constexpr size_t kNameMax = kNameSize - 1; // longer names are cut
constexpr uint32_t kPidByName = 0xFFFFFFFF;
constexpr uint32_t kUsed = 1;

// Operations on one mapped block of kTableSize bytes (borrowed, not owned). The
// caller holds the table's lock around each call.
class CTableView
{
public:
    explicit CTableView(uint8_t* lpBlock) : m_lpBlock(lpBlock) {}

    // Success without change when an equal entry exists; else the first free slot
    // takes it; false when all 50 are used.
    bool boAddPid(uint32_t dwPid);
    bool boAddName(const char* lpszName);
    // Frees the first equal entry; success also when none matches.
    bool boRemovePid(uint32_t dwPid);
    bool boRemoveName(const char* lpszName);
    // "NAME:<name>" or "PID:<id>" per used entry, in slot order.
    std::vector<std::string> vecGetList() const;
    size_t ulUsedCount() const;

private:
    struct SEntry
    {
        uint32_t dwUsed;
        uint32_t dwPid;
        std::string strName;
    };
    SEntry entryAt(size_t i) const;
    void vWrite(size_t i, const SEntry& entry);
    void vFree(size_t i);
    bool boAdd(const SEntry& entry);
    bool boRemove(const SEntry& entry);
    static bool boEqual(const SEntry& a, const SEntry& b);

    uint8_t* m_lpBlock;
};

} // namespace Killable
