// The launch items: "launchinfo" names the launch game, verb and mode;
// "launchinit" turns them into one installed game version (local games,
// definition and compatibility scripts, the plugs' search and check, the
// user's choice) and sets the launch variables and the upload string;
// "launchgame" starts that game through its plug and watches it to its end.
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

// A launch plug as launchgame drives it. Going (destruction) terminates and
// releases the plug. Each call answers false when the call itself failed (the
// plug's process has gone, for one); result then holds nothing useful.
class IGamePlug
{
public:
    virtual ~IGamePlug() = default;
    // Makes the game's catalogue object that the following launch calls hand to
    // the plug; false when it cannot be made. DropGame lets it go.
    virtual bool MakeGame(CZeltoGame& game) = 0;
    virtual void DropGame() = 0;
    virtual bool PreLaunchGame(int32_t& result) = 0;
    virtual bool LaunchGame(int32_t& result) = 0;
    virtual bool PostLaunchGame(int32_t& result) = 0;
    virtual bool IsGameRunning(int32_t& running) = 0;
    virtual bool KillGame(int32_t& result) = 0;
};

// What launchinit and launchgame need of the platform.
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
    // The plug of technoid made through the site (item: the callback of its
    // container) and initialised; null when it cannot be made.
    virtual std::unique_ptr<IGamePlug> CreateGamePlug(CPlugSite& /*site*/, CScriptItem* /*item*/,
                                                      const std::string& /*technoid*/)
    {
        return nullptr;
    }

protected:
    ~ILaunchHost() = default;
};

// The item of keyword ("launchinit", "launchinfo" or "launchgame"), or null.
std::unique_ptr<CScriptItem> NewLaunchItem(const std::string& keyword);

// An upload value as it goes between double quotes: markup characters as entities.
std::string EscapeUploadValue(const std::string& value);
