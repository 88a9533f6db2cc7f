// The shared check of error tables finds each fault it is there for.
#include "ExceptionTableCheck.h"

#include <gtest/gtest.h>

#include <string>

using FdBase::SErrorTableRow;
using FdTest::ErrorTableIs;
using FdTest::ExceptionTableIs;
using FdTest::ThrowsWithOrigin;

namespace
{

const SErrorTableRow kGood[] = {
    {"Good_First", "Première", 4001},
    {"Good_Second", "Deuxième", 4003},
    {"", "", 0},
};

const SErrorTableRow kTwice[] = {{"A", "a", 4001}, {"B", "b", 4001}, {"", "", 0}};

template <const SErrorTableRow* Table> class CTableException : public FdBase::CExceptionBase
{
public:
    using FdBase::CExceptionBase::CExceptionBase;
    const char* lpszGetClassName() const override { return "CTableException"; }
    const SErrorTableRow* lpGetErrorTable() const override { return Table; }
};

// The failure text of a check that must fail.
std::string Failure(const ::testing::AssertionResult& r)
{
    EXPECT_FALSE(r);
    return r.message();
}

TEST(ExceptionTableCheck, AGoodTablePasses)
{
    EXPECT_TRUE(ErrorTableIs(kGood, {{4001, "Good_First", "Première"}, {4003, "Good_Second", "Deuxième"}}));
    EXPECT_TRUE(ExceptionTableIs<CTableException<kGood>>(
        "CTableException", {{4001, "Good_First", "Première"}, {4003, "Good_Second", "Deuxième"}}));
    const SErrorTableRow empty[] = {{"", "", 0}};
    EXPECT_TRUE(ErrorTableIs(empty, {}));
}

TEST(ExceptionTableCheck, TableFaultsAreNamedWithTheirRow)
{
    const struct
    {
        const char* lpszCase;
        std::string strFailure;
        const char* lpszExpected;
    } cases[] = {
        {"wrong order",
         Failure(ErrorTableIs(kGood, {{4003, "Good_Second", "Deuxième"}, {4001, "Good_First", "Première"}})),
         "row 0 (code 4003): code 4001"},
        {"other id",
         Failure(ErrorTableIs(kGood, {{4001, "Good_1", "Première"}, {4003, "Good_Second", "Deuxième"}})),
         "id \"Good_First\", expected \"Good_1\""},
        {"other message",
         Failure(ErrorTableIs(kGood, {{4001, "Good_First", "Premiere"}, {4003, "Good_Second", "Deuxième"}})),
         "message \"Premi\\xE8re\", expected \"Premiere\""},
        {"row missing from the test", Failure(ErrorTableIs(kGood, {{4001, "Good_First", "Première"}})),
         "row 1: code 4003 \"Good_Second\" where the zero row"},
        {"row missing from the table",
         Failure(ErrorTableIs(
             kGood, {{4001, "Good_First", "Première"}, {4003, "Good_Second", "Deuxième"}, {4004, "X", "x"}})),
         "the table ends here, 1 row(s) short"},
        {"no table", Failure(ErrorTableIs(nullptr, {})), "no table"},
    };
    for (const auto& c : cases)
        EXPECT_NE(c.strFailure.find(c.lpszExpected), std::string::npos) << c.lpszCase << ": " << c.strFailure;
}

TEST(ExceptionTableCheck, DuplicateEmptyAndUtf8RowsFail)
{
    EXPECT_NE(
        Failure(ErrorTableIs(kTwice, {{4001, "A", "a"}, {4001, "B", "b"}})).find("code 4001 appears twice"),
        std::string::npos);
    EXPECT_NE(Failure(ExceptionTableIs<CTableException<kTwice>>("CTableException",
                                                                {{4001, "A", "a"}, {4001, "B", "b"}}))
                  .find("appears twice"),
              std::string::npos);

    const SErrorTableRow blank[] = {{"", "", 4001}, {"", "", 0}};
    const std::string strBlank = Failure(ErrorTableIs(blank, {{4001, "", ""}}));
    EXPECT_NE(strBlank.find("empty id"), std::string::npos) << strBlank;
    EXPECT_NE(strBlank.find("empty message"), std::string::npos) << strBlank;

#if defined(__GNUC__) && !defined(__clang__)
    // "é" left in UTF-8: the bytes a build without the ANSI charset would give.
    const SErrorTableRow utf8[] = {{"U", "d\xC3\xA9j\xC3\xA0", 4001}, {"", "", 0}};
    EXPECT_NE(
        Failure(ErrorTableIs(utf8, {{4001, "U", "d\xC3\xA9j\xC3\xA0"}})).find("UTF-8 bytes at offset 1"),
        std::string::npos);
#endif
}

TEST(ExceptionTableCheck, ClassFaultsFail)
{
    EXPECT_NE(
        Failure(ExceptionTableIs<CTableException<kGood>>("COther", {})).find("class \"CTableException\""),
        std::string::npos);
}

TEST(ExceptionTableCheck, OriginFaultsFail)
{
    using E = CTableException<kGood>;
    const FdTest::SThrowOrigin origin = {4003, "Good_Second", "CTest::vRun", "Test", 42, 5};
    EXPECT_TRUE(ThrowsWithOrigin([] { throw E(4003, "CTest::vRun", "Test", 42, nullptr, 5); },
                                 "CTableException", origin));
    const struct
    {
        const char* lpszCase;
        std::string strFailure;
        const char* lpszExpected;
    } cases[] = {
        {"nothing", Failure(ThrowsWithOrigin([] {}, "CTableException", origin)), "nothing thrown"},
        {"foreign", Failure(ThrowsWithOrigin([] { throw 1; }, "CTableException", origin)),
         "outside the exception family"},
        {"line",
         Failure(ThrowsWithOrigin([] { throw E(4003, "CTest::vRun", "Test", 43, nullptr, 5); },
                                  "CTableException", origin)),
         "line 43, expected 42"},
        {"file",
         Failure(ThrowsWithOrigin([] { throw E(4003, "CTest::vRun", "Tests", 42, nullptr, 5); },
                                  "CTableException", origin)),
         "file \"Tests\", expected \"Test\""},
        {"error",
         Failure(ThrowsWithOrigin([] { throw E(4003, "CTest::vRun", "Test", 42, nullptr, 6); },
                                  "CTableException", origin)),
         "Windows error 6, expected 5"},
        {"no row",
         Failure(ThrowsWithOrigin([] { throw E(4002, "CTest::vRun", "Test", 42, nullptr, 5); },
                                  "CTableException", origin)),
         "no row for its code"},
        {"class",
         Failure(ThrowsWithOrigin([] { throw E(4003, "CTest::vRun", "Test", 42, nullptr, 5); }, "COther",
                                  origin)),
         "class \"CTableException\", expected \"COther\""},
    };
    for (const auto& c : cases)
        EXPECT_NE(c.strFailure.find(c.lpszExpected), std::string::npos) << c.lpszCase << ": " << c.strFailure;
}

} // namespace
