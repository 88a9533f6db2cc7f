#include "LaunchPlatform.h"

#include "GameManagerDlg.h"
#include "LocalGameData.h"
#include "LudexPlugs.h"
#include "ZeltoCatalogCom.h"

namespace
{
// A launch plug reached through COM. The plug's methods answer S_OK: a failed
// result means the call never reached it (its process has gone).
class CComGamePlug : public IGamePlug
{
public:
    CComGamePlug(CPlugSite& site, ILudexPlug* plug) : m_site(site), m_pPlug(plug) {}
    ~CComGamePlug() override
    {
        // The game's wrappers are detached before the plug goes.
        DropGame();
        ReleasePlugObject(m_site, m_pPlug);
    }
    CComGamePlug(const CComGamePlug&) = delete;
    CComGamePlug& operator=(const CComGamePlug&) = delete;

    bool MakeGame(CZeltoGame& game) override
    {
        m_lease = std::make_unique<CCatalogLease>(&game);
        if (m_lease->Game())
            return true;
        m_lease.reset();
        return false;
    }
    void DropGame() override { m_lease.reset(); }

    bool PreLaunchGame(int32_t& result) override
    {
        return WithGame(result, [this](IZeltoGame** game, long* answer)
                        { return m_pPlug->PreLaunchGame(game, answer); });
    }
    bool LaunchGame(int32_t& result) override
    {
        return WithGame(result, [this](IZeltoGame** game, long* answer)
                        { return m_pPlug->LaunchGame(game, answer); });
    }
    bool PostLaunchGame(int32_t& result) override
    {
        return WithGame(result, [this](IZeltoGame** game, long* answer)
                        { return m_pPlug->PostLaunchGame(game, answer); });
    }
    bool IsGameRunning(int32_t& running) override
    {
        long answer = running;
        if (FAILED(m_pPlug->IsGameRunning(&answer)))
            return false;
        running = answer;
        return true;
    }
    bool KillGame(int32_t& result) override
    {
        long answer = 0;
        if (FAILED(m_pPlug->KillGame(&answer)))
            return false;
        result = answer;
        return true;
    }

private:
    template <class Call> bool WithGame(int32_t& result, Call call)
    {
        IZeltoGame* game = m_lease ? m_lease->Game() : nullptr;
        if (!game)
            return false;
        game->AddRef();
        long answer = 0;
        const HRESULT hr = call(&game, &answer);
        // Whatever the plug left in the pointer is released here.
        if (game)
            game->Release();
        if (FAILED(hr))
            return false;
        result = answer;
        return true;
    }

    CPlugSite& m_site;
    ILudexPlug* m_pPlug; // one reference, given back by ReleasePlugObject
    std::unique_ptr<CCatalogLease> m_lease;
};
} // namespace

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

std::unique_ptr<IGamePlug> CLaunchPlatform::CreateGamePlug(CPlugSite& site, CScriptItem* item,
                                                           const std::string& technoid)
{
    ILudexPlug* plug = CreatePlugObject(site, technoid, item);
    if (!plug)
        return nullptr;
    return std::make_unique<CComGamePlug>(site, plug);
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
