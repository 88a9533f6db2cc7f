// Builds a detection script from arbitrary bytes, evaluates it against a fixed fake
// machine, writes it back and builds the written text again.
#include <cstddef>
#include <cstdint>
#include <string>

#include "DetectCondition.h"

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
    boEvaluateCondition(*tree, host);
    auto copy = tree->Clone();
    const std::string xml = csConditionToXml(*copy);
    if (!xml.empty() && lpBuildConditionTree(xml, host) == nullptr)
        __builtin_trap(); // what the writer gives must read back
    return 0;
}
