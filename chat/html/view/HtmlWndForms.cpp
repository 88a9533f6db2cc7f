// The view's form controls, keyboard focus and tab order, the keys it
// handles, and the form values its owner reads and writes.
#include <windows.h>

#include <commctrl.h>

#include "HtmlAttr.h"
#include "HtmlElements.h"
#include "HtmlFlow.h"
#include "HtmlGdiDC.h"
#include "HtmlTabOrder.h"
#include "../doc/HtmlText.h"
#include "HtmlWnd.h"
#include "WindowDC.h"

namespace
{
constexpr const char* kOwnerKind = "HTMLWND";
constexpr DWORD kEditBase = WS_CHILD | WS_VISIBLE | WS_TABSTOP;                     // 0x50010000
constexpr DWORD kButtonBase = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP; // 0x54010000

HWND Window(const CTagINPUT* input)
{
    return static_cast<HWND>(input->GetDesc().window);
}

// The element's keyboard focus: into its control, or out of it to the view.
void ControlFocus(void* window, int32_t focus)
{
    HWND control = static_cast<HWND>(window);
    if (!IsWindow(control))
        return;
    if (focus)
        SetFocus(control);
    else if (GetFocus() == control)
        SetFocus(GetParent(control));
}

bool IsEditType(const std::string& type)
{
    return type == "TEXT" || type == "PASSWORD" || type == "TEXTAREA";
}

void FreeItemValues(HWND combo)
{
    const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i)
    {
        const LRESULT data = SendMessageA(combo, CB_GETITEMDATA, WPARAM(i), 0);
        if (data != CB_ERR && data != 0)
            delete reinterpret_cast<std::string*>(data);
        SendMessageA(combo, CB_SETITEMDATA, WPARAM(i), 0);
    }
}
} // namespace

template <class Visit> bool HtmlWnd::ForEachView(Visit visit)
{
    if (visit(this))
        return true;
    for (HtmlWnd* child : GetChildViews())
        if (child != nullptr && child->ForEachView(visit))
            return true;
    return false;
}

std::vector<HtmlWnd*> HtmlWnd::GetChildViews() const
{
    std::vector<HtmlWnd*> views;
    views.reserve(m_frame.children.size());
    for (const HtmlFrameView& frame : m_frame.children)
        if (frame.view != nullptr)
            views.push_back(frame.view.get());
    return views;
}

// --- controls

int32_t HtmlWnd::NextControlId() const
{
    for (int32_t id = kFirstControlId; id < kLastControlId; ++id)
        if (hWnd() == nullptr || GetDlgItem(hWnd(), id) == nullptr)
            return id;
    return 0;
}

