// npverbolt.dll as the browsers see it: its version resource, its
// registration by regsvr32, the plug-in in the browser host, and the ActiveX
// control created there by ProgID, which reads the page's address from the
// host and fetches its "src" relative to it.
#include "HostRunner.h"
#include "NpApi.h"
#include "TestKit.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace FdHostTest;

namespace
{
const char kClsid[] = "{FD40EC41-D860-4579-8BA4-52671A45C71C}";
const char kLibId[] = "{AF0D5EC9-B3EB-446C-9684-DFC90AECECF9}";

std::string strDll()
{
    return strProgramFolder() + "npverbolt.dll";
}

std::string strLower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string value(const std::string& key, const char* name = nullptr)
{
    return FdTestKit::regText(HKEY_CLASSES_ROOT, key, name).value_or("<none>");
}

bool boKeyExists(const std::string& key)
{
    return FdTestKit::regKeyExists(HKEY_CLASSES_ROOT, key);
}

std::vector<std::string> subKeys(const std::string& key)
{
    return FdTestKit::regSubKeys(HKEY_CLASSES_ROOT, key);
}

DWORD dwRegsvr32(const std::string& switches)
{
    return FdTestKit::runAndWait("regsvr32.exe " + switches + " \"" + strDll() + "\"", 60000).dwExitCode;
}

// What the web stand-in was asked, one REQUEST line each.
std::string strWebLog()
{
    const char* path = std::getenv("FD_NPV_WEB_LOG");
    if (!path)
        return std::string();
    return FdTestKit::strReadFile(path);
}
} // namespace

TEST(NpverboltModule, VersionResourceNamesTypesAndEndings)
{
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(strDll().c_str(), &handle);
    ASSERT_NE(0u, size);
    std::vector<char> data(size);
    ASSERT_TRUE(GetFileVersionInfoA(strDll().c_str(), 0, size, data.data()));
    auto text = [&](const char* name)
    {
        char* p = nullptr;
        UINT n = 0;
        const std::string path = std::string("\\StringFileInfo\\040904E4\\") + name;
        return VerQueryValueA(data.data(), path.c_str(), reinterpret_cast<void**>(&p), &n) && p
                   ? std::string(p)
                   : std::string("<none>");
    };
    EXPECT_EQ("application/x-zeltoc-plugin|application/x-verbolt", text("MIMEType"));
    EXPECT_EQ("zeltoc,zelto|vblt,verbolt", text("FileExtents"));
}

TEST(NpverboltModule, ARenamedFileStaysLoadedWhileUsersRemain)
{
    FdTestKit::CScratchFolder scratch;
    const std::string copy = scratch.File("npvrenamed.dll");
    ASSERT_TRUE(CopyFileA(strDll().c_str(), copy.c_str(), FALSE));
    HMODULE h = LoadLibraryA(copy.c_str());
    ASSERT_NE(nullptr, h);
    auto getEntry = reinterpret_cast<NP_GetEntryPointsFunc>(
        reinterpret_cast<void*>(GetProcAddress(h, "NP_GetEntryPoints")));
    auto init =
        reinterpret_cast<NP_InitializeFunc>(reinterpret_cast<void*>(GetProcAddress(h, "NP_Initialize")));
    auto shutdown =
        reinterpret_cast<NP_ShutdownFunc>(reinterpret_cast<void*>(GetProcAddress(h, "NP_Shutdown")));
    ASSERT_TRUE(getEntry && init && shutdown);
    NPPluginFuncs f = {};
    f.size = sizeof f;
    NPNetscapeFuncs b = {};
    b.size = sizeof b;
    b.version = 11;
    ASSERT_EQ(NPERR_NO_ERROR, getEntry(&f));
    ASSERT_EQ(NPERR_NO_ERROR, init(&b));
    ASSERT_EQ(NPERR_NO_ERROR, init(&b));
    EXPECT_EQ(NPERR_NO_ERROR, shutdown());
    FreeLibrary(h); // the browser's unload after a shutdown with a user left
    EXPECT_EQ(h, GetModuleHandleA("npvrenamed.dll")) << "pinned through its own handle";
    EXPECT_EQ(NPERR_NO_ERROR, shutdown());
    FreeLibrary(h);
}

