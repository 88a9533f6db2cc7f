#include "PlugWorker.h"

bool CPlugWorker::boCheckPath(IDetectVersion&, const std::string&, int32_t)
{
    return true;
}

bool CPlugWorker::boSearchDisks(const std::vector<std::string>&, int32_t)
{
    return true;
}

void CPlugWorker::vOnGameOver(int32_t) {}

void CPlugWorker::vSendTestData() {}

void CPlugWorker::vOnSearchProgress(const std::string&, double) {}

void CPlugWorker::vOnFileMatching(const std::string&) {}
