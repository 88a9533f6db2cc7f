// The element classes of the tag table. Text runs, TITLE and OPTION build
// their content here; blocks, rules, text styles, tables and images lay
// themselves out through the layout context and paint through the drawing
// seam. Classes whose behaviour belongs to later work (forms, frames,
// blinking) keep the element base's.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "FrameProps.h"
#include "HtmlFontDesc.h"
#include "HtmlTag.h"

class CHtmlFlow;
class CHtmlImageSource;
class CHtmlImageBackdrop;
struct HFONT__;
struct HBRUSH__;

// A font derived from the current one on the first style begin, made once
// through the document (its handler or the font cache) and selected around
// the element's content.
class HtmlDerivedFont
{
public:
    using Change = void (*)(FontDesc& desc, const void* context);
    void Push(CHtmlDC* dc, CHtmlDoc* document, Change change, const void* context);
    void Pop(CHtmlDC* dc);
    // Gives the font back (the element goes).
    void Release(CHtmlDoc* document);
    const FontDesc& GetDesc() const { return m_desc; }

private:
    HFONT__* m_font = nullptr;
    HFONT__* m_previous = nullptr;
    bool m_made = false;
    bool m_selected = false;
    FontDesc m_desc;
};

// The record of a text run's line box: the link lines drawn under it.
struct HtmlLineState
{
    int32_t underline = 0;
    int32_t secondLine = 0;
    int32_t reserved[2] = {0, 0};
};

class CTagTEXT : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagTEXT)

public:
    // Most bytes one measuring pass reads, and longest piece.
    static constexpr uint32_t kMeasureChunk = 4096;
    static constexpr int32_t kMaxPieceLength = 32768;
    // Measuring flags.
    static constexpr int32_t kOverflow = 1;
    static constexpr int32_t kTooHigh = 2;
    static constexpr int32_t kNoText = 4;

    // The run's text: its content with white space folded and entities decoded.
    int32_t Build() override;
    const std::string& GetText() const { return m_text; }
    void Place(CHtmlDC* dc, CHtmlFlow* flow) override;
    void Arrange(CHtmlDC* dc, CHtmlFlow* flow) override;
    // Drawn again in place (hover, blinking): the link lines stay as they are.
    void Paint(CHtmlDC* dc, CHtmlFlow* flow) override;
    void OnResetLayout(CHtmlDC* dc) override;
    // Link lines under every line box: drawn with focus 1, erased with 0.
    void OnSetFocusTree(int32_t focus, CHtmlFlow* flow, CHtmlDC* dc) override;
    // Measures words from offset into area (which becomes the part's box);
    // the flags above, and the offset after the part in *next.
    int32_t Measure(LayoutRect& area, uint32_t offset, CHtmlDC* dc, uint32_t* next) const;

private:
    void DrawRuns(CHtmlDC* dc, CHtmlFlow* flow, bool fullPaint);
    std::string m_text;
    // Where placing resumes when the flow filled up before the end.
    uint32_t m_placed = 0;
    std::vector<std::unique_ptr<HtmlLineState>> m_lineStates;
};

class CTagBODY : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagBODY)

public:
    ~CTagBODY() override;
    int32_t ReadAttributes() override;

private:
    CHtmlImageSource* m_background = nullptr;
};

class CTagTITLE : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagTITLE)

public:
    // Longest title handed to the document.
    static constexpr size_t kMaxTitle = 1023;
    // The content (cut to kMaxTitle bytes) becomes the document's title.
    int32_t Build() override;
    const std::string& GetTitle() const { return m_title; }

private:
    std::string m_title;
};

class CTagCENTER : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagCENTER)

public:
    void BeginLayout(CHtmlFlow* flow) override { OpenBlock(flow); }
    int32_t EndLayout(CHtmlFlow* flow) override;
};

class CTagP : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagP)

public:
    int32_t ReadAttributes() override;
    void BeginLayout(CHtmlFlow* flow) override { OpenBlock(flow); }
    int32_t EndLayout(CHtmlFlow* flow) override;

private:
    std::string m_align;
    std::string m_valign;
};

class CTagA : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagA)

