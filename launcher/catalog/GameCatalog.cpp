#include "GameCatalog.h"

#include "StringMap.h"
#include "TextUtil.h"

void CZeltoGenericEnumerator::RemoveAll()
{
    m_pairs.clear();
    m_nCursor = 0;
}

bool CZeltoGenericEnumerator::RemoveAt(const std::string& name)
{
    for (auto it = m_pairs.begin(); it != m_pairs.end(); ++it)
        if (EqualsNoCase(it->first, name))
        {
            m_pairs.erase(it);
            return true;
        }
    return false;
}

void CZeltoGenericEnumerator::SetAt(const std::string& name, const std::string& value)
{
    for (auto& pair : m_pairs)
        if (EqualsNoCase(pair.first, name))
        {
            pair.first = name;
            pair.second = value;
            return;
        }
    m_pairs.emplace_back(name, value);
}

CStringExt CZeltoGenericEnumerator::GetAt(const std::string& name) const
{
    for (const auto& pair : m_pairs)
        if (pair.first == name)
            return pair.second;
    return CStringExt();
}

bool CZeltoGenericEnumerator::GetNext(CStringExt& name, CStringExt& value)
{
    if (m_nCursor < 0 || m_nCursor >= Count())
    {
        name.clear();
        value.clear();
        return false;
    }
    const auto& pair = m_pairs[static_cast<size_t>(m_nCursor++)];
    name = pair.first;
    value = pair.second;
    return true;
}

bool AddAttributeOption(std::vector<CGameAttribute>& attributes, const std::string& attributeName,
                        const std::string& optionName, const std::string& optionText)
{
    for (auto& attribute : attributes)
        if (EqualsNoCase(attribute.name, attributeName))
        {
            attribute.options.emplace_back(optionName, optionText);
            return true;
        }
    return false;
}

CGameCompatibility::CGameCompatibility() : candidates(new CZeltoGameList) {}
CGameCompatibility::~CGameCompatibility() = default;

std::unique_ptr<CGameCompatibility> CGameCompatibility::Copy() const
{
    std::unique_ptr<CGameCompatibility> copy(new CGameCompatibility);
    copy->isDefault = isDefault;
    copy->compatible = compatible;
    copy->message = message;
    copy->title = title;
    copy->level = level;
    copy->style = style;
    copy->candidates = candidates->Copy();
    return copy;
}

std::unique_ptr<CZeltoGameVersion> CZeltoGameVersion::Copy() const
{
    std::unique_ptr<CZeltoGameVersion> copy(new CZeltoGameVersion);
    copy->extraParameters = extraParameters;
    copy->extraParameters.MoveToFirst();
    for (const auto& volume : volumes)
        copy->volumes.emplace_back(new CGameVolume(*volume));
    copy->techData = techData;
    copy->contextData = contextData;
    copy->attributes = attributes;
    copy->number = number;
    copy->name = name;
    copy->description = description;
    copy->subVersion = subVersion;
    copy->operatingSystem = operatingSystem;
    copy->language = language;
    copy->lowVersionName = lowVersionName;
    copy->id = id;
    copy->lowerBound = lowerBound;
    copy->lowerInclusive = lowerInclusive;
    copy->upperBound = upperBound;
    copy->upperInclusive = upperInclusive;
    copy->numericCompare = numericCompare;
    copy->stringCompare = stringCompare;
    copy->launchMessage = launchMessage;
    copy->launchMessageTitle = launchMessageTitle;
    copy->launchMessageStyle = launchMessageStyle;
    copy->iconFile = iconFile;
    for (const auto& compatibility : compatibilities)
        copy->compatibilities.push_back(compatibility->Copy());
    return copy;
}

CGameVolume* CZeltoGameVersion::FindVolume(const std::string& volumeName)
{
    for (const auto& volume : volumes)
        if (EqualsNoCase(volume->name, volumeName))
            return volume.get();
    return nullptr;
}

CGameVolume* CZeltoGameVersion::VolumeAt(int32_t index)
{
    return index >= 0 && index < VolumeCount() ? volumes[static_cast<size_t>(index)].get() : nullptr;
}

CGameVolume* CZeltoGameVersion::CreateVolume(const std::string& volumeName)
{
    if (CGameVolume* found = FindVolume(volumeName))
        return found;
    volumes.emplace_back(new CGameVolume);
    volumes.back()->name = volumeName;
    return volumes.back().get();
}

void CZeltoGameVersion::RemoveAllVolumesBut(const std::string& keep)
{
    for (size_t i = volumes.size(); i-- > 0;)
        if (!EqualsNoCase(volumes[i]->name, keep))
            volumes.erase(volumes.begin() + static_cast<std::ptrdiff_t>(i));
}

