// The games remembered on this machine: one game-definition document, scrambled, in
// HKCU "Software\Zelto\Ludex\localdata" value "GameData".
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "GameCatalog.h"

extern const char* const kLocalDataKey;
extern const char* const kLocalDataValue;

// Empty when the value is missing.
CStringExt ReadLocalGameData();
bool WriteLocalGameData(const std::string& document);
std::unique_ptr<CZeltoGameList> LoadLocalGameList();
bool SaveLocalGameList(const CZeltoGameList& list);
// Merges the games of a definitions document into the saved list. A document that
// does not load leaves the saved list as it was and gives its error code; 0 when merged.
int32_t MergeDefinitionsIntoLocalData(const std::string& definitions);
