#include "LaunchPlatform.h"

#include "GameManagerDlg.h"
#include "LocalGameData.h"
#include "LudexPlugs.h"
#include "ZeltoCatalogCom.h"

bool CLaunchPlatform::RunPlugOnGameList(CPlugSite& site, CScriptItem* item, const std::string& technoid,
                                        CZeltoGameList& list, bool update, int32_t& result)
{
    result = 0;
    ILudexPlug* plug = CreatePlugObject(site, technoid, item);
    if (!plug)
        return false;
    {
        // The plug sees the list through wrappers that end with the call.
        CCatalogLease lease(&list);
        IZeltoGameList* games = lease.GameList();
        if (games)
        {
            games->AddRef();
            long answer = 0;
            if (update)
                plug->UpdateGameList(&games, &answer);
            else
                plug->CheckGameList(&games, &answer);
            // Whatever the plug left in the pointer is released here.
            if (games)
                games->Release();
            result = answer;
        }
    }
    ReleasePlugObject(site, plug);
    return true;
}

std::unique_ptr<CZeltoGameList> CLaunchPlatform::LoadLocalGames()
{
    std::unique_ptr<CZeltoGameList> list = LoadLocalGameList();
    return list ? std::move(list) : std::make_unique<CZeltoGameList>();
}

bool CLaunchPlatform::SaveLocalGames(const CZeltoGameList& list)
{
    return SaveLocalGameList(list);
}

bool CLaunchPlatform::ChooseGame(CZeltoGameList& list, SGameChoice& choice)
{
    CGameManagerDlg dialog;
    dialog.SetList(&list, CGameManagerDlg::kModeChoice);
    if (dialog.Run(GetActiveWindow()) != 1 || !dialog.SelectedVersion())
        return false;
    choice.version = dialog.SelectedVersion();
    choice.volume = dialog.SelectedInstanceName();
    return true;
}
