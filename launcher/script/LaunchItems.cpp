#include "LaunchItems.h"

#include <vector>

#include "GameDefinitions.h"
#include "GameMatching.h"
#include "LaunchPart.h"
#include "LaunchScript.h"
#include "TextUtil.h"

namespace
{
constexpr uint32_t kTopmost = 0x00040000;    // MB_TOPMOST
constexpr uint32_t kOkCancelQuestion = 0x21; // MB_OKCANCEL | MB_ICONQUESTION
constexpr uint32_t kRetryCancelQuestion = 0x25;
constexpr uint32_t kInformationTopmost = 0x40040;
constexpr int32_t kIdCancel = 2;
constexpr int32_t kIdAbort = 3;
constexpr int32_t kIdNo = 7;
constexpr int32_t kPlugCancelled = 2; // a plug's answer: the user cancelled its search
const char kIndent[] = "\t    ";

int32_t VersionCount(const CZeltoGameList& list)
{
    int32_t count = 0;
    for (int32_t g = 0; g < list.Count(); ++g)
        count += list.GetAt(g)->versions->Count();
    return count;
}

// " [Games: g Versions: v]\n"
std::string Counts(const CZeltoGameList& list)
{
    return " [Games: " + std::to_string(list.Count()) + " Versions: " + std::to_string(VersionCount(list)) +
           "]\n";
}

// ------------------------------------------------------------------ launchinfo

class CItemLaunchInfo : public CScriptItem
{
public:
    const char* GetKeyword() const override { return "launchinfo"; }
    int32_t StateProc(int32_t) override
    {
        CXmlTag* info = m_doc.GetNextSubTagNamed("launchinfo", nullptr);
        CLaunchPart* part = GetOwner();
        if (!info || !part)
            return kOver;
        m_log << kIndent << "CmdSateProc::LaunchInfo\n";
        if (CXmlTag* game = info->GetNextSubTagNamed("launchgame", nullptr))
        {
            std::unique_ptr<CZeltoGameList> games =
                ParseGameDefinitions(game->DumpXml(false), kGameLaunchNamespace);
            if (games && games->Count() > 0)
            {
                part->SetCurrentGame(games->GetAt(0));
                m_log << kIndent << "Launch Game : " << games->GetAt(0)->Dump() << "\n";
            }
            else
                m_log << kIndent << "ERROR No Launch Game defined in the LaunchScript\n";
        }
        if (CXmlTag* set = info->GetNextSubTagNamed("setlverb", nullptr))
        {
            const CStringExt verb = set->GetAttribute("verb", "");
            CStringExt mode = set->GetAttribute("lmode", "");
            if (mode.empty() && !verb.empty())
            {
                bool defined = false;
                for (CXmlTag* def = info->GetNextSubTagNamed("deflverb", nullptr); def && !defined;
                     def = info->GetNextSubTagNamed("deflverb", def))
                    if (EqualsNoCase(def->GetAttribute("verb", ""), verb))
                    {
                        mode = def->GetAttribute("lmode", "");
                        defined = true;
                    }
                if (!defined)
                    m_log << kIndent << "WARNING : launch verb [" << verb
                          << "] is not defined : <deflverb verb=\"launch verb\" lmode=straight/compat\\>!\n";
            }
            if (mode.empty())
                m_log << kIndent << "WARNING : incorrect launch verb/mode definition\n";
            else
            {
                m_log << kIndent << "Launch mode : " << mode << "\n";
                part->SetLaunchMode(LaunchModeOfWord(mode), verb);
            }
        }
        return kOver;
    }
};

// ------------------------------------------------------------------ launchinit

struct SUploadVar
{
    CStringExt name;
    CStringExt sendAs;
    bool sendEmpty = false;
};

class CItemLaunchInit : public CScriptItem
{
public:
    enum : int32_t
    {
        kInitLaunch = 0,
        kBuildCandidates = 2,
        kDownloadDefinitions = 3,
        kPlugSearch = 6,
        kPlugCheck = 7,
        kDownloadCompatibility = 8,
        kSetCandidate = 9,
        kLaunchVariables = 100,
        kNoGame = 101,
    };

