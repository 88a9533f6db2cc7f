// npfdg.dll as an ActiveX control: its registration by regsvr32, and the
// control in the browser host, created by ProgID from an OBJECT whose PARAMs
// make it fetch action buffers from the web stand-in through URL monikers.
#include "BmpFile.h"
#include "HostRunner.h"
#include "TestKit.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

using namespace FdHostTest;

namespace
{
const char kClsidKey[] = "CLSID\\{084DAC27-6FA3-4f55-9005-033F2F102F5C}";

std::string strDll()
{
    return strProgramFolder() + "npfdg.dll";
}

DWORD dwRegsvr32(const std::string& strSwitches)
{
    std::string strCmd = "regsvr32.exe " + strSwitches + " \"" + strDll() + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &strCmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return GetLastError();
    DWORD dwExit = 1;
    if (WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &dwExit);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return dwExit;
}

// The default value (null name) or a named value of an HKCR key; "<none>" when absent.
std::string strValue(const std::string& key, const char* name = nullptr)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return "<none>";
    char sz[1024] = {};
    DWORD dwSize = sizeof sz - 1, dwType = 0;
    const LONG l = RegQueryValueExA(hKey, name, nullptr, &dwType, reinterpret_cast<BYTE*>(sz), &dwSize);
    RegCloseKey(hKey);
    return l == ERROR_SUCCESS && dwType == REG_SZ ? std::string(sz) : "<none>";
}

// The names of an HKCR key's sub-keys, sorted.
std::vector<std::string> subKeys(const std::string& key)
{
    return FdTestKit::regSubKeys(HKEY_CLASSES_ROOT, key);
}

bool boKeyExists(const std::string& key)
{
    return FdTestKit::regKeyExists(HKEY_CLASSES_ROOT, key);
}

std::string strLower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return s;
}

} // namespace

TEST(DiagIERegistration, Regsvr32WritesTheControlsKeysAndRemovesThem)
{
    ASSERT_EQ(0u, dwRegsvr32("/s"));
    const std::string strClsid = "{084dac27-6fa3-4f55-9005-033f2f102f5c}";
    EXPECT_EQ("OBPPDiagIE Class", strValue("Feldane.OBPPDiagIE.1"));
    EXPECT_EQ(strClsid, strLower(strValue("Feldane.OBPPDiagIE.1\\CLSID")));
    EXPECT_EQ("OBPPDiagIE Class", strValue("Feldane.OBPPDiagIE"));
    EXPECT_EQ("Feldane.OBPPDiagIE.1", strValue("Feldane.OBPPDiagIE\\CurVer"));
    EXPECT_EQ(strClsid, strLower(strValue("Feldane.OBPPDiagIE\\CLSID")));
    const std::string k = kClsidKey;
    EXPECT_EQ("OBPPDiagIE Class", strValue(k));
    EXPECT_EQ(strLower(strDll()), strLower(strValue(k + "\\InprocServer32")));
    EXPECT_EQ("Apartment", strValue(k + "\\InprocServer32", "ThreadingModel"));
    EXPECT_TRUE(boKeyExists(k + "\\Programmable"));
    EXPECT_TRUE(boKeyExists(k + "\\Control"));
    EXPECT_EQ(strLower(strDll()) + ", 101", strLower(strValue(k + "\\ToolboxBitmap32")));
    EXPECT_EQ("0", strValue(k + "\\MiscStatus"));
    EXPECT_EQ("131473", strValue(k + "\\MiscStatus\\1"));
    EXPECT_EQ("{BF5FFE47-ECDF-47ce-A207-57E747EE5365}", strValue(k + "\\TypeLib"));
    EXPECT_EQ("1.0", strValue(k + "\\Version"));
    EXPECT_EQ("Feldane.OBPPDiagIE.1", strValue(k + "\\ProgID"));
    EXPECT_EQ("Feldane.OBPPDiagIE", strValue(k + "\\VersionIndependentProgID"));
    EXPECT_TRUE(boKeyExists("TypeLib\\{BF5FFE47-ECDF-47ce-A207-57E747EE5365}\\1.0"));
    // Nothing more than the control's own keys.
    const std::vector<std::string> expected = {"Control",        "InprocServer32", "MiscStatus",
                                               "ProgID",         "Programmable",   "ToolboxBitmap32",
                                               "TypeLib",        "Version",        "VersionIndependentProgID"};
    EXPECT_EQ(expected, subKeys(k));
    EXPECT_EQ(std::vector<std::string>{"1"}, subKeys(k + "\\MiscStatus"));
    EXPECT_EQ(std::vector<std::string>{"CLSID"}, subKeys("Feldane.OBPPDiagIE.1"));
    EXPECT_EQ((std::vector<std::string>{"CLSID", "CurVer"}), subKeys("Feldane.OBPPDiagIE"));
    // The toolbox picture the registration names is in the library.
    HMODULE hDll = LoadLibraryExA(strDll().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, hDll);
    HANDLE hBitmap = LoadImageA(hDll, MAKEINTRESOURCEA(101), IMAGE_BITMAP, 0, 0, 0);
    EXPECT_NE(nullptr, hBitmap);
    if (hBitmap)
        DeleteObject(hBitmap);
    FreeLibrary(hDll);

    ASSERT_EQ(0u, dwRegsvr32("/s /u"));
    for (const char* key : {"Feldane.OBPPDiagIE.1", "Feldane.OBPPDiagIE", kClsidKey,
                            "TypeLib\\{BF5FFE47-ECDF-47ce-A207-57E747EE5365}"})
        EXPECT_FALSE(boKeyExists(key)) << key;
}

