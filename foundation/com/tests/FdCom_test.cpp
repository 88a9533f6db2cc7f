#include "ExceptionBase.h"
#include "FdBstr.h"
#include "FdComBoundary.h"
#include "FdComModule.h"
#include "FdComObject.h"
#include "FdLocalServer.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace
{
// A private interface for the object tests.
struct ITestBase : public IUnknown
{
    virtual int iValue() = 0;
};
struct ITestDerived : public ITestBase
{
    virtual int iTwice() = 0;
};
struct IOther : public IUnknown
{
    virtual int iOther() = 0;
};
} // namespace
__CRT_UUID_DECL(ITestBase, 0x3B5E1C1A, 0x8F0B, 0x4C43, 0x9D, 0x2B, 0x6C, 0x7A, 0x0E, 0x1F, 0x2A, 0x11)
__CRT_UUID_DECL(ITestDerived, 0x3B5E1C1A, 0x8F0B, 0x4C43, 0x9D, 0x2B, 0x6C, 0x7A, 0x0E, 0x1F, 0x2A, 0x12)
__CRT_UUID_DECL(IOther, 0x3B5E1C1A, 0x8F0B, 0x4C43, 0x9D, 0x2B, 0x6C, 0x7A, 0x0E, 0x1F, 0x2A, 0x13)

namespace
{
int g_iLive = 0;

class CThing : public FdCom::CObjectRoot, public ITestDerived, public IOther
{
public:
    explicit CThing(int v) : m_v(v) { ++g_iLive; }
    ~CThing() override { --g_iLive; }
    int iValue() override { return m_v; }
    int iTwice() override { return 2 * m_v; }
    int iOther() override { return -m_v; }

    FD_COM_BEGIN_MAP(CThing, ITestDerived)
    FD_COM_ENTRY(ITestDerived)
    FD_COM_ENTRY_VIA(ITestBase, ITestDerived)
    FD_COM_ENTRY(IOther)
    FD_COM_END_MAP()

private:
    int m_v;
};

TEST(FdComObject, InterfaceMapIdentityAndLifetime)
{
    LONG lLocks = FdCom::CModule::Get().lLockCount();
    ITestBase* pBase = nullptr;
    ASSERT_EQ(S_OK,
              FdCom::TComObject<CThing>::hrCreate(__uuidof(ITestBase), reinterpret_cast<void**>(&pBase), 21));
    EXPECT_EQ(1, g_iLive);
    EXPECT_EQ(lLocks + 1, FdCom::CModule::Get().lLockCount()); // a live object keeps the module
    EXPECT_EQ(21, pBase->iValue());

    ITestDerived* pDerived = nullptr;
    IOther* pOther = nullptr;
    IUnknown* pUnk1 = nullptr;
    IUnknown* pUnk2 = nullptr;
    IClassFactory* pNone = reinterpret_cast<IClassFactory*>(1);
    ASSERT_EQ(S_OK, pBase->QueryInterface(__uuidof(ITestDerived), reinterpret_cast<void**>(&pDerived)));
    ASSERT_EQ(S_OK, pBase->QueryInterface(__uuidof(IOther), reinterpret_cast<void**>(&pOther)));
    EXPECT_EQ(42, pDerived->iTwice());
    EXPECT_EQ(-21, pOther->iOther());
    // IUnknown is one pointer whichever interface it is asked from.
    ASSERT_EQ(S_OK, pOther->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&pUnk1)));
    ASSERT_EQ(S_OK, pDerived->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&pUnk2)));
    EXPECT_EQ(pUnk1, pUnk2);
    EXPECT_EQ(E_NOINTERFACE, pBase->QueryInterface(IID_IClassFactory, reinterpret_cast<void**>(&pNone)));
    EXPECT_EQ(nullptr, pNone);
    EXPECT_EQ(E_POINTER, pBase->QueryInterface(IID_IUnknown, nullptr));

    pUnk1->Release();
    pUnk2->Release();
    pOther->Release();
    pDerived->Release();
    EXPECT_EQ(0u, pBase->Release());
    EXPECT_EQ(0, g_iLive);
    EXPECT_EQ(lLocks, FdCom::CModule::Get().lLockCount());
}