    // An item that goes while its download runs leaves no progress window behind.
    ~CItemLaunchInit() override { Progress(false); }

    const char* GetKeyword() const override { return "launchinit"; }

    int32_t StateProc(int32_t state) override
    {
        switch (state)
        {
        case kInitLaunch:
            return InitLaunch();
        case kBuildCandidates:
            return BuildCandidates();
        case kDownloadDefinitions:
            return StartDownload(false);
        case kDownloadCompatibility:
            return StartDownload(true);
        case kPlugSearch:
            return PlugSearch();
        case kPlugCheck:
            return PlugCheck();
        case kSetCandidate:
            return SetCandidate();
        case kLaunchVariables:
            return LaunchVariables();
        case kNoGame:
            return NoGame();
        default:
            return kError;
        }
    }

    int32_t AsyncDone(int32_t state) override
    {
        if (state == kDownloadDefinitions)
            return DefinitionsDone();
        if (state == kDownloadCompatibility)
            return CompatibilityDone();
        return 0;
    }

private:
    ILaunchHost* Launch() const
    {
        CScriptContext* context = Context();
        return context && context->host ? context->host->LaunchHost() : nullptr;
    }
    IScriptEngineHost* Host() const
    {
        CScriptContext* context = Context();
        return context ? context->host : nullptr;
    }
    void Progress(bool show)
    {
        if (m_progressShown != show && Host())
            Host()->ShowProgress(show);
        m_progressShown = show;
    }

    int32_t InitLaunch()
    {
        m_log << kIndent << "CmdSateProc::InitLaunch\n";
        CXmlTag* init = m_doc.GetNextSubTagNamed("launchinit", nullptr);
        CLaunchPart* part = GetOwner();
        if (!init || !part)
            return kError;
        CStringExt verb;
        m_mode = part->GetLaunchMode(verb);
        if (m_mode == 0)
        {
            m_log << kIndent
                  << "ERROR : LauchType/LaunchVerb not defined. Use tag <launchinfo> prior to <launchinit>\n";
            return kError;
        }
        if (!part->GetCurrentGame())
        {
            m_log << kIndent
                  << "ERROR : LaunchGame not defined. Use tag <launchinfo> prior to <launchinit>\n";
            return kError;
        }
        m_loop = true;
        m_promptTitle = "Ludex";
        m_promptMess.clear();
        m_promptTitle2.clear();
        m_promptMess2.clear();
        if (CXmlTag* search = init->GetNextSubTagNamed("searchopt", nullptr))
        {
            m_loop = search->boGetAttributeBool("loop");
            const CStringExt title = search->GetNextSubTagNamedText("prompttitle");
            if (!title.empty())
                m_promptTitle = title;
            m_promptMess = search->GetNextSubTagNamedText("promptmess");
            m_promptTitle2 = search->GetNextSubTagNamedText("prompttitle2");
            m_promptMess2 = search->GetNextSubTagNamedText("promptmess2");
        }
        m_varPrefix = "lgame";
        if (CXmlTag* vars = init->GetNextSubTagNamed("lgamevar", nullptr))
            m_varPrefix = vars->GetAttribute("name", "");
        m_uploads.clear();
        for (CXmlTag* uploads = init->GetNextSubTagNamed("uploads", nullptr); uploads;
             uploads = init->GetNextSubTagNamed("uploads", uploads))
        {
            if (LaunchModeOfWord(uploads->GetAttribute("lmode", "")) != m_mode)
                continue;
            for (CXmlTag* var = uploads->GetNextSubTagNamed("uplvar", nullptr); var;
                 var = uploads->GetNextSubTagNamed("uplvar", var))
                m_uploads.push_back({var->GetAttribute("name", ""), var->GetAttribute("sendas", ""),
                                     var->boGetAttributeBool("sendempty")});
        }
        m_zgdvTitle.clear();
        m_zgdvMess.clear();
        if (CXmlTag* zgdv = init->GetNextSubTagNamed("zgdvopt", nullptr))
        {
            m_zgdvTitle = zgdv->GetNextSubTagNamedText("title");
            m_zgdvMess = zgdv->GetNextSubTagNamedText("mess");
        }
        m_attempts = 0;
        m_definitions.reset();
        return kBuildCandidates;
    }

