#include "LaunchPart.h"

#include "ParamString.h"
#include "TextUtil.h"

namespace
{
const char kSubScriptRule[] = "==============================\n";
const char kVarsRule[] = "==================================\n";

// The raw text of an element from the parts the pre-process pass hands over.
std::string ElementText(const std::string& name, const std::string& attributes, const std::string& content)
{
    return "<" + name + (attributes.empty() ? "" : " " + attributes) + ">" + content + "</" + name + ">";
}
} // namespace

int32_t LaunchModeOfWord(const std::string& word)
{
    if (word.empty())
        return kLaunchModeNone;
    switch (word[0])
    {
    case 'c':
    case 'C':
        return kLaunchModeCompat;
    case 's':
    case 'S':
        return kLaunchModeStraight;
    default:
        return kLaunchModeNone;
    }
}

// ---------------------------------------------------------------- CSubScript

CSubScript::CSubScript(const std::string& attributes, const std::string& text, CLaunchPart* launchPart)
    : m_text(text), m_pLaunchPart(launchPart)
{
    m_doc.vSetDefaultProtocol("str");
    m_doc.vSetOperatingMode(kXmlModePreProcess);
    m_log.Init(launchPart ? launchPart->Context() : nullptr);
    if (HasParam("blocking", attributes))
    {
        const CStringExt blocking = FindParamValue("blocking", attributes, "");
        m_blocking = EqualsNoCase(blocking, "y") || blocking == "1";
    }
    const CStringExt type = FindParamValue("type", attributes, "");
    if (EqualsNoCase(type, "OnStart"))
        m_type = kSubScriptOnStart;
    else if (EqualsNoCase(type, "OnStop"))
        m_type = kSubScriptOnStop;
    else
        m_name = FindParamValue("name", attributes, "");
}

CSubScript::~CSubScript() = default;

std::unique_ptr<CScriptItem> CSubScript::CreateScriptItem(const std::string& keyword, const std::string& text)
{
    const char* word = FindScriptItemKeyword(keyword);
    CScriptContext* context = m_pLaunchPart ? m_pLaunchPart->Context() : nullptr;
    std::unique_ptr<CScriptItem> item;
    if (word && context && context->host)
        item = context->host->NewItem(word);
    if (!item)
    {
        // The command is skipped; the rest of the sub-script runs.
        m_log << "\t    Unknown command <" << keyword << "> skipped\n";
        return nullptr;
    }
    item->Init(text, this);
    return item;
}

int32_t CSubScript::OnPreProcessTag(const CStringExt& name, const CStringExt& attributes,
                                    const CXmlNamespace* tagNamespace, const CXmlNamespaceScope& scope,
                                    std::string& content, CXmlDocument* document)
{
    if (m_parsing && EqualsNoCase(name, "sscmd"))
    {
        if (std::unique_ptr<CScriptItem> item =
                CreateScriptItem(FindParamValue("name", attributes, ""), ElementText(name, attributes, content)))
            m_items.push_back(std::move(item));
        return 0;
    }
    return m_pLaunchPart
               ? m_pLaunchPart->OnPreProcessTag(name, attributes, tagNamespace, scope, content, document)
               : kXmlKeepElement;
}

void CSubScript::StartSynch()
{
    m_log << kSubScriptRule << "SS-START [[" << m_name << "]]\n";
    // Each start reads the text into a fresh list of items.
    m_items.clear();
    m_parsing = true;
    const bool parsed = m_doc.lLoad("STR://" + m_text, this) == 0 && m_doc.GetLastXmlError() == 0;
    m_parsing = false;
    if (parsed)
        RunFrom(0);
    if (m_cursor == -1)
        m_log << "SS-STOP [[" << m_name << "]] (synch)\n" << kSubScriptRule;
}

int32_t CSubScript::RunFrom(int32_t index)
{
    m_cursor = index;
    while (m_cursor >= 0 && m_cursor < static_cast<int32_t>(m_items.size()))
    {
        CScriptItem* item = m_items[static_cast<size_t>(m_cursor)].get();
        if (!item)
            break;
        const int32_t result = item->CmdStart();
        if (result == CScriptItem::kError)
            break;
        if (result == CScriptItem::kOver)
        {
            // An item that aborted its sub-script has put the cursor at the end.
            if (m_cursor < static_cast<int32_t>(m_items.size()))
                ++m_cursor;
            continue;
        }
        return 1;
    }
    m_cursor = -1;
    return 0;
}