TEST(FdComModule, RegSwitchWords)
{
    struct
    {
        const char* cmd;
        FdCom::ERegSwitch expect;
    } rows[] = {
        {"", FdCom::ERegSwitch::None},
        {nullptr, FdCom::ERegSwitch::None},
        {"/RegServer", FdCom::ERegSwitch::RegServer},
        {"-regserver", FdCom::ERegSwitch::RegServer},
        {"  /REGSERVER ", FdCom::ERegSwitch::RegServer},
        {"/UnregServer", FdCom::ERegSwitch::UnregServer},
        {"-UNREGSERVER", FdCom::ERegSwitch::UnregServer},
        {"-Embedding", FdCom::ERegSwitch::None},
        {"RegServer", FdCom::ERegSwitch::None},   // no switch mark
        {"/RegServerX", FdCom::ERegSwitch::None}, // a longer word is another word
        {"-Embedding /UnregServer", FdCom::ERegSwitch::UnregServer},
    };
    for (const auto& r : rows)
        EXPECT_EQ(r.expect, FdCom::eFindRegSwitch(r.cmd)) << "command line: " << (r.cmd ? r.cmd : "(null)");
}

// {6E0F2D47-1C3B-4E6A-8B55-0D2F3A4B5C01}
const CLSID CLSID_TestThing = {0x6e0f2d47, 0x1c3b, 0x4e6a, {0x8b, 0x55, 0x0d, 0x2f, 0x3a, 0x4b, 0x5c, 0x01}};
// {6E0F2D47-1C3B-4E6A-8B55-0D2F3A4B5C02}
const GUID APPID_Test = {0x6e0f2d47, 0x1c3b, 0x4e6a, {0x8b, 0x55, 0x0d, 0x2f, 0x3a, 0x4b, 0x5c, 0x02}};

HRESULT hrCreateThing(REFIID riid, void** ppv)
{
    return FdCom::TComObject<CThing>::hrCreate(riid, ppv, 7);
}

const FdCom::SRegValue g_extra[] = {{"", "Control", ""},
                                    {"MiscStatus\\1", nullptr, "131473"},
                                    {"ToolboxBitmap32", nullptr, "%MODULE%, 101"},
                                    {}};
const FdCom::SClassEntry g_classes[] = {{&CLSID_TestThing, hrCreateThing, "TestThing Class", "FdTest.Thing.1",
                                         "FdTest.Thing", "Apartment", REGCLS_MULTIPLEUSE, g_extra}};
const FdCom::SServerInfo g_info = {g_classes, 1, &APPID_Test, "FdTest", false};

std::string strValue(const char* key, const char* name)
{
    char buf[512];
    DWORD cb = sizeof buf;
    if (RegGetValueA(HKEY_CLASSES_ROOT, key, name, RRF_RT_REG_SZ, nullptr, buf, &cb) != ERROR_SUCCESS)
        return "<absent>";
    return buf;
}

bool boKeyExists(const char* key)
{
    HKEY h;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key, 0, KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    RegCloseKey(h);
    return true;
}

const char* const kClsKey = "CLSID\\{6E0F2D47-1C3B-4E6A-8B55-0D2F3A4B5C01}";