public:
    // Tick of a hovered link.
    static constexpr uint32_t kHoverTick = 50;

    int32_t ReadAttributes() override;
    void OnPushStyle(CHtmlDC* dc) override;
    void OnPopStyle(CHtmlDC* dc) override;
    // A tab stop unless the document's flag word is 0.
    int32_t GetTabStop() override;
    // Enter or Space: the children's answer first, else HREF.
    void OnKeyDown(std::string& answer, int32_t key, int32_t flags, CHtmlFlow* flow, int32_t value) override;
    // Keyboard focus gained or lost: the hover event with kind 2 or 0.
    void OnSetFocusTree(int32_t focus, CHtmlFlow* flow, CHtmlDC* dc) override;
    // Entering or leaving (the pointer over any child): non-zero only then.
    int32_t OnMouseMove(CHtmlFlow* flow, int32_t x, int32_t y, int32_t flags) override;
    // After a move: the pending repaint and the hover event.
    void Paint(CHtmlDC* dc, CHtmlFlow* flow) override;
    // HREF and TARGET over the link's own area.
    void GetLinkAt(std::string& link, CHtmlFlow* flow, int32_t x, int32_t y, int32_t flags, std::string& target,
                   CTag*& element) override;
    void OnLButtonDown(CHtmlDC* dc, CHtmlFlow* flow, int32_t x, int32_t y, int32_t flags) override;
    void OnLButtonUp(CHtmlDC* dc, CHtmlFlow* flow, int32_t x, int32_t y, int32_t flags) override;
    // The hover tick: the document checks the pointer and tells the handler.
    void OnTimer(uint32_t argument) override;
    const std::string& GetHref() const { return m_href; }
    const std::string& GetTarget() const { return m_target; }
    int32_t IsHovered() const { return m_hovered; }
    int32_t IsPressed() const { return m_pressed; }

private:
    std::string m_href;
    std::string m_target;
    std::string m_alt;
    uint32_t m_colorNoFocus = 0xFFFFFFFF;
    uint32_t m_colorFocus = 0xFFFFFFFF;
    bool m_changeNoFocus = true;
    bool m_changeFocus = true;
    int32_t m_hovered = 0;
    int32_t m_repaint = 0;
    int32_t m_pressed = 0;
    int32_t m_ticking = 0;
    int32_t m_lastX = 0;
    int32_t m_lastY = 0;
    uint32_t m_savedColor = 0;
    int32_t m_colorPushed = 0;
};

class CTagFONT : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagFONT)

public:
    ~CTagFONT() override;
    int32_t ReadAttributes() override;
    void OnPushStyle(CHtmlDC* dc) override;
    void OnPopStyle(CHtmlDC* dc) override;

protected:
    // Reads SIZE, TRUESIZE, FACE and COLOR from an attribute text.
    void ReadFrom(const std::string& attributes);

private:
    static void Change(FontDesc& desc, const void* self);
    HtmlDerivedFont m_font;
    int32_t m_hasSize = 0;
    int32_t m_sizeValue = 0;
    int32_t m_sizeSign = 0;
    std::string m_face;
    uint32_t m_color = 0x02000000;
    int32_t m_hasColor = 0;
    uint32_t m_previousColor = 0;
    int32_t m_colorPushed = 0;
};

class CTagFSIZE : public CTagFONT
{
    HTML_DECLARE_DYNCREATE(CTagFSIZE)

public:
    // "BIG" reads "SIZE = +1", "SMALL" reads "SIZE = -1".
    int32_t ReadAttributes() override;
};

// The simple font styles: one change to the current font.
template <int Kind> class CTagFontStyle : public CTag
{
public:
    ~CTagFontStyle() override { m_font.Release(m_document); }
    void OnPushStyle(CHtmlDC* dc) override { m_font.Push(dc, m_document, &Change, nullptr); }
    void OnPopStyle(CHtmlDC* dc) override { m_font.Pop(dc); }

protected:
    static void Change(FontDesc& desc, const void* context);
    HtmlDerivedFont m_font;
};

enum HtmlFontStyleKind
{
    kHtmlStyleBold,
    kHtmlStyleItalic,
    kHtmlStyleUnderline,
    kHtmlStyleStrike,
    kHtmlStyleFixed,
};

class CTagB : public CTagFontStyle<kHtmlStyleBold>
{
    HTML_DECLARE_DYNCREATE(CTagB)
};

