// npfdg.dll in the browser host, against the web stand-in: entry points,
// attributes, window changes, and action buffers streamed into the plug-in.
#include "BmpFile.h"
#include "HostRunner.h"
#include "NpApi.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>

using namespace FdHostTest;

namespace
{
class NpfdgPage : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        const std::string strDir = strFreshFolder("npfdg");
        const std::string strInstall = strFreshFolder("npfdg_install");
        ASSERT_TRUE(boRecordSuite(strInstall, true));
        SetEnvironmentVariableA("FD_UI_LOG", (strDir + "\\ui.log").c_str());
        s_run = new SHostRun(
            runHost({"--page", strWebUrl("/np.htm"), "--plugin", strProgramFolder() + "npfdg.dll", "--steps",
                     "same,new,null", "--quit-when-idle", "1500"},
                    strDir));
    }
    static void TearDownTestSuite()
    {
        delete s_run;
        s_run = nullptr;
    }
    const SHostRun& run() const { return *s_run; }
    static SHostRun* s_run;
};
SHostRun* NpfdgPage::s_run = nullptr;

TEST_F(NpfdgPage, EntryPointsAndTables)
{
    const Log& h = run().host;
    ASSERT_EQ(0, run().lExit) << run().strDir;
    EXPECT_EQ("0", lineOf(h, "NP_GETENTRYPOINTS").strGet("result"));
    EXPECT_EQ("9", lineOf(h, "NP_GETENTRYPOINTS").strGet("version"));
    EXPECT_EQ("0", lineOf(h, "NP_INITIALIZE").strGet("result"));
    const SLogLine funcs = lineOf(h, "NP_FUNCS");
    for (const char* k : {"newp", "destroy", "setwindow", "newstream", "destroystream", "asfile",
                          "writeready", "write", "print", "urlnotify"})
        EXPECT_EQ("1", funcs.strGet(k)) << k;
    EXPECT_EQ("0", funcs.strGet("event"));
    EXPECT_EQ("0", lineOf(h, "NP_SHUTDOWN").strGet("memalloc_live")) << "every block given back";
}

TEST_F(NpfdgPage, InstancesAreCreatedWithTheirAttributesAndWindows)
{
    const Log& h = run().host;
    for (const char* name : {"good", "cut"})
    {
        const std::string inst = strInstanceOf(h, name);
        EXPECT_EQ("0", lineOf(h, "NPP_NEW", "instance", inst).strGet("result")) << name;
        for (const SLogLine& l : linesOf(h, "NPP_SETWINDOW", "instance", inst))
            EXPECT_EQ("0", l.strGet("result")) << name << " " << l.strGet("why");
        EXPECT_EQ("0", lineOf(h, "NPP_DESTROY", "instance", inst).strGet("result")) << name;
    }
    const auto sets = linesOf(h, "NPP_SETWINDOW", "instance", strInstanceOf(h, "good"));
    std::vector<std::string> whys;
    for (const SLogLine& l : sets)
        whys.push_back(l.strGet("why"));
    EXPECT_EQ((std::vector<std::string>{"create", "same", "new", "null"}), whys);
}

TEST_F(NpfdgPage, ActionRunsOnlyWhenItsStreamEndsWell)
{
    const Log& h = run().host;
    const SLogLine done = lineOf(h, "NAVIGATE", "url", strWebUrl("/done.htm"));
    EXPECT_EQ("main", done.strGet("frame")) << "GETURL of a stream that ended well";
    EXPECT_EQ(strInstanceOf(h, "good"), done.strGet("instance"));
    const SLogLine cut = lineOf(h, "STREAM_END", "url", strWebUrl("/cutaction.fdg"));
    EXPECT_EQ("1", cut.strGet("reason")) << "the stand-in cuts this stream";
    EXPECT_TRUE(linesOf(h, "NAVIGATE", "url", strWebUrl("/cut.htm")).empty())
        << "an action cut short is not run";
}
// The plug-in's attribute list holds the EMBED's attributes in page order:
// its trace of the list it translates is the page's pairs, one after the other.
TEST_F(NpfdgPage, AttributesReachThePlugInInPageOrder)
{
    const std::string strTrace = strPluginTrace();
    ASSERT_FALSE(strTrace.empty()) << "no trace file C:\\FDGAME*";
    for (const char* name : {"good", "cut"})
    {
        const SLogLine created = lineOf(run().host, "NPP_NEW", "instance", strInstanceOf(run().host, name));
        const auto names = created.all("argn");
        const auto values = created.all("argv");
        ASSERT_EQ(names.size(), values.size()) << name;
        ASSERT_GE(names.size(), 5u) << name;
        EXPECT_EQ("type", names[0]) << name;
        std::string strList;
        for (size_t i = 0; i < names.size(); ++i)
            strList += names[i] + "\xA3\xA3" + values[i] + "\xA3\xA3";
        const std::string strLine = "CPlugInst::boTranslateParameters start (param\xE8tres=" + strList + ")";
        EXPECT_NE(std::string::npos, strTrace.find(strLine)) << name << ": " << strLine;
    }
}

