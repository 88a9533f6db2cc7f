// Reads the page and, depth first, the documents of its frames, so that
// every EMBED and OBJECT is known with the frame that holds it.
#pragma once

#include "FrameTargets.h"
#include "HostLog.h"
#include "PageReader.h"

#include <string>
#include <vector>

namespace FdBrowserHost
{
constexpr int kMaxFrameDepth = 4;
constexpr std::size_t kMaxDocuments = 16;
constexpr unsigned long kPageTimeoutMs = 15000;

struct SLoadedDoc
{
    std::string strUrl;  // where it was read
    std::string strBase; // what its relative addresses resolve against
    int iFrame = -1;     // the frame showing it; -1: the top window
    SPage page;
};

struct SPageModel
{
    std::vector<SFrameNode> frames;     // every FRAME and IFRAME, depth first
    std::vector<std::string> frameUrls; // what each frame shows (its src, then what it was navigated to)
    std::vector<SLoadedDoc> docs;       // the page first, then its frames' documents depth first
};

// Each document read is logged as PAGE, each FRAME as FRAME, each failure
// as ERROR. False when the page itself cannot be read.
bool boLoadPage(const std::string& url, const std::string& userAgent, CHostLog& log, SPageModel* pModel);

// What a transfer of url gives, waiting at most kPageTimeoutMs; false with a
// reason.
bool boFetchWhole(const std::string& url, const std::string& userAgent, std::string* pBody,
                  std::string* pFinalUrl, std::string* pError);
} // namespace FdBrowserHost
