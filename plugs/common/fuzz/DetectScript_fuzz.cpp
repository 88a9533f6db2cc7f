// Builds a detection script from arbitrary bytes, fills it with found files named
// after its own file nodes, prunes, evaluates it against a fixed fake machine, writes
// it back and builds the written text again. The same bytes, taken as a version's
// text, go through an update and the check of what it wrote, and are read for a
// version's launch command.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "DetectTrees.h"
#include "VersionLaunch.h"
#include "XmlDetector.h"

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

class CFuzzVolume : public IDetectVolume
{
public:
    void SetAt(const std::string&, const std::string&) override {}
};

class CFuzzVersion : public IDetectVersion
{
public:
    std::string text;
    int32_t status = 0;
    int32_t volumes = 0;

    bool boGetRawData(std::string& out) override
    {
        out = text;
        return true;
    }
    bool boGetPlugData(std::string& out) override
    {
        out = text;
        return true;
    }
    void SetPlugData(const std::string& value) override { text = value; }
    bool boGetLocalInstalStatus(int32_t& out) override
    {
        out = status;
        return true;
    }
    void SetLocalInstalStatus(int32_t value) override { status = value; }
    void RemoveAllContextDictionnaryVolume() override { volumes = 0; }
    std::shared_ptr<IDetectVolume> CreateContextDictionnaryVolume(const std::string&) override
    {
        ++volumes;
        return std::make_shared<CFuzzVolume>();
    }
    std::shared_ptr<IDetectVolume> GetContextDictionnaryVolume(const std::string&) override
    {
        return std::make_shared<CFuzzVolume>();
    }
    void SetIconFile(const std::string&) override {}
};

class CFuzzList : public IDetectGameList
{
public:
    std::shared_ptr<IDetectVersion> version;
    int32_t Count() override { return 1; }
    bool boGetGameVersions(int32_t, std::vector<std::shared_ptr<IDetectVersion>>& versions) override
    {
        versions = {version};
        return true;
    }
};

// Finds every name asked for in two folders.
class CFuzzOwner : public IDetectOwner
{
public:
    CXmlDetector* detector = nullptr;
    bool boCheckPath(IDetectVersion&, const std::string& path, int32_t) override
    {
        return path.size() % 2 == 0;
    }
    bool boSearchDisks(const std::vector<std::string>& names, int32_t) override
    {
        for (size_t i = 0; i < names.size() && i < 8; ++i)
        {
            detector->vOnFileFound("C:\\A&\"\\" + names[i]);
            detector->vOnFileFound("C:\\A&\"\\B\\" + names[i]);
        }
        return true;
    }
};

void vDetectVersionText(const std::string& text)
{
    CFuzzHost host;
    CFuzzOwner owner;
    CXmlDetector detector(host, owner);
    owner.detector = &detector;
    CFuzzList list;
    auto version = std::make_shared<CFuzzVersion>();
    version->text = text;
    list.version = version;
    detector.lUpdateGameList(&list);
    if (version->text.empty() || version->text == text)
        return; // nothing written
    // Every block written reads back as one tree.
    detector.vReset();
    detector.vLoadGameList(list, kDetectModeCheck);
    if (detector.Items().size() != 1 ||
        detector.Items()[0].trees.size() != static_cast<size_t>(version->volumes))
        __builtin_trap();
    detector.lCheckGameList(&list);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    vDetectVersionText(std::string(reinterpret_cast<const char*>(data), size));
    // The same bytes as a version's raw data holding launch commands.
    SLaunchCommand command;
    boReadLaunchCommand(std::string(reinterpret_cast<const char*>(data), size), "play", command);
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
