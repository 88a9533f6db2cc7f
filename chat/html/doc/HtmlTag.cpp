#include "HtmlTag.h"

#include <algorithm>

#include "HtmlAttr.h"
#include "HtmlDC.h"
#include "HtmlDoc.h"
#include "HtmlFlow.h"
#include "HtmlText.h"

HTML_IMPLEMENT_DYNCREATE(CTag, nullptr)

CTag::~CTag()
{
    // An element that ticks (links, animations, blinking) leaves the view's timer.
    if (m_document != nullptr && m_document->GetTimerHost() != nullptr)
        m_document->GetTimerHost()->RemoveTimer(this);
    // Children first, then the content.
    m_children.clear();
    FreeContent();
}

void CTag::FreeContent()
{
    m_content = MemBlockFree(m_content);
    m_contentLength = 0;
}

std::string CTag::TakeContent()
{
    std::string text = HtmlBlockToString(m_content, m_contentLength);
    FreeContent();
    return text;
}

int32_t CTag::Init(const std::string& name, const std::string& attributes, HtmlMemBlock source,
                   uint32_t contentPosition, uint32_t contentLength, CHtmlDoc* document, CTag* parent)
{
    m_name = name;
    m_attributes = attributes;
    m_document = document;
    m_parent = parent;
    m_depth = parent != nullptr ? parent->m_depth + 1 : 0;
    m_contentLength = contentLength;
    if (contentLength == 0)
        return 1;
    m_content = MemBlockAlloc(0, contentLength);
    if (m_content == nullptr || !MemBlockCopy(source, contentPosition, m_content, 0, contentLength))
    {
        FreeContent();
        return 0;
    }
    return 1;
}

int32_t CTag::Build()
{
    if (m_content != nullptr)
    {
        HtmlParseRange(m_children, m_content, m_contentLength, m_document, this);
        FreeContent();
    }
    return ReadAttributes();
}

void CTag::LayoutChildren(CHtmlDC* dc, CHtmlFlow* flow)
{
    for (const auto& child : m_children)
    {
        if (flow->IsFull())
            break;
        LayoutElement(child.get(), dc, flow);
    }
}

void CTag::ArrangeChildren(CHtmlDC* dc, CHtmlFlow* flow)
{
    for (const auto& child : m_children)
    {
        child->OnPushStyle(dc);
        child->Arrange(dc, flow);
        child->ArrangeChildren(dc, flow);
        child->OnPopStyle(dc);
    }
}

void CTag::ResetChildren(CHtmlDC* dc)
{
    for (const auto& child : m_children)
        ResetLayout(child.get(), dc);
}

int32_t CTag::LayoutElement(CTag* element, CHtmlDC* dc, CHtmlFlow* flow)
{
    if (element->m_laidOut && element->IsTreeLaidOut())
        return 0;
    element->BeginLayout(flow);
    element->PushStyle(dc);
    // A full flow places nothing and marks nothing: a later pass resumes.
    if (!flow->IsFull() && !element->m_laidOut)
    {
        element->m_placeIncomplete = 0;
        element->Place(dc, flow);
        element->m_laidOut = element->m_placeIncomplete ? 0 : 1;
    }
    element->LayoutChildren(dc, flow);
    element->PopStyle(dc);
    return element->EndLayout(flow);
}

void CTag::ArrangeElement(CTag* element, CHtmlDC* dc, CHtmlFlow* flow)
{
    element->OnPushStyle(dc);
    element->Arrange(dc, flow);
    element->ArrangeChildren(dc, flow);
    element->OnPopStyle(dc);
}

void CTag::ResetLayout(CTag* element, CHtmlDC* dc)
{
    element->m_laidOut = 0;
    element->OnResetLayout(dc);
    element->m_pieces.clear();
    element->m_blockPieces.clear();
    element->ResetChildren(dc);
}

HtmlPiece* CTag::AddPiece(CHtmlFlow* flow, std::vector<HtmlPiece*>& list)
{
    LayoutRect area;
    if (flow->IsFull() || !flow->GetFreeArea(area))
        return nullptr;
    HtmlPiece* piece = flow->CreatePiece(this, area, 0, nullptr, false);
    list.push_back(piece);
    return piece;
}

int32_t CTag::HorizontalMode(const std::string& align)
{
    const std::string word = HtmlUpper(align);
    if (word == "RIGHT")
        return kHtmlAlignRight;
    if (word == "LEFT")
        return kHtmlAlignLeft;
    if (word == "CENTER" || word == "MIDDLE")
        return kHtmlAlignCenter;
    return -1;
}

int32_t CTag::VerticalMode(const std::string& valign)
{
    const std::string word = HtmlUpper(valign);
    if (word == "TOP")
        return kHtmlVAlignTop;
    if (word == "BOTTOM" || word == "BASELINE")
        return kHtmlVAlignBaseline;
    if (word == "FLOOR" || word == "GROUND")
        return kHtmlVAlignFloor;
    if (word == "CENTER" || word == "MIDDLE")
        return kHtmlVAlignMiddle;
    return -1;
}