TEST(NpverboltRegistration, Regsvr32WritesTheControlsKeys)
{
    ASSERT_EQ(0u, dwRegsvr32("/s"));
    const std::string k = std::string("CLSID\\") + kClsid;
    EXPECT_EQ("AxVerbolt Class", value(k));
    EXPECT_EQ(strLower(strDll()), strLower(value(k + "\\InprocServer32")));
    EXPECT_EQ("Apartment", value(k + "\\InprocServer32", "ThreadingModel"));
    EXPECT_EQ("Chattabel.AxVerbolt.1", value(k + "\\ProgID"));
    EXPECT_EQ("Chattabel.AxVerbolt", value(k + "\\VersionIndependentProgID"));
    EXPECT_EQ(strLower(strDll()) + ", 102", strLower(value(k + "\\ToolboxBitmap32")));
    EXPECT_EQ("0", value(k + "\\MiscStatus"));
    EXPECT_EQ("131473", value(k + "\\MiscStatus\\1"));
    EXPECT_EQ(kLibId, value(k + "\\TypeLib"));
    EXPECT_EQ("1.0", value(k + "\\Version"));
    const std::vector<std::string> expected = {"Control", "InprocServer32", "MiscStatus",
                                               "ProgID",  "Programmable",   "ToolboxBitmap32",
                                               "TypeLib", "Version",        "VersionIndependentProgID"};
    EXPECT_EQ(expected, subKeys(k));
    EXPECT_EQ(std::vector<std::string>{"1"}, subKeys(k + "\\MiscStatus"));
    EXPECT_EQ("AxVerbolt Class", value("Chattabel.AxVerbolt.1"));
    EXPECT_EQ(strLower(kClsid), strLower(value("Chattabel.AxVerbolt.1\\CLSID")));
    EXPECT_EQ("Chattabel.AxVerbolt.1", value("Chattabel.AxVerbolt\\CurVer"));
    EXPECT_EQ((std::vector<std::string>{"CLSID", "CurVer"}), subKeys("Chattabel.AxVerbolt"));
    EXPECT_TRUE(boKeyExists(std::string("TypeLib\\") + kLibId + "\\1.0"));
    HMODULE hDll = LoadLibraryExA(strDll().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, hDll);
    HANDLE hBitmap = LoadImageA(hDll, MAKEINTRESOURCEA(102), IMAGE_BITMAP, 0, 0, 0);
    EXPECT_NE(nullptr, hBitmap);
    if (hBitmap)
        DeleteObject(hBitmap);
    char project[64] = {};
    EXPECT_GT(LoadStringA(hDll, 100, project, sizeof project), 0);
    EXPECT_STREQ("Chattabel", project);
    FreeLibrary(hDll);
}

TEST(NpverboltHost, ThePluginRunsInTheBrowserHost)
{
    const std::string dir = strFreshFolder("npverbolt_np");
    const SHostRun run = runHost({"--page", strWebUrl("/np.htm"), "--plugin", strDll(), "--steps",
                                  "same,new,null", "--quit-when-idle", "1500"},
                                 dir);
    const Log& h = run.host;
    ASSERT_EQ(0, run.lExit) << dir;
    EXPECT_EQ("0", lineOf(h, "NP_GETENTRYPOINTS").strGet("result"));
    EXPECT_EQ("11", lineOf(h, "NP_GETENTRYPOINTS").strGet("version"));
    EXPECT_EQ("0", lineOf(h, "NP_INITIALIZE").strGet("result"));
    EXPECT_EQ("0", lineOf(h, "NP_FUNCS").strGet("event"));
    const std::string inst = strInstanceOf(h, "chat");
    EXPECT_EQ("0", lineOf(h, "NPP_NEW", "instance", inst).strGet("result"));
    std::vector<std::string> whys;
    for (const SLogLine& l : linesOf(h, "NPP_SETWINDOW", "instance", inst))
    {
        EXPECT_EQ("0", l.strGet("result")) << l.strGet("why");
        whys.push_back(l.strGet("why"));
    }
    EXPECT_EQ((std::vector<std::string>{"create", "same", "new", "null"}), whys);
    const SLogLine stream = lineOf(h, "STREAM_NEW", "url", strWebUrl("/chat.vblt"));
    EXPECT_EQ("0", stream.strGet("result"));
    EXPECT_EQ("1", stream.strGet("stype")) << "the chat's own document comes as a normal stream";
    EXPECT_EQ("0", lineOf(h, "NPP_DESTROY", "instance", inst).strGet("result"));
    EXPECT_EQ("0", lineOf(h, "NP_SHUTDOWN").strGet("result"));
}

TEST(NpverboltHost, TheControlReadsThePageAddressAndFetchesItsSource)
{
    const std::string dir = strFreshFolder("npverbolt_ax");
    const SHostRun run = runHost({"--page", strWebUrl("/ax/page.htm"), "--quit-when-idle", "1500"}, dir);
    const Log& h = run.host;
    ASSERT_EQ(0, run.lExit) << dir;
    const SLogLine created = lineOf(h, "AX_CREATE");
    EXPECT_EQ("Chattabel.AxVerbolt.1", created.strGet("classid"));
    EXPECT_EQ("0x00000000", created.strGet("result"));
    EXPECT_EQ("0x00000000", lineOf(h, "AX_ACTIVATE").strGet("result"));
    // "src" relative to the page's folder, which only the browser's address gives.
    EXPECT_NE(std::string::npos, strWebLog().find("target=/ax/chat.vblt\tstatus=200")) << strWebLog();
}

TEST(NpverboltUnregistration, UnregisteringRemovesTheKeys)
{
    ASSERT_EQ(0u, dwRegsvr32("/s /u"));
    for (const std::string& key : {std::string("Chattabel.AxVerbolt.1"), std::string("Chattabel.AxVerbolt"),
                                   std::string("CLSID\\") + kClsid, std::string("TypeLib\\") + kLibId})
        EXPECT_FALSE(boKeyExists(key)) << key;
}
