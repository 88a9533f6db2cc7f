// The text side of the HTML-built scroll bar: the tag families HTG_SCROLLBAR,
// HTG_SCROLLPART and HTG_SCROLLBUT expanded into frameset, frame and link
// markup during the hand-over pass, the part names those frames and links
// carry, the scroll codes of the buttons and the thumb arithmetic. No window
// here: CHtmlScrollBar (HtmlScrollBar.h) adds the views that play the parts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "HtmlWndEvents.h"

// The parts a bar's frames play, in the order of the bar record's slots.
enum HtmlScrollPart : int32_t
{
    kScrollPartTop,
    kScrollPartBottom,
    kScrollPartUp,
    kScrollPartDown,
    kScrollPartRectUp,
    kScrollPartRectDown,
    kScrollPartThumb,
    kScrollPartCount
};

// "TOP", "BOTTOM", "UP", "DOWN", "RECTUP", "RECTDOWN", "THUMB"; "" out of range.
const char* HtmlScrollPartWord(int32_t part);
// The part a frame-name word names (case-insensitive), or -1.
int32_t HtmlScrollPartOfWord(const std::string& word);
// A PART attribute as the frame name writes it: LEFT is TOP, RIGHT BOTTOM,
// RECTLEFT RECTUP and RECTRIGHT RECTDOWN (case-insensitive); any other word
// is kept as written.
std::string HtmlScrollPartName(const std::string& part);

// Name prefixes, after the '#': frames of a bar and its buttons' addresses.
constexpr const char* kHtmlScrollFramePrefix = "SBFRAME";
constexpr const char* kHtmlScrollButtonPrefix = "SBBUT";
// Splits "#" + prefix + id + "#" + word (prefix case-insensitive) into id and
// word; false, with both left alone, for any other name.
bool HtmlParseScrollName(const std::string& name, const char* prefix, std::string* id, std::string* word);

// A tag's bar id: SBID; else "FBS-" + TARGET when TARGET is set; else the
// current bar id.
std::string HtmlScrollBarId(const std::string& attributes, const std::string& currentId);

// The WM_VSCROLL/WM_HSCROLL request of a button's action (case-insensitive):
// TOP/LEFT 6, BOTTOM/RIGHT 7, LINEUP/LINELEFT 0, LINEDOWN/LINERIGHT 1,
// PAGEUP/PAGELEFT 2, PAGEDOWN/PAGERIGHT 3; -1 for any other word (nothing is
// sent for it).
int32_t HtmlScrollButtonCode(const std::string& action);

// The markup that replaces each tag: attributes and content inserted as written.
std::string HtmlScrollBarMarkup(const std::string& id, const std::string& attributes,
                                const std::string& content);
std::string HtmlScrollPartMarkup(const std::string& id, const std::string& part,
                                 const std::string& attributes, const std::string& content);
std::string HtmlScrollButtonMarkup(const std::string& id, const std::string& action,
                                   const std::string& attributes, const std::string& content);

// Thumb arithmetic along the bar's axis. The track runs from trackStart (the
// UP frame's trailing edge) to trackEnd (the DOWN frame's leading edge); the
// thumb is thumbLength long. Products are taken in 64 bits, so that a scroll
// range of any 32-bit size stays exact.
//
// Leading edge of the thumb that shows the position within minimum..maximum:
// the track's start when the range is empty, always kept inside the track.
int32_t HtmlThumbLeadingEdge(int32_t trackStart, int32_t trackEnd, int32_t thumbLength, int32_t position,
                             int32_t minimum, int32_t maximum);

struct HtmlThumbDrag
{
    int32_t leading = 0;  // the thumb centred on the pointer, kept inside the track
    bool scroll = false;  // a position is to be sent: the range isn't empty and the thumb can move
    int32_t position = 0; // minimum + offset x range / free length
};
HtmlThumbDrag HtmlThumbDragTo(int32_t pointer, int32_t trackStart, int32_t trackEnd, int32_t thumbLength,
                              int32_t minimum, int32_t maximum);

// One bar, by id: what its HTG_SCROLLBAR tag said. CHtmlScrollBar adds the views.
struct HtmlScrollBarRecord
{
    virtual ~HtmlScrollBarRecord() = default;

    std::string id;
    std::string type;
    int32_t vertical = 1;      // 0 when DIR is HORZ
    std::string target;        // name of the frame whose view scrolls
    int32_t lastPosition = -1; // the target's position last shown
};

// The hand-over of the three tag families (slot 0); every other slot keeps
// its default. Platform-free, so that the document's fuzz target can parse
// pages through it.
class CHtmlScrollBarTags : public CHtmlWndEventsBase
{
public:
    // Bars kept at most: a page (or a chat line) that names more ids gets
    // no more bars, and its further HTG_SCROLLBAR tags stay unhandled.
    static constexpr size_t kMaxBars = 64;

    // -1 when the tag isn't one of the families, has no id, or (HTG_SCROLLBAR)
    // comes without a document; else the length of the markup put in *content.
    int32_t OnTag(std::string name, std::string attributes, HtmlMemBlock* content, int32_t length,
                  std::string frameName, CHtmlObject* sender) override;

    // The bar of that id (case-insensitive), or null.
    HtmlScrollBarRecord* FindBar(const std::string& id) const;
    size_t CountBars() const { return m_bars.size(); }
    HtmlScrollBarRecord* GetBar(size_t index) const
    {
        return index < m_bars.size() ? m_bars[index].get() : nullptr;
    }
    const std::string& GetCurrentId() const { return m_currentId; }

protected:
    // The record for a new id (CHtmlScrollBar's carries the views).
    virtual std::unique_ptr<HtmlScrollBarRecord> NewBar();
    // An HTG_SCROLLBAR tag was expanded for the bar; frameName is the hand-over's.
    virtual void OnBarExpanded(HtmlScrollBarRecord& bar, const std::string& frameName);

    std::vector<std::unique_ptr<HtmlScrollBarRecord>> m_bars;
    std::string m_currentId;
};