TEST(FdComModule, RegisterWritesEveryKeyAndUnregisterRemovesThem)
{
    FdCom::CModule& m = FdCom::CModule::Get();
    const std::string strModule = m.pszModulePath();

    ASSERT_EQ(S_OK, m.hrRegister(g_info, false));
    EXPECT_EQ("TestThing Class", strValue(kClsKey, nullptr));
    EXPECT_EQ(strModule, strValue((std::string(kClsKey) + "\\InprocServer32").c_str(), nullptr));
    EXPECT_EQ("Apartment", strValue((std::string(kClsKey) + "\\InprocServer32").c_str(), "ThreadingModel"));
    EXPECT_EQ("FdTest.Thing.1", strValue((std::string(kClsKey) + "\\ProgID").c_str(), nullptr));
    EXPECT_EQ("FdTest.Thing",
              strValue((std::string(kClsKey) + "\\VersionIndependentProgID").c_str(), nullptr));
    EXPECT_EQ("131473", strValue((std::string(kClsKey) + "\\MiscStatus\\1").c_str(), nullptr));
    EXPECT_EQ("", strValue(kClsKey, "Control"));
    EXPECT_EQ(strModule + ", 101", strValue((std::string(kClsKey) + "\\ToolboxBitmap32").c_str(), nullptr));
    EXPECT_EQ("{6E0F2D47-1C3B-4E6A-8B55-0D2F3A4B5C01}", strValue("FdTest.Thing.1\\CLSID", nullptr));
    EXPECT_EQ("FdTest.Thing.1", strValue("FdTest.Thing\\CurVer", nullptr));
    EXPECT_FALSE(boKeyExists("AppID\\{6E0F2D47-1C3B-4E6A-8B55-0D2F3A4B5C02}")); // in-process: no AppID

    CLSID clsid = {};
    ASSERT_EQ(S_OK, CLSIDFromProgID(L"FdTest.Thing", &clsid)); // through CurVer
    EXPECT_TRUE(IsEqualCLSID(CLSID_TestThing, clsid));

    ASSERT_EQ(S_OK, m.hrUnregister(g_info, false));
    EXPECT_FALSE(boKeyExists(kClsKey));
    EXPECT_FALSE(boKeyExists("FdTest.Thing.1"));
    EXPECT_FALSE(boKeyExists("FdTest.Thing"));
    // Removing what is not there is no error.
    EXPECT_EQ(S_OK, m.hrUnregister(g_info, false));
}

TEST(FdComModule, LocalServerRegistrationHasAppId)
{
    FdCom::CModule& m = FdCom::CModule::Get();
    ASSERT_EQ(S_OK, m.hrRegister(g_info, true));
    std::string strModule = m.pszModulePath();
    std::string strExpected = strModule.find(' ') != std::string::npos ? "\"" + strModule + "\"" : strModule;
    EXPECT_EQ(strExpected, strValue((std::string(kClsKey) + "\\LocalServer32").c_str(), nullptr));
    EXPECT_FALSE(boKeyExists((std::string(kClsKey) + "\\InprocServer32").c_str()));
    EXPECT_EQ("{6E0F2D47-1C3B-4E6A-8B55-0D2F3A4B5C02}", strValue(kClsKey, "AppID"));
    EXPECT_EQ("FdTest", strValue("AppID\\{6E0F2D47-1C3B-4E6A-8B55-0D2F3A4B5C02}", nullptr));
    EXPECT_EQ("{6E0F2D47-1C3B-4E6A-8B55-0D2F3A4B5C02}", strValue("AppID\\fd_com_test.exe", "AppID"));
    ASSERT_EQ(S_OK, m.hrUnregister(g_info, true));
    EXPECT_FALSE(boKeyExists(kClsKey));
    EXPECT_FALSE(boKeyExists("AppID\\{6E0F2D47-1C3B-4E6A-8B55-0D2F3A4B5C02}"));
    EXPECT_FALSE(boKeyExists("AppID\\fd_com_test.exe"));
}

