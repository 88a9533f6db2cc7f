#include "LocalGameData.h"

#include "GameDefinitions.h"
#include "GameMatching.h"
#include "Registry.h"

const char* const kLocalDataKey = "HKEY_CURRENT_USER\\Software\\Zelto\\Ludex\\localdata";
const char* const kLocalDataValue = "GameData";

CStringExt ReadLocalGameData()
{
    return UnscrambleLocalData(RegReadValue(kLocalDataKey, kLocalDataValue, ""));
}

bool WriteLocalGameData(const std::string& document)
{
    return RegWriteValue(kLocalDataKey, kLocalDataValue, ScrambleLocalData(document).c_str(), REG_SZ) == 1;
}

std::unique_ptr<CZeltoGameList> LoadLocalGameList()
{
    const CStringExt document = ReadLocalGameData();
    // In-memory text only: the stored document is never taken for an address.
    return ParseGameDefinitions(document.empty() ? std::string() : "STR://" + document, kGameDefNamespace);
}

bool SaveLocalGameList(const CZeltoGameList& list)
{
    return WriteLocalGameData(WriteGameDefinitions(list, kGameDefNamespace));
}

int32_t MergeDefinitionsIntoLocalData(const std::string& definitions)
{
    int32_t error = 0;
    auto games = ParseGameDefinitions(definitions, kGameDefNamespace, &error);
    if (error != 0)
        return error;
    auto local = LoadLocalGameList();
    MergeIntoLocal(*local, *games);
    return SaveLocalGameList(*local) ? 0 : -1;
}