// A window taken away (a new one, or none) runs the host's own procedure
// again; the window given stays subclassed while the plug-in has it.
TEST_F(NpfdgPage, AWindowTakenAwayGetsTheHostsProcedureBack)
{
    for (const char* name : {"good", "cut"})
    {
        const auto sets = linesOf(run().host, "NPP_SETWINDOW", "instance", strInstanceOf(run().host, name));
        ASSERT_EQ(4u, sets.size()) << name;
        struct
        {
            const char* why;
            const char* proc;      // "" when no window is given
            const char* left_proc; // "" when no window is taken away
        } const expected[] = {
            {"create", "other", ""},
            {"same", "other", ""},
            {"new", "other", "own"},
            {"null", "", "own"},
        };
        for (size_t i = 0; i < sets.size(); ++i)
        {
            EXPECT_EQ(expected[i].why, sets[i].strGet("why")) << name << " " << i;
            EXPECT_EQ(expected[i].proc, sets[i].strGet("proc")) << name << " " << expected[i].why;
            EXPECT_EQ(expected[i].left_proc, sets[i].strGet("left_proc")) << name << " " << expected[i].why;
        }
        EXPECT_EQ(sets[1].strGet("hwnd"), sets[2].strGet("left"))
            << name << ": the window of create and same";
        EXPECT_EQ(sets[2].strGet("hwnd"), sets[3].strGet("left")) << name << ": the new window";
    }
}

// An instance whose drawing is redirected to another: what it draws (its
// background over its own size) becomes the named instance's picture, which
// that instance plays over its whole area.
TEST(NpfdgRedirect, DrawingGoesToTheNamedInstancesPicture)
{
    const std::string strDir = strFreshFolder("npfdg_redirect");
    ASSERT_TRUE(boRecordSuite(strFreshFolder("npfdg_redirect_install"), false));
    const std::string strShot = strDir + "\\shot.bmp";
    const SHostRun run =
        runHost({"--page", strWebUrl("/redirect.htm"), "--plugin", strProgramFolder() + "npfdg.dll",
                 "--quit-when-idle", "1500", "--screenshot", strShot},
                strDir);
    ASSERT_EQ(0, run.lExit) << run.strDir;
    const std::string bytes = strReadFile(strShot);
    FdBrowserHost::SPixels pixels;
    ASSERT_TRUE(
        FdBrowserHost::boBmpDecode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &pixels))
        << strShot;
    // The share of an instance's area in one colour.
    auto share = [&](const std::string& name, COLORREF cr)
    {
        const SLogLine w = lineOf(run.host, "NPP_SETWINDOW", "instance", strInstanceOf(run.host, name));
        const int x0 = std::atoi(w.strGet("x").c_str()), y0 = std::atoi(w.strGet("y").c_str());
        const int cx = std::atoi(w.strGet("width").c_str()), cy = std::atoi(w.strGet("height").c_str());
        if (cx <= 0 || cy <= 0 || static_cast<uint32_t>(x0 + cx) > pixels.dwWidth ||
            static_cast<uint32_t>(y0 + cy) > pixels.dwHeight)
            return -1.0;
        int n = 0;
        for (int y = y0; y < y0 + cy; ++y)
            for (int x = x0; x < x0 + cx; ++x)
            {
                const uint8_t* p = &pixels.bgrx[(static_cast<size_t>(y) * pixels.dwWidth + x) * 4];
                n += RGB(p[2], p[1], p[0]) == cr;
            }
        return static_cast<double>(n) / (cx * cy);
    };
    const COLORREF crTarget = RGB(0x00, 0x33, 0x66), crSource = RGB(0xCC, 0x00, 0x00);
    EXPECT_GT(share("target", crSource), 0.9) << "the source's drawing over the target";
    EXPECT_LT(share("target", crTarget), 0.1);
    EXPECT_GT(share("source", crSource), 0.9) << "the source's own window keeps its background";
}
} // namespace
