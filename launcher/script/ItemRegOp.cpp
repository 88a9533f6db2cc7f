// "regop": reads a registry value into a variable ("regget") or writes one
// ("regset"), through the host.
#include "SimpleItems.h"
#include "TextUtil.h"

namespace
{
class CItemRegOp : public CScriptItem
{
public:
    const char* GetKeyword() const override { return "regop"; }

    int32_t StateProc(int32_t) override
    {
        CXmlTag* command = CommandTag();
        CXmlTag* op = command ? command->lpGetNextChildTag(nullptr) : nullptr;
        while (op && op->IsLeafTag())
            op = command->lpGetNextChildTag(op);
        CScriptContext* context = Context();
        if (!op || !context || !context->host)
            return kOver;
        m_key = SlashesToBackslashes(op->GetAttribute("key", ""));
        const CStringExt name = op->GetAttribute("valname", "");
        if (EqualsNoCase(op->GetName(), "regset"))
            context->host->RegWrite(m_key, name, op->GetAttribute("val", ""),
                                    ValueType(op->GetAttribute("valtype", "")));
        else if (EqualsNoCase(op->GetName(), "regget"))
        {
            m_value = context->host->RegRead(m_key, name, op->GetAttribute("valdef", ""));
            const CStringExt var = op->GetAttribute("var", "");
            if (!var.empty())
                context->vars.SetScriptVar(var, m_value);
        }
        return kOver;
    }

private:
    // "DW..." a DWORD, exactly "B" binary, anything else a string.
    static uint32_t ValueType(const std::string& word)
    {
        if (word.size() >= 2 && EqualsNoCase(word.substr(0, 2), "DW"))
            return IScriptEngineHost::kRegDword;
        if (word == "B")
            return IScriptEngineHost::kRegBinary;
        return IScriptEngineHost::kRegSz;
    }

    CStringExt m_key;
    CStringExt m_value;
};
} // namespace

std::unique_ptr<CScriptItem> NewItemRegOp()
{
    return std::make_unique<CItemRegOp>();
}
