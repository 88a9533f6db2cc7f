#include "DetectCondition.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace
{
// Files and registry values held in maps; registry keys are "key|value name".
class CFakeHost : public IDetectHost
{
public:
    std::map<std::string, std::string> files;
    std::map<std::string, std::string> registry;
    int reads = 0;

    bool boFileExists(const std::string& path) override { return files.count(path) != 0; }
    bool boReadFile(const std::string& path, const ByteSink& sink) override
    {
        ++reads;
        const auto it = files.find(path);
        if (it == files.end())
            return false;
        // Two pieces, so digests are streamed.
        const std::string& data = it->second;
        const size_t half = data.size() / 2;
        sink(reinterpret_cast<const uint8_t*>(data.data()), half);
        sink(reinterpret_cast<const uint8_t*>(data.data()) + half, data.size() - half);
        return true;
    }
    std::string RegReadValue(const std::string& key, const std::string& valueName,
                             const std::string& defaultText) override
    {
        const auto it = registry.find(key + "|" + valueName);
        return it == registry.end() ? defaultText : it->second;
    }
};

std::unique_ptr<CConditionNode> Build(const std::string& script, CFakeHost& host)
{
    return lpBuildConditionTree(script, host);
}
} // namespace

TEST(DetectCondition, BuildsKindsAndTexts)
{
    CFakeHost host;
    auto tree = Build("<AND><File name=\"GAME.EXE\" crc32=\"1234\" var:path=\"p\" empty=\"\"/>"
                      "<or><reg key=\"HKLM\\A\" valname=\"V\" exists=\"1\"/></or><other x=\"1\"/>text</AND>",
                      host);
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->kind, kCondAnd);
    EXPECT_TRUE(tree->isGroup);
    ASSERT_EQ(tree->children.size(), 3u);
    const CConditionNode& file = *tree->children[0];
    EXPECT_EQ(file.kind, kCondFile);
    EXPECT_FALSE(file.isGroup);
    EXPECT_EQ(file.firstText, "GAME.EXE");
    EXPECT_EQ(file.Get("crc32"), "1234");
    EXPECT_EQ(file.Get("var:path"), "p");
    EXPECT_FALSE(file.boHas("empty")); // an empty text does not count
    const CConditionNode& orNode = *tree->children[1];
    EXPECT_EQ(orNode.kind, kCondOr);
    ASSERT_EQ(orNode.children.size(), 1u);
    EXPECT_EQ(orNode.children[0]->kind, kCondReg);
    EXPECT_EQ(orNode.children[0]->firstText, "HKLM\\A");
    EXPECT_EQ(orNode.children[0]->secondText, "V");
    EXPECT_EQ(tree->children[2]->kind, kCondAnd); // unknown element: an empty "and"
    EXPECT_TRUE(tree->children[2]->children.empty());
}

TEST(DetectCondition, RefusesBadScripts)
{
    CFakeHost host;
    for (const char* script : {"", "   ", "just text"})
        EXPECT_EQ(Build(script, host), nullptr) << script;

    // kMaxConditionDepth nested groups build; one more does not.
    const auto nested = [](int levels)
    {
        std::string open, close;
        for (int i = 0; i < levels; ++i)
        {
            open += "<and>";
            close += "</and>";
        }
        return open + close;
    };
    EXPECT_NE(Build(nested(kMaxConditionDepth), host), nullptr) << "at the depth bound";
    EXPECT_EQ(Build(nested(kMaxConditionDepth + 1), host), nullptr) << "one past the bound";
}

TEST(DetectCondition, FullPathFromRegistry)
{
    struct Row
    {
        const char* value;
        const char* add;
        const char* expected;
    } rows[] = {
        {"C:\\Games\\X", "bin\\x.exe", "C:\\Games\\X\\bin\\x.exe"},
        {"C:\\Games\\X\\", "x.exe", "C:\\Games\\X\\x.exe"},
        {"C:\\Games\\X\\x.exe", "", "C:\\Games\\X\\x.exe"},
        {nullptr, "x.exe", "D:\\fallback.exe"}, // missing value: fullpath stays
    };
    for (const Row& row : rows)
    {
        CFakeHost host;
        if (row.value != nullptr)
            host.registry["HKLM\\Soft\\X|Path"] = row.value;
        auto tree = Build(std::string("<file fullpath=\"D:\\fallback.exe\" pathregkey=\"HKLM\\Soft\\X\" "
                                      "pathregvalname=\"Path\" regkeyadd=\"") +
                              row.add + "\"/>",
                          host);
        ASSERT_NE(tree, nullptr);
        EXPECT_EQ(tree->secondText, row.expected) << (row.value ? row.value : "(missing)");
    }
}

