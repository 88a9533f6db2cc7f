// The base of a launch plug's worker: the three callback tables it hands to its
// parts (the detection engine, the launched game process, the disk searcher),
// with the default answers of a worker that does not override them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "DiskSearch.h"
#include "LaunchedProcess.h"
#include "XmlDetector.h"

class CPlugWorker : public IDetectOwner, public IProcessCallback, public IDiskSearchOwner
{
public:
    ~CPlugWorker() override = default;

    // Detection engine: every path may be tested; a search completes at once.
    bool boCheckPath(IDetectVersion& version, const std::string& path, int32_t mode) override;
    bool boSearchDisks(const std::vector<std::string>& names, int32_t mode) override;

    // Launched process: it ended, or it has test data to send. No action.
    void vOnProcessEnded(long code, CLaunchedProcess* process) override;
    void vSendTestData() override;

    // Disk searcher: a file found (search thread). No action; progress, completion
    // and cancellation keep the searcher's defaults (no action).
    void vOnFileMatching(const std::string& path) override;
};
