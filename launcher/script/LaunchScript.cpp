#include "LaunchScript.h"

#include <algorithm>
#include <cstdio>

#include "GameDefinitions.h"
#include "Location.h"
#include "ParamString.h"
#include "TextUtil.h"

namespace
{
// Includes nested deeper than this are refused.
constexpr size_t kMaxIncludeDepth = 32;
// Includes one script load may start, all levels together.
constexpr uint32_t kMaxIncludesPerLoad = 256;

// The text after "://", or the whole text without it.
std::string AfterProtocol(const std::string& url)
{
    const size_t separator = url.find("://");
    return separator == std::string::npos ? url : url.substr(separator + 3);
}
// True when the local file can be opened for reading.
bool CanRead(std::string path)
{
#ifndef _WIN32
    // Local paths are written the Windows way.
    std::replace(path.begin(), path.end(), '\\', '/');
#endif
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file)
        std::fclose(file);
    return file != nullptr;
}
// One spelling of a location: no "file://", '/' separators.
std::string LocationKey(const std::string& url)
{
    std::string key = url;
    if (key.size() >= 7 && EqualsNoCase(key.substr(0, 7), "file://"))
        key = key.substr(7);
    std::replace(key.begin(), key.end(), '\\', '/');
    return key;
}

// Whether two urls name the same script.
bool SameLocation(const std::string& a, const std::string& b)
{
    return EqualsNoCase(LocationKey(a), LocationKey(b)) || EqualsNoCase(AfterProtocol(a), AfterProtocol(b));
}
} // namespace

CLaunchScript::CLaunchScript(IScriptEngineHost* host)
{
    m_context.host = host;
    m_context.script = this;
}

CLaunchScript::~CLaunchScript()
{
    m_launchPart.reset();
    while (!m_loads.empty())
        FreeLoad(m_loads.back().get());
}

int32_t CLaunchScript::Load(const std::string& url, int32_t keep, int32_t isInclude, int32_t isSource)
{
    if (!isInclude)
        m_includesLeft = kMaxIncludesPerLoad;
    return LoadWith(url, keep, isInclude, isSource, {});
}

int32_t CLaunchScript::LoadWith(const std::string& url, int32_t keep, int32_t isInclude, int32_t isSource,
                                std::vector<CStringExt> includers)
{
    m_log.Init(&m_context);
    CStringExt rest = url;
    const CStringExt protocol = SplitProtocol(rest, "");
    m_loads.push_back(std::make_unique<ScriptLoad>());
    ScriptLoad* record = m_loads.back().get();
    record->url = url;
    if (EqualsNoCase(protocol, "file"))
        record->localPath = rest;
    record->isInclude = isInclude != 0;
    record->isSource = isSource != 0;
    record->autoFree = keep == 0;
    record->doc.SetLabel(url);
    record->includers = std::move(includers);

    int32_t result = 0;
    if (record->isSource && EqualsNoCase(protocol, "file"))
    {
        record->failed = !CanRead(record->localPath);
        record->done = true;
        result = 1;
    }
    else
    {
        const bool parsed = Parse(url, record->doc, record);
        record->failed = !parsed;
        result = parsed && record->done ? 1 : 0;
    }
    if (record->done && (record->autoFree || record->isInclude))
        FreeLoad(record);
    return result;
}

bool CLaunchScript::Parse(const std::string& url, CXmlDocument& doc, ScriptLoad* record)
{
    if (!m_everParsed)
    {
        m_everParsed = true;
        m_progressShown = true;
        if (m_context.host)
            m_context.host->ShowProgress(true);
    }
    doc.vSetOperatingMode(kXmlModePreProcess);
    if (!m_defaultProtocol.empty())
        doc.vSetDefaultProtocol(m_defaultProtocol);
    if (record)
        record->done = true;
    const bool loaded = doc.lLoad(url, this) == 0 && doc.GetLastXmlError() == 0;
    if (loaded)
    {
        if (m_defaultProtocol.empty())
            m_defaultProtocol = doc.GetProtocol();
        return true;
    }
    if (record)
        record->failed = true;
    m_log << "Failed to load the script " << url << "\n";
    if (!m_launchStarted)
        StartLaunchPartEmpty();
    return false;
}

void CLaunchScript::ResolveProtocol(CStringExt& protocol, CStringExt& location, CXmlDocument* document)
{
    ScriptLoad* record = RecordOf(document);
    if (m_context.host)
    {
        if (record)
        {
            record->done = false;
            record->waiting = true;
        }
        if (m_defaultProtocol.empty())
            m_defaultProtocol = protocol;
        CStringExt word = protocol;
        word.MakeLower();
        m_context.host->RequestDownload(word + "://" + location);
    }
    // Nothing is read now: the text comes with the download's end.
    location.clear();
}

