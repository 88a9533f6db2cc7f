// The document: loading from strings and files, the tag scan as the tree
// shows it, the hand-over pass, events, addresses and the kind table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "HtmlDoc.h"
#include "HtmlElements.h"
#include "HtmlRecordingHandler.h"
#include "HtmlScan.h"
#include "HtmlStdHost.h"
#include "HtmlTreeDump.h"

namespace
{
std::string Tree(const std::string& markup, IHtmlWndEvents* handler = nullptr, int32_t handOver = 0,
                 int32_t offerKnown = 0)
{
    // A failed load shows in the caller's comparison.
    CHtmlDoc doc;
    std::string error;
    const int32_t result = doc.Load("STR://" + markup, &error, handler, handOver, offerKnown);
    return result == 0 ? HtmlDumpTree(doc) : "! load result " + std::to_string(result) + " " + error;
}

// Where two long dumps part, with a little of each around it.
std::string FirstDifference(const std::string& got, const std::string& want)
{
    size_t at = 0;
    while (at < got.size() && at < want.size() && got[at] == want[at])
        ++at;
    const size_t from = at > 40 ? at - 40 : 0;
    return "sizes " + std::to_string(got.size()) + " and " + std::to_string(want.size()) + ", first difference at " +
           std::to_string(at) + ":\n got  ..." + got.substr(from, 120) + "\n want ..." + want.substr(from, 120);
}

struct TreeRow
{
    const char* what;
    std::string markup;
    std::string tree;
};

TEST(HtmlDoc, ScanAndTokensAsTheTreeShowsThem)
{
    const TreeRow rows[] = {
        {"'<' and a space stay text", "a < b", "NOTAG (CTagTEXT) \"a < b\"\n"},
        {"an empty tag is text and the rest is kept", "a<>b<I>c</I>",
         "NOTAG (CTagTEXT) \"a<>b\"\nI (CTagI)\n  NOTAG (CTagTEXT) \"c\"\n"},
        {"'>' in a double-quoted value", "<A HREF=\"x>y\">t</A>",
         "A (CTagA) [HREF=\\x22x>y\\x22]\n  NOTAG (CTagTEXT) \"t\"\n"},
        {"'>' in a single-quoted value closes the tag", "<A HREF='x>y'>t</A>",
         "A (CTagA) [HREF='x]\n  NOTAG (CTagTEXT) \"y'>t\"\n"},
        {"self-closed", "<B/>x<B />y",
         "B (CTagB)\nNOTAG (CTagTEXT) \"x\"\nB (CTagB)\nNOTAG (CTagTEXT) \"y\"\n"},
        {"P without end tags", "<P>one<P>two",
         "P (CTagP)\n  NOTAG (CTagTEXT) \"one\"\nP (CTagP)\n  NOTAG (CTagTEXT) \"two\"\n"},
        {"B inside B nests", "<B>a<B>b</B>c</B>d",
         "B (CTagB)\n  NOTAG (CTagTEXT) \"a\"\n  B (CTagB)\n    NOTAG (CTagTEXT) \"b\"\n  NOTAG (CTagTEXT) "
         "\"c\"\nNOTAG (CTagTEXT) \"d\"\n"},
        {"a stray end tag stays in the text", "a</B>b", "NOTAG (CTagTEXT) \"a</B>b\"\n"},
        {"comments make no element", "<!-- note -->x", "NOTAG (CTagTEXT) \"x\"\n"},
        {"declarations are generic elements without content", "<!DOCTYPE html>x",
         "!DOCTYPE (CTag) [html]\nNOTAG (CTagTEXT) \"x\"\n"},
        {"unknown tags with an end tag hold their content", "<FOO a=1>x</foo>",
         "FOO (CTag) [a=1]\n  NOTAG (CTagTEXT) \"x\"\n"},
        {"unknown tags without one are empty", "<FOO>x", "FOO (CTag)\nNOTAG (CTagTEXT) \"x\"\n"},
        {"a longer end tag name is not the end", "<FOO>x</FOOX>",
         "FOO (CTag)\nNOTAG (CTagTEXT) \"x</FOOX>\"\n"},
        {"end tags before the start don't count", "</FOO><FOO>x",
         "NOTAG (CTagTEXT) \"</FOO>\"\nFOO (CTag)\nNOTAG (CTagTEXT) \"x\"\n"},
        {"no-end-tag rows", "<BR>a</BR><IMG SRC=x>b",
         "BR (CTagBR)\nNOTAG (CTagTEXT) \"a</BR>\"\nIMG (CTagIMG) [SRC=x]\nNOTAG (CTagTEXT) \"b\"\n"},
        {"leading white space", "<B>\r\n\t  x  y</B>", "B (CTagB)\n  NOTAG (CTagTEXT) \" x y\"\n"},
        {"white space alone makes no run", "<B> \r\n</B> ", "B (CTagB)\n"},
        {"names are upper-cased", "<center>x</CENTER>", "CENTER (CTagCENTER)\n  NOTAG (CTagTEXT) \"x\"\n"},
        {"an unclosed '<' is text", "a <b c", "NOTAG (CTagTEXT) \"a <b c\"\n"},
        {"a nameless tag is text", "a<\t>b", "NOTAG (CTagTEXT) \"a< >b\"\n"},
        {"entities in text runs", "caf&eacute; &amp; &Eacute;", "NOTAG (CTagTEXT) \"caf\\xE9 & \\xC9\"\n"},
        {"empty text", "", ""},
    };
    for (const TreeRow& r : rows)
        EXPECT_EQ(Tree(r.markup), r.tree) << r.what;
}

TEST(HtmlDoc, EndTagHints)
{
    const std::string text = "<a></B><b>x</b ><BX>";
    HtmlEndTagHints hints(text.data(), uint32_t(text.size()));
    struct Row
    {
        const char* name;
        uint32_t from;
        bool may;
    };
    for (const Row& r : {Row{"B", 0, true}, Row{"B", 11, true}, Row{"B", 12, false}, Row{"A", 0, false},
                         Row{"BX", 0, false}, Row{"B", 0, true}})
    {
        EXPECT_EQ(hints.MayHaveEndTag(r.name, r.from), r.may) << r.name << " from " << r.from;
        EXPECT_EQ(HtmlHasEndTagCandidate(text.data(), uint32_t(text.size()), r.from, r.name), r.may)
            << r.name << " from " << r.from;
    }
}

TEST(HtmlDoc, ATagWithoutItsCloseWithinTheWindowIsCutAndKeptAsText)
{
    const std::string markup = "<A HREF=\"" + std::string(1100, 'x') + "\">t</A>";
    const std::string tree = Tree(markup);
    EXPECT_EQ(tree.rfind("NOTAG (CTagTEXT) \"<A HREF=", 0), 0u) << tree.substr(0, 80);
    EXPECT_EQ(Tree("x<" + std::string(2000, 'y')).size(), 2002 + 20u);
}

TEST(HtmlDoc, EmptyStringIsAnEmptyDocument)
{
    CHtmlDoc doc;
    std::string error = "untouched";
    EXPECT_EQ(doc.Load("STR://", &error, nullptr, 1, 1), 0);
    EXPECT_EQ(doc.GetSourceLength(), 0u);
    EXPECT_TRUE(doc.GetElements().empty());
    EXPECT_EQ(error, "untouched");
}

TEST(HtmlDoc, DeepNestingStopsAtTheDepthBound)
{
    std::string markup;
    for (int i = 0; i < 300; ++i)
        markup += "<B>";
    markup += "x";
    for (int i = 0; i < 300; ++i)
        markup += "</B>";
    CHtmlDoc doc;
    ASSERT_EQ(doc.Load("STR://" + markup, nullptr, nullptr, 0, 0), 0);
    uint32_t depth = 0;
    for (const CTag* e = doc.GetElements().front().get(); !e->GetChildren().empty();
         e = e->GetChildren().front().get())
        depth = e->GetChildren().front()->GetDepth();
    EXPECT_EQ(depth, kHtmlMaxTreeDepth);
}

// Another user's page of start tags left open with one end tag at the end:
// each search for an end tag used to run to the end of the text.
TEST(HtmlDoc, PagesOfOpenTagsWithOneEndTagGiveTheirTree)
{
    for (const std::string name : {"P", "FONT"})
    {
        SCOPED_TRACE(name);
        const int count = 20000; // 80 KB of P, 140 KB of FONT
        std::string markup;
        std::string tree;
        const std::string element = name + " (CTag" + (name == "P" ? "P" : "FONT") + ")\n  NOTAG (CTagTEXT) \"x\"\n";
        for (int i = 0; i < count; ++i)
        {
            markup += "<" + name + ">x";
            tree += element;
        }
        markup += "</" + name + ">"; // closes the last one
        const std::string got = Tree(markup);
        EXPECT_TRUE(got == tree) << FirstDifference(got, tree);

        // The hand-over pass offers each tag with its content.
        RecordingHandler h;
        size_t offered = 0;
        size_t withX = 0;
        h.onTag = [&](const std::string&, const std::string&, const std::string& content, std::string&)
        {
            ++offered;
            withX += content == "x" ? 1 : 0;
            return false;
        };
        const std::string handedOver = Tree(markup, &h, 1, 1);
        EXPECT_TRUE(handedOver == tree) << FirstDifference(handedOver, tree);
        EXPECT_EQ(offered, size_t(count));
        EXPECT_EQ(withX, size_t(count));
    }
    // An unknown tag: only the last one reaches the end tag.
    RecordingHandler h;
    std::vector<std::string> contents;
    h.onTag = [&](const std::string&, const std::string&, const std::string& content, std::string&)
    {
        contents.push_back(content);
        return false;
    };
    std::string markup;
    for (int i = 0; i < 20000; ++i)
        markup += "<DYN_Q>x";
    Tree(markup + "</DYN_Q>", &h, 1, 0);
    ASSERT_EQ(contents.size(), 20000u);
    EXPECT_EQ(contents.front(), "");
    EXPECT_EQ(contents[19998], "");
    EXPECT_EQ(contents.back(), "x");
}

// Replacements inside such a page: the searches that follow see the new text.
TEST(HandOver, ReplacementsInAPageOfOpenTags)
{
    RecordingHandler h;
    std::vector<std::string> contents;
    h.onTag = [&](const std::string& name, const std::string&, const std::string& content, std::string& out)
    {
        if (name != "DYN_C")
        {
            contents.push_back(content);
            return false;
        }
        out = "</B>";
        return true;
    };
    std::string markup = "<DYN_C>";
    std::string tree = "NOTAG (CTagTEXT) \"</B>\"\n";
    for (int i = 0; i < 3000; ++i)
    {
        markup += "<B>x";
        tree += "B (CTagB)\n  NOTAG (CTagTEXT) \"x\"\n";
    }
    markup += "<DYN_C>y";
    tree += "NOTAG (CTagTEXT) \"y\"\n";
    const std::string got = Tree(markup, &h, 1, 1);
    EXPECT_TRUE(got == tree) << FirstDifference(got, tree);
    // When the B tags were offered, the second DYN_C was not replaced yet.
    ASSERT_EQ(contents.size(), 3000u);
    EXPECT_EQ(std::count(contents.begin(), contents.end(), "x"), 3000);
}

TEST(HandOver, ReplacementsAreScannedAgain)
{
    RecordingHandler h;
    h.onTag = [](const std::string& name, const std::string&, const std::string& content, std::string& out)
    {
        if (name == "DYN_X")
            out = "<B>" + content + "</B><DYN_Y>";
        else if (name == "DYN_Y")
            out = ""; // deleted
        else
            return false;
        return true;
    };
    EXPECT_EQ(Tree("a<DYN_X>in</DYN_X>b", &h, 1),
              "NOTAG (CTagTEXT) \"a\"\nB (CTagB)\n  NOTAG (CTagTEXT) \"in\"\nNOTAG (CTagTEXT) \"b\"\n");
    EXPECT_EQ(h.events, (std::vector<std::string>{"tag DYN_X", "tag DYN_Y"}));
}

TEST(HandOver, KnownTagsAreOfferedOnlyOnRequest)
{
    RecordingHandler h;
    Tree("<B>x</B><!-- c --><Q>", &h, 1, 0);
    EXPECT_EQ(h.events, (std::vector<std::string>{"tag !--", "tag Q"}));
    h.events.clear();
    Tree("<B>x</B><Q>", &h, 1, 1);
    EXPECT_EQ(h.events, (std::vector<std::string>{"handler-tag B", "tag Q"}));
    h.events.clear();
    Tree("<Q>", &h, 0, 1); // no pass at all
    EXPECT_TRUE(h.events.empty());
}

TEST(HandOver, AHandlerThatAlwaysReturnsItsOwnTagEnds)
{
    RecordingHandler h;
    h.onTag = [](const std::string&, const std::string&, const std::string&, std::string& out)
    {
        out = "<LOOP>";
        return true;
    };
    EXPECT_EQ(Tree("a<LOOP>b", &h, 1), "NOTAG (CTagTEXT) \"a\"\nLOOP (CTag)\nNOTAG (CTagTEXT) \"b\"\n");
    EXPECT_EQ(h.events.size(), CHtmlDoc::kMaxReplacementsPerPosition);
}

TEST(HandOver, TotalGrowthIsBounded)
{
    RecordingHandler h;
    const std::string filler(1 << 20, 'a');
    h.onTag = [&](const std::string&, const std::string&, const std::string&, std::string& out)
    {
        out = "<GROW>" + filler;
        return true;
    };
    CHtmlDoc doc;
    doc.SetAutoFlags(0); // no tree: only the pass
    ASSERT_EQ(doc.Load("STR://<GROW>", nullptr, &h, 1, 0), 0);
    EXPECT_LE(doc.GetSourceLength(), 6 + CHtmlDoc::kMaxHandOverGrowth);
    EXPECT_GE(doc.GetSourceLength(), CHtmlDoc::kMaxHandOverGrowth - filler.size());
    EXPECT_TRUE(doc.GetElements().empty());
}

// A handler that answers with a raw count and leaves a block of its own.
class CountingHandler : public CHtmlWndEventsBase
{
public:
    int32_t answer = 0;
    std::string block;
    int32_t OnTag(std::string, std::string, HtmlMemBlock* content, int32_t, std::string,
                  CHtmlObject*) override
    {
        if (!block.empty())
            HtmlStringToBlock(block, content, 0);
        const int32_t a = answer;
        answer = -1; // once
        return a;
    }
};

TEST(HandOver, CountsAreClampedToTheBlockAndNegativeOnesAreNotHandled)
{
    struct Row
    {
        int32_t answer;
        std::string block;
        std::string source;
    };
    const Row rows[] = {
        {1000, "xyz", "axyzb"},                                 // clamped to the block's 3 bytes
        {2, "xyz", "axyb"},         {5, "", "ainb"},            // the content block as it came: its 2 bytes
        {0, "xyz", "ab"},           {-5, "xyz", "a<Q>in</Q>b"}, // not handled
        {-1, "xyz", "a<Q>in</Q>b"},
    };
    for (const Row& r : rows)
    {
        SCOPED_TRACE(testing::Message() << "answer " << r.answer << " block " << r.block);
        CountingHandler h;
        h.answer = r.answer;
        h.block = r.block;
        CHtmlDoc doc;
        ASSERT_EQ(doc.Load("STR://a<Q>in</Q>b", nullptr, &h, 1, 0), 0);
        EXPECT_EQ(doc.GetSource(), r.source);
    }
}

TEST(HandOver, HandlerBlockAndItsEnd)
{
    RecordingHandler h;
    CHtmlDoc doc;
    ASSERT_EQ(doc.Load("STR://<HANDLER NAME=chat>x<HANDLER NAME=other>", nullptr, &h, 1, 0), 0);
    EXPECT_EQ(doc.GetHandlerName(), "chat");
    EXPECT_EQ(h.events, (std::vector<std::string>{"push chat"}));
    h.events.clear();
    doc.Reset();
    // Ending while the tree still exists, pop once it is gone.
    EXPECT_EQ(h.events, (std::vector<std::string>{"cleared", "ending chat (tree)", "pop chat"}));
    EXPECT_EQ(doc.GetEvents(), nullptr);

    RecordingHandler plain;
    CHtmlDoc other;
    ASSERT_EQ(other.Load("STR://<B>x</B>", nullptr, &plain, 1, 0), 0);
    other.Reset();
    EXPECT_EQ(plain.events, (std::vector<std::string>{"cleared"}));
}

TEST(HandOver, LoadProgressStagesComeInOrder)
{
    RecordingHandler h;
    h.recordProgress = true;
    CHtmlDoc doc;
    ASSERT_EQ(doc.Load("STR://<B>x</B><Q>", nullptr, &h, 1, 0), 0);
    EXPECT_EQ(h.events,
              (std::vector<std::string>{"progress 0 -1 0", "progress 1 0 0", "progress 1 27 0", "tag Q",
                                        "progress 2 -1 0", "progress 2 -1 1", "progress 3 -1 0"}));
    EXPECT_EQ(doc.GetElementCount(), 2);
}

TEST(HtmlDoc, TitleAndOptions)
{
    RecordingHandler h;
    const std::string longTitle(1500, 't');
    EXPECT_EQ(
        Tree("<TITLE>" + longTitle + "</TITLE><SELECT><OPTION VALUE=v1 SELECTED>One<OPTION>Two</SELECT>", &h),
        "TITLE (CTagTITLE) title=\"" + std::string(1023, 't') +
            "\"\nSELECT (CTagINPUT)\n  OPTION (CTagOPTION) [VALUE=v1 SELECTED] text=\"One\" value=\"v1\" "
            "selected\n  OPTION (CTagOPTION) text=\"Two\" value=\"\"\n");
    EXPECT_EQ(h.events, (std::vector<std::string>{"title " + std::string(1023, 't')}));
}

TEST(HtmlDoc, SpliceBounds)
{
    CHtmlDoc doc;
    ASSERT_EQ(doc.Load("STR://abcdef", nullptr, nullptr, 0, 0), 0);
    HtmlMemBlock b = nullptr;
    HtmlStringToBlock("XY", &b, 0);
    EXPECT_EQ(doc.Splice(b, 0, 0, 0), 0);
    EXPECT_EQ(doc.Splice(b, 7, 0, 1), 0);
    EXPECT_EQ(doc.Splice(b, 4, 3, 1), 0);
    EXPECT_EQ(doc.Splice(b, 0, 0, 3), 0);
    EXPECT_EQ(doc.GetSource(), "abcdef");
    EXPECT_EQ(doc.Splice(b, 1, 2, 2), 1);
    EXPECT_EQ(doc.Splice(b, 6, 0, 1), 1);
    EXPECT_EQ(doc.GetSource(), "aXYdefX");
    MemBlockFree(b);
}

TEST(HtmlDoc, UnknownKindAsksTheHandlerWhichMayChangeIt)
{
    RecordingHandler h;
    CHtmlDoc doc;
    EXPECT_EQ(doc.Load("http://host/page", nullptr, &h, 0, 0), 0);
    EXPECT_EQ(h.events, (std::vector<std::string>{"leave HTTP host/page"}));
    EXPECT_TRUE(doc.GetElements().empty());

    RecordingHandler changer;
    changer.onLeaveView = [](std::string* kind, std::string* address)
    {
        *kind = "str";
        *address = "<B>local</B>";
    };
    EXPECT_EQ(doc.Load("http://host/page", nullptr, &changer, 0, 0), 0);
    EXPECT_EQ(HtmlDumpTree(doc), "B (CTagB)\n  NOTAG (CTagTEXT) \"local\"\n");
}

TEST(HtmlDoc, FilesOnTheHost)
{
    const std::string path = testing::TempDir() + "html_doc_test_page.htm";
    {
        std::ofstream out(path, std::ios::binary);
        out << "<P>from a file";
    }
    FdHtmlTest::StdFileHost host;
    CHtmlDoc doc(nullptr, &host);
    std::string error;
    EXPECT_EQ(doc.Load(path, &error, nullptr, 0, 0), 0);
    EXPECT_EQ(HtmlDumpTree(doc), "P (CTagP)\n  NOTAG (CTagTEXT) \"from a file\"\n");
    EXPECT_EQ(doc.GetSourceType(), "FILE");

    // Every byte written back, '%' and zero bytes included.
    const std::string saved = path + ".saved";
    const std::string tricky = std::string("a%sb%n\0c", 8) + std::string(40000, 'z');
    ASSERT_EQ(doc.Load("STR://" + tricky, nullptr, nullptr, 0, 0), 0);
    ASSERT_TRUE(doc.SaveSource(saved));
    std::ifstream in(saved, std::ios::binary);
    std::stringstream back;
    back << in.rdbuf();
    EXPECT_EQ(back.str(), tricky);
    EXPECT_FALSE(doc.SaveSource(testing::TempDir() + "no/such/folder/x"));

    {
        std::ofstream empty(path, std::ios::binary | std::ios::trunc);
    }
    EXPECT_EQ(doc.Load("FILE://" + path, &error, nullptr, 1, 1), 0);
    EXPECT_TRUE(doc.GetElements().empty());

    EXPECT_EQ(doc.Load(path + ".missing", &error, nullptr, 0, 0), 1);
    EXPECT_EQ(error, "File error");
    std::remove(path.c_str());
    std::remove(saved.c_str());
}

TEST(Addresses, SplitSource)
{
    struct Row
    {
        const char* address;
        int32_t kind;
        const char* kindText;
        const char* rest;
    };
    const Row rows[] = {
        {"res://#120", 1, "RES", "#120"},
        {"Str://<b>", 3, "STR", "<b>"},
        {"file://c:/x", 0, "FILE", "c:/x"},
        {"c:/x", 0, "FILE", "c:/x"},
        {"abcdefgh://x", 0, "FILE", "abcdefgh://x"},
        {"abcdefg://x", -1, "ABCDEFG", "x"},
        {"://x", 0, "FILE", "://x"},
    };
    for (const Row& r : rows)
    {
        CHtmlDoc doc;
        std::string address = r.address, kind;
        EXPECT_EQ(doc.SplitSource(address, false, &kind), r.kind) << r.address;
        EXPECT_EQ(kind, r.kindText) << r.address;
        EXPECT_EQ(address, r.rest) << r.address;
    }
}

TEST(Addresses, ResolveAgainstTheBasePath)
{
    struct Row
    {
        const char* base;
        const char* address;
        bool bare;
        const char* expected;
    };
    const Row rows[] = {
        {"FILE://C:/p/", "i/a.gif", false, "FILE://C:\\p\\i\\a.gif"},
        {"FILE://C:/p", "i\\a.gif", true, "C:\\p\\i\\a.gif"},
        {"FILE://C:/p/", "res://x", false, "RES://x"},
        {"FILE://C:/p/", "file://d:/q/r.htm", false, "FILE://d:\\q\\r.htm"},
        {"FILE://C:/p/", "  /abs/x.htm ", false, "/abs/x.htm"},
        {"RES://", "pic", false, "pic"},
        {"FILE://C:/p/", "", false, ""},
        // String sources stay exactly as written.
        {"FILE://C:/p/", " STR:// a\\b <I>x</I> ", false, " STR:// a\\b <I>x</I> "},
    };
    for (const Row& r : rows)
    {
        CHtmlDoc doc;
        doc.SetBasePath(r.base);
        EXPECT_EQ(doc.ResolveAddress(r.address, r.bare), r.expected) << r.base << " + " << r.address;
    }
}

TEST(Addresses, BasePathOfLoadedAddresses)
{
    FdHtmlTest::StdFileHost host;
    CHtmlDoc doc(nullptr, &host);
    EXPECT_EQ(doc.GetBasePathOf("file://C:\\site\\pages\\a.htm"), "FILE://C:/site/pages/");
    EXPECT_EQ(doc.GetBasePathOf("x/y/z.htm"), "FILE://x/y/");
    doc.SetBasePath("FILE://kept/");
    EXPECT_EQ(doc.GetBasePathOf("res://#120"), "FILE://kept/");
    EXPECT_EQ(doc.GetBasePathOf("STR://<b>a/b</b>"), "FILE://kept/");
    EXPECT_EQ(doc.GetBasePathOf(""), "FILE://kept/");
    const std::string page = doc.GetBasePathOf("page.htm");
    EXPECT_EQ(page.rfind("FILE://", 0), 0u);
    EXPECT_EQ(page.back(), '/');
}

TEST(Addresses, MakeAbsolutePath)
{
    const std::pair<const char*, const char*> rows[] = {
        {"a/b.htm", "C:\\cur\\a\\b.htm"},
        {" xy ", "C:\\cur\\xy"},
        {"C:/abs", "C:\\abs"},
        {"/root", "\\root"},
        {"x", "x"},
        {"", ""},
    };
    for (const auto& [in, out] : rows)
        EXPECT_EQ(MakeAbsolutePath(in, "C:\\cur"), out) << in;
    EXPECT_EQ(MakeAbsolutePath("ab", "C:\\"), "C:\\ab");
}

TEST(Addresses, KindTable)
{
    CHtmlDoc doc;
    EXPECT_EQ(doc.IsRelativeKind("str"), 0);
    EXPECT_EQ(doc.IsRelativeKind("RES"), 0);
    EXPECT_EQ(doc.IsRelativeKind("http"), 1);
    EXPECT_EQ(doc.IsStickyKind("STR"), 0);
    EXPECT_EQ(doc.IsStickyKind("res"), 1);
    doc.SetKind({"res", 1, 0});
    doc.SetKind({"RES", 1, 1});
    EXPECT_EQ(doc.GetKinds().size(), 1u);
    EXPECT_EQ(doc.IsRelativeKind("Res"), 1);
    CHtmlDoc frame;
    frame.CopyKinds(doc);
    EXPECT_EQ(frame.IsRelativeKind("RES"), 1);
    frame.ClearKinds();
    EXPECT_EQ(frame.IsRelativeKind("RES"), 0);
    // A sticky kind becomes the source type; a string source doesn't.
    ASSERT_EQ(frame.Load("STR://x", nullptr, nullptr, 0, 0), 0);
    EXPECT_EQ(frame.GetSourceType(), "FILE");
    frame.SetSourceType("res");
    EXPECT_EQ(frame.GetSourceType(), "RES");
}

TEST(HtmlDoc, ColorsAndReset)
{
    CHtmlDoc doc;
    uint32_t c = 0xDEADBEEF;
    EXPECT_EQ(doc.GetColor(3, &c), 0);
    EXPECT_EQ(c, 0xDEADBEEFu);
    EXPECT_EQ(doc.GetColor(1, &c), 1);
    EXPECT_EQ(c, 0x02000080u);
    EXPECT_EQ(doc.SetColor(2, 5), 1);
    EXPECT_EQ(doc.SetColor(-1, 5), 0);
    doc.SetBackgroundColor(7);
    doc.Reset();
    EXPECT_EQ(doc.GetColor(2, &c), 1);
    EXPECT_EQ(c, 0x02008000u);
    EXPECT_EQ(doc.GetBackgroundColor(), 0x02FFFFFFu);
}
} // namespace
