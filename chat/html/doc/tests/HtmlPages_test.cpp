// Element trees of fixture pages, compared with their expected dumps
// (tests/pages/NAME.tree). A differing tree is written to NAME.actual in the
// build tree.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "HtmlDoc.h"
#include "HtmlStdHost.h"
#include "HtmlTreeDump.h"
#include "TestFiles.h"

namespace
{
class PagesTest : public testing::TestWithParam<const char*>
{
};

TEST_P(PagesTest, TreeEqualsTheExpectedDump)
{
    const char* sourceDir = std::getenv("FD_SOURCE_DIR");
    ASSERT_NE(sourceDir, nullptr);
    const std::string base = std::string(sourceDir) + "/chat/html/tests/pages/" + GetParam();
    FdHtmlTest::StdFileHost host;
    CHtmlDoc doc(nullptr, &host);
    std::string error;
    ASSERT_EQ(doc.Load(base + ".htm", &error, nullptr, 0, 0), 0) << error;
    const std::string actual = HtmlDumpTree(doc);
    EXPECT_TRUE(FdTestKit::MatchesGolden(actual, base + ".tree", std::string(GetParam()) + ".actual"));
}

INSTANTIATE_TEST_SUITE_P(Fixtures, PagesTest, testing::Values("chat", "tables", "frames", "quirks"));
} // namespace
