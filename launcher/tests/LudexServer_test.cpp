// Ludex.exe as a local server, from this (another) process: the XML classes
// through the marshaller, the one launcher object and its road to the
// plug-in's download, the "KillApp" box, the idle exit and ForceRemove.
#include "FdBstr.h"
#include "FdComActivate.h"
#include "FdComObject.h"
#include "LudexLib.h"
#include "LudexTestSupport.h"
#include "SampleClient.h"
#include "TestKit.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace
{
const CLSID kClsidRemoteControl = {
    0x2d201ef3, 0x6c41, 0x48b6, {0xb1, 0x67, 0xaa, 0x37, 0x80, 0x4b, 0x23, 0xbd}};

std::string g_uiLog;
DWORD g_dwXmlPid = 0;

// Releases an interface at the end of a scope.
template <class I> struct TRef
{
    I* p = nullptr;
    TRef() = default;
    TRef(const TRef&) = delete;
    TRef& operator=(const TRef&) = delete;
    ~TRef() { vReset(); }
    void vReset()
    {
        if (p)
            p->Release();
        p = nullptr;
    }
    I** pp()
    {
        vReset();
        return &p;
    }
    I* operator->() const { return p; }
};

template <class I> HRESULT hrCreate(REFCLSID clsid, REFIID iid, TRef<I>& ref)
{
    return FdCom::hrCreateInstance(clsid, CLSCTX_LOCAL_SERVER, iid, reinterpret_cast<void**>(ref.pp()));
}

// The thread that runs the server's message loop: the one whose apartment
// window COM made.
DWORD dwMainThreadOf(DWORD pid)
{
    HWND hwnd = nullptr;
    while ((hwnd = FindWindowExA(HWND_MESSAGE, hwnd, "OleMainThreadWndClass", nullptr)) != nullptr)
    {
        DWORD owner = 0;
        const DWORD tid = GetWindowThreadProcessId(hwnd, &owner);
        if (owner == pid)
            return tid;
    }
    return 0;
}

using FdTestKit::strReadFile;

// Waits, pumping messages, until the file holds text.
bool boWaitForText(const std::string& path, const std::string& text)
{
    return FdTestKit::boPumpUntil([&] { return strReadFile(path).find(text) != std::string::npos; }, 10000);
}

std::string strTempFile(const char* prefix)
{
    char dir[MAX_PATH], path[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    GetTempFileNameA(dir, prefix, 0, path);
    return path;
}

// An observer that drops the start and end tags of the elements it is told
// to, and records what it saw.
class CDropTags : public FdCom::CObjectRoot, public ILudexXmlObserver
{
public:
    FD_COM_BEGIN_MAP(CDropTags, ILudexXmlObserver)
    FD_COM_ENTRY(ILudexXmlObserver)
    FD_COM_END_MAP()

    std::string m_drop;
    std::vector<std::string> m_seen; // name|attributes|content

    STDMETHODIMP OnXmlPreProcessTag(BSTR bTag, BSTR bAttribs, BSTR* bXmlRaw, long* bModif) override
    {
        const std::string name = FdCom::strFromBstr(bTag);
        m_seen.push_back(name + "|" + FdCom::strFromBstr(bAttribs) + "|" + FdCom::strFromBstr(*bXmlRaw));
        *bModif = name == m_drop;
        if (*bModif)
        {
            SysFreeString(*bXmlRaw);
            *bXmlRaw = SysAllocString(L"");
        }
        return S_OK;
    }
};

class LudexServer : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(0, lRunAndWait("\"" + strProgramFolder() + "Ludex.exe\" /RegServer", 60000));
        // Ludex.exe, started by COM from this process, inherits the variable:
        // its message boxes are written there instead of shown.
        g_uiLog = strTempFile("lui");
        SetEnvironmentVariableA("FD_UI_LOG", g_uiLog.c_str());
    }
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr))); }
    void TearDown() override { CoUninitialize(); }

    static std::string strOf(BSTR bstr)
    {
        std::string s = FdCom::strFromBstr(bstr);
        SysFreeString(bstr);
        return s;
    }
    // The next tag named name below root (searched from root), or null.
    static long lFind(ILudexXmlTag* root, const char* name, TRef<ILudexXmlTag>& found,
                      FdTestKit::SWhere where = FdTestKit::SWhere::here())
    {
        FD_TRACE_CALLER(where);
        long got = 7;
        EXPECT_EQ(S_OK, root->GetNextTagNamed(FdCom::CBstr(name).bstr(), root, &got, found.pp()));
        EXPECT_EQ(got != 0, found.p != nullptr) << name;
        return got;
    }
};

