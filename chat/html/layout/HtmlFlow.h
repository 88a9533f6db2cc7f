// CHtmlFlow: the document's layout context. Elements ask it for the free
// area of the current line, create pieces (placed boxes) in it, break lines
// and align the boxes of a line. A flow can live inside another one (a
// table's column): it then spans a column with an inner padding and shares
// its parent's coordinates and bottom.
//
// A flow is full once its next line starts at or below its bounds' bottom:
// nothing more is placed until the bounds move further down, so a later
// paint lower in the page resumes the layout where it stopped.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "LayoutRect.h"

class CTag;
struct HtmlLineState;

// Who a top flow tells when its layout restarts (the document).
class IHtmlFlowOwner
{
public:
    virtual ~IHtmlFlowOwner() = default;
    // The layout context restarts: every element forgets its layout.
    virtual void OnLayoutRestart() = 0;
};

// What a text run's piece shows: a range of the run's text, and the record
// of the link lines drawn under it (owned by the run). Other pieces keep it
// empty.
struct HtmlPieceText
{
    HtmlLineState* lines = nullptr;
    int32_t offset = 0;
    int32_t length = 0;
};

// A placed box.
struct HtmlPiece
{
    CTag* element = nullptr;
    LayoutRect box;
    int32_t line = 0;
    int32_t inFlow = 1;
    int32_t gridRow = 0;
    HtmlPieceText text;
};

// Horizontal alignment modes (the element's ALIGN word).
enum HtmlHAlign : int32_t
{
    kHtmlAlignCenter = 0,
    kHtmlAlignRight = 1,
    kHtmlAlignLeft = 2,
};

// Vertical alignment modes (the element's VALIGN word).
enum HtmlVAlign : int32_t
{
    kHtmlVAlignMiddle = 0,
    kHtmlVAlignTop = 1,
    kHtmlVAlignBaseline = 2,
    kHtmlVAlignFloor = 3,
};

class CHtmlFlow
{
public:
    static constexpr int32_t kNoSpace = 0x7FFFFFFF;
    // Nothing is placed below this: what the boxes of one line add to it
    // (lengths of attributes are bounded) stays within 32 bits.
    static constexpr int32_t kMaxTop = 0x40000000;
    // Gap below a line that holds a single piece.
    static constexpr int32_t kFirstPieceGap = 4;

    // owner: told of restarts, may be null (not owned).
    CHtmlFlow(IHtmlFlowOwner* owner, int32_t marginWidth, int32_t marginHeight);
    // A flow over a column of parent from left to right, inset by padding.
    CHtmlFlow(CHtmlFlow* parent, int32_t left, int32_t right, int32_t padding);
    virtual ~CHtmlFlow();
    CHtmlFlow(const CHtmlFlow&) = delete;
    CHtmlFlow& operator=(const CHtmlFlow&) = delete;

    // Pieces go, the first line spans the content width from the top.
    void Reset();
    // 1 when the width did not change and the layout stands; else 0 after a reset.
    int32_t SetBounds(const LayoutRect& bounds, bool force);
    void SetMarginWidth(int32_t n) { m_marginWidth = n; }
    void SetMarginHeight(int32_t n) { m_marginHeight = n; }
    int32_t GetMarginWidth() const { return m_marginWidth; }
    int32_t GetMarginHeight() const { return m_marginHeight; }

    // The free area of the current line; false when no space is left (or the flow is full).
    bool GetFreeArea(LayoutRect& area) const;
    bool GetLineAndFreeArea(int32_t* line, LayoutRect& area) const;
    bool IsFull() const;
    // True when the area spans at least the content width (nothing on the line yet).
    bool IsFullWidth(const LayoutRect& area) const { return area.Width() >= m_content.Width(); }

    // Places a box: advances the line with it and appends the piece; the line number.
    HtmlPiece* CreatePiece(CTag* element, const LayoutRect& box, int32_t inFlow, int32_t* line, bool addGap,
                           const HtmlPieceText& text = {});
    // Ends the current line (adding its gap when asked).
    void NewLine(bool addGap);
    void NewLineIfNotEmpty(bool addGap);
    bool LineHasPieces() const;
    // Starts a fresh line at y (when y lies below the current line's top).
    void AdvanceTo(int32_t y);
    // Moves the current line to start at y, up or down, with the full content width.
    void MoveTo(int32_t y);

    // Alignment of the boxes between first and end (inclusive), line by line.
    void AlignHorizontal(const HtmlPiece* first, const HtmlPiece* end, int32_t mode);
    void AlignVertical(const HtmlPiece* first, const HtmlPiece* end, int32_t mode);

    const LayoutRect& GetContent() const { return m_content; }
    const LayoutRect& GetBounds() const;
    // The top of the current line.
    int32_t GetLineTop() const { return m_line.top; }
    int32_t GetCurrentBottom() const;
    int32_t GetWidest() const { return m_widest; }
    int32_t GetLineNumber() const { return m_lineNumber; }
    // The bottom of what is laid out (the current line's too) plus the margin height.
    int32_t GetTotalHeight() const { return GetCurrentBottom() + m_marginHeight; }
    const std::vector<std::unique_ptr<HtmlPiece>>& GetPieces() const { return m_pieces; }

    // Row grid: one row height for every row (0 removes the grid).
    void SetRowHeight(int32_t height);
    bool HasRowGrid() const { return !m_rowHeights.empty(); }
    int32_t RowOf(int32_t y) const;
    LayoutRect RowRect(int32_t row) const;
    // The rectangle of the grid row that holds y; false without a grid.
    bool GetRowRect(int32_t y, LayoutRect& row) const;

    // Document to window coordinates; true when the box shows in the bounds.
    bool ToWindow(const LayoutRect& box, LayoutRect& window) const;
    // Window to document coordinates.
    void ToDocument(int32_t* x, int32_t* y) const;
    // True when both points lie in the bounds.
    bool IsVisible(const LayoutRect& box) const;

private:
    CHtmlFlow* Root();
    const CHtmlFlow* Root() const;
    void StartLines(int32_t top);
    // Closes the current line against box: the line's bottom and gap.
    void CloseLine(LayoutRect& box, int32_t* bottom, int32_t* gap);
    // True when the box finished the line.
    bool Advance(LayoutRect& box, bool addGap);
    void FinishLine(int32_t top);
    void ReflowOnGrid(size_t firstPiece);
    size_t IndexOf(const HtmlPiece* piece) const;

    IHtmlFlowOwner* m_owner = nullptr;
    CHtmlFlow* m_parent = nullptr;
    LayoutRect m_bounds{0, 0, kNoSpace, kNoSpace};
    LayoutRect m_content{0, 0, 100, 100};
    int32_t m_marginWidth = 0;
    int32_t m_marginHeight = 0;
    // The current line: left is where the next box goes, top the line's
    // top, bottom its bottom limit.
    LayoutRect m_line;
    int32_t m_lineNumber = 0;
    int32_t m_widest = 0;
    // Index of the first piece of the current line.
    size_t m_lineStart = 0;
    bool m_everBounded = false;
    std::vector<std::unique_ptr<HtmlPiece>> m_pieces;
    std::vector<int32_t> m_rowHeights;
};
