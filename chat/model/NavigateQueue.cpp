// Queued frame navigation (message 1041): the requests that ACT_NAV, DYN_NAV
// and the link words queue, carried out together on the frames their target
// patterns name.
#include "ChatModel.h"
#include "ChatTextUtil.h"
#include "HtmlAttr.h"

namespace ChatModel
{

using ChatText::boEqualNoCase;
using ChatText::boStartsNoCase;

namespace
{

const char* const kNoCacheMark = "=@NOCACHE@=";
constexpr size_t kNoCacheMarkLength = 11;
// Framesets nest a few levels; a view that claims more is not followed.
constexpr int kMaxFrameDepth = 16;

bool boListed(const std::vector<std::string>& names, const std::string& name)
{
    for (const std::string& n : names)
        if (boEqualNoCase(n, name))
            return true;
    return false;
}

// The address without the "@WCLR=" colour that may follow it.
std::string strWithoutColour(const std::string& address)
{
    const size_t at = address.size() > 5 ? address.find("@WCLR=") : std::string::npos;
    return at == std::string::npos ? address : address.substr(0, at);
}

} // namespace

void CChatModel::vResolveFrames(const std::string& pattern, std::vector<std::string>& names,
                                const std::string& frame)
{
    if (pattern.find('*') == std::string::npos)
    {
        names.push_back(pattern);
        return;
    }
    if (!m_lpView)
        return;
    // Frames in order, each followed by the frames nested in it; a matching
    // frame is searched as well, so "*" and "c*" reach frames nested in
    // frames that match themselves.
    struct Walk
    {
        IChatView& view;
        const std::string& pattern;
        std::vector<std::string>& names;
        void vVisit(const std::string& parent, int depth)
        {
            for (const std::string& name : view.FrameNames(parent))
            {
                if (name.empty())
                    continue;
                if (ChatText::boWildcardMatch(name, pattern) && !boListed(names, name))
                    names.push_back(name);
                if (depth + 1 < kMaxFrameDepth)
                    vVisit(name, depth + 1);
            }
        }
    } walk{*m_lpView, pattern, names};
    walk.vVisit(frame, 0);
}

void CChatModel::vOnNavigateQueue()
{
    // Taken out first: the pages loaded below may queue further requests,
    // which the message they post carries out.
    std::vector<std::string> requests;
    requests.swap(page.navQueue);
    if (!m_lpView)
        return;
    for (const std::string& request : requests)
    {
        const size_t semicolon = request.find(';');
        if (semicolon == std::string::npos)
            continue;
        std::vector<std::string> names;
        vResolveFrames(request.substr(0, semicolon), names);
        std::string address = request.substr(semicolon + 1);
        const bool noCache = address.size() > 10 && address.compare(0, kNoCacheMarkLength, kNoCacheMark) == 0;
        if (noCache)
            address.erase(0, kNoCacheMarkLength);
        std::string basePath;
        if (!address.empty())
        {
            const bool text = boStartsNoCase(address, "str://");
            if (text && !cfg.boNarnru)
                basePath = page.strDefRootPath.empty() ? m_lpView->strRootPath() : page.strDefRootPath;
            // A document given as text keeps its placeholders unless the page
            // asked for the older behaviour.
            if (!text || cfg.boSpbc)
                address = strExpandVars(address);
        }
        for (const std::string& name : names)
        {
            if (name.empty() || !m_lpView->boHasFrame(name))
                continue;
            // The download list holds addresses as they were requested,
            // variables expanded: those are the ones dropped.
            if (noCache)
            {
                const std::string cached =
                    strWithoutColour(address.empty() ? m_lpView->strFrameAddress(name) : address);
                if (!cached.empty())
                    page.requestedDownloads.vRemove(cached);
            }
            m_lpView->vNavigateFrame(name, address, basePath);
        }
    }
}

std::string CChatModel::strResolveAddress(const std::string& address)
{
    if (address.empty() || !m_lpView || page.boKeepAddresses || !IsRelativeAddress(address))
        return address;
    std::string base = page.strBaseAddress.empty() ? m_lpView->strRootPath() : page.strBaseAddress;
    if (!page.strBaseAddress.empty() && IsRelativeAddress(base))
        base = m_lpView->strRootPath() + (base.front() == '/' ? base.substr(1) : base);
    while (!base.empty() && base.back() == '/')
        base.pop_back();
    size_t skip = 0;
    while (skip < address.size() && address[skip] == '/')
        ++skip;
    return base + "/" + address.substr(skip);
}

} // namespace ChatModel
