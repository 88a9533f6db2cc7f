// Tag table, run-time classes, the element base's walks and the event
// interface's default answers.
#include <gtest/gtest.h>

#include "HtmlDoc.h"
#include "HtmlElements.h"
#include "HtmlTagTable.h"
#include "HtmlWndEvents.h"

namespace
{
TEST(TagTable, RowsAndClasses)
{
    struct Row
    {
        const char* name;
        const char* className;
        int32_t noEndTag;
    };
    const Row rows[] = {
        {"GENERIC_TAG", "CTag", 0},
        {"NOTAG", "CTagTEXT", 0},
        {"html", "CTag", 0},
        {"Body", "CTagBODY", 0},
        {"HANDLER", "CTag", 1},
        {"EM", "CTagI", 0},
        {"VAR", "CTagI", 0},
        {"CITE", "CTagI", 0},
        {"I", "CTagI", 0},
        {"S", "CTagSTRIKE", 0},
        {"STRONG", "CTagB", 0},
        {"SMALL", "CTagFSIZE", 0},
        {"BIG", "CTagFSIZE", 0},
        {"BLOCKQUOTE", "CTagBLOCK", 0},
        {"H6", "CTagHx", 0},
        {"TH", "CTagTH", 0},
        {"INPUT", "CTagINPUT", 1},
        {"SELECT", "CTagINPUT", 0},
        {"WND", "CTagINPUT", 0},
        {"IMG", "CTagIMG", 1},
        {"RESIMG", "CTagIMG", 1},
        {"BR", "CTagBR", 1},
        {"HR", "CTagHR", 1},
        {"PARAM", "CTag", 1},
        {"FRAMESET", "CTagFRAMESET", 0},
        {"BLINK", "CTagBlink", 0},
    };
    for (const Row& r : rows)
    {
        const HtmlTagRow* row = HtmlFindTagRow(r.name);
        ASSERT_NE(row, nullptr) << r.name;
        EXPECT_STREQ(row->elementClass->className, r.className) << r.name;
        EXPECT_EQ(row->noEndTag, r.noEndTag) << r.name;
    }
    EXPECT_EQ(HtmlFindTagRow("NOSUCH"), nullptr);
    EXPECT_EQ(HtmlFindTagRow(""), nullptr);
    EXPECT_STREQ(HtmlTagTable[47].name, "PARAM");
}

TEST(TagTable, EveryClassIsCreatedByName)
{
    int classes = 0;
    for (const HtmlTagRow& row : HtmlTagTable)
    {
        std::unique_ptr<CHtmlObject> object(CHtmlRuntimeClass::CreateByName(row.elementClass->className));
        ASSERT_NE(object, nullptr) << row.name;
        EXPECT_EQ(object->GetRuntimeClass(), row.elementClass);
        EXPECT_TRUE(object->IsKindOf(HTML_RUNTIME_CLASS(CTag)));
        EXPECT_EQ(row.elementClass->schema, 0xFFFFu);
        ++classes;
    }
    EXPECT_EQ(classes, kHtmlTagCount);
    EXPECT_EQ(CHtmlRuntimeClass::CreateByName("CNoSuchTag"), nullptr);
    EXPECT_TRUE(HTML_RUNTIME_CLASS(CTagTH)->IsDerivedFrom(HTML_RUNTIME_CLASS(CTagTD)));
    EXPECT_TRUE(HTML_RUNTIME_CLASS(CTagFSIZE)->IsDerivedFrom(HTML_RUNTIME_CLASS(CTagFONT)));
    EXPECT_TRUE(HTML_RUNTIME_CLASS(CTagFRAMESET)->IsDerivedFrom(HTML_RUNTIME_CLASS(CTagFRAME)));
    EXPECT_FALSE(HTML_RUNTIME_CLASS(CTagTD)->IsDerivedFrom(HTML_RUNTIME_CLASS(CTagTH)));
}

TEST(TagTable, StandAloneTagsNeverWaitForAnEndTag)
{
    for (const char* name : {"INPUT", "IMG", "RESIMG", "BR", "HR", "HANDLER", "PARAM", "SELECT", "WND"})
    {
        CHtmlDoc doc;
        ASSERT_EQ(doc.Load(std::string("STR://<") + name + ">x</" + name + ">", nullptr, nullptr, 0, 0), 0);
        const CTag& first = *doc.GetElements().front();
        const bool alone = std::string(name) != "SELECT" && std::string(name) != "WND";
        EXPECT_EQ(first.GetChildren().empty(), alone) << name;
        EXPECT_EQ(doc.GetElements().size(), alone ? 2u : 1u) << name;
    }
}

// Loads markup and returns the document (kept alive by the caller), or
// nullptr when it doesn't load.
std::unique_ptr<CHtmlDoc> Load(const std::string& markup)
{
    auto doc = std::make_unique<CHtmlDoc>();
    return doc->Load("STR://" + markup, nullptr, nullptr, 0, 0) == 0 ? std::move(doc) : nullptr;
}

class KeyTag : public CTag
{
public:
    std::string answer;
    void OnKeyDown(std::string& out, int32_t, int32_t, CHtmlFlow*, int32_t) override { out = answer; }
};

TEST(Element, KeyDownAnswersTheFirstNonEmptyChildAnswer)
{
    CTag parent;
    for (const char* a : {"", "first", "second", ""})
    {
        auto child = std::make_unique<KeyTag>();
        child->answer = a;
        parent.GetChildren().push_back(std::move(child));
    }
    std::string out = "stale";
    parent.OnKeyDown(out, 13, 0, nullptr, 1);
    EXPECT_EQ(out, "first");
    CTag empty;
    empty.OnKeyDown(out, 13, 0, nullptr, 1);
    EXPECT_EQ(out, "");
}

TEST(Element, AttributesNamesAndTabStops)
{
    const auto doc = Load("<B NAME=outer><I name=\"In Side\" NOTABSTOP>x</I><U NAME=u>y</U></B>");
    ASSERT_NE(doc, nullptr);
    CTag* outer = doc->GetElements().front().get();
    EXPECT_EQ(outer->FindByName("in side"), outer->GetChildren()[0].get());
    EXPECT_EQ(outer->FindByName("OUTER"), outer);
    EXPECT_EQ(outer->FindByName("none"), nullptr);
    EXPECT_EQ(outer->GetStateInTree("u"), 0);
    EXPECT_EQ(outer->GetAttr("NAME"), "outer");
    EXPECT_EQ(outer->GetAttrInt("SIZE", 4), 4);
    EXPECT_EQ(CTag::GetColorAttr("red", 0), 0x020000FFu);

    CTag* inner = outer->GetChildren()[0].get();
    CTag* u = outer->GetChildren()[1].get();
    EXPECT_EQ(inner->GetParent(), outer);
    EXPECT_EQ(inner->GetDocument(), doc.get());
    inner->SetTabStopValue(1);
    EXPECT_EQ(inner->GetTabStop(), 0); // NOTABSTOP wins
    u->SetTabStopValue(1);
    outer->SetTabStopValue(1);
    u->SetFocusTree(1, nullptr, nullptr);
    const CTag::TabStops stops = CTag::FindTabStopsInList(doc->GetElements(), true);
    EXPECT_EQ(stops.all, (std::vector<CTag*>{outer, u}));
    EXPECT_EQ(stops.focused, u);
    EXPECT_EQ(stops.next, outer); // wrapped
    EXPECT_EQ(stops.previous, outer);
    const CTag::TabStops noWrap = CTag::FindTabStopsInList(doc->GetElements(), false);
    EXPECT_EQ(noWrap.next, nullptr);

    EXPECT_EQ(outer->IsTreeLaidOut(), 0);
    for (const auto& child : outer->GetChildren())
    {
        child->SetLaidOut(1);
        for (const auto& grandChild : child->GetChildren())
            grandChild->SetLaidOut(1);
    }
    EXPECT_EQ(outer->IsTreeLaidOut(), 1);
}

TEST(Element, ChildrenComeFromTheContent)
{
    const auto doc = Load("<P>a<B>b</B></P>");
    ASSERT_NE(doc, nullptr);
    const CTag& p = *doc->GetElements().front();
    ASSERT_EQ(p.GetChildren().size(), 2u);
    EXPECT_EQ(static_cast<const CTagTEXT&>(*p.GetChildren()[0]).GetText(), "a");
}

TEST(Events, BaseDefaults)
{
    CHtmlWndEventsBase base;
    IHtmlWndEvents& e = base;
    HtmlMemBlock block = nullptr;
    EXPECT_EQ(e.OnTag("X", "", &block, 0, "", nullptr), -1);
    EXPECT_EQ(e.OnHandlerTag("X", "", &block, 0, "", nullptr), -1);
    EXPECT_EQ(e.OnControlFont(nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(e.OnLinkClick("a", "t", nullptr), 1);
    EXPECT_EQ(e.CanFollowLink(nullptr, 0, nullptr), 1);
    EXPECT_EQ(e.OnLinkMenu("a", "t", nullptr), 1);
    EXPECT_EQ(e.OnControlKey(0, nullptr, nullptr), 0);
    EXPECT_EQ(e.OnControlCommand(nullptr, 0, 0, nullptr), 0);
    EXPECT_EQ(e.OnCommand(0, 0, nullptr, nullptr), 0);
    EXPECT_EQ(e.OnNotify(0, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(e.HasSharedCaches(nullptr), 0);
    EXPECT_EQ(e.GetImage("x", nullptr, nullptr), nullptr);
    EXPECT_EQ(e.HasBrushCache(nullptr), 0);
    EXPECT_EQ(e.GetBrush(0, nullptr), nullptr);
    EXPECT_EQ(e.HasFontCache(nullptr), 0);
    EXPECT_EQ(e.GetFont(nullptr, nullptr), nullptr);
    std::string frame;
    EXPECT_EQ(e.OnDrag(0, 0, 0, 0, &frame, nullptr), 0);
    EXPECT_EQ(e.OnSubmit(nullptr, nullptr), 0);
    EXPECT_EQ(e.OnControlChanged(nullptr, nullptr), 0);
    EXPECT_EQ(e.OnControlKillFocus(nullptr, nullptr), 0);
    EXPECT_EQ(e.OnControlSetFocus(nullptr, nullptr), 0);
    EXPECT_EQ(e.OnInputKey(0, 0, 0, "", nullptr), 0);
    EXPECT_EQ(e.GetReplacementHandler("h", "", nullptr, nullptr), nullptr);
    EXPECT_EQ(e.ReleaseHandler("h", nullptr, nullptr), 0);
    EXPECT_EQ(e.OnFrameCreated(nullptr, nullptr, nullptr), nullptr);
    std::string kind = "HTTP", address = "x";
    e.OnLeaveView(&kind, &address, "", nullptr);
    EXPECT_EQ(kind, "HTTP");
    EXPECT_EQ(block, nullptr);
}
} // namespace
