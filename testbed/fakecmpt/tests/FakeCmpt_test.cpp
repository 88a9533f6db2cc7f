// The fake components log what they receive and call back on request.
#include "FakeCmpt_h.h"
#include "FdBstr.h"
#include "FdComObject.h"
#include "SampleClient.h"

#include <gtest/gtest.h>

#include "TestHelper.h"
#include "TestFiles.h"

#include <fstream>
#include <sstream>

namespace
{
// A second-version callback that records commands and answers the
// process-identifier question.
class CCallback2 : public FdCom::CObjectRoot, public IDiagCmpt2OBPP2
{
public:
    FD_COM_BEGIN_MAP(CCallback2, IDiagCmpt2OBPP2)
    FD_COM_ENTRY(IDiagCmpt2OBPP2)
    FD_COM_ENTRY_VIA(IDiagCmpt2OBPP, IDiagCmpt2OBPP2)
    FD_COM_END_MAP()

    STDMETHODIMP ExecuteCmd(BSTR bstrName) override
    {
        m_strSeen += FdCom::strFromBstr(bstrName) + ";";
        return S_OK;
    }
    STDMETHODIMP SetParameter(BSTR n, BSTR v) override
    {
        m_strSeen += FdCom::strFromBstr(n) + "=" + FdCom::strFromBstr(v) + ",";
        return S_OK;
    }
    STDMETHODIMP GetParameter(BSTR, BSTR* p) override
    {
        *p = nullptr;
        return S_OK;
    }
    STDMETHODIMP CmptOut() override
    {
        m_strSeen += "CmptOut;";
        return S_OK;
    }
    STDMETHODIMP Display(BSTR, SAFEARRAY*) override { return E_NOTIMPL; }
    STDMETHODIMP GetZoneExtents(BSTR, unsigned long*, unsigned long*) override { return E_INVALIDARG; }
    STDMETHODIMP MsgBox(BSTR, BSTR, long, long* pl) override
    {
        *pl = IDOK;
        return S_OK;
    }
    STDMETHODIMP ChooseDir(SAFEARRAY*, long, long*, BSTR*) override { return E_ABORT; }
    STDMETHODIMP GetKillableProcess(SAFEARRAY**) override { return E_FAIL; }
    STDMETHODIMP GetProcessIdentifier(long* pl) override
    {
        *pl = 4242;
        return S_OK;
    }
    std::string m_strSeen;
};

using FdTestKit::strReadFile;

void vSet(IDiagOBPP2Cmpt* p, const char* n, const char* v)
{
    ASSERT_EQ(S_OK, p->SetParameter(FdCom::CBstr(n).bstr(), FdCom::CBstr(v).bstr()));
}

class FakeCmpt : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        char sz[MAX_PATH];
        GetTempPathA(MAX_PATH, sz);
        m_strLog = std::string(sz) + "fakecmpt_test.log";
        DeleteFileA(m_strLog.c_str());
        SetEnvironmentVariableA("FD_FAKECMPT_LOG", m_strLog.c_str());
    }
    void TearDown() override { CoUninitialize(); }

    // Binds a callback (Advise2 where offered), calls back with SEND and
    // asks for the process id through the second interface.
    void vDrive(const wchar_t* pwszProgId, DWORD dwContext, bool boExpectAdvise2)
    {
        CLSID clsid;
        ASSERT_EQ(S_OK, CLSIDFromProgID(pwszProgId, &clsid));
        IDiagOBPP2Cmpt* pCmpt = nullptr;
        ASSERT_EQ(S_OK, CoCreateInstance(clsid, nullptr, dwContext, IID_IDiagOBPP2Cmpt,
                                         reinterpret_cast<void**>(&pCmpt)));
        IDiagCmpt2OBPP2* pCb = nullptr;
        ASSERT_EQ(S_OK, FdCom::TComObject<CCallback2>::hrCreate(IID_IDiagCmpt2OBPP2, reinterpret_cast<void**>(&pCb)));
        IDiagOBPP2Cmpt2* pCmpt2 = nullptr;
        HRESULT hr = pCmpt->QueryInterface(IID_IDiagOBPP2Cmpt2, reinterpret_cast<void**>(&pCmpt2));
        unsigned long dwCookie = 0;
        if (boExpectAdvise2)
        {
            ASSERT_EQ(S_OK, hr);
            ASSERT_EQ(S_OK, pCmpt2->Advise2(pCb, &dwCookie));
            pCmpt2->Release();
        }
        else
        {
            ASSERT_EQ(E_NOINTERFACE, hr);
            ASSERT_EQ(S_OK, pCmpt->Advise(pCb, &dwCookie));
        }
        FD_HELPER(vSet(pCmpt, "VERSION", "2000"));
        ASSERT_EQ(S_OK, pCmpt->ExecuteCmd(FdCom::CBstr("SETVER").bstr()));
        FD_HELPER(vSet(pCmpt, "CB_TURL", "http://127.0.0.1/x?a=\xE9"));
        FD_HELPER(vSet(pCmpt, "CB_BFRM", "main"));
        FD_HELPER(vSet(pCmpt, "CBCMD", "SEND"));
        ASSERT_EQ(S_OK, pCmpt->ExecuteCmd(FdCom::CBstr("CALLBACK").bstr()));
        EXPECT_EQ("TURL=http://127.0.0.1/x?a=\xE9,BFRM=main,SEND;", static_cast<CCallback2*>(pCb)->m_strSeen);
        FD_HELPER(vSet(pCmpt, "METHOD", "GetProcessIdentifier"));
        ASSERT_EQ(S_OK, pCmpt->ExecuteCmd(FdCom::CBstr("CALL2").bstr()));
        EXPECT_EQ(S_OK, pCmpt->Unadvise(dwCookie));
        pCmpt->Release();
        pCb->Release();
    }
    std::string m_strLog;
};

