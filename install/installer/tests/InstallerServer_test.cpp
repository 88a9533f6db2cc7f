// installer.exe out of process, driven by this test playing the game plug-in:
// a recording IDiagCmpt2OBPP that answers DOWNLOAD from local files (the
// address is a path under DL_BASE), as the plug-in answers from the network.
#include "FdBstr.h"
#include "FdComActivate.h"
#include "FdComObject.h"
#include "InstallTexts.h"
#include "Installer_h.h"
#include "TestKit.h"
#include "TestHelper.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>
#include <windows.h>

#include <cstdio>
#include <functional>
#include <list>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace
{
const char kClsid[] = "{7B6BF370-EEB1-11D3-BCAB-0050044976E7}";
const char kFakeClsid[] = "{D0C4FE1E-7319-4C08-8E2A-B6D70E44ABDA}";
const char kFakeDllClsid[] = "{40C79732-961D-423C-907E-E78BEC0325EF}";
constexpr DWORD kWaitMs = 30000; // bound of every wait for the server

struct SCommand
{
    std::string strName;
    std::map<std::string, std::string> params;
};

// The plug-in's callback, recording what the installer asks.
class CRecordingPlugin : public FdCom::CObjectRoot, public IDiagCmpt2OBPP
{
public:
    FD_COM_BEGIN_MAP(CRecordingPlugin, IDiagCmpt2OBPP)
    FD_COM_ENTRY(IDiagCmpt2OBPP)
    FD_COM_END_MAP()

    STDMETHODIMP ExecuteCmd(BSTR bstrName) override
    {
        SCommand c;
        c.strName = FdCom::strFromBstr(bstrName);
        c.params.swap(m_pending);
        if (c.strName == "DOWNLOAD")
            m_toAnswer.push_back(c.params["URL"]);
        commands.push_back(c);
        return S_OK;
    }
    STDMETHODIMP SetParameter(BSTR bstrName, BSTR bstrValue) override
    {
        m_pending[FdCom::strFromBstr(bstrName)] = FdCom::strFromBstr(bstrValue);
        return S_OK;
    }
    // The installer never asks the plug-in for a value nor says it leaves: such a call fails the test.
    STDMETHODIMP GetParameter(BSTR, BSTR*) override { return hrUnexpected("GetParameter"); }
    STDMETHODIMP CmptOut() override { return hrUnexpected("CmptOut"); }

    // Answers the downloads asked so far: a copy of the local file named by the
    // address in the download folder (DLDONE), or DLERR when there is none.
    void vAnswer(IDiagOBPP2Cmpt* lpInstaller)
    {
        std::vector<std::string> urls;
        urls.swap(m_toAnswer);
        for (const std::string& url : urls)
        {
            const std::string name = url.substr(url.find_last_of("\\/") + 1);
            const std::string copy = strDownloadFolder + std::to_string(++m_iFiles) + "_" + name;
            if (CopyFileA(url.c_str(), copy.c_str(), FALSE))
            {
                lpInstaller->SetParameter(FdCom::CBstr("DLPATH").bstr(), FdCom::CBstr(copy).bstr());
                lpInstaller->SetParameter(FdCom::CBstr("DLURL").bstr(), FdCom::CBstr(url).bstr());
                lpInstaller->ExecuteCmd(FdCom::CBstr("DLDONE").bstr());
            }
            else
            {
                lpInstaller->SetParameter(FdCom::CBstr("DLPATH").bstr(), FdCom::CBstr("").bstr());
                lpInstaller->SetParameter(FdCom::CBstr("DLURL").bstr(), FdCom::CBstr(url).bstr());
                lpInstaller->ExecuteCmd(FdCom::CBstr("DLERR").bstr());
            }
        }
    }

    std::vector<SCommand> named(const std::string& strName) const
    {
        std::vector<SCommand> out;
        for (const SCommand& c : commands)
            if (c.strName == strName)
                out.push_back(c);
        return out;
    }

    std::vector<SCommand> commands;
    std::string strDownloadFolder;

private:
    static HRESULT hrUnexpected(const char* method)
    {
        ADD_FAILURE() << "unexpected call IDiagCmpt2OBPP::" << method;
        return E_UNEXPECTED;
    }

    std::map<std::string, std::string> m_pending;
    std::vector<std::string> m_toAnswer;
    int m_iFiles = 0;
};

std::string strEnvFolder(const char* lpszVar)
{
    const char* p = std::getenv(lpszVar);
    std::string s = std::string("Z:") + (p ? p : "");
    for (char& c : s)
        if (c == '/')
            c = '\\';
    return s + "\\";
}

std::string strFixtures()
{
    return strEnvFolder("FD_SOURCE_DIR") + "install\\installer\\tests\\fixtures\\";
}

bool boRegKey(HKEY hRoot, const std::string& strKey)
{
    HKEY h = nullptr;
    if (RegOpenKeyExA(hRoot, strKey.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    RegCloseKey(h);
    return true;
}

std::string strRegText(HKEY hRoot, const std::string& strKey, const char* lpszName)
{
    char sz[1024] = {};
    DWORD dw = sizeof sz - 1;
    if (RegGetValueA(hRoot, strKey.c_str(), lpszName, RRF_RT_REG_SZ, nullptr, sz, &dw) != ERROR_SUCCESS)
        return "<none>";
    return sz;
}

std::set<std::string> subkeys(HKEY hRoot, const char* lpszKey)
{
    std::set<std::string> out;
    HKEY h = nullptr;
    if (RegOpenKeyExA(hRoot, lpszKey, 0, KEY_READ, &h) != ERROR_SUCCESS)
        return out;
    char sz[512];
    for (DWORD i = 0;; ++i)
    {
        DWORD n = sizeof sz;
        if (RegEnumKeyExA(h, i, sz, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        out.insert(std::string(lpszKey) + "\\" + sz);
    }
    RegCloseKey(h);
    return out;
}

// The keys that registration may touch.
std::set<std::string> registrationKeys()
{
    std::set<std::string> all;
    for (const char* k : {"", "CLSID", "AppID", "TypeLib", "Interface"})
    {
        const auto s = subkeys(HKEY_CLASSES_ROOT, k);
        all.insert(s.begin(), s.end());
    }
    return all;
}

DWORD dwRun(const std::string& strCommandLine)
{
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string cmd = strCommandLine;
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return 0xFFFFFFFF;
    CloseHandle(pi.hThread);
    DWORD dwExit = 0xFFFFFFFE;
    if (WaitForSingleObject(pi.hProcess, kWaitMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &dwExit);
    CloseHandle(pi.hProcess);
    return dwExit;
}

// Processes of this prefix by executable name.
std::vector<DWORD> processesNamed(const char* lpszName)
{
    std::vector<DWORD> ids;
    HANDLE hSnap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 pe = {};
    pe.dwSize = sizeof pe;
    for (BOOL ok = Process32First(hSnap, &pe); ok; ok = Process32Next(hSnap, &pe))
        if (lstrcmpiA(pe.szExeFile, lpszName) == 0)
            ids.push_back(pe.th32ProcessID);
    CloseHandle(hSnap);
    return ids;
}

// One installer activation with its recording plug-in and a folder of its own.
class InstallerServer : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ASSERT_EQ(0u, dwRun("\"" + FdTestKit::strProgramFolder() + "installer.exe\" /RegServer"));
    }

    void SetUp() override
    {
        // Each test takes a folder of its own; they all stay until the program
        // ends, because a component an install registered there keeps its
        // type library registered in it and later activations read it.
        m_dir = s_folders.emplace_back(FdTestKit::SWhere::here()).Path() + "\\";
        m_install = m_dir + "inst";
        CreateDirectoryA(m_install.c_str(), nullptr);
        CreateDirectoryA((m_dir + "dl").c_str(), nullptr);
        HKEY h = nullptr;
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\FdGame", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h,
                        nullptr);
        RegSetValueExA(h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(m_install.c_str()),
                       static_cast<DWORD>(m_install.size() + 1));
        RegCloseKey(h);
        SetEnvironmentVariableA("FD_UI_LOG", (m_dir + "ui.log").c_str());
        SetEnvironmentVariableA("FD_TESTPROG_LOG", (m_dir + "prog.log").c_str());
        ASSERT_TRUE(processesNamed("installer.exe").empty()) << "an installer of an earlier test still runs";

        ASSERT_EQ(S_OK, FdCom::TComObject<CRecordingPlugin>::hrCreateObject(&m_plugin));
        m_plugin->strDownloadFolder = m_dir + "dl\\";
        CLSID clsid;
        ASSERT_EQ(S_OK, CLSIDFromProgID(L"FDGame.Installer.1", &clsid));
        ASSERT_EQ(S_OK, FdCom::hrCreateInstance(clsid, CLSCTX_LOCAL_SERVER, IID_IDiagOBPP2Cmpt,
                                                reinterpret_cast<void**>(&m_installer)));
        const auto ids = processesNamed("installer.exe");
        ASSERT_EQ(1u, ids.size());
        m_hProcess = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE, FALSE, ids[0]);
        ASSERT_NE(nullptr, m_hProcess);
    }

    void TearDown() override
    {
        if (m_installer)
        {
            // A server left up by a failed check ends as the plug-in would end it.
            if (m_hProcess && boServerAlive())
            {
                m_installer->ForceRemove();
                boServerEnded();
            }
            m_installer->Release();
        }
        if (m_plugin)
            m_plugin->Release();
        if (m_hProcess)
        {
            if (WaitForSingleObject(m_hProcess, 0) == WAIT_TIMEOUT)
                TerminateProcess(m_hProcess, 99);
            WaitForSingleObject(m_hProcess, kWaitMs);
            CloseHandle(m_hProcess);
        }
        for (DWORD id : processesNamed("gameplugin_testprog.exe"))
        {
            HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
            TerminateProcess(h, 0);
            WaitForSingleObject(h, kWaitMs);
            CloseHandle(h);
        }
    }

    // A new server, started with this test process's environment as it is now.
    void vRestart()
    {
        TearDown();
        m_installer = nullptr;
        m_plugin = nullptr;
        m_hProcess = nullptr;
        SetUp();
    }

    void vSet(const char* lpszName, const std::string& strValue)
    {
        ASSERT_EQ(S_OK,
                  m_installer->SetParameter(FdCom::CBstr(lpszName).bstr(), FdCom::CBstr(strValue).bstr()));
    }
    HRESULT hrCommand(const char* lpszCommand)
    {
        return m_installer->ExecuteCmd(FdCom::CBstr(lpszCommand).bstr());
    }

    // The parameters a page gives, the callback, then INSTALL of a script
    // written into the test's folder; downloads come from DL_BASE.
    void vInstall(const std::string& strScript, const std::string& strDlBase)
    {
        const std::string strScriptPath = m_dir + "script.txt";
        HANDLE h = CreateFileA(strScriptPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD dw = 0;
        WriteFile(h, strScript.data(), static_cast<DWORD>(strScript.size()), &dw, nullptr);
        CloseHandle(h);
        FD_HELPER(vSet("FILE", strScriptPath));
        FD_HELPER(vSet("JOBID", "3"));
        FD_HELPER(vSet("APPID", "12"));
        FD_HELPER(vSet("RESURL1", "http://127.0.0.1/r1.htm"));
        FD_HELPER(vSet("RESURL2", "http://127.0.0.1/r2.htm"));
        FD_HELPER(vSet("ERRURL", "http://127.0.0.1/err.htm"));
        FD_HELPER(vSet("RESFRM1", "f1"));
        FD_HELPER(vSet("RESFRM2", "f2"));
        FD_HELPER(vSet("ERRFRM", "ferr"));
        FD_HELPER(vSet("DL_BASE", strDlBase));
        unsigned long ulCookie = 99;
        ASSERT_EQ(S_OK, m_installer->Advise(m_plugin, &ulCookie));
        EXPECT_EQ(0u, ulCookie);
        ASSERT_EQ(S_OK, hrCommand("INSTALL"));
    }

    // Pumps this apartment and answers downloads until the condition holds or
    // the bound passes.
    bool boPumpUntil(const std::function<bool()>& done, DWORD dwMs = kWaitMs)
    {
        return FdTestKit::boPumpUntil(
            [&]()
            {
                m_plugin->vAnswer(m_installer);
                return done();
            },
            dwMs);
    }
    bool boServerEnded(DWORD dwMs = kWaitMs)
    {
        return boPumpUntil([&]() { return WaitForSingleObject(m_hProcess, 0) == WAIT_OBJECT_0; }, dwMs);
    }
    bool boServerAlive() { return WaitForSingleObject(m_hProcess, 0) == WAIT_TIMEOUT; }
    DWORD dwServerExit()
    {
        DWORD dw = 0xFFFFFFFF;
        GetExitCodeProcess(m_hProcess, &dw);
        return dw;
    }
    std::vector<std::string> boxes() const
    {
        std::vector<std::string> out;
        if (!FdTestKit::boFileExists(m_dir + "ui.log"))
            return out;
        std::istringstream in(FdTestKit::strReadFile(m_dir + "ui.log"));
        std::string line;
        while (std::getline(in, line))
            out.push_back(line);
        return out;
    }
    size_t ulSends() const { return m_plugin->named("SEND").size(); }

    static inline std::list<FdTestKit::CScratchFolder> s_folders;
    std::string m_dir, m_install;
    CRecordingPlugin* m_plugin = nullptr;
    IDiagOBPP2Cmpt* m_installer = nullptr;
    HANDLE m_hProcess = nullptr;
};

void vExpectError(const SCommand& send, const char* lpszNumErr)
{
    EXPECT_EQ("12", send.params.at("APPID"));
    EXPECT_EQ("3", send.params.at("JOBID"));
    EXPECT_EQ(lpszNumErr, send.params.at("NUMERR"));
    EXPECT_EQ("http://127.0.0.1/err.htm", send.params.at("TURL"));
    EXPECT_EQ("ferr", send.params.at("BFRM"));
}
} // namespace

// Registration writes exactly the installer's keys, and removal takes them all away.
TEST(InstallerRegistration, RegServerAndUnregServerAnyCaseAfterDashOrSlash)
{
    const std::string exe = "\"" + FdTestKit::strProgramFolder() + "installer.exe\"";
    const std::set<std::string> before = registrationKeys();
    ASSERT_FALSE(boRegKey(HKEY_CLASSES_ROOT, std::string("CLSID\\") + kClsid));
    for (const auto& sw :
         {std::make_pair("-regserver", "/unregserver"), std::make_pair("/REGSERVER", "-UnRegServer")})
    {
        ASSERT_EQ(0u, dwRun(exe + " " + sw.first)) << sw.first;
        std::set<std::string> added;
        for (const std::string& k : registrationKeys())
            if (!before.count(k))
                added.insert(k);
        const std::set<std::string> expected = {
            std::string("CLSID\\") + kClsid,
            "\\FDGame.Installer.1",
            "\\FDGame.Installer",
            "AppID\\{63C43600-34EF-11D2-94F6-204C4F4F5020}",
            "AppID\\installer.exe",
            "TypeLib\\{0B2E0C58-6A43-4D5E-9F6B-3C1E8A4D2F71}",
            "Interface\\{74E53A83-0EDA-11D4-84F9-00500448008D}",
            "Interface\\{74E53A84-0EDA-11D4-84F9-00500448008D}",
        };
        EXPECT_EQ(expected, added) << sw.first;
        const std::string clsidKey = std::string("CLSID\\") + kClsid;
        EXPECT_EQ("Installer Class", strRegText(HKEY_CLASSES_ROOT, clsidKey, nullptr));
        EXPECT_EQ(FdTestKit::strProgramFolder() + "installer.exe",
                  strRegText(HKEY_CLASSES_ROOT, clsidKey + "\\LocalServer32", nullptr));
        EXPECT_EQ("{63C43600-34EF-11D2-94F6-204C4F4F5020}", strRegText(HKEY_CLASSES_ROOT, clsidKey, "AppID"));
        EXPECT_EQ("Installer",
                  strRegText(HKEY_CLASSES_ROOT, "AppID\\{63C43600-34EF-11D2-94F6-204C4F4F5020}", nullptr));
        EXPECT_EQ("{63C43600-34EF-11D2-94F6-204C4F4F5020}",
                  strRegText(HKEY_CLASSES_ROOT, "AppID\\installer.exe", "AppID"));
        EXPECT_EQ(kClsid, strRegText(HKEY_CLASSES_ROOT, "FDGame.Installer.1\\CLSID", nullptr));
        EXPECT_EQ("FDGame.Installer.1", strRegText(HKEY_CLASSES_ROOT, "FDGame.Installer\\CurVer", nullptr));

        ASSERT_EQ(0u, dwRun(exe + " " + sw.second)) << sw.second;
        EXPECT_EQ(before, registrationKeys()) << sw.second;
    }
    EXPECT_TRUE(processesNamed("installer.exe").empty()) << "registration only";
}

TEST_F(InstallerServer, DownloadAnswersBeforeInstall)
{
    FD_HELPER(vSet("APPID", "12"));
    FD_HELPER(vSet("JOBID", "3"));
    FD_HELPER(vSet("ERRURL", "http://127.0.0.1/err.htm"));
    FD_HELPER(vSet("ERRFRM", "ferr"));
    unsigned long ulCookie = 0;
    ASSERT_EQ(S_OK, m_installer->Advise(m_plugin, &ulCookie));

    const std::string missing = m_dir + "nothing.txt";
    FD_HELPER(vSet("dlpath", missing));
    ASSERT_EQ(S_OK, hrCommand("dldone"));
    ASSERT_EQ(1u, m_plugin->commands.size()) << "answered on the calling thread";
    FD_HELPER(vExpectError(m_plugin->commands[0], "1"));
    EXPECT_EQ(missing, m_plugin->commands[0].params.at("FILE"));
    EXPECT_EQ(6u, m_plugin->commands[0].params.size());

    FD_HELPER(vSet("DLURL", "http://127.0.0.1/s.txt"));
    ASSERT_EQ(S_OK, hrCommand("DLERR"));
    ASSERT_EQ(2u, m_plugin->commands.size());
    FD_HELPER(vExpectError(m_plugin->commands[1], "2"));
    EXPECT_EQ("http://127.0.0.1/s.txt", m_plugin->commands[1].params.at("FILE"));

    BSTR bstr = reinterpret_cast<BSTR>(1);
    EXPECT_EQ(S_OK, m_installer->GetParameter(FdCom::CBstr("FILE").bstr(), &bstr));
    EXPECT_EQ(nullptr, bstr);
    EXPECT_TRUE(boServerAlive()) << "errors leave the server up";
    ASSERT_EQ(S_OK, m_installer->ForceRemove());
    EXPECT_TRUE(boServerEnded());
    EXPECT_EQ(0u, dwServerExit());
}

// A complete run: the test fails, the files come through DOWNLOAD, the verbs
// copy (expanding SZDD), copy by version and by date, register a program and
// a library and write the registry; the result goes to RESURL1 and the
// server ends. A second run finds the test satisfied and answers RESURL2.
TEST_F(InstallerServer, CompleteRunsEndTheServer)
{
    const std::string bin = FdTestKit::strProgramFolder();
    // ver.dll and ver2.dll are installed at 1,2,0,3 with a trailer that a copy removes.
    std::string verDll;
    ASSERT_TRUE(FdTestKit::boReadFile(bin + "installer_testver.dll", &verDll));
    for (const char* name : {"\\ver.dll", "\\ver2.dll"})
    {
        HANDLE h =
            CreateFileA((m_install + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD dw = 0;
        const std::string bytes = verDll + "OLD";
        WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &dw, nullptr);
        CloseHandle(h);
    }
    CopyFileA((strFixtures() + "readme.txt_").c_str(), (bin + "readme.txt_").c_str(), FALSE);
    const std::string script =
        "// the fake component and a document\r\n"
        "[INSTALL]\r\n[TEST]\r\n[REGISTRY]\r\n"
        "HKEY_LOCAL_MACHINE\\Software\\FdGame\\FakeCmpt;Version;V>=;1.0.0.1\r\n"
        "[DL]\r\nreadme.txt_;01/01/2002 "
        "10:30:00\r\ninstaller_testver.dll\r\nFakeCmpt.exe\r\nFakeCmptDll.dll\r\n"
        "installer_testver.dll\r\n"
        "[ACTIONS]\r\nMD:0;docs\r\nCOPY:1;docs\\readme.txt\r\nCOPYVER:2;ver.dll;1,2,0,3\r\n"
        "COPYVER:5;ver2.dll;1,2,0,4\r\nCOPYDATE:3;FakeCmpt.exe\r\nREGISTER:3\r\nREGISTER:4\r\n"
        "REGISTRY:0;HKEY_LOCAL_MACHINE\\Software\\FdGame\\FakeCmpt;Version;S;1.0.0.1\r\n"
        "REGISTRY:0;HKEY_LOCAL_MACHINE\\Software\\FdGame\\FakeCmpt;CLSID;S;" +
        std::string(kFakeClsid) +
        "\r\n"
        "[TEXT]\r\n1;Composant install\xE9\r\n"
        "[END]\r\n";
    FD_HELPER(vInstall(script, bin));
    ASSERT_TRUE(boServerEnded()) << "the run ends the server";
    EXPECT_EQ(0u, dwServerExit());

    std::vector<std::string> urls;
    for (const SCommand& c : m_plugin->named("DOWNLOAD"))
        urls.push_back(c.params.at("URL"));
    ASSERT_EQ(6u, urls.size());
    EXPECT_EQ(m_dir + "script.txt", urls[0]);
    EXPECT_EQ(bin + "readme.txt_", urls[1]);
    EXPECT_EQ(bin + "FakeCmptDll.dll", urls[4]);

    // COPY: the original bytes with the [DL] time (an hour earlier, as dates are read).
    const std::string readme = m_install + "\\docs\\readme.txt";
    EXPECT_EQ(FdTestKit::strReadFile(strFixtures() + "readme.txt"), FdTestKit::strReadFile(readme));
    HANDLE h = CreateFileA(readme.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME ftWrite = {};
    GetFileTime(h, nullptr, nullptr, &ftWrite);
    CloseHandle(h);
    EXPECT_EQ(FdInstall::ftFromCalendar(2002, 1, 1, 9, 30, 0),
              (static_cast<uint64_t>(ftWrite.dwHighDateTime) << 32) | ftWrite.dwLowDateTime);
    // COPYVER: not below 1,2,0,3 keeps the installed file; below 1,2,0,4 copies.
    EXPECT_EQ(verDll + "OLD", FdTestKit::strReadFile(m_install + "\\ver.dll"));
    EXPECT_EQ(verDll, FdTestKit::strReadFile(m_install + "\\ver2.dll"));
    // COPYDATE onto a missing file, then REGISTER of the program and the library.
    EXPECT_EQ(FdTestKit::strReadFile(bin + "FakeCmpt.exe"),
              FdTestKit::strReadFile(m_install + "\\FakeCmpt.exe"));
    EXPECT_EQ(
        m_install + "\\FakeCmpt.exe",
        strRegText(HKEY_CLASSES_ROOT, std::string("CLSID\\") + kFakeClsid + "\\LocalServer32", nullptr));
    EXPECT_TRUE(boRegKey(HKEY_CLASSES_ROOT, std::string("CLSID\\") + kFakeDllClsid + "\\InprocServer32"));
    EXPECT_EQ("1.0.0.1", strRegText(HKEY_LOCAL_MACHINE, "Software\\FdGame\\FakeCmpt", "Version"));
    EXPECT_EQ(kFakeClsid, strRegText(HKEY_LOCAL_MACHINE, "Software\\FdGame\\FakeCmpt", "CLSID"));
    // Every downloaded file went (moved, or deleted after a copy that was not
    // needed) but the library registered where it arrived.
    EXPECT_TRUE(FdTestKit::boFileExists(m_dir + "dl\\5_FakeCmptDll.dll"));
    for (int i : {2, 3, 4, 6})
    {
        WIN32_FIND_DATAA fd;
        HANDLE hFind = FindFirstFileA((m_dir + "dl\\" + std::to_string(i) + "_*").c_str(), &fd);
        EXPECT_EQ(INVALID_HANDLE_VALUE, hFind) << "download " << i << " left behind";
        if (hFind != INVALID_HANDLE_VALUE)
            FindClose(hFind);
    }
    EXPECT_FALSE(FdTestKit::boFileExists(m_dir + "dl\\1_script.txt")) << "the script is deleted";

    std::vector<std::string> texts;
    for (const SCommand& c : m_plugin->named("SETMSG"))
        texts.push_back((c.params.count("NUMMSG") ? c.params.at("NUMMSG") : "-") + ";" +
                        c.params.at("TEXTMSG"));
    EXPECT_EQ((std::vector<std::string>{"1;Composant install\xE9", "-;", "1;"}), texts);
    const auto sends = m_plugin->named("SEND");
    ASSERT_EQ(1u, sends.size());
    EXPECT_EQ("http://127.0.0.1/r1.htm", sends[0].params.at("TURL"));
    EXPECT_EQ("f1", sends[0].params.at("BFRM"));
    EXPECT_EQ("12", sends[0].params.at("APPID"));
    EXPECT_EQ("3", sends[0].params.at("JOBID"));
    EXPECT_TRUE(boxes().empty());

    // Run again: the test is satisfied, nothing is downloaded, RESURL2.
    vRestart();
    FD_HELPER(vInstall(script, bin));
    ASSERT_TRUE(boServerEnded());
    EXPECT_EQ(1u, m_plugin->named("DOWNLOAD").size()) << "the script only";
    ASSERT_EQ(1u, m_plugin->named("SEND").size());
    EXPECT_EQ("http://127.0.0.1/r2.htm", m_plugin->named("SEND")[0].params.at("TURL"));
    EXPECT_EQ("f2", m_plugin->named("SEND")[0].params.at("BFRM"));
}

// A failing COPY reports error 3 with both paths and leaves the server up,
// without a result page, until ForceRemove.
TEST_F(InstallerServer, FailingCopyLeavesTheServerUp)
{
    FD_HELPER(vInstall(
        "[INSTALL]\n[DL]\nreadme.txt_\n[ACTIONS]\nCOPY:1;no\\such\\folder\\readme.txt\nMD:0;never\n[END]\n",
        strFixtures()));
    ASSERT_TRUE(boPumpUntil([&]() { return ulSends() == 1; }));
    const SCommand send = m_plugin->named("SEND")[0];
    FD_HELPER(vExpectError(send, "3"));
    const std::string src = send.params.at("SRCFILE");
    EXPECT_EQ(m_dir + "dl\\2_readme.txt_", src);
    EXPECT_EQ(m_install + "\\no\\such\\folder\\readme.txt", send.params.at("DSTFILE"));
    EXPECT_FALSE(FdTestKit::boFileExists(m_install + "\\never"));
    const auto logged = boxes();
    ASSERT_EQ(1u, logged.size());
    EXPECT_EQ(0u, logged[0].find("MSGBOX|0|Erreur|Impossible de d\xE9"
                                 "compresser le fichier " +
                                 src + " vers " + send.params.at("DSTFILE") + " (Erreur lz : 3)"))
        << logged[0];

    EXPECT_FALSE(boServerEnded(1000)) << "no result page, the server stays";
    ASSERT_EQ(S_OK, m_installer->ForceRemove());
    EXPECT_TRUE(boServerEnded());
    EXPECT_EQ(0u, dwServerExit());
    EXPECT_EQ(1u, ulSends());
}

// Index errors box with their texts and titles and the run goes on; a library
// whose DllRegisterServer fails is error 5.
TEST_F(InstallerServer, IndexErrorsAndAFailedRegistration)
{
    SetEnvironmentVariableA("FD_TESTREG_RESULT", "-2147467259"); // E_FAIL, in the server's environment
    vRestart();
    FD_HELPER(vInstall(
        "[INSTALL]\n[DL]\ngameplugin_testreg.dll\n[ACTIONS]\nDEL:2\nCOPY:0;x\nCOPYVER:3;a;1\nCOPYDATE:-1;b\n"
        "EXEC:5;y\nREGISTER:1\nMD:0;never\n[END]\n",
        FdTestKit::strProgramFolder()));
    ASSERT_TRUE(boPumpUntil([&]() { return ulSends() == 1; }));
    SetEnvironmentVariableA("FD_TESTREG_RESULT", nullptr);
    const SCommand send = m_plugin->named("SEND")[0];
    FD_HELPER(vExpectError(send, "5"));
    EXPECT_EQ(m_dir + "dl\\2_gameplugin_testreg.dll", send.params.at("FILE"));
    EXPECT_EQ((std::vector<std::string>{
                  "MSGBOX|0|2|Installer - Delete file : index trop grand !",
                  "MSGBOX|0|0;x|Installer - Copy file : index trop grand !",
                  "MSGBOX|0|3;a;1|Installer - Copyver file : index trop grand !",
                  "MSGBOX|0|-1;b|Installer - Copydate file : index trop grand !",
                  "MSGBOX|0|5;y|Installer - exec file : index trop grand !",
              }),
              boxes());
    EXPECT_EQ("DllRegisterServer\n", FdTestKit::strReadFile(m_dir + "prog.log"));
    EXPECT_FALSE(FdTestKit::boFileExists(m_install + "\\never"));
    EXPECT_TRUE(boServerAlive());
    ASSERT_EQ(S_OK, m_installer->ForceRemove());
    EXPECT_TRUE(boServerEnded());
}

// During an EXEC that waits: INSTALL and a stray DLDONE change nothing (the
// latter boxes), and Unadvise, or the tray's quit, ends the server cleanly.
TEST_F(InstallerServer, UnadviseOrTrayQuitDuringExec)
{
    for (const bool boTray : {false, true})
    {
        SCOPED_TRACE(boTray ? "tray" : "Unadvise");
        // The program the script runs sleeps long: it is the installer's child.
        SetEnvironmentVariableA("FD_TESTPROG_SLEEP_MS", "120000");
        vRestart();
        FD_HELPER(vInstall(
            "[INSTALL]\n[DL]\ngameplugin_testprog.exe\n[ACTIONS]\nEXEC:1;prog /wait\nMD:0;never\n[END]\n",
            FdTestKit::strProgramFolder()));
        SetEnvironmentVariableA("FD_TESTPROG_SLEEP_MS", nullptr);
        ASSERT_TRUE(
            boPumpUntil([&]() { return FdTestKit::strReadFile(m_dir + "prog.log") == "prog /wait\n"; }));

        ASSERT_EQ(S_OK, hrCommand("INSTALL"));
        FD_HELPER(vSet("DLPATH", m_dir + "stray.txt"));
        ASSERT_EQ(S_OK, hrCommand("DLDONE"));
        EXPECT_EQ(2u, m_plugin->named("DOWNLOAD").size()) << "INSTALL is ignored while the worker runs";
        EXPECT_EQ((std::vector<std::string>{
                      "MSGBOX|0|FDGame installer - Erreur|Fichier re\xE7u alors que non demand\xE9 !"}),
                  boxes());

        if (boTray)
        {
            DWORD dwPid = GetProcessId(m_hProcess);
            HWND hTray = nullptr;
            ASSERT_TRUE(boPumpUntil(
                [&]()
                {
                    HWND h = nullptr;
                    while ((h = FindWindowExA(nullptr, h, "Button", "FDGame - Installer")) != nullptr)
                    {
                        DWORD dw = 0;
                        GetWindowThreadProcessId(h, &dw);
                        if (dw == dwPid)
                            hTray = h;
                    }
                    return hTray != nullptr;
                }));
            PostMessageA(hTray, WM_COMMAND, 2, 0);
        }
        else
        {
            ASSERT_EQ(S_OK, m_installer->Unadvise(0));
        }
        ASSERT_TRUE(boServerEnded());
        EXPECT_EQ(0u, dwServerExit()) << "ended through its message loop";
        EXPECT_FALSE(FdTestKit::boFileExists(m_install + "\\never"));
        EXPECT_EQ(0u, ulSends());
    }
}

// COPYPLUGIN under a page that goes while the browsers close: programs named
// iexplore.exe are ended one by one (a pause after each), and the plug-in's
// Unadvise during that leaves the server up; the run copies the plug-in and
// opens RESURL1 in a new browser (the prefix's http handler), then ends.
TEST_F(InstallerServer, UnadviseWhileTheBrowsersCloseLeavesTheServerToOpenResUrl1)
{
    const std::string strBrowsers = m_dir + "br";
    for (const char* d : {"", "\\A", "\\A\\Plugins"})
        CreateDirectoryA((strBrowsers + d).c_str(), nullptr);
    CloseHandle(CreateFileA((strBrowsers + "\\A\\iexplore.exe").c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, 0, nullptr));
    SetEnvironmentVariableA("FD_INSTALL_ROOTS", strBrowsers.c_str());
    const std::string strFake = FdTestKit::strProgramFolder() + "FakeBrowser.exe";
    const std::string strNewLog = m_dir + "new.log";
    HKEY hKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, "http\\shell\\open\\command", 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &hKey, nullptr));
    const std::string strCommand = "\"" + strFake + "\" --log \"" + strNewLog + "\" --no-window \"%1\"";
    RegSetValueExA(hKey, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(strCommand.c_str()),
                   static_cast<DWORD>(strCommand.size() + 1));
    RegCloseKey(hKey);
    vRestart();
    SetEnvironmentVariableA("FD_INSTALL_ROOTS", nullptr);

    // Browsers that keep the closing busy: each is ended by its name.
    const std::string strSleeper = m_dir + "iexplore.exe";
    ASSERT_TRUE(CopyFileA(strFake.c_str(), strSleeper.c_str(), FALSE));
    std::vector<PROCESS_INFORMATION> sleepers(4);
    for (size_t i = 0; i < sleepers.size(); ++i)
    {
        const std::string strLog = m_dir + "sleeper" + std::to_string(i) + ".log";
        std::string cmd = "\"" + strSleeper + "\" --log \"" + strLog + "\" --class Sleeper --on-close ignore";
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        ASSERT_TRUE(CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                                   &sleepers[i]));
        ASSERT_TRUE(FdTestKit::boPumpUntil(
            [&] { return FdTestKit::strReadFile(strLog).find("|READY") != std::string::npos; }, kWaitMs));
    }
    auto alive = [&]()
    {
        size_t n = 0;
        for (const PROCESS_INFORMATION& pi : sleepers)
            n += WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT;
        return n;
    };

    FD_HELPER(vInstall("[INSTALL]\n[TEST]\n[PLUGIN]\nnpfdg.dll;;;1,0,0,1\n[DL]\nreadme.txt_\n[ACTIONS]\n"
                       "COPYPLUGIN:1;;;;\n[TEXT]\n2;never shown\n[END]\n",
                       strFixtures()));
    // The first browser ended: the installer is closing them.
    ASSERT_TRUE(boPumpUntil([&] { return alive() < sleepers.size(); }));
    ASSERT_EQ(S_OK, m_installer->Unadvise(0));
    EXPECT_GT(alive(), 0u) << "Unadvise came while the browsers were closing";
    EXPECT_TRUE(boServerAlive());

    EXPECT_TRUE(boServerEnded()) << "the run ends the server";
    EXPECT_EQ(0u, alive());
    for (const PROCESS_INFORMATION& pi : sleepers)
    {
        DWORD dw = 0;
        GetExitCodeProcess(pi.hProcess, &dw);
        EXPECT_EQ(1u, dw);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    EXPECT_TRUE(FdTestKit::boFileExists(strBrowsers + "\\A\\Plugins\\npfdg.dll"));
    EXPECT_TRUE(FdTestKit::boPumpUntil(
        [&] {
            return FdTestKit::strReadFile(strNewLog).find("|URL http://127.0.0.1/r1.htm") !=
                   std::string::npos;
        },
        kWaitMs))
        << FdTestKit::strReadFile(strNewLog);
    EXPECT_EQ(0u, ulSends()) << "nothing went through the released plug-in";
    EXPECT_TRUE(m_plugin->named("SETMSG").size() >= 2) << "the search's lines came before";
    for (const SCommand& c : m_plugin->named("SETMSG"))
        EXPECT_NE("never shown", c.params.count("TEXTMSG") ? c.params.at("TEXTMSG") : "");
    const auto logged = boxes();
    ASSERT_EQ(1u, logged.size());
    EXPECT_EQ("MSGBOX|0|FDGame - Installer|Votre browser va être fermé puis relancé afin de terminer "
              "l'installation (cette opération peut prendre quelques secondes).",
              logged[0]);
    RegDeleteKeyA(HKEY_CLASSES_ROOT, "http\\shell\\open\\command");
}
