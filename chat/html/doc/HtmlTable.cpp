// Tables: rows laid out in column cursors (flows over each column inside the
// flow the table is laid out in), cell backgrounds and 3-D borders; and the
// layout of lists' items.
#include <algorithm>

#include "HtmlAttr.h"
#include "HtmlDC.h"
#include "HtmlDoc.h"
#include "HtmlElements.h"
#include "HtmlFlow.h"
#include "HtmlText.h"

namespace
{
bool IsSet(uint32_t color)
{
    return color < 0xFF000000u;
}

// WIDTH: pixels, or a percentage (a negative one becomes negativePercent).
void ReadWidth(const std::string& text, int32_t negativePercent, int32_t* pixels, int32_t* percent)
{
    const std::string width = HtmlTrim(text);
    *pixels = -1;
    *percent = 0;
    if (width.empty())
        return;
    if (width.back() == '%')
    {
        *percent = HtmlAtoiLength(width.substr(0, width.size() - 1));
        if (*percent < 0)
            *percent = negativePercent;
    }
    else
        *pixels = HtmlAtoiLength(width);
}

// Widths computed from attributes, kept within the attributes' own bound.
int32_t ClampLength(double value)
{
    return value >= kHtmlMaxLength ? kHtmlMaxLength : value <= -kHtmlMaxLength ? -kHtmlMaxLength : int32_t(value);
}

// Marks a subtree laid out: content the table doesn't show (text between rows).
void MarkLaidOut(CTag* tag)
{
    tag->SetLaidOut(1);
    for (const auto& child : tag->GetChildren())
        MarkLaidOut(child.get());
}
} // namespace

CTagTABLE::CTagTABLE() = default;
CTagTABLE::~CTagTABLE() = default;

int32_t CTagTABLE::GetInnerPadding() const
{
    int32_t half = m_border / 2;
    if (half < 2 && m_border != 0)
        half = 1;
    return m_cellPadding + half;
}

int32_t CTagTABLE::ReadAttributes()
{
    if (!HasAttr("BORDER"))
        m_border = 2;
    else
    {
        // Written without "=": 2; an explicitly empty value: 0.
        const std::string border = GetAttr("BORDER", "\x01");
        m_border = border == "\x01" ? 2 : (border.empty() ? 0 : HtmlAtoiLength(border));
    }
    const std::string padding = GetAttr("CELLPADDING");
    m_cellPadding = padding.empty() ? 2 : HtmlAtoiLength(padding);
    ReadWidth(GetAttr("WIDTH"), 100, &m_widthPixels, &m_widthPercent);
    m_align = HtmlUpper(GetAttr("ALIGN"));
    const std::string both = GetAttr("BORDERCOLOR");
    if (!both.empty())
        m_light = m_dark = ParseColor(both, m_light);
    const std::string light = GetAttr("BORDERCOLORLIGHT");
    if (!light.empty())
        m_light = ParseColor(light, m_light);
    const std::string dark = GetAttr("BORDERCOLORDARK");
    if (!dark.empty())
        m_dark = ParseColor(dark, m_dark);
    m_columns = 0;
    for (const CTagTR* row : Rows())
        m_columns = std::max(m_columns, int32_t(Cells(row).size()));
    m_cursors.clear();
    m_placed = false;
    return 1;
}

std::vector<CTagTR*> CTagTABLE::Rows() const
{
    std::vector<CTagTR*> rows;
    for (const auto& child : m_children)
        if (auto* row = dynamic_cast<CTagTR*>(child.get()))
            rows.push_back(row);
    return rows;
}

std::vector<CTagTD*> CTagTABLE::Cells(const CTag* row)
{
    std::vector<CTagTD*> cells;
    for (const auto& child : row->GetChildren())
        if (auto* cell = dynamic_cast<CTagTD*>(child.get()))
            cells.push_back(cell);
    return cells;
}

CTag* CTagTABLE::Caption() const
{
    if (m_children.empty())
        return nullptr;
    return dynamic_cast<CTagCAPTION*>(m_children.front().get());
}

