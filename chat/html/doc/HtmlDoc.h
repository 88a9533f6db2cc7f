// CHtmlDoc: the document of one HTML view. It loads a source text from a
// file, a resource of the owner's module or a string, runs the hand-over
// pass in which tags are offered to the handler (which may replace them by
// text of its own) and parses the text into a tree of CTag elements.
//
// Load results: 0 success (also for an address kind that isn't loaded),
// 1 read error, 2 out of memory, 3 resource not found.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "HtmlFlow.h"
#include "HtmlFontDesc.h"
#include "LayoutRect.h"

#include "HtmlMemBlock.h"
#include "HtmlRuntimeClass.h"
#include "HtmlTag.h"

class IHtmlWndEvents;
class IHtmlHost;
class IHtmlViewSurface;
class CHtmlImageBackdrop;
class CHtmlDC;
class CHtmlImageSource;
class CHtmlTimerHost;
struct FrameRecord;
struct HFONT__;
struct HBRUSH__;

enum HtmlLoadResult : int32_t
{
    kHtmlLoadOk = 0,
    kHtmlLoadReadError = 1,
    kHtmlLoadNoMemory = 2,
    kHtmlLoadNoResource = 3,
};

enum HtmlSourceKind : int32_t
{
    kHtmlKindUnknown = -1,
    kHtmlKindFile = 0,
    kHtmlKindResource = 1,
    kHtmlKindString = 3,
};

// A record of the kind table: per-kind overrides of the two kind flags.
struct HtmlKindRecord
{
    std::string name;
    int32_t relative;
    int32_t sticky;
};

class CHtmlDoc : public CHtmlObject, public IHtmlFlowOwner
{
    HTML_DECLARE_DYNCREATE(CHtmlDoc)

public:
    // Bounds of the hand-over pass: replacements of the tag at one position
    // before the pass moves past it, and bytes replacements may add in total.
    static constexpr uint32_t kMaxReplacementsPerPosition = 64;
    static constexpr uint32_t kMaxHandOverGrowth = 16u << 20;
    // Largest source text the loaders accept.
    static constexpr uint32_t kMaxSourceSize = 256u << 20;

    // module: where RT_HTML resources are looked up; nullptr = the program's own.
    // host: reads files and resources and lends fonts, brushes and images
    // (not owned, outlives the document); nullptr = a host that lends nothing.
    explicit CHtmlDoc(void* module = nullptr, IHtmlHost* host = nullptr);
    ~CHtmlDoc() override;
    CHtmlDoc(const CHtmlDoc&) = delete;
    CHtmlDoc& operator=(const CHtmlDoc&) = delete;

    int32_t Load(const std::string& address, std::string* errorText, IHtmlWndEvents* handler,
                 int32_t handOverPass, int32_t offerKnownTags, int32_t backgroundX = 0,
                 int32_t backgroundY = 0);
    int32_t Reload(std::string* errorText, IHtmlWndEvents* handler, int32_t handOverPass,
                   int32_t offerKnownTags, int32_t backgroundX = 0, int32_t backgroundY = 0);
    // Cuts the kind prefix off the address and classifies the kind (upper-cased
    // into *kind); an unknown kind is offered to the handler when asked.
    int32_t SplitSource(std::string& address, bool askHandler, std::string* kind);

    int32_t LoadFile(const std::string& path, std::string* errorText);
    int32_t LoadString(const std::string& text, std::string* errorText);
    int32_t LoadResourceById(uint32_t id, std::string* errorText);
    int32_t LoadResourceByName(const std::string& name, std::string* errorText);

    // Tags offered to the handler (slots 0 and 1): -1 without handler.
    virtual int32_t OnUnknownTag(const std::string& name, const std::string& attributes,
                                 HtmlMemBlock* content, int32_t length);
    virtual int32_t OnHandlerTag(const std::string& name, const std::string& attributes,
                                 HtmlMemBlock* content, int32_t length);
    // Writes the source text to a file (text mode); false when it can't be written.
    virtual bool SaveSource(const std::string& path) const;

