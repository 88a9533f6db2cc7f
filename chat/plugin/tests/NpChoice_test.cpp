#include "NpChoice.h"

#include <gtest/gtest.h>

using namespace ChatPlugin;

TEST(NpChoice, StreamTypes)
{
    struct Row
    {
        const char* type;
        const char* url;
        uint16_t proposed, expected;
    };
    const Row rows[] = {
        {"text/html", "http://h/a.htm", 0, 1},
        {"TEXT/PLAIN", nullptr, 3, 1},
        {"text/", "http://h/a", 0, 1}, // too short for the text rule: any other type
        {"image/gif", "http://h/a.gif", 1, 3},
        {"image/", "http://h/a", 0, 1},
        {"application/octet-stream", "http://h/a.vblt", 0, 1},
        {"application/octet-stream", "http://h/dir/A.VERBOLT", 0, 1},
        {"application/octet-stream", "http://h/c.zelto", 0, 1},
        {"application/octet-stream", "http://h/c.zeltoc", 0, 1},
        {"application/octet-stream", ".vblt", 0, 3}, // only the ending: a file
        {"application/octet-stream", "http://h/x.bin", 0, 3},
        {"application/octet-stream", nullptr, 2, 2}, // no address: the browser's choice
        {"application/x-verbolt", "http://h/x.bin", 3, 1},
        {nullptr, nullptr, 3, 1},
    };
    for (const Row& r : rows)
        EXPECT_EQ(r.expected, uChooseStreamType(r.type, r.url, r.proposed))
            << (r.type ? r.type : "(null)") << " " << (r.url ? r.url : "(null)");
}

TEST(NpChoice, PageAddresses)
{
    struct Row
    {
        const char *page, *dir, *root;
    };
    const Row rows[] = {
        {"http://h/a/b/p.htm", "http://h/a/b", "http://h"},
        {"http://h/p.htm", "http://h", "http://h"},
        {"http://h/", "http://h", "http://h"},
        {"http://h", "http://h", "http://h"}, // no path: the site root, never "http:/"
        {"http://h:8080", "http://h:8080", "http://h:8080"},
        {"p.htm", "p.htm", "p.htm"},
        {"", "", ""},
    };
    for (const Row& r : rows)
    {
        std::string dir = "?", root = "?";
        vSplitPageUrl(r.page, dir, root);
        EXPECT_EQ(r.dir, dir) << r.page;
        EXPECT_EQ(r.root, root) << r.page;
    }
}

TEST(NpChoice, ResolutionAgainstThePage)
{
    std::string dir, root;
    vSplitPageUrl("http://h/a/b/p.htm", dir, root);
    EXPECT_EQ("http://h/x", strResolveUrl("/x", dir, root));
    EXPECT_EQ("http://h/a/b/y.htm", strResolveUrl("y.htm", dir, root));
    EXPECT_EQ("ftp://z/q", strResolveUrl("ftp://z/q", dir, root));
    vSplitPageUrl("http://h", dir, root);
    EXPECT_EQ("http://h/y.htm", strResolveUrl("y.htm", dir, root)) << "a page without a path";
}

TEST(NpChoice, MimeTypes)
{
    const std::string ending = strSrcEnding("application/x-verbolt", "cfg/chat.vblt");
    EXPECT_EQ(".vblt", ending);
    EXPECT_EQ("image/gif", strChooseMime("http://h/X.GIF?v=1", ending, "application/x-verbolt"));
    EXPECT_EQ("text/html", strChooseMime("http://h/p.HTM", ending, "t"));
    EXPECT_EQ("text/html", strChooseMime("http://h/p.html", ending, "t"));
    EXPECT_EQ("text/asp", strChooseMime("http://h/a.asp", ending, "t"));
    EXPECT_EQ("application/x-verbolt", strChooseMime("http://h/other.VBLT", ending, "application/x-verbolt"));
    EXPECT_EQ("text/plain", strChooseMime("http://h/r.txt", ending, "t"));
    EXPECT_EQ("application/octet-stream", strChooseMime("http://h/r.bin", ending, "t"));
    // Without a src ending every address reaching that test takes the type.
    EXPECT_EQ("", strSrcEnding("", "a.vblt"));
    EXPECT_EQ("", strSrcEnding("t", "noext"));
    EXPECT_EQ("t", strChooseMime("http://h/r.bin", "", "t"));
}