namespace
{
class DiagIEPage : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dwRegister = dwRegsvr32("/s");
        const std::string strDir = strFreshFolder("diagie");
        ASSERT_TRUE(boRecordSuite(strFreshFolder("diagie_install"), false));
        SetEnvironmentVariableA("FD_UI_LOG", (strDir + "\\ui.log").c_str());
        // Addresses the control fetches itself must be absolute; the page's
        // base makes the action's relative address absolute for the host.
        const std::string strPage = "<html><head><base href=\"" + strWebUrl("/") +
                                    "\"></head><body>\n"
                                    "<iframe name=\"main\" src=\"about:blank\"></iframe>\n"
                                    "<object classid=\"Feldane.OBPPDiagIE.1\" width=\"300\" height=\"100\">\n"
                                    " <param name=\"name\" value=\"good\">\n"
                                    " <param name=\"bgcolor\" value=\"#003366\">\n"
                                    " <param name=\"count\" value=\"7\" vt=\"i4\">\n"
                                    " <param name=\"dialogpage\" value=\"" +
                                    strWebUrl("/geturl.fdg") +
                                    "\">\n"
                                    " <param name=\"calldiagpage\" value=\"yes\">\n"
                                    "</object>\n"
                                    "<object classid=\"Feldane.OBPPDiagIE.1\" width=\"300\" height=\"100\">\n"
                                    " <param name=\"name\" value=\"missing\">\n"
                                    " <param name=\"dialogpage\" value=\"" +
                                    strWebUrl("/missing.fdg") +
                                    "\">\n"
                                    " <param name=\"calldiagpage\" value=\"yes\">\n"
                                    "</object>\n"
                                    "<object classid=\"Feldane.OBPPDiagIE.1\" width=\"300\" height=\"100\">\n"
                                    " <param name=\"name\" value=\"broken\">\n"
                                    " <param name=\"dialogpage\" value=\"" +
                                    strWebUrl("/broken.fdg") +
                                    "\">\n"
                                    " <param name=\"calldiagpage\" value=\"yes\">\n"
                                    "</object>\n"
                                    "</body></html>\n";
        boWriteFile(strDir + "\\ax.htm", strPage);
        // Kept as a build artefact when the build names a place for it.
        const char* lpszShot = std::getenv("FD_AX_SCREENSHOT");
        s_strShot = lpszShot ? std::string("Z:") + lpszShot : strDir + "\\ax.bmp";
        for (char& c : s_strShot)
            if (c == '/')
                c = '\\';
        DeleteFileA(s_strShot.c_str());
        s_run = new SHostRun(runHost({"--page", strDir + "\\ax.htm", "--quit-when-idle", "2500", "--steps",
                                      "key:9", "--screenshot", s_strShot},
                                     strDir));
    }
    static void TearDownTestSuite()
    {
        delete s_run;
        s_run = nullptr;
    }
    const SHostRun& run() const { return *s_run; }
    // The instance id of the OBJECT with the "bgcolor" PARAM (only "good" has one).
    static std::string strGoodInstance()
    {
        return lineOf(s_run->host, "AX_PARAM_READ", "name", "bgcolor").strGet("instance");
    }
    static DWORD s_dwRegister;
    static SHostRun* s_run;
    static std::string s_strShot;
};
DWORD DiagIEPage::s_dwRegister = 1;
SHostRun* DiagIEPage::s_run = nullptr;
std::string DiagIEPage::s_strShot;

