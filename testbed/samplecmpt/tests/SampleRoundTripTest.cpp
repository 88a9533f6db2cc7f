// The sample component driven from another program: registration, creation
// by ProgID, callbacks with French text through BSTR, a callback from a
// worker thread, IDispatch from the type library, idle exit, removal.
#include "FdBstr.h"
#include "SampleClient.h"

#include <gtest/gtest.h>

#include "TestHelper.h"

namespace
{
const char kFrench[] = "D\xE9" "chargement \xA3\xA3"; // "Déchargement ££" in CP1252

const char* const kClsidExe = "CLSID\\{48C50A80-DAEE-4CDD-9D47-389205BAC328}";
const char* const kClsidDll = "CLSID\\{B5684E5F-9127-43C1-B3C0-517476F0167C}";
const char* const kAppId = "AppID\\{D1063F42-A0E6-4A01-AC85-C3FE52FC635A}";
const char* const kTypeLib = "TypeLib\\{E894DA01-1249-431C-8C92-D4D1FB9B6951}";
const char* const kCallbackItf = "Interface\\{74E53A83-0EDA-11D4-84F9-00500448008D}";

class SampleRoundTrip : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
    void TearDown() override { CoUninitialize(); }

    // Creates the component by ProgID, binds a callback and runs the echo
    // both ways. Returns the server's process id.
    void vRoundTrip(const wchar_t* pwszProgId, DWORD dwContext, DWORD* pdwPid)
    {
        CLSID clsid;
        ASSERT_EQ(S_OK, CLSIDFromProgID(pwszProgId, &clsid));
        IDiagOBPP2Cmpt* pCmpt = nullptr;
        ASSERT_EQ(S_OK, CoCreateInstance(clsid, nullptr, dwContext, IID_IDiagOBPP2Cmpt,
                                         reinterpret_cast<void**>(&pCmpt)));

        FdCom::CBstr pid;
        ASSERT_EQ(S_OK, pCmpt->GetParameter(FdCom::CBstr("PID").bstr(), pid.pbstrOut()));
        *pdwPid = static_cast<DWORD>(std::stoul(FdCom::strFromBstr(pid.bstr())));

        IDiagCmpt2OBPP* pCallback = nullptr;
        ASSERT_EQ(S_OK, FdCom::TComObject<CRecordingCallback>::hrCreate(IID_IDiagCmpt2OBPP,
                                                                         reinterpret_cast<void**>(&pCallback)));
        auto* pRecorder = static_cast<CRecordingCallback*>(pCallback);
        unsigned long dwCookie = 0;
        ASSERT_EQ(S_OK, pCmpt->Advise(pCallback, &dwCookie));
        EXPECT_NE(0u, dwCookie);

        // Same thread: the call back arrives during ExecuteCmd.
        ASSERT_EQ(S_OK, pCmpt->SetParameter(FdCom::CBstr("TEXT").bstr(), FdCom::CBstr(kFrench).bstr()));
        ASSERT_EQ(S_OK, pCmpt->ExecuteCmd(FdCom::CBstr("ECHO").bstr()));
        ASSERT_TRUE(pRecorder->boWaitForCommands(1, 10000));
        {
            const SCallbackCommand& c = pRecorder->commands()[0];
            EXPECT_EQ("ECHO", c.strCmd);
            ASSERT_EQ(1u, c.params.size());
            EXPECT_EQ("TEXT", c.params[0].first);
            EXPECT_EQ(kFrench, c.params[0].second) << "the text must come back byte for byte";
            EXPECT_EQ(GetCurrentThreadId(), c.dwThreadId);
        }

        // From the component's worker thread, through a marshalled pointer:
        // delivered on this (the callback's) apartment thread.
        ASSERT_EQ(S_OK, pCmpt->SetParameter(FdCom::CBstr("TEXT").bstr(), FdCom::CBstr(kFrench).bstr()));
        ASSERT_EQ(S_OK, pCmpt->SetParameter(FdCom::CBstr("N").bstr(), FdCom::CBstr("2").bstr()));
        ASSERT_EQ(S_OK, pCmpt->ExecuteCmd(FdCom::CBstr("ECHOTHREAD").bstr()));
        ASSERT_TRUE(pRecorder->boWaitForCommands(2, 15000));
        {
            const SCallbackCommand& c = pRecorder->commands()[1];
            EXPECT_EQ("ECHOTHREAD", c.strCmd);
            ASSERT_EQ(2u, c.params.size());
            EXPECT_EQ("N", c.params[0].first);
            EXPECT_EQ("TEXT", c.params[1].first);
            EXPECT_EQ(kFrench, c.params[1].second);
            EXPECT_EQ(GetCurrentThreadId(), c.dwThreadId);
        }

        // The dual interface answers through IDispatch from the type library.
        IDispatch* pDisp = nullptr;
        ASSERT_EQ(S_OK, pCmpt->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&pDisp)));
        wchar_t wszEcho[] = L"Echo";
        LPOLESTR names[] = {wszEcho};
        DISPID id = 0;
        ASSERT_EQ(S_OK, pDisp->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
        EXPECT_EQ(1, id);
        VARIANT arg;
        VariantInit(&arg);
        arg.vt = VT_BSTR;
        arg.bstrVal = FdCom::CBstr(kFrench).bstrDetach();
        DISPPARAMS dp = {&arg, nullptr, 1, 0};
        VARIANT result;
        VariantInit(&result);
        ASSERT_EQ(S_OK, pDisp->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &dp, &result, nullptr,
                                      nullptr));
        ASSERT_EQ(VT_BSTR, result.vt);
        EXPECT_EQ(std::string("echo:") + kFrench, FdCom::strFromBstr(result.bstrVal));
        VariantClear(&result);
        VariantClear(&arg);
        DISPPARAMS none = {nullptr, nullptr, 0, 0};
        ASSERT_EQ(S_OK, pDisp->Invoke(2, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &result,
                                      nullptr, nullptr));
        EXPECT_EQ(VT_I4, result.vt);
        EXPECT_GE(result.lVal, 8);
        pDisp->Release();

        if (dwContext == CLSCTX_LOCAL_SERVER)
        {
            // A live object keeps the server past its idle delay (300 ms), and
            // a second activation reaches the same multiple-use server.
            Sleep(900);
            IDiagOBPP2Cmpt* pSecond = nullptr;
            ASSERT_EQ(S_OK, CoCreateInstance(clsid, nullptr, dwContext, IID_IDiagOBPP2Cmpt,
                                             reinterpret_cast<void**>(&pSecond)));
            FdCom::CBstr pid2;
            ASSERT_EQ(S_OK, pSecond->GetParameter(FdCom::CBstr("PID").bstr(), pid2.pbstrOut()));
            EXPECT_EQ(FdCom::strFromBstr(pid.bstr()), FdCom::strFromBstr(pid2.bstr()));
            pSecond->Release();
        }

        EXPECT_EQ(E_INVALIDARG, pCmpt->Unadvise(dwCookie + 1));
        EXPECT_EQ(S_OK, pCmpt->Unadvise(dwCookie));
        pCmpt->Release();
        pCallback->Release();
    }
};