TEST_F(LudexServer, XmlClassesFromAnotherProcess)
{
    TRef<ILudexXml> xml;
    ASSERT_EQ(S_OK, hrCreate(CLSID_LudexXml, IID_ILudexXml, xml));
    g_dwXmlPid = dwLudexPid();
    ASSERT_NE(0u, g_dwXmlPid);

    long result = -1;
    ASSERT_EQ(S_OK, xml->Load(FdCom::CBstr("STR://<a x=\"1\">t</a>").bstr(), &result));
    EXPECT_EQ(0, result);
    TRef<ILudexXmlTag> root, a, none;
    ASSERT_EQ(S_OK, xml->GetRootTag(root.pp()));
    ASSERT_NE(nullptr, root.p);
    ASSERT_EQ(1, lFind(root.p, "A", a));
    BSTR text = nullptr;
    EXPECT_EQ(S_OK, a->GetAttribute(FdCom::CBstr("X").bstr(), FdCom::CBstr("d").bstr(), &text));
    EXPECT_EQ("1", strOf(text));
    EXPECT_EQ(S_OK, a->DumpText(1, &text));
    EXPECT_EQ("t", strOf(text));
    long flag = 7;
    EXPECT_EQ(S_OK, a->IsDataTag(&flag));
    EXPECT_EQ(1, flag);
    EXPECT_EQ(0, lFind(root.p, "missing", none)) << "a miss gives no object";
    EXPECT_EQ(S_OK, root->GetNextTagNamed(FdCom::CBstr("a").bstr(), nullptr, &flag, none.pp()));
    EXPECT_EQ(0, flag) << "a walk needs its virtual root";

    // Good input: no error, no error object.
    long code = 7;
    TRef<ILudexXmlErr> err;
    EXPECT_EQ(S_OK, xml->GetLastXmlError(&code, err.pp()));
    EXPECT_EQ(0, code);
    EXPECT_EQ(nullptr, err.p);

    // The observer drops b's tags: its content stays in r.
    ILudexXmlObserver* observer = nullptr;
    ASSERT_EQ(S_OK, FdCom::TComObject<CDropTags>::hrCreate(IID_ILudexXmlObserver,
                                                           reinterpret_cast<void**>(&observer)));
    static_cast<CDropTags*>(observer)->m_drop = "b";
    EXPECT_EQ(S_OK, xml->SetObserver(observer));
    EXPECT_EQ(S_OK, xml->SetObserver(nullptr)) << "null keeps the observer";
    ASSERT_EQ(S_OK, xml->Load(FdCom::CBstr("STR://<r k=\"v\"><b>in</b>out</r>").bstr(), &result));
    EXPECT_EQ(0, result);
    EXPECT_EQ((std::vector<std::string>{"r| k=\"v\"|<b>in</b>out", "b||in"}),
              static_cast<CDropTags*>(observer)->m_seen);
    ASSERT_EQ(S_OK, xml->GetRootTag(root.pp()));
    TRef<ILudexXmlTag> r;
    ASSERT_EQ(1, lFind(root.p, "r", r));
    EXPECT_EQ(0, lFind(root.p, "b", none));
    EXPECT_EQ(S_OK, r->DumpText(0, &text));
    EXPECT_EQ("inout", strOf(text));
    observer->Release();

    // Bad input: an error object with the code and the offsets.
    ASSERT_EQ(S_OK, xml->Load(FdCom::CBstr("STR://<a></b></a>").bstr(), &result));
    code = 7;
    EXPECT_EQ(S_OK, xml->GetLastXmlError(&code, err.pp()));
    EXPECT_EQ(1, code);
    ASSERT_NE(nullptr, err.p);
    long errCode = 0, start = -1, stop = -1;
    EXPECT_EQ(S_OK, err->GetErrorCode(&errCode));
    EXPECT_EQ(S_OK, err->GetErrorOffsetStart(&start));
    EXPECT_EQ(S_OK, err->GetErrorOffsetStop(&stop));
    EXPECT_EQ(1, errCode);
    EXPECT_LE(0, start);
    EXPECT_LE(start, stop);
    EXPECT_EQ(S_OK, err->GetErrorDigest(&text));
    EXPECT_NE(std::string::npos, strOf(text).find('a')) << "the digest names the unclosed tag";

    // Tags still held answer from their own tree after a reload and after
    // the document's release.
    ASSERT_EQ(S_OK, xml->Load(FdCom::CBstr("STR://<g n=\"v\">keep</g>").bstr(), &result));
    TRef<ILudexXmlTag> g;
    ASSERT_EQ(S_OK, xml->GetRootTag(root.pp()));
    ASSERT_EQ(1, lFind(root.p, "g", g));
    ASSERT_EQ(S_OK, xml->Load(FdCom::CBstr("STR://<other/>").bstr(), &result));
    EXPECT_EQ(S_OK, g->GetAttribute(FdCom::CBstr("n").bstr(), FdCom::CBstr("").bstr(), &text));
    EXPECT_EQ("v", strOf(text));
    xml.vReset();
    EXPECT_EQ(S_OK, g->DumpXml(0, &text));
    EXPECT_EQ("\n<g n=\"v\">keep</g>", strOf(text));
    EXPECT_EQ(S_OK, a->GetName(&text));
    EXPECT_EQ("a", strOf(text));
    TRef<ILudexXmlTag> sub;
    EXPECT_EQ(S_OK, g->GetNextSubTag(g.p, &flag, sub.pp()));
    EXPECT_EQ(1, flag);
    EXPECT_EQ(S_OK, sub->IsLeafTag(&flag));
    EXPECT_EQ(1, flag);
    EXPECT_EQ(S_OK, g->GetNextSubTag(a.p, &flag, none.pp()));
    EXPECT_EQ(0, flag) << "a tag of another tree is no place to walk from";

    // Objects made by class: a tag without tree finds nothing, nor does a game
    // list attached to no list; the remote control is no class of this server.
    TRef<ILudexXmlTag> bare;
    ASSERT_EQ(S_OK, hrCreate(CLSID_LudexXmlTag, IID_ILudexXmlTag, bare));
    EXPECT_EQ(S_OK, bare->GetNextSubTag(bare.p, &flag, none.pp()));
    EXPECT_EQ(0, flag);
    TRef<IZeltoGameList> games;
    ASSERT_EQ(S_OK, hrCreate(CLSID_ZeltoGameList, IID_IZeltoGameList, games));
    long count = 7;
    EXPECT_EQ(S_FALSE, games->Count(&count));
    EXPECT_EQ(0, count);
    TRef<IUnknown> unknown;
    EXPECT_EQ(REGDB_E_CLASSNOTREG, hrCreate(kClsidRemoteControl, IID_IUnknown, unknown));
    EXPECT_EQ(g_dwXmlPid, dwLudexPid());
}

