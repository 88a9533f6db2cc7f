#include "ScriptItem.h"

#include "LaunchPart.h"
#include "ParamString.h"
#include "TextUtil.h"

const char* const kScriptItemKeywords[11] = {"launchinit", "launchinfo", "msgbox",     "quit",
                                             "ssjump",     "launchgame", "browse",     "loadscript",
                                             "pwdgen",     "fileop",     "regop"};

const char* FindScriptItemKeyword(const std::string& keyword)
{
    for (const char* word : kScriptItemKeywords)
        if (EqualsNoCase(keyword, word))
            return word;
    return nullptr;
}

void CScriptLog::Init(const CScriptContext* context)
{
    m_pHost = nullptr;
    CStringExt value;
    if (context && context->host && context->vars.GetScriptVar("log:console", value))
        m_pHost = context->host;
}

namespace
{
const char kSeparator[] = "\t------------------------------\n";
}

CScriptItem::CScriptItem()
{
    m_doc.vSetDefaultProtocol("str");
    m_sslinks.InitHashTable(10, false);
}

CScriptItem::~CScriptItem() = default;

void CScriptItem::Init(const std::string& text, CSubScript* owner)
{
    m_text = text;
    m_pOwner = owner;
    m_log.Init(Context());
}

CLaunchPart* CScriptItem::GetOwner() const
{
    return m_pOwner ? m_pOwner->GetLaunchPart() : nullptr;
}

CScriptContext* CScriptItem::Context() const
{
    CLaunchPart* part = GetOwner();
    return part ? part->Context() : nullptr;
}

CXmlTag* CScriptItem::CommandTag() const
{
    for (CXmlTag* tag = m_doc.lpGetNextChildTag(nullptr); tag; tag = m_doc.lpGetNextChildTag(tag))
        if (!tag->GetName().empty())
            return tag;
    return nullptr;
}

int32_t CScriptItem::OnPreProcessTag(const CStringExt& name, const CStringExt& attributes,
                                     const CXmlNamespace* tagNamespace, const CXmlNamespaceScope& scope,
                                     std::string& content, CXmlDocument* document)
{
    if (!m_pOwner)
        return kXmlKeepElement;
    return m_pOwner->OnPreProcessTag(name, attributes, tagNamespace, scope, content, document);
}

int32_t CScriptItem::CmdStart()
{
    m_log << kSeparator << "\tCMD-START <" << GetKeyword() << ">\n";
    if (CScriptContext* context = Context())
        ExpandScriptVars(m_text, context->vars, nullptr);
    if (m_doc.lLoad("STR://" + m_text, this) != 0 || m_doc.GetLastXmlError() != 0)
        return kError;

    if (CXmlTag* links = m_doc.GetNextSubTagNamed("sslinks", nullptr))
    {
        for (int32_t i = 0; i < links->GetAttributeCount(); ++i)
        {
            CStringExt name;
            CStringExt value;
            links->boGetAttributeAt(i, name, value);
            m_sslinks[name] = value;
        }
    }

    m_state = 0;
    m_state = vRunSynch(0);
    if (m_state == kError)
    {
        m_log << "\t    " << GetKeyword() << " => ERROR state\n";
        OnError();
    }
    else if (m_state != kOver)
        return TransitProc(0);
    const int32_t result = m_state;
    m_state = kIdle;
    m_log << "\tCMD-STOP <" << GetKeyword() << "> (synch)\n" << kSeparator;
    return result;
}

int32_t CScriptItem::vRunSynch(int32_t state)
{
    int32_t lastPositive = 0;
    for (;;)
    {
        const int32_t next = StateProc(state);
        if (next < 0)
            return next;
        if (next == 0)
            return lastPositive;
        m_log << "\t    " << GetKeyword() << " New State (synch): [==>" << next << "<==]\n";
        lastPositive = next;
        state = next;
    }
}

int32_t CScriptItem::TransitProc(int32_t quiet)
{
    if (m_state != kIdle && m_state != kTransit)
    {
        const int32_t waiting = m_state;
        m_state = kTransit;
        const int32_t result = AsyncDone(waiting);
        m_state = waiting;
        if (result < 0)
        {
            if (result == kError)
                m_log << "\t    " << GetKeyword() << " => StateTransit Error on state : " << waiting << "\n";
            m_state = result;
        }
        else if (result > 0)
        {
            m_log << "\t    " << GetKeyword() << " => New State (TransitProc) : " << result << "\n";
            m_state = kTransit;
            const int32_t synch = vRunSynch(result);
            m_state = synch == 0 ? result : synch;
        }
        if (m_state == kError && quiet == 0)
        {
            m_log << "\t    " << GetKeyword() << " => ERROR state\n";
            m_state = kTransit;
            OnError();
            m_state = kError;
        }
        if ((m_state == kError || m_state == kOver) && quiet == 0)
            m_log << "\tCMD-STOP <" << GetKeyword() << "> (asynch)\n" << kSeparator;
    }
    return m_state;
}

bool CScriptItem::CallLinkedSubScript(const std::string& link, int32_t quiet)
{
    CStringExt target;
    if (m_sslinks.Lookup(link, target))
        return CallNextSubScript(target);
    if (quiet == 0)
        m_log << "\t    " << GetKeyword() << " => ERROR : Invalid Next SubScript \"Link Map\" Call : " << link << "\n";
    return false;
}

bool CScriptItem::CallNextSubScript(const std::string& name)
{
    CLaunchPart* part = GetOwner();
    if (part && part->Queue(kSubScriptNamed, name, 0))
        return true;
    m_log << "\t    " << GetKeyword() << " => ERROR : Invalid Next SubScript Call : " << name << "\n";
    return false;
}

bool CScriptItem::CallOnStopSubScript()
{
    CLaunchPart* part = GetOwner();
    if (part && part->Find(kSubScriptOnStop, "") && part->Queue(kSubScriptOnStop, "", 0))
        return true;
    m_log << "\t    " << GetKeyword() << " => Unexpected ERROR : Failed to call OnStop SubScript \n";
    return false;
}

void CScriptItem::AbortSubScript()
{
    if (!m_pOwner)
        return;
    m_log << "\t    " << GetKeyword() << " CMD => Sub-Script aborted\n";
    m_pOwner->Abort();
}

void CScriptItem::OnError()
{
    if (CallLinkedSubScript("err", 0))
        AbortSubScript();
}

int32_t CScriptItem::StrContextVarsUpdate(const CStringMap* extraVars, std::string& text)
{
    CScriptContext* context = Context();
    return context ? ExpandScriptVars(text, context->vars, extraVars) : 0;
}

int32_t CScriptItem::SendBstrData(const std::string&, const std::string& source, const std::string& destination,
                                  const std::string& data)
{
    if (EqualsNoCase(destination, "ZDP"))
    {
        if (CLaunchPart* launchPart = GetOwner())
            launchPart->SendRawToServer(data);
    }
    else if (EqualsNoCase(destination, "DBG"))
        m_log << "\t    [" << source << "] => " << data << "\n";
    return 1;
}

int32_t CScriptItem::GetItemTankValue(const std::string& path, CStringExt& value, const std::string& reference)
{
    CScriptContext* context = Context();
    if (!context)
    {
        value.clear();
        return 0;
    }
    return context->items.Lookup(path, reference, value);
}
