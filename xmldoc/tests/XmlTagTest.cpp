#include <gtest/gtest.h>

#include "TestHelper.h"

#include <string>
#include <vector>

#include "XmlDocument.h"

namespace
{
// Names of the tags a walk yields ("#text" for text nodes), from start inside root.
std::vector<std::string> Walk(const CXmlTag* start, const CXmlTag* root)
{
    std::vector<std::string> names;
    for (const CXmlTag* tag = start->lpGetNextTag(root); tag != nullptr; tag = tag->lpGetNextTag(root))
        names.push_back(tag->IsLeafTag() ? "#" + tag->GetText() : std::string(tag->GetName()));
    return names;
}

void Load(CXmlDocument& doc, const std::string& xml)
{
    ASSERT_EQ(doc.lLoad("STR://" + xml, nullptr), 0);
}
} // namespace

TEST(XmlTag, KindTable)
{
    struct Case
    {
        const char* xml;
        bool leaf, root, empty, data, mixed;
    } cases[] = {
        {"<a>t</a>", false, false, false, true, false},
        {"<a>x<b/>y</a>", false, false, false, false, true},
        {"<a/>", false, false, true, false, false},
        {"<a></a>", false, false, true, false, false},
        {"<a><b/></a>", false, false, false, false, false},
        {"<a><b/>y</a>", false, false, false, false, true},
    };
    for (const Case& c : cases)
    {
        CXmlDocument doc;
        FD_HELPER(Load(doc, c.xml));
        const CXmlTag* a = doc.lpGetNextChildTag(nullptr);
        ASSERT_NE(a, nullptr) << c.xml;
        EXPECT_EQ(a->IsLeafTag(), c.leaf) << c.xml;
        EXPECT_EQ(a->IsRootTag(), c.root) << c.xml;
        EXPECT_EQ(a->IsEmptyTag(), c.empty) << c.xml;
        EXPECT_EQ(a->IsDataTag(), c.data) << c.xml;
        EXPECT_EQ(a->IsMixedTag(), c.mixed) << c.xml;
    }
    CXmlDocument doc;
    FD_HELPER(Load(doc, "<a>t</a>"));
    EXPECT_TRUE(doc.IsRootTag());
    EXPECT_FALSE(doc.IsLeafTag() || doc.IsEmptyTag() || doc.IsDataTag() || doc.IsMixedTag());
    const CXmlTag* text = doc.lpGetNextChildTag(nullptr)->lpGetNextChildTag(nullptr);
    EXPECT_TRUE(text->IsLeafTag());
    EXPECT_FALSE(text->IsRootTag() || text->IsEmptyTag() || text->IsDataTag() || text->IsMixedTag());
}

TEST(XmlTag, PostOrderWalks)
{
    CXmlDocument doc;
    FD_HELPER(Load(doc, "<a><b>t</b><c/></a><d><e/></d>"));
    EXPECT_EQ(Walk(&doc, nullptr), (std::vector<std::string>{"#t", "b", "c", "a", "e", "d"}));
    EXPECT_EQ(Walk(&doc, &doc), (std::vector<std::string>{"#t", "b", "c", "a", "e", "d"}));

    // A virtual root keeps the walk inside its subtree and is never returned.
    const CXmlTag* a = doc.lpGetNextChildTag(nullptr);
    EXPECT_EQ(Walk(a, a), (std::vector<std::string>{"#t", "b", "c"}));
    const CXmlTag* c = a->lpGetNextChildTag(a->lpGetNextChildTag(nullptr));
    EXPECT_EQ(c->lpGetNextTag(a), nullptr);
    EXPECT_EQ(c->lpGetNextTag(c), nullptr); // a root without children
    EXPECT_EQ(a->GetNextSubTag(nullptr)->GetText(), "t");
    EXPECT_EQ(a->GetNextSubTag(a)->GetText(), "t");

    // Names compare without regard to case.
    CXmlDocument games;
    FD_HELPER(Load(games, "<list><GAME id=\"1\"/><x><game id=\"2\"/></x></list>"));
    const CXmlTag* first = games.lpGetNextTagNamed("game", nullptr);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetAttribute("ID", ""), "1");
    const CXmlTag* second = first->lpGetNextTagNamed("game", nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->GetAttribute("id", ""), "2");
    EXPECT_EQ(second->lpGetNextTagNamed("game", nullptr), nullptr);
    const CXmlTag* list = games.lpGetNextChildTag(nullptr);
    EXPECT_EQ(
        list->GetNextSubTagNamed("game", list->GetNextSubTagNamed("game", nullptr))->GetAttribute("id", ""),
        "2");
}

