// CXmlTag: one node of an XML tree (element, character data or the document itself),
// with its attributes, namespace declarations, children and walks over the tree.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "StringExt.h"
#include "XmlNamespace.h"

class CXmlDocument;
class CXmlTag;

// Memory for the tags of one document's tree, taken in blocks (of kFirstBlockTags
// tags, each next block twice as large up to kMaxBlockTags): a large tree costs a few
// hundred allocations instead of one per tag. Every tag in it must be destroyed before
// the store releases its blocks.
class CXmlTagStore
{
public:
    static constexpr size_t kFirstBlockTags = 16;
    static constexpr size_t kMaxBlockTags = 1024;

    CXmlTagStore() = default;
    CXmlTagStore(const CXmlTagStore&) = delete;
    CXmlTagStore& operator=(const CXmlTagStore&) = delete;

    // Room for one CXmlTag; throws std::bad_alloc.
    void* Take();
    // Room for bytes bytes (a multiple of the pointer size) for the tags' attribute
    // lists, from blocks of their own; throws std::bad_alloc.
    void* TakeBytes(size_t bytes);
    void Release();

private:
    static constexpr size_t kByteBlockSize = 64 * 1024;

    std::vector<std::unique_ptr<unsigned char[]>> m_blocks;
    unsigned char* m_pNext = nullptr;
    size_t m_nLeft = 0; // tags that still fit in the last block
    size_t m_nLastBlockTags = 0;
    std::vector<std::unique_ptr<unsigned char[]>> m_byteBlocks;
    unsigned char* m_pNextByte = nullptr;
    size_t m_nBytesLeft = 0;
};

// A tag's attributes, in order. A load places them in the document's store (released
// with the tree, never freed one by one); a list that grows after that, or one of a
// tag of its own, holds memory of its own.
class CXmlAttributeList
{
public:
    using Pair = std::pair<CStringExt, CStringExt>;

    CXmlAttributeList() = default;
    ~CXmlAttributeList();
    CXmlAttributeList(const CXmlAttributeList&) = delete;
    CXmlAttributeList& operator=(const CXmlAttributeList&) = delete;

    size_t size() const { return m_nSize; }
    const Pair& operator[](size_t index) const { return m_pPairs[index]; }
    const Pair* begin() const { return m_pPairs; }
    const Pair* end() const { return m_pPairs + m_nSize; }
    // Appends; the list must have room (after vUseStore) or owns its memory.
    void emplace_back(CStringExt&& name, CStringExt&& value);
    // Room for capacity pairs from the store, for an empty list.
    void vUseStore(CXmlTagStore& store, uint32_t capacity);

private:
    void vGrow();

    Pair* m_pPairs = nullptr;
    uint32_t m_nSize = 0;
    uint32_t m_nCapacity = 0; // kStoreBit set: the memory belongs to the store
    static constexpr uint32_t kStoreBit = 0x80000000u;
};

class CXmlTag
{
public:
    // A tag of its own, without document or parent (a root of kind "root").
    CXmlTag();
    virtual ~CXmlTag();
    CXmlTag(const CXmlTag&) = delete;
    CXmlTag& operator=(const CXmlTag&) = delete;

    // Appends a child: an empty name makes a text node holding text (raw XML character
    // data, entity references included); otherwise an element, holding text as its
    // text child when text is not empty. The element's namespace is resolved at once.
    CXmlTag* lpAddChildTag(const CStringExt& name, const CStringExt& text);
    // Values are plain text: DumpXml writes them with entity references.
    void vAddAttribute(const CStringExt& name, const CStringExt& value);
    void vAddAttribute(CStringExt&& name, CStringExt&& value);
    // Appends a text node holding text (raw XML character data).
    CXmlTag* lpAddTextChild(std::string&& text);
    const CXmlNamespace* lpAddNamespace(const CStringExt& prefix, const CStringExt& namespaceName);
    // Finds this tag's namespace entry from its name's prefix (this tag's own
    // declarations first, then its ancestors').
    void vResolveNamespace();

    CStringExt GetName() const { return m_sName; }
    void SetLabel(const CStringExt& label);
    CStringExt GetLabel() const;
    const std::string& GetText() const;
    CXmlTag* GetParent() const { return m_pParent; }
    CXmlDocument* GetDocument() const { return m_pDocument; }
    const CXmlNamespace* GetNamespace() const { return m_pNamespace; }
    // The namespace name of this tag ("" without namespace).
    CStringExt GetNamespaceName() const;
    int32_t GetChildCount() const { return m_nChildCount; }
    int32_t GetAttributeCount() const { return static_cast<int32_t>(m_attributes.size()); }
    int32_t GetNamespaceCount() const;
    const CXmlNamespace* GetNamespaceAt(int32_t index) const;

    // The first child (after null) or the child following after; null at the end or
    // when after is not a child of this tag.
    CXmlTag* lpGetNextChildTag(const CXmlTag* after) const;

