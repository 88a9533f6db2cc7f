// INPUT, SELECT and WND: one form control each. The element reads the
// control's description, asks the document's handler (the view) to create,
// place and destroy the window, and takes a box in the line flow that the
// window covers.
#include <algorithm>
#include <cstdlib>

#include "HtmlDC.h"
#include "HtmlDoc.h"
#include "HtmlElements.h"
#include "HtmlFlow.h"
#include "HtmlText.h"
#include "HtmlWndEvents.h"

namespace
{
CTagINPUT::FocusHook g_focusHook = nullptr;

bool Contains(const std::string& text, const char* what)
{
    return HtmlUpper(text).find(what) != std::string::npos;
}
} // namespace

void CTagINPUT::SetFocusHook(FocusHook hook)
{
    g_focusHook = hook;
}

CTagINPUT::~CTagINPUT()
{
    if (m_document == nullptr)
        return;
    if (m_desc.background != nullptr)
        m_document->ReleaseBrush(m_desc.background);
    m_desc.background = nullptr;
    if (IHtmlWndEvents* events = m_document->GetEvents())
        events->DestroyControl(this, m_document);
}

int32_t CTagINPUT::ReadAttributes()
{
    const bool isSelect = m_name == "SELECT";
    m_desc.type = HtmlUpper(GetAttr("TYPE"));
    if (m_desc.type.empty())
        m_desc.type = isSelect ? "SELECT" : "TEXT";
    if (m_name == "WND")
    {
        m_widthPixels = 1;
        m_heightPixels = 1;
    }

    std::string size = GetAttr("SIZE");
    if (size.empty())
        size = GetAttr("WIDTH");
    if (!size.empty())
    {
        m_desc.size = HtmlAtoiLength(size);
        if (size.find('%') != std::string::npos)
            m_desc.sizePercent = 1;
        if (Contains(size, "PIX"))
            m_widthPixels = 1;
    }
    const std::string height = GetAttr("HEIGHT");
    if (!height.empty())
    {
        if (height[0] == '*')
        {
            m_heightFactor = std::atof(height.c_str() + 1);
            if (!(m_heightFactor >= 0.0)) // negative or not a number
                m_heightFactor = 0.0;
            m_heightFactor = std::min<double>(m_heightFactor, kHtmlMaxLength);
        }
        else
            m_desc.height = HtmlAtoiLength(height);
        if (Contains(height, "PIX"))
            m_heightPixels = 1;
    }
    m_desc.name = GetAttr("NAME");
    m_desc.maxLength = GetAttrInt("MAXLENGTH", -1);
    m_desc.value = GetAttr("VALUE");
    m_desc.checked = HasAttr("CHECKED");
    const bool box = m_desc.type == "CHECKBOX" || m_desc.type == "RADIO";
    if (!HasAttr("IALIGN"))
    {
        m_desc.align = box ? 2 : 1;
    }
    else
    {
        const std::string align = HtmlUpper(GetAttr("IALIGN"));
        if (align == "RIGHT")
            m_desc.align = 2;
        else if (align == "LEFT")
            m_desc.align = 1;
        else if (align == "CENTER" || align == "MIDDLE")
            m_desc.align = 4;
    }
    const std::string border = GetAttr("BORDER");
    m_desc.border = HtmlEqualNoCase(border, "y") || HtmlEqualNoCase(border, "yes") ? -1 : HtmlAtoiLength(border);
    m_desc.attributes = m_attributes;

    if (isSelect || m_desc.type == "SELECT")
    {
        for (const auto& child : m_children)
        {
            auto* option = dynamic_cast<CTagOPTION*>(child.get());
            if (option == nullptr)
                continue;
            if (option->IsSelected())
                m_desc.selected = int32_t(m_desc.optionTexts.size());
            m_desc.optionTexts.push_back(option->GetText());
            m_desc.optionValues.push_back(option->GetValue());
        }
        if (height.empty())
            m_desc.height = 3;
    }

    m_desc.disabled = HasAttr("DISABLED");
    if (m_document != nullptr)
    {
        if (IHtmlWndEvents* events = m_document->GetEvents())
            events->CreateControl(this, m_document);
        m_desc.background = m_document->GetBrush(GetColorAttr(GetAttr("BGCOLOR"), kDefaultBackground));
    }
    return 1;
}

