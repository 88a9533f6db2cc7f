#include "DetectTrees.h"

#include "TextUtil.h"

namespace
{
const char kFound[] = "found:fullpath";

std::string LowerCopy(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool boHasFoundName(CConditionNode& tree, const std::string& name)
{
    std::vector<CConditionNode*> files;
    vCollectFileNodes(tree, files);
    for (const CConditionNode* file : files)
    {
        const std::string found = file->Get(kFound);
        if (!found.empty() && EqualsNoCase(PathFileName(found), name))
            return true;
    }
    return false;
}

void vSetFoundByName(CConditionNode& tree, const std::string& name, const std::string& path)
{
    std::vector<CConditionNode*> files;
    vCollectFileNodes(tree, files);
    for (CConditionNode* file : files)
        if (EqualsNoCase(file->firstText, name))
            file->attributes[kFound] = path;
}

// Found folders (lower case) of the file nodes reached through "and" groups only.
void vCollectAndFolders(const CConditionNode& node, std::vector<std::string>& folders)
{
    if (node.kind == kCondFile)
    {
        if ((node.flags & kCondFlagNoCommonDir) == 0)
            folders.push_back(LowerCopy(PathDirectory(node.Get(kFound))));
    }
    else if (node.kind == kCondAnd)
    {
        for (const auto& child : node.children)
            vCollectAndFolders(*child, folders);
    }
}

bool boNests(const std::string& a, const std::string& b)
{
    return a.find(b) != std::string::npos || b.find(a) != std::string::npos;
}

void vDropStrayPaths(CConditionNode& node, const std::string& common)
{
    if (node.kind == kCondFile)
    {
        if ((node.flags & kCondFlagNoCommonDir) != 0 || !node.boHas(kFound))
            return;
        if (!boNests(LowerCopy(PathDirectory(node.Get(kFound))), common))
            node.attributes.erase(kFound);
        return;
    }
    for (auto& child : node.children)
        vDropStrayPaths(*child, common);
}

void vSetVariable(const CConditionNode& node, const char* word, const std::string& value,
                  DetectVariables& variables)
{
    const std::string name = node.Get(word);
    if (!name.empty())
        variables.emplace_back(name, value);
}
} // namespace

std::string PathDirectory(const std::string& path)
{
    const size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

std::string PathFileName(const std::string& path)
{
    const size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

void vCollectFileNodes(CConditionNode& tree, std::vector<CConditionNode*>& nodes)
{
    if (tree.kind == kCondFile)
        nodes.push_back(&tree);
    for (auto& child : tree.children)
        vCollectFileNodes(*child, nodes);
}

void vOnFileFound(ConditionTrees& trees, const std::string& path)
{
    const std::string name = PathFileName(path);
    if (name.empty())
        return;
    ConditionTrees copies;
    for (auto& tree : trees)
    {
        if (boHasFoundName(*tree, name))
        {
            if (EqualsNoCase(tree->originName, name))
                continue;
            auto copy = tree->Clone();
            copy->originName = name;
            copies.push_back(std::move(copy));
        }
        vSetFoundByName(*tree, name, path);
    }
    for (auto& copy : copies)
        trees.push_back(std::move(copy));
}

void vPruneTrees(ConditionTrees& trees)
{
    for (size_t i = 0; i < trees.size();)
    {
        std::vector<std::string> folders;
        vCollectAndFolders(*trees[i], folders);
        std::string common;
        bool unrelated = false;
        for (const std::string& folder : folders)
        {
            // A file without a folder (not found, or a bare name) says nothing.
            if (folder.empty())
                continue;
            if (common.empty() || folder.find(common) == std::string::npos)
            {
                if (common.empty() || common.find(folder) != std::string::npos)
                    common = folder;
                else
                {
                    unrelated = true;
                    break;
                }
            }
        }
        if (unrelated)
        {
            trees.erase(trees.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        if (!common.empty())
            vDropStrayPaths(*trees[i], common);
        ++i;
    }
}

bool boSameCondition(const CConditionNode& a, const CConditionNode& b)
{
    if (a.kind != b.kind || a.flags != b.flags || a.isGroup != b.isGroup ||
        !EqualsNoCase(a.firstText, b.firstText) || !EqualsNoCase(a.secondText, b.secondText) ||
        a.children.size() != b.children.size())
        return false;
    if (a.kind == kCondFile && !EqualsNoCase(a.Get(kFound), b.Get(kFound)))
        return false;
    for (size_t i = 0; i < a.children.size(); ++i)
        if (!boSameCondition(*a.children[i], *b.children[i]))
            return false;
    return true;
}

void vRemoveDuplicateTrees(ConditionTrees& trees)
{
    for (size_t i = trees.size(); i-- > 1;)
    {
        for (size_t j = 0; j < i; ++j)
            if (boSameCondition(*trees[i], *trees[j]))
            {
                trees.erase(trees.begin() + static_cast<std::ptrdiff_t>(i));
                break;
            }
    }
}

void vCollectVariables(const CConditionNode& tree, IDetectHost& host, DetectVariables& variables)
{
    if (tree.result != 1)
        return;
    if (tree.kind == kCondFile)
    {
        const std::string found = tree.Get(kFound);
        if (!found.empty())
        {
            vSetVariable(tree, "var:fullpath", found, variables);
            vSetVariable(tree, "var:path", PathDirectory(found), variables);
            vSetVariable(tree, "var:name", PathFileName(found), variables);
        }
    }
    else if (tree.kind == kCondReg)
    {
        if (tree.firstText.empty())
            return;
        const std::string value = host.RegReadValue(tree.firstText, tree.secondText, kRegNotFoundMarker);
        if (value == kRegNotFoundMarker)
            return;
        vSetVariable(tree, "var:key", tree.firstText, variables);
        vSetVariable(tree, "var:valname", tree.secondText, variables);
        vSetVariable(tree, "var:val", value, variables);
    }
    for (const auto& child : tree.children)
        vCollectVariables(*child, host, variables);
}
