#include "HtmlElements.h"

#include <algorithm>

#include "HtmlAttr.h"
#include "HtmlDC.h"
#include "HtmlDoc.h"
#include "HtmlFlow.h"
#include "HtmlText.h"
#include "HtmlWndEvents.h"

HTML_IMPLEMENT_DYNCREATE(CTagTEXT, HTML_RUNTIME_CLASS(CTag))
HTML_IMPLEMENT_DYNCREATE(CTagBODY, HTML_RUNTIME_CLASS(CTag))
HTML_IMPLEMENT_DYNCREATE(CTagTITLE, HTML_RUNTIME_CLASS(CTag))
HTML_IMPLEMENT_DYNCREATE(CTagCENTER, HTML_RUNTIME_CLASS(CTag))
HTML_IMPLEMENT_DYNCREATE(CTagP, HTML_RUNTIME_CLASS(CTag))
HTML_IMPLEMENT_DYNCREATE(CTagA, HTML_RUNTIME_CLASS(CTag))
HTML_IMPLEMENT_DYNCREATE(CTagFONT, HTML_RUNTIME_CLASS(CTag))
HTML_IMPLEMENT_DYNCREATE(CTagFSIZE, HTML_RUNTIME_CLASS(CTagFONT))
HTML_IMPLEMENT_DYNCREATE(CTagB, HTML_RUNTIME_CLASS(CTag))
HTML_IMPLEMENT_DYNCREATE(CTagTT, HTML_RUNTIME_CLASS(CTag))
HTML_IMPLEMENT_DYNCREATE(CTagBLOCK, HTML_RUNTIME_CLASS(CTag))
HTML_IMPLEMENT_DYNCREATE(CTagI, HTML_RUNTIME_CLASS(CTag))
HTML_IMPLEMENT_DYNCREATE(CTagSTRIKE, HTML_RUNTIME_CLASS(CTag))
HTML_IMPLEMENT_DYNCREATE(CTagU, HTML_RUNTIME_CLASS(CTag))
HTML_IMPLEMENT_DYNCREATE(CTagBlink, HTML_RUNTIME_CLASS(CTag))
HTML_IMPLEMENT_DYNCREATE(CTagHx, HTML_RUNTIME_CLASS(CTag))
HTML_IMPLEMENT_DYNCREATE(CTagTABLE, HTML_RUNTIME_CLASS(CTag))
HTML_IMPLEMENT_DYNCREATE(CTagCAPTION, HTML_RUNTIME_CLASS(CTag))
HTML_IMPLEMENT_DYNCREATE(CTagTR, HTML_RUNTIME_CLASS(CTag))
HTML_IMPLEMENT_DYNCREATE(CTagTD, HTML_RUNTIME_CLASS(CTag))
HTML_IMPLEMENT_DYNCREATE(CTagTH, HTML_RUNTIME_CLASS(CTagTD))
HTML_IMPLEMENT_DYNCREATE(CTagLI, HTML_RUNTIME_CLASS(CTag))
HTML_IMPLEMENT_DYNCREATE(CTagINPUT, HTML_RUNTIME_CLASS(CTag))
HTML_IMPLEMENT_DYNCREATE(CTagOPTION, HTML_RUNTIME_CLASS(CTag))
HTML_IMPLEMENT_DYNCREATE(CTagFRAME, HTML_RUNTIME_CLASS(CTag))
HTML_IMPLEMENT_DYNCREATE(CTagFRAMESET, HTML_RUNTIME_CLASS(CTagFRAME))
HTML_IMPLEMENT_DYNCREATE(CTagIMG, HTML_RUNTIME_CLASS(CTag))
HTML_IMPLEMENT_DYNCREATE(CTagBR, HTML_RUNTIME_CLASS(CTag))
HTML_IMPLEMENT_DYNCREATE(CTagHR, HTML_RUNTIME_CLASS(CTag))

int32_t CTagTEXT::Build()
{
    if (m_content != nullptr && HtmlNormalizeText(&m_content, &m_contentLength))
        m_text = TakeContent();
    else
        m_text = HtmlDecodeEntities(TakeContent());
    return ReadAttributes();
}

int32_t CTagTITLE::Build()
{
    m_title = TakeContent();
    if (m_title.size() > kMaxTitle)
        m_title.resize(kMaxTitle);
    if (m_document != nullptr)
        m_document->NotifyTitle(m_title);
    return ReadAttributes();
}

