// The document's keyboard focus and element searches (the view drives them).
#include "HtmlDoc.h"
#include "HtmlFlow.h"

namespace
{
bool InList(const CTag::List& list, const CTag* element)
{
    for (const auto& tag : list)
        if (tag.get() == element || InList(tag->GetChildren(), element))
            return true;
    return false;
}
} // namespace

int32_t CHtmlDoc::ContainsElement(const CTag* element) const
{
    return element != nullptr && InList(m_elements, element) ? 1 : 0;
}

int32_t CHtmlDoc::SetFocusElement(CTag* element, int32_t on, CHtmlDC* dc)
{
    if (!ContainsElement(element))
        return 0;
    if (on)
        EnsureVisible(element);
    element->SetFocusTree(on, m_flow.get(), dc);
    return 1;
}

std::string CHtmlDoc::OnKeyDown(CTag* element, int32_t key, int32_t flags)
{
    std::string answer;
    if (element == nullptr || key == 0 || m_flow == nullptr)
        return answer;
    element->OnKeyDown(answer, key, flags, m_flow.get(), 1);
    return answer;
}

CTag* CHtmlDoc::FindTagByName(const std::string& name)
{
    for (const auto& element : m_elements)
        if (CTag* hit = element->FindByName(name))
            return hit;
    return nullptr;
}
