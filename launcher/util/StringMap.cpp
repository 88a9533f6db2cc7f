#include "StringMap.h"

#include <new>

void DestroyStringArray(CStringExt* strings, int32_t n)
{
    for (int32_t i = 0; i < n; ++i)
        strings[i].~CStringExt();
}

CStringMap::CStringMap(int32_t nodesPerBlock) : m_nNodesPerBlock(nodesPerBlock > 0 ? nodesPerBlock : 1) {}

CStringMap::~CStringMap()
{
    FreeAll();
}

void CStringMap::FreeAll()
{
    if (m_pBuckets)
    {
        for (uint32_t b = 0; b < m_nBuckets; ++b)
            for (CAssoc* node = m_pBuckets[b]; node != nullptr; node = node->next)
                DestroyStringArray(node->keyValue, 2);
    }
    m_pBuckets.reset();
    m_blocks.clear();
    m_pFreeList = nullptr;
    m_nCount = 0;
}

uint32_t CStringMap::HashKey(const char* key)
{
    uint32_t h = 0;
    for (const char* p = key; *p != '\0'; ++p)
        h = h * 33u + static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(*p)));
    return h;
}

bool CStringMap::InitHashTable(uint32_t buckets, bool allocate)
{
    if (buckets == 0 || m_nCount > 0)
        return false;
    m_pBuckets.reset();
    if (allocate)
        m_pBuckets.reset(new CAssoc*[buckets]());
    m_nBuckets = buckets;
    return true;
}

CStringMap::CAssoc* CStringMap::GetAssocAt(const std::string& key, uint32_t& bucket) const
{
    bucket = HashKey(key.c_str()) % m_nBuckets;
    if (!m_pBuckets)
        return nullptr;
    for (CAssoc* node = m_pBuckets[bucket]; node != nullptr; node = node->next)
        if (node->keyValue[0] == key)
            return node;
    return nullptr;
}

CStringMap::CAssoc* CStringMap::NewAssoc()
{
    if (m_pFreeList == nullptr)
    {
        std::unique_ptr<NodeStorage[]> block(new NodeStorage[static_cast<size_t>(m_nNodesPerBlock)]);
        // Pushed from the last node to the first, so the first node is handed out first.
        for (int32_t i = m_nNodesPerBlock - 1; i >= 0; --i)
        {
            m_pFreeList = new (&block[static_cast<size_t>(i)]) CFreeNode{m_pFreeList};
        }
        m_blocks.push_back(std::move(block));
    }
    void* raw = m_pFreeList;
    m_pFreeList = m_pFreeList->next;
    CAssoc* node = new (raw) CAssoc{nullptr, 0, {CStringExt(), CStringExt()}};
    ++m_nCount;
    return node;
}

CStringExt& CStringMap::operator[](const std::string& key)
{
    uint32_t bucket = 0;
    if (CAssoc* found = GetAssocAt(key, bucket))
        return found->keyValue[1];
    if (!m_pBuckets)
        m_pBuckets.reset(new CAssoc*[m_nBuckets]());
    CAssoc* node = NewAssoc();
    node->bucket = bucket;
    node->keyValue[0] = key;
    node->next = m_pBuckets[bucket];
    m_pBuckets[bucket] = node;
    return node->keyValue[1];
}

bool CStringMap::Lookup(const std::string& key, CStringExt& value) const
{
    uint32_t bucket = 0;
    const CAssoc* node = GetAssocAt(key, bucket);
    if (node == nullptr)
        return false;
    value = node->keyValue[1];
    return true;
}

void CStringMap::SetAt(const std::string& key, const char* value)
{
    (*this)[key] = value != nullptr ? value : "";
}

void CStringMap::GetNextAssoc(MapPosition& position, CStringExt& key, CStringExt& value) const
{
    if (position == kMapEnd || !m_pBuckets)
    {
        position = kMapEnd;
        return;
    }
    const CAssoc* node = nullptr;
    if (position == kMapStart)
    {
        for (uint32_t b = 0; b < m_nBuckets && node == nullptr; ++b)
            node = m_pBuckets[b];
        if (node == nullptr)
        {
            position = kMapEnd;
            return;
        }
    }
    else
        node = reinterpret_cast<const CAssoc*>(position);

    key = node->keyValue[0];
    value = node->keyValue[1];

    const CAssoc* next = node->next;
    for (uint32_t b = node->bucket + 1; next == nullptr && b < m_nBuckets; ++b)
        next = m_pBuckets[b];
    position = reinterpret_cast<MapPosition>(next);
}
