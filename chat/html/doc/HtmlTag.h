// CTag: the base of every element of the document tree. It keeps the tag's
// name and attribute text, takes a copy of its content from the parser,
// builds its children from it and offers the tree walks of the view. Its
// virtual operations are hooks (slot order kept) that element classes
// override; layout and painting bodies come with the layout context.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "HtmlMemBlock.h"
#include "HtmlRuntimeClass.h"
#include "HtmlTimerHost.h"

class CHtmlDC;
class CHtmlDoc;
class CHtmlFlow;
struct HtmlPiece;
struct LayoutRect;

class CTag : public CHtmlObject, public CHtmlTimer
{
    HTML_DECLARE_DYNCREATE(CTag)

public:
    using List = std::vector<std::unique_ptr<CTag>>;

    CTag() = default;
    ~CTag() override;
    CTag(const CTag&) = delete;
    CTag& operator=(const CTag&) = delete;

    // Slots 3 to 26 of the element base.
    virtual int32_t Build();                                  // 3
    virtual void LayoutChildren(CHtmlDC* dc, CHtmlFlow* flow);  // 4
    virtual void ArrangeChildren(CHtmlDC* dc, CHtmlFlow* flow); // 5
    virtual void ResetChildren(CHtmlDC* dc);                    // 6
    virtual int32_t GetTabStop();                             // 7
    // The link address to follow for a key: the first non-empty answer of the children.
    virtual void OnKeyDown(std::string& answer, int32_t key, int32_t flags, CHtmlFlow* flow,
                           int32_t value);                                             // 8
    virtual int32_t ReadAttributes();                                                  // 9
    virtual void Place(CHtmlDC* dc, CHtmlFlow* flow);                                    // 10
    virtual void Arrange(CHtmlDC* dc, CHtmlFlow* flow);                                  // 11
    virtual void BeginLayout(CHtmlFlow* flow);                                         // 12
    virtual int32_t EndLayout(CHtmlFlow* flow);                                        // 13
    virtual void PushStyle(CHtmlDC* dc);                                                 // 14
    virtual void PopStyle(CHtmlDC* dc);                                                  // 15
    virtual void OnPushStyle(CHtmlDC* dc);                                               // 16
    virtual void OnPopStyle(CHtmlDC* dc);                                                // 17
    virtual void OnResetLayout(CHtmlDC* dc);                                             // 18
    virtual int32_t OnMouseMove(CHtmlFlow* flow, int32_t x, int32_t y, int32_t flags); // 19
    virtual void Paint(CHtmlDC* dc, CHtmlFlow* flow);                                    // 20
    virtual void GetLinkAt(std::string& link, CHtmlFlow* flow, int32_t x, int32_t y, int32_t flags,
                           std::string& target, CTag*& element);                                        // 21
    virtual void OnLButtonDown(CHtmlDC* dc, CHtmlFlow* flow, int32_t x, int32_t y, int32_t flags);        // 22
    virtual void OnLButtonUp(CHtmlDC* dc, CHtmlFlow* flow, int32_t x, int32_t y, int32_t flags);          // 23
    virtual int32_t GetStateByName(const std::string& name);                                            // 24
    virtual int32_t SetStateByName(const std::string& name, int32_t value, CHtmlFlow* flow, CHtmlDC* dc); // 25
    virtual void OnSetFocusTree(int32_t focus, CHtmlFlow* flow, CHtmlDC* dc);                             // 26

    // Stores the tag and copies its content out of the source block: 1, or 0
    // when the content can't be copied (the element then has no children).
    int32_t Init(const std::string& name, const std::string& attributes, HtmlMemBlock source,
                 uint32_t contentPosition, uint32_t contentLength, CHtmlDoc* document, CTag* parent);

    std::string GetAttr(const std::string& name, const std::string& defaultValue = "") const;
    int32_t GetAttrInt(const std::string& name, int32_t defaultValue) const;
    int32_t HasAttr(const std::string& name) const;
    static uint32_t GetColorAttr(const std::string& text, uint32_t defaultColor);

    std::string GetName() const { return m_name; }
    const std::string& GetAttributes() const { return m_attributes; }
    CHtmlDoc* GetDocument() const { return m_document; }
    CTag* GetParent() const { return m_parent; }
    const List& GetChildren() const { return m_children; }
    List& GetChildren() { return m_children; }
    // Levels above this element (0 at the top level).
    uint32_t GetDepth() const { return m_depth; }

    // This element or the first descendant whose NAME attribute matches.
    CTag* FindByName(const std::string& name);
    int32_t GetStateInTree(const std::string& name);
    int32_t SetStateInTree(const std::string& name, int32_t value, CHtmlFlow* flow, CHtmlDC* dc);