void HtmlWnd::CreateControl(CTagINPUT* input, CHtmlObject*)
{
    if (input == nullptr)
        return;
    m_forms.controls.push_back(input);
    FormControlDesc& desc = input->GetDesc();
    const char* className = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    if (IsEditType(desc.type))
    {
        className = "HtmlEdit";
        if (desc.type == "TEXTAREA")
            style = HtmlEqualNoCase(GetAttrValue("WRAP", desc.attributes, ""), "off") ? 0x3010C4 : 0x201044;
        else if (desc.type == "PASSWORD")
            style = ES_PASSWORD | ES_AUTOHSCROLL;
        else
            style = ES_AUTOHSCROLL;
        if (desc.border != 0)
        {
            style |= WS_BORDER;
            exStyle |= WS_EX_CLIENTEDGE;
        }
        if (desc.align == 2)
            style |= ES_RIGHT;
        else if (desc.align == 4)
            style |= ES_CENTER;
        style |= kEditBase;
    }
    else if (desc.type == "CHECKBOX" || desc.type == "RADIO" || desc.type == "SUBMIT")
    {
        className = "HtmlButton";
        if (desc.type == "CHECKBOX")
            style = BS_AUTOCHECKBOX;
        else if (desc.type == "SUBMIT")
            style = BS_PUSHBUTTON;
        else
        {
            style = BS_AUTORADIOBUTTON;
            if (desc.name != m_forms.lastRadioGroup)
            {
                style |= WS_GROUP;
                m_forms.lastRadioGroup = desc.name;
            }
        }
        if (desc.type != "SUBMIT" && desc.align == 1)
            style |= BS_LEFTTEXT;
        style |= kButtonBase;
    }
    else if (desc.type == "SELECT")
    {
        className = "HtmlComboBox";
        style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
    }
    else
    {
        if (m_load.handler != nullptr)
            m_load.handler->CreateControl(input, this);
        return;
    }
    if (hWnd() == nullptr)
        return;
    // The controls are made in the document's module, where their classes are registered.
    HINSTANCE module = GetResourceModule() != nullptr ? GetResourceModule() : GetModuleHandleA(nullptr);
    RegisterControlClasses(module);
    CTagINPUT::SetFocusHook(ControlFocus);
    const int32_t id = NextControlId();
    if (id == 0)
        return;
    HWND control =
        CreateWindowExA(exStyle, className, desc.value.c_str(), style & ~WS_VISIBLE, -10, -10, -9, -9, hWnd(),
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), module, nullptr);
    if (control == nullptr)
        return;
    // Made without WS_VISIBLE so that it can't flash at (-10, -10); the style
    // bit comes back when the first placement shows it.
    ShowWindow(control, SW_HIDE);
    desc.ownerKind = kOwnerKind;
    desc.window = control;
    desc.className = className;
    desc.visible = 0;
    desc.placed = 0;
    if (IsEditType(desc.type))
    {
        if (desc.maxLength != -1)
            SendMessageA(control, EM_LIMITTEXT, WPARAM(desc.maxLength), 0);
        if (desc.disabled)
            SendMessageA(control, EM_SETREADONLY, 1, 0);
    }
    else
    {
        if (desc.checked && desc.type != "SELECT")
            SendMessageA(control, BM_SETCHECK, BST_CHECKED, 0);
        if (desc.disabled)
            EnableWindow(control, FALSE);
    }
    if (desc.type == "SELECT")
    {
        for (size_t i = 0; i < desc.optionTexts.size(); ++i)
        {
            const LRESULT at = SendMessageA(control, CB_ADDSTRING, 0, LPARAM(desc.optionTexts[i].c_str()));
            if (at >= 0)
                SendMessageA(control, CB_SETITEMDATA, WPARAM(at),
                             reinterpret_cast<LPARAM>(new std::string(desc.optionValues[i])));
        }
        SendMessageA(control, CB_SETCURSEL, WPARAM(desc.selected), 0);
    }
}

int32_t HtmlWnd::OnControlFont(CTagINPUT* input, HDC__* dc, CHtmlObject*)
{
    const int32_t answer = m_load.handler != nullptr ? m_load.handler->OnControlFont(input, dc, this) : 1;
    if (answer == 0 || input == nullptr || dc == nullptr)
        return answer;
    HWND control = Window(input);
    if (ControlByWindow(control) == nullptr || !IsWindow(control))
        return answer;
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetCurrentObject(dc, OBJ_FONT)), TRUE);
    return 0;
}

void HtmlWnd::OnControlCreated(CTagINPUT* input, CHtmlObject*)
{
    if (m_load.handler != nullptr)
        m_load.handler->OnControlCreated(input, this);
}