    int32_t BuildCandidates()
    {
        m_log << kIndent << "CmdSateProc::BuildCandidateGL\n";
        CLaunchPart* part = GetOwner();
        ILaunchHost* launch = Launch();
        if (!part || !launch || !part->GetCurrentGame())
            return kError;
        part->SetCandidateGames(launch->LoadLocalGames());
        CZeltoGameList* candidates = part->GetCandidateGames();
        if (!candidates)
            return kError;
        m_log << kIndent << "Candidate Game List constructed (All Local Games)\n"
              << kIndent << Counts(*candidates);
        if (candidates->Count() == 0)
        {
            m_log << kIndent << "Empty Candidate GL (no games defined on local machine)\n";
            return kDownloadDefinitions;
        }
        const bool compat = m_mode == kLaunchModeCompat;
        const CZeltoGame& launchGame = *part->GetCurrentGame();
        FilterByLaunchGame(*candidates, launchGame, false, !compat);
        m_log << kIndent << "Candidate Game List refined to LaunchGame\n" << kIndent << Counts(*candidates);
        if (candidates->Count() == 0)
        {
            m_log << kIndent << "Empty Candidate GL (no games relevant for LaunchGame)\n";
            return kDownloadDefinitions;
        }
        if (!CheckDefinitionVersion(*candidates, launchGame.definitionVersion))
        {
            m_log << kIndent << "Candidate GL has wrong ZGDV (LaunchGame specified a newer one!)\n";
            if (!m_zgdvMess.empty() && Host())
                Host()->ShowMessageBox(m_zgdvMess, m_zgdvTitle, kInformationTopmost);
            return kDownloadDefinitions;
        }
        return compat ? kDownloadCompatibility : kPlugCheck;
    }

    // States 3 and 8: the download of the definition or the compatibility script.
    int32_t StartDownload(bool compatibility)
    {
        CLaunchPart* part = GetOwner();
        CScriptContext* context = Context();
        if (!compatibility)
        {
            m_log << kIndent << "CmdSateProc::DownloadDefinitionScript\n";
            ++m_attempts;
            // Without a question to the user the definition script is fetched twice
            // at most: the plugs found nothing new the first time.
            const bool prompts = !m_promptMess.empty() || !m_promptMess2.empty();
            if (m_attempts >= 2 && (!m_loop || !prompts))
                return kNoGame;
            if (prompts)
            {
                CStringExt text = m_promptMess;
                CStringExt caption = m_promptTitle;
                uint32_t style = kOkCancelQuestion;
                if (m_attempts >= 2)
                {
                    style = kRetryCancelQuestion;
                    if (!m_promptMess2.empty())
                        text = m_promptMess2;
                    if (!m_promptTitle2.empty())
                        caption = m_promptTitle2;
                }
                if (!text.empty() && Host() &&
                    Host()->ShowMessageBox(text, caption, style | kTopmost) == kIdCancel)
                    return kNoGame;
            }
        }
        else
            m_log << kIndent << "CmdSateProc::DownloadCompatibilityScript\n";
        if (!part || !part->GetCurrentGame() || !context || !context->script)
            return kError;
        const CZeltoGame& launchGame = *part->GetCurrentGame();
        m_url = compatibility ? launchGame.compatibilityScript : launchGame.definitionScript;
        if (compatibility)
        {
            if (m_url.empty())
            {
                m_log << kIndent << "NO CompatibilityScript defined : 100% compatibility considered.\n";
                return kPlugCheck;
            }
            m_log << kIndent << "CompatibilityScript : " << m_url << "\n";
        }
        else
        {
            m_log << kIndent << "Def. Script : " << m_url << "\n";
            if (m_url.empty())
                return 0; // the completion reports it
        }
        context->script->LoadSource(m_url, 1);
        if (!context->script->FindSource(m_url))
            return kError;
        Progress(true);
        return 0;
    }

