// Which window or frame a target name of a request designates, in the
// frame tree of the loaded page.
#pragma once

#include <string>
#include <vector>

namespace FdBrowserHost
{
struct SFrameNode
{
    std::string strName; // as in the FRAME or IFRAME element ("" when unnamed)
    int iParent = -1;    // index of the frame whose document holds it; -1: the top document
};

struct STarget
{
    std::string strFrame; // a frame's name, "_top", "_blank", or the unknown name given
    bool boKnown = false; // the top window or an existing frame (else a new window opens)
};

// The display name of frame i: its name, "_frame<i>" when it has none, or
// "_top" for -1.
std::string strFrameName(const std::vector<SFrameNode>& frames, int i);

// "", "_self" -> the frame holding the requester (iSelf, -1 for the top
// document); "_parent" -> its parent; "_top"; "_blank" -> a new window;
// otherwise the first frame of that exact name, or a new window of it.
STarget resolveTarget(const std::vector<SFrameNode>& frames, int iSelf, const std::string& target);
} // namespace FdBrowserHost
