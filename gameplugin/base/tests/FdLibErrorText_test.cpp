#include "FdLibErrorText.h"

#include "SuiteErrorText.h"

#include <gtest/gtest.h>

#include <string>

TEST(FdLibErrorText, SuiteCodesUseTheCategoriesSystemCodesTheMessageTable)
{
    char sz[512];
    vGetErrorText(0xE0440000, sz, sizeof sz, nullptr);
    char expected[512];
    ASSERT_TRUE(boGetSuiteErrorText(0xE0440000, expected, sizeof expected));
    EXPECT_STREQ(sz, expected);

    vGetErrorText(0xE0540000, sz, sizeof sz, nullptr);
    EXPECT_EQ(std::string(sz).rfind("Catégorie de l'erreur E0540000 non valide", 0), 0u);

    // Both top bits clear: always the system's text.
    vGetErrorText(ERROR_FILE_NOT_FOUND, sz, sizeof sz, nullptr);
    char system[512] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_FILE_NOT_FOUND,
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), system, sizeof system, nullptr);
    EXPECT_STRNE(system, "");
    EXPECT_STREQ(sz, system);
}

TEST(FdLibErrorText, AModuleTakesEveryCodeAndUnknownCodesGiveEmpty)
{
    char sz[64] = "unchanged";
    // A module without a message table: nothing found, empty text.
    vGetErrorText(0xE0440000, sz, sizeof sz, GetModuleHandleA(nullptr));
    EXPECT_STREQ(sz, "");

    char untouched[4] = "abc";
    vGetErrorText(ERROR_FILE_NOT_FOUND, untouched, 0, nullptr);
    EXPECT_STREQ(untouched, "abc");
}
