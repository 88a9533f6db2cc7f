#pragma once
// The one check of the exception family's error tables, for the tests of every
// folder (no Windows header: portable tests use it too).
//
//   EXPECT_TRUE(FdTest::ExceptionTableIs<CMyException>("CMyException", {
//       {5001, "Id", "Message as the user reads it"},
//       ...}));
//   EXPECT_TRUE(FdTest::ThrowsWithOrigin([] { vThrowMine(5001, "C::f", 42); }, "CMyException",
//                                        {5001, "Id", "C::f", "Mine", 42, 0}));
//
// Failures name the row and the field and show both values; they are reported
// at the caller's line.
#include "ExceptionBase.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <set>
#include <sstream>
#include <string>

namespace FdTest
{

// One row of an error table as a test writes it (texts in the source's own
// spelling: the build turns them into the program's ANSI bytes).
struct SErrorRow
{
    uint32_t dwCode;
    const char* lpszId;
    const char* lpszMessage;
};

// Where a thrown exception says it came from.
struct SThrowOrigin
{
    uint32_t dwCode;
    const char* lpszId; // the id of the code's row
    const char* lpszFunction;
    const char* lpszFile;
    uint32_t dwLine;
    uint32_t dwWin32Error;
};

namespace ExceptionTableDetail
{

// The gcc builds compile narrow literals to CP1252; clang (fuzz builds only)
// keeps UTF-8, and there the byte checks below are left out.
#if defined(__GNUC__) && !defined(__clang__)
constexpr bool kAnsiLiterals = true;
#else
constexpr bool kAnsiLiterals = false;
#endif

inline std::string Quoted(const char* s)
{
    if (!s)
        return "(null)";
    std::ostringstream out;
    out << '"';
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(s); *p; ++p)
    {
        if (*p < 0x20 || *p >= 0x7F)
            out << "\\x" << std::hex << std::uppercase << unsigned(*p) << std::dec << std::nouppercase;
        else
            out << char(*p);
    }
    return out.str() + '"';
}

// The offset of the first UTF-8 sequence of two or more bytes in s, or -1: a
// French text in CP1252 has none, the same text left in UTF-8 always has one.
inline long lUtf8SequenceAt(const char* s)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(s);
    for (long i = 0; p[i]; ++i)
    {
        if (p[i] >= 0xC2 && p[i] <= 0xF4 && p[i + 1] >= 0x80 && p[i + 1] <= 0xBF)
            return i;
    }
    return -1;
}

// True when the caller's literals are the program's ANSI bytes: then a message
// equal to the literal written in the test holds the same CP1252 bytes.
inline bool boLiteralsAreCp1252()
{
    return std::strcmp("àâäçéèêëîïôöùûüÿÀÇÉÈ«»€",
                       "\xE0\xE2\xE4\xE7\xE9\xE8\xEA\xEB\xEE\xEF\xF4\xF6\xF9\xFB\xFC"
                       "\xFF\xC0\xC7\xC9\xC8\xAB\xBB\x80") == 0;
}

inline bool boEndsInside(const char* s, size_t ulArray)
{
    return std::memchr(s, '\0', ulArray) != nullptr;
}

} // namespace ExceptionTableDetail

