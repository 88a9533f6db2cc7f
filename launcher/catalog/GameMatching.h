// Matching catalogue entries against reference games and versions, version ranges,
// filtering, merging and the compatibility decision of the launch.
#pragma once

#include <cstdint>
#include <vector>

#include "GameCatalog.h"

// The entry's fields are the patterns, the reference's the values; a field takes part
// only when the reference's is not empty.
bool GameMatches(const CZeltoGame& entry, const CZeltoGame& reference, bool checkSubId);
// The entry's version number is also tested against the reference's range.
bool VersionMatches(const CZeltoGameVersion& entry, const CZeltoGameVersion& reference);
bool VersionInRange(const std::string& value, const CZeltoGameVersion& range);

void FilterByLaunchGame(CZeltoGameList& candidates, const CZeltoGame& launchGame, bool checkSubId,
                        bool checkVersions);
int32_t DropEmptyGames(CZeltoGameList& list);
int32_t DropAbsentVersions(CZeltoGameList& list);
// The list's games and versions are the references here.
std::vector<CZeltoGameVersion*> CollectVersions(const CZeltoGameList& list, const CZeltoGame* game,
                                                const CZeltoGameVersion* version);
std::vector<CStringExt> DistinctTechnoIds(const CZeltoGameList& list);
CZeltoGame* FindGame(const CZeltoGameList& list, const CZeltoGame& game);
void MergeIntoLocal(CZeltoGameList& local, const CZeltoGameList& definitions);
bool CheckDefinitionVersion(const CZeltoGameList& candidates, const std::string& launchDefinitionVersion);

struct CCompatibilityVerdict
{
    int32_t result = -1; // 1 compatible, 0 incompatible, -1 undecided
    CStringExt message;
    CStringExt title;
    uint32_t style = 0;
};
CCompatibilityVerdict CompatibilityOf(const std::vector<CZeltoGameVersion*>& described, const CZeltoGame& game,
                                      const CZeltoGameVersion& version);
// Keeps the candidate versions found compatible, with their launch messages; the
// number kept.
int32_t ApplyCompatibility(CZeltoGameList& candidates, const CZeltoGameList& compatibilityList,
                           const CZeltoGame& launchGame);
