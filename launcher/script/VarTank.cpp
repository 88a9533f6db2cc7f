#include "VarTank.h"

#include "ParamString.h"
#include "TextUtil.h"
#include "XmlEntities.h"

namespace
{
const char kVarTankCaption[] = "Ludex Var Tank";
}

namespace
{
std::unique_ptr<CStringMap> NewVarMap()
{
    auto map = std::make_unique<CStringMap>();
    map->InitHashTable(10, false);
    return map;
}
} // namespace

CVarTank::CVarTank() : m_vars(NewVarMap())
{
    m_doc.vSetDefaultProtocol("str");
    m_doc.vSetOperatingMode(kXmlModePreProcess);
}

CVarTank::~CVarTank() = default;

int32_t CVarTank::LoadText(const std::string& text)
{
    if (m_doc.lLoad("STR://" + text, this) == 0 && m_doc.GetLastXmlError() == 0)
        return 1;
    if (m_alert)
        m_alert("Failed to load :\n" + text, kVarTankCaption);
    return 0;
}

bool CVarTank::GetScriptVar(const std::string& name, CStringExt& value) const
{
    if (m_vars->Lookup(name, value))
        return true;
    value.clear();
    return false;
}

void CVarTank::SetScriptVar(const std::string& name, const std::string& value)
{
    (*m_vars)[name] = value;
}

void CVarTank::Clear()
{
    m_vars = NewVarMap();
}

int32_t CVarTank::OnPreProcessTag(const CStringExt& name, const CStringExt& attributes, const CXmlNamespace*,
                                  const CXmlNamespaceScope&, std::string& content, CXmlDocument*)
{
    if (!EqualsNoCase(name, "var"))
        return kXmlKeepElement;
    SetScriptVar(FindParamValue("name", attributes, ""), XmlUnformatString(content));
    return 0;
}

int32_t ExpandScriptVars(std::string& text, const CVarTank& tank, const CStringMap* extraVars)
{
    int32_t count = 0;
    size_t from = 0;
    for (;;)
    {
        const size_t open = text.find("[%", from);
        if (open == std::string::npos || open + 2 >= text.size())
            break;
        const size_t close = text.find("%]", open + 2);
        if (close == std::string::npos)
        {
            from = open + 1;
            continue;
        }
        ++count;
        std::string name = text.substr(open + 2, close - open - 2);
        const size_t afterBegin = close + 2;
        bool encoded = false;
        if (name.size() >= 2 && name.front() == '%' && name.back() == '%')
        {
            name = name.substr(1, name.size() - 2);
            encoded = true;
        }
        CStringExt value;
        if (!(extraVars && extraVars->Lookup(name, value)))
            tank.GetScriptVar(name, value);

        size_t replaceBegin = open;
        size_t replaceEnd = afterBegin;
        std::string inserted = value;
        if (encoded)
        {
            inserted = UrlEncode(value);
            // The quotes that held the reference in place go with it, only as a pair.
            if (open > 0 && afterBegin < text.size() && text[open - 1] == text[afterBegin] &&
                (text[open - 1] == '\'' || text[open - 1] == '"'))
            {
                --replaceBegin;
                ++replaceEnd;
            }
        }
        text.replace(replaceBegin, replaceEnd - replaceBegin, inserted);
        // Go on right behind the inserted value, so that no reference after it is skipped.
        from = replaceBegin + inserted.size();
    }
    return count;
}