TEST_F(FakeCmpt, LocalServerLogsEveryCallAndCallsBack)
{
    const std::string strExe = "\"" + strProgramFolder() + "FakeCmpt.exe\"";
    ASSERT_EQ(0, lRunAndWait(strExe + " /RegServer", 30000));
    FD_HELPER(vDrive(L"FdTestbed.FakeCmpt", CLSCTX_LOCAL_SERVER, true));
    ASSERT_EQ(0, lRunAndWait(strExe + " /UnregServer", 30000));
    const std::string log = strReadFile(m_strLog);
    for (const char* expected : {"|exe|Create\n", "|exe|Advise2\n", "|exe|SetParameter|VERSION|2000\n",
                                 "|exe|ExecuteCmd|SETVER\n", "|exe|ExecuteCmd|CALLBACK\n", "|exe|Result|00000000\n",
                                 "|exe|Result2|GetProcessIdentifier|00000000|4242\n", "|exe|Unadvise|1\n"})
        EXPECT_NE(std::string::npos, log.find(expected)) << expected << " missing in:\n" << log;
}

TEST_F(FakeCmpt, InProcessServerHasNoSecondBinding)
{
    const std::string strDll = "\"" + strProgramFolder() + "FakeCmptDll.dll\"";
    ASSERT_EQ(0, lRunAndWait("regsvr32.exe /s " + strDll, 30000));
    FD_HELPER(vDrive(L"FdTestbed.FakeCmptDll", CLSCTX_INPROC_SERVER, false));
    ASSERT_EQ(0, lRunAndWait("regsvr32.exe /s /u " + strDll, 30000));
    const std::string log = strReadFile(m_strLog);
    EXPECT_NE(std::string::npos, log.find("|dll|Advise\n")) << log;
    EXPECT_NE(std::string::npos, log.find("|dll|Result2|GetProcessIdentifier|no second callback\n")) << log;
}
} // namespace