void CLaunchScript::OnDownloadEnd(const std::string& url, const std::string& path, bool error)
{
    m_log.Init(&m_context);
    ScriptLoad* record = FindLoad(url, true);
    if (!record)
    {
        // No load waits for this download: nothing to read.
        m_log << "Download end without a load ignored : " << url << "\n";
        return;
    }
    record->waiting = false;
    record->failed = error;
    record->localPath = path;
    if (record->isSource)
        record->done = true;
    else if (!error && !path.empty())
        Parse("file://" + path, record->doc, record);
    else
    {
        // The load is over, failed: nothing waits for it any longer.
        record->done = true;
        record->failed = true;
    }
    if (record->failed && !record->isSource)
    {
        CStringExt console;
        if (m_context.vars.GetScriptVar("log:console", console) && m_context.host)
            m_context.host->Alert("Download Error", "Ludex");
        if (!m_launchStarted)
        {
            StartLaunchPartEmpty();
            if (m_context.host)
                m_context.host->RequestEnd();
        }
    }
    if (record->done && (record->autoFree || record->isInclude))
        FreeLoad(record);
}

ScriptLoad* CLaunchScript::FindLoad(const std::string& url, bool waitingOnly) const
{
    for (const auto& record : m_loads)
        if ((!waitingOnly || record->waiting) && EqualsNoCase(record->url, url))
            return record.get();
    for (const auto& record : m_loads)
        if ((!waitingOnly || record->waiting) && EqualsNoCase(AfterProtocol(record->url), AfterProtocol(url)))
            return record.get();
    return nullptr;
}

ScriptLoad* CLaunchScript::RecordOf(const CXmlDocument* document) const
{
    for (const auto& record : m_loads)
        if (&record->doc == document)
            return record.get();
    return nullptr;
}

void CLaunchScript::FreeLoad(ScriptLoad* record)
{
    CStringExt rest = record->url;
    if (EqualsNoCase(SplitProtocol(rest, ""), "http") && !record->localPath.empty())
        std::remove(record->localPath.c_str()); // the downloaded copy
    const auto it = std::find_if(m_loads.begin(), m_loads.end(),
                                 [record](const std::unique_ptr<ScriptLoad>& r) { return r.get() == record; });
    if (it != m_loads.end())
        m_loads.erase(it);
}

void CLaunchScript::Include(const std::string& src, bool async, ScriptLoad* includer)
{
    CStringExt url = src;
    const char* refused = nullptr;
    if (IsRelativeLocation(src))
    {
        CStringExt base = includer ? includer->url : CStringExt();
        const CStringExt protocol = SplitProtocol(base, "");
        // A script given as text has no place that a relative name could be in.
        if (!includer || EqualsNoCase(protocol, "str"))
            refused = "Include refused (no location) : ";
        else
            url = JoinLocation(src, includer->url, "file");
    }
    std::vector<CStringExt> chain;
    if (includer)
    {
        chain = includer->includers;
        chain.push_back(includer->url);
    }
    const bool cycle =
        std::any_of(chain.begin(), chain.end(), [&url](const CStringExt& u) { return SameLocation(u, url); });
    if (!refused && cycle)
        refused = "Include refused (cycle) : ";
    if (!refused && (chain.size() >= kMaxIncludeDepth || m_includesLeft == 0))
        refused = "Include refused (too many) : ";
    if (refused)
    {
        m_log << refused << url << "\n";
        if (!m_launchStarted)
            StartLaunchPartEmpty();
        return;
    }
    --m_includesLeft;
    LoadWith(url, async ? 0 : 1, 1, 0, std::move(chain));
}

int32_t CLaunchScript::OnPreProcessTag(const CStringExt& name, const CStringExt& attributes, const CXmlNamespace*,
                                       const CXmlNamespaceScope&, std::string& content, CXmlDocument* document)
{
    if (EqualsNoCase(name, "ludexs.vardef"))
    {
        m_context.vars.LoadText(content);
        return 0;
    }
    if (EqualsNoCase(name, "ludexs.itemtank"))
    {
        m_context.items.LoadText(content, FindParamValue("context", attributes, ""));
        return 0;
    }
    if (EqualsNoCase(name, "ludexs.include"))
    {
        const CStringExt async = FindParamValue("async", attributes, "");
        Include(FindParamValue("src", attributes, ""),
                EqualsNoCase(async, "y") || EqualsNoCase(async, "t") || async == "1", RecordOf(document));
        return 0;
    }
    if (EqualsNoCase(name, "ludexs.launch"))
    {
        if (m_progressShown)
        {
            m_progressShown = false;
            if (m_context.host)
                m_context.host->ShowProgress(false);
        }
        const ScriptLoad* record = RecordOf(document);
        StartLaunchPart(content, record ? record->url : CStringExt());
        return 0;
    }
    const bool definitions = EqualsNoCase(name, "ludexs.gdef");
    if (definitions || EqualsNoCase(name, "ludexs.gcomp"))
    {
        if (ScriptLoad* record = RecordOf(document))
        {
            // The block is the definitions' text itself, never an address to read; its
            // tag around it gives several games one root.
            record->games = ParseGameDefinitions("STR://<" + name + ">" + content + "</" + name + ">",
                                                 definitions ? kGameDefNamespace : kGameCompatRefNamespace);
            if (record->games)
                record->gamesKind = definitions ? "ludexs.gdef" : "ludexs.gcomp";
        }
        return 0;
    }
    return kXmlKeepElement;
}

