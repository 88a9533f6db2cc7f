// BrowserHost.exe with the test control registered in a fresh prefix: the
// control is created by CLSID and by ProgID, loads its PARAMs through the
// property bag, is activated in place, talks to its frame (status text,
// navigation through IHlinkFrame, a pushed local page), gets the keyboard
// first, and shows in the screenshot.
#include "BmpFile.h"
#include "HostRunner.h"

#include <gtest/gtest.h>

using namespace FdHostTest;

namespace
{
const char kClsid[] = "{5E0F3C1A-7B2D-4E8F-9A61-2C4D8B7E9F10}";

class ActiveXPage : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        // Registration as regsvr32 does it, in this test's own prefix.
        HMODULE h = LoadLibraryA((strProgramFolder() + "FdHostTestCtl.dll").c_str());
        using Fn = HRESULT(__stdcall*)();
        auto pfn = h ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(h, "DllRegisterServer")))
                     : nullptr;
        s_hrRegister = pfn ? pfn() : E_FAIL;
        if (h)
            FreeLibrary(h);
        s_dir = new std::string(strFreshFolder("activex"));
        s_run = new SHostRun(
            runHost({"--page", strWebUrl("/ax.htm"), "--plugin", strProgramFolder() + "npfdhosttest.dll",
                     "--quit-when-idle", "1000", "--steps", "key:9", "--screenshot", *s_dir + "\\shot.bmp"},
                    *s_dir));
    }
    static void TearDownTestSuite()
    {
        delete s_run;
        delete s_dir;
        s_run = nullptr;
        s_dir = nullptr;
    }
    const SHostRun& run() const { return *s_run; }
    // The host's instance numbers of the first control (by CLSID) and the
    // last one (by ProgID).
    std::string one() const { return strCreated(0); }
    std::string two() const { return strCreated(1); }
    std::string strCreated(std::size_t i) const
    {
        const std::vector<SLogLine> v = linesOf(run().host, "AX_CREATE", "clsid", kClsid);
        return i < v.size() ? v[i].strGet("instance") : "?";
    }
    std::vector<SLogLine> control(const std::string& kind, const char* ctl = "1") const
    {
        return linesOf(run().control, kind, "ctl", ctl);
    }
    // The first line of that kind from the first control, or an empty line.
    SLogLine first(const std::string& kind) const
    {
        const std::vector<SLogLine> v = control(kind);
        return v.empty() ? SLogLine() : v[0];
    }

    static HRESULT s_hrRegister;
    static std::string* s_dir;
    static SHostRun* s_run;
};
HRESULT ActiveXPage::s_hrRegister = E_FAIL;
std::string* ActiveXPage::s_dir = nullptr;
SHostRun* ActiveXPage::s_run = nullptr;

TEST_F(ActiveXPage, CreatedByClsidAndByProgId)
{
    ASSERT_EQ(S_OK, s_hrRegister);
    ASSERT_EQ(0, run().lExit) << run().strDir;
    const std::vector<SLogLine> created = linesOf(run().host, "AX_CREATE");
    ASSERT_EQ(3u, created.size());
    EXPECT_EQ("0x00000000", created[0].strGet("result"));
    EXPECT_EQ(kClsid, created[0].strGet("clsid"));
    EXPECT_EQ("main", created[0].strGet("frame"));
    EXPECT_EQ("Feldane.NoSuch.1", created[1].strGet("classid"));
    EXPECT_NE("0x00000000", created[1].strGet("result"));
    EXPECT_EQ("FdHostTest.AxControl.1", created[2].strGet("classid"));
    EXPECT_EQ(kClsid, created[2].strGet("clsid"));
    EXPECT_EQ("0x00000000", created[2].strGet("result"));
    for (const SLogLine& a : linesOf(run().host, "AX_ACTIVATE"))
        EXPECT_EQ("0x00000000", a.strGet("result"));
    // The content of a created OBJECT stays hidden; that of a failed one is used.
    EXPECT_TRUE(linesOf(run().plugin, "NPP_NEW", "id", "hidden-fallback").empty());
    EXPECT_EQ(1u, linesOf(run().plugin, "NPP_NEW", "id", "fallback2").size());
}

