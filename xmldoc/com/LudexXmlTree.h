// One loaded XML tree shared by the document object and every tag object made
// on it: a tag keeps its tree alive, so a later Load or the release of the
// document never leaves it pointing at freed memory.
#pragma once

#include "LudexXml.h"
#include "XmlDocument.h"

#include <memory>

// The document's sink during a load: forwards the pre-process hook to the
// observer of the document object.
class CXmlObserverSink final : public CXmlEventSink
{
public:
    // Borrowed for the time of one load.
    ILudexXmlObserver* m_pObserver = nullptr;

    int32_t OnPreProcessTag(const CStringExt& name, const CStringExt& attributes,
                            const CXmlNamespace* tagNamespace, const CXmlNamespaceScope& scope,
                            std::string& content, CXmlDocument* document) override;
};

struct SXmlTree
{
    // Declared first: the document tells its sink OnDetach when it goes.
    CXmlObserverSink sink;
    CXmlDocument doc;
};

using XmlTreeRef = std::shared_ptr<SXmlTree>;

// A new LudexXmlTag object on tag, which belongs to tree (null tag: an object
// without tag, which finds nothing).
HRESULT hrMakeXmlTag(const XmlTreeRef& tree, CXmlTag* tag, ILudexXmlTag** ppTag);
// A new LudexXmlErr object holding a copy of error.
HRESULT hrMakeXmlErr(const CXmlError& error, ILudexXmlErr** ppErr);

// Class table entries of the three classes.
HRESULT hrCreateLudexXml(REFIID riid, void** ppv);
HRESULT hrCreateLudexXmlTag(REFIID riid, void** ppv);
HRESULT hrCreateLudexXmlErr(REFIID riid, void** ppv);
