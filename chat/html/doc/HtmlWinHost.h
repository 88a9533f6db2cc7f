// CHtmlWinHost: the document's host over Windows files, RT_HTML resources
// and the current directory. It lends no fonts, brushes or images: the
// view's host (CHtmlGdiHost) adds those.
#pragma once

#include "HtmlHost.h"

class CHtmlWinHost : public CHtmlBareHost
{
public:
    int32_t ReadFile(const std::string& path, uint32_t maxSize, HtmlMemBlock* block, uint32_t* length,
                     std::string* errorText, const std::function<void()>& onAllocated) override;
    bool ReadResource(void* module, const char* name, uint32_t id, std::string* text) override;
    std::string CurrentDirectory() override;
};
