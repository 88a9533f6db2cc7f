// The view's side of hover: pointer moves handed to the document, the
// document's drawing outside a paint (hover, animation, blinking), what a
// tick queued, and the check states of image buttons across frames.
#include "HtmlFlow.h"
#include "HtmlGdiDC.h"
#include "HtmlWnd.h"

void HtmlWnd::HoverMove(WPARAM keys, const POINT* client)
{
    CHtmlFlow* flow = m_document->GetFlow();
    if (flow == nullptr || hWnd() == nullptr)
        return;
    int32_t x = CHtmlDoc::kNowhere;
    int32_t y = CHtmlDoc::kNowhere;
    if (client != nullptr)
    {
        // Through the layout context, as the elements were last drawn.
        x = client->x;
        y = client->y;
        flow->ToDocument(&x, &y);
    }
    CHtmlWindowGdiDC dc(hWnd());
    m_document->OnMouseMove(&dc, int32_t(keys), x, y);
}

std::unique_ptr<CHtmlDC> HtmlWnd::OpenDC()
{
    if (hWnd() == nullptr || !IsWindowVisible(hWnd()))
        return nullptr;
    return std::make_unique<CHtmlWindowGdiDC>(hWnd());
}

bool HtmlWnd::GetPointer(int32_t* x, int32_t* y)
{
    *x = CHtmlDoc::kNowhere;
    *y = CHtmlDoc::kNowhere;
    CHtmlFlow* flow = m_document->GetFlow();
    POINT screen;
    if (flow == nullptr || hWnd() == nullptr || !GetCursorPos(&screen))
        return false;
    POINT client = screen;
    ScreenToClient(hWnd(), &client);
    const RECT rc = ClientRect();
    if (!PtInRect(&rc, client) || WindowFromPoint(screen) != hWnd())
        return false;
    *x = client.x;
    *y = client.y;
    flow->ToDocument(x, y);
    return true;
}

void HtmlWnd::PostQueued()
{
    if (hWnd() != nullptr)
        PostMessageA(hWnd(), kMsgRunQueued, 0, 0);
}

bool HtmlWnd::OnHoverMessage(UINT uMsg, WPARAM, LPARAM, LRESULT* result)
{
    if (uMsg != kMsgRunQueued)
        return false;
    *result = 0;
    // A navigation may replace the frameset holding this view: nothing follows it.
    m_document->RunQueued();
    return true;
}

int32_t HtmlWnd::GetImageState(const std::string& name)
{
    if (const int32_t state = m_document->GetImageState(name))
        return state;
    for (HtmlWnd* child : GetChildViews())
        if (const int32_t state = child->GetImageState(name))
            return state;
    return 0;
}

int32_t HtmlWnd::SetImageState(const std::string& name, int32_t value)
{
    std::unique_ptr<CHtmlDC> dc = OpenDC();
    int32_t result = m_document->SetImageState(name, value, dc.get());
    dc.reset();
    for (HtmlWnd* child : GetChildViews())
        result |= child->SetImageState(name, value);
    return result;
}