    // Post-order walk (every tag after its descendants) inside virtualRoot (null: the
    // document); started on the root it gives the first tag of the order. Never
    // returns the root or the document.
    CXmlTag* lpGetNextTag(const CXmlTag* virtualRoot) const;
    CXmlTag* lpGetNextTagNamed(const std::string& name, const CXmlTag* virtualRoot) const;
    CXmlTag* lpGetNamespacedNextTagNamed(const std::string& name, const std::string& namespaceName,
                                         const CXmlTag* virtualRoot) const;

    // The same walks over this tag's descendants; last is the tag found last (null or
    // this tag to start).
    CXmlTag* GetNextSubTag(const CXmlTag* last) const;
    CXmlTag* GetNextSubTagNamed(const std::string& name, const CXmlTag* last) const;
    CXmlTag* GetNamespacedNextSubTagNamed(const std::string& name, const std::string& namespaceName,
                                          const CXmlTag* last) const;
    // Entity-decoded DumpText of the next sub-tag so named ("" when none); *last (when
    // given) is the starting point and receives the tag found.
    CStringExt GetNextSubTagNamedText(const std::string& name, CXmlTag** last = nullptr) const;
    CStringExt GetNamespacedNextSubTagNamedText(const std::string& name, const std::string& namespaceName,
                                                CXmlTag** last = nullptr) const;

    // Attribute names compare without regard to case; the first match counts.
    CStringExt GetAttribute(const std::string& name, const std::string& defaultValue) const;
    bool boGetAttributeAt(int32_t index, CStringExt& name, CStringExt& value) const;
    bool boHasAttribute(const std::string& name) const;
    // True for "1" or a value whose first letter is y or t in either case.
    bool boGetAttributeBool(const std::string& name) const;
    // atoi of the value (saturating); the default when the attribute is missing.
    int32_t lGetAttributeLong(const std::string& name, int32_t defaultValue) const;

    // Text node: its text. Other tags: their children written as XML, one after the
    // other, each further one on its own indented line.
    CStringExt DumpValue(bool decodeEntities) const;
    // All character data below the tag, without markup.
    CStringExt DumpText(bool decodeEntities) const;
    // The tag written as XML (attribute values entity-encoded).
    CStringExt DumpXml(bool decodeEntities) const;

    bool IsLeafTag() const;  // character data
    bool IsRootTag() const;  // the document
    bool IsEmptyTag() const; // element without content
    bool IsDataTag() const;  // element holding only character data
    bool IsMixedTag() const; // element holding character data and other children

protected:
    // The document makes itself the owner of its tree.
    void vSetDocument(CXmlDocument* document) { m_pDocument = document; }
    void vClearChildren();

private:
    // The document builds the tree of a load directly.
    friend class CXmlDocument;

    // What few tags have, made when first set.
    struct CExtra
    {
        std::vector<std::unique_ptr<CXmlNamespace>> namespaces;
        CStringExt label;
    };

    // A new last child, from the document's store in a document's tree.
    CXmlTag* lpNewChild();
    // A text child whose text is the range [begin, begin + length) of the document's
    // raw text (length > 0): loads copy no character data.
    CXmlTag* lpAddRawTextChild(uint32_t begin, uint32_t length);
    // This tag's text, wherever it is kept.
    const char* TextData() const;
    size_t TextLength() const { return m_nRawTextLength != 0 ? m_nRawTextLength : m_sText.size(); }
    CExtra& Extra();
    static void vDeleteTag(CXmlTag* tag);
    CXmlTag* lpDescendFirst() const;
    bool boIsWalkStop(const CXmlTag* virtualRoot) const;
    int32_t iDepth() const;
    void vWriteXml(std::string& out) const;
    void vWriteContent(std::string& out) const;
    void vWriteText(std::string& out) const;
    const std::string& LineBreak() const;
    const std::string& IndentUnit() const;

    // Children: a list through m_pNextSibling, owned by this tag.
    CXmlTag* m_pFirstChild = nullptr;
    CXmlTag* m_pLastChild = nullptr;
    CXmlTag* m_pNextSibling = nullptr;
    int32_t m_nChildCount = 0;
    bool m_boInStore = false; // memory from the document's store rather than from new
    CXmlAttributeList m_attributes;
    CXmlDocument* m_pDocument = nullptr;
    CStringExt m_sName;
    // A text node built by a load keeps its text in the document's raw text (which
    // stays unchanged as long as the tree) and copies it here only when GetText asks.
    mutable std::string m_sText;
    mutable uint32_t m_nRawTextBegin = 0;
    mutable uint32_t m_nRawTextLength = 0; // 0: the text is m_sText
    CXmlTag* m_pParent = nullptr;
    const CXmlNamespace* m_pNamespace = nullptr;
    std::unique_ptr<CExtra> m_pExtra;
};