    // Clears the document: the handler hears of it, the source and the tree go.
    void Reset();
    // Replaces oldLength bytes of the source at position by the first
    // newLength bytes of the block: 1, or 0 with the source unchanged.
    int32_t Splice(HtmlMemBlock text, uint32_t position, uint32_t oldLength, uint32_t newLength);
    void ParseLoop();
    void BuildTree();

    // Addresses.
    std::string GetBasePathOf(const std::string& address);
    std::string ResolveAddress(const std::string& address, bool bare);
    const std::string& GetBasePath() const { return m_basePath; }
    void SetBasePath(const std::string& path) { m_basePath = path; }
    const std::string& GetUrl() const { return m_url; }
    void SetSourceType(const std::string& kind);
    const std::string& GetSourceType() const { return m_sourceType; }

    // The kind table.
    void CopyKinds(const CHtmlDoc& other) { m_kinds = other.m_kinds; }
    const std::vector<HtmlKindRecord>& GetKinds() const { return m_kinds; }
    void SetKind(const HtmlKindRecord& record);
    void ClearKinds() { m_kinds.clear(); }
    int32_t IsRelativeKind(const std::string& kind) const;
    int32_t IsStickyKind(const std::string& kind) const;

    // Bytes replacements may add in one hand-over pass (kMaxHandOverGrowth by default).
    void SetHandOverGrowthLimit(uint32_t bytes) { m_growthLimit = bytes; }

    // Bit 1 set: build the tree after loading; clear: stop after the hand-over pass.
    void SetAutoFlags(uint32_t bits) { m_noTree = (bits & 2) ? 0 : 1; }
    // The layout context's margins, or pending ones until it exists.
    void SetMarginWidth(int32_t n);
    void SetMarginHeight(int32_t n);
    int32_t GetPendingMarginWidth() const { return m_pendingMarginWidth; }
    int32_t GetPendingMarginHeight() const { return m_pendingMarginHeight; }

    IHtmlWndEvents* GetEvents() const { return m_handler; }
    void SetElementCount(int32_t n) { m_elementCount = n; }
    void CountElement() { ++m_elementCount; }
    int32_t GetElementCount() const { return m_elementCount; }
    const CTag::List& GetElements() const { return m_elements; }
    const std::string& GetHandlerName() const { return m_handlerName; }
    std::string GetSource() const;
    uint32_t GetSourceLength() const { return m_sourceLength; }

    void* GetInitialModule() const { return m_initialModule; }
    void* GetResourceModule() const { return m_resourceModule; }
    void SetResourceModule(void* module) { m_resourceModule = module; }

    // Colours: 0 text, 1 link, 2 active link.
    int32_t GetColor(int32_t index, uint32_t* color) const;
    int32_t SetColor(int32_t index, uint32_t color);
    uint32_t GetBackgroundColor() const { return m_backgroundColor; }
    void SetBackgroundColor(uint32_t color) { m_backgroundColor = color; }
    void SetBackgroundOffset(int32_t x, int32_t y);
    void GetBackgroundOffset(int32_t* x, int32_t* y) const;
    int32_t SetDocFlag(int32_t value);
    int32_t GetDocFlag() const { return m_docFlag; }

    // Handler notifications raised by elements.
    void NotifyTitle(const std::string& title);
    // The frame records of the document's frameset (slot 4), and its end when
    // the frameset element goes (slot 5).
    void NotifyFrameset(const std::vector<FrameRecord>* frames);
    void NotifyFramesetDone();
    // Set when the first frameset is built: a deeper one becomes a frame.
    bool HasFrameset() const { return m_hasFrameset; }
    void MarkFrameset() { m_hasFrameset = true; }

