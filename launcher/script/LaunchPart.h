// CLaunchPart: the ludexs.launch block of a launch script: its sub-scripts, the
// queue of requests to start them (ordered by priority, stable), the launch mode
// and verb. CSubScript: one sub-script, a list of script items run in order.
// The pre-processing tags subscript, technoplug and ssif are read here.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "GameCatalog.h"
#include "PlugSite.h"
#include "ScriptEngine.h"
#include "ScriptItem.h"
#include "ServerLinkSink.h"
#include "XmlDocument.h"

class CLaunchPart;
class IGamePlug;

enum : int32_t
{
    kSubScriptOnStart = 0,
    kSubScriptOnStop = 1,
    kSubScriptNamed = 2,
};

// Launch modes.
enum : int32_t
{
    kLaunchModeNone = 0,
    kLaunchModeStraight = 1,
    kLaunchModeCompat = 2,
};

class CSubScript final : private CXmlEventSink
{
public:
    // attributes: the subscript tag's attribute text; text: its content.
    CSubScript(const std::string& attributes, const std::string& text, CLaunchPart* launchPart);
    ~CSubScript();
    CSubScript(const CSubScript&) = delete;
    CSubScript& operator=(const CSubScript&) = delete;

    bool IsRunning() const { return m_cursor >= 0; }
    bool IsBlocking() const { return m_blocking; }
    int32_t GetType() const { return m_type; }
    const CStringExt& GetName() const { return m_name; }
    CLaunchPart* GetLaunchPart() const { return m_pLaunchPart; }
    size_t GetItemCount() const { return m_items.size(); }

    void StartSynch();
    void StepAsynch();
    // 1 when the run waits on an item.
    int32_t RunFrom(int32_t index);
    // Ends the run after the current item.
    void Abort() { m_cursor = static_cast<int32_t>(m_items.size()); }

    // Tags of the items' command texts pass here too.
    int32_t OnPreProcessTag(const CStringExt& name, const CStringExt& attributes, const CXmlNamespace* tagNamespace,
                            const CXmlNamespaceScope& scope, std::string& content, CXmlDocument* document) override;

private:
    std::unique_ptr<CScriptItem> CreateScriptItem(const std::string& keyword, const std::string& text);

    std::string m_text;
    int32_t m_type = kSubScriptNamed;
    CStringExt m_name;
    std::vector<std::unique_ptr<CScriptItem>> m_items;
    int32_t m_cursor = -1;
    CXmlDocument m_doc;
    bool m_blocking = true;
    bool m_parsing = false; // sscmd tags become items only while the sub-script reads its text
    CLaunchPart* m_pLaunchPart;
    CScriptLog m_log;
};

class CLaunchPart final : private CXmlEventSink, private CServerLinkSink
{
public:
    explicit CLaunchPart(CScriptContext* context);
    ~CLaunchPart();
    CLaunchPart(const CLaunchPart&) = delete;
    CLaunchPart& operator=(const CLaunchPart&) = delete;

