#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "XmlDocument.h"
#include "XmlSources.h"

namespace
{
// Records every call a document makes.
class CRecordingSink : public CXmlEventSink
{
public:
    int32_t OnPreProcessTag(const CStringExt& name, const CStringExt&, const CXmlNamespace*,
                            const CXmlNamespaceScope&, std::string&, CXmlDocument*) override
    {
        calls.push_back("tag " + name);
        return kXmlKeepElement;
    }
    void OnLoadEvent(int32_t code, int32_t value, int32_t count, CXmlDocument*) override
    {
        calls.push_back("event " + std::to_string(code) + " " + std::to_string(value) + " " +
                        std::to_string(count));
    }
    void OnDetach(CXmlDocument*) override { calls.push_back("detach"); }
    void ResolveProtocol(CStringExt& protocol, CStringExt& location, CXmlDocument*) override
    {
        calls.push_back("resolve " + protocol + " " + location);
        protocol = newProtocol.empty() ? protocol : newProtocol;
        location = clearLocation ? CStringExt() : (newLocation.empty() ? location : newLocation);
    }

    std::vector<std::string> calls;
    CStringExt newProtocol;
    CStringExt newLocation;
    bool clearLocation = false;
};
} // namespace

TEST(XmlDocument, LoadsInlineText)
{
    for (const char* source : {"STR://<a>t</a>", "str://<a>t</a>", "Str://<a>t</a>"})
    {
        CXmlDocument doc;
        EXPECT_EQ(doc.lLoad(source, nullptr), 0) << source;
        EXPECT_EQ(doc.GetProtocol(), "STR");
        EXPECT_EQ(doc.GetDocumentURL(), "<a>t</a>");
        ASSERT_EQ(doc.GetChildCount(), 1);
        const CXmlTag* a = doc.lpGetNextChildTag(nullptr);
        EXPECT_EQ(a->GetName(), "a");
        ASSERT_EQ(a->GetChildCount(), 1);
        EXPECT_EQ(a->lpGetNextChildTag(nullptr)->GetText(), "t");
        EXPECT_EQ(doc.GetLastXmlError(), 0);
        EXPECT_EQ(doc.lpGetRootTag(), &doc);
    }
}

TEST(XmlDocument, DefaultProtocolAndProtocolPosition)
{
    CXmlDocument doc;
    doc.vSetDefaultProtocol("str");
    EXPECT_EQ(doc.lLoad("<a/>", nullptr), 0);
    EXPECT_EQ(doc.GetProtocol(), "STR");
    EXPECT_EQ(doc.GetChildCount(), 1);
    // "://" beyond position 7: the whole source under the default protocol.
    EXPECT_EQ(doc.lLoad("eightabc://<b/>", nullptr), 0);
    EXPECT_EQ(doc.GetProtocol(), "STR");
    EXPECT_EQ(doc.GetDocumentURL(), "eightabc://<b/>");
    EXPECT_EQ(doc.lpGetNextChildTag(nullptr)->GetText(), "eightabc://");
    EXPECT_NE(doc.lpGetNextTagNamed("b", nullptr), nullptr);
    // An empty default falls back to FILE.
    doc.vSetDefaultProtocol("");
    EXPECT_EQ(doc.lLoad("no_such_file_here.xml", nullptr), 1);
    EXPECT_EQ(doc.GetProtocol(), "FILE");
}

TEST(XmlDocument, FileAndResourceErrors)
{
    const char path[] = "xmldoc_test_file.xml";
    FILE* f = std::fopen(path, "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("<?xml version=\"1.0\"?>\n<root><x v=\"1\"/></root>", f);
    std::fclose(f);

    CXmlDocument doc;
    EXPECT_EQ(doc.lLoad(path, nullptr), 0); // no protocol: FILE by default
    EXPECT_EQ(doc.GetProtocol(), "FILE");
    EXPECT_EQ(doc.lpGetNextTagNamed("x", nullptr)->GetAttribute("v", ""), "1");
    EXPECT_EQ(doc.GetChildCount(), 1); // the declaration makes no node
    EXPECT_EQ(doc.lLoad(std::string("file://") + path, nullptr), 0);
    std::remove(path);
    EXPECT_EQ(doc.lLoad(std::string("FILE://") + path, nullptr), 1);
    EXPECT_EQ(doc.GetChildCount(), 0); // the previous tree went with the reset
    EXPECT_EQ(doc.lLoad("RES://#9999", nullptr), 3);
    EXPECT_EQ(doc.lLoad("res://nosuchname", nullptr), 3);
}