TEST_F(ActiveXPage, SiteFirstThenPropertyBag)
{
    std::vector<std::string> order;
    for (const SLogLine& l : run().control)
        if (l.strGet("ctl") == "1")
            order.push_back(l.strKind);
    ASSERT_GE(order.size(), 4u);
    EXPECT_EQ("SETCLIENTSITE", order[0]) << "OLEMISC_SETCLIENTSITEFIRST: the site comes before the load";
    EXPECT_EQ("LOAD", order[1]);
    EXPECT_EQ("1", first("LOAD").strGet("site_set"));
    EXPECT_EQ("FdBrowserHost", first("SETHOSTNAMES").strGet("app"));
    const SLogLine extent = first("SETEXTENT");
    EXPECT_EQ(std::to_string(160 * 2540 / 96), extent.strGet("cx"));
    EXPECT_EQ(std::to_string(90 * 2540 / 96), extent.strGet("cy"));
    const SLogLine load = lineOf(run().host, "AX_LOAD", "instance", one());
    EXPECT_EQ("0x00000000", load.strGet("result"));
    EXPECT_EQ("5", load.strGet("params"));
}

TEST_F(ActiveXPage, ParamsThroughBothBags)
{
    ASSERT_EQ("5", first("COUNT").strGet("n"));
    struct
    {
        const char* name;
        const char* vt;
        const char* value;
    } const want[] = {
        {"Action", "8", nullptr},           {"launchapp", "8", "Ludex"}, {"num", "3", "42"},
        {"texte", "8", "caf\xE9 \xA3\xA3"}, {"empty", "8", ""},
    };
    const std::vector<SLogLine> params = control("PARAM");
    ASSERT_EQ(5u, params.size());
    for (std::size_t i = 0; i < 5; ++i)
    {
        EXPECT_EQ(std::to_string(i), params[i].strGet("index"));
        EXPECT_EQ(want[i].name, params[i].strGet("name")) << i;
        EXPECT_EQ(want[i].vt, params[i].strGet("vt")) << i;
        EXPECT_EQ("0x00000000", params[i].strGet("result")) << i;
        if (want[i].value)
        {
            EXPECT_EQ(want[i].value, params[i].strGet("value")) << i;
        }
    }
    EXPECT_EQ("0x80070057", first("INFO_PAST_END").strGet("result")) << "E_INVALIDARG past the last PARAM";
    EXPECT_EQ("0", first("INFO_PAST_END").strGet("got"));

    const std::vector<SLogLine> reads = control("BAGREAD");
    ASSERT_EQ(3u, reads.size());
    EXPECT_EQ("0x00000000", reads[0].strGet("result")) << "names compare without case";
    EXPECT_EQ("Ludex", reads[0].strGet("value"));
    EXPECT_EQ("42", reads[1].strGet("value")) << "a number read as text";
    EXPECT_EQ("0x80070057", reads[2].strGet("result")) << "an absent PARAM";
    // The container logged each read.
    std::vector<std::string> viaBag2;
    std::vector<std::string> viaBag;
    for (const SLogLine& r : linesOf(run().host, "AX_PARAM_READ", "instance", one()))
        (r.strGet("via") == "bag2" ? viaBag2 : viaBag).push_back(r.strGet("name"));
    EXPECT_EQ((std::vector<std::string>{"Action", "launchapp", "num", "texte", "empty"}), viaBag2);
    EXPECT_EQ((std::vector<std::string>{"LAUNCHAPP", "num", "absent"}), viaBag);
}

