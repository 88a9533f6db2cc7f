#include "InstallTexts.h"

#include <gtest/gtest.h>

using namespace FdInstall;

namespace
{
constexpr FileTime kHour = 3600ull * 10000000ull;
}

TEST(InstallTexts, DatesMoveAnHourBack)
{
    EXPECT_EQ(ftFromCalendar(2002, 1, 1, 9, 30, 0), ftParseDateText("01/01/2002 10:30:00"));
    EXPECT_EQ(ftFromCalendar(2002, 1, 1, 0, 30, 0), ftParseDateText("01/01/2002 00:30:00"))
        << "hour 0 stays on its own day";
    EXPECT_EQ(ftFromCalendar(2002, 1, 1, 0, 30, 0), ftParseDateText("01/01/2002 01:30:00"));
    EXPECT_EQ(ftFromCalendar(2004, 2, 29, 22, 59, 59), ftParseDateText("29-02-2004T23:59:59"))
        << "separators are not read; leap day";
    EXPECT_EQ(ftFromCalendar(2004, 3, 1, 0, 59, 59), ftParseDateText("01-03-2004T00:59:59"));
    EXPECT_EQ(ftFromCalendar(2002, 1, 1, 10, 30, 0) - kHour, ftParseDateText("01/01/2002 10:30:00 extra"));
}

TEST(InstallTexts, DatesThatAreNoTime)
{
    for (const char* text :
         {"", "01/01/2002 10:30:0", "01/01/2002", "0a/01/2002 10:30:00", "01/01/2002 10:3 :00",
          "31/02/2002 10:30:00", "01/13/2002 10:30:00", "01/01/2002 24:00:00", "01/01/1600 10:00:00",
          "00/01/2002 10:30:00", "01/01/1601 00:00:00", "01/01/1601 01:00:00"})
        EXPECT_EQ(0u, ftParseDateText(text)) << text;
}

TEST(InstallTexts, CalendarTicks)
{
    EXPECT_EQ(0u, ftFromCalendar(1601, 1, 1, 0, 0, 0)) << "the epoch itself is no time either";
    // 2000-01-01 00:00:00 as a FILETIME.
    EXPECT_EQ(125911584000000000ull, ftFromCalendar(2000, 1, 1, 0, 0, 0));
    EXPECT_EQ(ftFromCalendar(2000, 3, 1, 0, 0, 0) - ftFromCalendar(2000, 2, 28, 0, 0, 0), 48 * kHour);
    EXPECT_EQ(0u, ftFromCalendar(1900, 2, 29, 0, 0, 0));
}

TEST(InstallTexts, RegistryPathsTable)
{
    const struct
    {
        const char* text;
        bool ok;
        ERegRoot root;
        const char* sub;
    } cases[] = {
        {"HKEY_LOCAL_MACHINE\\Software\\FdGame", true, ERegRoot::LocalMachine, "Software\\FdGame"},
        {"HKEY_CURRENT_USER/Software", true, ERegRoot::CurrentUser, "Software"},
        {"HKEY_CLASSES_ROOT\\CLSID", true, ERegRoot::ClassesRoot, "CLSID"},
        {"HKEY_USERS\\.DEFAULT\\Software", true, ERegRoot::Users, ".DEFAULT\\Software"},
        {"  HKEY_LOCAL_MACHINE\\A", true, ERegRoot::LocalMachine, "A"},
        {"HKEY_LOCAL_MACHINE", true, ERegRoot::LocalMachine, ""},
        {"HKEY_LOCAL_MACHINE\\", true, ERegRoot::LocalMachine, ""},
        {"HKEY_LOCAL_MACHINE\\HKEY_CLASSES_ROOT\\x", true, ERegRoot::ClassesRoot, "x"},
        {"HKLM\\Software", false, ERegRoot::LocalMachine, ""},
        {"hkey_local_machine\\Software", false, ERegRoot::LocalMachine, ""},
    };
    for (const auto& c : cases)
    {
        SRegPath path;
        ASSERT_EQ(c.ok, boSplitRegistryPath(c.text, path)) << c.text;
        if (!c.ok)
            continue;
        EXPECT_EQ(c.root, path.eRoot) << c.text;
        EXPECT_EQ(c.sub, path.strSubKey) << c.text;
    }
}

TEST(InstallTexts, FileVersionsSplitAtCommasOrDots)
{
    EXPECT_EQ(0, iCompareFileVersions("1, 2, 0, 3", "1.2.0.3"));
    EXPECT_LT(iCompareFileVersions("1,2,0,3", "1,2,0,4"), 0);
    EXPECT_GT(iCompareFileVersions("1,10,0,0", "1,9,9,9"), 0);
    EXPECT_EQ(0, iCompareFileVersions("1.2", "1,2,0,0"));
    EXPECT_EQ(0, iCompareFileVersions("1.2.3.4.5", "1.2.3.4"));
    EXPECT_LT(iCompareFileVersions("", "0.0.0.1"), 0);
    EXPECT_GT(iCompareFileVersions("99999999999999999999999999", "1"), 0) << "no overflow";
}

TEST(InstallTexts, VersionTexts)
{
    EXPECT_EQ(0, iCompareVersionTexts("1203", "1.2.0.3"));
    EXPECT_EQ(0, iCompareVersionTexts("01020304", "1.2.3.4"));
    EXPECT_LT(iCompareVersionTexts("1.2.0.3", "1.2.0.10"), 0);
    EXPECT_LT(iCompareVersionTexts("", "1"), 0);
    EXPECT_EQ(0, iCompareVersionTexts("", ""));
    EXPECT_GT(iCompareVersionTexts("2", ""), 0);
}

TEST(InstallTexts, Fields)
{
    using V = std::vector<std::string>;
    EXPECT_EQ((V{"a", "b", "", "c"}), fieldsOf("a;b;;c"));
    EXPECT_EQ((V{""}), fieldsOf(""));
    EXPECT_EQ((V{"a", "b", "c;d"}), fieldsOf("a;b;c;d", 3));
    EXPECT_EQ((V{"a", "b"}), fieldsOf("a;b", 4));
}

TEST(InstallTexts, ActionLines)
{
    SActionLine a;
    ASSERT_TRUE(boParseActionLine("COPY:2;dir\\a.exe", a));
    EXPECT_EQ("COPY", a.strVerb);
    EXPECT_EQ(2, a.lSlot);
    EXPECT_TRUE(a.boHasArgs);
    EXPECT_EQ("dir\\a.exe", a.strArgs);
    EXPECT_EQ("2;dir\\a.exe", a.strAfter);
    ASSERT_TRUE(boParseActionLine("DEL:1", a));
    EXPECT_FALSE(a.boHasArgs);
    EXPECT_EQ(1, a.lSlot);
    ASSERT_TRUE(boParseActionLine("MD:;x:y", a));
    EXPECT_EQ(0, a.lSlot);
    EXPECT_EQ("x:y", a.strArgs);
    ASSERT_TRUE(boParseActionLine("EXEC:-3;a", a));
    EXPECT_EQ(-3, a.lSlot);
    EXPECT_FALSE(boParseActionLine("DEL 1;x", a));
}