void CTagTABLE::ComputeWidths(CHtmlFlow* flow)
{
    const int32_t available = ClampLength(int64_t(flow->GetContent().Width()) - 2 * int64_t(m_border));
    if (m_widthPixels >= 0)
        m_tableWidth = m_widthPixels;
    else if (m_widthPercent > 0)
        m_tableWidth = ClampLength(m_widthPercent * 0.01 * available);
    else
        m_tableWidth = available;
    m_columnWidths.assign(size_t(m_columns), 0);
    const int32_t even = m_columns > 0 ? m_tableWidth / m_columns : m_tableWidth;
    const std::vector<CTagTR*> rows = Rows();
    std::vector<CTagTD*> first;
    if (!rows.empty())
        first = Cells(rows.front());
    for (int32_t k = 0; k < m_columns; ++k)
    {
        int32_t width = even;
        if (size_t(k) < first.size())
        {
            const CTagTD* cell = first[size_t(k)];
            if (cell->m_widthPercent > 0)
                width = ClampLength(cell->m_widthPercent * 0.01 * m_tableWidth);
            else if (cell->m_widthPixels >= 0)
                width = cell->m_widthPixels;
        }
        m_columnWidths[size_t(k)] = width == 0 ? 1 : width;
    }
    int64_t sum = 0;
    for (int32_t w : m_columnWidths)
        sum += w;
    m_columnSum = int32_t(std::min<int64_t>(sum, CHtmlFlow::kMaxTop));
    const LayoutRect& content = flow->GetContent();
    if (m_align == "CENTER")
        m_start = content.left + (available - m_columnSum) / 2;
    else if (m_align == "RIGHT")
        m_start = content.right - m_columnSum;
    else
        m_start = content.left;
}

void CTagTABLE::PlaceCursors(CHtmlFlow* flow, int32_t top)
{
    m_cursors.clear();
    const int32_t padding = GetInnerPadding();
    int64_t x = int64_t(m_start) + m_border;
    for (int32_t k = 0; k < m_columns; ++k)
    {
        // Columns past the layout's reach stand at its edge.
        const int32_t width = std::max(1, m_columnWidths[size_t(k)]);
        const int32_t left = int32_t(std::min<int64_t>(x, CHtmlFlow::kMaxTop));
        auto cursor = std::make_unique<CHtmlFlow>(flow, left, left + width, padding);
        cursor->MoveTo(top + padding);
        m_cursors.push_back(std::move(cursor));
        x += width;
    }
}

void CTagTABLE::BeginLayout(CHtmlFlow* flow)
{
    if (m_placed || m_laidOut)
        return;
    flow->NewLineIfNotEmpty(true);
    ComputeWidths(flow);
    m_top = flow->GetLineTop();
    m_nextRowTop = m_top + m_border;
    PlaceCursors(flow, m_nextRowTop);
    m_placed = true;
    m_finished = false;
}

