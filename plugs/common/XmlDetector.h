// The detection engine shared by the launch plugs: loads the detection scripts of
// every game version of a list, runs the file lookups through its owner, evaluates
// the candidate trees and writes the results back into the versions.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "DetectTrees.h"

enum : int32_t
{
    kDetectModeUpdate = 0, // identification scripts ("vtident"), disk search
    kDetectModeCheck = 1,  // stored results ("vcdata"), no disk search
};

// A context dictionary volume of a game version.
class IDetectVolume
{
public:
    virtual ~IDetectVolume() = default;
    virtual void SetAt(const std::string& name, const std::string& value) = 0;
};

// One game version as the engine sees it. Calls that can fail answer false.
class IDetectVersion
{
public:
    virtual ~IDetectVersion() = default;
    virtual bool boGetRawData(std::string& text) = 0;
    virtual bool boGetPlugData(std::string& text) = 0;
    virtual void SetPlugData(const std::string& text) = 0;
    virtual bool boGetLocalInstalStatus(int32_t& status) = 0;
    virtual void SetLocalInstalStatus(int32_t status) = 0;
    virtual void RemoveAllContextDictionnaryVolume() = 0;
    virtual std::shared_ptr<IDetectVolume> CreateContextDictionnaryVolume(const std::string& name) = 0;
    virtual std::shared_ptr<IDetectVolume> GetContextDictionnaryVolume(const std::string& name) = 0;
    virtual void SetIconFile(const std::string& path) = 0;
};

// The game list: its games and the versions of each.
class IDetectGameList
{
public:
    virtual ~IDetectGameList() = default;
    virtual int32_t Count() = 0;
    // False when the game or its versions cannot be had.
    virtual bool boGetGameVersions(int32_t game, std::vector<std::shared_ptr<IDetectVersion>>& versions) = 0;
};

// What the engine asks of the plug during a run.
class IDetectOwner
{
public:
    virtual ~IDetectOwner() = default;
    // May the full path of a file condition of this version be tested?
    virtual bool boCheckPath(IDetectVersion& version, const std::string& path, int32_t mode) = 0;
    // Searches the disks for the names, reporting each file found to the engine's
    // vOnFileFound; false when the search did not complete (cancelled).
    virtual bool boSearchDisks(const std::vector<std::string>& names, int32_t mode) = 0;
};

class CXmlDetector
{
public:
    struct CItem
    {
        std::shared_ptr<IDetectVersion> version;
        ConditionTrees trees;
    };

    // volumeName: "" to make one numbered volume per installation found, else the
    // name of the existing volume that receives the variables.
    CXmlDetector(IDetectHost& host, IDetectOwner& owner, std::string volumeName = "");

    void vReset();
    void vLoadGameList(IDetectGameList& list, int32_t mode);
    void vLoadVersionScript(const std::shared_ptr<IDetectVersion>& version, const std::string& text,
                            int32_t mode);
    // 1 when the run completed (trees pruned when a search ran), 0 when cancelled.
    int32_t lRunDetection(int32_t mode);
    void vOnFileFound(const std::string& path);
    void vEvaluateAll();
    void vSetCheckResults();
    int32_t lWriteUpdateResults();

    // Whole operations: reset, load, run and, when the run completed, evaluate and
    // write the results. 0.
    int32_t lCheckGameList(IDetectGameList* list);
    int32_t lUpdateGameList(IDetectGameList* list);

    const std::vector<CItem>& Items() const { return m_items; }

private:
    IDetectHost& m_host;
    IDetectOwner& m_owner;
    std::string m_volumeName;
    std::vector<CItem> m_items;
};

// The plug-data block of one installation: the condition text escaped once more, as
// the content of a "vcdata" element whose id is the volume name.
std::string csVcdataBlock(const std::string& volumeName, const std::string& conditionXml);
