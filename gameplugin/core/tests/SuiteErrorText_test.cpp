#include "SuiteErrorText.h"

#include <gtest/gtest.h>

#include <string>

TEST(SuiteErrorText, CodeTable)
{
    const struct
    {
        uint32_t code;
        bool suite;
        const char* text; // null: the category's own text, not checked word for word
    } cases[] = {
        {0xE0440000, true, nullptr}, // category field 17: text 0 of category 1
        {0xE0540000, true, "Catégorie de l'erreur E0540000 non valide: categ=5, nombre de catégories=5 !"},
        {0xE0440063, true, "Code de l'erreur E0440063 non valide: code=99, nombre d'erreurs maxi=5 !"},
        {0x00440000, false, nullptr}, // both top bits clear
        {0x80000005, false, nullptr}, // category field below 16
        {0x4003FFFF, false, nullptr}, // category field 0
    };
    for (const auto& c : cases)
    {
        char sz[256] = "unchanged";
        EXPECT_EQ(boGetSuiteErrorText(c.code, sz, sizeof sz), c.suite) << std::hex << c.code;
        if (c.text)
        {
            EXPECT_STREQ(sz, c.text);
        }
    }
}

TEST(SuiteErrorText, CategoryFieldSelectsTheCategory)
{
    char first[256], second[256];
    ASSERT_TRUE(boGetSuiteErrorText(0xE0440000, first, sizeof first));
    ASSERT_TRUE(boGetSuiteErrorText(0xE0400000, second, sizeof second)); // field 16: category 0
    EXPECT_STRNE(first, second);
    EXPECT_STRNE(first, "");
}

TEST(SuiteErrorText, SizeZeroWritesNothing)
{
    char sz[4] = "abc";
    EXPECT_TRUE(boGetSuiteErrorText(0xE0540000, sz, 0));
    EXPECT_STREQ(sz, "abc");
    char small[10];
    EXPECT_TRUE(boGetSuiteErrorText(0xE0540000, small, sizeof small));
    EXPECT_EQ(std::string(small), std::string("Catégorie").substr(0, 9));
}
