// A document host for the portable tests, fuzzers and benchmark: files and
// the current directory through the C++ library; no resources (they exist
// only in Windows modules), fonts, brushes or images.
#pragma once

#include "HtmlHost.h"

namespace FdHtmlTest
{
class StdFileHost : public CHtmlBareHost
{
public:
    int32_t ReadFile(const std::string& path, uint32_t maxSize, HtmlMemBlock* block, uint32_t* length,
                     std::string* errorText, const std::function<void()>& onAllocated) override;
    std::string CurrentDirectory() override;
};
} // namespace FdHtmlTest