class CTagTT : public CTagFontStyle<kHtmlStyleFixed>
{
    HTML_DECLARE_DYNCREATE(CTagTT)
};

class CTagBLOCK : public CTagFontStyle<kHtmlStyleItalic>
{
    HTML_DECLARE_DYNCREATE(CTagBLOCK)

public:
    // Ends the current line before its content.
    void Place(CHtmlDC* dc, CHtmlFlow* flow) override;
};

class CTagI : public CTagFontStyle<kHtmlStyleItalic>
{
    HTML_DECLARE_DYNCREATE(CTagI)
};

class CTagSTRIKE : public CTagFontStyle<kHtmlStyleStrike>
{
    HTML_DECLARE_DYNCREATE(CTagSTRIKE)
};

class CTagU : public CTagFontStyle<kHtmlStyleUnderline>
{
    HTML_DECLARE_DYNCREATE(CTagU)
};

class CTagBlink : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagBlink)

public:
    static constexpr uint32_t kDefaultDelay = 500;

    int32_t ReadAttributes() override;
    // The first one remembers how the content is drawn and starts the timer.
    void OnPushStyle(CHtmlDC* dc) override;
    void OnPopStyle(CHtmlDC* dc) override;
    // One change: the other colour, drawn at once; at the end of the count
    // the timer is left and HREF followed once the tick is over.
    void OnTimer(uint32_t argument) override;
    int32_t GetPhase() const { return m_phase; }
    int32_t GetChanges() const { return m_changes; }
    uint32_t GetDelay() const { return m_delay; }
    bool IsRunning() const { return m_running; }

private:
    uint32_t m_color1 = 0x02000000;
    bool m_hasColor1 = false;
    uint32_t m_color2 = 0x02000000;
    bool m_hasColor2 = false;
    uint32_t m_delay = kDefaultDelay;
    int64_t m_stopAfter = -1; // changes; -1 endless
    std::string m_href;
    std::string m_target;
    int32_t m_phase = 0;
    int32_t m_changes = 0;
    bool m_started = false;
    bool m_running = false;
    // How the content was drawn at the first style begin.
    uint32_t m_baseColor = 0;
    int32_t m_baseMode = 1;
    HFONT__* m_baseFont = nullptr;
    uint32_t m_previousColor = 0;
    int32_t m_colorPushed = 0;
};

class CTagHx : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagHx)

public:
    ~CTagHx() override;
    int32_t ReadAttributes() override;
    void OnPushStyle(CHtmlDC* dc) override;
    void OnPopStyle(CHtmlDC* dc) override;
    void BeginLayout(CHtmlFlow* flow) override { OpenBlock(flow); }
    void Place(CHtmlDC* dc, CHtmlFlow* flow) override;
    int32_t EndLayout(CHtmlFlow* flow) override;
    int32_t GetLevel() const { return m_level; }

private:
    static void Change(FontDesc& desc, const void* self);
    HtmlDerivedFont m_font;
    int32_t m_level = 1;
    int32_t m_spaceAfter = 0;
};

class CTagTR;
class CTagTD;

class CTagTABLE : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagTABLE)

public:
    CTagTABLE();
    ~CTagTABLE() override;
    int32_t ReadAttributes() override;
    void LayoutChildren(CHtmlDC* dc, CHtmlFlow* flow) override;
    void ArrangeChildren(CHtmlDC* dc, CHtmlFlow* flow) override;
    void ResetChildren(CHtmlDC* dc) override;
    void BeginLayout(CHtmlFlow* flow) override;
    int32_t EndLayout(CHtmlFlow* flow) override;

    int32_t GetBorder() const { return m_border; }
    int32_t GetCellPadding() const { return m_cellPadding; }
    // Cell padding plus half the border (at least 1 with a border).
    int32_t GetInnerPadding() const;
    int32_t GetColumnCount() const { return m_columns; }
    const std::vector<int32_t>& GetColumnWidths() const { return m_columnWidths; }
    uint32_t GetLightColor() const { return m_light; }
    uint32_t GetDarkColor() const { return m_dark; }
    const std::vector<std::unique_ptr<CHtmlFlow>>& GetCursors() const { return m_cursors; }