    int32_t DefinitionsDone()
    {
        if (m_url.empty())
        {
            m_log << kIndent
                  << "ERROR::TransitProc::DownloadDefinitionScript => Undefined Definition script URL\n";
            return kError;
        }
        bool failed = false;
        CStringExt kind;
        CScriptContext* context = Context();
        if (!context || !context->script)
            return kError;
        std::unique_ptr<CZeltoGameList> games = context->script->TakeSourceGames(m_url, failed, kind);
        if (!games && !failed)
            return 0;
        Progress(false);
        if (!games || failed)
        {
            // Ended as a launch with nothing to choose: the page and the game
            // server hear 1001 (an error would end the item without a word).
            m_log << kIndent << "Definition Game List construction FAILED! (Download Error?)\n";
            return kNoGame;
        }
        m_definitions = std::move(games);
        m_log << kIndent << "Definition Game List constructed" << Counts(*m_definitions);
        return kPlugSearch;
    }

    int32_t CompatibilityDone()
    {
        bool failed = false;
        CStringExt kind;
        CScriptContext* context = Context();
        CLaunchPart* part = GetOwner();
        if (!context || !context->script || !part)
            return kError;
        std::unique_ptr<CZeltoGameList> compat = context->script->TakeSourceGames(m_url, failed, kind);
        if (!compat && !failed)
            return 0;
        Progress(false);
        CZeltoGameList* candidates = part->GetCandidateGames();
        if (!compat || failed || !candidates || !part->GetCurrentGame())
        {
            m_log << kIndent << "Compatibility Game List construction FAILED! (Download Error?)\n";
            return kNoGame; // as for the definitions
        }
        m_log << kIndent << "Compatibility Game List constructed\n";
        ApplyCompatibility(*candidates, *compat, *part->GetCurrentGame());
        m_log << kIndent << "Compatible Launch Game List constructed\n" << kIndent << Counts(*candidates);
        return VersionCount(*candidates) > 0 ? kPlugCheck : kDownloadDefinitions;
    }

    int32_t PlugSearch()
    {
        m_log << kIndent << "CmdSateProc::PlugSearchGames\n";
        CLaunchPart* part = GetOwner();
        ILaunchHost* launch = Launch();
        if (!m_definitions || !part || !launch)
            return kError;
        bool error = false;
        bool cancelled = false;
        for (const CStringExt& technoId : DistinctTechnoIds(*m_definitions))
        {
            m_definitions->SetTechnoFilter(technoId);
            int32_t result = 0;
            if (!launch->RunPlugOnGameList(part->PlugSite(), this, technoId, *m_definitions, true, result))
            {
                m_log << kIndent << "ERROR::TeknoPlug not found [Tekno = " << technoId << "]\n";
                error = true;
                break;
            }
            m_log << kIndent << "TeknoPlug::" << technoId << " ::  UpdateGameList()\n";
            if (result == kPlugCancelled)
            {
                cancelled = true;
                break;
            }
        }
        m_definitions->SetTechnoFilter("");
        if (cancelled)
        {
            m_definitions.reset();
            return kNoGame;
        }
        if (error)
            return kError;
        std::unique_ptr<CZeltoGameList> local = launch->LoadLocalGames();
        m_log << kIndent << "Merging DefScriptList/LocalMachineList\n";
        MergeIntoLocal(*local, *m_definitions);
        launch->SaveLocalGames(*local);
        m_definitions.reset();
        return kBuildCandidates;
    }

