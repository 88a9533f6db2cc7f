// The view on a chat page under Wine: 5,000 chat lines (two links, a tag
// the handler replaces through the hand-over, a line break; a smiley every
// tenth line from a few shared GIFs) in an 800x600 view. Prints the
// milliseconds to load, paint the first screen, measure the height and
// paint at the bottom. Not a test.
//
//   html_view_bench FIXTURES_FOLDER
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "HtmlFlow.h"
#include "HtmlGdiDC.h"
#include "../../doc/HtmlText.h"
#include "HtmlWnd.h"

namespace
{
// Replaces the chat's nick-markup tag by the nick in bold.
class ChatHandler : public CHtmlWndEventsBase
{
public:
    int32_t replaced = 0;
    int32_t OnTag(std::string name, std::string, HtmlMemBlock* content, int32_t length, std::string,
                  CHtmlObject*) override
    {
        if (!HtmlEqualNoCase(name, "DI_MGHDS"))
            return -1;
        ++replaced;
        const std::string nick = HtmlBlockToString(*content, uint32_t(length));
        return HtmlStringToBlock("<B>" + nick + "</B>", content, 0);
    }
};

double Ms(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

LRESULT CALLBACK FrameProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: html_view_bench FIXTURES_FOLDER\n");
        return 64;
    }
    const std::string fixtures = argv[1];
    const char* smileys[] = {"smiley.gif", "still.gif", "animated.gif"};
    std::string page = "STR://<BODY BGCOLOR=#FFFFFF>";
    for (int i = 0; i < 5000; ++i)
    {
        const std::string nick = "nick" + std::to_string(i % 37);
        page += "<a href=\"@BUD@0@" + nick + "\" ><DI_MGHDS STRID=1>" + nick +
                "</DI_MGHDS></a>&gt; <a href=\"@MESS@" + std::to_string(i) + "\" >message number " +
                std::to_string(i) + " says hello to the room</a>";
        if (i % 10 == 0)
            page += " <IMG SRC=\"" + fixtures + "\\" + smileys[(i / 10) % 3] + "\">";
        page += "<BR>";
    }
    page += "</BODY>";

    WNDCLASSA wc = {};
    wc.lpfnWndProc = FrameProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "HtmlBenchFrame";
    RegisterClassA(&wc);
    HWND frame = CreateWindowExA(0, "HtmlBenchFrame", "bench", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr,
                                 nullptr, wc.hInstance, nullptr);
    HtmlWnd view;
    const RECT rc = {0, 0, 800, 600};
    if (frame == nullptr || !view.Create(WS_CHILD | WS_VISIBLE, rc, frame, 1))
    {
        std::fprintf(stderr, "html_view_bench: no window (error %lu)\n", GetLastError());
        return 1;
    }
    ChatHandler handler;
    view.SetHandler(&handler);
    CHtmlDoc* doc = view.GetDocument();

    auto start = std::chrono::steady_clock::now();
    std::string error;
    const int32_t result = doc->Load(page, &error, &view, 1, 0);
    const double load = Ms(start);
    const int32_t handedOver = handler.replaced;
    if (result != 0)
    {
        std::fprintf(stderr, "html_view_bench: load result %d\n", int(result));
        return 1;
    }
    HDC window = GetDC(view.hWnd());
    RECT client;
    GetClientRect(view.hWnd(), &client);
    double first = 0;
    double measure = 0;
    double bottom = 0;
    int32_t height = 0;
    {
        CHtmlGdiDC dc(window);
        start = std::chrono::steady_clock::now();
        doc->Layout(&dc, LayoutRect(0, 0, client.right, client.bottom));
        GdiFlush();
        first = Ms(start);
        start = std::chrono::steady_clock::now();
        height = doc->MeasureHeight(&dc, LayoutRect(0, 0, client.right, client.bottom));
        measure = Ms(start);
        start = std::chrono::steady_clock::now();
        doc->Layout(&dc, LayoutRect(0, height - client.bottom, client.right, height));
        GdiFlush();
        bottom = Ms(start);
    }
    ReleaseDC(view.hWnd(), window);
    start = std::chrono::steady_clock::now();
    view.LoadUrl(page, "", &handler, "", 0, 0, 0);
    UpdateWindow(view.hWnd());
    const double whole = Ms(start);
    std::printf("5000 chat lines, %d tags handed over, page height %d px, view %ldx%ld\n", int(handedOver),
                int(height), client.right, client.bottom);
    std::printf("load (hand-over and tree)      %8.1f ms\n", load);
    std::printf("paint the first screen         %8.1f ms\n", first);
    std::printf("MeasureHeight                  %8.1f ms\n", measure);
    std::printf("paint at the bottom            %8.1f ms\n", bottom);
    std::printf("HtmlWnd::LoadUrl and paint     %8.1f ms\n", whole);
    DestroyWindow(frame);
    return 0;
}
