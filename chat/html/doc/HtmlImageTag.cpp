// IMG and RESIMG: the image in the text flow, and the graphic button it
// doubles as: images for the mouse-over, pressed and keyboard-focus states,
// check buttons with their state by name, and animation on the view's timer.
#include <algorithm>

#include "HtmlDC.h"
#include "HtmlDoc.h"
#include "HtmlElements.h"
#include "HtmlFlow.h"
#include "HtmlText.h"
#include "HtmlTimerHost.h"

CTagIMG::CTagIMG() = default;

CTagIMG::~CTagIMG()
{
    if (m_document == nullptr)
        return;
    if (m_animating && m_document->GetTimerHost() != nullptr)
        m_document->GetTimerHost()->RemoveTimer(this);
    m_animating = false;
    // The backdrop leaves its image before the image goes back to the cache.
    m_backdrop.reset();
    m_current = nullptr;
    for (CHtmlImageSource*& image : m_images)
    {
        m_document->ReleaseImage(image);
        image = nullptr;
    }
}

int32_t CTagIMG::ReadAttributes()
{
    static const char* const kSources[5] = {"SRC", "SRCMFOCUS", "SRCDOWN", "SRCKBUFOCUS", "SRCKBDFOCUS"};
    if (m_document != nullptr)
        for (int i = 0; i < 5; ++i)
        {
            const std::string source = GetAttr(kSources[i]);
            if (!source.empty() && m_images[i] == nullptr)
                m_images[i] = m_document->GetImage(m_document->ImageAddress(source));
        }
    const std::string width = HtmlTrim(GetAttr("WIDTH"));
    m_widthPixels = 0;
    m_widthPercent = 0;
    if (width.find('%') != std::string::npos)
        m_widthPercent = HtmlAtoiLength(width);
    else
        m_widthPixels = HtmlAtoiLength(width);
    m_heightPixels = HtmlAtoiLength(GetAttr("HEIGHT"));
    m_checkButton = HasAttr("CHECKBUTTON");
    m_name = GetAttr("NAME");
    const std::string vspace = GetAttr("VSPACE");
    m_vspace = vspace.empty() ? 0 : HtmlAtoiLength(vspace);
    const std::string hspace = GetAttr("HSPACE");
    m_hspace = hspace.empty() ? 4 : HtmlAtoiLength(hspace);
    if (m_checkButton && HasAttr("CHECKED"))
        m_checked = m_pressed = 1;
    return 1;
}

void CTagIMG::Place(CHtmlDC*, CHtmlFlow* flow)
{
    int32_t naturalWidth = 0;
    int32_t naturalHeight = 0;
    if (m_document != nullptr)
        m_document->GetImageSize(m_images[0], &naturalWidth, &naturalHeight);
    if (m_widthPercent > 0)
        m_widthPixels = int32_t(std::min<int64_t>(kHtmlMaxLength,
                                                  int64_t(flow->GetContent().Width()) * m_widthPercent / 100));
    m_width = m_widthPixels > 0 ? m_widthPixels : naturalWidth;
    m_height = m_heightPixels > 0 ? m_heightPixels : naturalHeight;
    const int32_t needed = m_width + 2 * m_hspace;
    LayoutRect area;
    if (!flow->GetFreeArea(area))
    {
        m_placeIncomplete = 1;
        return;
    }
    if (area.Width() < needed && !flow->IsFullWidth(area))
    {
        // Not enough room left on the line: the next one is tried.
        flow->NewLine(true);
        if (!flow->GetFreeArea(area))
        {
            m_placeIncomplete = 1;
            return;
        }
    }
    const LayoutRect box(area.left, area.top, area.left + needed, area.top + m_height + 2 * m_vspace);
    m_pieces.push_back(flow->CreatePiece(this, box, 1, nullptr, true));
}