// The table holds exactly `rows`, in that order, then the zero row; every code
// is non-zero and unique; every id and message is present and ends inside its
// array; messages are byte for byte the texts written in `rows`, in CP1252 (no
// UTF-8 sequence left in them).
inline ::testing::AssertionResult ErrorTableIs(const FdBase::SErrorTableRow* lpTable,
                                               std::initializer_list<SErrorRow> rows)
{
    using namespace ExceptionTableDetail;
    if (!lpTable)
        return ::testing::AssertionFailure() << "no table";
    std::ostringstream faults;
    if (kAnsiLiterals && !boLiteralsAreCp1252())
        faults << "\n  the test's literals are not CP1252 bytes (build without -fexec-charset=CP1252?)";
    std::set<uint32_t> seen;
    size_t i = 0;
    for (const SErrorRow& want : rows)
    {
        const FdBase::SErrorTableRow& got = lpTable[i];
        const std::string where =
            "\n  row " + std::to_string(i) + " (code " + std::to_string(want.dwCode) + "): ";
        if (got.dwCode == 0)
        {
            faults << where << "the table ends here, " << (rows.size() - i) << " row(s) short";
            return ::testing::AssertionFailure() << "error table differs:" << faults.str();
        }
        if (got.dwCode != want.dwCode)
            faults << where << "code " << got.dwCode;
        if (!seen.insert(got.dwCode).second)
            faults << where << "code " << got.dwCode << " appears twice";
        if (!boEndsInside(got.szId, sizeof got.szId) || !boEndsInside(got.szMessage, sizeof got.szMessage))
        {
            faults << where << "id or message runs past its array";
            ++i;
            continue;
        }
        if (got.szId[0] == '\0')
            faults << where << "empty id";
        if (got.szMessage[0] == '\0')
            faults << where << "empty message";
        if (std::strcmp(got.szId, want.lpszId) != 0)
            faults << where << "id " << Quoted(got.szId) << ", expected " << Quoted(want.lpszId);
        if (std::strcmp(got.szMessage, want.lpszMessage) != 0)
            faults << where << "message " << Quoted(got.szMessage) << ", expected "
                   << Quoted(want.lpszMessage);
        if (kAnsiLiterals)
        {
            const long at = lUtf8SequenceAt(got.szMessage);
            if (at >= 0)
                faults << where << "message holds UTF-8 bytes at offset " << at << ": "
                       << Quoted(got.szMessage);
        }
        ++i;
    }
    if (lpTable[i].dwCode != 0)
        faults << "\n  row " << i << ": code " << lpTable[i].dwCode << " " << Quoted(lpTable[i].szId)
               << " where the zero row that ends the table was expected";
    if (!faults.str().empty())
        return ::testing::AssertionFailure() << "error table differs:" << faults.str();
    return ::testing::AssertionSuccess();
}

// The exception class E (built from code, function, file, line, text, Windows
// error) names itself `lpszClass` and its table is `rows` (see ErrorTableIs).
// Each row's code, thrown as an E with an origin and caught as the family's
// base, keeps class, code, function, file, line, text and Windows error, and
// finds that very row; a code past the largest and code 0 find none.
template <class E>
::testing::AssertionResult ExceptionTableIs(const char* lpszClass, std::initializer_list<SErrorRow> rows)
{
    using namespace ExceptionTableDetail;
    const E probe(0, nullptr, nullptr, 0);
    if (std::strcmp(probe.lpszGetClassName(), lpszClass) != 0)
        return ::testing::AssertionFailure()
               << "class " << Quoted(probe.lpszGetClassName()) << ", expected " << Quoted(lpszClass);
    const FdBase::SErrorTableRow* lpTable = probe.lpGetErrorTable();
    ::testing::AssertionResult table = ErrorTableIs(lpTable, rows);
    if (!table)
        return table;
    if (probe.lpGetErrorRow() != nullptr)
        return ::testing::AssertionFailure() << "code 0 finds a row";
    std::ostringstream faults;
    uint32_t dwLargest = 0;
    uint32_t dwLine = 1;
    for (const SErrorRow& want : rows)
    {
        const FdBase::SErrorTableRow* lpRow = &lpTable[dwLine - 1];
        const std::string where = "\n  code " + std::to_string(want.dwCode) + ": ";
        if (want.dwCode > dwLargest)
            dwLargest = want.dwCode;
        try
        {
            throw E(want.dwCode, "CTableCheck::vRun", "TableCheck", dwLine, "texte", 1000 + dwLine);
        }
        catch (const FdBase::CExceptionBase& e)
        {
            if (std::strcmp(e.lpszGetClassName(), lpszClass) != 0)
                faults << where << "caught as the base, class " << Quoted(e.lpszGetClassName());
            if (e.dwGetCode() != want.dwCode || e.dwGetLine() != dwLine ||
                e.dwGetWin32Error() != 1000 + dwLine ||
                std::strcmp(e.lpszGetFunction(), "CTableCheck::vRun") != 0 ||
                std::strcmp(e.lpszGetFile(), "TableCheck") != 0 || std::strcmp(e.lpszGetText(), "texte") != 0)
                faults << where << "origin lost: code " << e.dwGetCode() << ", "
                       << Quoted(e.lpszGetFunction()) << " in " << Quoted(e.lpszGetFile()) << ":"
                       << e.dwGetLine() << ", text " << Quoted(e.lpszGetText()) << ", Windows error "
                       << e.dwGetWin32Error();
            if (e.lpGetErrorRow() != lpRow)
                faults << where << "finds "
                       << (e.lpGetErrorRow() ? Quoted(e.lpGetErrorRow()->szId) : std::string("no row"))
                       << " instead of its row " << Quoted(want.lpszId);
        }
        ++dwLine;
    }
    if (rows.size() != 0 && E(dwLargest + 1, nullptr, nullptr, 0).lpGetErrorRow() != nullptr)
        faults << "\n  code " << (dwLargest + 1) << ", outside the table, finds a row";
    if (!faults.str().empty())
        return ::testing::AssertionFailure() << lpszClass << ":" << faults.str();
    return ::testing::AssertionSuccess();
}

