#include "HtmlTag.h"

#include "HtmlAttr.h"
#include "HtmlDoc.h"
#include "HtmlText.h"

HTML_IMPLEMENT_DYNCREATE(CTag, nullptr)

CTag::~CTag()
{
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

void CTag::LayoutChildren(HDC__*, CHtmlFlow*) {}
void CTag::ArrangeChildren(HDC__*, CHtmlFlow*) {}
void CTag::ResetChildren(HDC__*) {}

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
void CTag::Place(HDC__*, CHtmlFlow*) {}
void CTag::Arrange(HDC__*, CHtmlFlow*) {}
void CTag::BeginLayout(CHtmlFlow*) {}
int32_t CTag::EndLayout(CHtmlFlow*)
{
    return 0;
}
void CTag::PushStyle(HDC__* dc)
{
    OnPushStyle(dc);
}
void CTag::PopStyle(HDC__* dc)
{
    OnPopStyle(dc);
}
void CTag::OnPushStyle(HDC__*) {}
void CTag::OnPopStyle(HDC__*) {}
void CTag::OnResetLayout(HDC__*) {}
int32_t CTag::OnMouseMove(CHtmlFlow*, int32_t, int32_t, int32_t)
{
    return 0;
}
void CTag::Paint(HDC__*, CHtmlFlow*) {}

void CTag::GetLinkAt(std::string& link, CHtmlFlow*, int32_t, int32_t, int32_t, std::string&, CTag*&)
{
    link.clear();
}

void CTag::OnLButtonDown(HDC__*, CHtmlFlow*, int32_t, int32_t, int32_t) {}
void CTag::OnLButtonUp(HDC__*, CHtmlFlow*, int32_t, int32_t, int32_t) {}
int32_t CTag::GetStateByName(const std::string&)
{
    return 0;
}
int32_t CTag::SetStateByName(const std::string&, int32_t, CHtmlFlow*, HDC__*)
{
    return 0;
}
void CTag::OnSetFocusTree(int32_t, CHtmlFlow*, HDC__*) {}

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

int32_t CTag::SetStateInTree(const std::string& name, int32_t value, CHtmlFlow* flow, HDC__* dc)
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

void CTag::PaintTree(HDC__* dc, CHtmlFlow* flow)
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

void CTag::LButtonDownTree(HDC__* dc, CHtmlFlow* flow, int32_t x, int32_t y, int32_t flags)
{
    OnLButtonDown(dc, flow, x, y, flags);
    for (const auto& child : m_children)
        child->LButtonDownTree(dc, flow, x, y, flags);
}

void CTag::LButtonUpTree(HDC__* dc, CHtmlFlow* flow, int32_t x, int32_t y, int32_t flags)
{
    OnLButtonUp(dc, flow, x, y, flags);
    for (const auto& child : m_children)
        child->LButtonUpTree(dc, flow, x, y, flags);
}

void CTag::SetFocusTree(int32_t focus, CHtmlFlow* flow, HDC__* dc)
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
