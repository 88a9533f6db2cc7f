#include "Url.h"

#include <gtest/gtest.h>

using namespace FdBrowserHost;

TEST(Url, ResolvesReferences)
{
    struct
    {
        const char* base;
        const char* ref;
        const char* want;
    } const cases[] = {
        // RFC 3986 section 5.4 examples.
        {"http://a/b/c/d;p?q", "g", "http://a/b/c/g"},
        {"http://a/b/c/d;p?q", "./g", "http://a/b/c/g"},
        {"http://a/b/c/d;p?q", "g/", "http://a/b/c/g/"},
        {"http://a/b/c/d;p?q", "/g", "http://a/g"},
        {"http://a/b/c/d;p?q", "//g", "http://g"},
        {"http://a/b/c/d;p?q", "?y", "http://a/b/c/d;p?y"},
        {"http://a/b/c/d;p?q", "g?y", "http://a/b/c/g?y"},
        {"http://a/b/c/d;p?q", "#s", "http://a/b/c/d;p?q#s"},
        {"http://a/b/c/d;p?q", "", "http://a/b/c/d;p?q"},
        {"http://a/b/c/d;p?q", ".", "http://a/b/c/"},
        {"http://a/b/c/d;p?q", "..", "http://a/b/"},
        {"http://a/b/c/d;p?q", "../g", "http://a/b/g"},
        {"http://a/b/c/d;p?q", "../../../g", "http://a/g"},
        {"http://a/b/c/d;p?q", "g;x=1/../y", "http://a/b/c/y"},
        // The host's own cases.
        {"http://127.0.0.1:8080/dir/page.htm", "http://other/x", "http://other/x"},
        {"http://127.0.0.1:8080/dir/page.htm", "sub\\x.htm?a\\b", "http://127.0.0.1:8080/dir/sub/x.htm?a\\b"},
        {"http://127.0.0.1:8080", "x", "http://127.0.0.1:8080/x"},
        {"file:///C:/pages/top.htm", "main.htm", "file:///C:/pages/main.htm"},
        {"file:///C:/pages/top.htm", "../up.htm", "file:///C:/up.htm"},
        {"http://h/p", "C:\\FDGAME\\tmp.htm", "file:///C:/FDGAME/tmp.htm"},
        {"http://h/p", "c:/a b/x.htm", "file:///c:/a%20b/x.htm"},
        {"http://h/p", "\\\\srv\\share\\f.htm", "file://srv/share/f.htm"},
        {"http://h/p", "about:blank", "about:blank"},
        {"http://h/p", "javascript:go()", "javascript:go()"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.want, strResolveUrl(c.base, c.ref)) << c.base << " + " << c.ref;
}

TEST(Url, SchemeAndExtension)
{
    EXPECT_EQ("http", strSchemeOf("HTTP://x"));
    EXPECT_EQ("", strSchemeOf("C:\\x"));
    EXPECT_EQ("", strSchemeOf("rel/path:x"));
    EXPECT_EQ("fdg", strExtensionOf("http://h/a.b/Game.FDG?x=1.htm#y.txt"));
    EXPECT_EQ("", strExtensionOf("http://h/dir.d/"));
    EXPECT_EQ("http://h/p?q", strStripFragment("http://h/p?q#f"));
}

TEST(Url, ParsesHttpAddresses)
{
    struct
    {
        const char* url;
        bool ok;
        const char* host;
        int port;
        const char* target;
    } const cases[] = {
        {"http://127.0.0.1:8080/a/b?c=d#e", true, "127.0.0.1", 8080, "/a/b?c=d"},
        {"HTTP://LocalHost", true, "localhost", 80, "/"},
        {"http://h:65535?x", true, "h", 65535, "/?x"},
        {"http://h:0/", false, "", 0, ""},
        {"http://h:65536/", false, "", 0, ""},
        {"http://h:8a/", false, "", 0, ""},
        {"http://h:/", false, "", 0, ""},
        {"http://user@h/", false, "", 0, ""},
        {"http:///x", false, "", 0, ""},
        {"http://h%0d/x", false, "", 0, ""},
        {"ftp://h/x", false, "", 0, ""},
        {"file:///C:/x", false, "", 0, ""},
    };
    for (const auto& c : cases)
    {
        SHttpUrl u;
        u.strHost = "sentinel";
        std::string err;
        const bool ok = boParseHttpUrl(c.url, &u, &err);
        EXPECT_EQ(c.ok, ok) << c.url << " " << err;
        if (!c.ok)
        {
            EXPECT_FALSE(err.empty()) << c.url;
            EXPECT_EQ("sentinel", u.strHost) << c.url;
            continue;
        }
        EXPECT_EQ(c.host, u.strHost) << c.url;
        EXPECT_EQ(c.port, u.wPort) << c.url;
        EXPECT_EQ(c.target, u.strTarget) << c.url;
    }
    SHttpUrl u;
    std::string err;
    EXPECT_FALSE(boParseHttpUrl("http://h/" + std::string(kMaxUrlLength, 'a'), &u, &err));
}

TEST(Url, LoopbackHosts)
{
    EXPECT_TRUE(boIsLoopbackHost("localhost"));
    EXPECT_TRUE(boIsLoopbackHost("LOCALHOST"));
    EXPECT_TRUE(boIsLoopbackHost("127.0.0.1"));
    EXPECT_TRUE(boIsLoopbackHost("127.1.2.254"));
    for (const char* p : {"128.0.0.1", "127.0.0", "127.0.0.1.5", "127.0.0.256", "127..0.1", "127.0.0.1x",
                          "example.com", "", "0127.0.0.1"})
        EXPECT_FALSE(boIsLoopbackHost(p)) << p;
}

TEST(Url, FileAddressesAndPaths)
{
    struct
    {
        const char* path;
        const char* url;
    } const cases[] = {
        {"C:\\dir\\page.htm", "file:///C:/dir/page.htm"},
        {"Z:\\tmp\\a b\\%#?.htm", "file:///Z:/tmp/a%20b/%25%23%3F.htm"},
        {"C:\\d\\\xE9t\xE9.htm", "file:///C:/d/%E9t%E9.htm"},
        {"\\\\srv\\share\\f.htm", "file://srv/share/f.htm"},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(c.url, strFileUrlFromPath(c.path)) << c.path;
        std::string back;
        ASSERT_TRUE(boPathFromFileUrl(c.url, &back)) << c.url;
        EXPECT_EQ(c.path, back) << c.url;
    }
    std::string path = "untouched";
    EXPECT_TRUE(boPathFromFileUrl("file://localhost/C|/x.htm", &path));
    EXPECT_EQ("C:\\x.htm", path);
    for (const std::string& bad :
         {std::string("http://h/x"), std::string("file:///x/y"), std::string("file:///C:/a%00b"),
          std::string("file:///C:/a%zz"), std::string("file://h\0st/C:/x", 16)})
    {
        path = "untouched";
        EXPECT_FALSE(boPathFromFileUrl(bad, &path)) << bad;
        EXPECT_EQ("untouched", path) << bad;
    }
}
