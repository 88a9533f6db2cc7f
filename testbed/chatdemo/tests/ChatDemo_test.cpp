// The sample chat end to end in the browser host: the page of this folder
// embeds npverbolt (EMBED, then OBJECT through the registered control), the
// chat joins #demo on the local IRC server as ann, bob greets and whispers,
// the host types a line into the talk field, which reaches bob, and the
// chat's install check opens its page in the page's "news" frame.
#include "BmpFile.h"
#include "ChatScene.h"
#include "HostRunner.h"
#include "TestHelper.h"

#include <gtest/gtest.h>

#include <windows.h>

using ChatDemo::SChatScene;
using namespace FdHostTest;

namespace
{
const uint32_t kTextWhite = 0xFFFFFFu;

// Bands of rows (of the rectangle) holding at least one pixel of colour.
int iTextBands(const FdBrowserHost::SPixels& p, const RECT& rc, uint32_t colour)
{
    int bands = 0;
    bool inBand = false;
    for (LONG y = rc.top; y < rc.bottom; ++y)
    {
        bool found = false;
        for (LONG x = rc.left; x < rc.right && !found; ++x)
            found = FdBrowserHost::dwPixel(p, static_cast<uint32_t>(x), static_cast<uint32_t>(y)) == colour;
        if (found && !inBand)
            ++bands;
        inBand = found;
    }
    return bands;
}

// What both forms show: ann's line reached bob, keys went to the talk
// field, the install check's navigation with its target, and the message
// zone with bob's two lines and ann's in the picture.
void vCheckScene(const SChatScene& s, const std::string& instanceKind)
{
    ASSERT_TRUE(s.strError.empty()) << s.strError;
    ASSERT_EQ(0, s.lHostExit) << s.strHostLog;
    EXPECT_EQ(0u, s.strBob.find("DONE 0")) << s.strBob;
    EXPECT_NE(std::string::npos, s.strBob.find(":ann!")) << s.strBob;
    EXPECT_NE(std::string::npos, s.strBob.find("PRIVMSG #demo :hi bob")) << s.strBob;

    const FdBrowserHost::SLogLine typed = lineOf(s.hostLog, "TYPE");
    EXPECT_EQ("hi bob", typed.strGet("text")) << s.strHostLog;
    EXPECT_EQ("HtmlEdit", typed.strGet("window")) << "the chat gave its talk field the focus";
    EXPECT_NE("0", typed.strGet("instance")) << "the field is inside the " << instanceKind;
    EXPECT_EQ("HtmlEdit", lineOf(s.hostLog, "KEY", "vk", "13").strGet("window"));

    const FdBrowserHost::SLogLine nav = lineOf(s.hostLog, "NAVIGATE", "target", "news");
    EXPECT_EQ(strWebUrl("/chatdemo/welcome.htm"), nav.strGet("url")) << s.strHostLog;
    EXPECT_EQ("1", nav.strGet("known")) << "the page's own frame";

    const std::string bytes = strReadFile(s.strScreenshot);
    FdBrowserHost::SPixels p;
    ASSERT_TRUE(FdBrowserHost::boBmpDecode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &p))
        << s.strScreenshot;
    // The chat sits at the host's margin (8, 8); its message zone is the
    // frameset's middle row (26 pixels down, 566 wide, above the 58-pixel
    // talk row), drawn in the page colour #005185.
    const RECT zone = {8 + 4, 8 + 30, 8 + 560, 8 + 400 - 58 - 4};
    EXPECT_EQ(0x005185u, FdBrowserHost::dwPixel(p, 8 + 400, 8 + 300));
    // White text: "bob> hello ann", "bob to ann> psst, ann", "ann> hi bob".
    EXPECT_GE(iTextBands(p, zone, kTextWhite), 3) << s.strScreenshot;
}
} // namespace

TEST(ChatDemo, EmbedTalksWithBob)
{
    const SChatScene s =
        ChatDemo::playChatScene("/chatdemo/embed.htm", "embed", strProgramFolder() + "npverbolt.dll");
    FD_HELPER(vCheckScene(s, "plug-in"));
    EXPECT_EQ("0", lineOf(s.hostLog, "NPP_NEW").strGet("result"));
    const FdBrowserHost::SLogLine config =
        lineOf(s.hostLog, "STREAM_END", "url", strWebUrl("/chatpages/chat.vblt"));
    EXPECT_EQ("0", config.strGet("reason")) << "the configuration document is the plug-in's stream";
}

TEST(ChatDemo, ObjectTalksWithBob)
{
    ASSERT_EQ(S_OK, hrRegisterServerDll("npverbolt.dll"));
    const SChatScene s = ChatDemo::playChatScene("/chatdemo/object.htm", "object", "");
    EXPECT_EQ("0x00000000", lineOf(s.hostLog, "AX_CREATE").strGet("result")) << s.strHostLog;
    EXPECT_TRUE(linesOf(s.hostLog, "NPP_NEW").empty()) << "the control, not the host's plug-in";
    FD_HELPER(vCheckScene(s, "control"));
}
