#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include "BstrArg.h"
#include "StringExt.h"
#include "WinText.h"

TEST(StringExtWide, ConvertsTextAndResourceIds)
{
    EXPECT_EQ(CStringExt(static_cast<const wchar_t*>(nullptr)), "");
    EXPECT_EQ(CStringExt(L"abc \u00e9"), "abc \xE9");
    // A pointer value below 64K is a string-resource id.
    EXPECT_EQ(CStringExt(reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(100))), "Bonjour \xE9");
    EXPECT_EQ(CStringExt(reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(4000))), "");
}

TEST(StringExtWide, LoadStringTakesLongTextsWhole)
{
    CStringExt s("old");
    EXPECT_TRUE(s.LoadString(101));
    EXPECT_EQ(s.substr(0, 27), "A very long resource text: ");
    EXPECT_EQ(s.size(), 27u + 32u * 11u + 3u);
    EXPECT_EQ(s.Right(3), "end");
    EXPECT_FALSE(s.LoadString(4000)); // no string block for it
    EXPECT_EQ(s, "");
}

TEST(StringExtWide, SetSysStringReallocates)
{
    BSTR b = SysAllocString(L"previous text");
    const CStringExt text("caf\xE9");
    EXPECT_EQ(text.SetSysString(&b), b);
    EXPECT_EQ(SysStringLen(b), 4u);
    EXPECT_EQ(std::wstring(b), L"caf\u00e9");
    CStringExt().SetSysString(&b);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(SysStringLen(b), 0u);
    SysFreeString(b);
}

TEST(BstrArg, InOutAndSync)
{
    CBstrArg arg("in");
    BSTR in = arg.bstrIn();
    EXPECT_EQ(std::wstring(in), L"in");
    BSTR* inout = arg.pbstrInOut();
    EXPECT_EQ(std::wstring(*inout), L"in");
    // What a callee does with an [in, out] argument.
    SysReAllocString(inout, L"r\u00e9ponse");
    arg.vSyncFromBstr();
    EXPECT_EQ(arg.Text(), "r\xE9ponse");
    arg.vSyncFromBstr(); // nothing held any more
    EXPECT_EQ(arg.Text(), "r\xE9ponse");

    BSTR owned = arg.bstrAlloc();
    EXPECT_EQ(std::wstring(owned), L"r\u00e9ponse");
    SysFreeString(owned);
}

TEST(BstrArg, CopiesNeverShareTheBstr)
{
    CBstrArg a("text");
    BSTR held = a.bstrIn();
    CBstrArg b(a);
    CBstrArg c;
    c = a;
    BSTR* pb = b.pbstrInOut();
    EXPECT_NE(*pb, held);
    c.vSyncFromBstr(); // frees c's own copy only
    EXPECT_EQ(c.Text(), "text");
    EXPECT_EQ(std::wstring(held), L"text"); // a's BSTR is still alive
    c = c;
    EXPECT_EQ(c.Text(), "text");
}