int32_t CTagINPUT::GetTabStop()
{
    // A disabled check box, radio button or list is greyed and skipped; a
    // disabled edit is only read-only and stays a stop.
    const bool edit = m_desc.type == "TEXT" || m_desc.type == "PASSWORD" || m_desc.type == "TEXTAREA";
    if (m_desc.window != nullptr && m_desc.disabled && !edit)
        return 0;
    return CTag::GetTabStop();
}

void CTagINPUT::Place(CHtmlDC* dc, CHtmlFlow* flow)
{
    if (!m_fontPrepared && m_document != nullptr)
    {
        m_fontPrepared = 1;
        if (IHtmlWndEvents* events = m_document->GetEvents())
            events->OnControlFont(this, dc->Handle(), m_document);
    }
    const HtmlTextMetrics metrics = dc->GetMetrics();
    const int32_t average = metrics.aveCharWidth;
    LayoutRect area;
    if (!flow->GetFreeArea(area))
    {
        m_placeIncomplete = 1;
        return;
    }
    if (m_desc.size < 0)
        m_width = 10 * average;
    else if (m_desc.sizePercent)
        // A share of the cursor's whole width, as images take it.
        m_width = int32_t(
            std::min<int64_t>(kHtmlMaxLength, int64_t(flow->GetContent().Width()) * m_desc.size / 100));
    else if (m_widthPixels)
        m_width = m_desc.size;
    else
        m_width = m_desc.size * average;

    if (m_desc.type == "SELECT")
        m_desc.itemHeight = metrics.height;
    if (m_heightFactor > 0.0)
        m_height = int32_t(m_heightFactor * metrics.height);
    else if (m_heightPixels)
        m_height = m_desc.height >= 0 ? m_desc.height : m_width;
    else if (m_desc.type == "TEXTAREA" && m_desc.height > 0)
        m_height = m_desc.height * metrics.height; // rows
    else
        m_height = metrics.height;

    if (area.Width() < m_width && !flow->IsFullWidth(area))
    {
        // Not enough room left on the line: the next one is tried.
        flow->NewLine(true);
        if (!flow->GetFreeArea(area))
        {
            m_placeIncomplete = 1;
            return;
        }
    }
    const LayoutRect box(area.left, area.top, area.left + m_width, area.top + m_height);
    m_pieces.push_back(flow->CreatePiece(this, box, 1, nullptr, true));
}

void CTagINPUT::Arrange(CHtmlDC*, CHtmlFlow* flow)
{
    // Measuring passes place nothing on the screen.
    if (m_pieces.empty() || m_document == nullptr || m_document->GetOutputFlag() == 0)
        return;
    IHtmlWndEvents* events = m_document->GetEvents();
    if (events == nullptr)
        return;
    LayoutRect window;
    if (!flow->ToWindow(m_pieces[0]->box, window))
    {
        // Out of the painted area: moved away rather than hidden.
        window.left += kOffView;
        window.right += kOffView;
        window.top += kOffView;
        window.bottom += kOffView;
    }
    const int32_t show = m_desc.window != nullptr && !m_desc.visible && !m_showAfterPaint ? 0 : 5;
    if (m_desc.type == "SELECT" && m_desc.height > 0)
        window.bottom += m_desc.height * m_desc.itemHeight; // the list's drop-down height
    events->MoveControl(this, window.left, window.top, window.right, window.bottom, show, m_document);
    m_showAfterPaint = 0;
}

void CTagINPUT::OnSetFocusTree(int32_t focus, CHtmlFlow*, CHtmlDC*)
{
    if (g_focusHook != nullptr && m_desc.window != nullptr)
        g_focusHook(m_desc.window, focus);
}