void CTagTABLE::LayoutChildren(CHtmlDC* dc, CHtmlFlow* flow)
{
    if (!m_placed)
        BeginLayout(flow);
    const int32_t padding = GetInnerPadding();
    CTag* caption = Caption();
    for (const auto& child : m_children)
        if (dynamic_cast<CTagTR*>(child.get()) == nullptr && child.get() != caption)
            MarkLaidOut(child.get());
    if (caption != nullptr && !static_cast<CTagCAPTION*>(caption)->IsBottom() &&
        !(caption->IsLaidOut() && caption->IsTreeLaidOut()))
    {
        if (m_captionCursor == nullptr)
        {
            m_captionCursor = std::make_unique<CHtmlFlow>(flow, m_start, m_start + m_columnSum + 2 * m_border, 0);
            m_captionCursor->MoveTo(m_top);
        }
        LayoutElement(caption, dc, m_captionCursor.get());
        m_captionCursor->NewLineIfNotEmpty(false);
        if (!(caption->IsLaidOut() && caption->IsTreeLaidOut()))
        {
            flow->AdvanceTo(m_captionCursor->GetLineTop());
            return;
        }
        m_nextRowTop = m_captionCursor->GetLineTop() + m_border;
        PlaceCursors(flow, m_nextRowTop);
    }
    for (CTagTR* row : Rows())
    {
        if (row->m_done)
            continue;
        bool allFull = !m_cursors.empty();
        for (const auto& cursor : m_cursors)
            allFull = allFull && cursor->IsFull();
        if (allFull)
            return;
        if (!row->m_topSet)
        {
            row->m_top = m_nextRowTop;
            row->m_topSet = 1;
        }
        const std::vector<CTagTD*> cells = Cells(row);
        bool done = true;
        for (size_t k = 0; k < cells.size(); ++k)
        {
            if (k >= m_cursors.size())
            {
                // Cells beyond the column count are not shown.
                MarkLaidOut(cells[k]);
                continue;
            }
            LayoutElement(cells[k], dc, m_cursors[k].get());
            done = done && cells[k]->IsLaidOut() && cells[k]->IsTreeLaidOut();
        }
        int32_t bottom = row->m_top + padding;
        for (const auto& cursor : m_cursors)
        {
            cursor->NewLineIfNotEmpty(false);
            bottom = std::max(bottom, cursor->GetLineTop());
        }
        if (!done)
        {
            row->m_bottom = 0;
            flow->AdvanceTo(bottom);
            return;
        }
        for (const auto& child : row->GetChildren())
            if (dynamic_cast<CTagTD*>(child.get()) == nullptr)
                MarkLaidOut(child.get());
        row->m_bottom = bottom + padding;
        row->m_done = 1;
        row->SetLaidOut(1);
        m_nextRowTop = row->m_bottom + m_border;
        for (const auto& cursor : m_cursors)
            cursor->MoveTo(m_nextRowTop + padding);
        flow->AdvanceTo(row->m_bottom);
    }
    if (caption != nullptr && static_cast<CTagCAPTION*>(caption)->IsBottom() &&
        !(caption->IsLaidOut() && caption->IsTreeLaidOut()))
    {
        if (m_captionCursor == nullptr)
        {
            m_captionCursor = std::make_unique<CHtmlFlow>(flow, m_start, m_start + m_columnSum + 2 * m_border, 0);
            m_captionCursor->MoveTo(m_nextRowTop);
        }
        LayoutElement(caption, dc, m_captionCursor.get());
        m_captionCursor->NewLineIfNotEmpty(false);
        m_nextRowTop = m_captionCursor->GetLineTop() + m_border;
        flow->AdvanceTo(m_captionCursor->GetLineTop());
    }
}

int32_t CTagTABLE::EndLayout(CHtmlFlow* flow)
{
    if (m_finished || !m_laidOut || !IsTreeLaidOut())
        return 0;
    m_finished = true;
    flow->AdvanceTo(m_nextRowTop);
    return 0;
}

