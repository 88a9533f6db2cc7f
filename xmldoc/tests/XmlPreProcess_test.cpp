#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "XmlDocument.h"

namespace
{
struct CSeenTag
{
    std::string name;
    std::string attributes;
    std::string namespaceName;
    size_t scopeSize;
    std::string content;
};

// A sink whose hook is a function of the tag, recording what it is handed.
class CHookSink : public CXmlEventSink
{
public:
    using Hook = std::function<int32_t(const std::string& name, std::string& content)>;
    explicit CHookSink(Hook hook) : m_hook(std::move(hook)) {}

    int32_t OnPreProcessTag(const CStringExt& name, const CStringExt& attributes, const CXmlNamespace* ns,
                            const CXmlNamespaceScope& scope, std::string& content, CXmlDocument*) override
    {
        seen.push_back(
            CSeenTag{name, attributes, ns != nullptr ? std::string(ns->name) : "", scope.size(), content});
        return m_hook(name, content);
    }

    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const CSeenTag& tag : seen)
            names.push_back(tag.name);
        return names;
    }

    std::vector<CSeenTag> seen;

private:
    Hook m_hook;
};

int32_t Replace(std::string& content, const std::string& text)
{
    content = text;
    return static_cast<int32_t>(content.size());
}
} // namespace

TEST(XmlPreProcess, KeepingLeavesTheTextAndVisitsEveryTag)
{
    CHookSink sink([](const std::string&, std::string&) { return kXmlKeepElement; });
    CXmlDocument doc;
    const std::string xml = "<a x=\"1\"><b>t</b><c/><!-- c --><d><e/></d></a>";
    ASSERT_EQ(doc.lLoad("STR://" + xml, &sink), 0);
    EXPECT_EQ(doc.GetRawText(), xml);
    EXPECT_EQ(sink.Names(), (std::vector<std::string>{"a", "b", "c", "d", "e"}));
    EXPECT_EQ(sink.seen[0].attributes, " x=\"1\"");
    EXPECT_EQ(sink.seen[0].content, "<b>t</b><c/><!-- c --><d><e/></d>");
    EXPECT_EQ(sink.seen[1].content, "t");
    EXPECT_EQ(sink.seen[2].content, "");
}

TEST(XmlPreProcess, ReplacementIsWalkedInPlaceOfTheElement)
{
    // include is replaced by two elements, which the walk then visits.
    CHookSink sink([](const std::string& name, std::string& content)
                   { return name == "include" ? Replace(content, "<one/><two>2</two>") : kXmlKeepElement; });
    CXmlDocument doc;
    ASSERT_EQ(doc.lLoad("STR://<s><include src=\"x\">old</include><last/></s>", &sink), 0);
    EXPECT_EQ(sink.Names(), (std::vector<std::string>{"s", "include", "one", "two", "last"}));
    EXPECT_EQ(doc.GetRawText(), "<s><one/><two>2</two><last/></s>");
    EXPECT_EQ(doc.DumpXml(false), "<s>\n\t<one/>\n\t<two>2</two>\n\t<last/>\n</s>");
    // The location of a STR load stays the text as given.
    EXPECT_EQ(doc.GetDocumentURL(), "<s><include src=\"x\">old</include><last/></s>");
}

TEST(XmlPreProcess, RemovingAndUnwrapping)
{
    CHookSink sink(
        [](const std::string& name, std::string& content)
        {
            if (name == "gone")
                return Replace(content, "");
            if (name == "wrap")
                return static_cast<int32_t>(content.size()); // keep the content, lose the tags
            return kXmlKeepElement;
        });
    // A length beyond the content is cut to it.
    CHookSink overlong(
        [](const std::string& name, std::string& content)
        { return name == "a" ? static_cast<int32_t>(content.size() + 100) : kXmlKeepElement; });
    CXmlDocument doc;
    ASSERT_EQ(doc.lLoad("STR://<r><gone><x/></gone><wrap><y/>text</wrap></r>", &sink), 0);
    EXPECT_EQ(doc.GetRawText(), "<r><y/>text</r>");
    EXPECT_EQ(sink.Names(), (std::vector<std::string>{"r", "gone", "wrap", "y"}));
    ASSERT_EQ(doc.lLoad("STR://<a>in</a>", &overlong), 0);
    EXPECT_EQ(doc.GetRawText(), "in");
}

TEST(XmlPreProcess, InnerRewriteKeepsTheOuterScope)
{
    CHookSink sink([](const std::string& name, std::string& content)
                   { return name == "g:old" ? Replace(content, "<g:new/><g:new/>") : kXmlKeepElement; });
    CXmlDocument doc;
    ASSERT_EQ(doc.lLoad("STR://<root xmlns:g=\"urn:g\"><g:old>x</g:old><g:after/></root><g:outside/>", &sink),
              0);
    ASSERT_EQ(sink.seen.size(), 6u);
    EXPECT_EQ(sink.seen[0].scopeSize, 1u);
    EXPECT_EQ(sink.seen[1].namespaceName, "urn:g");
    for (size_t i = 2; i < 5; ++i)
    {
        EXPECT_EQ(sink.seen[i].namespaceName, "urn:g") << sink.seen[i].name;
        EXPECT_EQ(sink.seen[i].scopeSize, 1u) << sink.seen[i].name;
    }
    EXPECT_EQ(sink.seen[5].name, "g:outside");
    EXPECT_EQ(sink.seen[5].scopeSize, 0u); // the root's declaration went with it
    EXPECT_EQ(sink.seen[5].namespaceName, "");
}

TEST(XmlPreProcess, RewriteGivingTheSameElementBackIsCutOff)
{
    int calls = 0;
    CHookSink sink(
        [&calls](const std::string& name, std::string& content)
        {
            ++calls;
            return name == "a" ? Replace(content, "<a>x</a>") : kXmlKeepElement;
        });
    CXmlDocument doc;
    ASSERT_EQ(doc.lLoad("STR://<a>x</a><b/>", &sink), 0);
    EXPECT_EQ(doc.GetRawText(), "<a>x</a><b/>");
    // The rewrites in a row at one place, then once more where it is kept, then b.
    EXPECT_EQ(calls, static_cast<int>(CXmlDocument::kMaxRewritesInPlace) + 1 + 1);
    EXPECT_EQ(sink.seen.back().name, "b");
}

TEST(XmlPreProcess, GrowingRewritesEnd)
{
    // Each rewrite puts the element back behind a new one: bounded per load.
    CHookSink sink([](const std::string& name, std::string& content)
                   { return name == "a" ? Replace(content, "<b/><a/>") : kXmlKeepElement; });
    CXmlDocument doc;
    doc.vSetOperatingMode(kXmlModePreProcess);
    ASSERT_EQ(doc.lLoad("STR://<a></a>", &sink), 0);
    EXPECT_EQ(sink.seen.size(), 2 * static_cast<size_t>(CXmlDocument::kMaxRewritesPerLoad) + 1);
}
