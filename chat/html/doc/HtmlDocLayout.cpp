// The document's layout, painting and lending operations: what the view
// drives on a loaded page.
#include "HtmlDoc.h"

#include "HtmlDC.h"
#include "HtmlFlow.h"
#include "HtmlHost.h"
#include "HtmlText.h"
#include "HtmlWndEvents.h"

namespace
{
// Colours from 0xFF000000 up mean "not set" (TRANSPARENT among them).
bool IsSetColor(uint32_t color)
{
    return color < 0xFF000000u;
}

int32_t PositiveModulo(int64_t value, int32_t modulus)
{
    const int64_t m = value % modulus;
    return int32_t(m < 0 ? m + modulus : m);
}
} // namespace

void CHtmlDoc::SetMarginWidth(int32_t n)
{
    if (m_flow != nullptr)
        m_flow->SetMarginWidth(n);
    else
        m_pendingMarginWidth = n;
}

void CHtmlDoc::SetMarginHeight(int32_t n)
{
    if (m_flow != nullptr)
        m_flow->SetMarginHeight(n);
    else
        m_pendingMarginHeight = n;
}

void CHtmlDoc::SetPageLink(const std::string& address, const std::string& target)
{
    m_pageLink = address;
    m_pageLinkTarget = target;
}

std::string CHtmlDoc::GetLinkAt(int32_t x, int32_t y, int32_t flags, std::string* target, CTag** element)
{
    std::string foundTarget;
    CTag* found = nullptr;
    for (const auto& tag : m_elements)
    {
        std::string link = tag->FindLinkAt(m_flow.get(), x, y, flags, foundTarget, found);
        if (!link.empty())
        {
            if (target != nullptr)
                *target = foundTarget;
            if (element != nullptr)
                *element = found;
            return link;
        }
    }
    if (m_pageLink.empty())
        return {};
    if (target != nullptr)
        *target = m_pageLinkTarget;
    if (element != nullptr)
        *element = nullptr;
    return m_pageLink;
}

void CHtmlDoc::OnLayoutRestart()
{
    for (const auto& element : m_elements)
        CTag::ResetLayout(element.get(), nullptr);
}

void CHtmlDoc::EnsureVisible(CTag* element)
{
    if (element == nullptr || m_flow == nullptr)
        return;
    LayoutRect bounds;
    if (!element->GetBounds(bounds, true) || m_flow->IsVisible(bounds))
        return;
    if (m_handler != nullptr)
        m_handler->ScrollIntoView(element, this);
}

void CHtmlDoc::ResetLayout()
{
    if (m_flow != nullptr)
        m_flow->Reset();
}

void CHtmlDoc::Layout(CHtmlDC* dc, const LayoutRect& rect)
{
    if (m_flow == nullptr)
        return;
    PaintBackground(dc, rect);
    m_flow->SetBounds(rect, false);
    const int32_t oldMode = dc->SetBkMode(kHtmlBkTransparent);
    HFONT__* oldFont = dc->SelectFont(m_defaultFont);
    const uint32_t oldColor = dc->SetTextColor(m_colors[0]);
    for (const auto& element : m_elements)
    {
        if (m_flow->IsFull())
            break;
        CTag::LayoutElement(element.get(), dc, m_flow.get());
    }
    for (const auto& element : m_elements)
        CTag::ArrangeElement(element.get(), dc, m_flow.get());
    dc->SetTextColor(oldColor);
    dc->SelectFont(oldFont);
    dc->SetBkMode(oldMode);
}

void CHtmlDoc::LayoutRow(CHtmlDC* dc, int32_t y, const LayoutRect* rect)
{
    LayoutRect row;
    if (m_flow == nullptr || !m_flow->GetRowRect(y, row))
        return;
    if (rect != nullptr)
    {
        row.left = rect->left;
        row.right = rect->right;
    }
    Layout(dc, row);
}

int32_t CHtmlDoc::GetLayoutExtent() const
{
    return m_flow != nullptr ? m_flow->GetTotalHeight() : 0;
}

void CHtmlDoc::SetRowHeight(int32_t height)
{
    if (m_flow != nullptr)
        m_flow->SetRowHeight(height);
}

bool CHtmlDoc::HasRowGrid() const
{
    return m_flow != nullptr && m_flow->HasRowGrid();
}

int32_t CHtmlDoc::NeedsScroll(CHtmlDC* dc, const LayoutRect& rect)
{
    if (m_flow == nullptr)
        return 0;
    LayoutRect measured(rect.left, 0, rect.right, rect.Height());
    const int32_t output = m_output;
    m_output = 0;
    dc->PushClip(LayoutRect(0, 0, 1, 1));
    Layout(dc, measured);
    dc->PopClip();
    m_output = output;
    return m_flow->GetTotalHeight() > measured.Height() ? 1 : 0;
}