private:
    void ComputeWidths(CHtmlFlow* flow);
    void PlaceCursors(CHtmlFlow* flow, int32_t top);
    // The rows and their cells (children of other kinds are skipped).
    std::vector<CTagTR*> Rows() const;
    static std::vector<CTagTD*> Cells(const CTag* row);
    CTag* Caption() const;

    int32_t m_border = 2;
    int32_t m_cellPadding = 2;
    int32_t m_widthPixels = -1;
    int32_t m_widthPercent = 0;
    std::string m_align;
    uint32_t m_light = 0x02C0C0C0;
    uint32_t m_dark = 0x02808080;
    int32_t m_columns = 0;
    std::vector<int32_t> m_columnWidths;
    int32_t m_tableWidth = 0;
    int32_t m_columnSum = 0;
    int32_t m_start = 0;
    std::vector<std::unique_ptr<CHtmlFlow>> m_cursors;
    std::unique_ptr<CHtmlFlow> m_captionCursor;
    bool m_placed = false;
    bool m_finished = false;
    int32_t m_top = 0;
    int32_t m_nextRowTop = 0;
};

class CTagCAPTION : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagCAPTION)

public:
    int32_t ReadAttributes() override;
    int32_t IsBottom() const { return m_bottom; }

private:
    int32_t m_bottom = 0;
};

class CTagTR : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagTR)

public:
    // Set during the table's layout: the row's top (once) and bottom, and
    // whether it is finished.
    int32_t m_top = 0;
    int32_t m_bottom = 0;
    int32_t m_topSet = 0;
    int32_t m_done = 0;
};

class CTagTD : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagTD)

public:
    int32_t ReadAttributes() override;
    void BeginLayout(CHtmlFlow* flow) override;
    int32_t EndLayout(CHtmlFlow* flow) override;

    int32_t m_widthPixels = -1;
    int32_t m_widthPercent = 0;
    std::string m_align;
    uint32_t m_background = 0xFFFFFFFF;
    int32_t m_border = 1;
    uint32_t m_light = 0xFFFFFFFF;
    uint32_t m_dark = 0xFFFFFFFF;
};

class CTagTH : public CTagTD
{
    HTML_DECLARE_DYNCREATE(CTagTH)

public:
    ~CTagTH() override;
    int32_t ReadAttributes() override;
    void OnPushStyle(CHtmlDC* dc) override;
    void OnPopStyle(CHtmlDC* dc) override;

private:
    HtmlDerivedFont m_font;
};

class CTagLI : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagLI)

public:
    int32_t EndLayout(CHtmlFlow* flow) override;
};

// The description of a form control, read from the element's attributes and
// handed to the view, which creates, places and destroys the real window.
struct FormControlDesc
{
    std::string type;        // "TEXT", "PASSWORD", "TEXTAREA", "CHECKBOX", "RADIO", "SUBMIT", "SELECT"...
    int32_t size = -1;       // characters, percent or pixels; -1 = not given
    int32_t sizePercent = 0; // size is a percentage of the line's width
    int32_t height = -1;     // rows or pixels; -1 = not given
    int32_t itemHeight = 0;  // SELECT: from the font at the first layout
    std::string name;
    int32_t maxLength = -1;
    std::string value;
    int32_t checked = 0;
    int32_t align = 1; // 1 left, 2 right, 4 centre
    int32_t border = 0;
    std::vector<std::string> optionTexts;
    std::vector<std::string> optionValues;
    int32_t selected = -1;
    std::string attributes;
    HBRUSH__* background = nullptr; // lent by the document's brush cache
    int32_t disabled = 0;           // DISABLED given; the view applies it to the new window
    // Set by whoever creates the control: its owner kind ("HTMLWND" for the
    // view), window and class name; visible while the window is shown.
    std::string ownerKind;
    void* window = nullptr;
    std::string className;
    int32_t visible = 0;
    int32_t placed = 0;
};

class CTagINPUT : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagINPUT)

