#include "XmlDetector.h"

#include <cstdio>
#include <utility>

#include "TextUtil.h"
#include "XmlDocument.h"
#include "XmlEntities.h"

namespace
{
// The first file node of the tree, depth-first, that marks the version's icon file.
const CConditionNode* lpFindIconFile(const CConditionNode& node)
{
    if (node.kind == kCondFile && node.boHas("iconfile"))
        return &node;
    for (const auto& child : node.children)
        if (const CConditionNode* found = lpFindIconFile(*child))
            return found;
    return nullptr;
}

bool boAnyTreeTrue(const ConditionTrees& trees)
{
    if (trees.empty())
        return true; // a version whose text holds no script counts as installed
    for (const auto& tree : trees)
        if (tree->result != 0)
            return true;
    return false;
}
} // namespace

std::string csVcdataBlock(const std::string& volumeName, const std::string& conditionXml)
{
    // The condition text already carries its attribute texts escaped; as element
    // content it is escaped again, which the loader's unescaping takes off.
    std::string block = "<vcdata id=\"";
    block += XmlFormatString(volumeName);
    block += "\">";
    block += XmlFormatString(conditionXml);
    block += "</vcdata>";
    return block;
}

CXmlDetector::CXmlDetector(IDetectHost& host, IDetectOwner& owner, std::string volumeName)
    : m_host(host), m_owner(owner), m_volumeName(std::move(volumeName))
{
}

void CXmlDetector::vReset()
{
    m_items.clear();
}

void CXmlDetector::vLoadGameList(IDetectGameList& list, int32_t mode)
{
    const int32_t count = list.Count();
    for (int32_t game = 0; game < count; ++game)
    {
        std::vector<std::shared_ptr<IDetectVersion>> versions;
        if (!list.boGetGameVersions(game, versions))
            continue;
        for (const auto& version : versions)
        {
            if (version == nullptr)
                continue;
            std::string text;
            const bool got =
                mode == kDetectModeCheck ? version->boGetPlugData(text) : version->boGetRawData(text);
            if (got)
                vLoadVersionScript(version, text, mode);
        }
    }
}

void CXmlDetector::vLoadVersionScript(const std::shared_ptr<IDetectVersion>& version, const std::string& text,
                                      int32_t mode)
{
    if (text.empty())
        return;
    CXmlDocument doc;
    doc.vSetOperatingMode(kXmlModeTree);
    if (doc.lLoad("STR://" + text, nullptr) != 0)
        return;
    const CXmlTag* root = doc.lpGetRootTag();
    if (root == nullptr)
        return;
    const char* const scriptTag = mode == kDetectModeCheck ? "vcdata" : "vtident";
    CItem item;
    item.version = version;
    for (const CXmlTag* child = root->lpGetNextChildTag(nullptr); child != nullptr;
         child = root->lpGetNextChildTag(child))
    {
        if (child->IsLeafTag() || !EqualsNoCase(child->GetName(), scriptTag))
            continue;
        const std::string script = child->DumpValue(true);
        if (script.empty())
            continue;
        if (auto tree = lpBuildConditionTree(script, m_host))
            item.trees.push_back(std::move(tree));
    }
    m_items.push_back(std::move(item));
}

int32_t CXmlDetector::lRunDetection(int32_t mode)
{
    std::vector<std::pair<CItem*, CConditionNode*>> files;
    for (CItem& item : m_items)
        for (auto& tree : item.trees)
        {
            std::vector<CConditionNode*> nodes;
            vCollectFileNodes(*tree, nodes);
            for (CConditionNode* node : nodes)
                files.emplace_back(&item, node);
        }
    if (files.empty())
        return 1;

    std::vector<std::string> names;
    for (auto& [item, node] : files)
    {
        if (!node->firstText.empty())
            names.push_back(node->firstText);
        else if (!node->secondText.empty() && m_owner.boCheckPath(*item->version, node->secondText, mode) &&
                 m_host.boFileExists(node->secondText))
            node->attributes["found:fullpath"] = node->secondText;
    }
    if (names.empty())
        return 1;
    // The search reports found files through vOnFileFound, which may copy trees: the
    // node pointers above are not used past this point.
    if (!m_owner.boSearchDisks(names, mode))
        return 0;
    for (CItem& item : m_items)
    {
        vPruneTrees(item.trees);
        vRemoveDuplicateTrees(item.trees);
    }
    return 1;
}

void CXmlDetector::vOnFileFound(const std::string& path)
{
    for (CItem& item : m_items)
        ::vOnFileFound(item.trees, path);
}

void CXmlDetector::vEvaluateAll()
{
    for (CItem& item : m_items)
        for (auto& tree : item.trees)
            boEvaluateCondition(*tree, m_host);
}

void CXmlDetector::vSetCheckResults()
{
    for (CItem& item : m_items)
    {
        int32_t status = 0;
        if (!item.version->boGetLocalInstalStatus(status) || status == -1)
            continue;
        item.version->SetLocalInstalStatus(boAnyTreeTrue(item.trees) ? 1 : -1);
    }
}

int32_t CXmlDetector::lWriteUpdateResults()
{
    for (CItem& item : m_items)
    {
        IDetectVersion& version = *item.version;
        int32_t status = 0;
        if (!version.boGetLocalInstalStatus(status) || status == -1)
            continue;
        if (m_volumeName.empty())
        {
            version.SetPlugData("");
            version.RemoveAllContextDictionnaryVolume();
        }
        for (size_t i = 0; i < item.trees.size(); ++i)
        {
            const CConditionNode& tree = *item.trees[i];
            if (tree.result == 0)
                continue;
            const std::string condition = csConditionToXml(tree);
            if (condition.empty())
                continue;
            std::string name = m_volumeName;
            std::shared_ptr<IDetectVolume> volume;
            if (!name.empty())
                volume = version.GetContextDictionnaryVolume(name);
            else
            {
                char number[16];
                std::snprintf(number, sizeof number, "%i", static_cast<int>(i));
                name = number;
                volume = version.CreateContextDictionnaryVolume(name);
            }
            if (volume == nullptr)
                continue;
            std::string plugData;
            if (!version.boGetPlugData(plugData))
                plugData.clear();
            version.SetPlugData(plugData + csVcdataBlock(name, condition));
            DetectVariables variables;
            vCollectVariables(tree, m_host, variables);
            for (const auto& [variable, value] : variables)
                volume->SetAt(variable, value);
        }
        for (const auto& tree : item.trees)
        {
            const CConditionNode* icon = lpFindIconFile(*tree);
            if (icon != nullptr && !icon->Get("found:fullpath").empty())
                version.SetIconFile(icon->Get("found:fullpath"));
        }
        version.SetLocalInstalStatus(boAnyTreeTrue(item.trees) ? 1 : -1);
    }
    return 0;
}

int32_t CXmlDetector::lCheckGameList(IDetectGameList* list)
{
    if (list == nullptr)
        return 0;
    vReset();
    vLoadGameList(*list, kDetectModeCheck);
    if (lRunDetection(kDetectModeCheck) != 0)
    {
        vEvaluateAll();
        vSetCheckResults();
    }
    return 0;
}

int32_t CXmlDetector::lUpdateGameList(IDetectGameList* list)
{
    if (list == nullptr)
        return 0;
    vReset();
    vLoadGameList(*list, kDetectModeUpdate);
    if (lRunDetection(kDetectModeUpdate) != 0)
    {
        vEvaluateAll();
        lWriteUpdateResults();
    }
    return 0;
}
