#include "XmlTag.h"

#include <algorithm>
#include <new>

#include "NumberText.h"
#include "TextUtil.h"
#include "XmlDocument.h"
#include "XmlEntities.h"

void* CXmlTagStore::Take()
{
    if (m_nLeft == 0)
    {
        const size_t tags =
            m_nLastBlockTags == 0 ? kFirstBlockTags : std::min(2 * m_nLastBlockTags, kMaxBlockTags);
        // operator new[] gives memory aligned for any object of this size.
        m_blocks.emplace_back(new unsigned char[tags * sizeof(CXmlTag)]);
        m_pNext = m_blocks.back().get();
        m_nLeft = tags;
        m_nLastBlockTags = tags;
    }
    void* room = m_pNext;
    m_pNext += sizeof(CXmlTag);
    --m_nLeft;
    return room;
}

void CXmlTagStore::Release()
{
    m_blocks.clear();
    m_pNext = nullptr;
    m_nLeft = 0;
    m_nLastBlockTags = 0;
}

CXmlTag::CXmlTag() = default;

CXmlTag::~CXmlTag()
{
    vClearChildren();
}

void CXmlTag::vDeleteTag(CXmlTag* tag)
{
    if (tag->m_boInStore)
        tag->~CXmlTag();
    else
        delete tag;
}

void CXmlTag::vClearChildren()
{
    // Siblings one after the other: only the depth of the tree recurses.
    CXmlTag* child = m_pFirstChild;
    m_pFirstChild = nullptr;
    m_pLastChild = nullptr;
    m_nChildCount = 0;
    while (child != nullptr)
    {
        CXmlTag* next = child->m_pNextSibling;
        vDeleteTag(child);
        child = next;
    }
}

CXmlTag* CXmlTag::lpNewChild()
{
    CXmlTagStore* store = m_pDocument != nullptr ? &m_pDocument->m_tagStore : nullptr;
    CXmlTag* child = store != nullptr ? new (store->Take()) CXmlTag : new CXmlTag;
    child->m_boInStore = store != nullptr;
    child->m_pParent = this;
    child->m_pDocument = m_pDocument;
    if (m_pLastChild != nullptr)
        m_pLastChild->m_pNextSibling = child;
    else
        m_pFirstChild = child;
    m_pLastChild = child;
    ++m_nChildCount;
    return child;
}

CXmlTag* CXmlTag::lpAddChildTag(const CStringExt& name, const CStringExt& text)
{
    CXmlTag* added = lpNewChild();
    added->m_sName = name;
    if (name.empty())
        added->m_sText = text;
    else
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
    CXmlTag* child = lpNewChild();
    child->m_sText = std::move(text);
    return child;
}

CXmlTag::CExtra& CXmlTag::Extra()
{
    if (m_pExtra == nullptr)
        m_pExtra.reset(new CExtra);
    return *m_pExtra;
}

void CXmlTag::SetLabel(const CStringExt& label)
{
    Extra().label = label;
}

CStringExt CXmlTag::GetLabel() const
{
    return m_pExtra != nullptr ? m_pExtra->label : CStringExt();
}

const CXmlNamespace* CXmlTag::lpAddNamespace(const CStringExt& prefix, const CStringExt& namespaceName)
{
    auto& namespaces = Extra().namespaces;
    namespaces.push_back(std::unique_ptr<CXmlNamespace>(new CXmlNamespace{prefix, namespaceName}));
    return namespaces.back().get();
}

int32_t CXmlTag::GetNamespaceCount() const
{
    return m_pExtra != nullptr ? static_cast<int32_t>(m_pExtra->namespaces.size()) : 0;
}

const CXmlNamespace* CXmlTag::GetNamespaceAt(int32_t index) const
{
    if (index < 0 || index >= GetNamespaceCount())
        return nullptr;
    return m_pExtra->namespaces[static_cast<size_t>(index)].get();
}

void CXmlTag::vResolveNamespace()
{
    m_pNamespace = nullptr;
    const CStringExt prefix = XmlNamePrefix(m_sName);
    for (const CXmlTag* tag = this; tag != nullptr; tag = tag->m_pParent)
    {
        if (tag->m_pExtra == nullptr)
            continue;
        const auto& namespaces = tag->m_pExtra->namespaces;
        for (auto it = namespaces.rbegin(); it != namespaces.rend(); ++it)
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
        return m_pFirstChild;
    return after->m_pParent == this ? after->m_pNextSibling : nullptr;
}

CXmlTag* CXmlTag::lpDescendFirst() const
{
    const CXmlTag* tag = this;
    while (tag->m_pFirstChild != nullptr)
        tag = tag->m_pFirstChild;
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
        return m_pFirstChild != nullptr ? m_pFirstChild->lpDescendFirst() : nullptr;
    const CXmlTag* parent = m_pParent;
    if (parent == nullptr)
        return nullptr;
    if (m_pNextSibling != nullptr)
        return m_pNextSibling->lpDescendFirst();
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
    return !m_sName.empty() && m_sText.empty() && m_pFirstChild == nullptr;
}

bool CXmlTag::IsDataTag() const
{
    return !m_sName.empty() && m_sText.empty() && m_nChildCount == 1 && m_pFirstChild->IsLeafTag();
}

bool CXmlTag::IsMixedTag() const
{
    if (m_sName.empty() || !m_sText.empty() || m_nChildCount < 2)
        return false;
    for (const CXmlTag* child = m_pFirstChild; child != nullptr; child = child->m_pNextSibling)
        if (child->IsLeafTag())
            return true;
    return false;
}
