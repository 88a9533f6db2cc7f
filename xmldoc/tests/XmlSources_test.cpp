#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "XmlDocument.h"

namespace
{
class CEventSink : public CXmlEventSink
{
public:
    void OnLoadEvent(int32_t code, int32_t, int32_t, CXmlDocument*) override { codes.push_back(code); }
    std::vector<int32_t> codes;
};

std::string TempFile(const char* name)
{
    char dir[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + name;
}

bool WriteFileText(const std::string& path, const std::string& text)
{
    HANDLE h =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(h);
    return ok && written == text.size();
}
} // namespace

TEST(XmlSources, ResourceByNumberAndByName)
{
    for (const char* source : {"RES://#101", "res://GAMEDEF", "RES://gamedef"})
    {
        CXmlDocument doc;
        ASSERT_EQ(doc.lLoad(source, nullptr), 0) << source;
        // Copied by its size: exactly the file's bytes, nothing behind them.
        EXPECT_EQ(doc.GetRawText(), "<games><game gid=\"7\">R\xE9sum\xE9</game></games>") << source;
        const CXmlTag* game = doc.lpGetNextTagNamed("game", nullptr);
        ASSERT_NE(game, nullptr);
        EXPECT_EQ(game->lGetAttributeLong("gid", 0), 7);
        EXPECT_EQ(game->DumpText(false), "R\xE9sum\xE9");
    }
    CXmlDocument doc;
    EXPECT_EQ(doc.lLoad("RES://#102", nullptr), 3);
    EXPECT_EQ(doc.lLoad("RES://#0", nullptr), 3);
    EXPECT_EQ(doc.lLoad("RES://NOSUCH", nullptr), 3);
}

TEST(XmlSources, FileLoadsAndErrors)
{
    const std::string path = TempFile("fd_xmldoc_source.xml");
    ASSERT_TRUE(WriteFileText(path, "<a><b/></a>"));
    CEventSink sink;
    CXmlDocument doc;
    ASSERT_EQ(doc.lLoad("FILE://" + path, &sink), 0);
    EXPECT_EQ(doc.GetDocumentURL(), path);
    EXPECT_EQ(doc.lpGetNextChildTag(nullptr)->GetChildCount(), 1);
    ASSERT_FALSE(sink.codes.empty());
    EXPECT_EQ(sink.codes.front(), kXmlEventTextInMemory);
    EXPECT_EQ(sink.codes.back(), kXmlEventLoaded);

    // An empty file counts as read.
    ASSERT_TRUE(WriteFileText(path, ""));
    EXPECT_EQ(doc.lLoad(path, nullptr), 0);
    EXPECT_EQ(doc.GetChildCount(), 0);

    // A file held without read sharing cannot be opened.
    HANDLE locked =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    EXPECT_EQ(doc.lLoad(path, nullptr), 1);
    CloseHandle(locked);

    DeleteFileA(path.c_str());
    sink.codes.clear();
    EXPECT_EQ(doc.lLoad("file://" + path, &sink), 1);
    EXPECT_TRUE(sink.codes.empty()); // nothing was in memory
}
