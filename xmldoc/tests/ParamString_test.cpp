#include <gtest/gtest.h>

#include "ParamString.h"

TEST(ParamString, Table)
{
    struct Case
    {
        const char* params;
        const char* name;
        bool has;
        const char* value; // with default "DEF"
    } cases[] = {
        {"a=1 b=\"x y\" c", "b", true, "x y"},
        {"a=1 b=\"x y\" c", "A", true, "1"},
        {"a=1 b=\"x y\" c", "c", true, "DEF"},
        {"a=1 b=\"x y\" c", "d", false, ""},
        {"ab=1", "b", false, ""},
        {"n=&lt;x&gt;", "n", true, "<x>"},
        {"n=", "n", true, "DEF"},
        {"n =  5", "n", true, "5"},
        {"n\t=\tv\tm=2", "n", true, "v"},
        {"launchscript=c:\\x.xml dbg", "LaunchScript", true, "c:\\x.xml"},
        {"dbg launchscript=c:\\x.xml", "dbg", true, "DEF"},
        // The '=' must follow the name with only blanks between.
        {"c a=1", "c", true, "DEF"},
        // Names inside quoted values do not count.
        {"a=\"x b=2\" b=3", "b", true, "3"},
        {"a=\"x b=2\"", "b", false, ""},
        {"a=\"q", "a", true, "\"q"},
        {"", "a", false, ""},
        {"a=1", "", false, ""},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(HasParam(c.name, c.params), c.has) << c.params << " / " << c.name;
        EXPECT_EQ(FindParamValue(c.name, c.params, "DEF"), c.value) << c.params << " / " << c.name;
    }
}
