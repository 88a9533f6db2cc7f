#include <gtest/gtest.h>

#include "GameDefinitions.h"
#include "GameMatching.h"
#include "TestFiles.h"

namespace
{
std::unique_ptr<CZeltoGameList> Games(const std::string& body, const char* ns = "g.def",
                                      FdTestKit::SWhere where = FdTestKit::SWhere::here())
{
    FD_TRACE_CALLER(where);
    int32_t error = 0;
    auto list = ParseGameDefinitions("<r>" + body + "</r>", ns, &error);
    EXPECT_EQ(error, 0) << body;
    return list;
}

std::unique_ptr<CZeltoGameVersion> Range(const char* attributes)
{
    auto list = Games(std::string("<game xmlns=\"g.def\"><version ") + attributes + "/></game>");
    return list->GetAt(0)->versions->GetAt(0)->Copy();
}

CStringExt Ids(const CZeltoGameList& list)
{
    CStringExt ids;
    for (int32_t g = 0; g < list.Count(); ++g)
    {
        ids += list.GetAt(g)->id + ":";
        for (int32_t v = 0; v < list.GetAt(g)->versions->Count(); ++v)
            ids += list.GetAt(g)->versions->GetAt(v)->number + ",";
        ids += " ";
    }
    return ids;
}
} // namespace

TEST(GameMatching, Ranges)
{
    struct CCase
    {
        const char* range;
        const char* value;
        bool inside;
    };
    const CCase cases[] = {
        {"vnbr.gte=\"2\" vnbr.lt=\"3\"", "2", true},
        {"vnbr.gte=\"2\" vnbr.lt=\"3\"", "2.5", true},
        {"vnbr.gte=\"2\" vnbr.lt=\"3\"", "3", false},
        {"vnbr.gte=\"2\" vnbr.lt=\"3\"", "1.9", false},
        {"vnbr.gt=\"2\" vnbr.lte=\"3\"", "2", false},
        {"vnbr.gt=\"2\" vnbr.lte=\"3\"", "3", true},
        {"vnbr.lt=\"9\" vnbr.type=\"str\"", "10", true}, // as strings "10" is below "9"
        {"vnbr.lt=\"9\" vnbr.type=\"s\"", "10", false},
        {"vnbr.lt=\"9\"", "10", false},
        {"vnbr.lt=\"b\"", "A", true}, // string mode without regard to case
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::string(c.range) + " " + c.value);
        auto range = Range(c.range);
        EXPECT_EQ(VersionInRange(c.value, *range), c.inside);
        CZeltoGameVersion entry;
        entry.number = c.value;
        EXPECT_EQ(VersionMatches(entry, *range), c.inside);
    }
}

TEST(GameMatching, GamesAndVersionsByPattern)
{
    CZeltoGame entry, reference;
    entry.id = "zelto*";
    entry.subId = "2";
    EXPECT_TRUE(GameMatches(entry, reference, true)); // an empty reference ID matches all
    reference.id = "ZeltoWar";
    EXPECT_TRUE(GameMatches(entry, reference, true));
    reference.subId = "3";
    EXPECT_FALSE(GameMatches(entry, reference, true));
    EXPECT_TRUE(GameMatches(entry, reference, false));
    reference.id = "other";
    EXPECT_FALSE(GameMatches(entry, reference, false));

    CZeltoGameVersion v, r;
    v.operatingSystem = "win*";
    r.operatingSystem = "win32";
    r.language = "fr";
    EXPECT_TRUE(VersionMatches(v, r));
    v.language = "en";
    EXPECT_FALSE(VersionMatches(v, r));
}

