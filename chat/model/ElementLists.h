// The chat window's element lists: named trees of keys and items that pages
// show and chat messages change. Each list is a root node whose children are
// the keys; keys and items keep the order of their upper-cased display texts
// (equal texts keep their arrival order). Names compare without regard to
// case. Everything here comes from received text, so the table, each node's
// children and each node's items are bounded: past a bound nothing is added.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace ChatModel
{

struct ElementItem
{
    std::string strName;
    std::string strDisplay;
    int32_t iValue = 0;
    int32_t iLevel = 0;
    std::string strText;
};

struct ElementNode
{
    std::string strName;
    std::string strDisplay;
    std::string strKeyTemplate;
    std::string strItemTemplate;
    std::map<std::string, std::string> messages;    // event word -> template
    std::map<std::string, std::string> linkColours; // link type -> attribute text
    int32_t iMaxItem = -1;
    std::string strKeyAttrs;
    int32_t iExpanded = 0;
    int32_t iLevel = -1;
    std::vector<ElementItem> items;
    std::vector<std::unique_ptr<ElementNode>> children;
    std::string strJoinGroup;
    int32_t iJoinRank = 0;
    std::string strLeaveGroup;
    int32_t iLeaveRank = 0;
    bool boUseListFormat = true;
    bool boUseMessageFormat = true;

    ElementNode* lpFindChild(const std::string& name) const;
    ElementItem* lpFindItem(const std::string& name);
    // 1 when made, 0 when an existing one was updated or the bound is reached.
    int iAddKey(const std::string& name, const std::string& display, int32_t maxItem, const std::string& attrs);
    int iAddItem(const std::string& path, const std::string& name, const std::string& display,
                 const std::string& text, int32_t value);
    int iRemoveItem(const std::string& path, const std::string& name);
    // Own items and those of every descendant; children and every descendant.
    size_t uCountItems() const;
    size_t uCountKeys() const;
};

class CElementListTable
{
public:
    static constexpr size_t kMaxLists = 256;
    static constexpr size_t kMaxKeys = 4096;
    static constexpr size_t kMaxItems = 4096;

    // Without creating when create is false; null past kMaxLists.
    ElementNode* lpFindList(const std::string& name, bool create);
    const ElementNode* lpFindList(const std::string& name) const;
    int iAddKey(const std::string& list, const std::string& key, const std::string& display, int32_t maxItem,
                const std::string& attrs);
    int iAddItem(const std::string& list, const std::string& path, const std::string& item,
                 const std::string& display, const std::string& text, int32_t value);
    int iRemoveKey(const std::string& list, const std::string& key);
    int iRemoveItem(const std::string& list, const std::string& path, const std::string& item);
    // Frees the keys and items, keeps the list and its settings.
    int iClearList(const std::string& list);
    ElementNode* lpFindKey(const std::string& list, const std::string& key);
    // An empty key names the list's own items.
    ElementItem* lpFindItem(const std::string& list, const std::string& key, const std::string& item);

    void vSetKeyTemplate(const std::string& list, const std::string& text);
    void vSetItemTemplate(const std::string& list, const std::string& text, bool listFormat, bool messageFormat);
    int iSetMessage(const std::string& list, const std::string& event, const std::string& text);
    int iSetLinkColour(const std::string& list, const std::string& type, const std::string& text);
    int iGetMessage(const std::string& list, const std::string& event, std::string& text) const;
    int iGetLinkColour(const std::string& list, const std::string& type, std::string& text) const;
    int iSetJoinLink(const std::string& list, const std::string& group, int32_t rank);
    int iSetLeaveLink(const std::string& list, const std::string& group, int32_t rank);
    int iGetJoinLink(const std::string& list, std::string& group, int32_t& rank) const;
    int iGetLeaveLink(const std::string& list, std::string& group, int32_t& rank) const;
    // The key's expanded flag; 0 for an unknown key.
    int32_t iExpanded(const std::string& list, const std::string& key);
    // 0 becomes 1, anything else 0; false when there is no such key.
    bool boToggleExpanded(const std::string& list, const std::string& key);

    size_t uSize() const { return m_lists.size(); }
    void vClear() { m_lists.clear(); }

private:
    std::vector<std::unique_ptr<ElementNode>> m_lists;
};

// Upper-cased CP1252 text (ASCII and the accented letters).
std::string strElementUpper(const std::string& text);
bool boElementNameEqual(const std::string& a, const std::string& b);

} // namespace ChatModel