    // 1 when the launch text was parsed (the OnStart sub-script and the pending
    // commands are then queued).
    int32_t Start(const std::string& text);
    void Step(int32_t counter);
    int32_t Queue(int32_t mode, const std::string& name, int32_t priority);
    int32_t QueueByName(const std::string& name) { return Queue(kSubScriptNamed, name, 0x7FFFFFFF); }
    bool HasSubScript(const std::string& name) const;
    bool IsIdle() const;
    bool IsStarted() const { return m_started; }
    CSubScript* Find(int32_t mode, const std::string& name) const;
    int32_t GetLaunchMode(CStringExt& verb) const
    {
        verb = m_launchVerb;
        return m_launchMode;
    }
    void SetLaunchMode(int32_t mode, const std::string& verb)
    {
        m_launchMode = mode;
        m_launchVerb = verb;
    }
    size_t GetSubScriptCount() const { return m_subScripts.size(); }
    // The launch game (owned copies; null: none) and the candidates of launchinit.
    CZeltoGame* GetCurrentGame() const { return m_currentGame.get(); }
    void SetCurrentGame(const CZeltoGame* game) { m_currentGame = game ? game->Copy() : nullptr; }
    CZeltoGameList* GetCandidateGames() const { return m_candidateGames.get(); }
    void SetCandidateGames(std::unique_ptr<CZeltoGameList> list) { m_candidateGames = std::move(list); }
    CPlugSite& PlugSite() { return m_plugSite; }
    // The plug of the game that runs (not owned; null: none).
    IGamePlug* GetRunningPlug() const { return m_pRunningPlug; }
    void SetRunningPlug(IGamePlug* plug) { m_pRunningPlug = plug; }
    // Sends the "launch part did not start" event, once.
    void NotifyNotStarted();
    void SetBase(const std::string& base) { m_base = base; }
    const CStringExt& GetBase() const { return m_base; }

    CScriptContext* Context() const { return m_pContext; }
    // Whether an ssif tag's condition holds.
    bool ConditionHolds(const std::string& attributes) const;

    int32_t OnPreProcessTag(const CStringExt& name, const CStringExt& attributes, const CXmlNamespace* tagNamespace,
                            const CXmlNamespaceScope& scope, std::string& content, CXmlDocument* document) override;

    // The link to the game server (LaunchPartLink.cpp). Opened once, at
    // construction; nothing happens when it was opened before.
    void OpenServerLink();
    // A notification: handed to the host first, then to the server and the
    // page as the code's route says. custom: null for none.
    void NotifyEvent(int32_t code, const std::string* custom = nullptr);
    void SendToServer(int32_t code, const std::string* custom);
    // A ready text on the channel; false without a connected link.
    bool SendRawToServer(const std::string& text);
    // iurl + "&Info=" + code in the frame ifrm, for the codes the page shows.
    void ShowInPage(int32_t code);
    bool IsServerLinkConnected() const { return m_serverLink && m_serverLink->IsConnected(); }

private:
    // CServerLinkSink: only notes what happened; the loss is dealt with on
    // the next step (ServiceServerLink), outside the library's callback.
    void OnLinkLost() override;
    void OnServerCommand(const std::string& command) override;
    // A lost link: the channel goes, the hub library is stopped, the user told.
    void ServiceServerLink();
    void CloseServerLink();
    // The named sub-script when there is one, else the OnStop sub-script.
    void QueueStop(const std::string& name);

    struct SubScriptRequest
    {
        int32_t mode;
        std::string name;
        int32_t priority;
    };
    void Clear();
    void RunQueue();

    CScriptContext* m_pContext;
    bool m_started = false;
    CXmlDocument m_doc;
    CScriptLog m_log;
    std::vector<std::unique_ptr<CSubScript>> m_subScripts;
    std::vector<SubScriptRequest> m_requests;
    int32_t m_launchMode = kLaunchModeNone;
    CStringExt m_launchVerb;
    bool m_running = false;
    bool m_notStartedSent = false;
    CStringExt m_base; // location of the script that holds the launch part
    std::unique_ptr<IServerLink> m_serverLink;
    bool m_serverLinkOpened = false; // OpenServerLink has run
    bool m_hubStarted = false;       // the host's hub library start is not yet undone
    bool m_serverLinkLost = false;   // a link was lost: sends only log it from now on
    bool m_lossPending = false;      // the loss is yet to be dealt with
    std::unique_ptr<CZeltoGame> m_currentGame;
    std::unique_ptr<CZeltoGameList> m_candidateGames;
    IGamePlug* m_pRunningPlug = nullptr;
    CPlugSite m_plugSite; // the destructor deletes the items (which may release plugs) before it goes
};

// The mode a launch mode word gives: its first letter, "c" compat, "s" straight.
int32_t LaunchModeOfWord(const std::string& word);
