// The owners of handles, registry keys, events, modules and COM references.
#include <gtest/gtest.h>

#include <string>

#include "ComRef.h"
#include "WinEvent.h"
#include "WinHandle.h"
#include "WinModule.h"
#include "WinRegKey.h"

using namespace FdWin;

namespace
{

bool boIsOpen(HANDLE h)
{
    DWORD dwFlags = 0;
    return GetHandleInformation(h, &dwFlags) != FALSE;
}

HANDLE hNewEvent()
{
    return CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

} // namespace

TEST(WinHandle, ClosesWhatItOwnsAndNotWhatItGaveUp)
{
    HANDLE raw = hNewEvent();
    {
        CHandle owner(raw);
        EXPECT_TRUE(owner.boValid());
    }
    EXPECT_FALSE(boIsOpen(raw));

    raw = hNewEvent();
    {
        CHandle owner(raw);
        EXPECT_EQ(raw, owner.hDetach());
        EXPECT_FALSE(owner.boValid());
    }
    EXPECT_TRUE(boIsOpen(raw));

    // Attaching closes the handle held before.
    CHandle owner(raw);
    HANDLE second = hNewEvent();
    owner.vAttach(second);
    EXPECT_FALSE(boIsOpen(raw));
    EXPECT_EQ(second, owner.get());

    // A move leaves one owner.
    CHandle moved(std::move(owner));
    EXPECT_EQ(nullptr, owner.get());
    EXPECT_EQ(second, moved.get());
    EXPECT_TRUE(moved.boClose());
    EXPECT_FALSE(boIsOpen(second));
}

TEST(WinHandle, ACloseThatFailsIsReportedAndNotRepeated)
{
    CHandle owner(hNewEvent());
    // Someone closed it behind the owner's back.
    ASSERT_TRUE(CloseHandle(owner.get()));
    SetLastError(0);
    EXPECT_FALSE(owner.boClose());
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_EQ(nullptr, owner.get());
    // Empty owners (null or INVALID_HANDLE_VALUE) have nothing to close.
    EXPECT_TRUE(owner.boClose());
    CHandle file(INVALID_HANDLE_VALUE);
    EXPECT_FALSE(file.boValid());
    EXPECT_TRUE(file.boClose());
}

TEST(WinHandle, ABorrowedHandleIsNeverClosed)
{
    CHandle owner(hNewEvent());
    {
        CHandleRef borrowed = owner.ref();
        CHandleRef copy = borrowed;
        EXPECT_EQ(owner.get(), copy.get());
    }
    EXPECT_TRUE(boIsOpen(owner.get()));
}

TEST(WinEvent, CreatesSetsAndCloses)
{
    CEvent event;
    EXPECT_FALSE(event.boValid());
    ASSERT_EQ(0u, event.dwCreate(true, false));
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), event.dwWait(0));
    EXPECT_TRUE(event.boSet());
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), event.dwWait(0));
    EXPECT_TRUE(event.boReset());
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), event.dwWait(0));
    HANDLE raw = event.get();
    EXPECT_TRUE(event.boClose());
    EXPECT_FALSE(boIsOpen(raw));
    EXPECT_FALSE(event.boSet());
}

TEST(WinModule, LoadsFindsAndFrees)
{
    CModule module;
    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), module.dwLoad("no-such-module-here.dll"));
    EXPECT_EQ(nullptr, module.get());
    using PfnGetTick = DWORD(WINAPI*)();
    EXPECT_EQ(nullptr, module.pfn<PfnGetTick>("GetTickCount"));

    ASSERT_EQ(0u, module.dwLoad("kernel32.dll"));
    EXPECT_NE(nullptr, module.pfn<PfnGetTick>("GetTickCount"));
    EXPECT_EQ(nullptr, module.pfn<PfnGetTick>("NoSuchFunction"));
    EXPECT_TRUE(module.boFree());
    EXPECT_TRUE(module.boFree()); // empty: nothing to free
}

class WinRegKeyTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_strPath = "Software\\OrbelleTest\\WinRegKey" + std::to_string(GetCurrentProcessId());
        RegDeleteTreeA(HKEY_CURRENT_USER, m_strPath.c_str());
    }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, m_strPath.c_str()); }
    std::string m_strPath;
};

