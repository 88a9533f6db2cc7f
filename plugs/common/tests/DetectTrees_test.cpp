#include "DetectTrees.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace
{
class CFakeHost : public IDetectHost
{
public:
    std::map<std::string, std::string> files;
    std::map<std::string, std::string> registry;

    bool boFileExists(const std::string& path) override { return files.count(path) != 0; }
    bool boReadFile(const std::string& path, const ByteSink& sink) override
    {
        const auto it = files.find(path);
        if (it == files.end())
            return false;
        sink(reinterpret_cast<const uint8_t*>(it->second.data()), it->second.size());
        return true;
    }
    std::string RegReadValue(const std::string& key, const std::string& valueName,
                             const std::string& defaultText) override
    {
        const auto it = registry.find(key + "|" + valueName);
        return it == registry.end() ? defaultText : it->second;
    }
};

ConditionTrees OneTree(const std::string& script, CFakeHost& host,
                       FdTestKit::SWhere where = FdTestKit::SWhere::here())
{
    FD_TRACE_CALLER(where);
    ConditionTrees trees;
    auto tree = lpBuildConditionTree(script, host);
    EXPECT_NE(tree, nullptr) << script;
    if (tree != nullptr)
        trees.push_back(std::move(tree));
    return trees;
}

std::string Written(const ConditionTrees& trees)
{
    std::string text;
    for (const auto& tree : trees)
        text += csConditionToXml(*tree) + "\n";
    return text;
}
} // namespace

TEST(DetectTrees, PathParts)
{
    EXPECT_EQ(PathDirectory("C:\\G\\a.exe"), "C:\\G");
    EXPECT_EQ(PathFileName("C:\\G\\a.exe"), "a.exe");
    EXPECT_EQ(PathDirectory("C:/G/a.exe"), "C:/G");
    EXPECT_EQ(PathDirectory("a.exe"), "");
    EXPECT_EQ(PathFileName("a.exe"), "a.exe");
}

// One file found in two folders gives two candidate trees: the copy holds the first
// location, the original the latest; a third location copies the original again.
TEST(DetectTrees, EachLocationGivesOneCandidate)
{
    CFakeHost host;
    ConditionTrees trees = OneTree(R"(<and><file name="GAME.EXE"/><file name="data.pak"/></and>)", host);
    vOnFileFound(trees, "C:\\A\\game.exe");
    ASSERT_EQ(trees.size(), 1u);
    vOnFileFound(trees, "D:\\B\\GAME.EXE");
    ASSERT_EQ(trees.size(), 2u);
    EXPECT_EQ(trees[0]->children[0]->Get("found:fullpath"), "D:\\B\\GAME.EXE");
    EXPECT_EQ(trees[1]->children[0]->Get("found:fullpath"), "C:\\A\\game.exe");
    EXPECT_EQ(trees[1]->originName, "GAME.EXE");
    vOnFileFound(trees, "D:\\B\\data.pak");
    EXPECT_EQ(trees.size(), 2u);
    EXPECT_EQ(trees[0]->children[1]->Get("found:fullpath"), "D:\\B\\data.pak");
    EXPECT_EQ(trees[1]->children[1]->Get("found:fullpath"), "D:\\B\\data.pak");
    vOnFileFound(trees, "E:\\C\\game.exe");
    ASSERT_EQ(trees.size(), 3u) << Written(trees);
    EXPECT_EQ(trees[2]->children[0]->Get("found:fullpath"), "D:\\B\\GAME.EXE");
    EXPECT_EQ(trees[0]->children[0]->Get("found:fullpath"), "E:\\C\\game.exe");
}