int32_t CHtmlDoc::MeasureHeight(CHtmlDC* dc, const LayoutRect& rect)
{
    if (m_flow == nullptr)
        return 0;
    LayoutRect measured(rect.left, 0, rect.right, CHtmlFlow::kNoSpace);
    const int32_t output = m_output;
    m_output = 0;
    dc->PushClip(LayoutRect(0, 0, 1, 1));
    Layout(dc, measured);
    dc->PopClip();
    m_output = output;
    return m_flow->GetTotalHeight();
}

int32_t CHtmlDoc::MeasureWidth() const
{
    if (m_flow == nullptr)
        return 0;
    return m_flow->GetWidest() + m_flow->GetMarginWidth();
}

void CHtmlDoc::PaintBackground(CHtmlDC* dc, const LayoutRect& rect)
{
    // This page's own images save their backgrounds anew; those of other
    // pages showing the same cached images keep theirs.
    if (m_output)
        ++m_paintCount;
    if (m_backgroundImage != nullptr)
    {
        int32_t width = 0;
        int32_t height = 0;
        GetImageSize(m_backgroundImage, &width, &height);
        if (m_output && width > 0 && height > 0)
        {
            const int32_t x0 = -PositiveModulo(int64_t(m_backgroundX) + rect.left, width);
            const int32_t y0 = -PositiveModulo(int64_t(m_backgroundY) + rect.top, height);
            const int64_t right = rect.Width();
            const int64_t bottom = int64_t(rect.bottom) - rect.top;
            for (int64_t y = y0; y < bottom && y < 0x7FFF0000; y += height)
                for (int64_t x = x0; x < right; x += width)
                    dc->DrawImage(m_backgroundImage, 0, int32_t(x), int32_t(y), width, height, false,
                                  nullptr);
        }
    }
    else if (IsSetColor(m_backgroundColor))
    {
        HBRUSH__* brush = GetBrush(m_backgroundColor);
        if (brush != nullptr)
        {
            dc->FillRect(LayoutRect(0, 0, rect.Width(), rect.Height()), brush);
            ReleaseBrush(brush);
        }
    }
}

HFONT__* CHtmlDoc::GetFont(const FontDesc& description)
{
    if (m_handler != nullptr && m_handler->HasFontCache(this))
        return m_handler->GetFont(&description, this);
    return m_host->GetFont(description);
}

void CHtmlDoc::ReleaseFont(HFONT__* font)
{
    if (font == nullptr)
        return;
    if (m_handler != nullptr && m_handler->HasFontCache(this))
        m_handler->ReleaseFont(font, this);
    else
        m_host->ReleaseFont(font);
}

HBRUSH__* CHtmlDoc::GetBrush(uint32_t color)
{
    if (m_handler != nullptr && m_handler->HasBrushCache(this))
        return m_handler->GetBrush(color, this);
    return m_host->GetBrush(color);
}

void CHtmlDoc::ReleaseBrush(HBRUSH__* brush)
{
    if (brush == nullptr)
        return;
    if (m_handler != nullptr && m_handler->HasBrushCache(this))
        m_handler->ReleaseBrush(brush, this);
    else
        m_host->ReleaseBrush(brush);
}

CHtmlImageSource* CHtmlDoc::GetImage(const std::string& name)
{
    if (m_handler != nullptr && m_handler->HasSharedCaches(this))
        return m_handler->GetImage(name, m_resourceModule, this);
    return m_host->GetImage(name, m_resourceModule);
}

void CHtmlDoc::ReleaseImage(CHtmlImageSource* image)
{
    if (image == nullptr)
        return;
    if (m_handler != nullptr && m_handler->HasSharedCaches(this))
        m_handler->ReleaseImage(image, this);
    else
        m_host->ReleaseImage(image);
}

void CHtmlDoc::GetImageSize(CHtmlImageSource* image, int32_t* width, int32_t* height) const
{
    *width = 0;
    *height = 0;
    if (image != nullptr)
        m_host->GetImageSize(image, width, height);
}

std::string CHtmlDoc::ImageAddress(const std::string& source)
{
    if (source.empty())
        return {};
    std::string resolved = ResolveAddress(source, true);
    const size_t end = resolved.find("://");
    if (end != std::string::npos)
    {
        // A file address is the file's own path for the image cache.
        if (HtmlEqualNoCase(resolved.substr(0, end), "FILE"))
            return resolved.substr(end + 3);
        return resolved;
    }
    if (m_loadedKind == kHtmlKindResource || HtmlEqualNoCase(m_sourceType, "RES"))
        return "res://" + resolved;
    return resolved;
}
