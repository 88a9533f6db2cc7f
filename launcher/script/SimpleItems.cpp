#include "SimpleItems.h"

#include <vector>

#include "LaunchPart.h"
#include "MessageBoxStyle.h"
#include "StringExt.h"
#include "TextUtil.h"

namespace
{
constexpr uint32_t kTopmost = 0x00040000; // MB_TOPMOST
const char kDefaultTitle[] = "Zelto Game Launcher";

// The item's element of that name inside its command, or null.
CXmlTag* Element(const CXmlDocument& doc, const char* name)
{
    return doc.GetNextSubTagNamed(name, nullptr);
}

class CItemQuit : public CScriptItem
{
public:
    const char* GetKeyword() const override { return "quit"; }
    int32_t StateProc(int32_t state) override
    {
        if (state != 0)
            return kError;
        CallOnStopSubScript();
        AbortSubScript();
        return kOver;
    }
};

class CItemSsJump : public CScriptItem
{
public:
    const char* GetKeyword() const override { return "ssjump"; }
    int32_t StateProc(int32_t) override
    {
        CXmlTag* jump = Element(m_doc, "ssjump");
        const CStringExt to = jump ? jump->GetAttribute("to", "") : CStringExt();
        if (to.empty())
            return kError;
        int32_t result = kOver;
        if (!CallNextSubScript(to))
        {
            m_log << "\t    " << GetKeyword() << " => SSJumpTo ERROR : Invalid SubScript : " << to << "\n";
            result = kError;
        }
        if (!jump->boGetAttributeBool("branch"))
            AbortSubScript();
        return result;
    }
};

class CItemMsgBox : public CScriptItem
{
public:
    const char* GetKeyword() const override { return "msgbox"; }
    int32_t StateProc(int32_t) override
    {
        CXmlTag* box = Element(m_doc, "msgbox");
        CScriptContext* context = Context();
        if (!box || !context || !context->host)
            return kOver;
        CStringExt title = box->GetNextSubTagNamedText("title");
        if (title.empty())
            title = kDefaultTitle;
        const CStringExt text = box->GetNextSubTagNamedText("mess");
        const uint32_t style =
            MessageBoxStyle(box->GetAttribute("butts", ""), box->GetAttribute("icon", "")) | kTopmost;
        const int32_t answer = context->host->ShowMessageBox(text, title, style);
        const char* link = "ok";
        if (answer == 2 || answer == 3 || answer == 7) // IDCANCEL, IDABORT, IDNO
            link = "cancel";
        else if (answer == 4) // IDRETRY
            link = "retry";
        if (CallLinkedSubScript(link, 1))
            AbortSubScript();
        return kOver;
    }
};

class CItemBrowse : public CScriptItem
{
public:
    const char* GetKeyword() const override { return "browse"; }
    int32_t StateProc(int32_t) override
    {
        CXmlTag* browse = Element(m_doc, "browse");
        if (!browse)
            return kOver;
        CStringExt type = browse->GetAttribute("type", "");
        if (type.empty())
            type = "web";
        if (!EqualsNoCase(type, "web"))
            return kError;
        CStringExt url = browse->DumpText(true);
        url.TrimLeft();
        url.TrimRight();
        const CStringExt target = browse->GetAttribute("target", "");
        // Never an empty address.
        CScriptContext* context = Context();
        if (!url.empty() && context && context->host)
            context->host->NavigateHostFrame(url, target);
        return kOver;
    }
};

class CItemPwdGen : public CScriptItem
{
public:
    const char* GetKeyword() const override { return "pwdgen"; }
    int32_t StateProc(int32_t) override
    {
        CXmlTag* gen = Element(m_doc, "pwdgen");
        CScriptContext* context = Context();
        if (!gen || !context)
            return kOver;
        const int32_t count = gen->lGetAttributeLong("nbchars", 0);
        const CStringExt var = gen->GetAttribute("var", "");
        const bool digits = !gen->boHasAttribute("nonbrs");
        const bool uppers = !gen->boHasAttribute("nouppers");
        const bool lowers = !gen->boHasAttribute("nolowers");
        if (var.empty() || count <= 0 || count > kMaxLength || (!digits && !uppers && !lowers))
        {
            m_log << "\t    WARNING : incorrect pwd generation parameters\n";
            return kOver;
        }
        std::string password;
        std::vector<uint8_t> bytes(64);
        size_t next = bytes.size();
        while (password.size() < static_cast<size_t>(count))
        {
            if (next == bytes.size())
            {
                if (!context->host || !context->host->RandomBytes(bytes.data(), bytes.size()))
                {
                    m_log << "\t    " << GetKeyword() << " => ERROR : no random source\n";
                    return kError;
                }
                next = 0;
            }
            // 7 bits of a byte are uniform over 0-127; characters outside the
            // wanted classes are drawn again.
            const char c = static_cast<char>(bytes[next++] & 0x7F);
            if ((lowers && c >= 'a' && c <= 'z') || (uppers && c >= 'A' && c <= 'Z') || (digits && c >= '0' && c <= '9'))
                password += c;
        }
        context->vars.SetScriptVar(var, password);
        return kOver;
    }

private:
    static constexpr int32_t kMaxLength = 4096;
};
} // namespace

std::unique_ptr<CScriptItem> NewSimpleItem(const std::string& keyword)
{
    if (keyword == "quit")
        return std::make_unique<CItemQuit>();
    if (keyword == "ssjump")
        return std::make_unique<CItemSsJump>();
    if (keyword == "msgbox")
        return std::make_unique<CItemMsgBox>();
    if (keyword == "browse")
        return std::make_unique<CItemBrowse>();
    if (keyword == "pwdgen")
        return std::make_unique<CItemPwdGen>();
    if (keyword == "loadscript")
        return NewItemLoadScript();
    if (keyword == "fileop")
        return NewItemFileOp();
    if (keyword == "regop")
        return NewItemRegOp();
    return nullptr;
}