void CTagTABLE::ArrangeChildren(CHtmlDC* dc, CHtmlFlow* flow)
{
    if (!m_placed)
        return;
    const int32_t padding = m_cellPadding;
    bool painted = false;
    int32_t firstTop = 0;
    int32_t lastBottom = 0;
    for (const auto& child : m_children)
    {
        auto* row = dynamic_cast<CTagTR*>(child.get());
        if (row == nullptr)
        {
            if (child.get() == Caption())
            {
                child->OnPushStyle(dc);
                child->Arrange(dc, flow);
                child->ArrangeChildren(dc, flow);
                child->OnPopStyle(dc);
            }
            continue;
        }
        if (!row->m_topSet)
            continue;
        const int32_t bottom = row->m_done ? row->m_bottom : flow->GetBounds().bottom + 1;
        const std::vector<CTagTD*> cells = Cells(row);
        for (size_t k = 0; k < cells.size() && k < m_cursors.size(); ++k)
        {
            const CTagTD* cell = cells[k];
            const LayoutRect& column = m_cursors[k]->GetContent();
            LayoutRect window;
            flow->ToWindow(LayoutRect(column.left - padding, row->m_top, column.right + padding, bottom), window);
            if (IsSet(cell->m_background) && m_document != nullptr)
            {
                HBRUSH__* brush = m_document->GetBrush(cell->m_background);
                if (brush != nullptr)
                {
                    dc->FillRect(window, brush);
                    m_document->ReleaseBrush(brush);
                }
            }
            if (cell->m_border != 0)
                Draw3DFrame(dc, window.left, window.top, window.right, window.bottom,
                            IsSet(cell->m_light) ? cell->m_light : m_light,
                            IsSet(cell->m_dark) ? cell->m_dark : m_dark);
        }
        for (size_t k = 0; k < cells.size() && k < m_cursors.size(); ++k)
        {
            CTagTD* cell = cells[k];
            cell->OnPushStyle(dc);
            cell->Arrange(dc, m_cursors[k].get());
            cell->ArrangeChildren(dc, m_cursors[k].get());
            cell->OnPopStyle(dc);
        }
        if (!painted)
            firstTop = row->m_top;
        painted = true;
        lastBottom = bottom;
    }
    if (m_border != 0 && painted)
    {
        LayoutRect window;
        flow->ToWindow(LayoutRect(m_start, firstTop - m_border, m_start + m_columnSum + 2 * m_border,
                                  lastBottom + m_border),
                       window);
        for (int32_t i = 0; i < m_border && window.Width() > 2 * i && window.Height() > 2 * i; ++i)
            Draw3DFrame(dc, window.left + i, window.top + i, window.right - i, window.bottom - i, m_light, m_dark);
    }
}

void CTagTABLE::ResetChildren(CHtmlDC* dc)
{
    for (const auto& child : m_children)
    {
        if (auto* row = dynamic_cast<CTagTR*>(child.get()))
        {
            for (const auto& cell : row->GetChildren())
                ResetLayout(cell.get(), dc);
            row->SetLaidOut(0);
            row->m_top = 0;
            row->m_bottom = 0;
            row->m_topSet = 0;
            row->m_done = 0;
        }
        else
            ResetLayout(child.get(), dc);
    }
    m_captionCursor.reset();
    m_cursors.clear();
    m_placed = false;
    m_finished = false;
}

int32_t CTagCAPTION::ReadAttributes()
{
    m_bottom = HtmlUpper(GetAttr("ALIGN")) == "BOTTOM" ? 1 : 0;
    return 1;
}

int32_t CTagTD::ReadAttributes()
{
    ReadWidth(GetAttr("WIDTH"), 50, &m_widthPixels, &m_widthPercent);
    m_align = GetAttr("ALIGN");
    const std::string bg = GetAttr("BGCOLOR");
    m_background = bg.empty() ? 0xFFFFFFFF : ParseColor(bg, 0xFFFFFFFF);
    const std::string both = GetAttr("BORDERCOLOR");
    if (!both.empty())
        m_light = m_dark = ParseColor(both, 0x02808080);
    const std::string light = GetAttr("BORDERCOLORLIGHT");
    if (!light.empty())
        m_light = ParseColor(light, 0x02C0C0C0);
    const std::string dark = GetAttr("BORDERCOLORDARK");
    if (!dark.empty())
        m_dark = ParseColor(dark, 0x02808080);
    const std::string border = GetAttr("BORDER");
    m_border = border.empty() ? 1 : HtmlAtoiLength(border);
    return 1;
}

void CTagTD::BeginLayout(CHtmlFlow* flow)
{
    if (!m_align.empty())
        OpenBlock(flow);
}

int32_t CTagTD::EndLayout(CHtmlFlow* flow)
{
    if (!m_align.empty())
        CloseBlock(flow, m_align, "");
    return 0;
}

CTagTH::~CTagTH()
{
    m_font.Release(m_document);
}

int32_t CTagTH::ReadAttributes()
{
    CTagTD::ReadAttributes();
    if (m_align.empty())
        m_align = "CENTER";
    return 1;
}

void CTagTH::OnPushStyle(CHtmlDC* dc)
{
    m_font.Push(
        dc, m_document, [](FontDesc& desc, const void*) { desc.weight = 700; }, nullptr);
}

void CTagTH::OnPopStyle(CHtmlDC* dc)
{
    m_font.Pop(dc);
}