public:
    // Default background of a control.
    static constexpr uint32_t kDefaultBackground = 0x02FFFFFF;
    // Offset of a control whose box lies outside the painted area.
    static constexpr int32_t kOffView = -5000;

    // Keyboard focus to the control window (focus 1) or away from it to its
    // parent when it holds it (0): set by the platform half.
    using FocusHook = void (*)(void* window, int32_t focus);
    static void SetFocusHook(FocusHook hook);

    CTagINPUT() { m_tabStop = 1; }
    ~CTagINPUT() override;
    int32_t ReadAttributes() override;
    int32_t GetTabStop() override;
    void Place(CHtmlDC* dc, CHtmlFlow* flow) override;
    void Arrange(CHtmlDC* dc, CHtmlFlow* flow) override;
    void Paint(CHtmlDC* dc, CHtmlFlow* flow) override { Arrange(dc, flow); }
    void OnSetFocusTree(int32_t focus, CHtmlFlow* flow, CHtmlDC* dc) override;

    FormControlDesc& GetDesc() { return m_desc; }
    const FormControlDesc& GetDesc() const { return m_desc; }
    // The box's width and height as the last layout measured them.
    int32_t GetWidth() const { return m_width; }
    int32_t GetHeight() const { return m_height; }
    void SetShowAfterPaint() { m_showAfterPaint = 1; }

private:
    FormControlDesc m_desc;
    int32_t m_widthPixels = 0;
    int32_t m_heightPixels = 0;
    double m_heightFactor = 0.0;
    int32_t m_fontPrepared = 0;
    int32_t m_showAfterPaint = 0;
    int32_t m_width = 0;
    int32_t m_height = 0;
};

class CTagOPTION : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagOPTION)

public:
    // The entry's text (its content as written), VALUE and SELECTED.
    int32_t Build() override;
    const std::string& GetText() const { return m_text; }
    const std::string& GetValue() const { return m_value; }
    int32_t IsSelected() const { return m_selected; }

private:
    std::string m_text;
    std::string m_value;
    int32_t m_selected = 0;
};

// A frame of a frameset: its attributes become a frame record; it has no
// element children (text inside it becomes a string document of its own).
class CTagFRAME : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagFRAME)

public:
    int32_t Build() override;
    int32_t ReadAttributes() override;
    // The document the frame shows.
    virtual std::string GetAddress() const { return m_address; }
    // The frame's fields copied into a record (grid position and sizes left as they are).
    void FillRecord(FrameRecord& record);
    const std::string& GetFrameName() const { return m_frameName; }

protected:
    void ReadFrameAttributes();

    std::string m_address;
    std::string m_frameName;
    int32_t m_frameBorder = 3;
    int32_t m_marginWidth = -1;
    int32_t m_marginHeight = -1;
    uint32_t m_scrollFlags = 6;
    int32_t m_resizable = 1;
    int32_t m_noBackSync = 0;
    uint32_t m_borderColors[4] = {0x02C0C0C0, 0x02FFFFFF, 0x02808080, 0x02000000};
    int32_t m_borderFlags[4] = {1, 1, 1, 1};
    int32_t m_roundedCorners[8] = {};
    int32_t m_tabGroup = 0;
};

// The first frameset of a document hands its grid of frames to the view; a
// deeper one becomes a frame whose string document holds that frameset.
class CTagFRAMESET : public CTagFRAME
{
    HTML_DECLARE_DYNCREATE(CTagFRAMESET)

public:
    CTagFRAMESET();
    ~CTagFRAMESET() override;
    int32_t Build() override;
    int32_t ReadAttributes() override;
    std::string GetAddress() const override { return m_nestedDocument; }

private:
    std::string m_nestedDocument;
    bool m_nested = false;
    bool m_notified = false;
};

class CTagIMG : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagIMG)

