#include "ParamList.h"

#include <gtest/gtest.h>

TEST(ParamListWide, WideTextsBecomeAnsiCopies)
{
    CParamList list(CParamList::kszSeparator);
    CParamPair* lpPair = nullptr;
    list.vAdd(L"TEXTMSG", L"T\u00e9l\u00e9chargement \u00a3", &lpPair);
    ASSERT_NE(lpPair, nullptr);
    EXPECT_STREQ(list.lpszGetValue("textmsg"), "Téléchargement £"); // code page 1252 bytes
    list.vAdd(L"", static_cast<const wchar_t*>(nullptr), &lpPair);
    EXPECT_STREQ(lpPair->lpszGetName(), "");
    EXPECT_EQ(lpPair->lpszGetValue(), nullptr);
    EXPECT_EQ(list.dwGetCount(), 2u);
}
