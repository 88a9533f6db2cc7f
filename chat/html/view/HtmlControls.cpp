// The window classes of the page's form controls: "HtmlButton", "HtmlEdit"
// and "HtmlComboBox" are the system's button, edit and combo box with a
// procedure in front that reports focus changes to the view, hands it the
// navigation keys and lets it approve typed characters.
#include "HtmlWnd.h"

namespace
{
// The system procedures, saved at registration; every message the
// renderer's procedures don't keep goes on to them.
WNDPROC g_buttonProc = nullptr;
WNDPROC g_editProc = nullptr;
WNDPROC g_comboProc = nullptr;

bool IsFunctionKey(WPARAM key)
{
    return key >= VK_F1 && key <= VK_F24;
}

bool ControlHeld()
{
    return GetKeyState(VK_CONTROL) < 0;
}

// A key forwarded to the view, which handles it on its own turn.
void ForwardKey(HWND hWnd, WPARAM key, LPARAM lParam)
{
    PostMessageA(GetParent(hWnd), WM_KEYDOWN, key, lParam);
}

// Messages common to the three: true when answered.
bool CommonMessage(WNDPROC system, HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    switch (uMsg)
    {
    case WM_SETFOCUS:
        SendMessageA(GetParent(hWnd), HtmlWnd::kMsgControlFocus, reinterpret_cast<WPARAM>(hWnd), 0);
        *result = CallWindowProcA(system, hWnd, uMsg, wParam, lParam);
        return true;
    case WM_GETDLGCODE:
        *result = CallWindowProcA(system, hWnd, uMsg, wParam, lParam) | DLGC_WANTARROWS | DLGC_WANTTAB |
                  DLGC_WANTALLKEYS;
        return true;
    default:
        return false;
    }
}

// A typed character offered to the view: true when it lets it through.
bool CharApproved(HWND hWnd, WPARAM character)
{
    return SendMessageA(GetParent(hWnd), HtmlWnd::kMsgCharCheck, reinterpret_cast<WPARAM>(hWnd),
                        LPARAM(character)) != 0;
}

LRESULT CALLBACK HtmlButtonProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (CommonMessage(g_buttonProc, hWnd, uMsg, wParam, lParam, &result))
        return result;
    if (uMsg == WM_KEYDOWN)
    {
        const bool plainPush = (GetWindowLongA(hWnd, GWL_STYLE) & 3) == 0;
        if (wParam == VK_RETURN && plainPush)
        {
            // Enter clicks a push button.
            PostMessageA(hWnd, WM_LBUTTONDOWN, MK_LBUTTON, 0x00010001);
            PostMessageA(hWnd, WM_LBUTTONUP, 0, 0x00010001);
            return 1;
        }
        switch (wParam)
        {
        case VK_TAB:
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_HOME:
        case VK_END:
        case VK_CONTROL:
        case VK_RETURN:
            ForwardKey(hWnd, wParam, lParam);
            break;
        default:
            if (IsFunctionKey(wParam) || ControlHeld())
                ForwardKey(hWnd, wParam, lParam);
            break;
        }
    }
    return CallWindowProcA(g_buttonProc, hWnd, uMsg, wParam, lParam);
}

LRESULT CALLBACK HtmlEditProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (CommonMessage(g_editProc, hWnd, uMsg, wParam, lParam, &result))
        return result;
    if (uMsg == WM_KEYDOWN)
    {
        switch (wParam)
        {
        case VK_HOME:
        case VK_END:
        case VK_UP:
        case VK_DOWN:
        case VK_CONTROL:
            // Reported to the view, and still moving the caret.
            SendMessageA(GetParent(hWnd), WM_KEYDOWN, wParam, lParam);
            break;
        case VK_TAB:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_RETURN:
        case VK_ESCAPE:
            SendMessageA(GetParent(hWnd), WM_KEYDOWN, wParam, lParam);
            return 0;
        default:
            if (IsFunctionKey(wParam))
            {
                SendMessageA(GetParent(hWnd), WM_KEYDOWN, wParam, lParam);
                return 0;
            }
            if (ControlHeld())
                ForwardKey(hWnd, wParam, lParam);
            break;
        }
    }
    else if (uMsg == WM_CHAR)
    {
        if (wParam == '\t')
            return 1;
        if (wParam == '\r' || wParam == 0x1B)
        {
            // Only a multi-line edit takes Enter and Escape.
            if ((GetWindowLongA(hWnd, GWL_STYLE) & ES_MULTILINE) == 0)
                return 0;
        }
        else if (!CharApproved(hWnd, wParam))
        {
            return 0;
        }
    }
    return CallWindowProcA(g_editProc, hWnd, uMsg, wParam, lParam);
}

LRESULT CALLBACK HtmlComboBoxProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (CommonMessage(g_comboProc, hWnd, uMsg, wParam, lParam, &result))
        return result;
    switch (uMsg)
    {
    case WM_NCCREATE:
        SetWindowLongA(hWnd, GWL_EXSTYLE, GetWindowLongA(hWnd, GWL_EXSTYLE) | WS_EX_CLIENTEDGE);
        break;
    case WM_KEYDOWN:
    {
        const bool dropped = CallWindowProcA(g_comboProc, hWnd, CB_GETDROPPEDSTATE, 0, 0) != 0;
        switch (wParam)
        {
        case VK_HOME:
        case VK_END:
        case VK_CONTROL:
            ForwardKey(hWnd, wParam, lParam);
            break;
        case VK_TAB:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_DELETE:
            ForwardKey(hWnd, wParam, lParam);
            return 1;
        case VK_RETURN:
        case VK_ESCAPE:
            if (dropped)
                break;
            ForwardKey(hWnd, wParam, lParam);
            return 1;
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN:
            break;
        default:
            if (IsFunctionKey(wParam))
            {
                ForwardKey(hWnd, wParam, lParam);
                return 1;
            }
            if (ControlHeld())
                ForwardKey(hWnd, wParam, lParam);
            break;
        }
        break;
    }
    case WM_CHAR:
        if (wParam == '\t')
            return 1;
        if (!CharApproved(hWnd, wParam))
            return 0;
        break;
    default:
        break;
    }
    return CallWindowProcA(g_comboProc, hWnd, uMsg, wParam, lParam);
}

// One renderer class over one system class in the module.
bool RegisterOne(HINSTANCE module, const char* systemClass, const char* name, WNDPROC proc, WNDPROC* saved,
                 bool whiteBackground)
{
    WNDCLASSA system = {};
    if (!GetClassInfoA(nullptr, systemClass, &system))
        return false;
    *saved = system.lpfnWndProc;
    WNDCLASSA existing = {};
    if (GetClassInfoA(module, name, &existing))
    {
        if (existing.lpfnWndProc == proc)
            return true;
        // Someone else's class of that name in the module: ours replaces it.
        UnregisterClassA(name, module);
    }
    WNDCLASSA wc = system;
    wc.style &= ~UINT(CS_GLOBALCLASS);
    wc.lpfnWndProc = proc;
    wc.hInstance = module;
    wc.lpszClassName = name;
    if (whiteBackground)
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    return RegisterClassA(&wc) != 0;
}
} // namespace

bool HtmlWnd::RegisterControlClasses(HINSTANCE module)
{
    bool all = RegisterOne(module, "button", "HtmlButton", HtmlButtonProc, &g_buttonProc, true);
    all = RegisterOne(module, "edit", "HtmlEdit", HtmlEditProc, &g_editProc, false) && all;
    all = RegisterOne(module, "combobox", "HtmlComboBox", HtmlComboBoxProc, &g_comboProc, false) && all;
    return all;
}
