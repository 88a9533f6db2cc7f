#include "DetectCondition.h"

#include <cstdlib>

#include "FileDigest.h"
#include "TextUtil.h"
#include "XmlDocument.h"
#include "XmlEntities.h"

const char kRegNotFoundMarker[] = "||**NOT$FOUND$VALUE**||";

namespace
{
std::string LowerCopy(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool IsElement(const CXmlTag& tag)
{
    return !tag.IsLeafTag() && !tag.GetName().empty();
}

// Flag words count when present with a non-empty text.
const char* const kRegFlagWords[] = {"exists", "nexists", "isempty", "nisempty"};
const char* const kRegTextWords[] = {"fits", "nfits", "eq", "neq", "gt", "gte", "lt", "lte"};

void vAppendAttribute(std::string& xml, const char* name, const std::string& text)
{
    xml += ' ';
    xml += name;
    xml += "=\"";
    xml += XmlFormatString(text);
    xml += '"';
}

bool boEvaluateFile(CConditionNode& node, IDetectHost& host)
{
    const std::string path = node.Get("found:fullpath");
    if (path.empty() || !host.boFileExists(path))
        return false;
    if (node.boHas("crc32") && !EqualsNoCase(FileCrc32Text(host, path), node.Get("crc32")))
        return false;
    if (node.boHas("sha") && !EqualsNoCase(FileSha1Text(host, path), node.Get("sha")))
        return false;
    return true;
}

bool boEvaluateReg(const CConditionNode& node, IDetectHost& host)
{
    std::string text;
    bool found = false;
    if (!node.firstText.empty())
    {
        text = host.RegReadValue(node.firstText, node.secondText, kRegNotFoundMarker);
        found = text != kRegNotFoundMarker;
        if (!found)
            text.clear();
    }
    if (node.boHas("exists") && !found)
        return false;
    if (node.boHas("nexists") && found)
        return false;
    if (node.boHas("isempty") && !text.empty())
        return false;
    if (node.boHas("nisempty") && text.empty())
        return false;
    if (node.boHas("fits") && !StrMatchesPattern(text, node.Get("fits")))
        return false;
    if (node.boHas("nfits") && StrMatchesPattern(text, node.Get("nfits")))
        return false;
    if (node.boHas("eq") && !EqualsNoCase(text, node.Get("eq")))
        return false;
    if (node.boHas("neq") && EqualsNoCase(text, node.Get("neq")))
        return false;
    const double value = std::atof(text.c_str());
    if (node.boHas("gt") && !(value > std::atof(node.Get("gt").c_str())))
        return false;
    if (node.boHas("gte") && !(value >= std::atof(node.Get("gte").c_str())))
        return false;
    if (node.boHas("lt") && !(value < std::atof(node.Get("lt").c_str())))
        return false;
    if (node.boHas("lte") && !(value <= std::atof(node.Get("lte").c_str())))
        return false;
    return true;
}
} // namespace

std::string FileCrc32Text(IDetectHost& host, const std::string& path)
{
    CCrc32 crc;
    host.boReadFile(path, [&crc](const uint8_t* data, size_t size) { crc.vUpdate(data, size); });
    return crc.GetText();
}

std::string FileSha1Text(IDetectHost& host, const std::string& path)
{
    CSha1 sha;
    host.boReadFile(path, [&sha](const uint8_t* data, size_t size) { sha.vUpdate(data, size); });
    return sha.GetText();
}

bool CConditionNode::boHas(const std::string& word) const
{
    return attributes.find(word) != attributes.end();
}

std::string CConditionNode::Get(const std::string& word) const
{
    const auto it = attributes.find(word);
    return it == attributes.end() ? std::string() : it->second;
}

std::unique_ptr<CConditionNode> CConditionNode::Clone() const
{
    auto copy = std::make_unique<CConditionNode>();
    copy->result = result;
    copy->kind = kind;
    copy->flags = flags;
    copy->isGroup = isGroup;
    copy->firstText = firstText;
    copy->secondText = secondText;
    copy->attributes = attributes;
    copy->originName = originName;
    copy->children.reserve(children.size());
    for (const auto& child : children)
        copy->children.push_back(child->Clone());
    return copy;
}

namespace
{
std::unique_ptr<CConditionNode> lpBuildNode(const CXmlTag& element, IDetectHost& host, int32_t depth,
                                            bool& tooDeep)
{
    if (depth >= kMaxConditionDepth)
    {
        tooDeep = true;
        return nullptr;
    }
    auto node = std::make_unique<CConditionNode>();
    CStringExt name, value;
    for (int32_t i = 0; element.boGetAttributeAt(i, name, value); ++i)
    {
        const std::string word = LowerCopy(name);
        // The first of a repeated attribute counts, as in attribute reads.
        if (!value.empty() && !node->boHas(word))
            node->attributes.emplace(word, value);
    }

    const std::string tagName = element.GetName();
    if (EqualsNoCase(tagName, "and") || EqualsNoCase(tagName, "or"))
    {
        node->kind = EqualsNoCase(tagName, "and") ? kCondAnd : kCondOr;
        for (const CXmlTag* child = element.lpGetNextChildTag(nullptr); child != nullptr;
             child = element.lpGetNextChildTag(child))
        {
            if (!IsElement(*child))
                continue;
            auto childNode = lpBuildNode(*child, host, depth + 1, tooDeep);
            if (tooDeep)
                return nullptr;
            if (childNode != nullptr)
                node->children.push_back(std::move(childNode));
        }
    }
    else if (EqualsNoCase(tagName, "file"))
    {
        node->kind = kCondFile;
        node->isGroup = false;
        node->firstText = node->Get("name");
        node->secondText = node->Get("fullpath");
        if (node->boHas("pathregkey"))
        {
            std::string path = host.RegReadValue(node->Get("pathregkey"), node->Get("pathregvalname"), "");
            if (!path.empty())
            {
                const std::string add = node->Get("regkeyadd");
                if (!add.empty())
                {
                    if (path.back() != '\\')
                        path += '\\';
                    path += add;
                }
                node->secondText = path;
            }
        }
        if (node->boHas("wildpath"))
            node->flags |= kCondFlagNoCommonDir;
    }
    else if (EqualsNoCase(tagName, "reg"))
    {
        node->kind = kCondReg;
        node->isGroup = false;
        node->firstText = node->Get("key");
        node->secondText = node->Get("valname");
    }
    else
    {
        // Unknown elements hold: an empty "and".
        node->attributes.clear();
    }
    return node;
}
} // namespace

std::unique_ptr<CConditionNode> lpBuildConditionNode(const CXmlTag& element, IDetectHost& host, int32_t depth)
{
    bool tooDeep = false;
    return lpBuildNode(element, host, depth, tooDeep);
}

std::unique_ptr<CConditionNode> lpBuildConditionTree(const std::string& scriptText, IDetectHost& host)
{
    CXmlDocument doc;
    doc.vSetOperatingMode(kXmlModeTree);
    if (doc.lLoad("STR://" + scriptText, nullptr) != 0)
        return nullptr;
    for (const CXmlTag* child = doc.lpGetNextChildTag(nullptr); child != nullptr;
         child = doc.lpGetNextChildTag(child))
        if (IsElement(*child))
            return lpBuildConditionNode(*child, host, 0);
    return nullptr;
}

bool boEvaluateCondition(CConditionNode& node, IDetectHost& host)
{
    bool holds = false;
    switch (node.kind)
    {
    case kCondAnd:
    case kCondOr:
    {
        // Every child is evaluated, so each node keeps its own result.
        bool all = true, any = false;
        for (auto& child : node.children)
        {
            const bool childHolds = boEvaluateCondition(*child, host);
            all = all && childHolds;
            any = any || childHolds;
        }
        holds = node.kind == kCondAnd ? all : any;
        break;
    }
    case kCondFile:
        holds = boEvaluateFile(node, host);
        break;
    case kCondReg:
        holds = boEvaluateReg(node, host);
        break;
    default:
        holds = false;
        break;
    }
    node.result = holds ? 1 : 0;
    return holds;
}

std::string csConditionToXml(const CConditionNode& node)
{
    std::string xml;
    switch (node.kind)
    {
    case kCondAnd:
    case kCondOr:
    {
        const char* name = node.kind == kCondAnd ? "and" : "or";
        xml += '<';
        xml += name;
        xml += '>';
        for (const auto& child : node.children)
            xml += csConditionToXml(*child);
        xml += "</";
        xml += name;
        xml += '>';
        break;
    }
    case kCondFile:
        xml += "<file";
        for (const char* word : {"found:fullpath", "crc32", "sha"})
            if (node.boHas(word))
                vAppendAttribute(xml, word, node.Get(word));
        xml += "/>";
        break;
    case kCondReg:
        xml += "<reg";
        if (!node.firstText.empty())
            vAppendAttribute(xml, "key", node.firstText);
        if (!node.secondText.empty())
            vAppendAttribute(xml, "valname", node.secondText);
        for (const char* word : kRegFlagWords)
            if (node.boHas(word))
                vAppendAttribute(xml, word, "1");
        for (const char* word : kRegTextWords)
            if (node.boHas(word))
                vAppendAttribute(xml, word, node.Get(word));
        xml += "/>";
        break;
    default:
        break;
    }
    return xml;
}