void CTag::AddAlignedPiece(CHtmlFlow* flow, std::vector<HtmlPiece*>& list, const std::string& align,
                           const std::string& valign)
{
    AddPiece(flow, list);
    if (list.size() == 2)
    {
        const int32_t h = HorizontalMode(align);
        if (h >= 0)
            flow->AlignHorizontal(list[0], list[1], h);
        const int32_t v = VerticalMode(valign);
        if (v >= 0)
            flow->AlignVertical(list[0], list[1], v);
    }
    list.clear();
}

void CTag::OpenBlock(CHtmlFlow* flow)
{
    if (!m_laidOut && m_blockPieces.empty())
        AddPiece(flow, m_blockPieces);
}

void CTag::CloseBlock(CHtmlFlow* flow, const std::string& align, const std::string& valign)
{
    if (!m_blockPieces.empty() && IsTreeLaidOut())
        AddAlignedPiece(flow, m_blockPieces, align, valign);
}

void CTag::Draw3DFrame(CHtmlDC* dc, int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t first,
                       uint32_t second)
{
    dc->DrawLine(left, top, right, top, first);
    dc->DrawLine(left, top, left, bottom, first);
    dc->DrawLine(right - 1, top, right - 1, bottom, second);
    dc->DrawLine(left, bottom - 1, right, bottom - 1, second);
}

void CTag::ToggleLinkLines(int32_t on, CHtmlFlow* flow, CHtmlDC* dc, const LayoutRect& box, int32_t* underline,
                           int32_t* secondLine)
{
    if (flow == nullptr || dc == nullptr)
        return;
    LayoutRect window;
    flow->ToWindow(box, window);
    const LayoutRect& bounds = flow->GetBounds();
    const auto inView = [&](int32_t y) { return y >= bounds.top && y < bounds.bottom; };
    on = on ? 1 : 0;
    if (*underline != on && inView(box.bottom))
    {
        dc->InvertLine(window.left, window.bottom, window.right, window.bottom);
        *underline = on;
    }
    const int32_t inset = box.Height() / 8;
    if (*secondLine != on && inView(box.bottom + 2))
    {
        dc->InvertLine(window.left + inset, window.bottom + 2, window.right - inset, window.bottom + 2);
        *secondLine = on;
    }
}

int32_t CTag::GetBounds(LayoutRect& bounds, bool withChildren) const
{
    bounds.Set(0x7FFFFFFF, 0x7FFFFFFF, int32_t(0x80000000u), int32_t(0x80000000u));
    return AccumulateBounds(bounds, withChildren);
}

int32_t CTag::AccumulateBounds(LayoutRect& bounds, bool withChildren) const
{
    int32_t found = 0;
    for (const HtmlPiece* piece : m_pieces)
    {
        bounds.left = std::min(bounds.left, piece->box.left);
        bounds.top = std::min(bounds.top, piece->box.top);
        bounds.right = std::max(bounds.right, piece->box.right);
        bounds.bottom = std::max(bounds.bottom, piece->box.bottom);
        found = 1;
    }
    if (withChildren)
        for (const auto& child : m_children)
            found |= child->AccumulateBounds(bounds, true);
    return found;
}

int32_t CTag::ContainsPoint(int32_t x, int32_t y) const
{
    for (const HtmlPiece* piece : m_pieces)
        if (piece->box.left <= x && x <= piece->box.right && piece->box.top <= y && y <= piece->box.bottom)
            return 1;
    for (const auto& child : m_children)
        if (child->ContainsPoint(x, y))
            return 1;
    return 0;
}

int32_t CTag::GetTabStop()
{
    return HasAttr("NOTABSTOP") ? 0 : m_tabStop;
}

void CTag::OnKeyDown(std::string& answer, int32_t key, int32_t flags, CHtmlFlow* flow, int32_t value)
{
    answer.clear();
    for (const auto& child : m_children)
    {
        child->OnKeyDown(answer, key, flags, flow, value);
        if (!answer.empty())
            return;
    }
}

int32_t CTag::ReadAttributes()
{
    return 1;
}
void CTag::Place(CHtmlDC*, CHtmlFlow*) {}
void CTag::Arrange(CHtmlDC*, CHtmlFlow*) {}
void CTag::BeginLayout(CHtmlFlow*) {}
int32_t CTag::EndLayout(CHtmlFlow*)
{
    return 0;
}
void CTag::PushStyle(CHtmlDC* dc)
{
    OnPushStyle(dc);
}
void CTag::PopStyle(CHtmlDC* dc)
{
    OnPopStyle(dc);
}
void CTag::OnPushStyle(CHtmlDC*) {}
void CTag::OnPopStyle(CHtmlDC*) {}
void CTag::OnResetLayout(CHtmlDC*) {}
int32_t CTag::OnMouseMove(CHtmlFlow*, int32_t, int32_t, int32_t)
{
    return 0;
}
void CTag::Paint(CHtmlDC*, CHtmlFlow*) {}

void CTag::GetLinkAt(std::string& link, CHtmlFlow*, int32_t, int32_t, int32_t, std::string&, CTag*&)
{
    link.clear();
}

