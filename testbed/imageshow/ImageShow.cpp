// ImageShow: shows every GIF and BMP of a folder through the renderer's
// image code, one row per file: each frame side by side at twice its size
// (transparent ones at their own, over the window's teal), and for animated
// files one more cell where the frames follow each other at their delay.
//
//   ImageShow.exe --dir <folder> [--layout <file>] [--ticks <n> --screenshot <file.bmp>]
//
// --layout writes "name frame x y width height" per cell (frame -1: the
// animated cell). --screenshot steps every animation n frames, writes the
// client area as a BMP file and exits (0 when written).
#include "ImageCache.h"
#include "Screenshot.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace
{
using namespace FdHtml;

const char kClassName[] = "OrbelleImageShow";
const COLORREF kBackground = RGB(64, 160, 160);
constexpr int kMargin = 8;
constexpr int kLabelWidth = 112;
constexpr UINT kScreenshotMessage = WM_APP + 1;
constexpr UINT_PTR kFirstTimer = 100;

struct SRow
{
    std::string name;
    CHtmlImageSource* pImage = nullptr;
    int y = 0;
    int cellWidth = 0;
    int cellHeight = 0;
    int frames = 0;     // decoded frames
    int animated = 0;   // frame count when animated, else 0
    uint32_t delay = 0; // of the animation
    int current = 0;    // frame shown in the animated cell
    CImageBackdrop backdrop;
};

struct SOptions
{
    std::string dir;
    std::string layout;
    std::string screenshot;
    int ticks = 0;
};

class CImageShow
{
public:
    explicit CImageShow(const SOptions& options) : m_options(options) {}
    ~CImageShow()
    {
        for (auto& row : m_rows)
            m_cache.ReleaseImage(row->pImage);
    }

    bool boLoad();
    bool boCreate(HINSTANCE hInstance);
    int iExitCode() const { return m_exitCode; }
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

private:
    LRESULT lOnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void vPaint(HDC hdc);
    void vDrawAnimated(HDC hdc, SRow& row);
    void vTick(SRow& row);
    int iAnimatedX(const SRow& row) const
    {
        return kMargin + kLabelWidth + row.frames * (row.cellWidth + kMargin);
    }
    void vWriteLayout() const;
    void vScreenshot();

    SOptions m_options;
    CImageCache m_cache;
    std::vector<std::unique_ptr<SRow>> m_rows;
    HWND m_hwnd = nullptr;
    int m_width = 0;
    int m_height = 0;
    int m_exitCode = 0;
};

bool CImageShow::boLoad()
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE hFind = FindFirstFileA((m_options.dir + "\\*").c_str(), &fd);
    if (hFind == INVALID_HANDLE_VALUE)
        return false;
    do
    {
        const std::string name = fd.cFileName;
        if (imageKindByName(name) != kImageUnknown)
            names.push_back(name);
    } while (FindNextFileA(hFind, &fd));
    FindClose(hFind);
    std::sort(names.begin(), names.end());

    int y = kMargin;
    for (const std::string& name : names)
    {
        auto row = std::make_unique<SRow>();
        row->name = name;
        row->pImage = m_cache.GetImage(m_options.dir + "\\" + name, nullptr);
        if (!row->pImage || !row->pImage->image() || row->pImage->image()->frames() == 0)
        {
            m_cache.ReleaseImage(row->pImage);
            continue;
        }
        const SImageRect rc = row->pImage->rect();
        row->y = y;
        row->cellWidth = 2 * rc.width;
        row->cellHeight = 2 * rc.height;
        row->frames = static_cast<int>(row->pImage->image()->frames());
        row->animated = row->pImage->iFrameCount(&row->delay);
        y += row->cellHeight + kMargin;
        m_width = std::max(m_width, iAnimatedX(*row) + (row->animated ? row->cellWidth + kMargin : 0));
        m_rows.push_back(std::move(row));
    }
    m_height = y;
    return !m_rows.empty();
}

bool CImageShow::boCreate(HINSTANCE hInstance)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = hInstance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    if (!RegisterClassA(&wc))
        return false;
    RECT rc = {0, 0, std::max(m_width, 200), m_height};
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    AdjustWindowRect(&rc, style, FALSE);
    m_hwnd = CreateWindowA(kClassName, "Orbelle - images", style, 0, 0, rc.right - rc.left,
                           rc.bottom - rc.top, nullptr, nullptr, hInstance, this);
    if (!m_hwnd)
        return false;
    ShowWindow(m_hwnd, SW_SHOW);
    UpdateWindow(m_hwnd);
    UINT_PTR id = kFirstTimer;
    for (auto& row : m_rows)
    {
        if (row->animated)
            SetTimer(m_hwnd, id, std::max<uint32_t>(row->delay, 50), nullptr);
        ++id;
    }
    if (!m_options.layout.empty())
        vWriteLayout();
    if (!m_options.screenshot.empty())
        PostMessageA(m_hwnd, kScreenshotMessage, 0, 0);
    return true;
}

