// "loadscript": loads another script through the launch script. Unless the load
// is asynchronous the item waits until the source is there, then follows its
// "ok" link. A failed load with an "err" link is an error, which the base's error
// handling turns into that link; without one the sub-script goes on.
#include "LaunchScript.h"
#include "SimpleItems.h"

namespace
{
class CItemLoadScript : public CScriptItem
{
public:
    const char* GetKeyword() const override { return "loadscript"; }

    int32_t StateProc(int32_t) override
    {
        CXmlTag* script = m_doc.GetNextSubTagNamed("script", nullptr);
        if (!script)
        {
            m_log << "\t    ERROR (wrong syntax)\n";
            return kError;
        }
        const CStringExt src = script->GetAttribute("src", "");
        const bool async = script->boGetAttributeBool("async");
        m_log << "\t    SRC=" << src << "\n";
        CScriptContext* context = Context();
        CLaunchScript* launchScript = context ? context->script : nullptr;
        if (!launchScript || src.empty())
            return kOver; // nothing to load: the request is refused
        // Kept by its full address: a launch part that the loaded script starts
        // has a base of its own.
        const CStringExt url = launchScript->SourceUrl(src);
        launchScript->LoadSource(url, async ? 0 : 1);
        if (async)
            return kOver;
        m_source = url;
        return 0;
    }

    int32_t AsyncDone(int32_t) override
    {
        CScriptContext* context = Context();
        CLaunchScript* launchScript = context ? context->script : nullptr;
        if (m_source.empty() || !launchScript)
            return kError;
        bool failed = false;
        if (!launchScript->SourceStatus(m_source, failed))
            return 0;
        launchScript->FreeSource(m_source);
        m_source.clear();
        if (failed)
        {
            m_log << "\t    download ERROR\n";
            CStringExt target;
            CLaunchPart* part = GetOwner();
            // The error alone: OnError follows the "err" link, once.
            if (m_sslinks.Lookup("err", target) && part && part->HasSubScript(target))
                return kError;
            // No sub-script to hand over to (the missing link is logged).
            CallLinkedSubScript("err", 0);
            return kOver;
        }
        m_log << "\t    file loaded\n";
        CallLinkedSubScript("ok", 0);
        return kOver;
    }

private:
    CStringExt m_source; // the load this item waits for
};
} // namespace

std::unique_ptr<CScriptItem> NewItemLoadScript()
{
    return std::make_unique<CItemLoadScript>();
}
