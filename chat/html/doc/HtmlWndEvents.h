// IHtmlWndEvents: the one channel through which the renderer asks its user
// for decisions and tells it what happened. Operations stay in this order
// (slot numbers in the comments). The last argument is always the sender:
// the document for events a document raises, the view for those a view
// raises or forwards. String arguments passed by value are the callee's copy.
//
// CHtmlWndEventsBase answers every operation with its default so that a user
// overrides only the operations it needs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "HtmlMemBlock.h"

class CHtmlObject;
class CTag;
class CTagINPUT;
class CTagFRAME;
class HtmlWnd;
class CHtmlImageSource;
struct FontDesc;
struct FrameRecord;
// Platform handles, declared as <windows.h> declares them.
struct HDC__;
struct HFONT__;
struct HBRUSH__;
struct tagNMHDR;

class IHtmlWndEvents
{
public:
    // Slots 0 and 1: -1 = not handled; otherwise the number of bytes of the
    // block left in *content that replace the tag in the source.
    virtual int32_t OnTag(std::string name, std::string attributes, HtmlMemBlock* content, int32_t length,
                          std::string frameName, CHtmlObject* sender) = 0; // 0
    virtual int32_t OnHandlerTag(std::string name, std::string attributes, HtmlMemBlock* content,
                                 int32_t length, std::string frameName, CHtmlObject* sender) = 0;    // 1
    virtual void OnDocumentCleared(CHtmlObject* sender) = 0;                                         // 2
    virtual void OnTitle(std::string title, CHtmlObject* sender) = 0;                                // 3
    virtual void OnFramesetCreated(const std::vector<FrameRecord>* frames, CHtmlObject* sender) = 0; // 4
    virtual void OnFramesDestroyed(CHtmlObject* sender) = 0;                                         // 5
    virtual void ScrollIntoView(CTag* element, CHtmlObject* sender) = 0;                             // 6
    // Stage 0 source read, 1 hand-over pass (percent), 2 tree build (element
    // count), 3 parsing done; percent is -1 outside stage 1.
    virtual void OnLoadProgress(int32_t stage, int32_t percent, int32_t count, CHtmlObject* sender) = 0;  // 7
    virtual void OnLinkHover(const std::string& text, CTag* link, int32_t kind, CHtmlObject* sender) = 0; // 8
    // An address whose source kind the document doesn't load; the handler
    // may change the kind (and the address).
    virtual void OnLeaveView(std::string* kind, std::string* address, std::string frameName,
                             CHtmlObject* sender) = 0;                                   // 9
    virtual void CreateControl(CTagINPUT* input, CHtmlObject* sender) = 0;               // 10
    virtual int32_t OnControlFont(CTagINPUT* input, HDC__* dc, CHtmlObject* sender) = 0; // 11
    virtual void OnControlCreated(CTagINPUT* input, CHtmlObject* sender) = 0;            // 12
    virtual void MoveControl(CTagINPUT* input, int32_t left, int32_t top, int32_t right, int32_t bottom,
                             int32_t showCommand, CHtmlObject* sender) = 0;               // 13
    virtual void DestroyControl(CTagINPUT* input, CHtmlObject* sender) = 0;               // 14
    virtual int32_t OnControlKey(int32_t key, CTagINPUT* input, CHtmlObject* sender) = 0; // 15
    virtual int32_t OnControlCommand(CTagINPUT* input, int32_t word, int32_t value,
                                     CHtmlObject* sender) = 0;                                      // 16
    virtual int32_t OnCommand(int32_t word, int32_t value, HtmlWnd* view, CHtmlObject* sender) = 0; // 17
    // result points to the notification's LRESULT.
    virtual int32_t OnNotify(int32_t controlId, tagNMHDR* header, void* result, CTagINPUT* input,
                             HtmlWnd* view, CHtmlObject* sender) = 0; // 18
    virtual int32_t HasSharedCaches(CHtmlObject* sender) = 0;         // 19
    virtual CHtmlImageSource* GetImage(const std::string& name, void* resourceModule,
                                       CHtmlObject* sender) = 0;                                 // 20
    virtual void ReleaseImage(CHtmlImageSource* image, CHtmlObject* sender) = 0;                 // 21
    virtual int32_t HasBrushCache(CHtmlObject* sender) = 0;                                      // 22
    virtual HBRUSH__* GetBrush(uint32_t color, CHtmlObject* sender) = 0;                         // 23
    virtual void ReleaseBrush(HBRUSH__* brush, CHtmlObject* sender) = 0;                         // 24
    virtual int32_t HasFontCache(CHtmlObject* sender) = 0;                                       // 25
    virtual HFONT__* GetFont(const FontDesc* description, CHtmlObject* sender) = 0;              // 26
    virtual void ReleaseFont(HFONT__* font, CHtmlObject* sender) = 0;                            // 27
    virtual void OnDoubleClick(int32_t keyFlags, int32_t x, int32_t y, CHtmlObject* sender) = 0; // 28
    virtual void OnClick(int32_t keyFlags, int32_t x, int32_t y, CHtmlObject* sender) = 0;       // 29
    virtual void OnSetFocus(CHtmlObject* sender) = 0;                                            // 30
    virtual void OnKillFocus(CHtmlObject* sender) = 0;                                           // 31
    // Screen coordinates; frameName is the view's own string, not a copy.
    virtual int32_t OnDrag(int32_t x, int32_t y, int32_t previousX, int32_t previousY, std::string* frameName,
                           CHtmlObject* sender) = 0;                                               // 32
    virtual int32_t OnLinkClick(std::string address, std::string target, CHtmlObject* sender) = 0; // 33
    virtual int32_t CanFollowLink(CTag* link, int32_t value, CHtmlObject* sender) = 0;             // 34
    virtual int32_t OnLinkMenu(std::string address, std::string target, CHtmlObject* sender) = 0;  // 35
    virtual void OnLoadError(int32_t error, std::string address, CHtmlObject* sender) = 0;         // 36
    virtual void FollowLink(std::string address, std::string target, CHtmlObject* sender) = 0;     // 37
    virtual void OnLinkTick(const std::string& address, const std::string& target, int32_t pressed,
                            int32_t zero, CHtmlObject* sender) = 0;                // 38
    virtual int32_t OnSubmit(CTagINPUT* input, CHtmlObject* sender) = 0;           // 39
    virtual int32_t OnControlChanged(CTagINPUT* input, CHtmlObject* sender) = 0;   // 40
    virtual int32_t OnControlKillFocus(CTagINPUT* input, CHtmlObject* sender) = 0; // 41
    virtual int32_t OnControlSetFocus(CTagINPUT* input, CHtmlObject* sender) = 0;  // 42
    virtual int32_t OnInputKey(int32_t key, int32_t repeat, int32_t flags, std::string frameName,
                               CHtmlObject* sender) = 0;                                          // 43
    virtual void OnScroll(int32_t bar, int32_t position, HtmlWnd* view, CHtmlObject* sender) = 0; // 44
    virtual void PushHandler(const std::string& handlerName, const std::string& attributes,
                             CHtmlObject* sender) = 0;                                     // 45
    virtual void OnHandlerEnding(const std::string& handlerName, CHtmlObject* sender) = 0; // 46
    virtual void PopHandler(const std::string& handlerName, CHtmlObject* sender) = 0;      // 47
    virtual IHtmlWndEvents* GetReplacementHandler(const std::string& handlerName,
                                                  const std::string& attributes, HtmlWnd* view,
                                                  CHtmlObject* sender) = 0;                              // 48
    virtual void OnHandlerEnded(const std::string& handlerName, HtmlWnd* view, CHtmlObject* sender) = 0; // 49
    virtual int32_t ReleaseHandler(const std::string& handlerName, HtmlWnd* view,
                                   CHtmlObject* sender) = 0; // 50
    virtual IHtmlWndEvents* OnFrameCreated(CTagFRAME* frame, HtmlWnd* childView,
                                           CHtmlObject* sender) = 0;                              // 51
    virtual void OnFrameDestroyed(CTagFRAME* frame, HtmlWnd* childView, CHtmlObject* sender) = 0; // 52
    virtual void OnViewDestroyed(CTagFRAME* frame, CHtmlObject* sender) = 0;                      // 53
    virtual void OnDocumentLoaded(std::string address, int32_t result, std::string context, HtmlWnd* loader,
                                  CHtmlObject* sender) = 0; // 54