public:
    // The states' images.
    enum ImageIndex
    {
        kImageNormal = 0,
        kImageMouseOver = 1,
        kImagePressed = 2,
        kImageFocusUp = 3,
        kImageFocusDown = 4,
    };
    // Interval of an animation whose image gives no delay.
    static constexpr uint32_t kDefaultFrameDelay = 100;
    // Extra times keyboard activation applies the inverted state of a plain
    // button, so that the press shows.
    static constexpr int32_t kKeyPressRepeats = 40;

    CTagIMG();
    ~CTagIMG() override;
    int32_t ReadAttributes() override;
    // A tab stop when it acts as a button (pressed, keyboard-focus or check).
    int32_t GetTabStop() override;
    void OnKeyDown(std::string& answer, int32_t key, int32_t flags, CHtmlFlow* flow, int32_t value) override;
    void Place(CHtmlDC* dc, CHtmlFlow* flow) override;
    void Arrange(CHtmlDC* dc, CHtmlFlow* flow) override;
    // After a move: a pending repaint, at once.
    void Paint(CHtmlDC* dc, CHtmlFlow* flow) override;
    // Non-zero only when the look changed (entering or leaving).
    int32_t OnMouseMove(CHtmlFlow* flow, int32_t x, int32_t y, int32_t flags) override;
    void OnLButtonDown(CHtmlDC* dc, CHtmlFlow* flow, int32_t x, int32_t y, int32_t flags) override;
    void OnLButtonUp(CHtmlDC* dc, CHtmlFlow* flow, int32_t x, int32_t y, int32_t flags) override;
    int32_t GetStateByName(const std::string& name) override;
    int32_t SetStateByName(const std::string& name, int32_t value, CHtmlFlow* flow, CHtmlDC* dc) override;
    void OnSetFocusTree(int32_t focus, CHtmlFlow* flow, CHtmlDC* dc) override;
    // The animation's tick: the next frame.
    void OnTimer(uint32_t argument) override;

    CHtmlImageSource* GetImage() const { return m_images[0]; }
    CHtmlImageSource* GetStateImage(int index) const { return m_images[index]; }
    // The image the states choose now (first match wins), and the one shown.
    CHtmlImageSource* ChooseImage() const;
    CHtmlImageSource* GetCurrentImage() const { return m_current; }
    int32_t GetFrame() const { return m_frame; }
    int32_t GetHSpace() const { return m_hspace; }
    int32_t GetVSpace() const { return m_vspace; }
    int32_t IsHovered() const { return m_hovered; }
    int32_t IsPressed() const { return m_pressed; }
    int32_t IsChecked() const { return m_checked; }
    // Sets the states directly (tests of the state table).
    void SetStates(int32_t hovered, int32_t pressed, int32_t focus)
    {
        m_hovered = hovered;
        m_pressed = pressed;
        m_focus = focus;
    }

private:
    // Draws the chosen image over the element's box (a full paint with
    // fullPaint, else in place), then the focus indication.
    void Draw(CHtmlDC* dc, CHtmlFlow* flow, bool fullPaint);
    // Draws the state's image now on the view's window (or the given seam).
    void Repaint(CHtmlFlow* flow, CHtmlDC* dc);
    void ToggleFocusRect(int32_t on, CHtmlFlow* flow, CHtmlDC* dc);
    bool HasFocusImage() const;
    // Checked and pressed, shown at once.
    void ApplyState(int32_t value, CHtmlFlow* flow, CHtmlDC* dc);

    CHtmlImageSource* m_images[5] = {};
    CHtmlImageSource* m_current = nullptr;
    int32_t m_frame = 1;
    int32_t m_frameCount = 0;
    bool m_animating = false;
    std::unique_ptr<CHtmlImageBackdrop> m_backdrop;
    uint32_t m_backdropPaint = 0; // the document's paint count when it was last restarted
    int32_t m_widthPixels = 0;
    int32_t m_widthPercent = 0;
    int32_t m_heightPixels = 0;
    int32_t m_width = 0;
    int32_t m_height = 0;
    int32_t m_hspace = 4;
    int32_t m_vspace = 0;
    int32_t m_checkButton = 0;
    int32_t m_checked = 0;
    int32_t m_pressed = 0;
    int32_t m_hovered = 0;
    int32_t m_repaint = 0;
    int32_t m_inFocusRepaint = 0;
    int32_t m_focusRectDrawn = 0;
    std::string m_name;
};

class CTagBR : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagBR)

public:
    int32_t ReadAttributes() override;
    void Place(CHtmlDC* dc, CHtmlFlow* flow) override;

private:
    int32_t m_height = -1;
};

class CTagHR : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagHR)

public:
    // Rule height inside its band.
    static constexpr int32_t kRuleHeight = 2;
    int32_t ReadAttributes() override;
    void Place(CHtmlDC* dc, CHtmlFlow* flow) override;
    void Arrange(CHtmlDC* dc, CHtmlFlow* flow) override;
    void Paint(CHtmlDC* dc, CHtmlFlow* flow) override { Arrange(dc, flow); }
    int32_t GetPercent() const { return m_percent; }
    int32_t GetPixels() const { return m_pixels; }

private:
    int32_t m_percent = 90;
    int32_t m_pixels = 0;
};