int32_t CTagOPTION::Build()
{
    m_text = TakeContent();
    m_value = GetAttr("VALUE");
    m_selected = HasAttr("SELECTED");
    return ReadAttributes();
}

// Fonts.

void HtmlDerivedFont::Push(CHtmlDC* dc, CHtmlDoc* document, Change change, const void* context)
{
    if (!m_made)
    {
        m_made = true;
        m_desc = dc->GetFontDesc();
        change(m_desc, context);
        if (document != nullptr)
            m_font = document->GetFont(m_desc);
    }
    // A font that could not be made changes nothing.
    m_selected = m_font != nullptr;
    if (m_selected)
        m_previous = dc->SelectFont(m_font);
}

void HtmlDerivedFont::Pop(CHtmlDC* dc)
{
    if (m_selected)
        dc->SelectFont(m_previous);
    m_selected = false;
}

void HtmlDerivedFont::Release(CHtmlDoc* document)
{
    if (m_font != nullptr && document != nullptr)
        document->ReleaseFont(m_font);
    m_font = nullptr;
}

template <int Kind> void CTagFontStyle<Kind>::Change(FontDesc& desc, const void*)
{
    switch (Kind)
    {
    case kHtmlStyleBold:
        desc.weight = 700;
        break;
    case kHtmlStyleItalic:
        desc.italic = 1;
        break;
    case kHtmlStyleUnderline:
        desc.underline = 1;
        break;
    case kHtmlStyleStrike:
        desc.strikeOut = 1;
        break;
    case kHtmlStyleFixed:
        // Courier at the current height, weight and slant.
        desc.face = "Courier";
        desc.underline = 0;
        desc.strikeOut = 0;
        break;
    default:
        break;
    }
}

template class CTagFontStyle<kHtmlStyleBold>;
template class CTagFontStyle<kHtmlStyleItalic>;
template class CTagFontStyle<kHtmlStyleUnderline>;
template class CTagFontStyle<kHtmlStyleStrike>;
template class CTagFontStyle<kHtmlStyleFixed>;

void CTagBLOCK::Place(CHtmlDC*, CHtmlFlow* flow)
{
    flow->NewLineIfNotEmpty(true);
}

// FONT, BIG and SMALL.

CTagFONT::~CTagFONT()
{
    m_font.Release(m_document);
}

void CTagFONT::ReadFrom(const std::string& attributes)
{
    std::string size = GetAttrValue("SIZE", attributes, "");
    size = HtmlTrim(size);
    m_hasSize = size.empty() ? 0 : 1;
    m_sizeSign = 0;
    if (!size.empty() && (size[0] == '+' || size[0] == '-'))
    {
        m_sizeSign = size[0] == '+' ? 1 : -1;
        size.erase(0, 1);
    }
    m_sizeValue = HtmlAtoiClamped(size, -kHtmlMaxFontHeight, kHtmlMaxFontHeight);
    if (!HasAttr("TRUESIZE"))
        m_sizeValue = std::min(kHtmlMaxFontHeight, std::max(-kHtmlMaxFontHeight, m_sizeValue * 4));
    m_face = GetAttrValue("FACE", attributes, "");
    const std::string color = GetAttrValue("COLOR", attributes, "");
    m_hasColor = color.empty() ? 0 : 1;
    if (m_hasColor)
        m_color = ParseColor(color, 0x02000000);
}

int32_t CTagFONT::ReadAttributes()
{
    ReadFrom(m_attributes);
    return 1;
}

void CTagFONT::Change(FontDesc& desc, const void* context)
{
    const auto* self = static_cast<const CTagFONT*>(context);
    if (self->m_hasSize)
    {
        // Nested relative sizes add up: the height stays within the bound.
        const int64_t height = self->m_sizeSign == 0 ? -int64_t(self->m_sizeValue)
                                                     : int64_t(desc.height) + self->m_sizeSign * self->m_sizeValue;
        desc.height = int32_t(std::min<int64_t>(kHtmlMaxFontHeight, std::max<int64_t>(-kHtmlMaxFontHeight, height)));
    }
    if (!self->m_face.empty())
        desc.face = self->m_face;
}