TEST(GameMatching, FilterByLaunchGame)
{
    auto candidates = Games("<game xmlns=\"g.def\" gid=\"a\"><version vnbr=\"1\"/><version vnbr=\"2.5\"/></game>"
                            "<game xmlns=\"g.def\" gid=\"b\"><version vnbr=\"2\"/></game>"
                            "<game xmlns=\"g.def\" gid=\"a\"><version vnbr=\"4\"/></game>");
    auto launch = Games("<game xmlns=\"g.def\" gid=\"a\"><version vnbr.gte=\"2\" vnbr.lt=\"3\"/></game>");
    auto compat = candidates->Copy();
    FilterByLaunchGame(*candidates, *launch->GetAt(0), false, true);
    EXPECT_EQ(Ids(*candidates), "a:2.5, ");
    FilterByLaunchGame(*compat, *launch->GetAt(0), false, false);
    EXPECT_EQ(Ids(*compat), "a:1,2.5, a:4, ");
}

TEST(GameMatching, CheckDefinitionVersion)
{
    struct CCase
    {
        const char* launch;
        const char* candidates;
        bool ok;
    };
    const CCase cases[] = {
        {"2", "<game xmlns=\"g.def\" zgdv=\"1\"/><game xmlns=\"g.def\" zgdv=\"3\"/>", false},
        {"2", "<game xmlns=\"g.def\"/><game xmlns=\"g.def\" zgdv=\"0\"/>", false},
        {"2", "<game xmlns=\"g.def\" zgdv=\"2\"/><game xmlns=\"g.def\" zgdv=\"5\"/>", true},
        {"", "<game xmlns=\"g.def\" zgdv=\"1\"/>", true},
        {"0", "<game xmlns=\"g.def\" zgdv=\"1\"/>", true},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::string(c.launch) + " " + c.candidates);
        EXPECT_EQ(CheckDefinitionVersion(*Games(c.candidates), c.launch), c.ok);
    }
}

TEST(GameMatching, MergeIntoLocal)
{
    auto local = Games("<game xmlns=\"g.def\" gid=\"a\"><version vnbr=\"1\"/></game>"
                       "<game xmlns=\"g.def\" gid=\"b\"><version vnbr=\"1\"/><version vnbr=\"2\">"
                       "<vstatus vlis=\"-1\"/></version></game>");
    auto definitions = Games("<game xmlns=\"g.def\" gid=\"a\"><version vnbr=\"7\"><vstatus vlis=\"1\"/></version>"
                             "</game><game xmlns=\"g.def\" gid=\"c\"><version vnbr=\"3\"/></game>");
    MergeIntoLocal(*local, *definitions);
    EXPECT_EQ(Ids(*local), "a:7, b:1, c:3, ");
    EXPECT_EQ(local->GetAt(0)->versions->GetAt(0)->contextData.localInstallStatus, 1);
    EXPECT_NE(local->GetAt(0), definitions->GetAt(0)); // a copy
    EXPECT_EQ(DistinctTechnoIds(*Games("<game xmlns=\"g.def\" technoid=\"A\"/><game xmlns=\"g.def\"/>"
                                       "<game xmlns=\"g.def\" technoid=\"a\"/><game xmlns=\"g.def\" technoid=\"B\"/>"))
                  .size(),
              2u);
}

namespace
{
// A compatibility list describing launch game "g" 1.x with the given compat elements.
std::unique_ptr<CZeltoGameList> CompatList(const std::string& compats)
{
    return Games("<game xmlns=\"g.compat.ref\" gid=\"g\"><version vnbr.gte=\"1\" vnbr.lt=\"2\">"
                 "<compatibilities>" + compats + "</compatibilities></version></game>",
                 "g.compat.ref");
}

std::string Candidate(const char* id, const char* range)
{
    return std::string("<game xmlns=\"g.compat.candidate\" gid=\"") + id + "\"><version " + range + "/></game>";
}
} // namespace

