// "fileop": one file operation, named by the first element of the command:
// copy, valuechange, textsubst, download, rename or delete. A download goes
// through the launch script (the host fetches it) and the item waits for it.
#include "FileOps.h"
#include "LaunchScript.h"
#include "Location.h"
#include "SimpleItems.h"
#include "TextUtil.h"

namespace
{
class CItemFileOp : public CScriptItem
{
public:
    const char* GetKeyword() const override { return "fileop"; }

    int32_t StateProc(int32_t) override
    {
        CXmlTag* command = CommandTag();
        CXmlTag* op = command ? command->lpGetNextChildTag(nullptr) : nullptr;
        while (op && op->IsLeafTag())
            op = command->lpGetNextChildTag(op);
        if (!op)
            return kOver;
        const CStringExt name = op->GetName();
        bool done = true;
        if (EqualsNoCase(name, "copy"))
            done = m_files.Copy(op->GetAttribute("src", ""), op->GetAttribute("dest", ""),
                                op->boHasAttribute("overwrite"));
        else if (EqualsNoCase(name, "valuechange"))
            done = m_files.FileValueChange(op->GetAttribute("file", ""), op->GetAttribute("paramname", ""),
                                           Value(op), false);
        else if (EqualsNoCase(name, "textsubst"))
            done = m_files.FileTextSubst(op->GetAttribute("file", ""), op->GetAttribute("text", ""),
                                         Value(op), false);
        else if (EqualsNoCase(name, "rename"))
            done = m_files.Rename(op->GetAttribute("old", ""), op->GetAttribute("new", ""));
        else if (EqualsNoCase(name, "delete"))
            done = m_files.Delete(op->GetAttribute("file", ""));
        else if (EqualsNoCase(name, "download"))
            return StartDownload(op->GetAttribute("url", ""), op->GetAttribute("dest", ""));
        return done ? kOver : kError;
    }

    int32_t AsyncDone(int32_t) override
    {
        CLaunchScript* script = Script();
        if (!m_downloadRequested || !script)
            return kError;
        CStringExt path;
        bool failed = false;
        if (!script->TakeSource(m_url, path, failed))
            return 0;
        m_downloadRequested = false;
        CStringExt rest = m_url;
        // A download's file is the item's from here on; a local source is left alone.
        const bool downloaded = !EqualsNoCase(SplitProtocol(rest, ""), "file");
        const bool copied = !failed && !path.empty() && m_files.Copy(path, m_destination, true);
        if (downloaded && !path.empty())
            m_files.Delete(path);
        return copied ? kOver : kError;
    }

private:
    CLaunchScript* Script() const
    {
        CScriptContext* context = Context();
        return context ? context->script : nullptr;
    }

    // The element's value, entity-decoded and trimmed.
    static CStringExt Value(const CXmlTag* op)
    {
        CStringExt value = op->DumpText(true);
        value.TrimLeft();
        value.TrimRight();
        return value;
    }

    int32_t StartDownload(const std::string& url, const std::string& destination)
    {
        CLaunchScript* script = Script();
        if (!script || url.empty() || destination.empty())
            return kError;
        m_url = script->SourceUrl(url);
        m_destination = destination;
        m_downloadRequested = true;
        script->LoadSourceKept(m_url);
        return 0;
    }

    CFileOps m_files;
    CStringExt m_url;
    CStringExt m_destination;
    bool m_downloadRequested = false;
};
} // namespace

std::unique_ptr<CScriptItem> NewItemFileOp()
{
    return std::make_unique<CItemFileOp>();
}
