#include "PathRules.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
std::wstring strParts(size_t n)
{
    std::wstring s = L"C:";
    for (size_t i = 1; i < n; ++i)
        s += L"\\p";
    return s;
}

TEST(PathRules, ValidatePathNameTable)
{
    const struct
    {
        std::wstring path;
        bool boValid;
    } cases[] = {
        {L"C:\\Program Files\\Zelto", true},
        {L"C:\\Zelto\\", true},
        {L"\\Zelto", true},
        {L"", false},
        {std::wstring(260, L'a'), true},
        {std::wstring(261, L'a'), false},
        {strParts(32), true},
        {strParts(33), false},
        {strParts(32) + L"\\", true},
        {L"C:\\a\\\\b", true},
        {L"C:\\CON", false},
        {L"C:\\con.txt", false},
        {L"C:\\Clock$\\x", false},
        {L"C:\\COM1", false},
        {L"C:\\COM10", true},
        {L"C:\\LPT9.log\\x", false},
        {L"C:\\CONSOLE", true},
        {L"C:\\a\\..\\b", false},
        {L"C:\\a\\.", false},
        {L"C:\\a\\...", false},
        {L"C:\\a\\.b", true},
        {L"C:\\a*b", false},
        {L"C:\\a?b", false},
        {L"C:\\a\"b", false},
        {L"C:\\a<b", false},
        {L"C:\\a>b", false},
        {L"C:\\a|b", false},
        {L"C:/a", false},
        {L"C:\\a:b", false},
        {L"C:\\a\tb", false},
        {L"C:\\caf\u00E9", true},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::string(c.path.begin(), c.path.end()));
        EXPECT_EQ(c.boValid, PathRules::bValidatePathName(c.path.c_str()));
    }
    EXPECT_FALSE(PathRules::bValidatePathName(nullptr));
}

TEST(PathRules, RelativePathsStayInsideTheirFolder)
{
    const struct
    {
        const char* lpszPath;
        bool boSafe;
    } cases[] = {
        {"cmpt\\Fake.dll", true}, {"Fake.dll", true},      {"a.b\\c", true},        {"", false},
        {"..\\x.dll", false},     {"a\\..\\..\\x", false}, {"C:\\x.dll", false},    {"C:x.dll", false},
        {"\\x.dll", false},       {"/x.dll", false},       {"x.dll:stream", false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.lpszPath);
        EXPECT_EQ(c.boSafe, PathRules::boIsSafeRelativePath(c.lpszPath));
    }
    EXPECT_FALSE(PathRules::boIsSafeRelativePath(nullptr));
}

TEST(PathRules, FileNamePart)
{
    EXPECT_EQ("x.exe", PathRules::strFileNamePart("C:\\a\\b/x.exe"));
    EXPECT_EQ("x.exe", PathRules::strFileNamePart("x.exe"));
    EXPECT_EQ("", PathRules::strFileNamePart("C:\\a\\"));
}
} // namespace
