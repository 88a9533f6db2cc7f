// The launcher component in process, between a recording callback (the
// plug-in's side) and a fake manager.
#include "FdBstr.h"
#include "LudexOBPPLauncher.h"
#include "SampleClient.h"
#include "TestKit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
// What the component handed the manager, one line per call.
std::vector<std::string> g_calls;
int g_mgrsAlive = 0;
int g_mgrsMade = 0;
IScriptMgrSink* g_sink = nullptr;

class CFakeMgr : public IScriptMgr
{
public:
    CFakeMgr() { ++g_mgrsAlive, ++g_mgrsMade; }
    ~CFakeMgr() override { --g_mgrsAlive; }
    void SetComponent(IScriptMgrSink* sink) override { g_sink = sink; }
    void OnParameter(const CStringExt& name, const CStringExt& value) override
    {
        g_calls.push_back("param " + name + "=" + value);
    }
    void Ignition() override { g_calls.push_back("ignition"); }
    void OnDownloadEnd(const CStringExt& url, const CStringExt& path, bool error) override
    {
        g_calls.push_back("end " + url + " " + path + (error ? " error" : " ok"));
    }
    void OpenGameDialog(uint32_t menuId) override { g_calls.push_back("dialog " + std::to_string(menuId)); }
    void OnCommand(const CStringExt& word) override
    {
        g_calls.push_back("command " + word);
        // "reenter": the engine asks the page for a download, and the page's
        // answer is to remove the component, inside that call.
        if (word == "reenter" && g_sink)
        {
            m_running = true;
            g_sink->RequestHostDownload(CStringExt("http://page/x"), CStringExt());
            g_calls.push_back(std::string("still here, alive ") + std::to_string(g_mgrsAlive));
            m_running = false;
        }
    }
    bool IsRunningEngine() const override { return m_running; }
    bool m_running = false;
};

std::unique_ptr<IScriptMgr> MakeFakeMgr()
{
    return std::unique_ptr<IScriptMgr>(new CFakeMgr());
}

class LudexComponent : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        g_calls.clear();
        g_mgrsAlive = g_mgrsMade = 0;
        g_sink = nullptr;
        CLudexOBPPLauncher::vSetMgrFactory(MakeFakeMgr);
        ASSERT_EQ(S_OK, FdCom::TComObject<CLudexOBPPLauncher>::hrCreate(IID_IDiagOBPP2Cmpt,
                                                                        reinterpret_cast<void**>(&m_cmpt)));
    }
    void TearDown() override
    {
        if (m_cmpt)
            m_cmpt->Release();
        for (IDiagCmpt2OBPP* cb : m_callbacks)
            cb->Release();
        EXPECT_EQ(0, g_mgrsAlive) << "the manager goes with the object";
        EXPECT_EQ(0, FdCom::CModule::Get().lLockCount());
        CoUninitialize();
    }
    CRecordingCallback* pAdvise(FdTestKit::SWhere where = FdTestKit::SWhere::here())
    {
        FD_TRACE_CALLER(where);
        IDiagCmpt2OBPP* cb = nullptr;
        EXPECT_EQ(S_OK, FdCom::TComObject<CRecordingCallback>::hrCreate(IID_IDiagCmpt2OBPP,
                                                                        reinterpret_cast<void**>(&cb)));
        m_callbacks.push_back(cb);
        unsigned long cookie = 99;
        EXPECT_EQ(S_OK, m_cmpt->Advise(cb, &cookie));
        EXPECT_EQ(0u, cookie);
        return static_cast<CRecordingCallback*>(cb);
    }
    HRESULT hrSet(const char* name, const std::string& value)
    {
        return m_cmpt->SetParameter(FdCom::CBstr(name).bstr(), FdCom::CBstr(value).bstr());
    }
    HRESULT hrRun(const char* word) { return m_cmpt->ExecuteCmd(FdCom::CBstr(word).bstr()); }

    IDiagOBPP2Cmpt* m_cmpt = nullptr;
    std::vector<IDiagCmpt2OBPP*> m_callbacks;
};

