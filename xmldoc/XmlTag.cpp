#include "XmlTag.h"

#include "NumberText.h"
#include "TextUtil.h"
#include "XmlDocument.h"
#include "XmlEntities.h"

CXmlTag::CXmlTag() = default;

CXmlTag::~CXmlTag() = default;

void CXmlTag::vClearChildren()
{
    m_children.clear();
}

CXmlTag* CXmlTag::lpAppendChild(std::unique_ptr<CXmlTag> child)
{
    child->m_pParent = this;
    child->m_pDocument = m_pDocument;
    child->m_nIndexInParent = m_children.size();
    m_children.push_back(std::move(child));
    return m_children.back().get();
}

CXmlTag* CXmlTag::lpAddChildTag(const CStringExt& name, const CStringExt& text)
{
    std::unique_ptr<CXmlTag> child(new CXmlTag);
    child->m_sName = name;
    if (name.empty())
        child->m_sText = text;
    CXmlTag* added = lpAppendChild(std::move(child));
    if (!name.empty())
    {
        added->vResolveNamespace();
        if (!text.empty())
            added->lpAddChildTag(CStringExt(), text);
    }
    return added;
}

void CXmlTag::vAddAttribute(const CStringExt& name, const CStringExt& value)
{
    m_attributes.emplace_back(name, value);
}

void CXmlTag::vAddAttribute(CStringExt&& name, CStringExt&& value)
{
    m_attributes.emplace_back(std::move(name), std::move(value));
}

CXmlTag* CXmlTag::lpAddTextChild(std::string&& text)
{
    std::unique_ptr<CXmlTag> child(new CXmlTag);
    child->m_sText = std::move(text);
    return lpAppendChild(std::move(child));
}

const CXmlNamespace* CXmlTag::lpAddNamespace(const CStringExt& prefix, const CStringExt& namespaceName)
{
    m_namespaces.push_back(std::unique_ptr<CXmlNamespace>(new CXmlNamespace{prefix, namespaceName}));
    return m_namespaces.back().get();
}

const CXmlNamespace* CXmlTag::GetNamespaceAt(int32_t index) const
{
    if (index < 0 || static_cast<size_t>(index) >= m_namespaces.size())
        return nullptr;
    return m_namespaces[static_cast<size_t>(index)].get();
}

void CXmlTag::vResolveNamespace()
{
    m_pNamespace = nullptr;
    const CStringExt prefix = XmlNamePrefix(m_sName);
    for (const CXmlTag* tag = this; tag != nullptr; tag = tag->m_pParent)
    {
        for (auto it = tag->m_namespaces.rbegin(); it != tag->m_namespaces.rend(); ++it)
        {
            if ((*it)->prefix == prefix)
            {
                // The nearest declaration decides; an empty name undeclares.
                m_pNamespace = (*it)->name.empty() ? nullptr : it->get();
                return;
            }
        }
    }
}

CStringExt CXmlTag::GetNamespaceName() const
{
    return m_pNamespace != nullptr ? m_pNamespace->name : CStringExt();
}

CXmlTag* CXmlTag::lpGetNextChildTag(const CXmlTag* after) const
{
    if (after == nullptr)
        return m_children.empty() ? nullptr : m_children.front().get();
    if (after->m_pParent != this)
        return nullptr;
    const size_t next = after->m_nIndexInParent + 1;
    return next < m_children.size() ? m_children[next].get() : nullptr;
}

CXmlTag* CXmlTag::lpDescendFirst() const
{
    const CXmlTag* tag = this;
    while (!tag->m_children.empty())
        tag = tag->m_children.front().get();
    return const_cast<CXmlTag*>(tag);
}

bool CXmlTag::boIsWalkStop(const CXmlTag* virtualRoot) const
{
    return this == virtualRoot || this == static_cast<const CXmlTag*>(m_pDocument) ||
           (virtualRoot == nullptr && m_pParent == nullptr);
}

CXmlTag* CXmlTag::lpGetNextTag(const CXmlTag* virtualRoot) const
{
    if (boIsWalkStop(virtualRoot))
        return m_children.empty() ? nullptr : m_children.front()->lpDescendFirst();
    const CXmlTag* parent = m_pParent;
    if (parent == nullptr)
        return nullptr;
    const size_t next = m_nIndexInParent + 1;
    if (next < parent->m_children.size())
        return parent->m_children[next]->lpDescendFirst();
    if (parent->boIsWalkStop(virtualRoot))
        return nullptr;
    return const_cast<CXmlTag*>(parent);
}

