// The detection conditions' machine: files through the file system, values through
// the registry. Shared by both launch plugs.
#pragma once

#include "DetectHost.h"

class CWinDetectHost : public IDetectHost
{
public:
    bool boFileExists(const std::string& path) override;
    // Streams the file in pieces (shared read, sequential scan).
    bool boReadFile(const std::string& path, const ByteSink& sink) override;
    std::string RegReadValue(const std::string& key, const std::string& valueName,
                             const std::string& defaultText) override;
};