TEST_F(ActiveXPage, InPlaceActivation)
{
    const SLogLine a = first("ACTIVATE");
    EXPECT_EQ("-5", a.strGet("verb")) << "OLEIVERB_INPLACEACTIVATE";
    EXPECT_EQ("0x00000000", a.strGet("can"));
    EXPECT_EQ("0x00000000", a.strGet("context"));
    EXPECT_EQ("1", a.strGet("site_window_is_parent"));
    EXPECT_EQ("1", a.strGet("frame"));
    EXPECT_EQ("1", a.strGet("frame_window_is_parent"));
    EXPECT_EQ("1", a.strGet("given_rect_same"));
    EXPECT_EQ(160, std::stoi(a.strGet("right")) - std::stoi(a.strGet("left")));
    EXPECT_EQ(90, std::stoi(a.strGet("bottom")) - std::stoi(a.strGet("top")));
    EXPECT_EQ(1u, control("CLOSE").size());
    EXPECT_EQ(2u, linesOf(run().host, "AX_CLOSE").size());
}

TEST_F(ActiveXPage, StatusAndNavigationsReachThePage)
{
    EXPECT_EQ("Pr\xEAt", lineOf(run().host, "STATUS", "instance", one()).strGet("text"));
    EXPECT_EQ("second", lineOf(run().host, "STATUS", "instance", two()).strGet("text"));

    const std::vector<SLogLine> navs = linesOf(run().host, "NAVIGATE", "instance", one());
    ASSERT_EQ(4u, navs.size());
    EXPECT_EQ(strWebUrl("/nav-ax.htm"), navs[0].strGet("url"));
    EXPECT_EQ("game", navs[0].strGet("frame"));
    EXPECT_EQ("1", navs[0].strGet("known"));
    EXPECT_EQ(strWebUrl("/_/body?text=x"), navs[1].strGet("url"));
    EXPECT_EQ("_blank", navs[1].strGet("frame"));
    EXPECT_EQ(strWebUrl("/rel.htm"), navs[2].strGet("url"));
    EXPECT_EQ("main", navs[2].strGet("frame")) << "no target frame: the control's own frame";
    EXPECT_EQ(0u, navs[3].strGet("url").find("file:///")) << navs[3].strGet("url");
    EXPECT_EQ("game", navs[3].strGet("frame"));
    const SLogLine html = lineOf(run().host, "HTML", "instance", one());
    EXPECT_EQ("<p>Pouss\xE9</p>", html.strGet("data"));
    EXPECT_EQ("game", html.strGet("frame"));
    for (const SLogLine& n : control("NAVIGATE"))
        EXPECT_EQ("0x00000000", n.strGet("result")) << n.strGet("url");
}

TEST_F(ActiveXPage, KeyboardGoesToTheControlFirst)
{
    const UINT uTab = RegisterWindowMessageA("FdHostTestCtlTab");
    const std::vector<SLogLine> accel = linesOf(run().host, "AX_ACCEL", "instance", one());
    ASSERT_EQ(2u, accel.size()) << "key down and key up";
    EXPECT_EQ("0x00000100", accel[0].strGet("message"));
    EXPECT_EQ("9", accel[0].strGet("wparam_before"));
    EXPECT_EQ(std::to_string(uTab), accel[0].strGet("wparam_after"));
    EXPECT_EQ("0x00000001", accel[0].strGet("result")) << "S_FALSE: not handled, passed on";
    EXPECT_EQ(std::to_string(uTab), first("WINDOW_KEYDOWN").strGet("wparam"))
        << "the message goes on to the window as the control changed it";
}

TEST_F(ActiveXPage, ScreenshotShowsTheControl)
{
    EXPECT_EQ("0", lineOf(run().host, "SCREENSHOT").strGet("error"));
    const std::string bytes = strReadFile(*s_dir + "\\shot.bmp");
    FdBrowserHost::SPixels pixels;
    ASSERT_TRUE(
        FdBrowserHost::boBmpDecode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &pixels));
    const SLogLine a = first("ACTIVATE");
    const uint32_t cx =
        static_cast<uint32_t>((std::stoi(a.strGet("left")) + std::stoi(a.strGet("right"))) / 2);
    const uint32_t cy =
        static_cast<uint32_t>((std::stoi(a.strGet("top")) + std::stoi(a.strGet("bottom"))) / 2);
    EXPECT_EQ(0x30A050u, FdBrowserHost::dwPixel(pixels, cx, cy));
}
} // namespace
