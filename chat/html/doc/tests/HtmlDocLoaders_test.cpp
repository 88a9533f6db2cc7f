// The document's Windows loaders: files, RT_HTML resources of a fixture
// module and of the program itself, and the current directory, through the
// Windows host.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "HtmlDoc.h"
#include "HtmlRecordingHandler.h"
#include "HtmlWinHost.h"
#include "HtmlTreeDump.h"

namespace
{
class LoadersTest : public testing::Test
{
protected:
    void SetUp() override
    {
        const char* bin = std::getenv("FD_BIN_DIR");
        ASSERT_NE(bin, nullptr);
        m_module = LoadLibraryA((std::string(bin) + "/html_doc_fixture.dll").c_str());
        ASSERT_NE(m_module, nullptr) << GetLastError();
    }
    void TearDown() override
    {
        if (m_module != nullptr)
            FreeLibrary(m_module);
    }
    HMODULE m_module = nullptr;
    CHtmlWinHost m_host;
};

TEST_F(LoadersTest, ResourcesByNumberAndByName)
{
    CHtmlDoc doc(m_module, &m_host);
    std::string error = "untouched";
    ASSERT_EQ(doc.Load("res://#120", &error, nullptr, 1, 0), 0);
    EXPECT_EQ(HtmlDumpTree(doc), "HTML (CTag)\n"
                                 "  BODY (CTagBODY) [BGCOLOR=silver]\n"
                                 "    P (CTagP)\n"
                                 "      NOTAG (CTagTEXT) \"Ressource num\\xE9ro 120\"\n"
                                 "    BR (CTagBR)\n"
                                 "    A (CTagA) [HREF=\\x22page2.htm\\x22]\n"
                                 "      NOTAG (CTagTEXT) \"suite\"\n");
    EXPECT_EQ(error, "untouched");
    // A resource page is not relative: the base path stays; RES is sticky.
    EXPECT_EQ(doc.GetSourceType(), "RES");

    RecordingHandler titles;
    ASSERT_EQ(doc.Load("RES://chatpage", &error, &titles, 1, 0), 0);
    EXPECT_EQ(HtmlDumpTree(doc),
              "TITLE (CTagTITLE) title=\"Nomm\\xE9e\"\nB (CTagB)\n  NOTAG (CTagTEXT) \"named\"\n"
              "NOTAG (CTagTEXT) \" page\"\n");
    EXPECT_EQ(titles.events, (std::vector<std::string>{"title Nomm\xE9"
                                                       "e"}));
    // Without a prefix the sticky kind applies.
    ASSERT_EQ(doc.Load("#120", &error, nullptr, 0, 0), 0);
    EXPECT_FALSE(doc.GetElements().empty());
}

TEST_F(LoadersTest, MissingResourcesAndFiles)
{
    CHtmlDoc doc(m_module, &m_host);
    std::string error;
    EXPECT_EQ(doc.Load("res://#999", &error, nullptr, 0, 0), 3);
    EXPECT_EQ(error, "The HTML resource could not be found");
    EXPECT_EQ(doc.Load("RES://NOSUCH", &error, nullptr, 0, 0), 3);
    EXPECT_TRUE(doc.GetElements().empty());
    error.clear();
    EXPECT_EQ(doc.Load("FILE://C:\\no\\such\\page.htm", &error, nullptr, 0, 0), 1);
    EXPECT_EQ(error, "File error");
    EXPECT_EQ(doc.GetSourceLength(), 0u);
}

TEST(Loaders, ProgramOwnResourceByDefault)
{
    CHtmlWinHost host;
    CHtmlDoc doc(nullptr, &host);
    ASSERT_EQ(doc.Load("res://#121", nullptr, nullptr, 0, 0), 0);
    EXPECT_EQ(HtmlDumpTree(doc), "I (CTagI)\n  NOTAG (CTagTEXT) \"own\"\n");
    EXPECT_EQ(doc.GetInitialModule(), nullptr);
}

TEST(Loaders, FilesAndTheCurrentDirectory)
{
    char dir[MAX_PATH] = {};
    ASSERT_NE(GetCurrentDirectoryA(MAX_PATH, dir), 0u);
    const std::string name = "html_doc_loader_page.htm";
    {
        std::ofstream out(name, std::ios::binary);
        out << "<P>caf\xE9";
    }
    RecordingHandler h;
    h.recordProgress = true;
    CHtmlWinHost host;
    CHtmlDoc doc(nullptr, &host);
    std::string error;
    ASSERT_EQ(doc.Load(name, &error, &h, 0, 0), 0) << error;
    EXPECT_EQ(HtmlDumpTree(doc), "P (CTagP)\n  NOTAG (CTagTEXT) \"caf\\xE9\"\n");
    EXPECT_EQ(h.events.front(), "progress 0 -1 0");
    // The base of a bare file name is the current directory.
    std::string base = std::string("FILE://") + dir + "/";
    for (char& c : base)
        if (c == '\\')
            c = '/';
    EXPECT_EQ(doc.GetBasePath(), base);
    EXPECT_EQ(MakeAbsolutePath("x/y.htm", host.CurrentDirectory()), std::string(dir) + "\\x\\y.htm");
    EXPECT_EQ(doc.ResolveAddress("img/a.gif", true), std::string(dir) + "\\img\\a.gif");

    // Text mode: line ends written as CR LF.
    ASSERT_EQ(doc.Load("STR://a\nb", nullptr, nullptr, 0, 0), 0);
    ASSERT_TRUE(doc.SaveSource(name));
    std::ifstream in(name, std::ios::binary);
    std::stringstream back;
    back << in.rdbuf();
    EXPECT_EQ(back.str(), "a\r\nb");
    DeleteFileA(name.c_str());
}

TEST(Loaders, UnknownKindAsksTheHandler)
{
    RecordingHandler h;
    h.onLeaveView = [](std::string* kind, std::string* address)
    {
        *kind = "res";
        *address = "#121";
    };
    CHtmlWinHost host;
    CHtmlDoc doc(nullptr, &host);
    ASSERT_EQ(doc.Load("http://127.0.0.1/page.htm", nullptr, &h, 0, 0), 0);
    EXPECT_EQ(h.events, (std::vector<std::string>{"leave HTTP 127.0.0.1/page.htm"}));
    EXPECT_EQ(HtmlDumpTree(doc), "I (CTagI)\n  NOTAG (CTagTEXT) \"own\"\n");
}
} // namespace