TEST(FdComModule, ClassObjectCreatesAndLocks)
{
    FdCom::CModule& m = FdCom::CModule::Get();
    IClassFactory* pFactory = nullptr;
    ASSERT_EQ(S_OK, m.hrGetClassObject(g_info, CLSID_TestThing, IID_IClassFactory,
                                       reinterpret_cast<void**>(&pFactory)));
    EXPECT_EQ(S_OK, m.hrCanUnloadNow()); // a class object alone does not lock
    IOther* pOther = nullptr;
    EXPECT_EQ(CLASS_E_NOAGGREGATION,
              pFactory->CreateInstance(reinterpret_cast<IUnknown*>(pFactory), __uuidof(IOther),
                                       reinterpret_cast<void**>(&pOther)));
    ASSERT_EQ(S_OK, pFactory->CreateInstance(nullptr, __uuidof(IOther), reinterpret_cast<void**>(&pOther)));
    EXPECT_EQ(-7, pOther->iOther());
    EXPECT_EQ(S_FALSE, m.hrCanUnloadNow());
    pOther->Release();
    EXPECT_EQ(S_OK, m.hrCanUnloadNow());
    pFactory->LockServer(TRUE);
    EXPECT_EQ(S_FALSE, m.hrCanUnloadNow());
    pFactory->LockServer(FALSE);
    pFactory->Release();
    EXPECT_EQ(S_OK, m.hrCanUnloadNow());

    void* pv = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, m.hrGetClassObject(g_info, APPID_Test, IID_IClassFactory, &pv));
    EXPECT_EQ(nullptr, pv);
}

// A local server whose hooks record what the shared run did.
class CRecordingServer : public FdCom::CLocalServer
{
public:
    CRecordingServer() : CLocalServer(g_info, g_info, 0) {}

    std::vector<std::string> calls;
    LONG lLocksWhileServing = -1;

private:
    void vOnRegistration(FdCom::ERegSwitch eSwitch, HRESULT hr) override
    {
        calls.push_back(std::string(eSwitch == FdCom::ERegSwitch::RegServer ? "register " : "unregister ") +
                        (hr == S_OK ? "S_OK" : "failed"));
    }
    void vServe() override
    {
        calls.push_back("serve");
        lLocksWhileServing = FdCom::CModule::Get().lLockCount();
        // A message of the program's own, then the end: the shared loop sees both.
        PostThreadMessageA(GetCurrentThreadId(), WM_APP + 7, 0, 0);
        PostQuitMessage(0);
        CLocalServer::vServe();
    }
    bool boOnMessage(const MSG& msg) override
    {
        if (msg.hwnd || msg.message != WM_APP + 7)
            return false;
        calls.push_back("own message");
        return true;
    }
    void vOnEnd() override { calls.push_back("end"); }
};

TEST(FdLocalServer, RegistrationSwitchesRegisterOrRemoveAndEndTheRun)
{
    const LONG lLocks = FdCom::CModule::Get().lLockCount();
    const std::string strLocalServer = std::string(kClsKey) + "\\LocalServer32";
    const struct
    {
        const char* cmd;
        const char* call;
        bool boRegistered;
    } rows[] = {
        {"/RegServer", "register S_OK", true},
        {"-Embedding -unregserver", "unregister S_OK", false},
        {"x /REGSERVER y", "register S_OK", true},
        {"/UnregServer", "unregister S_OK", false},
    };
    for (const auto& r : rows)
    {
        SCOPED_TRACE(r.cmd);
        CRecordingServer server;
        EXPECT_EQ(0, server.iRun(r.cmd));
        EXPECT_EQ(std::vector<std::string>{r.call}, server.calls); // no serving, no end
        EXPECT_EQ(r.boRegistered, boKeyExists(strLocalServer.c_str()));
    }
    EXPECT_EQ(lLocks, FdCom::CModule::Get().lLockCount());
}

TEST(FdLocalServer, WithoutSwitchServesUntilQuitThenEnds)
{
    const HRESULT hrInit = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ASSERT_TRUE(SUCCEEDED(hrInit));
    const LONG lLocks = FdCom::CModule::Get().lLockCount();
    for (const char* cmd : {"", "-Embedding"})
    {
        SCOPED_TRACE(cmd);
        CRecordingServer server;
        EXPECT_EQ(0, server.iRun(cmd));
        EXPECT_EQ((std::vector<std::string>{"serve", "own message", "end"}), server.calls);
        EXPECT_EQ(lLocks, server.lLocksWhileServing); // published class objects hold no lock
    }
    EXPECT_EQ(lLocks, FdCom::CModule::Get().lLockCount());
    CoUninitialize(); // only after the successful CoInitializeEx above
}

