// CLaunchScript: a launch script and the scripts it includes: the loads (local
// files read at once, others downloaded through the host and read when the
// download has ended), the top-level ludexs.* tags, and the launch part that
// runs the sub-scripts.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "GameCatalog.h"
#include "LaunchPart.h"
#include "ScriptEngine.h"
#include "XmlDocument.h"

struct ScriptLoad
{
    CStringExt url;
    CStringExt localPath;
    CXmlDocument doc;
    bool done = false;
    bool failed = false;
    bool isInclude = false;
    bool autoFree = false;
    bool isSource = false;
    bool waiting = false;               // waiting for the host's download end
    std::vector<CStringExt> includers;  // urls of the scripts that include this one, outermost first
    std::unique_ptr<CZeltoGameList> games; // from its ludexs.gdef or ludexs.gcomp block, or null
    CStringExt gamesKind;                   // the tag that built games
};

class CLaunchScript final : private CXmlEventSink
{
public:
    explicit CLaunchScript(IScriptEngineHost* host);
    ~CLaunchScript();
    CLaunchScript(const CLaunchScript&) = delete;
    CLaunchScript& operator=(const CLaunchScript&) = delete;

    // Non-zero when the text was read at once (a kept local source: found).
    int32_t Load(const std::string& url, int32_t keep, int32_t isInclude, int32_t isSource);
    void OnDownloadEnd(const std::string& url, const std::string& path, bool error);
    void Step();
    void OnCommand(const std::string& word);

    CVarTank& GetVarTank() { return m_context.vars; }
    CItemTank& GetItemTank() { return m_context.items; }
    CScriptContext& Context() { return m_context; }
    CLaunchPart* GetLaunchPart() const { return m_launchPart.get(); }
    bool IsLaunchStarted() const { return m_launchStarted; }
    size_t GetLoadCount() const { return m_loads.size(); }
    uint32_t GetStepCounter() const { return m_stepCounter; }

    // Loads for items; names are relative to the launch part's base.
    int32_t LoadSource(const std::string& name, int32_t keep);
    int32_t LoadSourceKept(const std::string& name);
    ScriptLoad* FindSource(const std::string& name) const;
    // 1 when done (or when there is no such load: failed then set).
    int32_t SourceStatus(const std::string& name, bool& failed) const;
    // When the load is done: its local path and failure; the record is freed and 1 returned.
    int32_t TakeSource(const std::string& name, CStringExt& path, bool& failed);
    void FreeSource(const std::string& name);
    // No record: null, failed set. Not done: null, failed clear. Done: the record's
    // game list (null, failed set, when it has none), its kind, and the record is freed.
    std::unique_ptr<CZeltoGameList> TakeSourceGames(const std::string& name, bool& failed, CStringExt& kind);

private:
    int32_t OnPreProcessTag(const CStringExt& name, const CStringExt& attributes, const CXmlNamespace* tagNamespace,
                            const CXmlNamespaceScope& scope, std::string& content, CXmlDocument* document) override;
    void ResolveProtocol(CStringExt& protocol, CStringExt& location, CXmlDocument* document) override;

    int32_t LoadWith(const std::string& url, int32_t keep, int32_t isInclude, int32_t isSource,
                     std::vector<CStringExt> includers);
    bool Parse(const std::string& url, CXmlDocument& doc, ScriptLoad* record);
    ScriptLoad* FindLoad(const std::string& url, bool waitingOnly) const;
    ScriptLoad* RecordOf(const CXmlDocument* document) const;
    void FreeLoad(ScriptLoad* record);
    void StartLaunchPart(const std::string& text, const std::string& base);
    void StartLaunchPartEmpty();
    void Include(const std::string& src, bool async, ScriptLoad* includer);
    CStringExt SourceUrl(const std::string& name) const;

    CScriptContext m_context;
    std::unique_ptr<CLaunchPart> m_launchPart;
    // Launch parts replaced while they were stepping; deleted once the step is over.
    std::vector<std::unique_ptr<CLaunchPart>> m_retired;
    std::vector<std::unique_ptr<ScriptLoad>> m_loads;
    CStringExt m_defaultProtocol;
    bool m_progressShown = false;
    bool m_everParsed = false;
    bool m_launchStarted = false;
    bool m_stepping = false;
    uint32_t m_stepCounter = 0;
    uint32_t m_includesLeft = 0;
    CScriptLog m_log;
};