CStringExt CZeltoGameVersion::Dump() const
{
    CStringExt out = "[VID:" + id + "] [Nbr:" + number + "] [Sub:" + subVersion + "] [OS:" + operatingSystem +
                     "] [Lang:" + language + "] <" + name + ">";
    if (!lowerBound.empty() || !upperBound.empty())
        out += " [" + lowerBound + (lowerInclusive ? "<=" : "<") + "v" + (upperInclusive ? "<=" : "<") + upperBound +
               "]";
    out += " [Status:" + std::to_string(contextData.localInstallStatus) +
           "] [Volumes:" + std::to_string(volumes.size()) + "]";
    return out;
}

CZeltoGame::CZeltoGame() : versions(new CZeltoGameVersionList) {}
CZeltoGame::~CZeltoGame() = default;

std::unique_ptr<CZeltoGame> CZeltoGame::Copy() const
{
    std::unique_ptr<CZeltoGame> copy(new CZeltoGame);
    for (int32_t i = 0; i < versions->Count(); ++i)
        copy->versions->Add(versions->GetAt(i)->Copy());
    copy->techData = techData;
    copy->extraParameters = extraParameters;
    copy->extraParameters.MoveToFirst();
    copy->id = id;
    copy->subId = subId;
    copy->name = name;
    copy->description = description;
    copy->technoId = technoId;
    copy->definitionScript = definitionScript;
    copy->compatibilityScript = compatibilityScript;
    copy->definitionVersion = definitionVersion;
    copy->attributes = attributes;
    return copy;
}

CStringExt CZeltoGame::Dump() const
{
    CStringExt out = "[ID:" + id + "] [Sub:" + subId + "] <" + name + ">";
    out += "{ " + std::to_string(versions->Count()) + " versions ";
    for (int32_t i = 0; i < versions->Count(); ++i)
        out += ":: " + versions->GetAt(i)->Dump() + " ";
    out += "}";
    return out;
}

int32_t CZeltoGameList::RawIndex(int32_t index) const
{
    if (index < 0)
        return -1;
    if (m_sFilter.empty())
        return index < static_cast<int32_t>(m_items.size()) ? index : -1;
    for (size_t i = 0; i < m_items.size(); ++i)
        if (EqualsNoCase(m_items[i]->technoId, m_sFilter) && index-- == 0)
            return static_cast<int32_t>(i);
    return -1;
}

int32_t CZeltoGameList::Count() const
{
    if (m_sFilter.empty())
        return COwningList<CZeltoGame>::Count();
    int32_t count = 0;
    for (const auto& game : m_items)
        count += EqualsNoCase(game->technoId, m_sFilter) ? 1 : 0;
    return count;
}

CZeltoGame* CZeltoGameList::GetAt(int32_t index) const
{
    return COwningList<CZeltoGame>::GetAt(RawIndex(index));
}

bool CZeltoGameList::RemoveAt(int32_t index)
{
    return COwningList<CZeltoGame>::RemoveAt(RawIndex(index));
}

bool CZeltoGameList::SetAt(int32_t index, std::unique_ptr<CZeltoGame> game)
{
    return COwningList<CZeltoGame>::SetAt(RawIndex(index), std::move(game));
}

std::unique_ptr<CZeltoGameList> CZeltoGameList::Copy() const
{
    std::unique_ptr<CZeltoGameList> copy(new CZeltoGameList);
    for (const auto& game : m_items)
        copy->Add(game->Copy());
    return copy;
}

CStringExt TechnoIdOf(const CZeltoGame* game)
{
    return game != nullptr ? game->technoId : CStringExt();
}

int32_t SetLaunchModeAndVerb(CZeltoGame* game, int32_t mode, const std::string& verb)
{
    if (game == nullptr)
        return 0;
    for (int32_t i = 0; i < game->versions->Count(); ++i)
    {
        game->versions->GetAt(i)->contextData.launchMode = mode;
        game->versions->GetAt(i)->contextData.launchVerb = verb;
    }
    return game->versions->Count();
}

int32_t VolumeToMap(const CZeltoGenericEnumerator& volume, CStringMap& map)
{
    for (const auto& pair : volume.Pairs())
        if (!pair.first.empty())
            map.SetAt(pair.first, pair.second.c_str());
    return map.GetCount();
}

namespace
{
void ExpandReferences(CStringExt& text, const CZeltoGenericEnumerator& volume)
{
    for (const auto& pair : volume.Pairs())
        if (!pair.first.empty())
            ReplaceAll(text, ("%" + pair.first + "%").c_str(), pair.second.c_str());
}
} // namespace

int32_t ExpandTechData(CZeltoGame* game)
{
    if (game == nullptr)
        return 0;
    for (int32_t i = 0; i < game->versions->Count(); ++i)
    {
        CZeltoGameVersion* version = game->versions->GetAt(i);
        for (const auto& volume : version->volumes)
        {
            ExpandReferences(version->techData.plugData, volume->pairs);
            ExpandReferences(version->techData.rawData, volume->pairs);
        }
    }
    return game->versions->Count();
}