    int32_t PlugCheck()
    {
        m_log << kIndent << "CmdSateProc::PlugCheckGames\n";
        CLaunchPart* part = GetOwner();
        ILaunchHost* launch = Launch();
        CZeltoGameList* candidates = part ? part->GetCandidateGames() : nullptr;
        if (!candidates || !launch)
            return kError;
        const std::vector<CStringExt> technoIds = DistinctTechnoIds(*candidates);
        if (technoIds.empty())
        {
            m_log << kIndent << "ERROR Empty GameList\n";
            return kError;
        }
        bool anyPlug = false;
        for (const CStringExt& technoId : technoIds)
        {
            candidates->SetTechnoFilter(technoId);
            int32_t result = 0;
            if (!launch->RunPlugOnGameList(part->PlugSite(), this, technoId, *candidates, false, result))
            {
                m_log << kIndent << "ERROR : Plug for techno \"" << technoId << "\" could not be found!\n";
                continue;
            }
            anyPlug = true;
            m_log << kIndent << "TeknoPlug::" << technoId << "::CheckGameList()\n";
        }
        candidates->SetTechnoFilter("");
        DropAbsentVersions(*candidates);
        DropEmptyGames(*candidates);
        m_log << kIndent << "Candidate Game List refined" << Counts(*candidates);
        if (!anyPlug)
        {
            m_log << kIndent << "ERROR No Appropriate plug was found when checking GameList\n";
            return kError;
        }
        const int32_t versions = VersionCount(*candidates);
        if (versions == 0)
        {
            m_log << kIndent << "Empty GameList\n";
            return kDownloadDefinitions;
        }
        if (versions == 1 && candidates->GetAt(0)->versions->GetAt(0)->VolumeCount() == 1)
        {
            m_log << kIndent << "One game version left in Candidate Game List => THE game to launch\n";
            return kSetCandidate;
        }
        m_log << kIndent << "Multiple game versions left in Candidate Game List => User's choice\n";
        SGameChoice choice;
        if (!launch->ChooseGame(*candidates, choice) || !choice.version)
            return kNoGame;
        for (int32_t g = 0; g < candidates->Count(); ++g)
        {
            CZeltoGameVersionList& list = *candidates->GetAt(g)->versions;
            for (int32_t v = list.Count(); v-- > 0;)
                if (list.GetAt(v) != choice.version)
                    list.RemoveAt(v);
                else if (!choice.volume.empty())
                    list.GetAt(v)->RemoveAllVolumesBut(choice.volume);
        }
        DropEmptyGames(*candidates);
        const int32_t left = VersionCount(*candidates);
        if (left != 1)
        {
            m_log << kIndent << "ERROR on Game Select Dlg => returned " << left << "versions ! \n";
            return kError;
        }
        return kSetCandidate;
    }

    int32_t SetCandidate()
    {
        m_log << kIndent << "CmdSateProc::SetCandidateGame\n";
        CLaunchPart* part = GetOwner();
        CZeltoGameList* candidates = part ? part->GetCandidateGames() : nullptr;
        if (!candidates || candidates->Count() != 1)
        {
            if (part)
                part->SetCandidateGames(nullptr);
            return kError;
        }
        const CZeltoGame* game = candidates->GetAt(0);
        int32_t next = kLaunchVariables;
        const CZeltoGameVersion* version = game->versions->GetAt(0);
        if (version && !version->launchMessage.empty() && Host())
        {
            const int32_t answer = Host()->ShowMessageBox(version->launchMessage, version->launchMessageTitle,
                                                          version->launchMessageStyle | kTopmost);
            if (answer == kIdCancel || answer == kIdAbort || answer == kIdNo)
                next = kNoGame;
        }
        if (next == kLaunchVariables)
            part->SetCurrentGame(game);
        part->SetCandidateGames(nullptr);
        return next;
    }