void CTagFONT::OnPushStyle(CHtmlDC* dc)
{
    if (m_hasSize || !m_face.empty())
        m_font.Push(dc, m_document, &Change, this);
    m_colorPushed = m_hasColor;
    if (m_hasColor)
        m_previousColor = dc->SetTextColor(m_color);
}

void CTagFONT::OnPopStyle(CHtmlDC* dc)
{
    if (m_colorPushed)
        dc->SetTextColor(m_previousColor);
    m_colorPushed = 0;
    m_font.Pop(dc);
}

int32_t CTagFSIZE::ReadAttributes()
{
    ReadFrom(HtmlEqualNoCase(m_name, "BIG") ? "SIZE = +1" : "SIZE = -1");
    return 1;
}

// Headings.

CTagHx::~CTagHx()
{
    m_font.Release(m_document);
}

int32_t CTagHx::ReadAttributes()
{
    m_level = m_name.size() == 2 && m_name[1] >= '1' && m_name[1] <= '6' ? m_name[1] - '0' : 1;
    return 1;
}

void CTagHx::Change(FontDesc& desc, const void* context)
{
    const int32_t level = static_cast<const CTagHx*>(context)->m_level;
    switch (level)
    {
    case 1:
        desc.height = int32_t(desc.height * 2.5);
        desc.weight = 700;
        break;
    case 2:
        desc.height = desc.height * 2;
        desc.weight = 700;
        break;
    case 3:
        desc.height = int32_t(desc.height * 1.5);
        desc.italic = 1;
        break;
    case 4:
        desc.height = int32_t(desc.height * 1.2);
        desc.weight = 700;
        break;
    case 5:
        desc.height = int32_t(desc.height * 1.2);
        desc.italic = 1;
        break;
    default:
        desc.weight = 700;
        break;
    }
}

void CTagHx::OnPushStyle(CHtmlDC* dc)
{
    m_font.Push(dc, m_document, &Change, this);
}

void CTagHx::OnPopStyle(CHtmlDC* dc)
{
    m_font.Pop(dc);
}

void CTagHx::Place(CHtmlDC* dc, CHtmlFlow* flow)
{
    const int32_t height = dc->GetMetrics().height;
    const int32_t before = m_level <= 3 ? height / 2 : height / 3;
    m_spaceAfter = m_level <= 3 ? height / 2 : (m_level == 4 ? height / 3 : 0);
    flow->NewLineIfNotEmpty(true);
    flow->AdvanceTo(flow->GetLineTop() + before);
}

int32_t CTagHx::EndLayout(CHtmlFlow* flow)
{
    if (m_laidOut && !m_blockPieces.empty() && IsTreeLaidOut())
    {
        flow->NewLineIfNotEmpty(true);
        flow->AdvanceTo(flow->GetLineTop() + m_spaceAfter);
        CloseBlock(flow, m_level == 1 ? "CENTER" : "", "");
    }
    return 0;
}

// Links: rest-state colours.

int32_t CTagA::ReadAttributes()
{
    m_href = GetAttr("HREF");
    m_target = GetAttr("TARGET");
    m_alt = GetAttr("ALT");
    const std::string noFocus = GetAttr("CLRNOFOCUS");
    const std::string focus = GetAttr("CLRFOCUS");
    m_changeNoFocus = !HtmlEqualNoCase(noFocus.substr(0, 2), "no");
    m_changeFocus = !HtmlEqualNoCase(focus.substr(0, 2), "no");
    if (m_changeNoFocus && !noFocus.empty())
        m_colorNoFocus = ParseColor(noFocus, 0xFFFFFFFF);
    if (m_changeFocus && !focus.empty())
        m_colorFocus = ParseColor(focus, 0xFFFFFFFF);
    if (HasAttr("PAGEWIDE") && m_document != nullptr)
        m_document->SetPageLink(m_href, m_target);
    return 1;
}

void CTagA::OnPushStyle(CHtmlDC* dc)
{
    m_savedColor = dc->GetTextColor();
    m_colorPushed = 1;
    uint32_t color = 0xFFFFFFFF;
    // With the hover colour switched off, a hovered link keeps its ordinary colour.
    if (m_hovered && m_changeFocus)
    {
        color = m_colorFocus;
        if (color >= 0xFF000000u && m_document != nullptr)
            m_document->GetColor(2, &color);
    }
    else if ((!m_hovered || !m_changeFocus) && m_changeNoFocus)
    {
        color = m_colorNoFocus;
        if (color >= 0xFF000000u && m_document != nullptr)
            m_document->GetColor(1, &color);
    }
    if (color < 0xFF000000u)
        dc->SetTextColor(color);
}