namespace
{
// Serves one resource and one file of its own, and counts the calls.
class CFakeSourceReader : public IXmlSourceReader
{
public:
    int32_t lReadFile(const std::string& path, std::string& text,
                      const std::function<void()>& onInMemory) const override
    {
        ++files;
        // The document makes the path absolute first.
        if (path.size() < 8 || path.compare(path.size() - 8, 8, "fake.xml") != 0)
            return kXmlLoadReadFailed;
        text = "<f v=\"file\"/>";
        onInMemory();
        return kXmlLoadOk;
    }
    int32_t lReadResource(const std::string& location, std::string& text) const override
    {
        ++resources;
        if (location != "#7")
            return kXmlLoadNoResource;
        text = "<r v=\"res\"/>";
        return kXmlLoadOk;
    }
    mutable int files = 0;
    mutable int resources = 0;
};
} // namespace

TEST(XmlDocument, ReadsThroughTheSourceReaderHandedIn)
{
    const IXmlSourceReader* const before = &XmlSourceReader();
    CFakeSourceReader fake;
    vSetXmlSourceReader(&fake);
    CXmlDocument doc;
    EXPECT_EQ(doc.lLoad("res://#7", nullptr), 0);
    EXPECT_EQ(doc.lpGetNextTagNamed("r", nullptr)->GetAttribute("v", ""), "res");
    EXPECT_EQ(doc.lLoad("res://#8", nullptr), 3);
    EXPECT_EQ(doc.lLoad("file://fake.xml", nullptr), 0);
    EXPECT_EQ(doc.lpGetNextTagNamed("f", nullptr)->GetAttribute("v", ""), "file");
    EXPECT_EQ(doc.lLoad("str://<s/>", nullptr), 0); // text sources read no reader
    EXPECT_EQ(fake.resources, 2);
    EXPECT_EQ(fake.files, 1);
    vSetXmlSourceReader(nullptr);
    // Without a reader handed in, the C library's: no resources.
    EXPECT_EQ(doc.lLoad("res://#7", nullptr), 3);
    EXPECT_EQ(fake.resources, 2);
    vSetXmlSourceReader(before);
}

TEST(XmlDocument, UnknownProtocols)
{
    CRecordingSink sink; // outlives the document, which detaches from it at the end
    CXmlDocument doc;
    // Without a sink nothing can read it: a failure.
    EXPECT_EQ(doc.lLoad("http://host/a.xml", nullptr), 1);
    EXPECT_EQ(doc.GetProtocol(), "HTTP");

    // A resolver that does nothing: still a failure.
    EXPECT_EQ(doc.lLoad("http://host/a.xml", &sink), 1);
    EXPECT_EQ(sink.calls[0], "resolve HTTP host/a.xml");

    // A resolver that takes the load over (clears the location): nothing loaded, no failure.
    sink.calls.clear();
    sink.clearLocation = true;
    EXPECT_EQ(doc.lLoad("http://host/a.xml", &sink), 0);
    EXPECT_EQ(doc.GetChildCount(), 0);
    EXPECT_EQ(sink.calls, (std::vector<std::string>{"detach", "resolve HTTP host/a.xml"}));

    // A resolver that turns the load into a known one.
    sink.calls.clear();
    sink.clearLocation = false;
    sink.newProtocol = "str";
    sink.newLocation = "<z/>";
    EXPECT_EQ(doc.lLoad("zip://x", &sink), 0);
    EXPECT_EQ(doc.GetProtocol(), "STR");
    EXPECT_EQ(doc.lpGetNextChildTag(nullptr)->GetName(), "z");
}

TEST(XmlDocument, LoadEventsInOrder)
{
    CRecordingSink sink;
    {
        CXmlDocument doc;
        ASSERT_EQ(doc.lLoad("STR://<a><b/>t</a>", &sink), 0);
        const std::vector<std::string> expected = {
            "event 0 -1 0", "event 1 0 0",  "tag a",        "event 1 25 0", "tag b",
            "event 2 -1 0", "event 2 -1 1", "event 2 -1 2", "event 3 -1 0",
        };
        EXPECT_EQ(sink.calls, expected);
        EXPECT_EQ(doc.GetTagCount(), 3u);
        sink.calls.clear();
    }
    EXPECT_EQ(sink.calls, std::vector<std::string>{"detach"});
}

