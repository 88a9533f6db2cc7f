// CXmlEventSink: what a load of CXmlDocument calls back.
#pragma once

#include <cstdint>
#include <string>

#include "StringExt.h"
#include "XmlNamespace.h"

class CXmlDocument;

// Load event codes of OnLoadEvent.
enum : int32_t
{
    kXmlEventTextInMemory = 0, // value -1, count 0
    kXmlEventPreProcess = 1,   // value: position of the tag * 100 / text length
    kXmlEventTreeTag = 2,      // value -1, count: tags built before this one
    kXmlEventLoaded = 3,       // value -1, count 0, after both passes
};

// The pre-process hook's answer for "leave the element as it is".
constexpr int32_t kXmlKeepElement = -1;

class CXmlEventSink
{
public:
    // Called for every start tag of the pre-process pass, before anything is built.
    // content holds the element's content (between its start and end tags). Return
    // kXmlKeepElement to go on into the content, or the length of the text now in
    // content: that text then replaces the whole element and is read in its place.
    virtual int32_t OnPreProcessTag(const CStringExt& name, const CStringExt& attributes,
                                    const CXmlNamespace* tagNamespace, const CXmlNamespaceScope& scope,
                                    std::string& content, CXmlDocument* document);
    virtual void OnLoadEvent(int32_t code, int32_t value, int32_t count, CXmlDocument* document);
    // The document is being reset or destroyed: this sink is no longer used.
    virtual void OnDetach(CXmlDocument* document);
    // Called for a protocol word other than FILE, RES and STR. A sink that changes the
    // word to one of those has the load go on with it; one that clears location has
    // taken the load over (lLoad then answers 0 with nothing loaded).
    virtual void ResolveProtocol(CStringExt& protocol, CStringExt& location, CXmlDocument* document);

protected:
    ~CXmlEventSink() = default;
};
