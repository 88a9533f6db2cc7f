#include "ParamList.h"

#include "TestBuffer.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace
{
using Pairs = std::vector<std::pair<std::string, std::string>>;

Pairs pairsOf(CParamList& list)
{
    Pairs out;
    list.vSetCursor(0);
    while (CParamPair* p = list.lpGetNext())
        out.emplace_back(p->lpszGetName() ? p->lpszGetName() : "(null)",
                         p->lpszGetValue() ? p->lpszGetValue() : "(null)");
    return out;
}

const std::string kPound = CParamList::kszSeparator; // "££"
} // namespace

TEST(ParamList, ForwardParseTable)
{
    const struct
    {
        std::string buffer;
        bool ok;
        Pairs pairs;
        size_t stop;
    } cases[] = {
        {"a££1££b££2££", true, {{"a", "1"}, {"b", "2"}}, 12},
        {"a££1££b££", false, {}, 0},               // odd separator count
        {"a££1££b", true, {{"a", "1"}}, 6},        // two separators: the trailing name is ignored
        {"", false, {}, 0},                        // no separator
        {"a££1££trailing", true, {{"a", "1"}}, 6}, // text after the last separator is ignored
        {"££££", true, {{"", ""}}, 4},             // empty name and value
        {"a££1££b££2", false, {}, 0},              // three separators
        {std::string("a££1££\0b££2££", 13), true, {{"a", "1"}}, 6}, // a NUL ends the text
    };
    for (const auto& c : cases)
    {
        CParamList list(CParamList::kszSeparator);
        CTestBuffer buf(c.buffer);
        EXPECT_EQ(list.boParse(buf.c(), buf.size(), false, false), c.ok) << c.buffer;
        EXPECT_EQ(pairsOf(list), c.pairs) << c.buffer;
        EXPECT_EQ(list.dwGetCount(), c.pairs.size()) << c.buffer;
        if (c.ok)
        {
            EXPECT_EQ(list.ulGetParseStop(), c.stop) << c.buffer;
        }
    }
}

TEST(ParamList, ForwardParseWithEndMarkerStopsAfterCmdEop)
{
    CParamList list("$$");
    CTestBuffer buf("a$$1$$CMD$$EOP$$b$$2$$");
    ASSERT_TRUE(list.boParse(buf.c(), buf.size(), true, false));
    EXPECT_EQ(pairsOf(list), (Pairs{{"a", "1"}, {"CMD", "EOP"}}));
    EXPECT_EQ(list.ulGetParseStop(), 16u);

    CParamList missing("$$");
    CTestBuffer noMarker("a$$1$$b$$2$$");
    EXPECT_FALSE(missing.boParse(noMarker.c(), noMarker.size(), true, false));
    EXPECT_EQ(missing.dwGetCount(), 0u);
}

TEST(ParamList, BackwardParseOfAnActionBuffer)
{
    CParamList list("$$");
    CTestBuffer buf("XYZ$$eop$$cmd$$page.htm$$url$$1$$action");
    ASSERT_TRUE(list.boParse(buf.c(), buf.size(), true, true));
    EXPECT_EQ(pairsOf(list), (Pairs{{"action", "1"}, {"url", "page.htm"}, {"cmd", "eop"}}));
    // The block is preceded by the three payload bytes "XYZ".
    EXPECT_EQ(list.ulGetParseStop(), 3u);
}

TEST(ParamList, BackwardParseWithoutPayloadAndWithBinaryPayload)
{
    CParamList bare("$$");
    CTestBuffer noPayload("$$eop$$cmd$$2$$action");
    ASSERT_TRUE(bare.boParse(noPayload.c(), noPayload.size(), true, true));
    EXPECT_EQ(bare.ulGetParseStop(), 0u);

    // A package ahead of the block may hold any bytes, NULs and separators included.
    const std::string payload("\0\x01$$\0SZDD", 9);
    CParamList list("$$");
    CTestBuffer buf(payload + "$$eop$$cmd$$2$$action");
    ASSERT_TRUE(list.boParse(buf.c(), buf.size(), true, true));
    EXPECT_EQ(list.ulGetParseStop(), payload.size());
    EXPECT_STREQ(list.lpszGetValue("action"), "2");
}

TEST(ParamList, BackwardParseStopsAtTheBufferStartOrANul)
{
    const std::string cases[] = {
        "$$page.htm$$url$$1$$action",             // no cmd=eop: runs into the buffer start
        "action",                                 // no separator at all
        "1$$action",                              // a name without its value separator
        std::string("eop\0$$cmd$$1$$action", 20), // a NUL inside the block
        "",
    };
    for (const auto& c : cases)
    {
        CParamList list("$$");
        CTestBuffer buf(c);
        EXPECT_FALSE(list.boParse(buf.c(), buf.size(), true, true)) << c;
        EXPECT_EQ(list.dwGetCount(), 0u) << c;
    }
}

TEST(ParamList, ReversedSerialisationIsTheBackwardFormat)
{
    CParamList list("$$");
    list.vAdd("cmd", "eop");
    list.vAdd("url", "page.htm");
    list.vAdd("action", "3");
    const std::string text = list.lpszSerialize(true);
    EXPECT_EQ(text, "$$eop$$cmd$$page.htm$$url$$3$$action");

    CParamList back("$$");
    CTestBuffer buf("PKG" + text);
    ASSERT_TRUE(back.boParse(buf.c(), buf.size(), true, true));
    EXPECT_EQ(pairsOf(back), (Pairs{{"action", "3"}, {"url", "page.htm"}, {"cmd", "eop"}}));
    EXPECT_EQ(back.ulGetParseStop(), 3u);
}