TEST(XmlDocument, OperatingModes)
{
    CRecordingSink sink;
    CXmlDocument doc;
    EXPECT_EQ(doc.GetOperatingMode(), kXmlModePreProcess | kXmlModeTree);
    doc.vSetOperatingMode(kXmlModePreProcess);
    ASSERT_EQ(doc.lLoad("STR://<a/>", &sink), 0);
    EXPECT_EQ(doc.GetChildCount(), 0);
    EXPECT_EQ(sink.calls, (std::vector<std::string>{"event 0 -1 0", "event 1 0 0", "tag a", "event 3 -1 0"}));

    sink.calls.clear();
    doc.vSetOperatingMode(kXmlModeTree);
    ASSERT_EQ(doc.lLoad("STR://<a/>", &sink), 0);
    EXPECT_EQ(doc.GetChildCount(), 1);
    EXPECT_EQ(sink.calls,
              (std::vector<std::string>{"detach", "event 0 -1 0", "event 2 -1 0", "event 3 -1 0"}));
}

TEST(XmlDocument, StrayEndTagReportsTheElement)
{
    CXmlDocument doc;
    ASSERT_EQ(doc.lLoad("STR://<a></b></a>", nullptr), 0);
    CXmlError error;
    EXPECT_EQ(doc.GetLastXmlError(&error), 1);
    EXPECT_EQ(error.code, 1);
    EXPECT_EQ(error.digest, "Inconsistant tag count inside tag <a> ...</a>");
    EXPECT_EQ(error.offsetStart, 3);
    EXPECT_EQ(error.offsetStop, 7);
    EXPECT_EQ(error.section, "</b>");
    // a has no children; the rest follows as its siblings (end tags make no nodes).
    ASSERT_EQ(doc.GetChildCount(), 1);
    EXPECT_TRUE(doc.lpGetNextChildTag(nullptr)->IsEmptyTag());

    // The next load starts clean.
    ASSERT_EQ(doc.lLoad("STR://<a></a>", nullptr), 0);
    EXPECT_EQ(doc.GetLastXmlError(), 0);
}

TEST(XmlDocument, MissingEndTagBuildsFollowingSiblings)
{
    CXmlDocument doc;
    ASSERT_EQ(doc.lLoad("STR://<r><br>text<i>x</i></r>", nullptr), 0);
    CXmlError error;
    EXPECT_EQ(doc.GetLastXmlError(&error), 1);
    EXPECT_EQ(error.digest, "Inconsistant tag count inside tag <br> ...</br>");
    const CXmlTag* r = doc.lpGetNextChildTag(nullptr);
    ASSERT_EQ(r->GetChildCount(), 3);
    EXPECT_TRUE(r->lpGetNextChildTag(nullptr)->IsEmptyTag());
    EXPECT_EQ(r->DumpText(false), "textx");
}

TEST(XmlDocument, ScannerEdges)
{
    struct Case
    {
        const char* xml;
        const char* dump; // the document's DumpXml
    } cases[] = {
        {"<a>1 < 2</a>", "<a>1 < 2</a>"},                // "< " is no tag
        {"<a t=\"x>y\"/>", "<a t=\"x&gt;y\"/>"},         // '>' inside quotes
        {"<a><!-- <b> --></a>", "<a/>"},                 // comments make no node
        {"<a>x <!-- c --> y<?p?>z</a>", "<a>x  yz</a>"}, // and do not split the text
        {"<?xml version=\"1.0\"?><!DOCTYPE a><a/>", "<a/>"},
        {"<a><![CDATA[x<y]]></a>", "<a><![CDATA[x<y]]></a>"}, // kept as character data
        {"<A>x</a>", "<A>x</A>"},                             // end tags match in any case
        {"<a><a>x</a></a>", "<a>\n\t<a>x</a>\n</a>"},
        {"<a x=1 y = \"2 3\" z>t</a>", "<a x=\"1\" y=\"2 3\" z=\"\">t</a>"},
        {"text only", "text only"},
        {"<a/ >", "<a/>"},
        {"<>", ""},
        {"<", "<"}, // no tag: character data
        {"<a", "<a"},
        {"", ""},
    };
    for (const Case& c : cases)
    {
        CXmlDocument doc;
        ASSERT_EQ(doc.lLoad(std::string("STR://") + c.xml, nullptr), 0) << c.xml;
        EXPECT_EQ(doc.DumpXml(false), c.dump) << c.xml;
    }
}