TEST_F(DiagIEPage, CreatedByProgIdWithItsStringParams)
{
    ASSERT_EQ(0u, s_dwRegister);
    ASSERT_EQ(0, run().lExit) << run().strDir;
    const auto created = linesOf(run().host, "AX_CREATE");
    ASSERT_EQ(3u, created.size()) << run().strDir;
    for (const SLogLine& l : created)
        EXPECT_EQ("0x00000000", l.strGet("result")) << run().strDir;
    for (const SLogLine& l : linesOf(run().host, "AX_LOAD"))
        EXPECT_EQ("0x00000000", l.strGet("result"));
    for (const SLogLine& l : linesOf(run().host, "AX_ACTIVATE"))
        EXPECT_EQ("0x00000000", l.strGet("result"));
}

TEST_F(DiagIEPage, ActionBufferFetchedOverHttpRunsItsGeturl)
{
    const SLogLine done = lineOf(run().host, "NAVIGATE", "url", strWebUrl("/done.htm"));
    ASSERT_EQ("NAVIGATE", done.strKind) << run().strDir;
    EXPECT_EQ("main", done.strGet("frame"));
    EXPECT_EQ("1", done.strGet("known"));
}

TEST_F(DiagIEPage, HttpErrorAnswersAreFailedDownloadsNeverRun)
{
    ASSERT_EQ(0, run().lExit) << run().strDir;
    EXPECT_TRUE(linesOf(run().host, "NAVIGATE", "url", strWebUrl("/bad.htm")).empty()) << "404 body ran";
    EXPECT_TRUE(linesOf(run().host, "NAVIGATE", "url", strWebUrl("/bad500.htm")).empty()) << "500 body ran";
}

// Every string PARAM is read through IPropertyBag2, in page order; a PARAM
// the bag holds as a number is not a string and is not read.
TEST_F(DiagIEPage, StringParamsReadInPageOrderOthersSkipped)
{
    ASSERT_EQ(0, run().lExit) << run().strDir;
    const std::string good = strGoodInstance();
    ASSERT_FALSE(good.empty()) << run().strDir;
    std::vector<std::string> names;
    for (const SLogLine& l : linesOf(run().host, "AX_PARAM_READ", "instance", good))
    {
        if (l.strGet("via") != "bag2")
            continue;
        names.push_back(l.strGet("name"));
        EXPECT_EQ("0x00000000", l.strGet("result")) << l.strGet("name");
    }
    const std::vector<std::string> expected = {"name", "bgcolor", "dialogpage", "calldiagpage"};
    EXPECT_EQ(expected, names);
}

// A tab key is left to the container, marked with the registered message
// number so that the page can tell it came from the control.
TEST_F(DiagIEPage, TabKeyIsLeftToTheContainerMarked)
{
    const UINT uTab = RegisterWindowMessageA("__!!_ORBELLE_TAB_2001_07_20_??__");
    ASSERT_NE(0u, uTab);
    const auto accels = linesOf(run().host, "AX_ACCEL");
    ASSERT_FALSE(accels.empty()) << run().strDir;
    bool boSawTab = false;
    for (const SLogLine& l : accels)
    {
        EXPECT_EQ("0x00000001", l.strGet("result")) << "every message is left to the container";
        if (l.strGet("message") == "0x00000100" /* WM_KEYDOWN */ && l.strGet("wparam_before") == "9")
        {
            boSawTab = true;
            EXPECT_EQ(std::to_string(uTab), l.strGet("wparam_after"));
        }
        else
            EXPECT_EQ(l.strGet("wparam_before"), l.strGet("wparam_after")) << l.strGet("message");
    }
    EXPECT_TRUE(boSawTab) << run().strDir;
}

