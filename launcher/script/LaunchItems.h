// The launch items: "launchinfo" names the launch game, verb and mode;
// "launchinit" turns them into one installed game version (local games,
// definition and compatibility scripts, the plugs' search and check, the
// user's choice) and sets the launch variables and the upload string.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "GameCatalog.h"
#include "ScriptItem.h"

class CPlugSite;

// The user's pick in the game choice dialog: a version of the list and, when
// one was picked, the name of one of its volumes.
struct SGameChoice
{
    const CZeltoGameVersion* version = nullptr;
    CStringExt volume;
};

// What launchinit needs of the platform.
class ILaunchHost
{
public:
    // Creates the plug of technoid through the site (item: the callback of its
    // container) and runs UpdateGameList (update) or CheckGameList on the list;
    // false when no plug could be created. result: the plug's answer.
    virtual bool RunPlugOnGameList(CPlugSite& site, CScriptItem* item, const std::string& technoid,
                                   CZeltoGameList& list, bool update, int32_t& result) = 0;
    // The games remembered on this machine; never null.
    virtual std::unique_ptr<CZeltoGameList> LoadLocalGames() = 0;
    virtual bool SaveLocalGames(const CZeltoGameList& list) = 0;
    // The game choice dialog on the list; false when the user cancelled.
    virtual bool ChooseGame(CZeltoGameList& list, SGameChoice& choice) = 0;

protected:
    ~ILaunchHost() = default;
};

// The item of keyword ("launchinit" or "launchinfo"), or null.
std::unique_ptr<CScriptItem> NewLaunchItem(const std::string& keyword);

// An upload value as it goes between double quotes: markup characters as entities.
std::string EscapeUploadValue(const std::string& value);
