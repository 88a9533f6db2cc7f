#include "ChatView.h"

#include <algorithm>

#include "HtmlElements.h"
#include "html/doc/HtmlText.h"
#include "HtmlWnd.h"

namespace ChatModel
{

bool CChatHtmlView::boHasFrame(const std::string& name)
{
    return !name.empty() && m_view.FindFrameWnd(name) != nullptr;
}

void CChatHtmlView::vReloadFrame(const std::string& name, bool scrollToEnd)
{
    if (!scrollToEnd || !onPostMergedReload)
    {
        vReloadNow(name, scrollToEnd);
        return;
    }
    if (std::find(m_merged.begin(), m_merged.end(), name) != m_merged.end())
        return;
    m_merged.push_back(name);
    if (m_merged.size() == 1 && !onPostMergedReload())
    {
        m_merged.clear();
        vReloadNow(name, scrollToEnd);
    }
}

void CChatHtmlView::vRunMergedReloads()
{
    const std::vector<std::string> batch = std::move(m_merged);
    m_merged.clear();
    for (const std::string& name : batch)
        vReloadNow(name, true);
}

void CChatHtmlView::vReloadNow(const std::string& name, bool scrollToEnd)
{
    // The empty name is the main view's own page.
    HtmlWnd* frame = name.empty() ? &m_view : m_view.FindFrameWnd(name);
    if (!frame)
        return;
    // The whole view is held still while the frame is rebuilt, so it never
    // shows half a page.
    const BOOL locked = m_view.hWnd() ? LockWindowUpdate(m_view.hWnd()) : FALSE;
    frame->Navigate(std::string(), frame->GetHandler() ? frame->GetHandler() : &m_handler, std::string(), 0,
                    0, 0, 0);
    if (locked)
        LockWindowUpdate(nullptr);
    if (m_view.hWnd())
        UpdateWindow(m_view.hWnd());
    if (scrollToEnd)
        frame->ScrollTo(0, 0x7FFFFFFF);
    if (onFrameReloaded)
        onFrameReloaded(name);
}

void CChatHtmlView::vLoad(const std::string& address, const std::string& frame)
{
    if (frame.empty())
    {
        m_view.LoadUrl(address, std::string(), &m_handler, std::string(), 0, 0, 0);
        return;
    }
    // A frame that is not there takes nothing: the chat's page stays.
    if (m_view.FindFrameWnd(frame))
        m_view.LoadUrl(address, std::string(), &m_handler, frame, 0, 0, 0);
}

std::string CChatHtmlView::strRootPath()
{
    const CHtmlDoc* doc = m_view.GetDocument();
    if (!doc)
        return std::string();
    const std::string& url = doc->GetUrl();
    const size_t cut = url.find_last_of("/\\");
    return cut == std::string::npos ? std::string() : url.substr(0, cut + 1);
}

std::string CChatHtmlView::strFrameAddress(const std::string& frame)
{
    HtmlWnd* view = m_view.FindFrameWnd(frame);
    return view && view->GetDocument() ? view->GetDocument()->GetUrl() : std::string();
}

bool CChatHtmlView::boGetField(const std::string& name, Field& field)
{
    CTagINPUT* input = m_view.FindInputTag(name);
    if (!input)
        return false;
    field.strType = HtmlUpper(input->GetDesc().type);
    field.boChecked = false;
    if (field.strType == "CHECKBOX")
    {
        field.boChecked = m_view.GetCheckBox(name) == 1;
        field.strValue = input->GetDesc().value;
    }
    else if (field.strType == "RADIO")
        field.strValue = m_view.GetRadioValue(name);
    else if (field.strType == "SELECT")
        field.strValue = m_view.GetSelectValue(name);
    else
        field.strValue = m_view.GetInputText(name);
    return true;
}

void CChatHtmlView::vSetField(const std::string& name, const Field& field)
{
    CTagINPUT* input = m_view.FindInputTag(name);
    if (!input)
        return;
    const std::string type = HtmlUpper(input->GetDesc().type);
    if (type == "CHECKBOX")
        m_view.SetCheckBox(name, field.boChecked);
    else if (type == "RADIO")
        m_view.SetRadioValue(name, field.strValue);
    else if (type != "SELECT")
        m_view.SetInputText(name, field.strValue);
}

bool CChatHtmlView::boReadField(const std::string& spec, std::string& value)
{
    Field field;
    if (!boGetField(spec, field))
        return false;
    value = field.strType == "CHECKBOX" ? (field.boChecked ? field.strValue : std::string()) : field.strValue;
    return true;
}

void CChatHtmlView::vEnableControl(const std::string& name, bool enable)
{
    if (HWND control = m_view.GetInputCtrl(name))
        EnableWindow(control, enable ? TRUE : FALSE);
}

void CChatHtmlView::vSetImageState(const std::string& frame, const std::string& name, int state)
{
    HtmlWnd* view = frame.empty() ? &m_view : m_view.FindFrameWnd(frame);
    if (view)
        view->SetImageState(name, state);
}

int32_t CChatHtmlView::iImageState(const std::string& name)
{
    return m_view.GetImageState(name);
}

void CChatHtmlView::vSetSwitchControl(const std::string& name, bool on)
{
    m_view.SetCheckBox(name, on);
}

bool CChatHtmlView::boSwitchControlOn(const std::string& name)
{
    return m_view.GetCheckBox(name) == 1;
}

bool CChatHtmlView::boFocusControl(const std::string& name)
{
    HWND control = m_view.GetInputCtrl(name);
    if (!control)
        return false;
    SetFocus(control);
    return true;
}

// ---- talk line ----

bool CChatHtmlView::boHasFocus(const std::string& name)
{
    HWND control = m_view.GetInputCtrl(name);
    return control && GetFocus() == control;
}

void CChatHtmlView::vCaretToEnd(const std::string& name)
{
    HWND control = m_view.GetInputCtrl(name);
    if (!control)
        return;
    const WPARAM end = static_cast<WPARAM>(GetWindowTextLengthA(control));
    SendMessageA(control, EM_SETSEL, end, static_cast<LPARAM>(end));
    SendMessageA(control, EM_SCROLLCARET, 0, 0);
    // The edit control still handles the arrow key after the view, and Up
    // moves a single-line caret left: the end is set again behind it.
    PostMessageA(control, EM_SETSEL, end, static_cast<LPARAM>(end));
    PostMessageA(control, EM_SCROLLCARET, 0, 0);
}

void CChatHtmlView::vScrollFrameToEnd(const std::string& frame)
{
    // Scrolling to the end does nothing to a frame already there.
    if (HtmlWnd* view = m_view.FindFrameWnd(frame))
        view->ScrollTo(0, 0x7FFFFFFF);
}

// ---- end talk line ----

} // namespace ChatModel
