// The drain of finished downloads (message 1034): the first configuration
// document, the documents asked for by frames and tags, the reload requests.
#include <algorithm>
#include <fstream>
#include <sstream>

#include "ChatModel.h"
#include "ChatTextUtil.h"
#include "TextCase.h"
#include "html/doc/HtmlText.h"

namespace ChatModel
{

using ChatText::boEqualNoCase;

namespace
{

std::string strLowerAscii(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

} // namespace

bool CChatModel::boIsConfigDocument(const std::string& mime, const std::string& address)
{
    if (boEqualNoCase(mime, "application/x-zeltoc-plugin") || boEqualNoCase(mime, "application/x-verbolt"))
        return true;
    if (address.empty())
        return true;
    for (const char* end : {".zeltoc", ".zelto", ".vblt", ".verbolt"})
        if (FdText::EndsWithAsciiNoCase(address, end))
            return true;
    return false;
}

bool CChatModel::boIsFrameShown(const std::string& frame)
{
    return frame.empty() || (m_lpView && m_lpView->boHasFrame(frame));
}

void CChatModel::vApplyTechnicalLoad(const std::string& result, bool inMemory)
{
    if (result.empty() || result == "ERR")
        return;
    if (inMemory)
    {
        iParseMarkup(result);
        return;
    }
    std::ifstream file(result, std::ios::binary);
    if (!file)
        return;
    std::ostringstream text;
    text << file.rdbuf();
    iParseMarkup(text.str());
}

void CChatModel::vDrainDownloads(CFinishedDownloads& queue)
{
    std::vector<std::string> local;
    const auto addOnce = [](std::vector<std::string>& list, const std::string& name)
    {
        if (std::none_of(list.begin(), list.end(),
                         [&](const std::string& n) { return boEqualNoCase(n, name); }))
            list.push_back(name);
    };
    while (std::unique_ptr<FinishedDownload> record = queue.Pop())
    {
        const FinishedDownload& r = *record;
        if (r.boFailed)
        {
            if (cfg.boDebug)
            {
                const std::string shown = HtmlEncodeEntities(r.strUrl);
                msgs.strHistory += "<BLINK>Download Error:</BLINK><A HREF=\"" + shown +
                                   "\" TARGET=OTHERFRAME>" + shown + "</A><BR>";
                vPostRefresh();
            }
            page.requestedDownloads.boSetResult(r.strUrl, std::string(), false);
            continue;
        }
        // Once the chat has its configuration, a document that looks like one
        // but was asked for (a group's configuration, ".vblt" like the
        // first) goes to whoever asked instead of being dropped, which would
        // leave its request pending for ever.
        if (boIsConfigDocument(r.strMime, r.strUrl) &&
            !(page.boConfigReceived && !r.strUrl.empty() && page.requestedDownloads.boHas(r.strUrl)))
        {
            if (!page.boConfigReceived)
            {
                page.boConfigReceived = true;
                page.strConfigUrl = ChatText::strUrlDomain(r.strUrl, false);
                page.strConfigUrlFull = strLowerAscii(ChatText::strUrlDomain(r.strUrl, true));
                page.strCurDomain = page.strConfigUrl;
                page.strCurFullDomain = page.strConfigUrlFull;
                // The document's directives run first (server, formats, logon
                // page): the user interface and the start gate read them.
                vApplyTechnicalLoad(r.boAsFile ? r.strPath : r.strText, !r.boAsFile);
                vLoadUserInterface();
            }
            continue;
        }
        const bool inMemory = !r.boAsFile;
        if (!page.requestedDownloads.boSetResult(r.strUrl, inMemory ? r.strText : r.strPath, inMemory))
            continue;
        bool resultInMemory = false;
        const std::string result = page.requestedDownloads.strGetResult(r.strUrl, &resultInMemory);
        for (const std::string& requester : page.requestedDownloads.Requesters(r.strUrl))
        {
            const bool firstTechnical =
                requester.empty() && page.boFirstDocReceived && !FdText::EndsWithAsciiNoCase(r.strUrl, "gif");
            if (requester == "@TECHLOAD@")
                vApplyTechnicalLoad(result, resultInMemory);
            else if (requester == "@GRPCNFLOAD@" || firstTechnical)
            {
                vApplyTechnicalLoad(result, resultInMemory);
                vPostRefresh();
            }
            else if (page.requestedDownloads.boIsPending(requester))
            {
                addOnce(page.reloadRequests, requester);
                m_lpHost->vRestartReloadTimer();
            }
            else
            {
                addOnce(local, requester);
                if (requester.empty())
                    page.boFirstDocReceived = true;
            }
        }
    }
    for (const std::string& name : local)
    {
        if (!boIsFrameShown(name) || !m_lpView)
            continue;
        m_lpView->vReloadFrame(name, false);
        m_lpView->vSetImageState(name, "@GRPFORM@", cfg.boGroupForm ? 0 : 1);
        page.reloadRequests.erase(std::remove_if(page.reloadRequests.begin(), page.reloadRequests.end(),
                                                 [&](const std::string& n)
                                                 { return boEqualNoCase(n, name); }),
                                  page.reloadRequests.end());
    }
    if (!page.boFocusDone && m_lpView && page.requestedDownloads.strFirstPending().empty() &&
        m_lpView->boFocusControl("CFLD_TEXT"))
        page.boFocusDone = true;
}

void CChatModel::vOnReloadTimer()
{
    const std::vector<std::string> names = std::move(page.reloadRequests);
    page.reloadRequests.clear();
    for (const std::string& name : names)
        if (!name.empty() && m_lpView && m_lpView->boHasFrame(name))
            m_lpView->vReloadFrame(name, false);
}

} // namespace ChatModel