TEST(DetectCondition, FileConditions)
{
    CFakeHost host;
    host.files["C:\\G\\game.exe"] = "123456789";
    struct Row
    {
        const char* script;
        bool holds;
    } rows[] = {
        {"<file name=\"game.exe\"/>", false}, // nothing found yet
        {"<file found:fullpath=\"C:\\G\\game.exe\"/>", true},
        {"<file found:fullpath=\"C:\\G\\other.exe\"/>", false},
        {"<file found:fullpath=\"C:\\G\\game.exe\" crc32=\"cbf43926\"/>", true},
        {"<file found:fullpath=\"C:\\G\\game.exe\" crc32=\"CBF43927\"/>", false},
        {"<file found:fullpath=\"C:\\G\\game.exe\" sha=\"F7C3BC1D808E04732ADF679965CCC34CA7AE3441\"/>", true},
        {"<file found:fullpath=\"C:\\G\\game.exe\" sha=\"f7c3bc1d808e04732adf679965ccc34ca7ae3441\"/>", true},
        {"<file found:fullpath=\"C:\\G\\game.exe\" crc32=\"CBF43926\" sha=\"00\"/>", false},
    };
    for (const Row& row : rows)
    {
        auto tree = Build(row.script, host);
        ASSERT_NE(tree, nullptr) << row.script;
        EXPECT_EQ(boEvaluateCondition(*tree, host), row.holds) << row.script;
        EXPECT_EQ(tree->result, row.holds ? 1 : 0) << row.script;
    }
}

TEST(DetectCondition, RegistryConditions)
{
    CFakeHost host;
    host.registry["K|ten"] = "10";
    host.registry["K|nine5"] = "9.5";
    host.registry["K|ten5"] = "10.5";
    host.registry["K|empty"] = "";
    host.registry["K|marker"] = kRegNotFoundMarker;
    host.registry["K|name"] = "Orbelle Game";
    struct Row
    {
        const char* attributes;
        bool holds;
    } rows[] = {
        {"valname=\"ten\" gte=\"10\"", true},
        {"valname=\"nine5\" gte=\"10\"", false},
        {"valname=\"nine5\" lte=\"10\"", true},
        {"valname=\"ten5\" lte=\"10\"", false},
        {"valname=\"ten\" gt=\"10\"", false},
        {"valname=\"ten5\" gt=\"10\"", true},
        {"valname=\"nine5\" lt=\"10\"", true},
        {"valname=\"ten\" lt=\"10\"", false},
        {"valname=\"ten\" exists=\"1\"", true},
        {"valname=\"none\" exists=\"1\"", false},
        {"valname=\"none\" nexists=\"1\"", true},
        {"valname=\"marker\" exists=\"1\"", false}, // the marker text means missing
        {"valname=\"marker\" nexists=\"1\" isempty=\"1\"", true},
        {"valname=\"empty\" exists=\"1\" isempty=\"1\"", true},
        {"valname=\"empty\" nisempty=\"1\"", false},
        {"valname=\"name\" nisempty=\"1\"", true},
        {"valname=\"name\" eq=\"orbelle game\"", true},
        {"valname=\"name\" neq=\"ORBELLE GAME\"", false},
        {"valname=\"name\" neq=\"other\"", true},
        {"valname=\"name\" fits=\"orbelle*\"", true},
        {"valname=\"name\" fits=\"*Other\"", false},
        {"valname=\"name\" nfits=\"*Other\"", true},
        {"valname=\"name\" nfits=\"*game\"", false},
        {"valname=\"ten\"", true}, // no test: holds
    };
    for (const Row& row : rows)
    {
        const std::string script = std::string("<reg key=\"K\" ") + row.attributes + "/>";
        auto tree = Build(script, host);
        ASSERT_NE(tree, nullptr) << script;
        EXPECT_EQ(boEvaluateCondition(*tree, host), row.holds) << script;
    }
}