void HtmlWnd::MoveControl(CTagINPUT* input, int32_t left, int32_t top, int32_t right, int32_t bottom,
                          int32_t showCommand, CHtmlObject*)
{
    HWND control = input != nullptr ? Window(input) : nullptr;
    if (ControlByWindow(control) != nullptr && input->GetDesc().ownerKind == kOwnerKind && IsWindow(control))
    {
        FormControlDesc& desc = input->GetDesc();
        const bool visible = IsWindowVisible(control) != FALSE;
        if (showCommand == SW_HIDE && visible)
            ShowWindow(control, SW_HIDE);
        else if (showCommand == SW_SHOW && !visible)
            ShowWindow(control, SW_SHOW);
        desc.visible = IsWindowVisible(control) ? 1 : 0;
        RECT now;
        GetWindowRect(control, &now);
        MapWindowPoints(nullptr, hWnd(), reinterpret_cast<POINT*>(&now), 2);
        if (desc.type == "SELECT")
            MoveWindow(control, left, top, right - left, bottom - top, TRUE);
        else if (now.left != left || now.top != top || now.right - now.left != right - left)
            MoveWindow(control, left, top, right - left, input->GetHeight(), TRUE);
        if (!desc.placed)
        {
            desc.placed = 1;
            PostMessageA(hWnd(), kMsgControlPlaced, reinterpret_cast<WPARAM>(control), 0);
        }
    }
    if (m_load.handler != nullptr)
        m_load.handler->MoveControl(input, left, top, right, bottom, showCommand, this);
}

void HtmlWnd::DestroyControl(CTagINPUT* input, CHtmlObject*)
{
    if (input == nullptr)
        return;
    FormControlDesc& desc = input->GetDesc();
    if (desc.ownerKind == kOwnerKind)
    {
        HWND control = Window(input);
        if (IsWindow(control))
        {
            if (desc.type == "SELECT")
                FreeItemValues(control);
            DestroyWindow(control);
        }
        desc.window = nullptr;
        desc.className.clear();
        desc.visible = 0;
    }
    m_forms.Forget(input);
    if (m_load.handler != nullptr)
        m_load.handler->DestroyControl(input, this);
}

CTagINPUT* HtmlWnd::ControlById(int32_t id) const
{
    for (CTagINPUT* input : m_forms.controls)
    {
        HWND control = Window(input);
        if (control != nullptr && GetDlgCtrlID(control) == id)
            return input;
    }
    return nullptr;
}

CTagINPUT* HtmlWnd::ControlByWindow(HWND control) const
{
    if (control == nullptr)
        return nullptr;
    for (CTagINPUT* input : m_forms.controls)
        if (Window(input) == control)
            return input;
    return nullptr;
}

// --- forwarded control events

int32_t HtmlWnd::OnControlKey(int32_t key, CTagINPUT* input, CHtmlObject*)
{
    return m_load.handler != nullptr ? m_load.handler->OnControlKey(key, input, this) : 0;
}

int32_t HtmlWnd::OnControlCommand(CTagINPUT* input, int32_t word, int32_t value, CHtmlObject*)
{
    return m_load.handler != nullptr ? m_load.handler->OnControlCommand(input, word, value, this) : 0;
}

int32_t HtmlWnd::OnCommand(int32_t word, int32_t value, HtmlWnd* view, CHtmlObject*)
{
    return m_load.handler != nullptr ? m_load.handler->OnCommand(word, value, view, this) : 0;
}

int32_t HtmlWnd::OnNotify(int32_t controlId, tagNMHDR* header, void* result, CTagINPUT* input, HtmlWnd* view,
                          CHtmlObject*)
{
    return m_load.handler != nullptr ? m_load.handler->OnNotify(controlId, header, result, input, view, this)
                                     : 0;
}

int32_t HtmlWnd::OnSubmit(CTagINPUT* input, CHtmlObject*)
{
    return m_load.handler != nullptr ? m_load.handler->OnSubmit(input, this) : 0;
}

int32_t HtmlWnd::OnControlChanged(CTagINPUT* input, CHtmlObject*)
{
    return m_load.handler != nullptr ? m_load.handler->OnControlChanged(input, this) : 0;
}

int32_t HtmlWnd::OnControlKillFocus(CTagINPUT* input, CHtmlObject*)
{
    return m_load.handler != nullptr ? m_load.handler->OnControlKillFocus(input, this) : 0;
}

