#include "ChatVars.h"

#include <gtest/gtest.h>

#include "ChatFakes.h"

using namespace ChatModel;
using namespace ChatModelTest;

namespace
{
struct Model
{
    CFakeCnx cnx;
    CFakeSettings settings;
    CFakeView view;
    CFakeInstance inst;
    CChatModel m{cnx, settings};
    Model()
    {
        m.vSetInstance(&inst);
        m.vInit();
    }
};
} // namespace

TEST(ChatVars, ReplaceVariable)
{
    EXPECT_EQ(strReplaceVariable("x %%bud%% %bud%", "%bud%", "a b&c"), "x a+b%26c a b&c");
    EXPECT_EQ(strReplaceNumberVariable("%n% %N*3% %n*% %nx", "n", 7), "7 21 %n*% %nx");
    EXPECT_EQ(strExpandParamVals("[%paramval::v::%|%%paramval::v::%%]", "V=\"a b\""), "[a b|a+b]");
}

TEST(ChatVars, ExpandsTheChatsValues)
{
    Model t;
    t.m.conn.strSelected = "a b&c";
    EXPECT_EQ(t.m.strExpandVars("bud"), "bud");
    EXPECT_EQ(t.m.strExpandVars("%%bud%%"), "a+b%26c");
    t.m.conn.strSelected = "tom{42";
    EXPECT_EQ(t.m.strExpandVars("%bud%"), "tom");
    EXPECT_EQ(t.m.strExpandVars("%ircappbud%"), "tom{42");
    EXPECT_EQ(t.m.strExpandVars("%chatver%/%osstr%/%navint%"), "4.38/Win32/NP");
    EXPECT_EQ(t.m.strExpandVars("%rootpath%"), "%rootpath%");
    t.m.vSetView(&t.view);
    EXPECT_EQ(t.m.strExpandVars("%rootpath%"), "file://root/");
}

TEST(ChatVars, ContextPageVariablesChecksumsAndFields)
{
    Model t;
    t.m.page.contextVars = {"one", "two"};
    EXPECT_EQ(t.m.strExpandVars("[%context3%][%contextual%][%context%][%context2%]"),
              "[][%contextual%][one][two]");
    t.m.page.pageVars["X"] = "%bud%";
    t.m.conn.strSelected = "bob";
    EXPECT_EQ(t.m.strExpandVars("[%var::y::%][%var::x::%][%%var::x::%%]"), "[][%bud%][%25bud%25]");
    EXPECT_EQ(t.m.strExpandVars("%fcs|r%"), "%fcs|r%");
    EXPECT_EQ(t.m.strExpandVars("%field|f%"), "%field|f%");
    t.m.vSetView(&t.view);
    EXPECT_EQ(t.m.strExpandVars("%fcs|r%"), "0");
    t.m.tables.roomKeys.vSet("r", "AB", "", "");
    EXPECT_EQ(t.m.strExpandVars("%fcs|r%"), std::to_string('A' + 'B'));
    t.view.fields["f"] = "val";
    EXPECT_EQ(t.m.strExpandVars("%field|f%/%field|g%"), "val/%field|g%");
}

TEST(ChatVars, InsertedValuesAreNotExpandedAgain)
{
    Model t;
    t.m.vSetView(&t.view);
    t.view.fields["f"] = "F";
    t.cnx.Scheme().vSetKey("K1");
    t.m.conn.strSelected = "%crkey%";
    EXPECT_EQ(t.m.strExpandVars("%ircappbud%"), "%crkey%");
    t.m.conn.strSelected = "%field|f%";
    EXPECT_EQ(t.m.strExpandVars("%ircappbud% %crkey%"), "%field|f% K1");
    t.m.conn.strRoom = "%context1%";
    t.m.page.contextVars = {"c"};
    EXPECT_EQ(t.m.strExpandVars("%approom%"), "%context1%");
}