void CTagA::OnPopStyle(CHtmlDC* dc)
{
    if (m_colorPushed)
        dc->SetTextColor(m_savedColor);
    m_colorPushed = 0;
}

int32_t CTagA::GetTabStop()
{
    if (m_document != nullptr && m_document->GetDocFlag() == 0)
        return 0;
    m_tabStop = 1;
    return CTag::GetTabStop();
}

void CTagA::OnKeyDown(std::string& answer, int32_t key, int32_t flags, CHtmlFlow* flow, int32_t value)
{
    CTag::OnKeyDown(answer, key, flags, flow, value);
    // Enter and Space follow the link.
    if (answer.empty() && value != 0 && (key == 13 || key == 32))
        answer = m_href;
}

void CTagA::OnSetFocusTree(int32_t focus, CHtmlFlow*, CHtmlDC*)
{
    if (m_document == nullptr || m_document->GetEvents() == nullptr)
        return;
    if (focus)
        m_document->GetEvents()->OnLinkHover(m_alt.empty() ? m_href : m_alt, this, 2, m_document);
    else
        m_document->GetEvents()->OnLinkHover("", this, 0, m_document);
}

int32_t CTagA::OnMouseMove(CHtmlFlow*, int32_t x, int32_t y, int32_t)
{
    m_lastX = x;
    m_lastY = y;
    int32_t over = 0;
    for (const auto& child : m_children)
        if (child->ContainsPoint(x, y))
        {
            over = 1;
            break;
        }
    if (over == m_hovered)
        return 0;
    // Only a change answers, so that the document's repaint loop ends.
    m_hovered = over;
    m_repaint = 1;
    if (CHtmlTimerHost* host = m_document != nullptr ? m_document->GetTimerHost() : nullptr)
    {
        if (over)
            host->AddTimer(this, kHoverTick);
        else
            host->RemoveTimer(this);
        m_ticking = over;
    }
    return 1;
}

void CTagA::Paint(CHtmlDC* dc, CHtmlFlow* flow)
{
    if (!m_repaint)
        return;
    m_repaint = 0;
    if (dc != nullptr && flow != nullptr)
    {
        // The focus mark is taken off while the link is drawn again.
        const bool marked = m_focus && ContainsPoint(m_lastX, m_lastY);
        if (marked)
            for (const auto& child : m_children)
                child->OnSetFocusTree(0, flow, dc);
        OnPushStyle(dc);
        for (const auto& child : m_children)
            child->PaintTree(dc, flow);
        OnPopStyle(dc);
        if (marked)
            for (const auto& child : m_children)
                child->OnSetFocusTree(1, flow, dc);
    }
    if (m_href.empty() || m_document == nullptr)
        return;
    if (m_hovered)
        m_document->NotifyLinkHover(m_alt.empty() ? m_href : m_alt, this, 1);
    else
        m_document->NotifyLinkHover("", this, 0);
}

void CTagA::GetLinkAt(std::string& link, CHtmlFlow*, int32_t x, int32_t y, int32_t, std::string& target,
                      CTag*& element)
{
    link.clear();
    if (m_href.empty() || !ContainsPoint(x, y))
        return;
    link = m_href;
    target = m_target;
    element = this;
}

void CTagA::OnLButtonDown(CHtmlDC*, CHtmlFlow*, int32_t x, int32_t y, int32_t)
{
    if (m_hovered || ContainsPoint(x, y))
        m_pressed = 1;
}

void CTagA::OnLButtonUp(CHtmlDC*, CHtmlFlow*, int32_t, int32_t, int32_t)
{
    m_pressed = 0;
}

void CTagA::OnTimer(uint32_t)
{
    if (m_document != nullptr)
        m_document->OnLinkTick(this, m_href, m_target, m_pressed);
}

// Blinking text.