CHtmlImageSource* CTagIMG::ChooseImage() const
{
    if (m_pressed && m_focus && m_images[kImageFocusDown] != nullptr)
        return m_images[kImageFocusDown];
    if (m_pressed && m_images[kImagePressed] != nullptr)
        return m_images[kImagePressed];
    if (m_hovered && m_images[kImageMouseOver] != nullptr)
        return m_images[kImageMouseOver];
    if (m_focus && m_images[kImageFocusUp] != nullptr)
        return m_images[kImageFocusUp];
    return m_images[kImageNormal];
}

bool CTagIMG::HasFocusImage() const
{
    return m_images[m_pressed ? kImageFocusDown : kImageFocusUp] != nullptr;
}

int32_t CTagIMG::GetTabStop()
{
    m_tabStop = (m_checkButton || m_images[kImagePressed] != nullptr || m_images[kImageFocusUp] != nullptr ||
                 m_images[kImageFocusDown] != nullptr)
                    ? 1
                    : 0;
    return CTag::GetTabStop();
}

void CTagIMG::Arrange(CHtmlDC* dc, CHtmlFlow* flow)
{
    Draw(dc, flow, true);
}

void CTagIMG::Paint(CHtmlDC* dc, CHtmlFlow* flow)
{
    if (!m_repaint)
        return;
    m_repaint = 0;
    Draw(dc, flow, false);
}

void CTagIMG::Draw(CHtmlDC* dc, CHtmlFlow* flow, bool fullPaint)
{
    if (dc == nullptr || flow == nullptr)
        return;
    CHtmlImageSource* image = ChooseImage();
    if (image != m_current)
    {
        m_current = image;
        m_frame = 0;
        uint32_t delay = 0;
        m_frameCount = m_document != nullptr ? m_document->GetImageFrames(image, &delay) : 0;
        CHtmlTimerHost* host = m_document != nullptr ? m_document->GetTimerHost() : nullptr;
        if (host != nullptr && m_frameCount >= 2)
        {
            host->AddTimer(this, delay > 0 ? delay : kDefaultFrameDelay);
            m_animating = true;
        }
        else if (host != nullptr && m_animating)
        {
            host->RemoveTimer(this);
            m_animating = false;
        }
    }
    // A measuring pass draws nothing.
    if (m_document != nullptr && !m_document->GetOutputFlag())
        return;
    if (fullPaint)
        m_focusRectDrawn = 0; // the background was painted over it
    if (image != nullptr)
    {
        if (m_backdrop == nullptr && m_document != nullptr)
            m_backdrop = m_document->NewImageBackdrop();
        if (m_backdrop != nullptr && m_document != nullptr && m_backdropPaint != m_document->GetPaintCount())
        {
            m_backdrop->Restart();
            m_backdropPaint = m_document->GetPaintCount();
        }
        const bool stretch = m_widthPixels > 0 || m_heightPixels > 0;
        const bool underlay = image != m_images[kImageNormal] && m_images[kImageNormal] != nullptr &&
                              m_document != nullptr && m_document->IsImageTransparent(image);
        for (const HtmlPiece* piece : m_pieces)
        {
            LayoutRect window;
            if (!flow->ToWindow(piece->box, window))
                continue;
            const int32_t x = window.left + m_hspace;
            const int32_t y = window.top + m_vspace;
            // A transparent state image lies over the rest image.
            if (underlay)
                dc->DrawImage(m_images[kImageNormal], 0, x, y, m_width, m_height, stretch, nullptr);
            dc->DrawImage(image, m_frame, x, y, m_width, m_height, stretch, m_backdrop.get());
        }
    }
    if (m_focus && !HasFocusImage())
        ToggleFocusRect(1, flow, dc);
}

void CTagIMG::ToggleFocusRect(int32_t on, CHtmlFlow* flow, CHtmlDC* dc)
{
    on = on ? 1 : 0;
    if (m_focusRectDrawn == on || dc == nullptr || flow == nullptr)
        return;
    for (const HtmlPiece* piece : m_pieces)
    {
        LayoutRect w;
        if (!flow->ToWindow(piece->box, w))
            continue;
        // Drawn inverted: drawn twice, it is gone.
        dc->InvertLine(w.left, w.top, w.right - 1, w.top);
        dc->InvertLine(w.right - 1, w.top, w.right - 1, w.bottom - 1);
        dc->InvertLine(w.right - 1, w.bottom - 1, w.left, w.bottom - 1);
        dc->InvertLine(w.left, w.bottom - 1, w.left, w.top);
    }
    m_focusRectDrawn = on;
}

