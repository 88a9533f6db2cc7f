// CHtmlScrollBar: scroll bars that a page draws itself out of frames and
// links. It expands the HTG_SCROLLBAR, HTG_SCROLLPART and HTG_SCROLLBUT tags
// (HtmlScrollBarText.h), learns which frame view plays which part as the
// frames come and go, and drives the target frame's view: buttons send
// scroll requests while they are held, the thumb is dragged, and when the
// target scrolls the thumb and the two track frames follow.
//
// The owner sets the view whose frames are searched, makes the bar the
// handler of that view (or forwards slots 0, 32, 33, 38, 44, 51 and 52 to it)
// and calls RefreshParts after a layout.
#pragma once

#include <windows.h>

#include "HtmlScrollBarText.h"

class HtmlWnd;

class CHtmlScrollBar : public CHtmlScrollBarTags
{
public:
    // One bar with the views that play its parts (null until created).
    struct Bar : HtmlScrollBarRecord
    {
        HtmlWnd* parts[kScrollPartCount] = {};
        HtmlWnd* namedView = nullptr;
        HtmlWnd* targetView = nullptr;
    };

    void SetView(HtmlWnd* view) { m_view = view; }
    HtmlWnd* GetView() const { return m_view; }
    Bar* FindScrollBar(const std::string& id) const { return static_cast<Bar*>(FindBar(id)); }

    // Every bar's thumb and track frames placed anew for its target's
    // position (after a layout has put the frames back on their grid).
    void RefreshParts();
    // A button's address ("#SBBUT" + id + "#" + action): the request sent to
    // the target view; false when nothing was sent.
    bool PerformButton(const std::string& address);

    int32_t OnDrag(int32_t x, int32_t y, int32_t previousX, int32_t previousY, std::string* frameName,
                   CHtmlObject* sender) override;                                               // 32
    int32_t OnLinkClick(std::string address, std::string target, CHtmlObject* sender) override; // 33
    void OnLinkTick(const std::string& address, const std::string& target, int32_t pressed, int32_t zero,
                    CHtmlObject* sender) override;                                                      // 38
    void OnScroll(int32_t bar, int32_t position, HtmlWnd* view, CHtmlObject* sender) override;          // 44
    IHtmlWndEvents* OnFrameCreated(CTagFRAME* frame, HtmlWnd* childView, CHtmlObject* sender) override; // 51
    void OnFrameDestroyed(CTagFRAME* frame, HtmlWnd* childView, CHtmlObject* sender) override;          // 52

protected:
    std::unique_ptr<HtmlScrollBarRecord> NewBar() override;
    void OnBarExpanded(HtmlScrollBarRecord& bar, const std::string& frameName) override;

private:
    // Moves the bar's thumb and track frames when the target's position
    // changed since the last refresh (always with force).
    void RefreshBar(Bar& bar, bool force);
    // The bar's thumb centred on the screen point: the target scrolls there.
    void TrackThumb(Bar& bar, POINT screen);
    Bar& BarAt(size_t index) const { return *static_cast<Bar*>(m_bars[index].get()); }

    HtmlWnd* m_view = nullptr; // not owned
    // A scroll request was sent by a tick of the held button since the last
    // click: the click itself then sends none.
    bool m_tickScrolled = false;
};
