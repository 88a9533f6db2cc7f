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

void* CXmlTagStore::TakeBytes(size_t bytes)
{
    if (bytes > kByteBlockSize / 4)
    {
        // A rare large list gets a block of its own, before the current one.
        m_byteBlocks.emplace(m_byteBlocks.begin(), new unsigned char[bytes]);
        return m_byteBlocks.front().get();
    }
    if (bytes > m_nBytesLeft)
    {
        m_byteBlocks.emplace_back(new unsigned char[kByteBlockSize]);
        m_pNextByte = m_byteBlocks.back().get();
        m_nBytesLeft = kByteBlockSize;
    }
    void* room = m_pNextByte;
    m_pNextByte += bytes;
    m_nBytesLeft -= bytes;
    return room;
}

void CXmlTagStore::Release()
{
    m_blocks.clear();
    m_pNext = nullptr;
    m_nLeft = 0;
    m_nLastBlockTags = 0;
    m_byteBlocks.clear();
    m_pNextByte = nullptr;
    m_nBytesLeft = 0;
}

CXmlAttributeList::~CXmlAttributeList()
{
    for (uint32_t i = 0; i < m_nSize; ++i)
        m_pPairs[i].~Pair();
    if ((m_nCapacity & kStoreBit) == 0)
        ::operator delete(m_pPairs);
}

void CXmlAttributeList::vUseStore(CXmlTagStore& store, uint32_t capacity)
{
    if (m_pPairs != nullptr || capacity == 0)
        return;
    m_pPairs = static_cast<Pair*>(store.TakeBytes(capacity * sizeof(Pair)));
    m_nCapacity = capacity | kStoreBit;
}

void CXmlAttributeList::vGrow()
{
    const uint32_t capacity = m_nCapacity & ~kStoreBit;
    const uint32_t wanted = capacity < 4 ? 4 : 2 * capacity;
    Pair* pairs = static_cast<Pair*>(::operator new(wanted * sizeof(Pair)));
    for (uint32_t i = 0; i < m_nSize; ++i)
    {
        new (&pairs[i]) Pair(std::move(m_pPairs[i]));
        m_pPairs[i].~Pair();
    }
    if ((m_nCapacity & kStoreBit) == 0)
        ::operator delete(m_pPairs);
    m_pPairs = pairs;
    m_nCapacity = wanted;
}

void CXmlAttributeList::emplace_back(CStringExt&& name, CStringExt&& value)
{
    if (m_nSize == (m_nCapacity & ~kStoreBit))
        vGrow();
    new (&m_pPairs[m_nSize]) Pair(std::move(name), std::move(value));
    ++m_nSize;
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
    m_attributes.emplace_back(CStringExt(name), CStringExt(value));
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

CXmlTag* CXmlTag::lpAddRawTextChild(uint32_t begin, uint32_t length)
{
    CXmlTag* child = lpNewChild();
    child->m_nRawTextBegin = begin;
    child->m_nRawTextLength = length;
    return child;
}

const char* CXmlTag::TextData() const
{
    return m_nRawTextLength != 0 ? m_pDocument->GetRawText().data() + m_nRawTextBegin : m_sText.data();
}

const std::string& CXmlTag::GetText() const
{
    if (m_nRawTextLength != 0)
    {
        m_sText.assign(TextData(), m_nRawTextLength);
        m_nRawTextLength = 0;
    }
    return m_sText;
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
    return m_sName.empty() && TextLength() != 0;
}

bool CXmlTag::IsRootTag() const
{
    return m_sName.empty() && TextLength() == 0;
}

bool CXmlTag::IsEmptyTag() const
{
    return !m_sName.empty() && TextLength() == 0 && m_pFirstChild == nullptr;
}

bool CXmlTag::IsDataTag() const
{
    return !m_sName.empty() && TextLength() == 0 && m_nChildCount == 1 && m_pFirstChild->IsLeafTag();
}

bool CXmlTag::IsMixedTag() const
{
    if (m_sName.empty() || TextLength() != 0 || m_nChildCount < 2)
        return false;
    for (const CXmlTag* child = m_pFirstChild; child != nullptr; child = child->m_pNextSibling)
        if (child->IsLeafTag())
            return true;
    return false;
}
