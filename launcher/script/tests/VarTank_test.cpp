#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TextUtil.h"
#include "VarTank.h"

namespace
{
struct ExpandCase
{
    const char* text;
    std::string expected;
    int32_t count;
};

std::string Var(const CVarTank& tank, const std::string& name)
{
    CStringExt value;
    tank.GetScriptVar(name, value);
    return value;
}
} // namespace

TEST(ExpandScriptVars, Table)
{
    CVarTank tank;
    tank.SetScriptVar("x", "1");
    tank.SetScriptVar("sp", "a b");
    tank.SetScriptVar("ref", "[%x%]");
    tank.SetScriptVar("X", "upper");
    const ExpandCase cases[] = {
        {"a[%x%]b", "a1b", 1},
        {"a[%unset%]b", "ab", 1},
        {"[%x", "[%x", 0},
        {"abc[%", "abc[%", 0},
        {"[%x%]%]", "1%]", 1},
        {"[%X%][%x%]", "upper1", 2}, // names are case-sensitive
        {"[%ref%]", "[%x%]", 1},     // an inserted value is not expanded again
        {"[%[%x%]", "", 1},          // the name runs from the first "[%" to "%]": "[%x"
        {"[%x [%y", "[%x [%y", 0},
        {"u='[%%sp%%]'", ("u=" + UrlEncode("a b")), 1},
        {"u=\"[%%sp%%]\"", ("u=" + UrlEncode("a b")), 1},
        // Only a matching pair of quotes goes with the encoded value.
        {"u=([%%sp%%])", ("u=(" + UrlEncode("a b") + ")"), 1},
        {"u='[%%sp%%]\"", ("u='" + UrlEncode("a b") + "\""), 1},
        {"[%%sp%%]", UrlEncode("a b"), 1},
        // The search goes on right behind the encoded value: nothing after it is skipped.
        {"'[%%x%%]'[%x%]", "11", 2},
        {"[%%%]", "", 1}, // a name of one "%" is a plain reference
        {"[%%]", "", 1},
    };
    for (const ExpandCase& c : cases)
    {
        std::string text = c.text;
        EXPECT_EQ(ExpandScriptVars(text, tank, nullptr), c.count) << c.text;
        EXPECT_EQ(text, c.expected) << c.text;
    }
}

TEST(ExpandScriptVars, ExtraVarsComeFirst)
{
    CVarTank tank;
    tank.SetScriptVar("a", "tank");
    tank.SetScriptVar("b", "tank-b");
    CStringMap extra;
    extra["a"] = "extra";
    std::string text = "[%a%]/[%b%]";
    EXPECT_EQ(ExpandScriptVars(text, tank, &extra), 2);
    EXPECT_EQ(text, "extra/tank-b");
}

TEST(VarTank, SetGetClear)
{
    CVarTank tank;
    CStringExt value = "sentinel";
    EXPECT_FALSE(tank.GetScriptVar("v", value));
    EXPECT_EQ(value, "");
    tank.SetScriptVar("v", "1");
    tank.SetScriptVar("v", "2");
    EXPECT_TRUE(tank.GetScriptVar("v", value));
    EXPECT_EQ(value, "2");
    EXPECT_FALSE(tank.GetScriptVar("V", value));
    tank.Clear();
    EXPECT_FALSE(tank.GetScriptVar("v", value));
    EXPECT_EQ(tank.Vars().GetCount(), 0);
}

TEST(VarTank, LoadVardef)
{
    CVarTank tank;
    std::vector<std::string> alerts;
    tank.SetAlert([&](const std::string& text, const std::string& caption) { alerts.push_back(caption + "|" + text); });
    EXPECT_EQ(tank.LoadText("<var name=\"v\">a &amp; b</var><VAR name=w>2</VAR><other name=\"o\">x</other>"), 1);
    EXPECT_EQ(Var(tank, "v"), "a & b");
    EXPECT_EQ(Var(tank, "w"), "2");
    CStringExt value;
    EXPECT_FALSE(tank.GetScriptVar("o", value));
    EXPECT_TRUE(alerts.empty());

    // A text that does not parse: the alert, and the variables set before stay.
    EXPECT_EQ(tank.LoadText("<var name=\"z\">3</var><var name=\"y\">"), 0);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0], "Ludex Var Tank|Failed to load :\n<var name=\"z\">3</var><var name=\"y\">");
    EXPECT_EQ(Var(tank, "v"), "a & b");
}