CXmlTag* CXmlTag::lpGetNextTagNamed(const std::string& name, const CXmlTag* virtualRoot) const
{
    for (CXmlTag* tag = lpGetNextTag(virtualRoot); tag != nullptr; tag = tag->lpGetNextTag(virtualRoot))
        if (EqualsNoCase(tag->m_sName, name))
            return tag;
    return nullptr;
}

CXmlTag* CXmlTag::lpGetNamespacedNextTagNamed(const std::string& name, const std::string& namespaceName,
                                              const CXmlTag* virtualRoot) const
{
    for (CXmlTag* tag = lpGetNextTagNamed(name, virtualRoot); tag != nullptr;
         tag = tag->lpGetNextTagNamed(name, virtualRoot))
        if (EqualsNoCase(tag->GetNamespaceName(), namespaceName))
            return tag;
    return nullptr;
}

CXmlTag* CXmlTag::GetNextSubTag(const CXmlTag* last) const
{
    return (last != nullptr ? last : this)->lpGetNextTag(this);
}

CXmlTag* CXmlTag::GetNextSubTagNamed(const std::string& name, const CXmlTag* last) const
{
    return (last != nullptr ? last : this)->lpGetNextTagNamed(name, this);
}

CXmlTag* CXmlTag::GetNamespacedNextSubTagNamed(const std::string& name, const std::string& namespaceName,
                                               const CXmlTag* last) const
{
    return (last != nullptr ? last : this)->lpGetNamespacedNextTagNamed(name, namespaceName, this);
}

CStringExt CXmlTag::GetNextSubTagNamedText(const std::string& name, CXmlTag** last) const
{
    CXmlTag* found = GetNextSubTagNamed(name, last != nullptr ? *last : nullptr);
    if (last != nullptr)
        *last = found;
    return found != nullptr ? found->DumpText(true) : CStringExt();
}

CStringExt CXmlTag::GetNamespacedNextSubTagNamedText(const std::string& name,
                                                     const std::string& namespaceName, CXmlTag** last) const
{
    CXmlTag* found = GetNamespacedNextSubTagNamed(name, namespaceName, last != nullptr ? *last : nullptr);
    if (last != nullptr)
        *last = found;
    return found != nullptr ? found->DumpText(true) : CStringExt();
}

CStringExt CXmlTag::GetAttribute(const std::string& name, const std::string& defaultValue) const
{
    for (const auto& attribute : m_attributes)
        if (EqualsNoCase(attribute.first, name))
            return attribute.second;
    return CStringExt(defaultValue);
}

bool CXmlTag::boGetAttributeAt(int32_t index, CStringExt& name, CStringExt& value) const
{
    if (index < 0 || static_cast<size_t>(index) >= m_attributes.size())
        return false;
    name = m_attributes[static_cast<size_t>(index)].first;
    value = m_attributes[static_cast<size_t>(index)].second;
    return true;
}

bool CXmlTag::boHasAttribute(const std::string& name) const
{
    for (const auto& attribute : m_attributes)
        if (EqualsNoCase(attribute.first, name))
            return true;
    return false;
}

bool CXmlTag::boGetAttributeBool(const std::string& name) const
{
    const CStringExt value = GetAttribute(name, "");
    if (value == "1")
        return true;
    const char first = value.empty() ? '\0' : ToLowerAscii(value[0]);
    return first == 'y' || first == 't';
}

int32_t CXmlTag::lGetAttributeLong(const std::string& name, int32_t defaultValue) const
{
    return TextToInt32(GetAttribute(name, std::to_string(defaultValue)).c_str());
}

bool CXmlTag::IsLeafTag() const
{
    return m_sName.empty() && !m_sText.empty();
}

bool CXmlTag::IsRootTag() const
{
    return m_sName.empty() && m_sText.empty();
}

bool CXmlTag::IsEmptyTag() const
{
    return !m_sName.empty() && m_sText.empty() && m_children.empty();
}

bool CXmlTag::IsDataTag() const
{
    return !m_sName.empty() && m_sText.empty() && m_children.size() == 1 && m_children.front()->IsLeafTag();
}

bool CXmlTag::IsMixedTag() const
{
    if (m_sName.empty() || !m_sText.empty() || m_children.size() < 2)
        return false;
    for (const auto& child : m_children)
        if (child->IsLeafTag())
            return true;
    return false;
}
