// CXmlDocument: XML text loaded from a file ("FILE://"), a resource of the program
// ("RES://") or the source string itself ("STR://"), read by a pre-process pass that
// hands each tag to an event sink and by a tree pass that builds the tag tree. The
// document is the root tag of its own tree.
#pragma once

#include <cstdint>
#include <string>

#include "StringExt.h"
#include "XmlEventSink.h"
#include "XmlSources.h"
#include "XmlTag.h"

struct CXmlError
{
    int32_t code = 0; // 0: nothing wrong
    CStringExt digest;
    CStringExt section;
    int32_t offsetStart = 0;
    int32_t offsetStop = 0;
};

enum : uint32_t
{
    kXmlModePreProcess = 0x1, // hand every tag to the sink
    kXmlModeTree = 0x2,       // build the tree
};

class CXmlDocument : public CXmlTag
{
public:
    // A pre-process rewrite that keeps giving the same element back at one place is
    // taken as "keep" after this many rewrites in a row.
    static constexpr uint32_t kMaxRewritesInPlace = 64;
    // Rewrites of one load, all places together.
    static constexpr uint32_t kMaxRewritesPerLoad = 100000;

    CXmlDocument();
    ~CXmlDocument() override;

    // 0 loaded, 1 cannot be read (or unknown protocol), 2 out of memory, 3 no such
    // resource. The sink is told OnDetach at the next load or when the document goes:
    // it must live until then.
    int32_t lLoad(const CStringExt& source, CXmlEventSink* sink);
    void vSetOperatingMode(uint32_t mode);
    uint32_t GetOperatingMode() const;
    void vSetDefaultProtocol(const CStringExt& protocol);
    CStringExt GetProtocol() const { return m_sProtocol; }
    CStringExt GetDocumentURL() const { return m_boLocationIsRawText ? CStringExt(m_sRawText) : m_sLocation; }
    CXmlTag* lpGetRootTag() { return this; }
    // The error code of the last load; *error receives the whole record when given
    // (the first error that load found).
    int32_t GetLastXmlError(CXmlError* error = nullptr) const;
    // The raw text of the last load, after the pre-process pass.
    const std::string& GetRawText() const { return m_sRawText; }
    uint32_t GetTagCount() const { return m_nTagCount; }

    const std::string& GetLineBreak() const { return m_sLineBreak; }
    const std::string& GetIndentUnit() const { return m_sIndentUnit; }

private:
    // Its tags take their memory from m_tagStore.
    friend class CXmlTag;

    void vReset();
    // Destroys the tree and releases the memory of its tags.
    void vDropTree();
    // The text of m_sProtocol and m_sLocation into m_sRawText.
    int32_t lRead();
    struct CTreeState;
    void vSetError(const std::string& digest, size_t from, size_t stop);
    void vSetMatchError(const std::string& name, size_t from, size_t stop);
    void vSendEvent(int32_t code, int32_t value, int32_t count);
    void vPreProcessPass();
    void vTreePass();
    void vBuildLevel(CTreeState& state, CXmlTag* parent, size_t firstToken, size_t endToken, size_t textBegin,
                     size_t textEnd, size_t depth);
    void vAddText(CXmlTag* parent, const std::string& pending, size_t begin, size_t end);

    CXmlTagStore m_tagStore;
    CStringExt m_sDefaultProtocol = "FILE";
    bool m_boPreProcess = true;
    bool m_boTree = true;
    CStringExt m_sProtocol;
    CStringExt m_sLocation;
    std::string m_sRawText;
    // A STR load keeps its text once: the location is the raw text until the
    // pre-process pass first changes that.
    bool m_boLocationIsRawText = false;
    CXmlEventSink* m_pSink = nullptr;
    uint32_t m_nTagCount = 0;
    CXmlError m_error;
    std::string m_sLineBreak = "\n";
    std::string m_sIndentUnit = "\t";
};