    virtual ~IHtmlWndEvents() = default;
};

class CHtmlWndEventsBase : public IHtmlWndEvents
{
public:
    int32_t OnTag(std::string, std::string, HtmlMemBlock*, int32_t, std::string, CHtmlObject*) override;
    int32_t OnHandlerTag(std::string, std::string, HtmlMemBlock*, int32_t, std::string,
                         CHtmlObject*) override;
    void OnDocumentCleared(CHtmlObject*) override {}
    void OnTitle(std::string, CHtmlObject*) override {}
    void OnFramesetCreated(const std::vector<FrameRecord>*, CHtmlObject*) override {}
    void OnFramesDestroyed(CHtmlObject*) override {}
    void ScrollIntoView(CTag*, CHtmlObject*) override {}
    void OnLoadProgress(int32_t, int32_t, int32_t, CHtmlObject*) override {}
    void OnLinkHover(const std::string&, CTag*, int32_t, CHtmlObject*) override {}
    void OnLeaveView(std::string*, std::string*, std::string, CHtmlObject*) override {}
    void CreateControl(CTagINPUT*, CHtmlObject*) override {}
    int32_t OnControlFont(CTagINPUT*, HDC__*, CHtmlObject*) override { return 1; }
    void OnControlCreated(CTagINPUT*, CHtmlObject*) override {}
    void MoveControl(CTagINPUT*, int32_t, int32_t, int32_t, int32_t, int32_t, CHtmlObject*) override {}
    void DestroyControl(CTagINPUT*, CHtmlObject*) override {}
    int32_t OnControlKey(int32_t, CTagINPUT*, CHtmlObject*) override { return 0; }
    int32_t OnControlCommand(CTagINPUT*, int32_t, int32_t, CHtmlObject*) override { return 0; }
    int32_t OnCommand(int32_t, int32_t, HtmlWnd*, CHtmlObject*) override { return 0; }
    int32_t OnNotify(int32_t, tagNMHDR*, void*, CTagINPUT*, HtmlWnd*, CHtmlObject*) override { return 0; }
    int32_t HasSharedCaches(CHtmlObject*) override { return 0; }
    CHtmlImageSource* GetImage(const std::string&, void*, CHtmlObject*) override { return nullptr; }
    void ReleaseImage(CHtmlImageSource*, CHtmlObject*) override {}
    int32_t HasBrushCache(CHtmlObject*) override { return 0; }
    HBRUSH__* GetBrush(uint32_t, CHtmlObject*) override { return nullptr; }
    void ReleaseBrush(HBRUSH__*, CHtmlObject*) override {}
    int32_t HasFontCache(CHtmlObject*) override { return 0; }
    HFONT__* GetFont(const FontDesc*, CHtmlObject*) override { return nullptr; }
    void ReleaseFont(HFONT__*, CHtmlObject*) override {}
    void OnDoubleClick(int32_t, int32_t, int32_t, CHtmlObject*) override {}
    void OnClick(int32_t, int32_t, int32_t, CHtmlObject*) override {}
    void OnSetFocus(CHtmlObject*) override {}
    void OnKillFocus(CHtmlObject*) override {}
    int32_t OnDrag(int32_t, int32_t, int32_t, int32_t, std::string*, CHtmlObject*) override { return 0; }
    int32_t OnLinkClick(std::string, std::string, CHtmlObject*) override { return 1; }
    int32_t CanFollowLink(CTag*, int32_t, CHtmlObject*) override { return 1; }
    int32_t OnLinkMenu(std::string, std::string, CHtmlObject*) override { return 1; }
    void OnLoadError(int32_t, std::string, CHtmlObject*) override {}
    void FollowLink(std::string, std::string, CHtmlObject*) override {}
    void OnLinkTick(const std::string&, const std::string&, int32_t, int32_t, CHtmlObject*) override {}
    int32_t OnSubmit(CTagINPUT*, CHtmlObject*) override { return 0; }
    int32_t OnControlChanged(CTagINPUT*, CHtmlObject*) override { return 0; }
    int32_t OnControlKillFocus(CTagINPUT*, CHtmlObject*) override { return 0; }
    int32_t OnControlSetFocus(CTagINPUT*, CHtmlObject*) override { return 0; }
    int32_t OnInputKey(int32_t, int32_t, int32_t, std::string, CHtmlObject*) override { return 0; }
    void OnScroll(int32_t, int32_t, HtmlWnd*, CHtmlObject*) override {}
    void PushHandler(const std::string&, const std::string&, CHtmlObject*) override {}
    void OnHandlerEnding(const std::string&, CHtmlObject*) override {}
    void PopHandler(const std::string&, CHtmlObject*) override {}
    IHtmlWndEvents* GetReplacementHandler(const std::string&, const std::string&, HtmlWnd*,
                                          CHtmlObject*) override
    {
        return nullptr;
    }
    void OnHandlerEnded(const std::string&, HtmlWnd*, CHtmlObject*) override {}
    int32_t ReleaseHandler(const std::string&, HtmlWnd*, CHtmlObject*) override { return 0; }
    IHtmlWndEvents* OnFrameCreated(CTagFRAME*, HtmlWnd*, CHtmlObject*) override { return nullptr; }
    void OnFrameDestroyed(CTagFRAME*, HtmlWnd*, CHtmlObject*) override {}
    void OnViewDestroyed(CTagFRAME*, CHtmlObject*) override {}
    void OnDocumentLoaded(std::string, int32_t, std::string, HtmlWnd*, CHtmlObject*) override {}
};