void CTag::OnLButtonDown(CHtmlDC*, CHtmlFlow*, int32_t, int32_t, int32_t) {}
void CTag::OnLButtonUp(CHtmlDC*, CHtmlFlow*, int32_t, int32_t, int32_t) {}
int32_t CTag::GetStateByName(const std::string&)
{
    return 0;
}
int32_t CTag::SetStateByName(const std::string&, int32_t, CHtmlFlow*, CHtmlDC*)
{
    return 0;
}
void CTag::OnSetFocusTree(int32_t, CHtmlFlow*, CHtmlDC*) {}

std::string CTag::GetAttr(const std::string& name, const std::string& defaultValue) const
{
    return GetAttrValue(name, m_attributes, defaultValue);
}

int32_t CTag::GetAttrInt(const std::string& name, int32_t defaultValue) const
{
    return ::GetAttrInt(name, m_attributes, defaultValue);
}

int32_t CTag::HasAttr(const std::string& name) const
{
    return ::HasAttr(name, m_attributes);
}

uint32_t CTag::GetColorAttr(const std::string& text, uint32_t defaultColor)
{
    return ParseColor(text, defaultColor);
}

CTag* CTag::FindByName(const std::string& name)
{
    if (HtmlEqualNoCase(GetAttr("NAME"), name))
        return this;
    for (const auto& child : m_children)
        if (CTag* hit = child->FindByName(name))
            return hit;
    return nullptr;
}

int32_t CTag::GetStateInTree(const std::string& name)
{
    if (const int32_t state = GetStateByName(name))
        return state;
    for (const auto& child : m_children)
        if (const int32_t state = child->GetStateInTree(name))
            return state;
    return 0;
}

int32_t CTag::SetStateInTree(const std::string& name, int32_t value, CHtmlFlow* flow, CHtmlDC* dc)
{
    int32_t result = SetStateByName(name, value, flow, dc);
    for (const auto& child : m_children)
        result |= child->SetStateInTree(name, value, flow, dc);
    return result;
}

int32_t CTag::MouseMoveTree(CHtmlFlow* flow, int32_t x, int32_t y, int32_t flags)
{
    int32_t result = OnMouseMove(flow, x, y, flags);
    for (const auto& child : m_children)
        result |= child->MouseMoveTree(flow, x, y, flags);
    return result;
}

void CTag::PaintTree(CHtmlDC* dc, CHtmlFlow* flow)
{
    Paint(dc, flow);
    for (const auto& child : m_children)
    {
        OnPushStyle(dc);
        child->PaintTree(dc, flow);
        OnPopStyle(dc);
    }
}

std::string CTag::FindLinkAt(CHtmlFlow* flow, int32_t x, int32_t y, int32_t flags, std::string& target,
                             CTag*& element)
{
    std::string link;
    CTag* giver = this;
    GetLinkAt(link, flow, x, y, flags, target, giver);
    if (!link.empty())
    {
        element = giver;
        return link;
    }
    for (const auto& child : m_children)
    {
        link = child->FindLinkAt(flow, x, y, flags, target, element);
        if (!link.empty())
            return link;
    }
    return {};
}

void CTag::LButtonDownTree(CHtmlDC* dc, CHtmlFlow* flow, int32_t x, int32_t y, int32_t flags)
{
    OnLButtonDown(dc, flow, x, y, flags);
    for (const auto& child : m_children)
        child->LButtonDownTree(dc, flow, x, y, flags);
}

void CTag::LButtonUpTree(CHtmlDC* dc, CHtmlFlow* flow, int32_t x, int32_t y, int32_t flags)
{
    OnLButtonUp(dc, flow, x, y, flags);
    for (const auto& child : m_children)
        child->LButtonUpTree(dc, flow, x, y, flags);
}

void CTag::SetFocusTree(int32_t focus, CHtmlFlow* flow, CHtmlDC* dc)
{
    m_focus = focus;
    OnSetFocusTree(focus, flow, dc);
    for (const auto& child : m_children)
        child->SetFocusTree(focus, flow, dc);
}

int32_t CTag::IsTreeLaidOut() const
{
    for (const auto& child : m_children)
        if (!child->m_laidOut || !child->IsTreeLaidOut())
            return 0;
    return 1;
}

void CTag::FindTabStops(std::vector<CTag*>& all, CTag*& focused)
{
    if (GetTabStop() != 0)
    {
        all.push_back(this);
        if (m_focus)
            focused = this;
    }
    for (const auto& child : m_children)
        child->FindTabStops(all, focused);
}

CTag::TabStops CTag::FindTabStopsInList(const List& list, bool wrap)
{
    TabStops stops;
    for (const auto& element : list)
        element->FindTabStops(stops.all, stops.focused);
    if (stops.focused == nullptr)
        return stops;
    size_t at = 0;
    while (stops.all[at] != stops.focused)
        ++at;
    if (at + 1 < stops.all.size())
        stops.next = stops.all[at + 1];
    else if (wrap)
        stops.next = stops.all.front();
    if (at > 0)
        stops.previous = stops.all[at - 1];
    else if (wrap)
        stops.previous = stops.all.back();
    return stops;
}