TEST(DetectTrees, UnrelatedFoldersDeleteAnAndTreeOnly)
{
    CFakeHost host;
    ConditionTrees trees = OneTree(R"(<and><file name="a.exe"/><file name="b.dat"/></and>)", host);
    vOnFileFound(trees, "C:\\Games\\X\\a.exe");
    vOnFileFound(trees, "C:\\Other\\b.dat");
    vPruneTrees(trees);
    EXPECT_TRUE(trees.empty());

    // Nested folders keep the tree, whichever comes first.
    trees = OneTree(R"(<and><file name="a.exe"/><file name="b.dat"/></and>)", host);
    vOnFileFound(trees, "C:\\Games\\X\\bin\\a.exe");
    vOnFileFound(trees, "c:\\games\\x\\b.dat");
    vPruneTrees(trees);
    ASSERT_EQ(trees.size(), 1u);
    EXPECT_EQ(trees[0]->children[1]->Get("found:fullpath"), "c:\\games\\x\\b.dat");

    // Inside an "or" the folders are not compared, but a stray path loses its place
    // when the "and" part gave a common folder.
    trees =
        OneTree(R"(<and><file name="a.exe"/><or><file name="b.dat"/><file name="c.dat"/></or></and>)", host);
    vOnFileFound(trees, "C:\\Games\\X\\a.exe");
    vOnFileFound(trees, "C:\\Other\\b.dat");
    vOnFileFound(trees, "C:\\Games\\X\\Data\\c.dat");
    vPruneTrees(trees);
    ASSERT_EQ(trees.size(), 1u);
    EXPECT_FALSE(trees[0]->children[1]->children[0]->boHas("found:fullpath"));
    EXPECT_EQ(trees[0]->children[1]->children[1]->Get("found:fullpath"), "C:\\Games\\X\\Data\\c.dat");

    // A tree rooted in "or" has no common folder.
    trees = OneTree(R"(<or><file name="a.exe"/><file name="b.dat"/></or>)", host);
    vOnFileFound(trees, "C:\\Games\\X\\a.exe");
    vOnFileFound(trees, "C:\\Other\\b.dat");
    vPruneTrees(trees);
    ASSERT_EQ(trees.size(), 1u);
    EXPECT_EQ(trees[0]->children[1]->Get("found:fullpath"), "C:\\Other\\b.dat");

    // A "wildpath" file is left out of the test.
    trees = OneTree(R"(<and><file name="a.exe"/><file name="b.dat" wildpath="1"/></and>)", host);
    vOnFileFound(trees, "C:\\Games\\X\\a.exe");
    vOnFileFound(trees, "C:\\Other\\b.dat");
    vPruneTrees(trees);
    ASSERT_EQ(trees.size(), 1u);
    EXPECT_EQ(trees[0]->children[1]->Get("found:fullpath"), "C:\\Other\\b.dat");
}

TEST(DetectTrees, DuplicatesGo)
{
    CFakeHost host;
    ConditionTrees trees = OneTree(R"(<and><file name="a.exe"/><reg key="K" valname="V"/></and>)", host);
    vOnFileFound(trees, "C:\\A\\a.exe");
    vOnFileFound(trees, "c:\\a\\A.EXE"); // the same place in other case: a duplicate
    vOnFileFound(trees, "D:\\A\\a.exe");
    ASSERT_EQ(trees.size(), 3u);
    vRemoveDuplicateTrees(trees);
    ASSERT_EQ(trees.size(), 2u) << Written(trees);
    EXPECT_EQ(trees[0]->children[0]->Get("found:fullpath"), "D:\\A\\a.exe");
    EXPECT_EQ(trees[1]->children[0]->Get("found:fullpath"), "C:\\A\\a.exe");

    auto a = lpBuildConditionTree(R"(<and><reg key="K" valname="V"/></and>)", host);
    auto b = lpBuildConditionTree(R"(<and><reg key="k" valname="v"/></and>)", host);
    auto c = lpBuildConditionTree(R"(<or><reg key="K" valname="V"/></or>)", host);
    auto d = lpBuildConditionTree(R"(<and><reg key="K" valname="V"/><and/></and>)", host);
    EXPECT_TRUE(boSameCondition(*a, *b));
    EXPECT_FALSE(boSameCondition(*a, *c));
    EXPECT_FALSE(boSameCondition(*a, *d));
}

TEST(DetectTrees, VariablesOfTrueNodes)
{
    CFakeHost host;
    host.files["C:\\G\\x.exe"] = "x";
    host.registry["HKLM\\S|Dir"] = "C:\\G";
    ConditionTrees trees =
        OneTree(R"(<and><file name="x.exe" var:fullpath="FP" var:path="P" var:name="N"/>)"
                R"(<reg key="HKLM\S" valname="Dir" var:key="K" var:valname="VN" var:val="V"/>)"
                R"(<or><file name="y.exe" var:path="NOT"/><reg key="HKLM\S" valname="Dir"/></or></and>)",
                host);
    vOnFileFound(trees, "C:\\G\\x.exe");
    ASSERT_TRUE(boEvaluateCondition(*trees[0], host));
    DetectVariables variables;
    vCollectVariables(*trees[0], host, variables);
    const DetectVariables expected = {{"FP", "C:\\G\\x.exe"}, {"P", "C:\\G"}, {"N", "x.exe"},
                                      {"K", "HKLM\\S"},       {"VN", "Dir"},  {"V", "C:\\G"}};
    EXPECT_EQ(variables, expected);

    // A false tree exports nothing.
    host.files.clear();
    EXPECT_FALSE(boEvaluateCondition(*trees[0], host));
    variables.clear();
    vCollectVariables(*trees[0], host, variables);
    EXPECT_TRUE(variables.empty());
}