TEST(XmlDocument, OverlongTagIsSkipped)
{
    const std::string longAttribute(5000, 'v');
    CXmlDocument doc;
    ASSERT_EQ(doc.lLoad("STR://<r><a x=\"" + longAttribute + "\"/><b/></r>", nullptr), 0);
    const CXmlTag* r = doc.lpGetNextChildTag(nullptr);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->GetNextSubTagNamed("a", nullptr), nullptr);
    EXPECT_NE(r->GetNextSubTagNamed("b", nullptr), nullptr);

    // Just within the limit (4096 bytes from '<' to '>').
    const std::string fits(4096 - 9, 'v'); // '<a x="' and '"/>' around it
    ASSERT_EQ(doc.lLoad("STR://<a x=\"" + fits + "\"/>", nullptr), 0);
    ASSERT_EQ(doc.GetChildCount(), 1);
    EXPECT_EQ(doc.lpGetNextChildTag(nullptr)->GetAttribute("x", ""), fits);
    ASSERT_EQ(doc.lLoad("STR://<a x=\"" + fits + "v\"/>", nullptr), 0);
    EXPECT_EQ(doc.GetChildCount(), 1); // the skipped tag leaves its tail as text
    EXPECT_TRUE(doc.lpGetNextChildTag(nullptr)->IsLeafTag());
}

TEST(XmlDocument, DeepNestingIsBounded)
{
    std::string xml;
    const int depth = 5000;
    for (int i = 0; i < depth; ++i)
        xml += "<d>";
    for (int i = 0; i < depth; ++i)
        xml += "</d>";
    CXmlDocument doc;
    ASSERT_EQ(doc.lLoad("STR://" + xml, nullptr), 0);
    CXmlError error;
    EXPECT_EQ(doc.GetLastXmlError(&error), 1);
    EXPECT_EQ(error.digest, "Tag nesting too deep inside tag <d>");
    int levels = 0;
    for (const CXmlTag* tag = doc.lpGetNextChildTag(nullptr); tag != nullptr;
         tag = tag->lpGetNextChildTag(nullptr))
        ++levels;
    EXPECT_EQ(levels, 256);
}

TEST(XmlDocument, UnclosedTagsDoNotTakeQuadraticTime)
{
    // Every tag searches to the end for its end tag; the budget shared by the pass ends
    // that, and only the first error of a load copies its section.
    std::string xml;
    for (int i = 0; i < 50000; ++i)
        xml += "<a>";
    CXmlDocument doc;
    ASSERT_EQ(doc.lLoad("STR://" + xml, nullptr), 0);
    CXmlError error;
    EXPECT_EQ(doc.GetLastXmlError(&error), 1);
    EXPECT_EQ(error.offsetStart, 3); // the first tag's
    EXPECT_EQ(doc.GetChildCount(), 50000);
}

// A load keeps text nodes in the document's text and attributes in its store: both
// read the same whatever way they are reached, and a loaded tag's attributes still
// grow past what the load gave them.
TEST(XmlDocument, LoadedTextAndAttributesStayWhole)
{
    CXmlDocument doc;
    ASSERT_EQ(doc.lLoad("STR://<r><a x=\"1\" y=\"a longer value than fits\">  some text &amp; more  </a>"
                        "<b>x<!-- c -->y</b></r>",
                        nullptr),
              0);
    CXmlTag* r = doc.lpGetNextChildTag(nullptr);
    CXmlTag* a = r->lpGetNextChildTag(nullptr);
    const CXmlTag* text = a->lpGetNextChildTag(nullptr);
    ASSERT_TRUE(text->IsLeafTag());
    EXPECT_TRUE(a->IsDataTag());
    EXPECT_EQ(a->DumpText(false), "some text &amp; more");
    EXPECT_EQ(text->GetText(), "some text &amp; more");
    EXPECT_EQ(text->GetText(), "some text &amp; more"); // asked twice
    EXPECT_EQ(a->DumpText(true), "some text & more");
    // Text on both sides of a comment is one text node.
    EXPECT_EQ(r->lpGetNextChildTag(a)->lpGetNextChildTag(nullptr)->GetText(), "xy");

    for (int i = 0; i < 40; ++i)
        a->vAddAttribute(CStringExt("n" + std::to_string(i)), CStringExt(std::string(20, 'v')));
    ASSERT_EQ(a->GetAttributeCount(), 42);
    EXPECT_EQ(a->GetAttribute("X", ""), "1");
    EXPECT_EQ(a->GetAttribute("y", ""), "a longer value than fits");
    EXPECT_EQ(a->GetAttribute("n39", ""), std::string(20, 'v'));
    CStringExt name, value;
    ASSERT_TRUE(a->boGetAttributeAt(1, name, value));
    EXPECT_EQ(name, "y");
    EXPECT_NE(doc.DumpXml(false).find("<a x=\"1\" y=\"a longer value than fits\" n0="), std::string::npos);

    // A second load replaces the tree and its text.
    ASSERT_EQ(doc.lLoad("STR://<q>other</q>", nullptr), 0);
    EXPECT_EQ(doc.lpGetNextChildTag(nullptr)->lpGetNextChildTag(nullptr)->GetText(), "other");
}