void CTagIMG::Repaint(CHtmlFlow* flow, CHtmlDC* dc)
{
    if (flow == nullptr)
        return;
    if (dc != nullptr)
    {
        Draw(dc, flow, false);
        return;
    }
    if (m_document == nullptr)
        return;
    if (std::unique_ptr<CHtmlDC> view = m_document->OpenViewDC())
        Draw(view.get(), flow, false);
}

int32_t CTagIMG::OnMouseMove(CHtmlFlow*, int32_t x, int32_t y, int32_t)
{
    if (m_images[kImageMouseOver] == nullptr)
        return 0;
    const int32_t over = ContainsPoint(x, y);
    if (over == m_hovered)
        return 0;
    // Only a change answers, so that the document's repaint loop ends.
    m_hovered = over;
    m_repaint = 1;
    return 1;
}

void CTagIMG::OnLButtonDown(CHtmlDC* dc, CHtmlFlow* flow, int32_t x, int32_t y, int32_t)
{
    if (m_images[kImagePressed] == nullptr || !ContainsPoint(x, y))
        return;
    m_pressed = 1;
    Repaint(flow, dc);
}

void CTagIMG::OnLButtonUp(CHtmlDC* dc, CHtmlFlow* flow, int32_t x, int32_t y, int32_t)
{
    if (m_images[kImagePressed] == nullptr)
        return;
    if (!m_checkButton)
    {
        if (!m_pressed)
            return;
        m_pressed = 0;
    }
    else
    {
        if (ContainsPoint(x, y))
            m_checked = m_checked ? 0 : 1;
        m_pressed = m_checked;
    }
    Repaint(flow, dc);
}

int32_t CTagIMG::GetStateByName(const std::string& name)
{
    return name == m_name ? m_checked : 0;
}

int32_t CTagIMG::SetStateByName(const std::string& name, int32_t value, CHtmlFlow* flow, CHtmlDC* dc)
{
    // An image without NAME has no state by name.
    if (m_name.empty() || name != m_name)
        return 0;
    ApplyState(value, flow, dc);
    return 1;
}

void CTagIMG::ApplyState(int32_t value, CHtmlFlow* flow, CHtmlDC* dc)
{
    m_checked = m_pressed = value ? 1 : 0;
    Repaint(flow, dc);
}

void CTagIMG::OnKeyDown(std::string& answer, int32_t, int32_t, CHtmlFlow* flow, int32_t)
{
    answer.clear();
    if (m_document == nullptr || flow == nullptr)
        return;
    std::unique_ptr<CHtmlDC> dc = m_document->OpenViewDC();
    // The focus mark goes while the state shows, and comes back after.
    const int32_t focus = m_focus;
    ToggleFocusRect(0, flow, dc.get());
    m_focus = 0;
    const int32_t original = m_checked;
    const int32_t inverted = original ? 0 : 1;
    ApplyState(inverted, flow, dc.get());
    if (!m_checkButton)
    {
        for (int32_t i = 0; i < kKeyPressRepeats; ++i)
            ApplyState(inverted, flow, dc.get());
        ApplyState(original, flow, dc.get());
    }
    m_focus = focus;
    Repaint(flow, dc.get());
}

void CTagIMG::OnSetFocusTree(int32_t focus, CHtmlFlow* flow, CHtmlDC* dc)
{
    if (!HasFocusImage())
    {
        ToggleFocusRect(focus, flow, dc);
        return;
    }
    if (m_inFocusRepaint)
        return;
    m_inFocusRepaint = 1;
    Repaint(flow, dc);
    m_inFocusRepaint = 0;
}

void CTagIMG::OnTimer(uint32_t)
{
    if (m_frameCount < 2)
        return;
    m_frame = (m_frame + 1) % m_frameCount;
    if (m_document != nullptr)
        Repaint(m_document->GetFlow(), nullptr);
}