int32_t CTagBlink::ReadAttributes()
{
    const std::string color1 = GetAttr("COLOR1");
    m_hasColor1 = !color1.empty();
    m_color1 = ParseColor(color1, 0x02000000);
    const std::string color2 = GetAttr("COLOR2");
    m_hasColor2 = !color2.empty();
    m_color2 = ParseColor(color2, 0x02000000);
    const int32_t delay = GetAttrInt("DELAY", int32_t(kDefaultDelay));
    m_delay = delay < 1 ? kDefaultDelay : uint32_t(delay);
    m_stopAfter = -1;
    if (HasAttr("COUNT"))
    {
        const int32_t count = GetAttrInt("COUNT", -1);
        if (count >= 0)
            m_stopAfter = int64_t(count) * 2 + 1;
    }
    m_href = GetAttr("HREF");
    m_target = GetAttr("TARGET");
    return 1;
}

void CTagBlink::OnPushStyle(CHtmlDC* dc)
{
    if (!m_started)
    {
        m_started = true;
        m_baseColor = dc->GetTextColor();
        m_baseMode = dc->SetBkMode(kHtmlBkTransparent);
        dc->SetBkMode(m_baseMode);
        m_baseFont = dc->CurrentFont();
        if (CHtmlTimerHost* host = m_document != nullptr ? m_document->GetTimerHost() : nullptr)
        {
            host->AddTimer(this, m_delay);
            m_running = true;
        }
    }
    m_previousColor = dc->GetTextColor();
    m_colorPushed = 1;
    if (m_phase == 1 && m_hasColor2)
        dc->SetTextColor(m_color2);
    else if (m_phase == 0 && m_hasColor1)
        dc->SetTextColor(m_color1);
}

void CTagBlink::OnPopStyle(CHtmlDC* dc)
{
    if (m_colorPushed)
        dc->SetTextColor(m_previousColor);
    m_colorPushed = 0;
}

void CTagBlink::OnTimer(uint32_t)
{
    if (m_document == nullptr)
        return;
    ++m_changes;
    if (m_stopAfter >= 0 && m_changes >= m_stopAfter)
    {
        if (m_document->GetTimerHost() != nullptr)
            m_document->GetTimerHost()->RemoveTimer(this);
        m_running = false;
        // Following the link frees this element: it runs after the tick.
        if (!m_href.empty())
            m_document->QueueFollowLink(m_href, m_target);
    }
    m_phase = m_phase ? 0 : 1;
    CHtmlFlow* flow = m_document->GetFlow();
    std::unique_ptr<CHtmlDC> dc = m_document->OpenViewDC();
    if (flow == nullptr || dc == nullptr)
        return;
    HFONT__* oldFont = dc->SelectFont(m_baseFont);
    const int32_t oldMode = dc->SetBkMode(m_baseMode);
    const uint32_t oldColor = dc->SetTextColor(m_baseColor);
    OnPushStyle(dc.get());
    for (const auto& child : m_children)
        child->PaintTree(dc.get(), flow);
    OnPopStyle(dc.get());
    dc->SetTextColor(oldColor);
    dc->SetBkMode(oldMode);
    if (oldFont != nullptr)
        dc->SelectFont(oldFont);
}

// Body and blocks.

CTagBODY::~CTagBODY()
{
    if (m_background != nullptr && m_document != nullptr)
    {
        if (m_document->GetBackgroundImage() == m_background)
            m_document->SetBackgroundImage(nullptr);
        m_document->ReleaseImage(m_background);
    }
}

int32_t CTagBODY::ReadAttributes()
{
    if (m_document == nullptr)
        return 1;
    std::string name;
    const std::string background = GetAttr("BACKGROUND");
    if (!background.empty())
        name = m_document->ImageAddress(background);
    else if (!GetAttr("RESBCKGRND").empty())
        name = "res://" + GetAttr("RESBCKGRND");
    if (!name.empty() && m_background == nullptr)
    {
        m_background = m_document->GetImage(name);
        if (m_background != nullptr)
            m_document->SetBackgroundImage(m_background);
    }
    const std::string bgcolor = GetAttr("BGCOLOR");
    if (!bgcolor.empty())
        m_document->SetBackgroundColor(ParseColor(bgcolor, 0x02FFFFFF));
    const std::string left = GetAttr("LEFTMARGIN");
    if (!left.empty())
        m_document->SetMarginWidth(HtmlAtoiLength(left));
    const std::string top = GetAttr("TOPMARGIN");
    if (!top.empty())
        m_document->SetMarginHeight(HtmlAtoiLength(top));
    static const struct
    {
        const char* name;
        int32_t index;
        uint32_t fallback;
    } kColors[] = {{"TEXT", 0, 0x02000000}, {"LINK", 1, 0x02000080}, {"ALINK", 2, 0x02008000}};
    for (const auto& c : kColors)
    {
        const std::string value = GetAttr(c.name);
        if (!value.empty())
            m_document->SetColor(c.index, ParseColor(value, c.fallback));
    }
    return 1;
}

