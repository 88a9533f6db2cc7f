// Builds a detection script from arbitrary bytes, fills it with found files named
// after its own file nodes, prunes, evaluates it against a fixed fake machine, writes
// it back and builds the written text again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "DetectTrees.h"

namespace
{
class CFuzzHost : public IDetectHost
{
public:
    bool boFileExists(const std::string& path) override { return !path.empty() && path[0] != 'X'; }
    bool boReadFile(const std::string& path, const ByteSink& sink) override
    {
        sink(reinterpret_cast<const uint8_t*>(path.data()), path.size());
        return true;
    }
    std::string RegReadValue(const std::string& key, const std::string& valueName,
                             const std::string& defaultText) override
    {
        return key.size() % 3 == 0 ? defaultText : valueName;
    }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CFuzzHost host;
    auto tree = lpBuildConditionTree(std::string(reinterpret_cast<const char*>(data), size), host);
    if (tree == nullptr)
        return 0;
    std::vector<CConditionNode*> files;
    vCollectFileNodes(*tree, files);
    std::vector<std::string> names;
    for (const CConditionNode* file : files)
        names.push_back(file->firstText);
    ConditionTrees trees;
    trees.push_back(std::move(tree));
    const char* const folders[] = {"C:\\A\\", "C:\\A\\B\\", "D:\\"};
    for (size_t i = 0; i < names.size() && i < 8; ++i)
        vOnFileFound(trees, folders[i % 3] + names[i]);
    vPruneTrees(trees);
    vRemoveDuplicateTrees(trees);
    for (auto& candidate : trees)
    {
        boEvaluateCondition(*candidate, host);
        DetectVariables variables;
        vCollectVariables(*candidate, host, variables);
        const std::string xml = csConditionToXml(*candidate);
        if (!xml.empty() && lpBuildConditionTree(xml, host) == nullptr)
            __builtin_trap(); // what the writer gives must read back
    }
    return 0;
}
