#include "GameMatching.h"

#include "NumberText.h"
#include "TextUtil.h"

namespace
{
// The reference's field is the value, the entry's the pattern.
bool FieldMatches(const CStringExt& entry, const CStringExt& reference)
{
    return reference.empty() || StrMatchesPattern(reference, entry);
}
} // namespace

bool GameMatches(const CZeltoGame& entry, const CZeltoGame& reference, bool checkSubId)
{
    if (!FieldMatches(entry.id, reference.id))
        return false;
    if (checkSubId && !reference.subId.empty())
        return StrMatchesPattern(reference.subId, entry.subId);
    return true;
}

bool VersionInRange(const std::string& value, const CZeltoGameVersion& range)
{
    return IsValueInRange(value, range.lowerBound, range.lowerInclusive != 0, range.upperBound,
                          range.upperInclusive != 0, range.numericCompare != 0, range.stringCompare != 0);
}

bool VersionMatches(const CZeltoGameVersion& entry, const CZeltoGameVersion& reference)
{
    return FieldMatches(entry.id, reference.id) && FieldMatches(entry.number, reference.number) &&
           VersionInRange(entry.number, reference) && FieldMatches(entry.subVersion, reference.subVersion) &&
           FieldMatches(entry.operatingSystem, reference.operatingSystem) &&
           FieldMatches(entry.language, reference.language);
}

int32_t DropEmptyGames(CZeltoGameList& list)
{
    int32_t dropped = 0;
    for (int32_t i = list.Count(); i-- > 0;)
        if (list.GetAt(i)->versions->Count() == 0)
        {
            list.RemoveAt(i);
            ++dropped;
        }
    return dropped;
}

int32_t DropAbsentVersions(CZeltoGameList& list)
{
    int32_t dropped = 0;
    for (int32_t g = 0; g < list.Count(); ++g)
    {
        CZeltoGameVersionList& versions = *list.GetAt(g)->versions;
        for (int32_t v = versions.Count(); v-- > 0;)
            if (versions.GetAt(v)->contextData.localInstallStatus == -1)
            {
                versions.RemoveAt(v);
                ++dropped;
            }
    }
    return dropped;
}

void FilterByLaunchGame(CZeltoGameList& candidates, const CZeltoGame& launchGame, bool checkSubId,
                        bool checkVersions)
{
    for (int32_t i = candidates.Count(); i-- > 0;)
        if (!GameMatches(*candidates.GetAt(i), launchGame, checkSubId))
            candidates.RemoveAt(i);
    const CZeltoGameVersionList& wanted = *launchGame.versions;
    if (checkVersions && wanted.Count() > 0)
        for (int32_t g = 0; g < candidates.Count(); ++g)
        {
            CZeltoGameVersionList& versions = *candidates.GetAt(g)->versions;
            for (int32_t v = versions.Count(); v-- > 0;)
            {
                bool matched = false;
                for (int32_t w = 0; w < wanted.Count() && !matched; ++w)
                    matched = VersionMatches(*versions.GetAt(v), *wanted.GetAt(w));
                if (!matched)
                    versions.RemoveAt(v);
            }
        }
    DropEmptyGames(candidates);
}

std::vector<CZeltoGameVersion*> CollectVersions(const CZeltoGameList& list, const CZeltoGame* game,
                                                const CZeltoGameVersion* version)
{
    std::vector<CZeltoGameVersion*> found;
    for (int32_t g = 0; g < list.Count(); ++g)
    {
        const CZeltoGame& reference = *list.GetAt(g);
        if (game != nullptr && !GameMatches(*game, reference, true))
            continue;
        for (int32_t v = 0; v < reference.versions->Count(); ++v)
            if (version == nullptr || VersionMatches(*version, *reference.versions->GetAt(v)))
                found.push_back(reference.versions->GetAt(v));
    }
    return found;
}