TEST_F(WinRegKeyTest, OpensCreatesReadsAndWrites)
{
    CRegKey key;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, key.lOpen(HKEY_CURRENT_USER, m_strPath.c_str(), KEY_READ));
    EXPECT_FALSE(key);

    DWORD dwDisposition = 12345;
    ASSERT_EQ(ERROR_SUCCESS,
              key.lCreate(HKEY_CURRENT_USER, m_strPath.c_str(), KEY_ALL_ACCESS, &dwDisposition));
    EXPECT_EQ(static_cast<DWORD>(REG_CREATED_NEW_KEY), dwDisposition);
    EXPECT_EQ(ERROR_SUCCESS, key.lSetString("Text", "caf\xE9"));
    EXPECT_EQ(ERROR_SUCCESS, key.lSetDword("Number", 0x8082));
    EXPECT_EQ(ERROR_SUCCESS, key.lSetString("", ""));

    CRegKey again;
    ASSERT_EQ(ERROR_SUCCESS, again.lCreate(HKEY_CURRENT_USER, m_strPath.c_str(), KEY_READ, &dwDisposition));
    EXPECT_EQ(static_cast<DWORD>(REG_OPENED_EXISTING_KEY), dwDisposition);
    std::string strText = "sentinel";
    EXPECT_EQ(ERROR_SUCCESS, again.lQueryString("Text", &strText));
    EXPECT_EQ("caf\xE9", strText);
    EXPECT_EQ(ERROR_SUCCESS, again.lQueryString("", &strText));
    EXPECT_EQ("", strText);
    DWORD dwNumber = 7;
    EXPECT_EQ(ERROR_SUCCESS, again.lQueryDword("Number", &dwNumber));
    EXPECT_EQ(0x8082u, dwNumber);
}

TEST_F(WinRegKeyTest, FailedReadsLeaveTheirOutputs)
{
    CRegKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.lCreate(HKEY_CURRENT_USER, m_strPath.c_str(), KEY_ALL_ACCESS));
    ASSERT_EQ(ERROR_SUCCESS, key.lSetDword("Number", 5));
    ASSERT_EQ(ERROR_SUCCESS, key.lSetString("Text", "x"));
    std::string strText = "sentinel";
    DWORD dwNumber = 7;
    const struct
    {
        const char* lpszName;
        LONG lText;
        LONG lNumber;
    } rows[] = {{"Missing", ERROR_FILE_NOT_FOUND, ERROR_FILE_NOT_FOUND},
                {"Number", ERROR_INVALID_DATATYPE, ERROR_SUCCESS},
                {"Text", ERROR_SUCCESS, ERROR_INVALID_DATATYPE}};
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.lpszName);
        strText = "sentinel";
        dwNumber = 7;
        EXPECT_EQ(row.lText, key.lQueryString(row.lpszName, &strText));
        EXPECT_EQ(row.lText == ERROR_SUCCESS ? "x" : "sentinel", strText);
        EXPECT_EQ(row.lNumber, key.lQueryDword(row.lpszName, &dwNumber));
        EXPECT_EQ(row.lNumber == ERROR_SUCCESS ? 5u : 7u, dwNumber);
    }
}

TEST_F(WinRegKeyTest, ACloseThatFailsIsReported)
{
    CRegKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.lCreate(HKEY_CURRENT_USER, m_strPath.c_str(), KEY_ALL_ACCESS));
    ASSERT_EQ(ERROR_SUCCESS, RegCloseKey(key.h()));
    EXPECT_NE(ERROR_SUCCESS, key.lClose());
    EXPECT_FALSE(key);
    EXPECT_EQ(ERROR_SUCCESS, key.lClose());

    // phOut closes the key held before an API stores a new one.
    ASSERT_EQ(ERROR_SUCCESS, key.lOpen(HKEY_CURRENT_USER, m_strPath.c_str(), KEY_READ));
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, m_strPath.c_str(), 0, KEY_READ, key.phOut()));
    EXPECT_TRUE(key);
    CRegKey moved(std::move(key));
    EXPECT_FALSE(key);
    EXPECT_EQ(ERROR_SUCCESS, moved.lClose());
}

namespace
{
// Counts its references; fails the test on a call it does not expect.
class CCounted : public IUnknown
{
public:
    ULONG m_ulRefs = 1;
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid != IID_IUnknown)
        {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        *ppv = this;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_ulRefs; }
    STDMETHODIMP_(ULONG) Release() override
    {
        EXPECT_GT(m_ulRefs, 0u) << "released once too often";
        return --m_ulRefs;
    }
};
} // namespace

TEST(ComRef, CountsItsReferences)
{
    CCounted object;
    {
        TComRef<IUnknown> first(&object);
        EXPECT_EQ(2u, object.m_ulRefs);
        TComRef<IUnknown> copy = first;
        EXPECT_EQ(3u, object.m_ulRefs);
        TComRef<IUnknown> moved(std::move(copy));
        EXPECT_EQ(3u, object.m_ulRefs);
        EXPECT_FALSE(copy);
        moved = first;
        EXPECT_EQ(3u, object.m_ulRefs);
    }
    EXPECT_EQ(1u, object.m_ulRefs);

    // An adopted reference is released once, without an AddRef.
    object.AddRef();
    {
        auto adopted = TComRef<IUnknown>::adopt(&object);
        EXPECT_EQ(2u, object.m_ulRefs);
    }
    EXPECT_EQ(1u, object.m_ulRefs);

    // ppvOut receives the reference QueryInterface hands out; detach gives it away.
    TComRef<IUnknown> out;
    ASSERT_EQ(S_OK, object.QueryInterface(IID_IUnknown, out.ppvOut()));
    EXPECT_EQ(2u, object.m_ulRefs);
    IUnknown* lpRaw = out.pDetach();
    EXPECT_FALSE(out);
    EXPECT_EQ(2u, object.m_ulRefs);
    lpRaw->Release();
    EXPECT_EQ(1u, object.m_ulRefs);
}
