#include "FrameTargets.h"

namespace FdBrowserHost
{
std::string strFrameName(const std::vector<SFrameNode>& frames, int i)
{
    if (i < 0 || static_cast<std::size_t>(i) >= frames.size())
        return "_top";
    const std::string& name = frames[static_cast<std::size_t>(i)].strName;
    return name.empty() ? "_frame" + std::to_string(i) : name;
}

STarget resolveTarget(const std::vector<SFrameNode>& frames, int iSelf, const std::string& target)
{
    if (iSelf >= static_cast<int>(frames.size()))
        iSelf = -1;
    if (target.empty() || target == "_self")
        return {strFrameName(frames, iSelf), true};
    if (target == "_parent")
        return {strFrameName(frames, iSelf < 0 ? -1 : frames[static_cast<std::size_t>(iSelf)].iParent), true};
    if (target == "_top")
        return {"_top", true};
    if (target == "_blank")
        return {"_blank", false};
    for (std::size_t i = 0; i < frames.size(); ++i)
        if (frames[i].strName == target)
            return {target, true};
    return {target, false};
}
} // namespace FdBrowserHost