int32_t HtmlWnd::OnControlSetFocus(CTagINPUT* input, CHtmlObject*)
{
    return m_load.handler != nullptr ? m_load.handler->OnControlSetFocus(input, this) : 0;
}

int32_t HtmlWnd::OnInputKey(int32_t key, int32_t repeat, int32_t flags, std::string frameName, CHtmlObject*)
{
    return m_load.handler != nullptr ? m_load.handler->OnInputKey(key, repeat, flags, frameName, this) : 0;
}

void HtmlWnd::OnSetFocus(CHtmlObject*)
{
    RedrawFrameBorders();
    if (m_load.handler != nullptr)
        m_load.handler->OnSetFocus(this);
}

void HtmlWnd::OnKillFocus(CHtmlObject*)
{
    RedrawFrameBorders();
    if (m_load.handler != nullptr)
        m_load.handler->OnKillFocus(this);
}

LRESULT HtmlWnd::OnCtlColor(UINT uMsg, HDC dc, HWND control)
{
    CTagINPUT* input = ControlById(GetDlgCtrlID(control));
    if (input == nullptr)
        return lDefault(uMsg, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
    char className[20] = {};
    GetClassNameA(control, className, sizeof className);
    const std::string kind = className;
    uint32_t text = 0xFFFFFFFF;
    if (m_document->GetColor(0, &text) && text < 0xFF000000)
        SetTextColor(dc, text);
    HBRUSH brush = reinterpret_cast<HBRUSH>(input->GetDesc().background);
    if ((kind == "HtmlEdit" || kind == "HtmlComboBox") && brush != nullptr &&
        (uMsg == WM_CTLCOLOREDIT || uMsg == WM_CTLCOLORMSGBOX))
    {
        if (uMsg == WM_CTLCOLOREDIT)
        {
            LOGBRUSH lb = {};
            if (GetObjectA(brush, sizeof lb, &lb) != 0)
                SetBkColor(dc, lb.lbColor);
        }
        return reinterpret_cast<LRESULT>(brush);
    }
    if (kind == "HtmlButton" &&
        (uMsg == WM_CTLCOLORBTN || uMsg == WM_CTLCOLORDLG || uMsg == WM_CTLCOLORSTATIC))
    {
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
    }
    return lDefault(uMsg, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
}

// --- focus and tab order

CTag* HtmlWnd::FocusedElement() const
{
    return CTag::FindTabStopsInList(m_document->GetElements(), true).focused;
}

void HtmlWnd::SetFocusMark(CTag* element, int32_t on)
{
    if (element == nullptr || hWnd() == nullptr)
        return;
    CWindowDC window(hWnd());
    CHtmlGdiDC dc(window.get());
    m_document->SetFocusElement(element, on, &dc);
    auto* input = dynamic_cast<CTagINPUT*>(element);
    if (on)
        m_forms.focusElement = input != nullptr && input->GetDesc().window != nullptr ? input : nullptr;
    else if (m_forms.focusElement == element)
        m_forms.focusElement = nullptr;
}

void HtmlWnd::ClearFocusMark()
{
    std::vector<HtmlTabStop> stops;
    std::vector<HtmlWnd*> views;
    TabRoot()->CollectTabStops(stops, views);
    for (const HtmlTabStop& stop : stops)
        if (stop.focused)
            views[stop.index]->SetFocusMark(static_cast<CTag*>(stop.element), 0);
}

HtmlWnd* HtmlWnd::TabRoot()
{
    HtmlWnd* view = this;
    while (view->m_frame.parent != nullptr && !view->m_frame.tabGroup)
        view = view->m_frame.parent;
    return view;
}

void HtmlWnd::CollectTabStops(std::vector<HtmlTabStop>& stops, std::vector<HtmlWnd*>& views)
{
    const CTag::TabStops found = CTag::FindTabStopsInList(m_document->GetElements(), false);
    for (CTag* element : found.all)
    {
        HtmlTabStop stop;
        stop.element = element;
        stop.index = stops.size();
        const int32_t order = element->GetAttrInt("TABORDER", -1);
        stop.order = element->HasAttr("TABORDER") && order >= 0 ? order : -1;
        stop.focused = element->GetFocus() != 0;
        stops.push_back(stop);
        views.push_back(this);
    }
    for (HtmlWnd* child : GetChildViews())
        if (child != nullptr && !child->m_frame.tabGroup)
            child->CollectTabStops(stops, views);
}

bool HtmlWnd::MoveTabFocus(bool backwards)
{
    HtmlWnd* root = TabRoot();
    std::vector<HtmlTabStop> stops;
    std::vector<HtmlWnd*> views;
    root->CollectTabStops(stops, views);
    HtmlSortTabStops(stops);
    const size_t next = HtmlNextTabStop(stops, backwards);
    std::pair<CTag*, HtmlWnd*> from{nullptr, nullptr};
    std::pair<CTag*, HtmlWnd*> to{nullptr, nullptr};
    for (size_t i = 0; i < stops.size(); ++i)
    {
        const std::pair<CTag*, HtmlWnd*> entry{static_cast<CTag*>(stops[i].element), views[stops[i].index]};
        if (stops[i].focused)
            from = entry;
        if (i == next)
            to = entry;
    }
    if (to.first == nullptr)
        return false;
    if (from.first != nullptr && from.first != to.first)
        from.second->SetFocusMark(from.first, 0);
    auto* input = dynamic_cast<CTagINPUT*>(to.first);
    if (input == nullptr || input->GetDesc().window == nullptr)
    {
        // A link or an image: the keyboard goes to its view.
        if (GetFocus() != to.second->hWnd())
            SetFocus(to.second->hWnd());
    }
    to.second->SetFocusMark(to.first, 1);
    return true;
}

void HtmlWnd::RestoreControlFocus()
{
    if (m_forms.focusElement == nullptr || hWnd() == nullptr)
        return;
    HWND control = Window(m_forms.focusElement);
    if (!IsWindow(control))
        return;
    SetFocus(hWnd());
    SetFocus(control);
}

// --- keys

void HtmlWnd::FollowFocusedLink(int32_t key, int32_t flags)
{
    CTag* focused = FocusedElement();
    if (focused == nullptr)
        return;
    const std::string address = m_document->OnKeyDown(focused, key, flags);
    if (address.empty())
        return;
    CTag* link = focused;
    std::string target;
    for (CTag* walk = focused; walk != nullptr; walk = walk->GetParent())
    {
        if (auto* a = dynamic_cast<CTagA*>(walk))
        {
            link = a;
            target = a->GetTarget();
            break;
        }
    }
    if (CanFollowLink(link, 0, this) != 0 && OnLinkClick(address, target, this) != 0)
        FollowLink(address, target, this);
}

void HtmlWnd::OnKeyDown(WPARAM key, LPARAM lParam)
{
    m_pointer.keyDown = 1;
    EndCapture();
    if (OnInputKey(int32_t(key), LOWORD(lParam), HIWORD(lParam), m_frame.name, this) != 0)
        return;
    switch (key)
    {
    case VK_TAB:
        MoveTabFocus(GetKeyState(VK_SHIFT) < 0);
        break;
    case VK_RETURN:
    case VK_SPACE:
        FollowFocusedLink(int32_t(key), HIWORD(lParam));
        break;
    case VK_PRIOR:
        OnScrollMessage(SB_VERT, SB_PAGEUP);
        break;
    case VK_NEXT:
        OnScrollMessage(SB_VERT, SB_PAGEDOWN);
        break;
    case VK_LEFT:
        OnScrollMessage(SB_HORZ, SB_LINEUP);
        break;
    case VK_RIGHT:
        OnScrollMessage(SB_HORZ, SB_LINEDOWN);
        break;
    case VK_UP:
        OnScrollMessage(SB_VERT, SB_LINEUP);
        break;
    case VK_DOWN:
        OnScrollMessage(SB_VERT, SB_LINEDOWN);
        break;
    default:
        lDefault(WM_KEYDOWN, key, lParam);
        break;
    }
}

// --- messages

bool HtmlWnd::OnFormMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    switch (uMsg)
    {
    case WM_COMMAND:
    {
        if (lParam == 0)
            return false; // menus and accelerators
        if (m_forms.forwardCommands && GetParent(hWnd()) != nullptr)
            SendMessageA(GetParent(hWnd()), WM_COMMAND, wParam, lParam);
        const int32_t id = LOWORD(wParam);
        const int32_t code = HIWORD(wParam);
        CTagINPUT* input = ControlById(id);
        int32_t handled = 0;
        if (input != nullptr)
        {
            switch (code)
            {
            case BN_CLICKED:
                handled = OnSubmit(input, this);
                break;
            case EN_CHANGE:
            case CBN_SELCHANGE:
                handled = OnControlChanged(input, this);
                break;
            case EN_KILLFOCUS:
                handled = OnControlKillFocus(input, this);
                break;
            case EN_SETFOCUS:
                handled = OnControlSetFocus(input, this);
                break;
            default:
                break;
            }
            if (handled == 0)
                handled = OnControlCommand(input, id, code, this);
        }
        else
        {
            handled = OnCommand(id, code, this, this);
        }
        if (handled != 0)
        {
            *result = 0;
            return true;
        }
        return false;
    }
    case WM_NOTIFY:
    {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header == nullptr)
            return false;
        LRESULT answer = 0;
        CTagINPUT* input = ControlByWindow(header->hwndFrom);
        if (OnNotify(int32_t(header->idFrom), header, &answer, input, this, this) == 0)
            return false;
        *result = answer;
        return true;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
        *result = OnCtlColor(uMsg, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        return true;
    case WM_GETDLGCODE:
        *result = lDefault(uMsg, wParam, lParam) | DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTALLKEYS;
        return true;
    case WM_KEYDOWN:
        OnKeyDown(wParam, lParam);
        *result = 0;
        return true;
    case WM_SYSKEYDOWN:
        m_pointer.keyDown = 1;
        EndCapture();
        return false;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        m_pointer.keyDown = 0;
        return false;
    case WM_SETFOCUS:
        if (m_frame.parent == nullptr || m_frame.parent->HasSharedCaches(this) == 0)
        {
            m_caches.RealizePalettes(hWnd());
        }
        OnSetFocus(this);
        *result = 0;
        return true;
    case WM_KILLFOCUS:
        EndCapture();
        OnKillFocus(this);
        *result = 0;
        return true;
    case kMsgControlFocus:
    {
        HWND control = reinterpret_cast<HWND>(wParam);
        CTagINPUT* input = ControlByWindow(control);
        if (input != nullptr && IsChild(hWnd(), control))
        {
            CTag* old = FocusedElement();
            if (old != nullptr && old != input)
                SetFocusMark(old, 0);
            if (old != input)
                SetFocusMark(input, 1);
            m_forms.focusElement = input;
        }
        *result = 0;
        return true;
    }
    case kMsgCharCheck:
    {
        CTagINPUT* input = ControlById(GetDlgCtrlID(reinterpret_cast<HWND>(wParam)));
        *result = OnControlKey(int32_t(lParam), input, this) != 0 ? 0 : 1;
        return true;
    }
    case kMsgControlPlaced:
    {
        HWND control = reinterpret_cast<HWND>(wParam);
        if (CTagINPUT* input = ControlByWindow(control))
        {
            input->SetShowAfterPaint();
            if (IsWindow(control))
            {
                ShowWindow(control, SW_SHOW);
                input->GetDesc().visible = 1;
                InvalidateRect(control, nullptr, TRUE);
            }
            OnControlCreated(input, this);
        }
        *result = 0;
        return true;
    }
    default:
        return false;
    }
}

// --- form values

CTagINPUT* HtmlWnd::FindInputTag(const std::string& name)
{
    CTagINPUT* found = nullptr;
    ForEachView(
        [&](HtmlWnd* view)
        {
            for (CTagINPUT* input : view->m_forms.controls)
            {
                if (input->GetDesc().name == name)
                {
                    found = input;
                    return true;
                }
            }
            return false;
        });
    return found;
}

HWND HtmlWnd::GetInputCtrl(const std::string& name)
{
    CTagINPUT* input = FindInputTag(name);
    return input != nullptr ? Window(input) : nullptr;
}

std::string HtmlWnd::GetInputText(const std::string& name)
{
    HWND control = GetInputCtrl(name);
    if (!IsWindow(control))
        return "";
    const int length = GetWindowTextLengthA(control);
    std::string text(size_t(length) + 1, '\0');
    text.resize(size_t(GetWindowTextA(control, &text[0], length + 1)));
    return text;
}

bool HtmlWnd::SetInputText(const std::string& name, const std::string& text)
{
    HWND control = GetInputCtrl(name);
    return IsWindow(control) && SetWindowTextA(control, text.c_str()) != FALSE;
}

std::string HtmlWnd::GetSelectValue(const std::string& name)
{
    HWND control = GetInputCtrl(name);
    if (!IsWindow(control))
        return "";
    const LRESULT at = SendMessageA(control, CB_GETCURSEL, 0, 0);
    if (at == CB_ERR)
        return "";
    const LRESULT data = SendMessageA(control, CB_GETITEMDATA, WPARAM(at), 0);
    if (data == CB_ERR || data == 0)
        return "";
    return *reinterpret_cast<const std::string*>(data);
}

std::string HtmlWnd::GetRadioValue(const std::string& name)
{
    std::string value;
    ForEachView(
        [&](HtmlWnd* view)
        {
            for (CTagINPUT* input : view->m_forms.controls)
            {
                const FormControlDesc& desc = input->GetDesc();
                if (desc.type == "RADIO" && desc.name == name && IsWindow(Window(input)) &&
                    SendMessageA(Window(input), BM_GETCHECK, 0, 0) == BST_CHECKED)
                {
                    value = desc.value;
                    return true;
                }
            }
            return false;
        });
    return value;
}

bool HtmlWnd::SetRadioValue(const std::string& name, const std::string& value)
{
    bool found = false;
    ForEachView(
        [&](HtmlWnd* view)
        {
            for (CTagINPUT* input : view->m_forms.controls)
            {
                const FormControlDesc& desc = input->GetDesc();
                if (desc.type != "RADIO" || desc.name != name || !IsWindow(Window(input)))
                    continue;
                const bool match = desc.value == value;
                found = found || match;
                SendMessageA(Window(input), BM_SETCHECK, match ? BST_CHECKED : BST_UNCHECKED, 0);
            }
            return false;
        });
    return found;
}

int32_t HtmlWnd::GetCheckBox(const std::string& name)
{
    HWND control = GetInputCtrl(name);
    if (!IsWindow(control))
        return -1;
    return SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

bool HtmlWnd::SetCheckBox(const std::string& name, bool checked)
{
    HWND control = GetInputCtrl(name);
    if (!IsWindow(control))
        return false;
    SendMessageA(control, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    return true;
}

CTag* HtmlWnd::FindTagByName(const std::string& name)
{
    CTag* found = nullptr;
    ForEachView(
        [&](HtmlWnd* view)
        {
            found = view->m_document->FindTagByName(name);
            return found != nullptr;
        });
    return found;
}