    // Walks over the subtree, this element first.
    int32_t MouseMoveTree(CHtmlFlow* flow, int32_t x, int32_t y, int32_t flags);
    void PaintTree(CHtmlDC* dc, CHtmlFlow* flow);
    std::string FindLinkAt(CHtmlFlow* flow, int32_t x, int32_t y, int32_t flags, std::string& target,
                           CTag*& element);
    void LButtonDownTree(CHtmlDC* dc, CHtmlFlow* flow, int32_t x, int32_t y, int32_t flags);
    void LButtonUpTree(CHtmlDC* dc, CHtmlFlow* flow, int32_t x, int32_t y, int32_t flags);
    void SetFocusTree(int32_t focus, CHtmlFlow* flow, CHtmlDC* dc);

    // Layout of one element: style, placement (once), children, style back.
    static int32_t LayoutElement(CTag* element, CHtmlDC* dc, CHtmlFlow* flow);
    // Second pass (painting): style, Arrange, the children's, style back.
    static void ArrangeElement(CTag* element, CHtmlDC* dc, CHtmlFlow* flow);
    // Forgets the element's layout and its subtree's.
    static void ResetLayout(CTag* element, CHtmlDC* dc);

    // A piece over the flow's next free area, appended to the list (nothing
    // while the flow is full); the aligned form applies the alignment words
    // once the list holds two pieces, then empties it.
    HtmlPiece* AddPiece(CHtmlFlow* flow, std::vector<HtmlPiece*>& list);
    void AddAlignedPiece(CHtmlFlow* flow, std::vector<HtmlPiece*>& list, const std::string& align,
                         const std::string& valign);
    // Alignment word to mode: ALIGN (-1 none) and VALIGN (-1 none).
    static int32_t HorizontalMode(const std::string& align);
    static int32_t VerticalMode(const std::string& valign);
    // Top and left edges in the first colour, right and bottom in the second.
    static void Draw3DFrame(CHtmlDC* dc, int32_t left, int32_t top, int32_t right, int32_t bottom,
                            uint32_t first, uint32_t second);
    // Draws or erases the underline and the second line under a box (in
    // document coordinates) as asked, where they differ from the line state
    // (two flags: underline drawn, second line drawn) and lie in view.
    static void ToggleLinkLines(int32_t on, CHtmlFlow* flow, CHtmlDC* dc, const LayoutRect& box, int32_t* underline,
                                int32_t* secondLine);
    // Union of the element's pieces (and its descendants' when asked): 1 when any.
    int32_t GetBounds(LayoutRect& bounds, bool withChildren) const;
    int32_t ContainsPoint(int32_t x, int32_t y) const;
    const std::vector<HtmlPiece*>& GetPieces() const { return m_pieces; }

    int32_t IsTreeLaidOut() const;
    void SetLaidOut(int32_t value) { m_laidOut = value; }
    int32_t IsLaidOut() const { return m_laidOut; }
    void SetTabStopValue(int32_t value) { m_tabStop = value; }
    int32_t GetFocus() const { return m_focus; }

    // Tab stops of a list in document order: the focused one, the one after
    // it and the one before it (wrapping when asked).
    struct TabStops
    {
        CTag* focused = nullptr;
        CTag* next = nullptr;
        CTag* previous = nullptr;
        std::vector<CTag*> all;
    };
    static TabStops FindTabStopsInList(const List& list, bool wrap);
    void FindTabStops(std::vector<CTag*>& all, CTag*& focused);

protected:
    // Block begin and end: a marker piece opens the block (ending the line)
    // on the first pass; once the subtree is laid out a second one closes it
    // and the boxes between them are aligned.
    int32_t AccumulateBounds(LayoutRect& bounds, bool withChildren) const;
    void OpenBlock(CHtmlFlow* flow);
    void CloseBlock(CHtmlFlow* flow, const std::string& align, const std::string& valign);

    // Set by Place when the flow filled up before the element was wholly
    // placed: the element isn't marked laid out and resumes on a later pass.
    int32_t m_placeIncomplete = 0;
    std::vector<HtmlPiece*> m_pieces; // placed by this element, owned by the flow
    std::vector<HtmlPiece*> m_blockPieces;

    // The content block (until Build has used it) and its length.
    HtmlMemBlock m_content = nullptr;
    uint32_t m_contentLength = 0;
    void FreeContent();
    // The content as text, and the block freed.
    std::string TakeContent();

    List m_children;
    CHtmlDoc* m_document = nullptr;
    std::string m_name;
    std::string m_attributes;
    CTag* m_parent = nullptr;
    uint32_t m_depth = 0;
    int32_t m_laidOut = 0;
    int32_t m_tabStop = 0;
    int32_t m_focus = 0;
};
