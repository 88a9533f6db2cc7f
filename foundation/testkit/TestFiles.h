// The portable half of the test kit (no Windows header): whole files read
// and written, golden files, and the call site that the kit's failures name.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace FdTestKit
{

// A call site. As a default argument, SWhere::here() is evaluated where the
// caller calls: its file and line.
struct SWhere
{
    const char* lpszFile;
    int iLine;
    static SWhere here(const char* lpszFile = __builtin_FILE(), int iLine = __builtin_LINE())
    {
        return SWhere{lpszFile, iLine};
    }
};

// In a helper that takes an SWhere: its failures name the caller's line too.
//   std::string strLoad(const char* lpszName, FdTestKit::SWhere where = FdTestKit::SWhere::here())
//   {
//       FD_TRACE_CALLER(where);
//       ...
#define FD_TRACE_CALLER(where)                                                                               \
    const ::testing::ScopedTrace fdCallerTrace((where).lpszFile, (where).iLine, "called here")

// The whole file, byte for byte; false (and *lpstrData untouched) when it
// cannot be opened or read.
bool boReadFile(const std::string& strPath, std::string* lpstrData);
// The whole file; empty when it cannot be read.
std::string strReadFile(const std::string& strPath);
// Replaces the file with strData; false when it could not be written whole.
bool boWriteFile(const std::string& strPath, const std::string& strData);

// Whether strActual equals the golden file's bytes. On a mismatch strActual
// is written to strActualPath (so the difference can be read at once, and the
// file taken as the new golden one once checked) and the result shows both.
//   EXPECT_TRUE(FdTestKit::MatchesGolden(dump, dir + "/x.golden", "x.actual"));
testing::AssertionResult MatchesGolden(const std::string& strActual, const std::string& strGoldenPath,
                                       const std::string& strActualPath);
// The same against golden text already read (and prepared) by the test.
testing::AssertionResult MatchesGoldenText(const std::string& strActual, const std::string& strGolden,
                                           const std::string& strActualPath);

} // namespace FdTestKit