TEST(FdLocalServer, FailedPublishEndsWithItsHresultWithoutServing)
{
    // A thread that never entered COM: the class objects cannot be published.
    CRecordingServer server;
    int iResult = 0;
    std::thread([&] { iResult = server.iRun(nullptr); }).join();
    EXPECT_EQ(static_cast<int>(CO_E_NOTINITIALIZED), iResult);
    EXPECT_EQ(std::vector<std::string>{"end"}, server.calls);
}

// One of the suite's own exceptions, with or without a Windows error.
class CTestException : public FdBase::CExceptionBase
{
public:
    explicit CTestException(uint32_t dwWin32Error) : CExceptionBase(1, "f", "file", 2, nullptr, dwWin32Error)
    {
    }
    const char* lpszGetClassName() const override { return "CTestException"; }
    const FdBase::SErrorTableRow* lpGetErrorTable() const override { return nullptr; }
};

TEST(FdComBoundary, WhatIsThrownBecomesTheHresult)
{
    const struct
    {
        const char* kind;
        void (*pfnThrow)();
        HRESULT hrExpected;
    } rows[] = {
        {"std::bad_alloc", [] { throw std::bad_alloc(); }, E_OUTOFMEMORY},
        {"suite exception with a Windows error", [] { throw CTestException(ERROR_ACCESS_DENIED); },
         HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED)},
        {"suite exception without one", [] { throw CTestException(0); }, E_FAIL},
        {"std::runtime_error", [] { throw std::runtime_error("x"); }, E_FAIL},
        {"an int", [] { throw 5; }, E_FAIL},
    };
    for (const auto& r : rows)
    {
        SCOPED_TRACE(r.kind);
        EXPECT_EQ(r.hrExpected, FdCom::hrGuard(
                                    [&]() -> HRESULT
                                    {
                                        r.pfnThrow();
                                        return S_OK;
                                    }));
    }
    // Without a throw, the body's own result goes through as it is.
    EXPECT_EQ(S_FALSE, FdCom::hrGuard([] { return S_FALSE; }));
    EXPECT_EQ(E_NOTIMPL, FdCom::hrGuard([] { return E_NOTIMPL; }));
}

TEST(FdBstr, AnsiRoundTripKeepsCp1252Bytes)
{
    ASSERT_EQ(1252u, GetACP()) << "the suite's programs run with the Western ANSI code page";
    const std::string strText = "D\xE9"
                                "chargement \xA3\xA3";
    FdCom::CBstr b(strText);
    ASSERT_EQ(15u, SysStringLen(b.bstr()));
    EXPECT_EQ(0x00E9, b.bstr()[1]);
    EXPECT_EQ(0x00A3, b.bstr()[13]);
    EXPECT_EQ(strText, FdCom::strFromBstr(b.bstr()));
    EXPECT_EQ("", FdCom::strFromBstr(nullptr));
    FdCom::CBstr empty("");
    EXPECT_NE(nullptr, empty.bstr()); // an empty text is an empty BSTR, not null
    EXPECT_EQ(0u, SysStringLen(empty.bstr()));
    std::string strNul("a\0b", 3);
    EXPECT_EQ(strNul, FdCom::strFromBstr(FdCom::CBstr(strNul).bstr()));
}

TEST(FdComText, WideAndAnsiBothWays)
{
    const std::string strText = "D\xE9j\xE0 \xA3 5";
    const std::wstring w = FdCom::wstrFromAnsi(strText);
    EXPECT_EQ(std::wstring(L"D\u00E9j\u00E0 \u00A3 5"), w);
    EXPECT_EQ(strText, FdCom::strFromWide(w.c_str()));
    EXPECT_EQ("", FdCom::strFromWide(nullptr));
    EXPECT_EQ("", FdCom::strFromWide(L""));
    EXPECT_EQ(std::wstring(), FdCom::wstrFromAnsi(""));
    EXPECT_EQ(std::wstring(L"a\0b", 3), FdCom::wstrFromAnsi(std::string("a\0b", 3))) << "embedded NUL kept";
}
} // namespace
