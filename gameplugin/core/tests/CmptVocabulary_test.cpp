#include "CmptVocabulary.h"

#include "ParamList.h"

#include <gtest/gtest.h>

#include <string>

using namespace CommonOB;

TEST(CmptVocabulary, CommandWordsMatchInAnyCase)
{
    const struct
    {
        const char* word;
        ECmptCommand expected;
    } cases[] = {
        {"SEND", ECmptCommand::Send},           {"send", ECmptCommand::Send},
        {"Download", ECmptCommand::Download},   {"download2", ECmptCommand::Download2},
        {"SETMSG", ECmptCommand::SetMsg},       {"sendb", ECmptCommand::SendB},
        {"EXECA", ECmptCommand::ExecA},         {"ShowPB", ECmptCommand::ShowPb},
        {"hidepb", ECmptCommand::HidePb},       {"DLCANCEL", ECmptCommand::DlCancel},
        {"choosedir", ECmptCommand::ChooseDir}, {"MsgBox", ECmptCommand::MsgBox},
        {"SENDX", ECmptCommand::Unknown},       {"", ECmptCommand::Unknown},
        {nullptr, ECmptCommand::Unknown},       {"DLDONE", ECmptCommand::Unknown},
    };
    for (const auto& c : cases)
        EXPECT_EQ(eFindCmptCommand(c.word), c.expected) << (c.word ? c.word : "(null)");
}

TEST(CmptVocabulary, MissingOrNonNumericKeysCountAsZero)
{
    CParamList list(CParamList::kszSeparator);
    list.vAdd("nummsg", "3");
    list.vAdd("SIZE", "abc");
    list.vAdd("DLUSRD", "-939524092");
    EXPECT_EQ(lGetNumber(list, kszKeyNumMsg), 3);
    EXPECT_EQ(lGetNumber(list, kszKeySize), 0);
    EXPECT_EQ(lGetNumber(list, kszKeyType), 0);
    EXPECT_EQ(static_cast<uint32_t>(lGetNumber(list, kszKeyDlUsrd)), kdwDlErrNoFileForYou);
}

TEST(CmptVocabulary, DownloadErrorCodesTravelAsSignedDecimal)
{
    const struct
    {
        uint32_t code;
        const char* text;
    } cases[] = {
        {kdwDlErrDecrypt, "-939524096"},
        {kdwDlErrCreateFile, "-939524095"},
        {kdwDlErrWriteFile, "-939524094"},
        {kdwDlErrExpand, "-939524093"},
        {kdwDlErrNoFileForYou, "-939524092"},
        {0x800C0005u, "-2146697211"},
        {2000, "2000"},
    };
    for (const auto& c : cases)
    {
        char sz[kNumberTextSize];
        EXPECT_STREQ(lpszFormatNumber(c.code, sz, sizeof sz), c.text);
    }
}