int32_t CTagCENTER::EndLayout(CHtmlFlow* flow)
{
    CloseBlock(flow, "CENTER", "");
    return 0;
}

int32_t CTagP::ReadAttributes()
{
    m_align = HtmlUpper(GetAttr("ALIGN"));
    m_valign = HtmlUpper(GetAttr("VALIGN"));
    return 1;
}

int32_t CTagP::EndLayout(CHtmlFlow* flow)
{
    CloseBlock(flow, m_align, m_valign);
    return 0;
}

int32_t CTagLI::EndLayout(CHtmlFlow* flow)
{
    if (m_laidOut && IsTreeLaidOut())
        flow->NewLineIfNotEmpty(true);
    return 0;
}

// Line breaks and rules.

int32_t CTagBR::ReadAttributes()
{
    const std::string height = GetAttr("HEIGHT");
    m_height = height.empty() ? -1 : HtmlAtoiClamped(height, -1, kHtmlMaxLength);
    return 1;
}

void CTagBR::Place(CHtmlDC* dc, CHtmlFlow* flow)
{
    LayoutRect area;
    if (!flow->GetFreeArea(area))
    {
        m_placeIncomplete = 1;
        return;
    }
    const HtmlTextMetrics tm = dc->GetMetrics();
    // A box as high as a line of the current font (or HEIGHT), reaching to
    // the content's right edge, ends the line.
    LayoutRect box(area.left, area.top, flow->GetContent().right, area.top + (m_height >= 0 ? m_height : tm.height));
    if (m_height < 0)
    {
        box.descent = tm.descent;
        box.middleOffset = tm.internalLeading;
        box.lineGap = tm.externalLeading;
    }
    m_pieces.push_back(flow->CreatePiece(this, box, 1, nullptr, true));
}

int32_t CTagHR::ReadAttributes()
{
    const std::string width = HtmlTrim(GetAttr("WIDTH"));
    m_percent = 90;
    m_pixels = 0;
    if (!width.empty() && width.back() == '%')
        m_percent = std::min(100, std::max(0, HtmlAtoi(width.substr(0, width.size() - 1))));
    else if (!width.empty())
    {
        m_pixels = HtmlAtoiLength(width);
        m_percent = 0;
    }
    return 1;
}

void CTagHR::Place(CHtmlDC* dc, CHtmlFlow* flow)
{
    const int32_t height = dc->GetMetrics().height;
    flow->NewLineIfNotEmpty(true);
    LayoutRect area;
    // Lines are ended until a band of the rule's height is free; a full flow stops the search.
    for (int32_t tries = 0;; ++tries)
    {
        if (!flow->GetFreeArea(area))
        {
            m_placeIncomplete = 1;
            return;
        }
        if (area.Height() >= height || tries >= 64)
            break;
        flow->NewLine(true);
    }
    const LayoutRect box(flow->GetContent().left, area.top, flow->GetContent().right, area.top + height);
    m_pieces.push_back(flow->CreatePiece(this, box, 1, nullptr, true));
}

void CTagHR::Arrange(CHtmlDC* dc, CHtmlFlow* flow)
{
    for (const HtmlPiece* piece : m_pieces)
    {
        LayoutRect band;
        if (!flow->ToWindow(piece->box, band))
            continue;
        int32_t width = m_pixels > 0 ? m_pixels : int32_t(int64_t(band.Width()) * m_percent / 100);
        width = std::min(width, band.Width());
        const int32_t left = band.left + (band.Width() - width) / 2;
        const int32_t top = band.top + (band.Height() - kRuleHeight) / 2;
        Draw3DFrame(dc, left, top, left + width, top + kRuleHeight, 0x02808080, 0x02FFFFFF);
    }
}

// Text runs.

