// CStringMap: hash map from string to string with nodes taken from blocks.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "StringExt.h"

// Iteration position: kMapStart before the first element, 0 at the end, otherwise the
// node to yield next.
using MapPosition = uintptr_t;
constexpr MapPosition kMapStart = static_cast<MapPosition>(-1);
constexpr MapPosition kMapEnd = 0;

// Destroys n consecutive strings in place (the storage stays).
void DestroyStringArray(CStringExt* strings, int32_t n);

class CStringMap
{
public:
    static constexpr uint32_t kDefaultBucketCount = 17;

    struct CAssoc
    {
        CAssoc* next;
        uint32_t bucket;
        CStringExt keyValue[2]; // key, value
    };

    explicit CStringMap(int32_t nodesPerBlock = 10);
    ~CStringMap();
    CStringMap(const CStringMap&) = delete;
    CStringMap& operator=(const CStringMap&) = delete;

    // The value of key, inserted empty at the head of its bucket when absent.
    CStringExt& operator[](const std::string& key);
    bool Lookup(const std::string& key, CStringExt& value) const;
    // null value stores the empty string.
    void SetAt(const std::string& key, const char* value);
    // The node of key or null; bucket receives hash modulo bucket count.
    CAssoc* GetAssocAt(const std::string& key, uint32_t& bucket) const;

    MapPosition GetStartPosition() const { return m_nCount > 0 ? kMapStart : kMapEnd; }
    void GetNextAssoc(MapPosition& position, CStringExt& key, CStringExt& value) const;
    int32_t GetCount() const { return m_nCount; }
    uint32_t GetBucketCount() const { return m_nBuckets; }

    // Sets the bucket count (a count of 0 is refused) and, with allocate, allocates the
    // zero-filled bucket array. Refused (false) while the map holds elements, whose
    // nodes the old array would otherwise lose.
    bool InitHashTable(uint32_t buckets, bool allocate);

    // h = h * 33 + byte, the byte taken as a signed 8-bit value, in 32-bit unsigned arithmetic.
    static uint32_t HashKey(const char* key);

private:
    CAssoc* NewAssoc();
    void FreeAll();

    using NodeStorage = typename std::aligned_storage<sizeof(CAssoc), alignof(CAssoc)>::type;

    std::unique_ptr<CAssoc*[]> m_pBuckets;
    uint32_t m_nBuckets = kDefaultBucketCount;
    int32_t m_nCount = 0;
    struct CFreeNode
    {
        CFreeNode* next;
    };
    CFreeNode* m_pFreeList = nullptr;
    std::vector<std::unique_ptr<NodeStorage[]>> m_blocks;
    int32_t m_nNodesPerBlock;
};
