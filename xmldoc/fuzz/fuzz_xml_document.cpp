// Loads arbitrary bytes as a document with both passes, through a sink that rewrites
// some elements, then walks and dumps the tree.
#include <cstddef>
#include <cstdint>
#include <string>

#include "XmlDocument.h"
#include "XmlEntities.h"

namespace
{
bool IsNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '-' || c == '_' || c == ':';
}

// Trees whose names are plain names and whose character data holds no markup are
// written so that they read back the same (attribute values may hold anything).
bool IsPlainTree(const CXmlDocument& doc)
{
    for (const CXmlTag* tag = doc.lpGetNextTag(nullptr); tag != nullptr; tag = tag->lpGetNextTag(nullptr))
    {
        if (tag->IsLeafTag() && tag->GetText().find_first_of("<>") != std::string::npos)
            return false;
        CStringExt name = tag->GetName(), value;
        for (int32_t i = -1; i < 0 || tag->boGetAttributeAt(i, name, value); ++i)
            for (char c : name)
                if (!IsNameChar(c))
                    return false;
        for (int32_t i = 0; i < tag->GetNamespaceCount(); ++i)
            for (char c : tag->GetNamespaceAt(i)->prefix)
                if (!IsNameChar(c))
                    return false;
    }
    return true;
}

class CFuzzSink : public CXmlEventSink
{
public:
    explicit CFuzzSink(uint8_t mode) : m_mode(mode) {}
    int32_t OnPreProcessTag(const CStringExt& name, const CStringExt&, const CXmlNamespace*,
                            const CXmlNamespaceScope&, std::string& content, CXmlDocument*) override
    {
        if (name.empty())
            return kXmlKeepElement;
        switch ((static_cast<uint8_t>(name[0]) + m_mode) % 4)
        {
        case 0:
            return static_cast<int32_t>(content.size()); // unwrap
        case 1:
            content = "<" + name + ">" + content + "</" + name + ">"; // give it back
            return static_cast<int32_t>(content.size());
        case 2:
            content.clear(); // remove
            return 0;
        default:
            return kXmlKeepElement;
        }
    }

private:
    uint8_t m_mode;
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    CFuzzSink sink(data[0]);
    CXmlDocument doc;
    doc.vSetOperatingMode(data[0] & 3);
    doc.lLoad("STR://" + text, (data[0] & 4) != 0 ? &sink : nullptr);
    CXmlError error;
    doc.GetLastXmlError(&error);

    size_t visited = 0;
    for (const CXmlTag* tag = doc.lpGetNextTag(nullptr); tag != nullptr; tag = tag->lpGetNextTag(nullptr))
    {
        ++visited;
        tag->IsDataTag();
        tag->IsMixedTag();
        tag->GetAttribute("a", "");
        tag->lGetAttributeLong("n", 1);
    }
    const std::string xml = doc.DumpXml(false);
    doc.DumpText(true);
    // What the library writes it reads back to the same text.
    CXmlDocument again;
    again.lLoad("STR://" + xml, nullptr);
    if (doc.GetLastXmlError() == 0 && IsPlainTree(doc) && again.DumpXml(false) != xml)
        __builtin_trap();
    XmlFormatString(XmlUnformatString(text));
    (void)visited;
    return 0;
}
