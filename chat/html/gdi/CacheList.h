// The list behind the renderer's reference-counted caches of fonts, brushes
// and images: one entry per key, lent out by get and deleted by the last
// release.
#pragma once

#include <list>

namespace FdHtml
{
template <class Key, class Object> struct SCacheEntry
{
    int refs;
    Key key;
    Object object;
};

template <class Key, class Object> class CCacheList
{
public:
    using List = std::list<SCacheEntry<Key, Object>>;

    // Shared: the process-wide list given; otherwise a private list, deleted
    // with the cache.
    CCacheList(List* pShared, bool boShared) : m_pList(boShared ? pShared : new List), m_boOwns(!boShared) {}
    ~CCacheList()
    {
        if (m_boOwns)
            delete m_pList;
    }
    CCacheList(const CCacheList&) = delete;
    CCacheList& operator=(const CCacheList&) = delete;

    // The entry whose key equals key gets one more reference; otherwise
    // make(key) makes the object, and a null object makes no entry.
    template <class Make> Object get(const Key& key, Make make)
    {
        for (auto& e : *m_pList)
        {
            if (e.key == key)
            {
                ++e.refs;
                return e.object;
            }
        }
        Object object = make(key);
        if (object)
            m_pList->push_back({1, key, object});
        return object;
    }

    // One reference less; the last one destroys the object and the entry.
    // An object not in the list is ignored.
    template <class Destroy> void release(Object object, Destroy destroy)
    {
        if (!object)
            return;
        for (auto it = m_pList->begin(); it != m_pList->end(); ++it)
        {
            if (it->object == object)
            {
                if (--it->refs <= 0)
                {
                    destroy(object);
                    m_pList->erase(it);
                }
                return;
            }
        }
    }

    List& entries() { return *m_pList; }

private:
    List* m_pList;
    bool m_boOwns;
};
} // namespace FdHtml
