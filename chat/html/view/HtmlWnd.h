// HtmlWnd: the window that shows one HTML document. It owns the document,
// lays it out and paints it, keeps the scroll bars in step with the page,
// scrolls, runs the elements' shared timer (id 666) and lends the
// document fonts, brushes and images from its own caches once they exist
// (else its host lends them from the process-wide ones).
// It is the document's IHtmlWndEvents: it does its own part of each event
// and forwards it to its handler with itself as the sender.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "FrameProps.h"
#include "HtmlDC.h"
#include "HtmlDoc.h"
#include "HtmlFrames.h"
#include "HtmlGdiHost.h"
#include "HtmlRuntimeClass.h"
#include "HtmlTimerHost.h"
#include "HtmlViewCaches.h"
#include "HtmlWndEvents.h"
#include "WindowBase.h"

class HtmlWnd;

// One frame of the view's frameset: the view's copy of the record and the
// child view that shows it.
struct HtmlFrameView
{
    FrameRecord record;
    std::unique_ptr<HtmlWnd> view;
};

class HtmlWnd : public CHtmlObject,
                public FdWin::CWindowBase,
                public CHtmlWndEventsBase,
                public CHtmlTimerHost,
                public IHtmlViewSurface
{
    HTML_DECLARE_DYNCREATE(HtmlWnd)

public:
    static constexpr const char* kClassName = "HtmlWnd";
    static constexpr UINT_PTR kTimerId = 666;
    // A load origin that keeps the stored one.
    static constexpr int32_t kKeepOrigin = 666;
    // Scroll flags.
    static constexpr uint32_t kScrollVertical = 0x2;
    static constexpr uint32_t kScrollHorizontal = 0x4;
    static constexpr uint32_t kScrollLeftBar = 0x8;
    static constexpr uint32_t kHideVerticalBar = 0x80;
    static constexpr uint32_t kHideHorizontalBar = 0x100;
    static constexpr int kMaxScrollBarNesting = 3;

    // module: where the document finds its RT_HTML and "IMAGE" resources.
    explicit HtmlWnd(HMODULE module = nullptr);
    ~HtmlWnd() override;

    // Creates the window of class "HtmlWnd"; false (GetLastError) on failure.
    bool Create(DWORD style, const RECT& rect, HWND parent, UINT id);

    // 0 on success, else the document's load error. Every load raises
    // OnDocumentLoaded. The option asks the document to offer the tags of its
    // own table to the handler too.
    virtual int32_t LoadUrl(const std::string& address, const std::string& context, IHtmlWndEvents* handler,
                            const std::string& target, int32_t originX, int32_t originY, int32_t option);
    int32_t LoadUrlAt(const std::string& address, const std::string& context, int32_t x, int32_t y,
                      IHtmlWndEvents* handler, const std::string& target, int32_t originX, int32_t originY,
                      int32_t option);
    // Reloads the document's address; with keepScroll the positions stay (the
    // bottom stays the bottom).
    int32_t Navigate(const std::string& context, IHtmlWndEvents* handler, const std::string& frame,
                     int32_t keepScroll, int32_t originX, int32_t originY, int32_t option);
    void ScrollTo(int32_t x, int32_t y);
    // A thumb drag from outside the system bar (the HTML-built scroll bar):
    // sends the view WM_VSCROLL (SB_VERT) or WM_HSCROLL with SB_THUMBTRACK.
    // The message's high word holds only 16 bits of the position: the view
    // takes the whole 32-bit position handed over here instead.
    void SendThumbTrack(int bar, int32_t position);
    void Redraw();
    void RedrawNow();

    CHtmlDoc* GetDocument() const { return m_document.get(); }
    HMODULE GetResourceModule() const { return static_cast<HMODULE>(m_document->GetResourceModule()); }
    void SetResourceModule(HMODULE module) { m_document->SetResourceModule(module); }
    int32_t SetDocFlag(int32_t value) { return m_document->SetDocFlag(value); }
    void SetSourceType(const std::string& kind) { m_document->SetSourceType(kind); }
    void CreateCaches();
    IHtmlWndEvents* GetHandler() const { return m_load.handler; }
    void SetHandler(IHtmlWndEvents* handler) { m_load.handler = handler; }
    uint32_t GetScrollFlags() const { return m_scroll.flags; }
    void SetScrollFlags(uint32_t flags) { m_scroll.flags = flags; }
    const std::string& GetFrameName() const { return m_frame.name; }

    // Frames. Names compare without regard to case.
    // Bounds of a page that holds itself as a frame: levels of frames below
    // a top view, and child views under it in all.
    static constexpr int32_t kMaxFrameDepth = 8;
    static constexpr int32_t kMaxFrameViews = 128;
    // Child views under this view, at every level.
    int32_t CountFrameViews() const;
    const std::vector<HtmlFrameView>& GetFrames() const { return m_frame.children; }
    HtmlWnd* GetParentView() const { return m_frame.parent; }
    int32_t IsTabGroup() const { return m_frame.tabGroup; }
    // The direct frames first, then each child view's, in frame order.
    HtmlWnd* FindFrameWnd(const std::string& name, CTagFRAME** element = nullptr);
    // This view for an empty name; -1 (FALSE) when the frame isn't found.
    int32_t GetFrameScrollPos(const std::string& frame, int bar);
    BOOL GetFrameScrollRange(const std::string& frame, int bar, int* minimum, int* maximum);
    // Places the child views in the client area and draws their borders.
    void LayoutFrames();

    // Layout height: to the window's height (mode 0) or unlimited (-1).
    void LayoutToWindowHeight();
    void LayoutUnlimitedHeight();
    int32_t GetLayoutHeightMode() const { return m_scroll.layoutHeightMode; }
    // Palettes, scroll bars from the document's height, a full repaint.
    void Refresh();
    void UpdateScrollBars(bool resetVertical, bool resetHorizontal);

    // The view's side of the document's events.
    int32_t OnTag(std::string name, std::string attributes, HtmlMemBlock* content, int32_t length,
                  std::string frameName, CHtmlObject* sender) override;
    int32_t OnHandlerTag(std::string name, std::string attributes, HtmlMemBlock* content, int32_t length,
                         std::string frameName, CHtmlObject* sender) override;
    void OnDocumentCleared(CHtmlObject* sender) override;
    void OnTitle(std::string title, CHtmlObject* sender) override;
    void ScrollIntoView(CTag* element, CHtmlObject* sender) override;
    void OnLoadProgress(int32_t stage, int32_t percent, int32_t count, CHtmlObject* sender) override;
    void OnLinkHover(const std::string& text, CTag* link, int32_t kind, CHtmlObject* sender) override;
    void OnLeaveView(std::string* kind, std::string* address, std::string frameName,
                     CHtmlObject* sender) override;
    int32_t HasSharedCaches(CHtmlObject* sender) override;
    CHtmlImageSource* GetImage(const std::string& name, void* resourceModule, CHtmlObject* sender) override;
    void ReleaseImage(CHtmlImageSource* image, CHtmlObject* sender) override;
    int32_t HasBrushCache(CHtmlObject* sender) override;
    HBRUSH__* GetBrush(uint32_t color, CHtmlObject* sender) override;
    void ReleaseBrush(HBRUSH__* brush, CHtmlObject* sender) override;
    int32_t HasFontCache(CHtmlObject* sender) override;
    HFONT__* GetFont(const FontDesc* description, CHtmlObject* sender) override;
    void ReleaseFont(HFONT__* font, CHtmlObject* sender) override;
    int32_t OnLinkClick(std::string address, std::string target, CHtmlObject* sender) override;
    int32_t CanFollowLink(CTag* link, int32_t value, CHtmlObject* sender) override;
    void OnLoadError(int32_t error, std::string address, CHtmlObject* sender) override;
    void FollowLink(std::string address, std::string target, CHtmlObject* sender) override;
    void OnLinkTick(const std::string& address, const std::string& target, int32_t pressed, int32_t zero,
                    CHtmlObject* sender) override;
    void OnScroll(int32_t bar, int32_t position, HtmlWnd* view, CHtmlObject* sender) override;
    void PushHandler(const std::string& handlerName, const std::string& attributes,
                     CHtmlObject* sender) override;
    void OnHandlerEnding(const std::string& handlerName, CHtmlObject* sender) override;
    void PopHandler(const std::string& handlerName, CHtmlObject* sender) override;
    IHtmlWndEvents* GetReplacementHandler(const std::string& handlerName, const std::string& attributes,
                                          HtmlWnd* view, CHtmlObject* sender) override;
    void OnDocumentLoaded(std::string address, int32_t result, std::string context, HtmlWnd* loader,
                          CHtmlObject* sender) override;
    void OnFramesetCreated(const std::vector<FrameRecord>* frames, CHtmlObject* sender) override;
    void OnFramesDestroyed(CHtmlObject* sender) override;
    void OnDoubleClick(int32_t keyFlags, int32_t x, int32_t y, CHtmlObject* sender) override;
    void OnClick(int32_t keyFlags, int32_t x, int32_t y, CHtmlObject* sender) override;
    int32_t OnDrag(int32_t x, int32_t y, int32_t previousX, int32_t previousY, std::string* frameName,
                   CHtmlObject* sender) override;
    int32_t OnLinkMenu(std::string address, std::string target, CHtmlObject* sender) override;
    void OnHandlerEnded(const std::string& handlerName, HtmlWnd* view, CHtmlObject* sender) override;
    int32_t ReleaseHandler(const std::string& handlerName, HtmlWnd* view, CHtmlObject* sender) override;
    IHtmlWndEvents* OnFrameCreated(CTagFRAME* frame, HtmlWnd* childView, CHtmlObject* sender) override;
    void OnFrameDestroyed(CTagFRAME* frame, HtmlWnd* childView, CHtmlObject* sender) override;
    void OnViewDestroyed(CTagFRAME* frame, CHtmlObject* sender) override;

    // --- form controls, keyboard focus and form values (HtmlWndForms.cpp)
    // View messages from the controls' window procedures, and the one the
    // view posts itself after a control's first placement.
    static constexpr UINT kMsgControlFocus = 0x06F2;
    static constexpr UINT kMsgCharCheck = 0x06F8;
    static constexpr UINT kMsgControlPlaced = 0x068E;
    static constexpr int32_t kFirstControlId = 666;
    static constexpr int32_t kLastControlId = 32767;
    // Registers "HtmlButton", "HtmlEdit" and "HtmlComboBox" in the module:
    // true when all three are there with the renderer's procedures.
    static bool RegisterControlClasses(HINSTANCE module);

    void CreateControl(CTagINPUT* input, CHtmlObject* sender) override;
    int32_t OnControlFont(CTagINPUT* input, HDC__* dc, CHtmlObject* sender) override;
    void OnControlCreated(CTagINPUT* input, CHtmlObject* sender) override;
    void MoveControl(CTagINPUT* input, int32_t left, int32_t top, int32_t right, int32_t bottom,
                     int32_t showCommand, CHtmlObject* sender) override;
    void DestroyControl(CTagINPUT* input, CHtmlObject* sender) override;
    int32_t OnControlKey(int32_t key, CTagINPUT* input, CHtmlObject* sender) override;
    int32_t OnControlCommand(CTagINPUT* input, int32_t word, int32_t value, CHtmlObject* sender) override;
    int32_t OnCommand(int32_t word, int32_t value, HtmlWnd* view, CHtmlObject* sender) override;
    int32_t OnNotify(int32_t controlId, tagNMHDR* header, void* result, CTagINPUT* input, HtmlWnd* view,
                     CHtmlObject* sender) override;
    int32_t OnSubmit(CTagINPUT* input, CHtmlObject* sender) override;
    int32_t OnControlChanged(CTagINPUT* input, CHtmlObject* sender) override;
    int32_t OnControlKillFocus(CTagINPUT* input, CHtmlObject* sender) override;
    int32_t OnControlSetFocus(CTagINPUT* input, CHtmlObject* sender) override;
    int32_t OnInputKey(int32_t key, int32_t repeat, int32_t flags, std::string frameName,
                       CHtmlObject* sender) override;
    void OnSetFocus(CHtmlObject* sender) override;
    void OnKillFocus(CHtmlObject* sender) override;

    // Every WM_COMMAND of a control also goes to the parent window when set.
    void SetForwardCommands(bool on) { m_forms.forwardCommands = on; }
    // The elements whose controls this view made, in creation order.
    const std::vector<CTagINPUT*>& GetFormControls() const { return m_forms.controls; }
    CTagINPUT* GetFocusElement() const { return m_forms.focusElement; }
    // Moves the keyboard focus to the next tab stop (the previous one when
    // backwards) of the view's tab group; false when there is none.
    bool MoveTabFocus(bool backwards);
    // The views of this view's frames, in frame order (tab order and form
    // values walk them depth-first).
    std::vector<HtmlWnd*> GetChildViews() const;

    // Form values: this view's controls first, then each frame's view,
    // depth-first. NAME compares exactly; not found gives null, "", -1 or false.
    CTagINPUT* FindInputTag(const std::string& name);
    HWND GetInputCtrl(const std::string& name);
    std::string GetInputText(const std::string& name);
    bool SetInputText(const std::string& name, const std::string& text);
    std::string GetSelectValue(const std::string& name);
    std::string GetRadioValue(const std::string& name);
    bool SetRadioValue(const std::string& name, const std::string& value);
    int32_t GetCheckBox(const std::string& name);
    bool SetCheckBox(const std::string& name, bool checked);
    // Any element by NAME (case-insensitive), in this view then its frames.
    CTag* FindTagByName(const std::string& name);

    // --- hover, image states and the document's drawing outside a paint (HtmlWndHover.cpp)
    // Posted to itself: runs what the document queued during a tick.
    static constexpr UINT kMsgRunQueued = WM_APP + 42;
    // The check state of the first image of that NAME (compared exactly) that
    // is set, in this view then its frames; 0 when none.
    int32_t GetImageState(const std::string& name);
    // Sets every image of that NAME in this view and all its frames, each
    // drawn at once; the OR of the answers (1 when any image matched).
    int32_t SetImageState(const std::string& name, int32_t value);
    std::unique_ptr<CHtmlDC> OpenDC() override;
    bool GetPointer(int32_t* x, int32_t* y) override;
    void PostQueued() override;

protected:
    LRESULT lOnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    int32_t Start(uint32_t periodMs) override;
    void Stop() override;

    // Scrolls the content by (dx, dy) pixels: the one place pixels move.
    virtual void ScrollContent(int32_t dx, int32_t dy);
    // Where the thumb is being dragged: the bar's 32-bit track position.
    virtual int32_t TrackPosition(int bar);

private:
    // The common steps of the loads: the handler and origins taken (whether the page
    // being replaced had a row grid is returned), then the loaded page shown.
    bool PrepareLoad(IHtmlWndEvents* handler, int32_t originX, int32_t originY);
    void ShowLoaded(bool hadGrid);
    // Frames (HtmlWndFrames.cpp). Mouse messages and the frames' own ones:
    // true when handled, with the result.
    bool OnFrameMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT* result);
    void OnFrameWindowDestroyed();
    void DestroyFrames();
    void DrawFrameBorders(HDC hdc);
    // Loads (or with reload, reloads) the frames named by the target; true
    // when at least one took the load and none failed.
    bool SearchFrames(const std::string& target, const std::string& address, int32_t x, int32_t y,
                      bool reload, bool fromTop);
    void SearchFramesIn(const std::string& target, const std::string& address, int32_t x, int32_t y,
                        bool reload, int* took, int* failed);
    // A frame's view (index) or this one (-1): 0 or the load error.
    int32_t LoadIntoFrame(int32_t index, const std::string& address, int32_t x, int32_t y, bool reload);
    std::vector<FrameRecord> FrameRecords() const;
    // The size cursor over a frame border of this view or, with the point
    // converted, of a parent view; false when there is none.
    bool SetBorderCursor(POINT client);
    // Ends the view's mouse capture (keys, focus lost) as if the pointer had left.
    void EndCapture();
    // The rubber-band drag of a frame border under the point (client
    // coordinates), in this view or a parent; false when there is no border.
    bool DragFrameBorder(POINT client);
    void OnMouseMoveMessage(WPARAM keys, POINT client);
    // The pointer's move handed to the document (outside: over no element).
    void HoverMove(WPARAM keys, const POINT* client);
    bool OnHoverMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT* result);
    void OnButtonUpMessage(WPARAM keys, POINT client);
    POINT DocumentPoint(POINT client) const;
    void OnPaint();
    void OnSize();
    void OnScrollMessage(int bar, int code);
    // Moves the bar to an absolute position (clamped to its range).
    void ScrollAbsolute(int bar, int32_t position);
    void SmoothScroll(int bar, int32_t steps, int32_t step);
    int32_t RangeMax(int bar);
    RECT ClientRect() const;
    // The control side of the message procedure: true when it handled the message.
    bool OnFormMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT* result);
    void OnKeyDown(WPARAM key, LPARAM lParam);
    void FollowFocusedLink(int32_t key, int32_t flags);
    CTagINPUT* ControlById(int32_t id) const;
    CTagINPUT* ControlByWindow(HWND control) const;
    int32_t NextControlId() const;
    LRESULT OnCtlColor(UINT uMsg, HDC dc, HWND control);
    // Focus mark: the element that holds it in this view's document, moved to another one.
    CTag* FocusedElement() const;
    void SetFocusMark(CTag* element, int32_t on);
    // Takes the focus mark off whichever element of this view's tab group
    // holds it, in any of its frames.
    void ClearFocusMark();
    void RedrawFrameBorders();
    HtmlWnd* TabRoot();
    void CollectTabStops(std::vector<struct HtmlTabStop>& stops, std::vector<HtmlWnd*>& views);
    // Visits this view and its frames' views depth-first until the visitor answers true.
    template <class Visit> bool ForEachView(Visit visit);
    // Brings the keyboard focus back to the focus element's control.
    void RestoreControlFocus();

    // What the loads name (PrepareLoad): the handler that hears the view's
    // events, and the origin of the page's background (where a frame's page
    // sits in its top view).
    struct LoadState
    {
        IHtmlWndEvents* handler = nullptr; // not owned
        // The load's handler while a handler the page pushed stands in for it.
        IHtmlWndEvents* savedHandler = nullptr; // not owned
        int32_t originX = 0;
        int32_t originY = 0;
    };

    // Scrolling and the bars: which bars the view keeps, the layout height
    // and the thumb position handed over from outside.
    struct ScrollState
    {
        // The kScroll... and kHide... flags.
        uint32_t flags = kScrollVertical | kScrollHorizontal;
        // UpdateScrollBars within itself (the bars' changes resize the
        // view), at most kMaxScrollBarNesting deep.
        int32_t nesting = 0;
        // 0: laid out to the window's height; -1: unlimited.
        int32_t layoutHeightMode = 0;
        // The position SendThumbTrack hands over, per bar (SB_HORZ,
        // SB_VERT), while its message is being handled.
        bool trackHanded[2] = {false, false};
        int32_t handedTrack[2] = {0, 0};
    };

    // The mouse and keys as the view's hover, capture and border cursor see them.
    struct PointerState
    {
        // 0 from a press of the left button in the view until it is released.
        int32_t mouseUp = 1;
        // A key is held: the pointer's moves leave the capture alone.
        int32_t keyDown = 0;
        // Where the left button went down (screen), moved along with a drag.
        POINT buttonDown = {0, 0};
        // The cursor a frame border's size cursor replaced, until it goes back.
        HCURSOR savedCursor = nullptr;

        void RestoreCursor()
        {
            if (savedCursor == nullptr)
                return;
            SetCursor(savedCursor);
            savedCursor = nullptr;
        }
    };

    // Form controls and the keyboard focus among them (HtmlWndForms.cpp).
    struct FormState
    {
        // Every WM_COMMAND of a control also goes to the parent window.
        bool forwardCommands = false;
        // The elements whose controls the view made, in creation order (not
        // owned: the document's elements).
        std::vector<CTagINPUT*> controls;
        // The element whose control has the keyboard focus.
        CTagINPUT* focusElement = nullptr;
        // The NAME of the last radio button made: the next of another name
        // starts a group.
        std::string lastRadioGroup;

        // The control of the element is gone: it no longer counts.
        void Forget(CTagINPUT* input)
        {
            if (focusElement == input)
                focusElement = nullptr;
            for (auto it = controls.begin(); it != controls.end(); ++it)
            {
                if (*it == input)
                {
                    controls.erase(it);
                    break;
                }
            }
            if (controls.empty())
                lastRadioGroup.clear();
        }
    };

    // Frames (HtmlWndFrames.cpp): this view as a frame of a parent view, and
    // the frames of its own frameset with their child views.
    struct FrameState
    {
        HtmlWnd* parent = nullptr; // not owned
        std::vector<HtmlFrameView> children;
        std::vector<FramePlacement> placements;
        // Child views whose windows are gone, deleted on the next turn of the
        // loop: a link in a frame may replace the frameset that holds it.
        std::vector<std::unique_ptr<HtmlWnd>> retired;
        CTagFRAME* element = nullptr; // not owned
        // Copied from the frame element: this child view is a tab-order root of its own.
        int32_t tabGroup = 0;
        std::string name;
    };

    // The document's host: Windows files and the process-wide caches, which
    // every view shares. Declared first, so it outlives the document.
    CHtmlGdiHost m_host;
    std::unique_ptr<CHtmlDoc> m_document;
    LoadState m_load;
    ScrollState m_scroll;
    PointerState m_pointer;
    // The caches a top view lends its document and its frames' documents.
    CHtmlViewCaches m_caches;
    FrameState m_frame;
    FormState m_forms;
};