TEST_F(SampleRoundTrip, LocalServer)
{
    const std::string strExe = "\"" + strProgramFolder() + "SampleCmpt.exe\"";
    ASSERT_EQ(0, lRunAndWait(strExe + " /RegServer", 30000));
    EXPECT_TRUE(boClassesKeyExists(std::string(kClsidExe) + "\\LocalServer32"));
    EXPECT_TRUE(boClassesKeyExists(kAppId));
    EXPECT_TRUE(boClassesKeyExists("FdTestbed.SampleCmpt\\CurVer"));
    EXPECT_TRUE(boClassesKeyExists(kTypeLib));
    EXPECT_TRUE(boClassesKeyExists(kCallbackItf));

    DWORD dwPid = 0;
    FD_HELPER(vRoundTrip(L"FdTestbed.SampleCmpt", CLSCTX_LOCAL_SERVER, &dwPid));
    ASSERT_NE(GetCurrentProcessId(), dwPid);

    // Released: the server leaves after its idle delay.
    HANDLE hServer = OpenProcess(SYNCHRONIZE, FALSE, dwPid);
    if (hServer)
    {
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(hServer, 20000)) << "the server did not leave when idle";
        CloseHandle(hServer);
    }

    ASSERT_EQ(0, lRunAndWait(strExe + " -unregserver", 30000));
    for (const char* key : {kClsidExe, kAppId, "AppID\\SampleCmpt.exe", "FdTestbed.SampleCmpt",
                            "FdTestbed.SampleCmpt.1", kTypeLib, kCallbackItf})
        EXPECT_FALSE(boClassesKeyExists(key)) << key << " is left after UnregServer";
}

TEST_F(SampleRoundTrip, InProcessServerRegisteredWithRegsvr32)
{
    const std::string strDll = "\"" + strProgramFolder() + "SampleCmptDll.dll\"";
    ASSERT_EQ(0, lRunAndWait("regsvr32.exe /s " + strDll, 30000));
    EXPECT_TRUE(boClassesKeyExists(std::string(kClsidDll) + "\\InprocServer32"));
    EXPECT_TRUE(boClassesKeyExists(kTypeLib));

    DWORD dwPid = 0;
    FD_HELPER(vRoundTrip(L"FdTestbed.SampleCmptDll", CLSCTX_INPROC_SERVER, &dwPid));
    EXPECT_EQ(GetCurrentProcessId(), dwPid);
    CoFreeUnusedLibraries();

    ASSERT_EQ(0, lRunAndWait("regsvr32.exe /s /u " + strDll, 30000));
    for (const char* key : {kClsidDll, "FdTestbed.SampleCmptDll", "FdTestbed.SampleCmptDll.1", kTypeLib})
        EXPECT_FALSE(boClassesKeyExists(key)) << key << " is left after unregistration";
}
} // namespace