    // Layout and painting. The rectangle is the part of the page to show,
    // in document coordinates (the view's client area moved by its scroll
    // position).
    CHtmlFlow* GetFlow() const { return m_flow.get(); }
    void Layout(CHtmlDC* dc, const LayoutRect& rect);
    // On a row grid: lays the document out into the grid row that holds y,
    // between the given rectangle's left and right edges when one is given.
    // Nothing without a layout context or a grid.
    void LayoutRow(CHtmlDC* dc, int32_t y, const LayoutRect* rect);
    // The flow's extent (0 without a layout context), its row height, its grid.
    int32_t GetLayoutExtent() const;
    void SetRowHeight(int32_t height);
    bool HasRowGrid() const;
    // 1 when the content is taller than the rectangle (measured, not drawn).
    int32_t NeedsScroll(CHtmlDC* dc, const LayoutRect& rect);
    // Height of the whole content plus the margin height (measured, not drawn).
    int32_t MeasureHeight(CHtmlDC* dc, const LayoutRect& rect);
    // The widest right edge laid out so far plus the margin width.
    int32_t MeasureWidth() const;
    void PaintBackground(CHtmlDC* dc, const LayoutRect& rect);
    // Asks the handler to scroll (ScrollIntoView) when the element's bounds
    // aren't wholly in view.
    void EnsureVisible(CTag* element);
    // Forgets the layout: the next Layout places everything again.
    void ResetLayout();
    // The layout context restarts: every element forgets its layout.
    void OnLayoutRestart() override;
    int32_t GetOutputFlag() const { return m_output; }
    // Paints of the page's background so far: an element whose image saved
    // what lay under it before the last one saves again.
    uint32_t GetPaintCount() const { return m_paintCount; }
    // The view's timer host, which animated elements register with (not owned).
    void SetTimerHost(CHtmlTimerHost* host) { m_timerHost = host; }
    CHtmlTimerHost* GetTimerHost() const { return m_timerHost; }

    // Fonts, brushes and images: lent by the handler when it offers them,
    // else by the renderer's resources. Each is given back the same way.
    HFONT__* GetFont(const FontDesc& description);
    void ReleaseFont(HFONT__* font);
    HBRUSH__* GetBrush(uint32_t color);
    void ReleaseBrush(HBRUSH__* brush);
    CHtmlImageSource* GetImage(const std::string& name);
    void ReleaseImage(CHtmlImageSource* image);
    // Natural size of an image (0 x 0 when unknown).
    void GetImageSize(CHtmlImageSource* image, int32_t* width, int32_t* height) const;
    // An image address of the page as the image cache names it: resolved
    // against the base path; "res://" in front when the page came from a
    // resource and the address names no kind of its own.
    std::string ImageAddress(const std::string& source);
    HFONT__* GetDefaultFont() const { return m_defaultFont; }
    // Not owned: the element that set it gives it back.
    void SetBackgroundImage(CHtmlImageSource* image) { m_backgroundImage = image; }
    CHtmlImageSource* GetBackgroundImage() const { return m_backgroundImage; }
    void SetPageLink(const std::string& address, const std::string& target);
    // The link under a point (document coordinates): the first element that
    // answers; else the page-wide link, with no element.
    std::string GetLinkAt(int32_t x, int32_t y, int32_t flags, std::string* target, CTag** element);
    const std::string& GetPageLink() const { return m_pageLink; }

    // Keyboard focus: 1 when the element is in the tree (on: it is scrolled
    // into view first), 0 otherwise.
    int32_t ContainsElement(const CTag* element) const;
    int32_t SetFocusElement(CTag* element, int32_t on, CHtmlDC* dc);
    // The link address a key on the element follows ("" for none).
    std::string OnKeyDown(CTag* element, int32_t key, int32_t flags);
    // The first element whose NAME matches (case-insensitive), or null.
    CTag* FindTagByName(const std::string& name);