void CSubScript::StepAsynch()
{
    if (m_cursor >= 0 && m_cursor < static_cast<int32_t>(m_items.size()))
    {
        const int32_t result = m_items[static_cast<size_t>(m_cursor)]->TransitProc(0);
        if (result == CScriptItem::kOver)
            RunFrom(m_cursor + 1);
        else if (result == CScriptItem::kError)
            m_cursor = -1;
        else if (m_cursor >= static_cast<int32_t>(m_items.size()))
            m_cursor = -1; // aborted while it waited
    }
    else if (m_cursor >= 0)
        m_cursor = -1;
    else
        return;
    if (m_cursor == -1)
        m_log << "SS-STOP [[" << m_name << "]] (asynch)\n" << kSubScriptRule;
}

// ---------------------------------------------------------------- CLaunchPart

CLaunchPart::CLaunchPart(CScriptContext* context) : m_pContext(context)
{
    m_doc.vSetDefaultProtocol("str");
    m_doc.vSetOperatingMode(kXmlModePreProcess);
    m_log.Init(context);
    NotifyEvent(5);
    OpenServerLink();
}

CLaunchPart::~CLaunchPart()
{
    // The sub-scripts and their items go first, while the link still stands: a
    // launchgame item that kills its running game tells the end of the game (3)
    // to the server as well as to the page, before the part's own end (4).
    m_requests.clear();
    m_subScripts.clear();
    if (m_pContext && m_pContext->host)
    {
        if (!m_running)
            NotifyNotStarted();
        NotifyEvent(4);
    }
    CloseServerLink();
    Clear();
}

void CLaunchPart::NotifyNotStarted()
{
    if (m_notStartedSent)
        return;
    m_notStartedSent = true;
    NotifyEvent(1001);
}

void CLaunchPart::Clear()
{
    m_requests.clear();
    m_subScripts.clear();
    m_launchMode = kLaunchModeNone;
    m_launchVerb.clear();
    m_currentGame.reset();
    m_candidateGames.reset();
    m_started = false;
}

int32_t CLaunchPart::Start(const std::string& text)
{
    Clear();
    m_running = true;
    if (m_pContext)
    {
        m_log << kVarsRule << "VARS [[defined at LaunchScript.Load() time]]\n";
        const CStringMap& vars = m_pContext->vars.Vars();
        MapPosition position = vars.GetStartPosition();
        while (position != kMapEnd)
        {
            CStringExt name;
            CStringExt value;
            vars.GetNextAssoc(position, name, value);
            m_log << "[" << name << "] = \"" << value << "\"\n";
        }
        m_log << kVarsRule;
        NotifyEvent(0);
    }
    if (m_doc.lLoad("STR://" + text, this) != 0 || m_doc.GetLastXmlError() != 0)
        return 0;
    Queue(kSubScriptOnStart, "", 0);
    m_started = true;
    if (m_pContext)
    {
        // Each pending command is queued once.
        std::vector<std::string> pending;
        pending.swap(m_pContext->pendingCommands);
        for (const std::string& command : pending)
            QueueByName(command);
    }
    return 1;
}

int32_t CLaunchPart::Queue(int32_t mode, const std::string& name, int32_t priority)
{
    if (mode == kSubScriptNamed && !HasSubScript(name))
        return 0;
    auto at = m_requests.begin();
    while (at != m_requests.end() && at->priority <= priority)
        ++at;
    m_requests.insert(at, SubScriptRequest{mode, name, priority});
    return 1;
}

bool CLaunchPart::HasSubScript(const std::string& name) const
{
    return Find(kSubScriptNamed, name) != nullptr;
}

CSubScript* CLaunchPart::Find(int32_t mode, const std::string& name) const
{
    for (const auto& subScript : m_subScripts)
        if (subScript->GetType() == mode && (mode != kSubScriptNamed || EqualsNoCase(subScript->GetName(), name)))
            return subScript.get();
    return nullptr;
}