std::vector<CStringExt> DistinctTechnoIds(const CZeltoGameList& list)
{
    std::vector<CStringExt> ids;
    for (int32_t g = 0; g < list.Count(); ++g)
    {
        const CStringExt& id = list.GetAt(g)->technoId;
        if (id.empty())
            continue;
        bool seen = false;
        for (const auto& known : ids)
            seen = seen || EqualsNoCase(known, id);
        if (!seen)
            ids.push_back(id);
    }
    return ids;
}

CZeltoGame* FindGame(const CZeltoGameList& list, const CZeltoGame& game)
{
    for (int32_t g = 0; g < list.Count(); ++g)
        if (GameMatches(*list.GetAt(g), game, true))
            return list.GetAt(g);
    return nullptr;
}

void MergeIntoLocal(CZeltoGameList& local, const CZeltoGameList& definitions)
{
    for (int32_t g = 0; g < local.Count(); ++g)
        if (const CZeltoGame* definition = FindGame(definitions, *local.GetAt(g)))
            local.SetAt(g, definition->Copy());
    for (int32_t d = 0; d < definitions.Count(); ++d)
        if (FindGame(local, *definitions.GetAt(d)) == nullptr)
            local.Add(definitions.GetAt(d)->Copy());
    DropAbsentVersions(local);
}

bool CheckDefinitionVersion(const CZeltoGameList& candidates, const std::string& launchDefinitionVersion)
{
    const double wanted = TextToDouble(launchDefinitionVersion.c_str());
    if (launchDefinitionVersion.empty() || wanted <= 0)
        return true;
    double smallest = -1;
    for (int32_t g = 0; g < candidates.Count(); ++g)
    {
        const CStringExt& text = candidates.GetAt(g)->definitionVersion;
        const double version = TextToDouble(text.c_str());
        if (!text.empty() && version > 0 && (smallest < 0 || version < smallest))
            smallest = version;
    }
    return !(wanted > smallest);
}

CCompatibilityVerdict CompatibilityOf(const std::vector<CZeltoGameVersion*>& described, const CZeltoGame& game,
                                      const CZeltoGameVersion& version)
{
    CCompatibilityVerdict verdict;
    const CGameCompatibility* fallback = nullptr;
    int32_t bestLevel = -1;
    for (const CZeltoGameVersion* reference : described)
        for (const auto& record : reference->compatibilities)
        {
            if (CollectVersions(*record->candidates, &game, &version).empty())
                continue;
            if (record->level > bestLevel)
            {
                bestLevel = record->level;
                verdict.result = record->compatible ? 1 : 0;
                verdict.message = record->message;
                verdict.title = record->title;
                verdict.style = record->style;
            }
            if (record->isDefault)
                fallback = record.get();
        }
    if (verdict.result == -1 && fallback != nullptr)
    {
        verdict.result = fallback->compatible ? 1 : 0;
        verdict.message = fallback->message;
        verdict.title = fallback->title;
        verdict.style = fallback->style;
    }
    return verdict;
}

int32_t ApplyCompatibility(CZeltoGameList& candidates, const CZeltoGameList& compatibilityList,
                           const CZeltoGame& launchGame)
{
    const CZeltoGameVersion* launchVersion = launchGame.versions->GetAt(0);
    const std::vector<CZeltoGameVersion*> described = CollectVersions(compatibilityList, &launchGame, launchVersion);
    int32_t kept = 0;
    for (int32_t g = 0; g < candidates.Count(); ++g)
    {
        CZeltoGame& game = *candidates.GetAt(g);
        for (int32_t v = game.versions->Count(); v-- > 0;)
        {
            CZeltoGameVersion& version = *game.versions->GetAt(v);
            const CCompatibilityVerdict verdict = CompatibilityOf(described, game, version);
            if (verdict.result != 1)
            {
                game.versions->RemoveAt(v);
                continue;
            }
            version.launchMessage = verdict.message;
            version.launchMessageTitle = verdict.title;
            version.launchMessageStyle = verdict.style;
            ++kept;
        }
    }
    DropEmptyGames(candidates);
    return kept;
}
