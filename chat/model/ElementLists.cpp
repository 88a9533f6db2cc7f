#include "ElementLists.h"

namespace ChatModel
{

namespace
{
unsigned char cUpper(unsigned char c)
{
    if (c >= 'a' && c <= 'z')
        return static_cast<unsigned char>(c - 0x20);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return static_cast<unsigned char>(c - 0x20);
    return c;
}

// Byte-wise comparison of the upper-cased texts.
int iCompareUpper(const std::string& a, const std::string& b)
{
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i)
    {
        const unsigned char ca = cUpper(static_cast<unsigned char>(a[i]));
        const unsigned char cb = cUpper(static_cast<unsigned char>(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// The position before the first entry whose upper-cased display is greater.
template <typename Seq, typename Display>
size_t uSortedPosition(const Seq& seq, const std::string& display, Display get)
{
    for (size_t i = 0; i < seq.size(); ++i)
        if (iCompareUpper(get(seq[i]), display) > 0)
            return i;
    return seq.size();
}
} // namespace

std::string strElementUpper(const std::string& text)
{
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(cUpper(static_cast<unsigned char>(c)));
    return out;
}

bool boElementNameEqual(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (cUpper(static_cast<unsigned char>(a[i])) != cUpper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

ElementNode* ElementNode::lpFindChild(const std::string& name) const
{
    for (const auto& child : children)
        if (boElementNameEqual(child->strName, name))
            return child.get();
    return nullptr;
}

ElementItem* ElementNode::lpFindItem(const std::string& name)
{
    for (auto& item : items)
        if (boElementNameEqual(item.strName, name))
            return &item;
    return nullptr;
}

int ElementNode::iAddKey(const std::string& name, const std::string& display, int32_t maxItem,
                         const std::string& attrs)
{
    const std::string& shown = display.empty() ? name : display;
    if (ElementNode* found = lpFindChild(name))
    {
        found->strDisplay = shown;
        found->iMaxItem = maxItem;
        found->strKeyAttrs = attrs;
        found->iLevel = iLevel + 1;
        return 0;
    }
    if (children.size() >= CElementListTable::kMaxKeys)
        return 0;
    auto node = std::make_unique<ElementNode>();
    node->strName = name;
    node->strDisplay = shown;
    node->iMaxItem = maxItem;
    node->strKeyAttrs = attrs;
    node->iLevel = iLevel + 1;
    const size_t at =
        uSortedPosition(children, shown, [](const std::unique_ptr<ElementNode>& n) -> const std::string& {
            return n->strDisplay;
        });
    children.insert(children.begin() + static_cast<std::ptrdiff_t>(at), std::move(node));
    return 1;
}

int ElementNode::iAddItem(const std::string& path, const std::string& name, const std::string& display,
                          const std::string& text, int32_t value)
{
    if (!path.empty())
    {
        ElementNode* key = lpFindChild(path);
        if (!key)
        {
            iAddKey(path, "", -1, "");
            key = lpFindChild(path);
            if (!key)
                return 0;
        }
        return key->iAddItem("", name, display, text, value);
    }
    const std::string& shown = display.empty() ? name : display;
    if (ElementItem* found = lpFindItem(name))
    {
        found->strDisplay = shown;
        found->iValue = value;
        found->iLevel = iLevel + 1;
        found->strText = text;
        return 0;
    }
    if (items.size() >= CElementListTable::kMaxItems)
        return 0;
    ElementItem item;
    item.strName = name;
    item.strDisplay = shown;
    item.iValue = value;
    item.iLevel = iLevel + 1;
    item.strText = text;
    const size_t at =
        uSortedPosition(items, shown, [](const ElementItem& i) -> const std::string& { return i.strDisplay; });
    items.insert(items.begin() + static_cast<std::ptrdiff_t>(at), std::move(item));
    return 1;
}

int ElementNode::iRemoveItem(const std::string& path, const std::string& name)
{
    if (!path.empty())
    {
        ElementNode* key = lpFindChild(path);
        return key ? key->iRemoveItem("", name) : 0;
    }
    for (auto it = items.begin(); it != items.end(); ++it)
        if (boElementNameEqual(it->strName, name))
        {
            items.erase(it);
            return 1;
        }
    return 0;
}

size_t ElementNode::uCountItems() const
{
    size_t n = items.size();
    for (const auto& child : children)
        n += child->uCountItems();
    return n;
}

size_t ElementNode::uCountKeys() const
{
    size_t n = children.size();
    for (const auto& child : children)
        n += child->uCountKeys();
    return n;
}

ElementNode* CElementListTable::lpFindList(const std::string& name, bool create)
{
    for (const auto& list : m_lists)
        if (boElementNameEqual(list->strName, name))
            return list.get();
    if (!create || m_lists.size() >= kMaxLists)
        return nullptr;
    auto node = std::make_unique<ElementNode>();
    node->strName = name;
    m_lists.push_back(std::move(node));
    return m_lists.back().get();
}

const ElementNode* CElementListTable::lpFindList(const std::string& name) const
{
    for (const auto& list : m_lists)
        if (boElementNameEqual(list->strName, name))
            return list.get();
    return nullptr;
}

int CElementListTable::iAddKey(const std::string& list, const std::string& key, const std::string& display,
                               int32_t maxItem, const std::string& attrs)
{
    ElementNode* root = lpFindList(list, true);
    return root ? root->iAddKey(key, display, maxItem, attrs) : 0;
}

int CElementListTable::iAddItem(const std::string& list, const std::string& path, const std::string& item,
                                const std::string& display, const std::string& text, int32_t value)
{
    ElementNode* root = lpFindList(list, true);
    return root ? root->iAddItem(path, item, display, text, value) : 0;
}

int CElementListTable::iRemoveKey(const std::string& list, const std::string& key)
{
    ElementNode* root = lpFindList(list, false);
    if (!root)
        return 0;
    for (auto it = root->children.begin(); it != root->children.end(); ++it)
        if (boElementNameEqual((*it)->strName, key))
        {
            root->children.erase(it);
            return 1;
        }
    return 0;
}

int CElementListTable::iRemoveItem(const std::string& list, const std::string& path, const std::string& item)
{
    ElementNode* root = lpFindList(list, false);
    return root ? root->iRemoveItem(path, item) : 0;
}

int CElementListTable::iClearList(const std::string& list)
{
    ElementNode* root = lpFindList(list, false);
    if (!root)
        return 0;
    root->children.clear();
    root->items.clear();
    return 1;
}

ElementNode* CElementListTable::lpFindKey(const std::string& list, const std::string& key)
{
    ElementNode* root = lpFindList(list, false);
    return root ? root->lpFindChild(key) : nullptr;
}

ElementItem* CElementListTable::lpFindItem(const std::string& list, const std::string& key, const std::string& item)
{
    ElementNode* root = lpFindList(list, false);
    if (!root)
        return nullptr;
    ElementNode* node = key.empty() ? root : root->lpFindChild(key);
    return node ? node->lpFindItem(item) : nullptr;
}

void CElementListTable::vSetKeyTemplate(const std::string& list, const std::string& text)
{
    if (ElementNode* root = lpFindList(list, true))
        root->strKeyTemplate = text;
}

void CElementListTable::vSetItemTemplate(const std::string& list, const std::string& text, bool listFormat,
                                         bool messageFormat)
{
    if (ElementNode* root = lpFindList(list, true))
    {
        root->strItemTemplate = text;
        root->boUseListFormat = listFormat;
        root->boUseMessageFormat = messageFormat;
    }
}

int CElementListTable::iSetMessage(const std::string& list, const std::string& event, const std::string& text)
{
    ElementNode* root = lpFindList(list, false);
    if (!root)
        return 0;
    root->messages[event] = text;
    return 1;
}

int CElementListTable::iSetLinkColour(const std::string& list, const std::string& type, const std::string& text)
{
    ElementNode* root = lpFindList(list, false);
    if (!root)
        return 0;
    root->linkColours[type] = text;
    return 1;
}

namespace
{
int iGetMapped(const ElementNode* root, const std::map<std::string, std::string> ElementNode::*map,
               const std::string& name, std::string& text)
{
    if (!root)
        return 0;
    const auto it = (root->*map).find(name);
    if (it == (root->*map).end())
        return 0;
    text = it->second;
    return 1;
}
} // namespace

int CElementListTable::iGetMessage(const std::string& list, const std::string& event, std::string& text) const
{
    return iGetMapped(lpFindList(list), &ElementNode::messages, event, text);
}

int CElementListTable::iGetLinkColour(const std::string& list, const std::string& type, std::string& text) const
{
    return iGetMapped(lpFindList(list), &ElementNode::linkColours, type, text);
}

int CElementListTable::iSetJoinLink(const std::string& list, const std::string& group, int32_t rank)
{
    ElementNode* root = lpFindList(list, false);
    if (!root)
        return 0;
    root->strJoinGroup = group;
    root->iJoinRank = rank;
    return 1;
}

int CElementListTable::iSetLeaveLink(const std::string& list, const std::string& group, int32_t rank)
{
    ElementNode* root = lpFindList(list, false);
    if (!root)
        return 0;
    root->strLeaveGroup = group;
    root->iLeaveRank = rank;
    return 1;
}

int CElementListTable::iGetJoinLink(const std::string& list, std::string& group, int32_t& rank) const
{
    const ElementNode* root = lpFindList(list);
    if (!root)
        return 0;
    group = root->strJoinGroup;
    rank = root->iJoinRank;
    return group.empty() ? 0 : 1;
}

int CElementListTable::iGetLeaveLink(const std::string& list, std::string& group, int32_t& rank) const
{
    const ElementNode* root = lpFindList(list);
    if (!root)
        return 0;
    group = root->strLeaveGroup;
    rank = root->iLeaveRank;
    return group.empty() ? 0 : 1;
}

int32_t CElementListTable::iExpanded(const std::string& list, const std::string& key)
{
    const ElementNode* node = lpFindKey(list, key);
    return node ? node->iExpanded : 0;
}

bool CElementListTable::boToggleExpanded(const std::string& list, const std::string& key)
{
    ElementNode* node = lpFindKey(list, key);
    if (!node)
        return false;
    node->iExpanded = node->iExpanded == 0 ? 1 : 0;
    return true;
}

} // namespace ChatModel
