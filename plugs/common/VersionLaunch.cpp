#include "VersionLaunch.h"

#include "TextUtil.h"
#include "XmlDocument.h"

namespace
{
// The first element below tag named name (any case), in the walk's order.
const CXmlTag* lpFirstBelow(const CXmlTag& tag, const char* name)
{
    for (const CXmlTag* sub = tag.GetNextSubTag(nullptr); sub != nullptr; sub = tag.GetNextSubTag(sub))
        if (!sub->IsLeafTag() && EqualsNoCase(sub->GetName(), name))
            return sub;
    return nullptr;
}
} // namespace

bool boReadLaunchCommand(const std::string& rawData, const std::string& verb, SLaunchCommand& command)
{
    CXmlDocument doc;
    doc.vSetOperatingMode(kXmlModeTree);
    if (doc.lLoad("STR://" + rawData, nullptr) != 0)
        return false;
    const CXmlTag* root = doc.lpGetRootTag();
    if (root == nullptr)
        return false;
    for (const CXmlTag* child = root->lpGetNextChildTag(nullptr); child != nullptr;
         child = root->lpGetNextChildTag(child))
    {
        if (child->IsLeafTag() || !EqualsNoCase(child->GetName(), "vtlaunch"))
            continue;
        for (const CXmlTag* tag = child->GetNextSubTag(nullptr); tag != nullptr;
             tag = child->GetNextSubTag(tag))
        {
            if (tag->IsLeafTag() || !EqualsNoCase(tag->GetName(), "cmdline"))
                continue;
            const std::string tagVerb = tag->GetAttribute("verb", "");
            if (tagVerb.empty() || !EqualsNoCase(tagVerb, verb))
                continue;
            command.mode = 0;
            const std::string shellVerb = tag->GetAttribute("shellex", "open");
            if (!shellVerb.empty())
            {
                command.mode = 1;
                command.shellVerb = shellVerb;
            }
            if (const CXmlTag* exe = lpFirstBelow(*tag, "exe"))
                if (const std::string value = exe->DumpValue(false); !value.empty())
                    command.executable = value;
            if (const CXmlTag* params = lpFirstBelow(*tag, "params"))
                if (const std::string value = params->DumpValue(false); !value.empty())
                    command.parameters = value;
        }
    }
    return true;
}