// The control paints the background colour its "bgcolor" PARAM gives.
TEST_F(DiagIEPage, PaintsTheBackgroundColourOfItsParam)
{
    const std::string bytes = strReadFile(s_strShot);
    FdBrowserHost::SPixels pixels;
    ASSERT_TRUE(FdBrowserHost::boBmpDecode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &pixels))
        << s_strShot;
    size_t nBackground = 0;
    for (size_t i = 0; i + 3 < pixels.bgrx.size(); i += 4)
        if (pixels.bgrx[i] == 0x66 && pixels.bgrx[i + 1] == 0x33 && pixels.bgrx[i + 2] == 0x00)
            ++nBackground;
    // Most of the 300 x 100 area (status lines may cover part of it).
    EXPECT_GT(nBackground, 300u * 100u / 2) << s_strShot;
}

// A control released while its transfer still runs: the binding is stopped
// and none of its news reaches the control or its record afterwards.
TEST(DiagIEClosing, ReleasedWhileItsTransferRuns)
{
    ASSERT_EQ(0u, dwRegsvr32("/s"));
    const std::string strDir = strFreshFolder("diagie_close");
    ASSERT_TRUE(boRecordSuite(strFreshFolder("diagie_close_install"), true));
    const std::string strPage = "<html><body>\n"
                                "<object classid=\"Feldane.OBPPDiagIE.1\" width=\"200\" height=\"50\">\n"
                                " <param name=\"dialogpage\" value=\"" +
                                strWebUrl("/_/slow?n=200000&chunk=1000&delay_ms=50") +
                                "\">\n"
                                " <param name=\"calldiagpage\" value=\"yes\">\n"
                                "</object>\n"
                                "</body></html>\n";
    ASSERT_TRUE(boWriteFile(strDir + "\\slow.htm", strPage));
    const SHostRun run = runHost({"--page", strDir + "\\slow.htm", "--quit-when-idle", "1000"}, strDir);
    ASSERT_EQ(0, run.lExit) << run.strDir;
    EXPECT_EQ("0x00000000", lineOf(run.host, "AX_CREATE").strGet("result"));
    EXPECT_EQ("idle", lineOf(run.host, "QUIT").strGet("reason"));
    EXPECT_FALSE(lineOf(run.host, "AX_CLOSE").strKind.empty()) << run.strDir;
    // Data had arrived, and the transfer never ended on its own.
    const std::string strTrace = strPluginTrace();
    EXPECT_NE(std::string::npos, strTrace.find("CDiagIE::OnData start")) << "no data before the release";
    EXPECT_EQ(std::string::npos, strTrace.find("fin normale du download"));
}

// Controls made and released on several apartment threads at once share the
// library's start and stop (logger, process-wide start) without a race.
TEST(DiagIEThreads, ControlsOfSeveralApartmentsAtOnce)
{
    ASSERT_EQ(0u, dwRegsvr32("/s"));
    ASSERT_TRUE(boRecordSuite(strFreshFolder("diagie_threads_install"), false));
    constexpr int kThreads = 4, kRounds = 10;
    std::atomic<int> created{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&created] {
            if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
                return;
            CLSID clsid = {};
            if (SUCCEEDED(CLSIDFromProgID(L"Feldane.OBPPDiagIE.1", &clsid)))
                for (int i = 0; i < kRounds; ++i)
                {
                    IUnknown* lpControl = nullptr;
                    if (SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                                   reinterpret_cast<void**>(&lpControl))))
                    {
                        ++created;
                        lpControl->Release();
                    }
                }
            CoUninitialize();
        });
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(kThreads * kRounds, created.load());
}
} // namespace
