#include "ScriptReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace FdInstall;

namespace
{
std::vector<std::string> linesOf(const std::string& strText)
{
    CScriptReader reader;
    reader.vLoad(strText);
    std::vector<std::string> lines;
    std::string line;
    while (reader.boNextLine(line))
        lines.push_back(line);
    return lines;
}
} // namespace

TEST(ScriptReader, LinesTable)
{
    using V = std::vector<std::string>;
    const struct
    {
        std::string text;
        V lines;
    } cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\nb\n\rc\rd\n", {"a", "b", "c", "d"}},
        {"\r\n\r\n  a  \t\n\n\n b", {"a", "b"}},
        {"// comment\n  // indented comment\n/x\n/", {"/x", "/"}},
        {"a\r\n   \r\n\t\t\r\nb", {"a", "b"}},
        {"  [end]  \r\n", {"[end]"}},
        {std::string("a\nb\0c\nd", 7), {"a", "b"}},
        {"   ", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.lines, linesOf(c.text)) << "text: " << c.text;
}

TEST(ScriptReader, StopsAtTheEndAndStaysThere)
{
    CScriptReader reader;
    reader.vLoad("x\n\n\n");
    std::string line;
    ASSERT_TRUE(reader.boNextLine(line));
    EXPECT_FALSE(reader.boNextLine(line));
    EXPECT_FALSE(reader.boNextLine(line));
    EXPECT_EQ("x", line) << "untouched at the end";
    reader.vClear();
    EXPECT_FALSE(reader.boLoaded());
    EXPECT_FALSE(reader.boNextLine(line));
}

TEST(ScriptReader, HeadersWholeLineAnyCase)
{
    EXPECT_EQ(kSectionInstall, eSectionHeader("[INSTALL]"));
    EXPECT_EQ(kSectionEnd, eSectionHeader("[end]"));
    EXPECT_EQ(kSectionRequired, eSectionHeader("[Required_Actions]"));
    EXPECT_EQ(kSectionDownload, eSectionHeader("[dl]"));
    EXPECT_EQ(kSectionNone, eSectionHeader("[DL] x"));
    EXPECT_EQ(kSectionNone, eSectionHeader("[DL"));
    EXPECT_EQ(kSectionNone, eSectionHeader("[REGISTRY]"));
    EXPECT_EQ(kTestRegistry, eTestHeader("[registry]"));
    EXPECT_EQ(kTestFileVersion, eTestHeader("[FILEVER]"));
    EXPECT_EQ(kTestFileDate, eTestHeader("[FileDate]"));
    EXPECT_EQ(kTestNone, eTestHeader("[FILEVERS]"));
    EXPECT_EQ(kTestNone, eTestHeader("[TEST]"));
}