    // --- hover, press, links and element states (HtmlDocHover.cpp)
    // The view's window outside a paint (not owned; null: none).
    void SetSurface(IHtmlViewSurface* surface) { m_surface = surface; }
    IHtmlViewSurface* GetSurface() const { return m_surface; }
    // A drawing seam on the view's window, or null.
    std::unique_ptr<CHtmlDC> OpenViewDC();
    // Where the pointer is (document coordinates); false when outside the view.
    bool GetPointer(int32_t* x, int32_t* y);
    // A point that lies over no element: where the pointer is when it has left.
    static constexpr int32_t kNowhere = -0x40000000;
    // Walks that a move repaints after at most: each walk that changes a look
    // repaints and walks again, and a walk without change ends it.
    static constexpr int32_t kMaxHoverWalks = 64;
    // The pointer moved to (x, y) (document coordinates): the elements whose
    // look changes answer, and the tree is painted again until none does.
    // The number of repaints.
    int32_t OnMouseMove(CHtmlDC* dc, int32_t flags, int32_t x, int32_t y);
    // Paints every element again in place, each in its style.
    void PaintTree(CHtmlDC* dc);
    // A hovered link's tick: raised to the handler while the pointer is still
    // over the link; otherwise the link is left as by a move.
    void OnLinkTick(CTag* link, const std::string& address, const std::string& target, int32_t pressed);
    void NotifyLinkHover(const std::string& text, CTag* element, int32_t kind);
    // Asks the handler (OnLinkClick) and then lets it follow the link; 1
    // without a handler.
    int32_t FollowLink(const std::string& address, const std::string& target);
    // A navigation asked for from inside an element's own call (a tick): it
    // runs once that call is over, since it frees the element. A reset
    // forgets it.
    void QueueFollowLink(const std::string& address, const std::string& target);
    void RunQueued();
    bool HasQueuedLink() const { return m_queuedLink; }
    // Check states by NAME (compared exactly): the first set one, and every
    // element of that name set (0 without a layout context).
    int32_t GetImageState(const std::string& name);
    int32_t SetImageState(const std::string& name, int32_t value, CHtmlDC* dc);
    // Frame count and delay of an animated image (0: still), transparency,
    // and a backdrop for an element that draws images.
    int32_t GetImageFrames(CHtmlImageSource* image, uint32_t* delayMs) const;
    bool IsImageTransparent(CHtmlImageSource* image) const;
    std::unique_ptr<CHtmlImageBackdrop> NewImageBackdrop() const;

private:
    int32_t Parse();
    void PrepareLoad();
    int32_t TakeSource(HtmlMemBlock block, uint32_t length);
    void FreeSource();

    IHtmlHost* m_host; // not owned, never null
    HtmlMemBlock m_source = nullptr;
    uint32_t m_sourceLength = 0;
    IHtmlWndEvents* m_handler = nullptr; // not owned
    int32_t m_offerKnownTags = 0;
    int32_t m_handOverPass = 0;
    int32_t m_noTree = 0;
    std::string m_sourceType = "FILE";
    CTag::List m_elements;
    int32_t m_backgroundY = 0;
    int32_t m_backgroundX = 0;
    uint32_t m_backgroundColor = 0x02FFFFFF;
    int32_t m_elementCount = 0;
    void* m_initialModule = nullptr;
    void* m_resourceModule = nullptr;
    std::string m_url;
    std::string m_handlerName;
    int32_t m_pendingMarginWidth = -1;
    int32_t m_pendingMarginHeight = -1;
    std::string m_pageLink;
    std::string m_pageLinkTarget;
    int32_t m_docFlag = 1;
    std::string m_basePath;
    std::vector<HtmlKindRecord> m_kinds;
    uint32_t m_growthLimit = kMaxHandOverGrowth;
    uint32_t m_colors[3] = {0x02000000, 0x02000080, 0x02008000};
    std::unique_ptr<CHtmlFlow> m_flow;
    HFONT__* m_defaultFont = nullptr;
    CHtmlImageSource* m_backgroundImage = nullptr;
    int32_t m_output = 1;
    uint32_t m_paintCount = 0;
    int32_t m_loadedKind = kHtmlKindUnknown;
    CHtmlTimerHost* m_timerHost = nullptr;
    bool m_hasFrameset = false;
    IHtmlViewSurface* m_surface = nullptr;
    bool m_queuedLink = false;
    std::string m_queuedAddress;
    std::string m_queuedTarget;
};

// Parses a range of a block into elements appended to the list (emptied
// first); the number of elements. With a document, its handler hears of the
// range (load stage 2) and the document counts it.
int32_t HtmlParseRange(CTag::List& list, HtmlMemBlock block, uint32_t length, CHtmlDoc* document,
                       CTag* parent);

// Deepest element that builds children; deeper content is dropped.
constexpr uint32_t kHtmlMaxTreeDepth = 200;

// A file path made absolute against a directory.
std::string MakeAbsolutePath(const std::string& path, const std::string& currentDirectory);