int32_t CTagTEXT::Measure(LayoutRect& area, uint32_t offset, CHtmlDC* dc, uint32_t* next) const
{
    const uint32_t end = uint32_t(m_text.size());
    const uint32_t available = offset < end ? std::min(end - offset, kMeasureChunk) : 0;
    if (available == 0)
    {
        *next = end;
        return kNoText;
    }
    const char* text = m_text.data() + offset;
    uint32_t taken = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t flags = 0;
    while (taken < available)
    {
        // A word: its leading blanks, the bytes up to the next blank, its trailing blanks.
        uint32_t stop = taken;
        while (stop < available && text[stop] == ' ')
            ++stop;
        while (stop < available && text[stop] != ' ')
            ++stop;
        while (stop < available && text[stop] == ' ')
            ++stop;
        int32_t wordWidth = 0;
        int32_t wordHeight = 0;
        dc->MeasureText(text + taken, stop - taken, &wordWidth, &wordHeight);
        if (int64_t(width) + wordWidth < area.Width())
        {
            width += wordWidth;
            height = wordHeight;
            taken = stop;
            continue;
        }
        // A part holds at least one word.
        if (taken == 0)
        {
            width += wordWidth;
            height = wordHeight;
            taken = stop;
            flags |= kOverflow;
        }
        break;
    }
    *next = offset + taken;
    if (height > area.Height())
        flags |= kTooHigh;
    const HtmlTextMetrics tm = dc->GetMetrics();
    area.right = area.left + width;
    area.bottom = area.top + height;
    area.descent = tm.descent;
    area.middleOffset = tm.internalLeading;
    area.lineGap = tm.externalLeading;
    return flags;
}

void CTagTEXT::Place(CHtmlDC* dc, CHtmlFlow* flow)
{
    const uint32_t end = uint32_t(m_text.size());
    uint32_t offset = m_placed;
    while (offset < end)
    {
        int32_t line = 0;
        LayoutRect area;
        if (!flow->GetLineAndFreeArea(&line, area))
        {
            m_placed = offset;
            m_placeIncomplete = 1;
            return;
        }
        const LayoutRect saved = area;
        uint32_t next = end;
        const int32_t flags = Measure(area, offset, dc, &next);
        if (flags & kNoText)
            return;
        const bool place = flags == 0 || (flags & kTooHigh) || ((flags & kOverflow) && flow->IsFullWidth(saved));
        if (!place)
        {
            // The part doesn't fit after what the line holds: end the line and try again.
            flow->CreatePiece(this, area, 0, nullptr, true);
            continue;
        }
        auto state = std::make_unique<HtmlLineState>();
        const int32_t length = int32_t(std::min<uint32_t>(next - offset, uint32_t(kMaxPieceLength)));
        m_pieces.push_back(flow->CreatePiece(this, area, 1, nullptr, true, {state.get(), int32_t(offset), length}));
        m_lineStates.push_back(std::move(state));
        offset = next;
    }
    m_placed = end;
}

void CTagTEXT::Arrange(CHtmlDC* dc, CHtmlFlow* flow)
{
    DrawRuns(dc, flow, true);
}

void CTagTEXT::Paint(CHtmlDC* dc, CHtmlFlow* flow)
{
    DrawRuns(dc, flow, false);
}

void CTagTEXT::DrawRuns(CHtmlDC* dc, CHtmlFlow* flow, bool fullPaint)
{
    if (m_text.empty())
        return;
    for (HtmlPiece* piece : m_pieces)
    {
        LayoutRect window;
        if (!flow->ToWindow(piece->box, window))
            continue;
        const uint32_t offset = uint32_t(piece->text.offset);
        if (offset >= m_text.size())
            continue;
        const uint32_t length = std::min(uint32_t(piece->text.length), uint32_t(m_text.size()) - offset);
        dc->DrawTextOnBottom(m_text.data() + offset, length, window);
        // A full paint drew its background over the link lines; a repaint in
        // place leaves them as they are.
        if (fullPaint)
            if (auto* state = piece->text.lines)
                *state = HtmlLineState();
    }
    if (fullPaint && m_focus)
        OnSetFocusTree(1, flow, dc);
}

void CTagTEXT::OnSetFocusTree(int32_t focus, CHtmlFlow* flow, CHtmlDC* dc)
{
    if (m_text.empty())
        return;
    for (HtmlPiece* piece : m_pieces)
        if (auto* state = piece->text.lines)
            ToggleLinkLines(focus, flow, dc, piece->box, &state->underline, &state->secondLine);
}

void CTagTEXT::OnResetLayout(CHtmlDC*)
{
    m_placed = 0;
    m_lineStates.clear();
}
