// Runs ImageShow.exe on the decoder fixtures and checks pixels of its
// screenshot (imageshow.bmp, left in the test's build folder) against what
// the decoders read from the same files.
#include "BmpFile.h"
#include "GifDecoder.h"
#include "ImageFixtures.h"
#include "TestKit.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

using namespace FdHtml;
using FdHtmlTest::readFile;
using FdHtmlTest::strFixturePath;

namespace
{
constexpr DWORD kRunTimeoutMs = 60000;
const uint32_t kTeal = 0x40A0A0;

// Runs the viewer; its exit code, or -1 when it did not end in time.
long lRun(const std::string& args)
{
    std::string cmd = "\"" + FdTestKit::strProgramFolder() + "ImageShow.exe\" " + args;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -2;
    long code = -1;
    if (WaitForSingleObject(pi.hProcess, kRunTimeoutMs) == WAIT_OBJECT_0)
    {
        DWORD dw = 0;
        GetExitCodeProcess(pi.hProcess, &dw);
        code = static_cast<long>(dw);
    }
    else
        TerminateProcess(pi.hProcess, 99);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

struct SCell
{
    int x, y, w, h;
};

uint32_t rgbOf(const SRgb& c)
{
    return (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b;
}

// Checks a GIF frame drawn in a cell: stretched to it when opaque, at its
// own size over the teal background when transparent.
void vExpectFrame(const FdBrowserHost::SPixels& shot, const SDecodedImage& img, std::size_t frame,
                  const SCell& cell, int line)
{
    SCOPED_TRACE(testing::Message() << "called from line " << line << ", frame " << frame);
    const int scale = img.boTransparent ? 1 : 2;
    for (int py = 0; py < img.rect.height; ++py)
    {
        for (int px = 0; px < img.rect.width; ++px)
        {
            const uint8_t idx = img.frames[frame][static_cast<std::size_t>(py) * img.rect.width + px];
            const uint32_t want =
                img.boTransparent && idx == img.bTransparentIndex ? kTeal : rgbOf(img.palette[idx]);
            ASSERT_EQ(FdBrowserHost::dwPixel(shot, cell.x + scale * px, cell.y + scale * py), want)
                << "pixel " << px << "," << py;
        }
    }
}
} // namespace

TEST(ImageShow, ScreenshotShowsTheFixturesFrames)
{
    std::string dir = strFixturePath("");
    dir.pop_back(); // the final backslash
    ASSERT_EQ(lRun("--dir \"" + dir + "\" --layout layout.txt --ticks 1 --screenshot imageshow.bmp"), 0);

    std::map<std::string, SCell> cells; // "name frame"
    std::ifstream layout("layout.txt");
    std::string name;
    int frame = 0;
    SCell c;
    while (layout >> name >> frame >> c.x >> c.y >> c.w >> c.h)
        cells[name + " " + std::to_string(frame)] = c;
    ASSERT_TRUE(cells.count("still.gif 0"));
    ASSERT_TRUE(cells.count("animated.gif 1"));
    ASSERT_TRUE(cells.count("animated.gif -1"));
    ASSERT_TRUE(cells.count("bmp24.bmp 0"));

    const std::vector<uint8_t> bytes = readFile("imageshow.bmp");
    FdBrowserHost::SPixels shot;
    ASSERT_TRUE(FdBrowserHost::boBmpDecode(bytes.data(), bytes.size(), &shot));

    for (const char* gif : {"still.gif", "interlaced.gif", "smiley.gif", "wide.gif"})
    {
        SCOPED_TRACE(gif);
        const std::vector<uint8_t> file = readFile(strFixturePath(gif));
        SDecodedImage img;
        ASSERT_TRUE(gifDecode(file.data(), file.size(), &img).boOk());
        vExpectFrame(shot, img, 0, cells[std::string(gif) + " 0"], __LINE__);
    }
    // Both frames of the animated smiley side by side, and the moving cell
    // one tick on: frame 1 over the background saved under it.
    const std::vector<uint8_t> file = readFile(strFixturePath("animated.gif"));
    SDecodedImage anim;
    ASSERT_TRUE(gifDecode(file.data(), file.size(), &anim).boOk());
    vExpectFrame(shot, anim, 0, cells["animated.gif 0"], __LINE__);
    vExpectFrame(shot, anim, 1, cells["animated.gif 1"], __LINE__);
    vExpectFrame(shot, anim, 1, cells["animated.gif -1"], __LINE__);

    // The 24-bit BMP stretched twice: Pillow's colours.
    const std::vector<uint8_t> rgb = readFile(strFixturePath("bmp24.bmp.idx"));
    const SCell bmp = cells["bmp24.bmp 0"];
    ASSERT_EQ(bmp.w, 14);
    for (int py = 0; py < 5; ++py)
    {
        for (int px = 0; px < 7; ++px)
        {
            const std::size_t k = 3 * (static_cast<std::size_t>(py) * 7 + px);
            const uint32_t want = (uint32_t{rgb[k]} << 16) | (uint32_t{rgb[k + 1]} << 8) | rgb[k + 2];
            ASSERT_EQ(FdBrowserHost::dwPixel(shot, bmp.x + 2 * px + 1, bmp.y + 2 * py + 1), want)
                << px << "," << py;
        }
    }
}

TEST(ImageShow, BadArgumentsAndEmptyFolders)
{
    EXPECT_EQ(lRun(""), 2);
    EXPECT_EQ(lRun("--colour red"), 2);
    EXPECT_EQ(lRun("--dir . --ticks"), 2);
    const FdTestKit::CScratchFolder empty;
    EXPECT_EQ(lRun("--dir \"" + empty.Path() + "\" --screenshot x.bmp"), 1);
}
