// The document's side of the pointer: hover walks with their repaints,
// link ticks and navigations, check states by name, and what elements need
// of images that change on hover or animate.
#include "HtmlDC.h"
#include "HtmlDoc.h"
#include "HtmlFlow.h"
#include "HtmlHost.h"
#include "HtmlWndEvents.h"

std::unique_ptr<CHtmlDC> CHtmlDoc::OpenViewDC()
{
    return m_surface != nullptr ? m_surface->OpenDC() : nullptr;
}

bool CHtmlDoc::GetPointer(int32_t* x, int32_t* y)
{
    *x = kNowhere;
    *y = kNowhere;
    return m_surface != nullptr && m_surface->GetPointer(x, y);
}

int32_t CHtmlDoc::OnMouseMove(CHtmlDC* dc, int32_t flags, int32_t x, int32_t y)
{
    if (m_flow == nullptr || dc == nullptr)
        return 0;
    int32_t repaints = 0;
    // Only elements whose look changed answer, so a walk after the repaint
    // normally answers 0; the bound guards against one that never settles.
    while (repaints < kMaxHoverWalks)
    {
        int32_t changed = 0;
        for (const auto& element : m_elements)
        {
            changed = element->MouseMoveTree(m_flow.get(), x, y, flags);
            if (changed != 0)
                break;
        }
        if (changed == 0)
            break;
        PaintTree(dc);
        ++repaints;
    }
    return repaints;
}

void CHtmlDoc::PaintTree(CHtmlDC* dc)
{
    if (m_flow == nullptr || dc == nullptr)
        return;
    const int32_t oldMode = dc->SetBkMode(kHtmlBkTransparent);
    HFONT__* oldFont = dc->SelectFont(m_defaultFont);
    const uint32_t oldColor = dc->SetTextColor(m_colors[0]);
    for (const auto& element : m_elements)
        element->PaintTree(dc, m_flow.get());
    dc->SetTextColor(oldColor);
    if (oldFont != nullptr)
        dc->SelectFont(oldFont);
    dc->SetBkMode(oldMode);
}

void CHtmlDoc::OnLinkTick(CTag* link, const std::string& address, const std::string& target, int32_t pressed)
{
    if (link == nullptr || m_flow == nullptr)
        return;
    int32_t x = kNowhere;
    int32_t y = kNowhere;
    if (GetPointer(&x, &y) && link->ContainsPoint(x, y))
    {
        if (m_handler != nullptr)
            m_handler->OnLinkTick(address, target, pressed, 0, this);
        return;
    }
    // The pointer left without a move reaching the view: the link is left now.
    if (std::unique_ptr<CHtmlDC> dc = OpenViewDC())
        OnMouseMove(dc.get(), 0, x, y);
}

void CHtmlDoc::NotifyLinkHover(const std::string& text, CTag* element, int32_t kind)
{
    if (m_handler != nullptr)
        m_handler->OnLinkHover(text, element, kind, this);
}

int32_t CHtmlDoc::FollowLink(const std::string& address, const std::string& target)
{
    if (m_handler == nullptr)
        return 1;
    const int32_t result = m_handler->OnLinkClick(address, target, this);
    if (result != 0)
        m_handler->FollowLink(address, target, this);
    return result;
}

void CHtmlDoc::QueueFollowLink(const std::string& address, const std::string& target)
{
    m_queuedLink = true;
    m_queuedAddress = address;
    m_queuedTarget = target;
    if (m_surface != nullptr)
        m_surface->PostQueued();
}

void CHtmlDoc::RunQueued()
{
    if (!m_queuedLink)
        return;
    m_queuedLink = false;
    const std::string address = std::move(m_queuedAddress);
    const std::string target = std::move(m_queuedTarget);
    m_queuedAddress.clear();
    m_queuedTarget.clear();
    FollowLink(address, target);
}

int32_t CHtmlDoc::GetImageState(const std::string& name)
{
    for (const auto& element : m_elements)
        if (const int32_t state = element->GetStateInTree(name))
            return state;
    return 0;
}

int32_t CHtmlDoc::SetImageState(const std::string& name, int32_t value, CHtmlDC* dc)
{
    if (m_flow == nullptr)
        return 0;
    int32_t result = 0;
    for (const auto& element : m_elements)
        result |= element->SetStateInTree(name, value, m_flow.get(), dc);
    return result;
}

int32_t CHtmlDoc::GetImageFrames(CHtmlImageSource* image, uint32_t* delayMs) const
{
    *delayMs = 0;
    return image != nullptr ? m_host->GetImageFrames(image, delayMs) : 0;
}

bool CHtmlDoc::IsImageTransparent(CHtmlImageSource* image) const
{
    return image != nullptr && m_host->IsImageTransparent(image);
}

std::unique_ptr<CHtmlImageBackdrop> CHtmlDoc::NewImageBackdrop() const
{
    return m_host->NewBackdrop();
}