// Runs `throwIt`, which must throw a member of the exception family of class
// `lpszClass` carrying `origin`, with the row of its code in its own table.
template <class F>
::testing::AssertionResult ThrowsWithOrigin(F&& throwIt, const char* lpszClass, const SThrowOrigin& origin)
{
    using namespace ExceptionTableDetail;
    try
    {
        throwIt();
    }
    catch (const FdBase::CExceptionBase& e)
    {
        std::ostringstream faults;
        if (std::strcmp(e.lpszGetClassName(), lpszClass) != 0)
            faults << "\n  class " << Quoted(e.lpszGetClassName()) << ", expected " << Quoted(lpszClass);
        if (e.dwGetCode() != origin.dwCode)
            faults << "\n  code " << e.dwGetCode() << ", expected " << origin.dwCode;
        if (std::strcmp(e.lpszGetFunction(), origin.lpszFunction) != 0)
            faults << "\n  function " << Quoted(e.lpszGetFunction()) << ", expected "
                   << Quoted(origin.lpszFunction);
        if (std::strcmp(e.lpszGetFile(), origin.lpszFile) != 0)
            faults << "\n  file " << Quoted(e.lpszGetFile()) << ", expected " << Quoted(origin.lpszFile);
        if (e.dwGetLine() != origin.dwLine)
            faults << "\n  line " << e.dwGetLine() << ", expected " << origin.dwLine;
        if (e.dwGetWin32Error() != origin.dwWin32Error)
            faults << "\n  Windows error " << e.dwGetWin32Error() << ", expected " << origin.dwWin32Error;
        const FdBase::SErrorTableRow* lpRow = e.lpGetErrorRow();
        if (!lpRow)
            faults << "\n  no row for its code";
        else if (std::strcmp(lpRow->szId, origin.lpszId) != 0)
            faults << "\n  row " << Quoted(lpRow->szId) << ", expected " << Quoted(origin.lpszId);
        if (!faults.str().empty())
            return ::testing::AssertionFailure() << "thrown exception differs:" << faults.str();
        return ::testing::AssertionSuccess();
    }
    catch (...)
    {
        return ::testing::AssertionFailure() << "threw something outside the exception family";
    }
    return ::testing::AssertionFailure() << "nothing thrown";
}

} // namespace FdTest