TEST(GameMatching, CompatibilityOfLevelRules)
{
    auto launch = Games("<game xmlns=\"g.def\" gid=\"g\"><version vnbr=\"1.5\"/></game>");
    auto entries = Games("<game xmlns=\"g.def\" gid=\"x\"><version vnbr=\"3\"/></game>");
    const CZeltoGame& game = *entries->GetAt(0);
    const CZeltoGameVersion& version = *game.versions->GetAt(0);
    struct CCase
    {
        std::string compats;
        int32_t result;
        const char* message;
    };
    const CCase cases[] = {
        // Not mentioned: undecided.
        {"<compat><cmess>m</cmess>" + Candidate("y", "vnbr=\"3\"") + "</compat>", -1, ""},
        // The higher level wins; an equal level keeps the earlier record.
        {"<compat level=\"1\"><cmess>low</cmess>" + Candidate("x", "vnbr.gte=\"2\"") + "</compat>" +
             "<compat type=\"incompatible\" level=\"2\"><cmess>high</cmess>" + Candidate("x", "vnbr.lt=\"100\"") + "</compat>" +
             "<compat level=\"2\"><cmess>same</cmess>" + Candidate("x", "vnbr=\"3\"") + "</compat>",
         0, "high"},
        // A default decides only when nothing else did (the last default wins).
        {"<compat default=\"1\" type=\"incompatible\"><cmess>d1</cmess>" + Candidate("y", "") + "</compat>" +
             "<compat default=\"yes\"><cmess>d2</cmess>" + Candidate("y", "") + "</compat>",
         -1, ""},
        {"<compat level=\"0\"><cmess>zero</cmess>" + Candidate("x", "vnbr.lt=\"4\"") + "</compat>", 1, "zero"},
        // A range of the candidate that leaves out the version.
        {"<compat><cmess>m</cmess>" + Candidate("x", "vnbr.gte=\"4\"") + "</compat>", -1, ""},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.compats);
        auto list = CompatList(c.compats);
        const auto described = CollectVersions(*list, launch->GetAt(0), launch->GetAt(0)->versions->GetAt(0));
        ASSERT_EQ(described.size(), 1u);
        const CCompatibilityVerdict verdict = CompatibilityOf(described, game, version);
        EXPECT_EQ(verdict.result, c.result);
        EXPECT_EQ(verdict.message, c.message);
    }
}

TEST(GameMatching, ApplyCompatibilityKeepsCompatibleVersionsWithTheirMessage)
{
    auto launch = Games("<game xmlns=\"g.def\" gid=\"g\"><version vnbr=\"1.5\"/></game>");
    auto candidates = Games("<game xmlns=\"g.def\" gid=\"x\"><version vnbr=\"3\"/><version vnbr=\"5\"/></game>"
                            "<game xmlns=\"g.def\" gid=\"z\"><version vnbr=\"1\"/></game>");
    // The default record mentions the examined game, so it is gathered and decides.
    auto list = CompatList("<compat level=\"1\"><cmess title=\"t\" butts=\"okcancel\">ok</cmess>" +
                           Candidate("x", "vnbr.lt=\"4\"") + "</compat>" +
                           "<compat default=\"1\" type=\"incompatible\"><cmess>no</cmess>" + Candidate("z", "") +
                           "</compat>");
    EXPECT_EQ(ApplyCompatibility(*candidates, *list, *launch->GetAt(0)), 1);
    EXPECT_EQ(Ids(*candidates), "x:3, ");
    const CZeltoGameVersion& kept = *candidates->GetAt(0)->versions->GetAt(0);
    EXPECT_EQ(kept.launchMessage + "|" + kept.launchMessageTitle, "ok|t");
    EXPECT_EQ(kept.launchMessageStyle, 1u);

    // A launch version outside the list's range: nothing described, everything goes.
    auto other = Games("<game xmlns=\"g.def\" gid=\"g\"><version vnbr=\"2\"/></game>");
    auto again = Games("<game xmlns=\"g.def\" gid=\"x\"><version vnbr=\"3\"/></game>");
    EXPECT_EQ(ApplyCompatibility(*again, *list, *other->GetAt(0)), 0);
    EXPECT_EQ(again->Count(), 0);
}