TEST(XmlTag, ChildWalk)
{
    CXmlDocument doc;
    FD_HELPER(Load(doc, "<r><a/><b/><c/></r><other/>"));
    const CXmlTag* r = doc.lpGetNextChildTag(nullptr);
    const CXmlTag* a = r->lpGetNextChildTag(nullptr);
    const CXmlTag* b = r->lpGetNextChildTag(a);
    const CXmlTag* c = r->lpGetNextChildTag(b);
    EXPECT_EQ(b->GetName(), "b");
    EXPECT_EQ(c->GetName(), "c");
    EXPECT_EQ(r->lpGetNextChildTag(c), nullptr);
    EXPECT_EQ(r->lpGetNextChildTag(a), b); // any child again, not only the last one
    EXPECT_EQ(r->lpGetNextChildTag(doc.lpGetNextChildTag(r)), nullptr); // not a child of r
}

TEST(XmlTag, NamespacesResolveThroughAncestors)
{
    CXmlDocument doc;
    FD_HELPER(Load(doc,
                   "<root xmlns=\"urn:d\" xmlns:x=\"urn:x\"><x:game><name/><x:v xmlns:x=\"urn:y\"/></x:game>"
                   "<plain xmlns=\"\"/><q:z/></root>"));
    const CXmlTag* root = doc.lpGetNextChildTag(nullptr);
    EXPECT_EQ(root->GetNamespaceName(), "urn:d");
    EXPECT_EQ(root->GetNamespaceCount(), 2);
    EXPECT_EQ(root->GetAttributeCount(), 0); // declarations are no attributes
    const CXmlTag* game = root->lpGetNextChildTag(nullptr);
    EXPECT_EQ(game->GetNamespaceName(), "urn:x");
    const CXmlTag* name = game->lpGetNextChildTag(nullptr);
    EXPECT_EQ(name->GetNamespaceName(), "urn:d");
    EXPECT_EQ(game->lpGetNextChildTag(name)->GetNamespaceName(), "urn:y"); // nearest declaration
    const CXmlTag* plain = root->lpGetNextChildTag(game);
    EXPECT_EQ(plain->GetNamespace(), nullptr);                          // an empty name undeclares
    EXPECT_EQ(root->lpGetNextChildTag(plain)->GetNamespace(), nullptr); // undeclared prefix

    EXPECT_EQ(doc.lpGetNamespacedNextTagNamed("x:game", "URN:X", nullptr), game);
    EXPECT_EQ(doc.lpGetNamespacedNextTagNamed("x:game", "urn:d", nullptr), nullptr);
    EXPECT_EQ(root->GetNamespacedNextSubTagNamed("name", "urn:d", nullptr), name);
}

TEST(XmlTag, Attributes)
{
    CXmlDocument doc;
    FD_HELPER(Load(doc, "<a y1=\"Yes\" y2=\"TRUE\" y3=\"1\" y4=\"t\" n1=\"0\" n2=\"no\" n3=\"\" num=\"abc\" "
                        "big=\"99999999999\" neg=\"-7x\" dup=\"first\" dup=\"second\"/>"));
    const CXmlTag* a = doc.lpGetNextChildTag(nullptr);
    for (const char* name : {"y1", "y2", "y3", "y4"})
        EXPECT_TRUE(a->boGetAttributeBool(name)) << name;
    for (const char* name : {"n1", "n2", "n3", "missing"})
        EXPECT_FALSE(a->boGetAttributeBool(name)) << name;
    EXPECT_EQ(a->lGetAttributeLong("missing", 5), 5);
    EXPECT_EQ(a->lGetAttributeLong("num", 5), 0);
    EXPECT_EQ(a->lGetAttributeLong("neg", 5), -7);
    EXPECT_EQ(a->lGetAttributeLong("big", 5), INT32_MAX);
    EXPECT_EQ(a->GetAttribute("DUP", "d"), "first");
    EXPECT_EQ(a->GetAttribute("none", "d"), "d");
    EXPECT_TRUE(a->boHasAttribute("Y1"));
    EXPECT_FALSE(a->boHasAttribute("y"));
    CStringExt name = "sentinel", value = "sentinel";
    EXPECT_TRUE(a->boGetAttributeAt(1, name, value));
    EXPECT_EQ(name, "y2");
    EXPECT_EQ(value, "TRUE");
    EXPECT_FALSE(a->boGetAttributeAt(12, name, value));
    EXPECT_FALSE(a->boGetAttributeAt(-1, name, value));
    EXPECT_EQ(name, "y2");
}