LRESULT CALLBACK CImageShow::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE)
    {
        const CREATESTRUCTA* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    CImageShow* self = reinterpret_cast<CImageShow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self)
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    // No exception may unwind through the system's dispatching frames.
    try
    {
        self->m_hwnd = hwnd;
        return self->lOnMessage(msg, wParam, lParam);
    }
    catch (...)
    {
        return 0;
    }
}

LRESULT CImageShow::lOnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg)
    {
    case WM_PAINT:
    {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(m_hwnd, &ps);
        vPaint(hdc);
        EndPaint(m_hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1; // the paint fills the whole client area
    case WM_TIMER:
    {
        const std::size_t i = wParam - kFirstTimer;
        if (i < m_rows.size())
            vTick(*m_rows[i]);
        return 0;
    }
    case kScreenshotMessage:
        vScreenshot();
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(m_hwnd, msg, wParam, lParam);
    }
}

void CImageShow::vPaint(HDC hdc)
{
    RECT client;
    GetClientRect(m_hwnd, &client);
    HBRUSH hbr = CreateSolidBrush(kBackground);
    FillRect(hdc, &client, hbr);
    DeleteObject(hbr);
    // The background is new: animated images save what lies under them anew.
    m_cache.EndPaint();
    SetBkMode(hdc, TRANSPARENT);
    for (auto& row : m_rows)
    {
        TextOutA(hdc, kMargin, row->y, row->name.c_str(), static_cast<int>(row->name.size()));
        for (int f = 0; f < row->frames; ++f)
        {
            const int x = kMargin + kLabelWidth + f * (row->cellWidth + kMargin);
            const RECT cell = {x, row->y, x + row->cellWidth, row->y + row->cellHeight};
            row->pImage->iDrawStretched(hdc, cell, f);
        }
        if (row->animated)
            vDrawAnimated(hdc, *row);
    }
}

void CImageShow::vDrawAnimated(HDC hdc, SRow& row)
{
    const int x = iAnimatedX(row);
    row.pImage->iDrawStretched(hdc, RECT{x, row.y, x + row.cellWidth, row.y + row.cellHeight}, row.current,
                               &row.backdrop);
}

void CImageShow::vTick(SRow& row)
{
    row.current = (row.current + 1) % row.animated;
    HDC hdc = GetDC(m_hwnd);
    if (hdc)
    {
        vDrawAnimated(hdc, row);
        ReleaseDC(m_hwnd, hdc);
    }
}

void CImageShow::vWriteLayout() const
{
    FILE* f = std::fopen(m_options.layout.c_str(), "w");
    if (!f)
        return;
    for (const auto& row : m_rows)
    {
        for (int frame = 0; frame < row->frames; ++frame)
            std::fprintf(f, "%s %d %d %d %d %d\n", row->name.c_str(), frame,
                         kMargin + kLabelWidth + frame * (row->cellWidth + kMargin), row->y, row->cellWidth,
                         row->cellHeight);
        if (row->animated)
            std::fprintf(f, "%s -1 %d %d %d %d\n", row->name.c_str(), iAnimatedX(*row), row->y,
                         row->cellWidth, row->cellHeight);
    }
    std::fclose(f);
}

void CImageShow::vScreenshot()
{
    for (int i = 0; i < m_options.ticks; ++i)
    {
        for (auto& row : m_rows)
        {
            if (row->animated)
                vTick(*row);
        }
    }
    FdBrowserHost::SPixels pixels;
    DWORD dwError = 0;
    m_exitCode = FdBrowserHost::boWriteScreenshot(m_hwnd, m_options.screenshot, &pixels, &dwError) ? 0 : 1;
    if (m_exitCode)
        std::fprintf(stderr, "ImageShow: screenshot not written (error %lu)\n", dwError);
    DestroyWindow(m_hwnd);
}
} // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    SOptions options;
    for (int i = 1; i < __argc; i += 2)
    {
        const std::string key = __argv[i];
        if (i + 1 == __argc)
        {
            std::fprintf(stderr, "ImageShow: %s wants a value\n", key.c_str());
            return 2;
        }
        const std::string value = __argv[i + 1];
        if (key == "--dir")
            options.dir = value;
        else if (key == "--layout")
            options.layout = value;
        else if (key == "--screenshot")
            options.screenshot = value;
        else if (key == "--ticks")
            options.ticks = std::atoi(value.c_str());
        else
        {
            std::fprintf(stderr, "ImageShow: unknown option %s\n", key.c_str());
            return 2;
        }
    }
    if (options.dir.empty())
    {
        std::fprintf(stderr,
                     "usage: ImageShow --dir <folder> [--layout <file>] [--ticks <n> --screenshot <file>]\n");
        return 2;
    }
    CImageShow show(options);
    if (!show.boLoad())
    {
        std::fprintf(stderr, "ImageShow: no image loads from %s\n", options.dir.c_str());
        return 1;
    }
    if (!show.boCreate(hInstance))
    {
        std::fprintf(stderr, "ImageShow: window not created (error %lu)\n", GetLastError());
        return 1;
    }
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
    {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return show.iExitCode();
}