TEST(DetectCondition, GroupsEvaluateEveryChild)
{
    CFakeHost host;
    host.registry["K|v"] = "1";
    struct Row
    {
        const char* script;
        bool holds;
    } rows[] = {
        {"<and/>", true},
        {"<or/>", false},
        {"<and><reg key=\"K\" valname=\"v\"/><reg key=\"K\" valname=\"w\" exists=\"1\"/></and>", false},
        {"<or><reg key=\"K\" valname=\"w\" exists=\"1\"/><reg key=\"K\" valname=\"v\" exists=\"1\"/></or>",
         true},
        {"<and><or><reg key=\"K\" valname=\"v\" exists=\"1\"/></or><reg key=\"K\" valname=\"v\" "
         "eq=\"1\"/></and>",
         true},
        {"<or><and><reg key=\"K\" valname=\"w\" exists=\"1\"/></and></or>", false},
    };
    for (const Row& row : rows)
    {
        auto tree = Build(row.script, host);
        ASSERT_NE(tree, nullptr) << row.script;
        EXPECT_EQ(boEvaluateCondition(*tree, host), row.holds) << row.script;
    }

    // No short cut: a false first child still leaves the second evaluated.
    auto tree = Build(
        "<and><reg key=\"K\" valname=\"w\" exists=\"1\"/><reg key=\"K\" valname=\"v\" exists=\"1\"/></and>",
        host);
    ASSERT_NE(tree, nullptr);
    tree->children[1]->result = 0;
    EXPECT_FALSE(boEvaluateCondition(*tree, host));
    EXPECT_EQ(tree->children[0]->result, 0);
    EXPECT_EQ(tree->children[1]->result, 1);

    tree->kind = 7; // an unknown kind is false
    EXPECT_FALSE(boEvaluateCondition(*tree, host));
    tree->kind = -1;
    EXPECT_FALSE(boEvaluateCondition(*tree, host));
}

TEST(DetectCondition, WriterGivesConcreteConditions)
{
    CFakeHost host;
    auto tree = Build(
        "<and><file name=\"g.exe\" crc32=\"AB\" sha=\"CD\" var:path=\"p\"/>"
        "<or><reg key=\"HKLM\\S\" valname=\"V\" exists=\"1\" nisempty=\"1\" lte=\"9\" fits=\"a*\"/></or>"
        "<reg/></and>",
        host);
    ASSERT_NE(tree, nullptr);
    tree->children[0]->attributes["found:fullpath"] = "C:\\G\\g.exe";
    EXPECT_EQ(csConditionToXml(*tree),
              "<and><file found:fullpath=\"C:\\G\\g.exe\" crc32=\"AB\" sha=\"CD\"/>"
              "<or><reg key=\"HKLM\\S\" valname=\"V\" exists=\"1\" nisempty=\"1\" fits=\"a*\" "
              "lte=\"9\"/></or><reg/></and>");
}

// A path holding & and " survives being written and read back.
TEST(DetectCondition, WrittenPathsReadBack)
{
    CFakeHost host;
    const std::string path = "C:\\Tom & \"Jerry\" <1>\\g.exe";
    host.files[path] = "x";
    auto tree = Build("<and><file name=\"g.exe\"/></and>", host);
    ASSERT_NE(tree, nullptr);
    tree->children[0]->attributes["found:fullpath"] = path;
    const std::string xml = csConditionToXml(*tree);
    auto again = Build(xml, host);
    ASSERT_NE(again, nullptr) << xml;
    ASSERT_EQ(again->children.size(), 1u) << xml;
    EXPECT_EQ(again->children[0]->Get("found:fullpath"), path) << xml;
    EXPECT_TRUE(boEvaluateCondition(*again, host)) << xml;
}

// Flags are written with a text: a bare word would read back as an empty attribute,
// which does not count, and the condition would lose its test.
TEST(DetectCondition, WrittenRegistryFlagsReadBack)
{
    CFakeHost host;
    host.registry["K|v"] = "x";
    auto tree = Build("<reg key=\"K\" valname=\"v\" nexists=\"1\"/>", host);
    ASSERT_NE(tree, nullptr);
    EXPECT_FALSE(boEvaluateCondition(*tree, host));
    auto again = Build(csConditionToXml(*tree), host);
    ASSERT_NE(again, nullptr);
    EXPECT_FALSE(boEvaluateCondition(*again, host)) << csConditionToXml(*tree);
}

TEST(DetectCondition, CloneCopiesTheWholeTree)
{
    CFakeHost host;
    auto tree = Build("<and><file name=\"a.exe\"/><or><file name=\"b.exe\"/></or></and>", host);
    ASSERT_NE(tree, nullptr);
    tree->children[0]->attributes["found:fullpath"] = "C:\\a.exe";
    auto copy = tree->Clone();
    copy->originName = "a.exe";
    tree->children[0]->attributes["found:fullpath"] = "D:\\a.exe";
    EXPECT_EQ(csConditionToXml(*copy), "<and><file found:fullpath=\"C:\\a.exe\"/><or><file/></or></and>");
    EXPECT_EQ(copy->children[1]->children[0]->firstText, "b.exe");
}