bool CLaunchPart::IsIdle() const
{
    if (!m_requests.empty())
        return false;
    for (const auto& subScript : m_subScripts)
        if (subScript->IsRunning())
            return false;
    return true;
}

void CLaunchPart::RunQueue()
{
    while (!m_requests.empty())
    {
        const SubScriptRequest request = m_requests.front();
        m_requests.erase(m_requests.begin());
        CSubScript* subScript = Find(request.mode, request.name);
        if (!subScript)
            continue;
        if (!subScript->IsRunning())
        {
            subScript->StartSynch();
            if (request.mode == kSubScriptOnStop && m_pContext && m_pContext->host)
                m_pContext->host->RequestEnd();
        }
        if (subScript->IsRunning() && subScript->IsBlocking())
            break;
    }
}

void CLaunchPart::Step(int32_t)
{
    ServiceServerLink();
    bool busy = false;
    // A sub-script's items may queue requests but never add sub-scripts: the
    // list stays as it is during the walk.
    for (const auto& subScript : m_subScripts)
    {
        if (!subScript->IsRunning())
            continue;
        subScript->StepAsynch();
        if (!subScript->IsRunning())
        {
            if (subScript->GetType() == kSubScriptOnStop)
            {
                if (m_pContext && m_pContext->host)
                    m_pContext->host->RequestEnd();
                busy = true;
            }
        }
        else if (subScript->IsBlocking())
            busy = true;
    }
    if (!busy)
        RunQueue();
}

bool CLaunchPart::ConditionHolds(const std::string& attributes) const
{
    CStringExt value;
    bool found = false;
    if (HasParam("var", attributes) && m_pContext)
        found = m_pContext->vars.GetScriptVar(FindParamValue("var", attributes, ""), value);
    bool holds = true;
    if (HasParam("eq", attributes) && !EqualsNoCase(value, FindParamValue("eq", attributes, "")))
        holds = false;
    if (HasParam("neq", attributes) && EqualsNoCase(value, FindParamValue("neq", attributes, "")))
        holds = false;
    if (HasParam("fits", attributes) && !StrMatchesPattern(value, FindParamValue("fits", attributes, "")))
        holds = false;
    if (HasParam("nfits", attributes) && StrMatchesPattern(value, FindParamValue("nfits", attributes, "")))
        holds = false;
    if (HasParam("exists", attributes) && !found)
        holds = false;
    if (HasParam("nexists", attributes) && found)
        holds = false;
    if (HasParam("isempty", attributes) && !value.empty())
        holds = false;
    if (HasParam("nisempty", attributes) && value.empty())
        holds = false;
    if (HasParam("lverb", attributes) && !StrMatchesPattern(m_launchVerb, FindParamValue("lverb", attributes, "")))
        holds = false;
    if (HasParam("lmode", attributes) && LaunchModeOfWord(FindParamValue("lmode", attributes, "")) != m_launchMode)
        holds = false;
    return holds;
}

int32_t CLaunchPart::OnPreProcessTag(const CStringExt& name, const CStringExt& attributes, const CXmlNamespace*,
                                     const CXmlNamespaceScope&, std::string& content, CXmlDocument*)
{
    if (EqualsNoCase(name, "subscript"))
    {
        std::string expandedAttributes = attributes;
        std::string expandedText = content;
        if (m_pContext)
        {
            ExpandScriptVars(expandedAttributes, m_pContext->vars, nullptr);
            ExpandScriptVars(expandedText, m_pContext->vars, nullptr);
        }
        m_subScripts.push_back(std::make_unique<CSubScript>(expandedAttributes, expandedText, this));
        return 0;
    }
    if (EqualsNoCase(name, "technoplug"))
    {
        std::string technoid = FindParamValue("technoid", attributes, "");
        std::string classid = FindParamValue("classid", attributes, "");
        if (m_pContext)
        {
            ExpandScriptVars(technoid, m_pContext->vars, nullptr);
            ExpandScriptVars(classid, m_pContext->vars, nullptr);
            if (m_pContext->host)
                m_pContext->host->RegisterPlug(technoid, classid);
        }
        return kXmlKeepElement;
    }
    if (EqualsNoCase(name, "ssif"))
    {
        if (ConditionHolds(attributes))
            return kXmlKeepElement;
        content.clear();
        return 0;
    }
    return kXmlKeepElement;
}
