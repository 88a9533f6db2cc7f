// The base of a launch plug's worker: the callbacks it hands to its parts (the
// detection engine, the launched game process, the disk searcher), each with the
// default answers a worker that does not override them gives.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "XmlDetector.h"

class CPlugWorker : public IDetectOwner
{
public:
    ~CPlugWorker() override = default;

    // Detection engine: every path may be tested; a search completes at once.
    bool boCheckPath(IDetectVersion& version, const std::string& path, int32_t mode) override;
    bool boSearchDisks(const std::vector<std::string>& names, int32_t mode) override;

    // Launched process: it ended (code), or it has test data to send. No action.
    virtual void vOnGameOver(int32_t code);
    virtual void vSendTestData();

    // Disk searcher: progress and a file found. No action.
    virtual void vOnSearchProgress(const std::string& directory, double ratio);
    virtual void vOnFileMatching(const std::string& path);
};