    int32_t LaunchVariables()
    {
        m_log << kIndent << "CmdSateProc::LaunchVars\n";
        CLaunchPart* part = GetOwner();
        CScriptContext* context = Context();
        if (!part || !context || !CallLinkedSubScript("ok", 0))
            return kError;
        m_log << kIndent << "Creating \"LaunchGame vars\" :\n";
        if (!m_varPrefix.empty())
        {
            CStringMap vars;
            vars.InitHashTable(17, true);
            GameVarsFromGame(part->GetCurrentGame(), m_varPrefix, vars);
            MapPosition position = vars.GetStartPosition();
            while (position != kMapEnd)
            {
                CStringExt name;
                CStringExt value;
                vars.GetNextAssoc(position, name, value);
                if (value.empty())
                    continue;
                m_log << kIndent << "[" << name << "] = " << value << "\n";
                context->vars.SetScriptVar(name, value);
            }
        }
        std::string upload;
        for (const SUploadVar& var : m_uploads)
        {
            CStringExt value;
            context->vars.GetScriptVar(var.name, value);
            if (value.empty() && !var.sendEmpty)
                continue;
            upload += (var.sendAs.empty() ? var.name : var.sendAs) + "=\"" + EscapeUploadValue(value) + "\" ";
        }
        m_log << kIndent << "Crafted Data Upload string : " << upload.size() << " chars\n"
              << kIndent << upload << "\n";
        // Through the launch part, which also routes the event to the game server.
        if (CLaunchPart* part = GetOwner())
            part->NotifyEvent(1, &upload);
        else if (context->host)
            context->host->NotifyEventText(1, upload);
        m_log << kIndent << "Launch Game defined => cmd over\n";
        return kOver;
    }

    int32_t NoGame()
    {
        m_log << kIndent << "CmdSateProc::NoGame\n";
        if (CLaunchPart* part = GetOwner())
            part->NotifyEvent(1001);
        else if (IScriptEngineHost* host = Host())
            host->NotifyEvent(1001);
        return CallLinkedSubScript("nok", 0) ? kOver : kError;
    }

    int32_t m_mode = 0;
    bool m_loop = true;
    CStringExt m_promptTitle;
    CStringExt m_promptMess;
    CStringExt m_promptTitle2;
    CStringExt m_promptMess2;
    CStringExt m_varPrefix;
    std::vector<SUploadVar> m_uploads;
    CStringExt m_zgdvTitle;
    CStringExt m_zgdvMess;
    int32_t m_attempts = 0;
    std::unique_ptr<CZeltoGameList> m_definitions;
    CStringExt m_url; // the script being downloaded
    bool m_progressShown = false;
};

// ------------------------------------------------------------------ launchgame

class CItemLaunchGame : public CScriptItem
{
public:
    enum : int32_t
    {
        kLaunch = 0,
        kWatch = 1,
    };

    ~CItemLaunchGame() override
    {
        if (!m_plug)
            return;
        // A plug that cannot answer has gone with its game: nothing to kill.
        int32_t running = 2;
        if (m_plug->IsGameRunning(running) && running != 0)
        {
            int32_t killed = 0;
            m_plug->KillGame(killed);
            Notify(3);
        }
        ReleasePlug();
    }

    const char* GetKeyword() const override { return "launchgame"; }

    int32_t StateProc(int32_t state) override
    {
        if (state == kLaunch)
            return Launch();
        if (state == kWatch)
            return 0;
        return kError;
    }

    int32_t AsyncDone(int32_t state) override { return state == kWatch ? WatchGame() : 0; }

private:
    ILaunchHost* LaunchHost() const
    {
        CScriptContext* context = Context();
        return context && context->host ? context->host->LaunchHost() : nullptr;
    }

    void Notify(int32_t code)
    {
        if (CLaunchPart* part = GetOwner())
            part->NotifyEvent(code);
        else if (CScriptContext* context = Context(); context && context->host)
            context->host->NotifyEvent(code);
    }