TEST(ParamList, LookupIgnoresCaseAndTakesTheFirstOfDuplicates)
{
    CParamList list(CParamList::kszSeparator);
    list.vAdd("action", "1");
    list.vAdd("url", "first");
    list.vAdd("URL", "second");
    EXPECT_STREQ(list.lpszGetValue("ACTION"), "1");
    EXPECT_STREQ(list.lpszGetValue("url"), "first");
    EXPECT_EQ(list.lpszGetValue("missing"), nullptr);
    EXPECT_TRUE(list.boRemove("Url"));
    EXPECT_STREQ(list.lpszGetValue("url"), "second");
    EXPECT_EQ(list.dwGetCount(), 2u);
    EXPECT_FALSE(list.boRemove("missing"));
}

TEST(ParamList, NullTextsStayNull)
{
    CParamList list(CParamList::kszSeparator);
    CParamPair* lpPair = nullptr;
    list.vAdd("name", nullptr, &lpPair);
    ASSERT_NE(lpPair, nullptr);
    EXPECT_EQ(lpPair->lpszGetValue(), nullptr);
    EXPECT_EQ(list.lpszGetValue("name"), nullptr);
    EXPECT_EQ(std::string(list.lpszSerialize(false)), "name££££");
}

TEST(ParamList, HiddenPairsLeaveTheSerialisation)
{
    CParamList list(CParamList::kszSeparator);
    list.vAdd("a", "1");
    list.vAdd("key", "secret");
    list.vAdd("b", "2");
    EXPECT_TRUE(list.boSetHidden("KEY", 1));
    EXPECT_FALSE(list.boSetHidden("none", 1));
    EXPECT_EQ(std::string(list.lpszSerialize(false)), "a££1££b££2££");
    list.vSetAllHidden(1);
    EXPECT_EQ(std::string(list.lpszSerialize(false)), "");
    list.vSetAllHidden(0);
    EXPECT_EQ(std::string(list.lpszSerialize(false)), "a££1££key££secret££b££2££");
    EXPECT_EQ(std::string(list.lpszSerialize(true)), "££1££a££secret££key££2££b");
}

TEST(ParamList, CursorWalkAndRemoval)
{
    CParamList list(CParamList::kszSeparator);
    list.vAdd("a", "1");
    list.vAdd("b", "2");
    list.vAdd("c", "3");
    list.vSetCursor(1);
    list.vSetCursor(5); // beyond the count: the cursor stays on b
    ASSERT_STREQ(list.lpGetNext()->lpszGetName(), "b");
    // The cursor is now on c; removing c moves it to the end.
    EXPECT_TRUE(list.boRemove("c"));
    EXPECT_EQ(list.lpGetNext(), nullptr);
    list.vSetCursor(0);
    EXPECT_TRUE(list.boRemove("a"));
    ASSERT_STREQ(list.lpGetNext()->lpszGetName(), "b");
}

TEST(ParamList, TheFirstAddPutsTheCursorOnTheNewPair)
{
    CParamList list(CParamList::kszSeparator);
    EXPECT_EQ(list.lpGetNext(), nullptr);
    list.vAdd("a", "1");
    list.vAdd("b", "2");
    EXPECT_STREQ(list.lpGetNext()->lpszGetName(), "a");
}

TEST(ParamList, CopyKeepsPairsFlagsCountAndCursor)
{
    CParamList list(CParamList::kszSeparator);
    list.vAdd("a", "1");
    list.vAdd("b", "2");
    list.vAdd("c", "3");
    list.boSetHidden("b", 1);
    list.lpszSerialize(false);
    list.vSetCursor(2);

    CParamList copy(list);
    EXPECT_EQ(copy.dwGetCount(), 3u);
    EXPECT_STREQ(copy.lpGetNext()->lpszGetName(), "c");
    EXPECT_EQ(std::string(copy.lpszSerialize(false)), "a££1££c££3££");

    // The copy is independent of its source.
    list.vClear();
    EXPECT_EQ(list.dwGetCount(), 0u);
    EXPECT_STREQ(copy.lpszGetValue("a"), "1");

    CParamList assigned("$$");
    assigned = copy;
    EXPECT_STREQ(assigned.lpszGetSeparator(), CParamList::kszSeparator);
    EXPECT_EQ(pairsOf(assigned), (Pairs{{"a", "1"}, {"b", "2"}, {"c", "3"}}));
}

TEST(ParamList, ParsingAppendsToWhatTheListHolds)
{
    CParamList list(CParamList::kszSeparator);
    list.vAdd("x", "0");
    CTestBuffer buf("a££1££");
    ASSERT_TRUE(list.boParse(buf.c(), buf.size(), false, false));
    EXPECT_EQ(pairsOf(list), (Pairs{{"x", "0"}, {"a", "1"}}));
    list.vClear();
    EXPECT_EQ(list.dwGetCount(), 0u);
    EXPECT_STREQ(list.lpszGetSeparator(), CParamList::kszSeparator);
}

TEST(ParamList, NoSeparatorNeverParses)
{
    CParamList list(nullptr);
    CTestBuffer buf("a££1££");
    EXPECT_FALSE(list.boParse(buf.c(), buf.size(), false, false));
    list.vAdd("a", "1");
    EXPECT_EQ(std::string(list.lpszSerialize(false)), "a1");
}

TEST(ParamList, CountsNonOverlappingOccurrences)
{
    EXPECT_EQ(dwCountOccurrences("$$$", 3, "$$", 2), 1u);
    EXPECT_EQ(dwCountOccurrences("$$$$", 4, "$$", 2), 2u);
    EXPECT_EQ(dwCountOccurrences("abc", 3, "", 0), 0u);
}
