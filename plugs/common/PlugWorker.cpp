#include "PlugWorker.h"

bool CPlugWorker::boCheckPath(IDetectVersion&, const std::string&, int32_t)
{
    return true;
}

bool CPlugWorker::boSearchDisks(const std::vector<std::string>&, int32_t)
{
    return true;
}

void CPlugWorker::vOnProcessEnded(long, CLaunchedProcess*) {}

void CPlugWorker::vSendTestData() {}

void CPlugWorker::vOnFileMatching(const std::string&) {}