    // The plug goes (terminated, released) and nothing points to it any more.
    void ReleasePlug()
    {
        CLaunchPart* part = GetOwner();
        if (part && part->GetRunningPlug() == m_plug.get())
            part->SetRunningPlug(nullptr);
        m_plug.reset();
    }

    int32_t Fail()
    {
        ReleasePlug();
        Notify(1002);
        return kError;
    }

    int32_t Launch()
    {
        CLaunchPart* part = GetOwner();
        ILaunchHost* launch = LaunchHost();
        CZeltoGame* game = part ? part->GetCurrentGame() : nullptr;
        if (!part || !launch || !game)
            return Fail();
        const CStringExt technoId = TechnoIdOf(game);
        if (technoId.empty())
        {
            m_log << kIndent << GetKeyword() << " ERROR => Game has no techno plug associated!\n";
            return Fail();
        }
        m_plug = launch->CreateGamePlug(part->PlugSite(), this, technoId);
        if (!m_plug)
        {
            m_log << kIndent << GetKeyword() << " ERROR => Failed to launch TeknoPlug [" << technoId << "]\n";
            return Fail();
        }
        CStringExt verb;
        const int32_t mode = part->GetLaunchMode(verb);
        if (SetLaunchModeAndVerb(game, mode, verb) != 1)
            m_log << kIndent << GetKeyword()
                  << " => Launch WARNING: More than one version listed in Launch Game...\n";
        ExpandTechData(game);
        bool started = false;
        if (!m_plug->MakeGame(*game))
            m_log << kIndent << "ERROR : failed to CreateNewCOMInterface()\n";
        else
        {
            int32_t result = 0;
            // A call that fails counts as a refusal.
            if (m_plug->PreLaunchGame(result) && result == 1)
            {
                result = 0;
                if (m_plug->LaunchGame(result) && result == 1)
                    started = true;
                else
                    m_log << kIndent << GetKeyword() << " ERROR => Tekno Plug [" << technoId
                          << "] Failed to launch game : " << game->Dump() << "\n";
            }
            m_plug->DropGame();
        }
        SetLaunchModeAndVerb(game, kLaunchModeNone, "");
        if (!started)
            return Fail();
        part->SetRunningPlug(m_plug.get());
        Notify(2);
        return kWatch;
    }

    int32_t WatchGame()
    {
        if (!m_plug)
            return kError;
        // A plug that cannot answer has gone with its game: the game is over.
        int32_t running = 2;
        if (m_plug->IsGameRunning(running) && running != 0)
        {
            m_log << ".";
            return 0;
        }
        CLaunchPart* part = GetOwner();
        if (part && part->GetRunningPlug() == m_plug.get())
            part->SetRunningPlug(nullptr);
        CZeltoGame* game = part ? part->GetCurrentGame() : nullptr;
        if (game && m_plug->MakeGame(*game))
        {
            int32_t result = 0;
            m_plug->PostLaunchGame(result);
            Notify(3);
            m_plug->DropGame();
        }
        else
            m_log << kIndent << "ERROR : failed to CreateNewCOMInterface()\n";
        ReleasePlug();
        m_log << kIndent << "\n";
        return kOver;
    }

    std::unique_ptr<IGamePlug> m_plug;
};
} // namespace

std::string EscapeUploadValue(const std::string& value)
{
    std::string escaped;
    for (char c : value)
        switch (c)
        {
        case '&':
            escaped += "&amp;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        default:
            escaped += c;
        }
    return escaped;
}

std::unique_ptr<CScriptItem> NewLaunchItem(const std::string& keyword)
{
    if (keyword == "launchinit")
        return std::make_unique<CItemLaunchInit>();
    if (keyword == "launchinfo")
        return std::make_unique<CItemLaunchInfo>();
    if (keyword == "launchgame")
        return std::make_unique<CItemLaunchGame>();
    return nullptr;
}
