#include "ItemTank.h"

#include "ParamString.h"
#include "TextUtil.h"
#include "XmlEntities.h"

namespace
{
const char kItemTankCaption[] = "Ludex Item Tank";
// Sub-tanks deeper than this are not read (their content is kept as the value).
constexpr uint32_t kMaxTankDepth = 64;
} // namespace

CItemTank::CItemTank()
{
    m_doc.vSetDefaultProtocol("str");
    m_doc.vSetOperatingMode(kXmlModePreProcess);
}

CItemTank::~CItemTank() = default;

int32_t CItemTank::LoadText(const std::string& text, const std::string& context)
{
    m_context = context;
    const bool loaded = m_doc.lLoad("STR://" + text, this) == 0 && m_doc.GetLastXmlError() == 0;
    m_context.clear();
    if (loaded)
        return 1;
    if (m_alert)
        m_alert("Failed to load :\n" + text, kItemTankCaption);
    return 0;
}

ItemTankEntry* CItemTank::Find(const std::string& name, const std::string& context) const
{
    for (const auto& entry : m_entries)
        if (EqualsNoCase(entry->name, name) && (context.empty() || EqualsNoCase(entry->context, context)))
            return entry.get();
    return nullptr;
}

void CItemTank::Remove(const std::string& context)
{
    for (size_t i = m_entries.size(); i-- > 0;)
        if (context.empty() || EqualsNoCase(m_entries[i]->context, context))
            m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(i));
}

int32_t CItemTank::Lookup(const std::string& path, const std::string& context, CStringExt& value) const
{
    value.clear();
    std::string head = path;
    std::string rest;
    std::string attribute;
    bool hasRest = false;
    bool hasAttribute = false;
    if (const size_t slash = path.find('/'); slash != std::string::npos)
    {
        head = path.substr(0, slash);
        rest = path.substr(slash + 1);
        hasRest = true;
    }
    else if (const size_t dot = path.find('.'); dot != std::string::npos)
    {
        head = path.substr(0, dot);
        attribute = path.substr(dot + 1);
        hasAttribute = true;
    }
    const ItemTankEntry* entry = Find(head, context);
    if (!entry)
        return 0;
    if (hasRest)
        return entry->subTank ? entry->subTank->Lookup(rest, "", value) : 0;
    if (hasAttribute)
    {
        value = FindParamValue(attribute, entry->attributes, "");
        return 1;
    }
    if (!entry->subTank)
        value = entry->value;
    return 1;
}

int32_t CItemTank::OnPreProcessTag(const CStringExt& name, const CStringExt& attributes, const CXmlNamespace*,
                                   const CXmlNamespaceScope&, std::string& content, CXmlDocument*)
{
    if (EqualsNoCase(name, "cleartank"))
    {
        Remove(m_context);
        return 0;
    }
    ItemTankEntry* entry = Find(name, m_context);
    if (!entry)
    {
        m_entries.push_back(std::make_unique<ItemTankEntry>());
        entry = m_entries.back().get();
    }
    entry->context = m_context;
    entry->name = name;
    entry->attributes = attributes;
    if (m_depth < kMaxTankDepth)
    {
        if (!entry->subTank)
        {
            entry->subTank = std::make_unique<CItemTank>();
            entry->subTank->m_depth = m_depth + 1;
        }
        entry->subTank->LoadText(content, "");
        if (entry->subTank->GetCount() == 0)
            entry->subTank.reset();
    }
    if (!entry->subTank)
    {
        entry->value = XmlUnformatString(content);
        if (entry->value.empty())
            entry->value = FindParamValue("val", attributes, "");
    }
    // The content has been read here: the walk does not go into it again.
    return 0;
}
