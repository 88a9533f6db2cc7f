// What launchinit and launchgame need of Windows: the launch plugs through COM,
// the local game data in the registry, and the game choice dialog.
#pragma once

#include "LaunchItems.h"

class CLaunchPlatform : public ILaunchHost
{
public:
    bool RunPlugOnGameList(CPlugSite& site, CScriptItem* item, const std::string& technoid,
                           CZeltoGameList& list, bool update, int32_t& result) override;
    std::unique_ptr<CZeltoGameList> LoadLocalGames() override;
    bool SaveLocalGames(const CZeltoGameList& list) override;
    bool ChooseGame(CZeltoGameList& list, SGameChoice& choice) override;
    std::unique_ptr<IGamePlug> CreateGamePlug(CPlugSite& site, CScriptItem* item,
                                              const std::string& technoid) override;
};