void CLaunchScript::StartLaunchPart(const std::string& text, const std::string& base)
{
    if (m_launchPart)
    {
        // A launch part replaced from inside its own step goes once the step is over.
        if (m_stepping)
            m_retired.push_back(std::move(m_launchPart));
        else
            m_launchPart.reset();
    }
    m_launchPart = std::make_unique<CLaunchPart>(&m_context);
    m_launchStarted = true;
    m_launchPart->SetBase(base);
    // The pending commands are queued by the launch part's start.
    m_launchPart->Start(text);
}

void CLaunchScript::StartLaunchPartEmpty()
{
    if (m_progressShown)
    {
        m_progressShown = false;
        if (m_context.host)
            m_context.host->ShowProgress(false);
    }
    if (!m_launchPart)
        m_launchPart = std::make_unique<CLaunchPart>(&m_context);
    m_launchPart->NotifyNotStarted();
}

void CLaunchScript::Step()
{
    const bool includeOutstanding = std::any_of(m_loads.begin(), m_loads.end(),
                                                [](const std::unique_ptr<ScriptLoad>& r) { return r->isInclude; });
    if (m_launchPart && !includeOutstanding && !m_stepping)
    {
        m_stepping = true;
        CLaunchPart* part = m_launchPart.get();
        part->Step(static_cast<int32_t>(m_stepCounter));
        m_stepping = false;
        m_retired.clear();
    }
    ++m_stepCounter;
}

void CLaunchScript::OnCommand(const std::string& word)
{
    if (m_launchPart && m_launchPart->IsStarted())
        m_launchPart->QueueByName(word);
    else
        m_context.pendingCommands.push_back(word);
}

CStringExt CLaunchScript::SourceUrl(const std::string& name) const
{
    if (m_launchPart && IsRelativeLocation(name) && !m_launchPart->GetBase().empty())
        return JoinLocation(name, m_launchPart->GetBase(), "file");
    return name;
}

int32_t CLaunchScript::LoadSource(const std::string& name, int32_t keep)
{
    return Load(SourceUrl(name), keep, 0, 0);
}

int32_t CLaunchScript::LoadSourceKept(const std::string& name)
{
    return Load(SourceUrl(name), 1, 0, 1);
}

ScriptLoad* CLaunchScript::FindSource(const std::string& name) const
{
    return FindLoad(SourceUrl(name), false);
}

int32_t CLaunchScript::SourceStatus(const std::string& name, bool& failed) const
{
    const ScriptLoad* record = FindSource(name);
    if (!record)
    {
        failed = true;
        return 1;
    }
    failed = record->failed;
    return record->done ? 1 : 0;
}

int32_t CLaunchScript::TakeSource(const std::string& name, CStringExt& path, bool& failed)
{
    ScriptLoad* record = FindSource(name);
    if (!record || !record->done)
        return 0;
    path = record->localPath;
    failed = record->failed;
    // The caller owns the file from now on.
    record->localPath.clear();
    FreeLoad(record);
    return 1;
}

void CLaunchScript::FreeSource(const std::string& name)
{
    if (ScriptLoad* record = FindSource(name))
        FreeLoad(record);
}

std::unique_ptr<CZeltoGameList> CLaunchScript::TakeSourceGames(const std::string& name, bool& failed, CStringExt& kind)
{
    kind.clear();
    ScriptLoad* record = FindSource(name);
    if (!record)
    {
        failed = true;
        return nullptr;
    }
    failed = false;
    if (!record->done)
        return nullptr;
    std::unique_ptr<CZeltoGameList> games;
    if (record->games)
    {
        games = record->games->Copy();
        kind = record->gamesKind;
        failed = record->failed;
    }
    else
        failed = true;
    FreeLoad(record);
    return games;
}
