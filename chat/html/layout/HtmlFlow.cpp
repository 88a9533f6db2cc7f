#include "HtmlFlow.h"

#include <algorithm>

CHtmlFlow::CHtmlFlow(IHtmlFlowOwner* owner, int32_t marginWidth, int32_t marginHeight)
    : m_owner(owner), m_marginWidth(marginWidth), m_marginHeight(marginHeight)
{
    m_content.left += marginWidth;
    m_content.right -= marginWidth;
    StartLines(marginHeight);
}

CHtmlFlow::CHtmlFlow(CHtmlFlow* parent, int32_t left, int32_t right, int32_t padding) : m_parent(parent)
{
    m_content.Set(left + padding, parent->m_content.top, right - padding, parent->m_content.bottom);
    if (m_content.right <= m_content.left)
        m_content.right = m_content.left + 1;
    m_everBounded = true;
    StartLines(parent->m_line.top);
}

CHtmlFlow::~CHtmlFlow() = default;

CHtmlFlow* CHtmlFlow::Root()
{
    CHtmlFlow* flow = this;
    while (flow->m_parent != nullptr)
        flow = flow->m_parent;
    return flow;
}

const CHtmlFlow* CHtmlFlow::Root() const
{
    const CHtmlFlow* flow = this;
    while (flow->m_parent != nullptr)
        flow = flow->m_parent;
    return flow;
}

const LayoutRect& CHtmlFlow::GetBounds() const
{
    return Root()->m_bounds;
}

void CHtmlFlow::StartLines(int32_t top)
{
    m_line.Set(m_content.left, top, m_content.left, kNoSpace);
    m_lineStart = m_pieces.size();
}

void CHtmlFlow::Reset()
{
    // Elements drop their pieces before the pieces go.
    if (m_parent == nullptr && m_owner != nullptr)
        m_owner->OnLayoutRestart();
    m_pieces.clear();
    m_lineNumber = 0;
    m_widest = 0;
    StartLines(m_parent == nullptr ? m_marginHeight : m_line.top);
}

int32_t CHtmlFlow::SetBounds(const LayoutRect& bounds, bool force)
{
    LayoutRect content(bounds.left + m_marginWidth, bounds.top, bounds.right - m_marginWidth, bounds.bottom);
    if (content.right <= content.left)
        content.right = content.left + 1;
    const bool sameWidth = m_everBounded && content.Width() == m_content.Width();
    m_bounds.Set(bounds.left, bounds.top, bounds.right, bounds.bottom);
    m_content = content;
    m_everBounded = true;
    if (!force && sameWidth)
        return 1;
    Reset();
    return 0;
}

bool CHtmlFlow::IsFull() const
{
    return m_line.top == kNoSpace || m_line.top >= Root()->m_bounds.bottom || m_line.top >= kMaxTop;
}

bool CHtmlFlow::GetFreeArea(LayoutRect& area) const
{
    if (IsFull())
        return false;
    area.Set(m_line.left, m_line.top, m_content.right, m_line.bottom);
    return true;
}

bool CHtmlFlow::GetLineAndFreeArea(int32_t* line, LayoutRect& area) const
{
    *line = m_lineNumber;
    return GetFreeArea(area);
}

bool CHtmlFlow::LineHasPieces() const
{
    for (size_t i = m_lineStart; i < m_pieces.size(); ++i)
        if (m_pieces[i]->inFlow == 1)
            return true;
    return false;
}

void CHtmlFlow::CloseLine(LayoutRect& box, int32_t* bottom, int32_t* gap)
{
    const HtmlPiece* last = nullptr;
    for (size_t i = m_lineStart; i < m_pieces.size(); ++i)
        if (m_pieces[i]->inFlow == 1)
            last = m_pieces[i].get();
    if (last->box.Baseline() > box.Baseline())
        box.MoveBaselineTo(last->box.Baseline());
    else if (last->box.Baseline() < box.Baseline())
        for (size_t i = m_lineStart; i < m_pieces.size(); ++i)
            if (m_pieces[i]->inFlow == 1)
                m_pieces[i]->box.MoveBaselineTo(box.Baseline());
    int32_t largestBottom = box.bottom;
    // The box's own gap counts too, so that the gap never goes negative.
    int32_t largestWithGap = box.bottom + box.lineGap;
    for (size_t i = m_lineStart; i < m_pieces.size(); ++i)
    {
        const HtmlPiece& p = *m_pieces[i];
        if (p.inFlow != 1)
            continue;
        largestBottom = std::max(largestBottom, p.box.bottom);
        largestWithGap = std::max(largestWithGap, p.box.bottom + p.box.lineGap);
    }
    *bottom = largestBottom;
    *gap = largestWithGap - largestBottom;
}

void CHtmlFlow::FinishLine(int32_t top)
{
    ++m_lineNumber;
    m_line.Set(m_content.left, top, m_content.left, kNoSpace);
}

