#include "PageLoader.h"

#include "HttpFetch.h"
#include "Url.h"

namespace FdBrowserHost
{
namespace
{
void vLoad(const std::string& url, int iFrame, int depth, const std::string& userAgent, CHostLog& log,
           SPageModel* pModel, bool* pboTopOk)
{
    std::string body;
    std::string finalUrl;
    std::string error;
    if (!boFetchWhole(url, userAgent, &body, &finalUrl, &error))
    {
        log.vWrite(SLogLine("ERROR").add("what", "page").add("url", url).add("text", error));
        return;
    }
    SLoadedDoc doc;
    SPageError perr;
    if (!boReadPage(body, &doc.page, &perr))
    {
        log.vWrite(SLogLine("ERROR")
                       .add("what", "page")
                       .add("url", finalUrl)
                       .addInt("offset", static_cast<int64_t>(perr.offset))
                       .add("text", perr.strText));
        return;
    }
    doc.strUrl = finalUrl;
    doc.strBase = doc.page.strBaseHref.empty() ? finalUrl : strResolveUrl(finalUrl, doc.page.strBaseHref);
    doc.iFrame = iFrame;
    log.vWrite(SLogLine("PAGE")
                   .add("url", doc.strUrl)
                   .add("frame", strFrameName(pModel->frames, iFrame))
                   .addInt("elements", static_cast<int64_t>(doc.page.elements.size()))
                   .addInt("frames", static_cast<int64_t>(doc.page.frames.size())));
    if (pboTopOk)
        *pboTopOk = true;
    const SPage page = doc.page;
    const std::string base = doc.strBase;
    pModel->docs.push_back(std::move(doc));
    for (const SFrameElement& f : page.frames)
    {
        const int index = static_cast<int>(pModel->frames.size());
        pModel->frames.push_back({f.strName, iFrame});
        const std::string src = f.strSrc.empty() ? std::string("about:blank") : strResolveUrl(base, f.strSrc);
        pModel->frameUrls.push_back(src);
        log.vWrite(SLogLine("FRAME")
                       .add("name", strFrameName(pModel->frames, index))
                       .add("parent", strFrameName(pModel->frames, iFrame))
                       .add("src", src));
        const std::string scheme = strSchemeOf(src);
        if (scheme != "http" && scheme != "file")
            continue;
        if (depth + 1 > kMaxFrameDepth || pModel->docs.size() >= kMaxDocuments)
        {
            log.vWrite(SLogLine("ERROR")
                           .add("what", "page")
                           .add("url", src)
                           .add("text", "frames nested too deep or too many documents"));
            continue;
        }
        vLoad(strStripFragment(src), index, depth + 1, userAgent, log, pModel, nullptr);
    }
}
} // namespace

bool boFetchWhole(const std::string& url, const std::string& userAgent, std::string* pBody,
                  std::string* pFinalUrl, std::string* pError)
{
    SFetchRequest req;
    req.strUrl = url;
    req.strUserAgent = userAgent;
    CFetch fetch(req, nullptr, 0, 0);
    if (!fetch.boWaitDone(kPageTimeoutMs))
    {
        *pError = "time-out";
        return false;
    }
    SFetchState state;
    fetch.vTake(pBody, &state);
    if (!state.boOk)
    {
        *pError = state.strError;
        return false;
    }
    *pFinalUrl = state.strFinalUrl;
    return true;
}

bool boLoadPage(const std::string& url, const std::string& userAgent, CHostLog& log, SPageModel* pModel)
{
    bool boTopOk = false;
    vLoad(strStripFragment(url), -1, 0, userAgent, log, pModel, &boTopOk);
    return boTopOk;
}
} // namespace FdBrowserHost
