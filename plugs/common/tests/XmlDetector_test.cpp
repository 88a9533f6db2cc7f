#include "XmlDetector.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "XmlEntities.h"

namespace
{
class CFakeHost : public IDetectHost
{
public:
    std::map<std::string, std::string> files;
    std::map<std::string, std::string> registry;

    bool boFileExists(const std::string& path) override { return files.count(path) != 0; }
    bool boReadFile(const std::string& path, const ByteSink& sink) override
    {
        const auto it = files.find(path);
        if (it == files.end())
            return false;
        sink(reinterpret_cast<const uint8_t*>(it->second.data()), it->second.size());
        return true;
    }
    std::string RegReadValue(const std::string& key, const std::string& valueName,
                             const std::string& defaultText) override
    {
        const auto it = registry.find(key + "|" + valueName);
        return it == registry.end() ? defaultText : it->second;
    }
};

class CFakeVolume : public IDetectVolume
{
public:
    std::map<std::string, std::string> values;
    void SetAt(const std::string& name, const std::string& value) override { values[name] = value; }
};

class CFakeVersion : public IDetectVersion
{
public:
    std::string rawData, plugData, iconFile;
    bool failPlugData = false;
    int32_t status = 0;
    std::map<std::string, std::shared_ptr<CFakeVolume>> volumes;

    bool boGetRawData(std::string& text) override
    {
        text = rawData;
        return true;
    }
    bool boGetPlugData(std::string& text) override
    {
        text = plugData;
        return !failPlugData;
    }
    void SetPlugData(const std::string& text) override { plugData = text; }
    bool boGetLocalInstalStatus(int32_t& value) override
    {
        value = status;
        return true;
    }
    void SetLocalInstalStatus(int32_t value) override { status = value; }
    void RemoveAllContextDictionnaryVolume() override { volumes.clear(); }
    std::shared_ptr<IDetectVolume> CreateContextDictionnaryVolume(const std::string& name) override
    {
        return volumes[name] = std::make_shared<CFakeVolume>();
    }
    std::shared_ptr<IDetectVolume> GetContextDictionnaryVolume(const std::string& name) override
    {
        const auto it = volumes.find(name);
        return it == volumes.end() ? nullptr : it->second;
    }
    void SetIconFile(const std::string& path) override { iconFile = path; }
};

class CFakeList : public IDetectGameList
{
public:
    std::vector<std::vector<std::shared_ptr<IDetectVersion>>> games;
    int32_t failingGame = -1;

    int32_t Count() override { return static_cast<int32_t>(games.size()); }
    bool boGetGameVersions(int32_t game, std::vector<std::shared_ptr<IDetectVersion>>& versions) override
    {
        if (game == failingGame)
            return false;
        versions = games[static_cast<size_t>(game)];
        return true;
    }
};

// Reports the files of its table for the names asked; refuses the paths it is told to.
class CFakeOwner : public IDetectOwner
{
public:
    CXmlDetector* detector = nullptr;
    std::multimap<std::string, std::string> found; // name -> full path
    std::vector<std::string> refusedPaths;
    std::vector<std::string> searchedNames;
    int32_t searches = 0;
    bool cancel = false;

    bool boCheckPath(IDetectVersion&, const std::string& path, int32_t) override
    {
        for (const auto& refused : refusedPaths)
            if (refused == path)
                return false;
        return true;
    }
    bool boSearchDisks(const std::vector<std::string>& names, int32_t mode) override
    {
        ++searches;
        searchedNames = names;
        if (mode == kDetectModeCheck)
            return true;
        for (const auto& [name, path] : found)
            for (const auto& wanted : names)
                if (wanted == name)
                {
                    detector->vOnFileFound(path);
                    break;
                }
        return !cancel;
    }
};

// A text of escaped scripts, one element each, as the game definitions carry them.
std::string Scripts(const char* tag, std::initializer_list<std::string> scripts)
{
    std::string text;
    for (const auto& script : scripts)
        text += std::string("<") + tag + ">" + XmlFormatString(script) + "</" + tag + ">";
    return text;
}

struct CRig
{
    CFakeHost host;
    CFakeOwner owner;
    CXmlDetector detector;
    CFakeList list;
    std::shared_ptr<CFakeVersion> version = std::make_shared<CFakeVersion>();