bool CHtmlFlow::Advance(LayoutRect& box, bool addGap)
{
    const bool held = LineHasPieces();
    int32_t bottom = box.bottom;
    int32_t gap = kFirstPieceGap;
    if (held)
        CloseLine(box, &bottom, &gap);
    if (box.right < m_content.right)
    {
        m_line.left = box.right;
        m_line.bottom = held ? std::max(m_line.bottom == kNoSpace ? bottom : m_line.bottom, bottom) : bottom;
        return false;
    }
    m_widest = std::max(m_widest, box.right);
    FinishLine(bottom + (addGap ? gap : 0));
    return true;
}

HtmlPiece* CHtmlFlow::CreatePiece(CTag* element, const LayoutRect& box, int32_t inFlow, int32_t* line,
                                  bool addGap, const HtmlPieceText& text)
{
    auto piece = std::make_unique<HtmlPiece>();
    piece->element = element;
    piece->box = box;
    piece->inFlow = inFlow;
    piece->text = text;
    if (inFlow == 0)
    {
        piece->box.bottom = piece->box.top;
        piece->box.right = std::min(piece->box.right, m_content.right);
    }
    // The piece keeps the number of the line it sits on, also when it finishes it.
    piece->line = m_lineNumber;
    const size_t lineStart = m_lineStart;
    const bool finished = Advance(piece->box, addGap);
    piece->gridRow = HasRowGrid() ? RowOf(piece->box.top) : 0;
    if (line != nullptr)
        *line = piece->line;
    HtmlPiece* placed = piece.get();
    m_pieces.push_back(std::move(piece));
    if (finished)
    {
        m_lineStart = m_pieces.size();
        if (HasRowGrid())
            ReflowOnGrid(lineStart);
    }
    return placed;
}

void CHtmlFlow::NewLine(bool addGap)
{
    if (!LineHasPieces())
    {
        FinishLine(m_line.top);
        m_lineStart = m_pieces.size();
        return;
    }
    int32_t bottom = m_line.top;
    int32_t withGap = m_line.top;
    for (size_t i = m_lineStart; i < m_pieces.size(); ++i)
    {
        const HtmlPiece& p = *m_pieces[i];
        if (p.inFlow != 1)
            continue;
        bottom = std::max(bottom, p.box.bottom);
        withGap = std::max(withGap, p.box.bottom + p.box.lineGap);
    }
    const int32_t gap = withGap - bottom;
    const size_t lineStart = m_lineStart;
    FinishLine(bottom + (addGap ? gap : 0));
    m_lineStart = m_pieces.size();
    if (HasRowGrid())
        ReflowOnGrid(lineStart);
}

void CHtmlFlow::NewLineIfNotEmpty(bool addGap)
{
    if (LineHasPieces())
        NewLine(addGap);
}

void CHtmlFlow::AdvanceTo(int32_t y)
{
    NewLineIfNotEmpty(false);
    if (y > m_line.top)
        m_line.top = y;
}

void CHtmlFlow::MoveTo(int32_t y)
{
    if (LineHasPieces())
        ++m_lineNumber;
    StartLines(y);
}

int32_t CHtmlFlow::GetCurrentBottom() const
{
    int32_t bottom = m_line.top;
    for (size_t i = m_lineStart; i < m_pieces.size(); ++i)
        if (m_pieces[i]->inFlow == 1)
            bottom = std::max(bottom, m_pieces[i]->box.bottom);
    return bottom;
}

size_t CHtmlFlow::IndexOf(const HtmlPiece* piece) const
{
    for (size_t i = 0; i < m_pieces.size(); ++i)
        if (m_pieces[i].get() == piece)
            return i;
    return m_pieces.size();
}

void CHtmlFlow::AlignHorizontal(const HtmlPiece* first, const HtmlPiece* end, int32_t mode)
{
    const size_t from = IndexOf(first);
    const size_t to = IndexOf(end);
    if (from >= m_pieces.size() || to >= m_pieces.size() || from > to)
        return;
    size_t i = from;
    while (i <= to)
    {
        const int32_t line = m_pieces[i]->line;
        size_t j = i;
        int32_t total = 0;
        while (j <= to && m_pieces[j]->line == line)
        {
            if (m_pieces[j]->inFlow == 1)
                total += m_pieces[j]->box.Width();
            ++j;
        }
        int32_t offset = 0;
        const int32_t width = m_content.Width();
        if (mode == kHtmlAlignCenter)
            offset = int32_t((width - total) * 0.5);
        else if (mode == kHtmlAlignRight)
            offset = width - total;
        int32_t x = m_content.left + offset;
        for (size_t k = i; k < j; ++k)
        {
            LayoutRect& box = m_pieces[k]->box;
            if (m_pieces[k]->inFlow != 1)
                continue;
            const int32_t w = box.Width();
            box.left = x;
            box.right = x + w;
            x += w;
        }
        i = j;
    }
}

