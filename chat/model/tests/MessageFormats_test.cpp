#include "MessageFormats.h"

#include <gtest/gtest.h>

using namespace ChatModel;

TEST(MessageFormats, ActivationOrderAndMutexGroups)
{
    CMessageFormatTable t;
    t.iSetFormat("a", "A%mess%", "", 5);
    t.iSetFormat("b", "B%mess%", "", 1);
    t.iSetFormat("c", "C%mess%", "", 5);
    std::vector<std::string> out;
    EXPECT_EQ(t.iActivate("a", &out), 1);
    EXPECT_EQ(t.iActivate("b", &out), 1);
    EXPECT_EQ(t.iActivate("C", &out), 1);
    EXPECT_EQ(t.iActivate("a", &out), 0);
    EXPECT_EQ(t.ActiveNames(), (std::vector<std::string>{"b", "c", "a"}));

    t.iSetGroup("g", 3, true, "", "", false);
    t.iSetFormat("x", "[%mess%]", "g", -1);
    t.iSetFormat("y", "{%mess%}", "g", 0);
    EXPECT_EQ(t.iActivate("x", &out), 1);
    EXPECT_EQ(t.iActivate("y", &out), 1);
    EXPECT_EQ(out, (std::vector<std::string>{"x"}));
    EXPECT_FALSE(t.boIsActive("x"));
    EXPECT_EQ(t.iFormatsOfGroup("G", &out), 2);
    EXPECT_FALSE(t.boIsNotSelectable("x"));
    EXPECT_TRUE(t.boIsNotSelectable("a"));
}

TEST(MessageFormats, OrderFromGroupAndApply)
{
    CMessageFormatTable t;
    t.iSetGroup("g", 3, false, "", "(%mess%)", false);
    t.iSetFormat("f", "[%mess%]", "g", -1);
    t.iActivate("f", nullptr);
    std::string s = "hi";
    t.vApply(s);
    EXPECT_EQ(s, "[(hi)]");
    CMessageFormatTable u;
    u.iSetFormat("f", "[%mess%]", "", 0);
    u.iActivate("f", nullptr);
    s = "hi";
    u.vApply(s);
    EXPECT_EQ(s, "[hi]");
    EXPECT_EQ(t.iSetFormat("", "x", "", 0), 0);
}

TEST(MessageFormats, ServerRules)
{
    CServerRules r;
    r.vSetRule(1, "%origmess%", false, ":");
    r.vSetRule(433, "%code% %origmess%", false, "");
    r.vSetRule(2, "", true, "");
    std::string m = "a:b:c";
    EXPECT_EQ(r.iApply(1, m), 1);
    EXPECT_EQ(m, "b");
    m = "abc";
    EXPECT_EQ(r.iApply(1, m), 1);
    EXPECT_EQ(m, "");
    m = "taken";
    EXPECT_EQ(r.iApply(433, m), 1);
    EXPECT_EQ(m, "433 taken");
    m = "gone";
    EXPECT_EQ(r.iApply(2, m), 0);
    EXPECT_EQ(m, "gone");
    EXPECT_EQ(r.iApply(99, m), 1);
    EXPECT_EQ(strReplaceAll("x%mess%y", "%mess%", "%mess%%mess%"), "x%mess%%mess%y");
}