// Runs right after the XML test released its objects: the creation falls in
// the idle window and reaches the same process.
TEST_F(LudexServer, OneLauncherObjectItsDownloadTheKillAppBoxAndTheIdleExit)
{
    ASSERT_NE(0u, g_dwXmlPid) << "runs after XmlClassesFromAnotherProcess";
    TRef<IDiagOBPP2Cmpt> first, second;
    ASSERT_EQ(S_OK, hrCreate(CLSID_LudexOBPPLauncher, IID_IDiagOBPP2Cmpt, first));
    ASSERT_EQ(S_OK, hrCreate(CLSID_LudexOBPPLauncher, IID_IDiagOBPP2Cmpt, second));
    EXPECT_EQ(g_dwXmlPid, dwLudexPid()) << "a creation within the idle window keeps the process";
    TRef<IUnknown> id1, id2;
    first->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(id1.pp()));
    second->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(id2.pp()));
    EXPECT_EQ(id1.p, id2.p) << "every client gets the same object";

    // "dowk" with "lscr": the plug-in is asked for the script.
    IDiagCmpt2OBPP* callback = nullptr;
    ASSERT_EQ(S_OK, FdCom::TComObject<CRecordingCallback>::hrCreate(IID_IDiagCmpt2OBPP,
                                                                    reinterpret_cast<void**>(&callback)));
    auto* recorder = static_cast<CRecordingCallback*>(callback);
    unsigned long cookie = 7;
    ASSERT_EQ(S_OK, first->Advise(callback, &cookie));
    const std::string script = "http://127.0.0.1:9/ludex-script.xml";
    ASSERT_EQ(S_OK, second->SetParameter(FdCom::CBstr("lscr").bstr(), FdCom::CBstr(script).bstr()));
    ASSERT_EQ(S_OK, second->ExecuteCmd(FdCom::CBstr("dowk").bstr()));
    ASSERT_TRUE(recorder->boWaitForCommands(1, 10000));
    EXPECT_EQ("DOWNLOAD2", recorder->commands()[0].strCmd);
    EXPECT_EQ((std::vector<std::pair<std::string, std::string>>{{"URL", script}}),
              recorder->commands()[0].params);

    // The plug-in's answer names two files: both go with the object.
    const std::string file1 = strTempFile("ld1"), file2 = strTempFile("ld2");
    std::ofstream(file2) << "<ludexs.launch/>";
    first->SetParameter(FdCom::CBstr("DLURL").bstr(), FdCom::CBstr(script).bstr());
    first->SetParameter(FdCom::CBstr("DLPATH").bstr(), FdCom::CBstr(file1).bstr());
    first->SetParameter(FdCom::CBstr("DLPATH").bstr(), FdCom::CBstr(file2).bstr());
    EXPECT_EQ(S_OK, first->ExecuteCmd(FdCom::CBstr("DlDone").bstr()));

    // 0x62D shows the box, and the loop goes on serving.
    const DWORD mainThread = dwMainThreadOf(g_dwXmlPid);
    ASSERT_NE(0u, mainThread);
    ASSERT_TRUE(PostThreadMessageA(mainThread, 0x62D, 0, 0));
    EXPECT_TRUE(boWaitForText(g_uiLog, "MSGBOX|0|LudexDebug|KillApp")) << strReadFile(g_uiLog);
    EXPECT_EQ(S_OK, first->ExecuteCmd(FdCom::CBstr("docf").bstr()));
    FdCom::CBstr value;
    EXPECT_EQ(E_NOTIMPL, first->GetParameter(FdCom::CBstr("x").bstr(), value.pbstrOut()));

    // The last release: the process ends by itself, deleting the files.
    EXPECT_EQ(S_OK, first->Unadvise(cookie));
    callback->Release();
    first.vReset();
    second.vReset();
    id1.vReset();
    id2.vReset();
    EXPECT_TRUE(boWaitForExit(g_dwXmlPid));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(file1.c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(file2.c_str()));
}

TEST_F(LudexServer, ForceRemoveEndsTheProcessWhileReferencesAreHeld)
{
    TRef<IDiagOBPP2Cmpt> launcher;
    ASSERT_EQ(S_OK, hrCreate(CLSID_LudexOBPPLauncher, IID_IDiagOBPP2Cmpt, launcher));
    const DWORD pid = dwLudexPid();
    ASSERT_NE(0u, pid);
    EXPECT_NE(g_dwXmlPid, pid);
    TRef<ILudexXml> xml;
    ASSERT_EQ(S_OK, hrCreate(CLSID_LudexXml, IID_ILudexXml, xml));
    EXPECT_EQ(S_OK, launcher->ForceRemove());
    EXPECT_TRUE(boWaitForExit(pid));
}
} // namespace