void CHtmlFlow::AlignVertical(const HtmlPiece* first, const HtmlPiece* end, int32_t mode)
{
    const size_t from = IndexOf(first);
    const size_t to = IndexOf(end);
    if (from >= m_pieces.size() || to >= m_pieces.size() || from > to)
        return;
    size_t i = from;
    while (i <= to)
    {
        const int32_t line = m_pieces[i]->line;
        size_t j = i;
        int32_t smallestTop = kNoSpace;
        int32_t tallestAscent = 0;
        while (j <= to && m_pieces[j]->line == line)
        {
            if (m_pieces[j]->inFlow == 1)
            {
                smallestTop = std::min(smallestTop, m_pieces[j]->box.top);
                tallestAscent = std::max(tallestAscent, m_pieces[j]->box.Ascent());
            }
            ++j;
        }
        for (size_t k = i; k < j; ++k)
        {
            LayoutRect& box = m_pieces[k]->box;
            if (m_pieces[k]->inFlow != 1)
                continue;
            switch (mode)
            {
            case kHtmlVAlignMiddle:
                box.MoveTopTo(smallestTop + tallestAscent / 2 - box.middleOffset);
                break;
            case kHtmlVAlignTop:
                box.MoveTopTo(smallestTop);
                break;
            case kHtmlVAlignBaseline:
                box.MoveBaselineTo(smallestTop + tallestAscent);
                break;
            case kHtmlVAlignFloor:
                box.MoveBottomTo(smallestTop);
                break;
            default:
                break;
            }
        }
        i = j;
    }
}

void CHtmlFlow::SetRowHeight(int32_t height)
{
    m_rowHeights.clear();
    if (height > 0)
        m_rowHeights.push_back(height);
}

int32_t CHtmlFlow::RowOf(int32_t y) const
{
    if (m_rowHeights.empty())
        return 0;
    int32_t sum = 0;
    for (size_t i = 0; i < m_rowHeights.size(); ++i)
    {
        sum += m_rowHeights[i];
        if (sum > y)
            return int32_t(i);
    }
    return int32_t(m_rowHeights.size()) + (y - sum) / m_rowHeights.back();
}

LayoutRect CHtmlFlow::RowRect(int32_t row) const
{
    int32_t top = 0;
    int32_t height = m_rowHeights.empty() ? 0 : m_rowHeights.back();
    const int32_t count = int32_t(m_rowHeights.size());
    for (int32_t i = 0; i < row && i < count; ++i)
        top += m_rowHeights[size_t(i)];
    if (row < count)
        height = m_rowHeights[size_t(row)];
    else if (row > count)
        top += (row - count) * height;
    return LayoutRect(m_content.left - m_marginWidth, top, m_content.right + m_marginWidth, top + height);
}

bool CHtmlFlow::GetRowRect(int32_t y, LayoutRect& row) const
{
    if (!HasRowGrid())
        return false;
    row = RowRect(RowOf(y));
    return true;
}

void CHtmlFlow::ReflowOnGrid(size_t firstPiece)
{
    int32_t smallestTop = kNoSpace;
    int32_t largestBottom = -kNoSpace;
    for (size_t i = firstPiece; i < m_pieces.size(); ++i)
    {
        smallestTop = std::min(smallestTop, m_pieces[i]->box.top);
        largestBottom = std::max(largestBottom, m_pieces[i]->box.bottom);
    }
    if (smallestTop == kNoSpace)
        return;
    const int32_t bottomRow = RowOf(largestBottom);
    if (RowOf(smallestTop) == bottomRow)
        return;
    const int32_t dy = RowRect(bottomRow).top - smallestTop;
    for (size_t i = firstPiece; i < m_pieces.size(); ++i)
    {
        m_pieces[i]->box.top += dy;
        m_pieces[i]->box.bottom += dy;
        m_pieces[i]->gridRow = RowOf(m_pieces[i]->box.top);
    }
    m_line.top = std::max(m_line.top, largestBottom + dy);
}

bool CHtmlFlow::ToWindow(const LayoutRect& box, LayoutRect& window) const
{
    const CHtmlFlow* root = Root();
    const int32_t dx = root->m_content.left - root->m_marginWidth;
    const int32_t dy = root->m_content.top;
    window = box;
    window.left -= dx;
    window.right -= dx;
    window.top -= dy;
    window.bottom -= dy;
    return box.Height() / 2 + box.bottom + box.lineGap > root->m_content.top &&
           box.top < root->m_content.bottom;
}

void CHtmlFlow::ToDocument(int32_t* x, int32_t* y) const
{
    const CHtmlFlow* root = Root();
    *x += root->m_content.left - root->m_marginWidth;
    *y += root->m_content.top;
}

bool CHtmlFlow::IsVisible(const LayoutRect& box) const
{
    const CHtmlFlow* root = Root();
    return box.top >= root->m_content.top && box.bottom <= root->m_content.bottom &&
           box.left >= root->m_bounds.left && box.right <= root->m_bounds.right;
}
