#include "ExceptionBase.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using FdBase::CExceptionBase;
using FdBase::SErrorTableRow;

namespace
{

const SErrorTableRow kTable[] = {
    {"Test_First", "Premier message", 4001},
    {"Test_Second", "Deuxième message", 4002},
    {"", "", 0},
};

class CTestException : public CExceptionBase
{
public:
    using CExceptionBase::CExceptionBase;
    const char* lpszGetClassName() const override { return "CTestException"; }
    const SErrorTableRow* lpGetErrorTable() const override { return kTable; }
};

} // namespace

TEST(ExceptionBase, StringsAreCutToTheirBounds)
{
    struct Case
    {
        size_t len;
        size_t bound;
    };
    const Case cases[] = {{0, 64},    {64, 64},   {65, 64},     {80, 64},
                          {256, 256}, {300, 256}, {1024, 1024}, {2000, 1024}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE("length " + std::to_string(c.len) + " bound " + std::to_string(c.bound));
        const std::string s(c.len, 'x');
        const char* fn = c.bound == 64 ? s.c_str() : "f";
        const char* file = c.bound == 256 ? s.c_str() : "file";
        const char* text = c.bound == 1024 ? s.c_str() : "text";
        CTestException e(4001, fn, file, 12, text, 0);
        const char* got =
            c.bound == 64 ? e.lpszGetFunction() : (c.bound == 256 ? e.lpszGetFile() : e.lpszGetText());
        EXPECT_EQ(std::string(got), s.substr(0, c.bound));
    }
}

TEST(ExceptionBase, FunctionNameOf80CharactersKeepsTheFirst64)
{
    const std::string name = "CNetAsync::boSend" + std::string(63, 'a');
    ASSERT_EQ(name.size(), 80u);
    CTestException e(4001, name.c_str(), "NetAsync", 1);
    EXPECT_EQ(std::string(e.lpszGetFunction()), name.substr(0, 64));
}

TEST(ExceptionBase, NullStringsAreEmptyAndWin32ErrorStaysZero)
{
    CTestException e(4002, nullptr, nullptr, 7);
    EXPECT_STREQ(e.lpszGetFunction(), "");
    EXPECT_STREQ(e.lpszGetFile(), "");
    EXPECT_STREQ(e.lpszGetText(), "");
    EXPECT_EQ(e.dwGetWin32Error(), 0u);
    EXPECT_EQ(e.dwGetCode(), 4002u);
    EXPECT_EQ(e.dwGetLine(), 7u);
}

TEST(ExceptionBase, CopyEqualsSourceFieldByFieldWholeArrays)
{
    CTestException src(4001, "CTest::vRun", std::string(300, 'S').c_str(), 99, "texte", 1234);
    CTestException copy(src);
    EXPECT_EQ(std::memcmp(copy.lpszGetFunction(), src.lpszGetFunction(), CExceptionBase::kFunctionMax + 1),
              0);
    EXPECT_EQ(std::memcmp(copy.lpszGetFile(), src.lpszGetFile(), CExceptionBase::kFileMax + 1), 0);
    EXPECT_EQ(std::memcmp(copy.lpszGetText(), src.lpszGetText(), CExceptionBase::kTextMax + 1), 0);
    EXPECT_EQ(copy.dwGetCode(), src.dwGetCode());
    EXPECT_EQ(copy.dwGetLine(), src.dwGetLine());
    EXPECT_EQ(copy.dwGetWin32Error(), src.dwGetWin32Error());
    // Bytes behind the NULs are defined (zero), so whole-array copies compare equal.
    EXPECT_EQ(src.lpszGetFunction()[CExceptionBase::kFunctionMax], '\0');
    EXPECT_EQ(src.lpszGetText()[CExceptionBase::kTextMax], '\0');
}

TEST(ExceptionBase, CaughtAsBaseKeepsClassAndTableRow)
{
    try
    {
        throw CTestException(4002, "CTest::vRun", "Test", 42, "détail", 5);
    }
    catch (const CExceptionBase& e)
    {
        EXPECT_STREQ(e.lpszGetClassName(), "CTestException");
        ASSERT_NE(e.lpGetErrorRow(), nullptr);
        EXPECT_STREQ(e.lpGetErrorRow()->szId, "Test_Second");
    }
}

TEST(ExceptionBase, ReportWithAndWithoutTableRow)
{
    char buf[2048];
    CTestException found(4001, "CTest::vRun", "Test", 42, "extra", 5);
    FdBase::ulFormatExceptionReport(found, buf, sizeof(buf));
    EXPECT_STREQ(buf,
                 "Fichier:Test\nLigne:42\nFonction:CTest::vRun\nClasse d'exception:CTestException\n"
                 "Code:4001 (Test_First)\nDescription:Premier message\nExtra infos:extra\nWin32ErrCode:5");
    CTestException missing(4999, "f", "F", 1);
    FdBase::ulFormatExceptionReport(missing, buf, sizeof(buf));
    EXPECT_STREQ(buf, "Fichier:F\nLigne:1\nFonction:f\nClasse d'exception:CTestException\nCode:4999\n"
                      "Description:pas de description disponible\nExtra infos:\nWin32ErrCode:0");
    char small[10];
    EXPECT_EQ(FdBase::ulFormatExceptionReport(found, small, sizeof(small)), 9u);
    EXPECT_STREQ(small, "Fichier:T");
}

TEST(ExceptionBase, TableLookupStopsAtTheZeroRow)
{
    EXPECT_EQ(FdBase::lpFindErrorRow(kTable, 4001), &kTable[0]);
    EXPECT_EQ(FdBase::lpFindErrorRow(kTable, 0), nullptr);
    EXPECT_EQ(FdBase::lpFindErrorRow(kTable, 4003), nullptr);
    EXPECT_EQ(FdBase::lpFindErrorRow(nullptr, 4001), nullptr);
}
