#include "MessageTexts.h"

#include "ParamList.h"

#include <gtest/gtest.h>

namespace
{
TEST(MessageTexts, DefaultsAreTheSixTexts)
{
    CParamList list(CParamList::kszSeparator);
    MessageTexts::vAddDefaults(list);
    EXPECT_EQ(6u, list.dwGetCount());
    EXPECT_STREQ("Le composant %s a besoin d'\xEAtre install\xE9 sur votre machine.",
                 MessageTexts::lpszGet(list, MessageTexts::kszInstCmpt));
    EXPECT_STREQ("FDGAME - Informations", MessageTexts::lpszGet(list, MessageTexts::kszInfTitle));
}

TEST(MessageTexts, PageFormatsAreTakenOnlyWithTheExpectedConversions)
{
    const struct
    {
        const char* lpszKey;
        const char* lpszText;
        bool boTaken;
    } cases[] = {
        {MessageTexts::kszInstCmpt, "Installer %s ?", true},
        {MessageTexts::kszInstCmpt, "100%% s\xFBr: %s", true},
        {MessageTexts::kszInstCmpt, "Installer %n", false},
        {MessageTexts::kszInstCmpt, "Installer %s %s", false},
        {MessageTexts::kszInstCmpt, "Installer", false},
        {MessageTexts::kszInstCmpt, "Installer %d", false},
        {MessageTexts::kszInstCmpt, "Installer %", false},
        {MessageTexts::kszErrExpnd, "%s / %s", true},
        {MessageTexts::kszErrExpnd, "%s", false},
        {MessageTexts::kszInfTitle, "50% off", true},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.lpszText);
        CParamList list(CParamList::kszSeparator);
        list.vAdd(c.lpszKey, c.lpszText);
        EXPECT_STREQ(c.boTaken ? c.lpszText : MessageTexts::lpszDefault(c.lpszKey),
                     MessageTexts::lpszGet(list, c.lpszKey));
    }
}

TEST(MessageTexts, AbsentKeysFallBackToTheirDefaults)
{
    CParamList list(CParamList::kszSeparator);
    list.vAdd(MessageTexts::kszDlCmpt, "Patience");
    EXPECT_STREQ("Patience", MessageTexts::lpszGet(list, MessageTexts::kszDlCmpt));
    EXPECT_STREQ("FDGAME - Erreur", MessageTexts::lpszGet(list, MessageTexts::kszErrTitle));
}

TEST(MessageTexts, FormatSubstitutesAndCuts)
{
    const char* args[] = {"Ludex", "ludex.exe"};
    EXPECT_EQ("a Ludex b ludex.exe 5%", MessageTexts::strFormat("a %s b %s 5%%", args, 2, 511));
    EXPECT_EQ("a Lu", MessageTexts::strFormat("a %s", args, 2, 4));
    EXPECT_EQ("x  y", MessageTexts::strFormat("x %s y", args, 0, 511));
}
} // namespace
