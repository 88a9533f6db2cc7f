// The game catalogue's engine objects: games, versions, their technology and context
// data, name/value dictionaries, attribute and compatibility records, and the lists
// that own them. Texts are single-byte strings; every field is empty (or 0) when made.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "StringExt.h"

class CStringMap;
class CZeltoGameList;

// Name/value pairs in insertion order with a cursor. Setting and removing compare names
// without regard to case; getting by name compares them exactly.
class CZeltoGenericEnumerator
{
public:
    int32_t Count() const { return static_cast<int32_t>(m_pairs.size()); }
    void RemoveAll();
    // Removes the first pair so named (any case); false when there is none.
    bool RemoveAt(const std::string& name);
    // Replaces name and value of the pair so named (any case), else appends a pair.
    void SetAt(const std::string& name, const std::string& value);
    // The value of the first pair named exactly so; empty when there is none.
    CStringExt GetAt(const std::string& name) const;
    void MoveToFirst() { m_nCursor = 0; }
    // The pair at the cursor, which moves on; false with empty texts at the end.
    bool GetNext(CStringExt& name, CStringExt& value);
    const std::vector<std::pair<CStringExt, CStringExt>>& Pairs() const { return m_pairs; }

private:
    std::vector<std::pair<CStringExt, CStringExt>> m_pairs;
    int32_t m_nCursor = 0;
};

struct CZeltoGameTechData
{
    CStringExt rawData;
    CStringExt plugData;
};

struct CZeltoGameVersionContextData
{
    int32_t localInstallStatus = 0; // 0 unknown, 1 found, -1 checked and absent
    int32_t launchMode = 0;         // 1 straight, 2 compat
    CStringExt launchVerb;
};

struct CGameAttribute
{
    CStringExt name;
    CStringExt displayName;
    bool editable = false;
    bool hidden = false;
    CStringExt type;
    CStringExt value;
    std::vector<std::pair<CStringExt, CStringExt>> options; // name, text
};

// Adds an option to the record whose name equals attributeName (any case); false when
// there is none.
bool AddAttributeOption(std::vector<CGameAttribute>& attributes, const std::string& attributeName,
                        const std::string& optionName, const std::string& optionText);

struct CGameVolume
{
    CStringExt name;
    CZeltoGenericEnumerator pairs;
};

struct CGameCompatibility
{
    CGameCompatibility();
    ~CGameCompatibility();
    std::unique_ptr<CGameCompatibility> Copy() const;

    bool isDefault = false;
    bool compatible = true;
    CStringExt message;
    CStringExt title;
    int32_t level = 0;
    uint32_t style = 0;
    std::unique_ptr<CZeltoGameList> candidates; // never null
};

class CZeltoGameVersion
{
public:
    std::unique_ptr<CZeltoGameVersion> Copy() const;

    // Volumes: found by name without regard to case.
    CGameVolume* FindVolume(const std::string& name);
    CGameVolume* VolumeAt(int32_t index);
    int32_t VolumeCount() const { return static_cast<int32_t>(volumes.size()); }
    CGameVolume* CreateVolume(const std::string& name);
    void RemoveAllVolumesBut(const std::string& keep);

    // "[VID:" ... for the log.
    CStringExt Dump() const;

    CZeltoGenericEnumerator extraParameters;
    std::vector<std::unique_ptr<CGameVolume>> volumes;
    CZeltoGameTechData techData;
    CZeltoGameVersionContextData contextData;
    std::vector<CGameAttribute> attributes;
    CStringExt number;
    CStringExt name;
    CStringExt description;
    CStringExt subVersion;
    CStringExt operatingSystem;
    CStringExt language;
    CStringExt lowVersionName;
    CStringExt id;
    CStringExt lowerBound;
    uint32_t lowerInclusive = 0;
    CStringExt upperBound;
    uint32_t upperInclusive = 0;
    uint32_t numericCompare = 0;
    uint32_t stringCompare = 0;
    CStringExt launchMessage;
    CStringExt launchMessageTitle;
    uint32_t launchMessageStyle = 0;
    CStringExt iconFile;
    std::vector<std::unique_ptr<CGameCompatibility>> compatibilities;
};

// An ordered array of owned elements.
template <class T> class COwningList
{
public:
    int32_t Count() const { return static_cast<int32_t>(m_items.size()); }
    T* GetAt(int32_t index) const
    {
        return index >= 0 && index < Count() ? m_items[static_cast<size_t>(index)].get() : nullptr;
    }
    // Deletes the element; false when the index finds none.
    bool RemoveAt(int32_t index)
    {
        if (index < 0 || index >= Count())
            return false;
        m_items.erase(m_items.begin() + index);
        return true;
    }
    // Deletes the element replaced; false (element deleted) when the index finds none.
    bool SetAt(int32_t index, std::unique_ptr<T> item)
    {
        if (index < 0 || index >= Count())
            return false;
        m_items[static_cast<size_t>(index)] = std::move(item);
        return true;
    }
    T* Add(std::unique_ptr<T> item)
    {
        m_items.push_back(std::move(item));
        return m_items.back().get();
    }

protected:
    std::vector<std::unique_ptr<T>> m_items;
};

class CZeltoGameVersionList : public COwningList<CZeltoGameVersion>
{
};

class CZeltoGame
{
public:
    CZeltoGame();
    ~CZeltoGame();
    std::unique_ptr<CZeltoGame> Copy() const;
    // "[ID:" ... with the versions, for the log.
    CStringExt Dump() const;

    std::unique_ptr<CZeltoGameVersionList> versions; // never null
    CZeltoGameTechData techData;
    CZeltoGenericEnumerator extraParameters;
    CStringExt id;
    CStringExt subId;
    CStringExt name;
    CStringExt description;
    CStringExt technoId;
    CStringExt definitionScript;
    CStringExt compatibilityScript;
    CStringExt definitionVersion;
    std::vector<CGameAttribute> attributes;
};

// The games, with a technology filter: while it is set, Count, GetAt, RemoveAt and
// SetAt see only the games of that technology ID (any case); Add and Copy see all.
class CZeltoGameList : private COwningList<CZeltoGame>
{
public:
    int32_t Count() const;
    CZeltoGame* GetAt(int32_t index) const;
    bool RemoveAt(int32_t index);
    bool SetAt(int32_t index, std::unique_ptr<CZeltoGame> game);
    using COwningList<CZeltoGame>::Add;
    void SetTechnoFilter(const std::string& technoId) { m_sFilter = technoId; }
    const CStringExt& TechnoFilter() const { return m_sFilter; }
    std::unique_ptr<CZeltoGameList> Copy() const;
    // Every game, whatever the filter.
    const std::vector<std::unique_ptr<CZeltoGame>>& All() const { return m_items; }

private:
    int32_t RawIndex(int32_t index) const; // -1 when the filtered index finds nothing
    CStringExt m_sFilter;
};

// Launch helpers.
CStringExt TechnoIdOf(const CZeltoGame* game);
// Mode and verb into every version's context data; the number of versions.
int32_t SetLaunchModeAndVerb(CZeltoGame* game, int32_t mode, const std::string& verb);
// Every pair with a non-empty name into the map, in order; the map's count.
int32_t VolumeToMap(const CZeltoGenericEnumerator& volume, CStringMap& map);
// For every version and volume: "%name%" in plug data and raw data replaced by the
// volume's values. The number of versions.
int32_t ExpandTechData(CZeltoGame* game);