TEST(XmlTag, Dumps)
{
    CXmlDocument doc;
    FD_HELPER(Load(doc, "<a k=\"1\"><b>t &amp; u</b><c/>  mixed text  </a>"));
    const CXmlTag* a = doc.lpGetNextChildTag(nullptr);
    const CXmlTag* b = a->lpGetNextChildTag(nullptr);
    EXPECT_EQ(b->DumpValue(false), "t &amp; u");
    EXPECT_EQ(b->DumpValue(true), "t & u");
    EXPECT_EQ(b->DumpXml(false), "\n\t<b>t &amp; u</b>");
    EXPECT_EQ(a->DumpText(false), "t &amp; umixed text");
    EXPECT_EQ(a->DumpText(true), "t & umixed text");
    EXPECT_EQ(a->DumpValue(false), "<b>t &amp; u</b>\n\t<c/>\n\tmixed text");
    EXPECT_EQ(doc.DumpXml(false), "<a k=\"1\">\n\t<b>t &amp; u</b>\n\t<c/>\n\tmixed text\n</a>");
    EXPECT_EQ(a->GetNextSubTagNamedText("B"), "t & u");
    CXmlTag* last = nullptr;
    EXPECT_EQ(a->GetNextSubTagNamedText("c", &last), "");
    EXPECT_EQ(last, a->lpGetNextChildTag(b));
    EXPECT_EQ(a->GetNextSubTagNamedText("c", &last), "");
    EXPECT_EQ(last, nullptr);
}

// Writing a tree and reading the text back gives the same tree: attribute values are
// decoded once when read and encoded once when written.
TEST(XmlTag, WriteThenReadGivesTheSameTree)
{
    CXmlDocument doc;
    CXmlTag* list = doc.lpAddChildTag("games", "");
    list->lpAddNamespace("g", "urn:a&b");
    CXmlTag* game = list->lpAddChildTag("g:game", "");
    game->vAddAttribute("name", "Tom & Jerry <\"2\"> 'x' \xA0 &amp;");
    game->vAddAttribute("empty", "");
    game->lpAddChildTag("gname", "Caf&eacute; &amp; co");
    game->lpAddChildTag("flag", "");
    EXPECT_EQ(game->GetNamespaceName(), "urn:a&b");

    const std::string first = doc.DumpXml(false);
    CXmlDocument again;
    FD_HELPER(Load(again, first));
    EXPECT_EQ(again.DumpXml(false), first);
    const CXmlTag* reread = again.lpGetNextTagNamed("g:game", nullptr);
    ASSERT_NE(reread, nullptr);
    EXPECT_EQ(reread->GetAttribute("name", ""), "Tom & Jerry <\"2\"> 'x' \xA0 &amp;");
    EXPECT_EQ(reread->GetAttribute("empty", "d"), "");
    EXPECT_EQ(reread->GetNamespaceName(), "urn:a&b");
    EXPECT_EQ(reread->GetNextSubTagNamedText("gname"), "Caf\xE9 & co");
    EXPECT_TRUE(reread->lpGetNextTagNamed("flag", reread)->IsEmptyTag());

    // And a third generation is still the same text.
    CXmlDocument third;
    FD_HELPER(Load(third, again.DumpXml(false)));
    EXPECT_EQ(third.DumpXml(false), first);
}
