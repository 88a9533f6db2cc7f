// CItemTank: structured data of ludexs.itemtank blocks, a tree of named entries
// grouped by context, read by path ("ports/tcp", "server.val", "server").
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ScriptAlert.h"
#include "StringExt.h"
#include "XmlDocument.h"

class CItemTank;

struct ItemTankEntry
{
    CStringExt context;
    CStringExt name;
    CStringExt value;      // content with entities decoded, else the val attribute
    CStringExt attributes; // the tag's raw attribute text
    std::unique_ptr<CItemTank> subTank; // when the content holds tags of its own
};

class CItemTank final : private CXmlEventSink
{
public:
    CItemTank();
    ~CItemTank();
    CItemTank(const CItemTank&) = delete;
    CItemTank& operator=(const CItemTank&) = delete;

    // Reads the tags of text under context. 1 on success; on a parse failure alerts
    // "Failed to load :\n" + text and returns 0.
    int32_t LoadText(const std::string& text, const std::string& context);
    // 1 and the value when the path is found (an empty context matches any).
    int32_t Lookup(const std::string& path, const std::string& context, CStringExt& value) const;
    // The first entry so named (and of that context when it is not empty); null when none.
    ItemTankEntry* Find(const std::string& name, const std::string& context) const;
    // Removes the entries of context, or every entry when context is empty.
    void Remove(const std::string& context);
    size_t GetCount() const { return m_entries.size(); }
    const ItemTankEntry& GetAt(size_t index) const { return *m_entries[index]; }
    void SetAlert(ScriptAlert alert) { m_alert = std::move(alert); }

private:
    int32_t OnPreProcessTag(const CStringExt& name, const CStringExt& attributes, const CXmlNamespace* tagNamespace,
                            const CXmlNamespaceScope& scope, std::string& content, CXmlDocument* document) override;

    std::vector<std::unique_ptr<ItemTankEntry>> m_entries;
    CXmlDocument m_doc;
    CStringExt m_context;
    ScriptAlert m_alert;
    uint32_t m_depth = 0; // nesting of sub-tanks being read, bounded
};