std::string strTempFile(const char* prefix)
{
    char dir[MAX_PATH], path[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    GetTempFileNameA(dir, prefix, 0, path); // creates it
    return path;
}

TEST_F(LudexComponent, BeforeAdviseCommandsAndParametersAreDropped)
{
    EXPECT_EQ(S_OK, hrRun("docf"));
    EXPECT_EQ(S_OK, hrRun("dowk"));
    EXPECT_EQ(S_OK, hrSet("lscr", "x.xml"));
    EXPECT_EQ(0, g_mgrsMade);
    EXPECT_TRUE(g_calls.empty());
}

TEST_F(LudexComponent, WordsReachTheManagerInAnyCase)
{
    pAdvise();
    ASSERT_EQ(1, g_mgrsMade);
    const std::string path = strTempFile("ldx");
    EXPECT_EQ(S_OK, hrSet("DLURL", "http://127.0.0.1/a.xml"));
    EXPECT_EQ(S_OK, hrSet("dlpath", path));
    for (const char* word : {"DlDone", "dlerr", "DOWK", "DocF", "join"})
        EXPECT_EQ(S_OK, hrRun(word)) << word;
    EXPECT_EQ((std::vector<std::string>{
                  "param DLURL=http://127.0.0.1/a.xml", "end http://127.0.0.1/a.xml " + path + " ok",
                  "end http://127.0.0.1/a.xml " + path + " error", "ignition", "dialog 558", "command join"}),
              g_calls);
    FdCom::CBstr value;
    EXPECT_EQ(E_NOTIMPL, m_cmpt->GetParameter(FdCom::CBstr("lscr").bstr(), value.pbstrOut()));
    EXPECT_EQ(nullptr, value.bstr()) << "the output is not touched";
}

// Both paths are remembered and deleted with the object; the end reports the
// second one.
TEST_F(LudexComponent, TwoPathsBeforeTheEndReportTheSecondAndBothGoWithTheObject)
{
    pAdvise();
    const std::string first = strTempFile("ld1"), second = strTempFile("ld2");
    hrSet("DLPATH", first);
    hrSet("DLPATH", second);
    hrRun("dldone");
    EXPECT_EQ((std::vector<std::string>{"end  " + second + " ok"}), g_calls);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(first.c_str()));
    m_cmpt->Release();
    m_cmpt = nullptr;
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(first.c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(second.c_str()));
}

TEST_F(LudexComponent, TheHostLinkGoesToTheCurrentCallback)
{
    CRecordingCallback* first = pAdvise();
    CRecordingCallback* second = pAdvise();
    EXPECT_EQ(1, g_mgrsMade) << "a second Advise keeps the manager";
    ASSERT_NE(nullptr, g_sink);
    hrSet("DLURL", "old");
    EXPECT_EQ(0, g_sink->RequestHostDownload("http://127.0.0.1/s.xml", "ignored"));
    g_sink->NavigateHostFrame("http://127.0.0.1/r.htm", "main");
    EXPECT_TRUE(first->commands().empty());
    ASSERT_EQ(2u, second->commands().size());
    EXPECT_EQ("DOWNLOAD2", second->commands()[0].strCmd);
    EXPECT_EQ((std::vector<std::pair<std::string, std::string>>{{"URL", "http://127.0.0.1/s.xml"}}),
              second->commands()[0].params);
    EXPECT_EQ("SEND", second->commands()[1].strCmd);
    EXPECT_EQ((std::vector<std::pair<std::string, std::string>>{{"TURL", "http://127.0.0.1/r.htm"},
                                                                {"BFRM", "main"}}),
              second->commands()[1].params);
    g_calls.clear();
    hrRun("DLERR");
    EXPECT_EQ((std::vector<std::string>{"end   error"}), g_calls) << "the download texts were emptied";

    EXPECT_EQ(S_OK, m_cmpt->Unadvise(0));
    g_sink->NavigateHostFrame("x", "y");
    EXPECT_EQ(2u, second->commands().size()) << "no callback after Unadvise";
    EXPECT_EQ(1, g_mgrsAlive) << "the manager stays";
}

TEST_F(LudexComponent, ForceRemoveEndsTheManagerAndTheLoop)
{
    pAdvise();
    FdTestKit::vDiscardWaiting();
    EXPECT_EQ(S_OK, m_cmpt->ForceRemove());
    MSG msg;
    EXPECT_EQ(0, g_mgrsAlive);
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(S_OK, hrRun("dowk")) << "no manager any more";
    EXPECT_TRUE(g_calls.empty());
}
} // namespace

namespace
{
IDiagOBPP2Cmpt* g_removed = nullptr;

// A page that removes the component when it is asked for a download.
class CRemovingCallback : public CRecordingCallback
{
public:
    STDMETHODIMP ExecuteCmd(BSTR name) override
    {
        if (FdCom::strFromBstr(name) == "DOWNLOAD2" && g_removed)
            g_removed->ForceRemove();
        return CRecordingCallback::ExecuteCmd(name);
    }
};
} // namespace

// The page goes while the engine runs one of its calls (the removal arrives
// in the call's modal loop): the manager is not destroyed under the call; it
// hears nothing more and goes with the object.
TEST_F(LudexComponent, ForceRemoveInsideAnEngineCallWaitsForTheCallToUnwind)
{
    IDiagCmpt2OBPP* cb = nullptr;
    ASSERT_EQ(S_OK, FdCom::TComObject<CRemovingCallback>::hrCreate(IID_IDiagCmpt2OBPP,
                                                                   reinterpret_cast<void**>(&cb)));
    m_callbacks.push_back(cb);
    unsigned long cookie = 0;
    ASSERT_EQ(S_OK, m_cmpt->Advise(cb, &cookie));
    g_removed = m_cmpt;
    EXPECT_EQ(S_OK, hrRun("reenter"));
    g_removed = nullptr;
    EXPECT_EQ((std::vector<std::string>{"command reenter", "still here, alive 1"}), g_calls);
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(S_OK, hrRun("later")) << "no manager any more";
    EXPECT_EQ(2u, g_calls.size());
    EXPECT_EQ(1, g_mgrsAlive) << "it goes with the object";
}