    explicit CRig(const std::string& volumeName = "") : detector(host, owner, volumeName)
    {
        owner.detector = &detector;
        list.games.push_back({version});
    }
};

TEST(XmlDetector, OneFileInTwoFoldersWritesTwoVolumesAndChecksBack)
{
    CRig rig;
    const std::string first = "C:\\Jeux & \"Co\"\\Game\\GAME.EXE";
    const std::string second = "D:\\Game\\GAME.EXE";
    rig.host.files = {{first, "a"}, {second, "b"}};
    rig.owner.found = {{"GAME.EXE", first}, {"GAME.EXE", second}};
    rig.version->rawData =
        Scripts("vtident", {"<and><file name=\"GAME.EXE\" var:path=\"dir\" iconfile=\"1\"/></and>"});
    rig.version->plugData = "<vcdata id=\"9\">stale</vcdata>";
    rig.version->volumes["9"] = std::make_shared<CFakeVolume>();

    EXPECT_EQ(rig.detector.lUpdateGameList(&rig.list), 0);
    EXPECT_EQ(rig.version->status, 1);
    ASSERT_EQ(rig.version->volumes.size(), 2u);
    // The original tree holds the latest location, its copy the earlier one.
    EXPECT_EQ(rig.version->volumes["0"]->values["dir"], "D:\\Game");
    EXPECT_EQ(rig.version->volumes["1"]->values["dir"], "C:\\Jeux & \"Co\"\\Game");
    EXPECT_EQ(rig.version->iconFile, first);
    EXPECT_EQ(rig.version->plugData.find("stale"), std::string::npos);

    // The stored blocks read back with the exact paths, and a check needs no search.
    rig.owner.searches = 0;
    rig.version->status = 0;
    EXPECT_EQ(rig.detector.lCheckGameList(&rig.list), 0);
    EXPECT_EQ(rig.owner.searches, 0);
    ASSERT_EQ(rig.detector.Items().size(), 1u);
    ASSERT_EQ(rig.detector.Items()[0].trees.size(), 2u);
    EXPECT_EQ(rig.detector.Items()[0].trees[1]->children.at(0)->Get("found:fullpath"), first);
    EXPECT_EQ(rig.version->status, 1);

    rig.host.files.erase(first);
    rig.detector.lCheckGameList(&rig.list);
    EXPECT_EQ(rig.version->status, 1);
    rig.host.files.erase(second);
    rig.detector.lCheckGameList(&rig.list);
    EXPECT_EQ(rig.version->status, -1);
    // Not installed stays so for both operations.
    rig.host.files[second] = "b";
    rig.detector.lCheckGameList(&rig.list);
    rig.detector.lUpdateGameList(&rig.list);
    EXPECT_EQ(rig.version->status, -1);
}

TEST(XmlDetector, CancelledSearchWritesNothing)
{
    CRig rig;
    rig.host.files = {{"C:\\G\\GAME.EXE", ""}};
    rig.owner.found = {{"GAME.EXE", "C:\\G\\GAME.EXE"}};
    rig.owner.cancel = true;
    rig.version->rawData = Scripts("vtident", {"<file name=\"GAME.EXE\"/>"});
    rig.version->plugData = "kept";
    rig.detector.lUpdateGameList(&rig.list);
    EXPECT_EQ(rig.owner.searches, 1);
    EXPECT_EQ(rig.version->plugData, "kept");
    EXPECT_EQ(rig.version->status, 0);
}

TEST(XmlDetector, FullPathsGoThroughTheOwnerAndNeedNoSearch)
{
    CRig rig;
    rig.host.files = {{"C:\\A\\X.EXE", ""}, {"C:\\A\\Y.EXE", ""}};
    rig.version->rawData =
        Scripts("VTIDENT", {"<file fullpath=\"C:\\A\\X.EXE\"/>", "<file fullpath=\"C:\\A\\Y.EXE\"/>"});
    rig.owner.refusedPaths = {"C:\\A\\X.EXE"};
    rig.detector.lUpdateGameList(&rig.list);
    EXPECT_EQ(rig.owner.searches, 0);
    EXPECT_EQ(rig.version->status, 1);
    ASSERT_EQ(rig.version->volumes.count("1"), 1u);
    EXPECT_EQ(rig.version->volumes.count("0"), 0u);
    EXPECT_EQ(rig.version->plugData,
              "<vcdata id=\"1\">" + XmlFormatString("<file found:fullpath=\"C:\\A\\Y.EXE\"/>") + "</vcdata>");
}

TEST(XmlDetector, StatusOfVersionsWithoutScripts)
{
    struct Case
    {
        const char* plugData;
        int32_t before, after;
    } cases[] = {
        {"<other/>", 0, 1}, // loads, holds no script: installed
        {"", 0, 0},         // empty text: unchanged
        {"<vcdata>&lt;broken</vcdata>", 0, 1},
        {"<vcdata/>", -1, -1},
    };
    for (const Case& c : cases)
    {
        CRig rig;
        rig.version->plugData = c.plugData;
        rig.version->status = c.before;
        rig.detector.lCheckGameList(&rig.list);
        EXPECT_EQ(rig.version->status, c.after) << c.plugData;
    }
}

TEST(XmlDetector, LoadingSkipsWhatCannotBeHad)
{
    CRig rig;
    auto other = std::make_shared<CFakeVersion>();
    auto failing = std::make_shared<CFakeVersion>();
    failing->failPlugData = true;
    for (auto* v : {rig.version.get(), other.get(), failing.get()})
        v->plugData = "<vcdata id=\"0\">&lt;and/&gt;</vcdata>";
    rig.list.games.push_back({failing, nullptr, other});
    rig.list.games.push_back({std::make_shared<CFakeVersion>()});
    rig.list.failingGame = 2;
    rig.detector.vLoadGameList(rig.list, kDetectModeCheck);
    ASSERT_EQ(rig.detector.Items().size(), 2u);
    EXPECT_EQ(rig.detector.Items()[1].version, other);
    EXPECT_EQ(rig.detector.Items()[1].trees.size(), 1u);
    EXPECT_EQ(rig.detector.lCheckGameList(nullptr), 0);
}

TEST(XmlDetector, NamedVolumeKeepsPlugDataAndTakesExistingVolume)
{
    CRig rig("DP");
    rig.host.registry = {{"HKEY_LOCAL_MACHINE\\Soft|Path", "C:\\G"}};
    rig.version->rawData = Scripts("vtident", {"<reg key=\"HKEY_LOCAL_MACHINE\\Soft\" valname=\"Path\" "
                                               "exists=\"1\" var:val=\"where\"/>"});
    rig.version->plugData = "<old/>";
    auto volume = std::make_shared<CFakeVolume>();
    rig.version->volumes["DP"] = volume;
    rig.detector.lUpdateGameList(&rig.list);
    EXPECT_EQ(rig.version->status, 1);
    EXPECT_EQ(volume->values["where"], "C:\\G");
    EXPECT_EQ(rig.version->plugData.rfind("<old/><vcdata id=\"DP\">", 0), 0u);
    // Without the volume nothing is written, yet the tree holds.
    CRig bare("DP");
    bare.host.registry = rig.host.registry;
    bare.version->rawData = rig.version->rawData;
    bare.detector.lUpdateGameList(&bare.list);
    EXPECT_EQ(bare.version->plugData, "");
    EXPECT_EQ(bare.version->status, 1);
}
} // namespace
