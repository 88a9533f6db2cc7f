#include "DPLaunchInfo.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "TextUtil.h"
#include "XmlDocument.h"

bool SDPGuid::operator==(const SDPGuid& other) const
{
    return data1 == other.data1 && data2 == other.data2 && data3 == other.data3 &&
           std::memcmp(data4, other.data4, sizeof data4) == 0;
}

bool boParseGuidText(const std::string& text, SDPGuid& guid)
{
    unsigned int f[11] = {};
    const int n = std::sscanf(text.c_str(), "{%8X-%4X-%4X-%2X%2X-%2X%2X%2X%2X%2X%2X}", &f[0], &f[1], &f[2],
                              &f[3], &f[4], &f[5], &f[6], &f[7], &f[8], &f[9], &f[10]);
    guid = SDPGuid();
    if (n != 11)
        return false;
    guid.data1 = f[0];
    guid.data2 = static_cast<uint16_t>(f[1]);
    guid.data3 = static_cast<uint16_t>(f[2]);
    for (int i = 0; i < 8; ++i)
        guid.data4[i] = static_cast<uint8_t>(f[3 + i]);
    return true;
}

std::string FormatGuidText(const SDPGuid& g)
{
    char text[64];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(g.data1), static_cast<unsigned>(g.data2),
                  static_cast<unsigned>(g.data3), g.data4[0], g.data4[1], g.data4[2], g.data4[3], g.data4[4],
                  g.data4[5], g.data4[6], g.data4[7]);
    return text;
}

namespace
{
// Copies value into field when it keeps to the limit; a longer value is ignored.
void vTake(std::string& field, const std::string& value, size_t limit)
{
    if (value.size() <= limit)
        field = value;
}

void vReadPort(const CXmlTag& tag, CDPLaunchInfo& info)
{
    const std::string port = tag.GetAttribute("port", "");
    if (!port.empty())
        info.port = std::atoi(port.c_str());
}

void vReadSessionParam(const CXmlTag& tag, CDPLaunchInfo& info)
{
    const std::string name = tag.GetName();
    const std::string value = tag.DumpText(true);
    if (EqualsNoCase(name, "GUID"))
        boParseGuidText(value, info.appGuid);
    else if (EqualsNoCase(name, "NICK"))
        vTake(info.nick, value, CDPLaunchInfo::kMaxNick);
    else if (EqualsNoCase(name, "HOST"))
    {
        const std::string ip = tag.GetAttribute("ip", "");
        if (!ip.empty())
            vTake(info.hostAddress, ip, CDPLaunchInfo::kMaxHostAddress);
        vReadPort(tag, info);
    }
    else if (EqualsNoCase(name, "DX8"))
    {
        info.dp8 = 1;
        vReadPort(tag, info);
    }
    else if (EqualsNoCase(name, "resultscript"))
    {
        if (!value.empty() && value.size() <= CDPLaunchInfo::kMaxResultScript)
        {
            info.hasResultScript = 1;
            info.resultScript = value;
        }
    }
    else if (EqualsNoCase(name, "sessionname"))
        vTake(info.sessionName, value, CDPLaunchInfo::kMaxSessionName);
    else if (EqualsNoCase(name, "lverb"))
    {
        const std::string type = tag.GetAttribute("type", "");
        if (EqualsNoCase(type, "H"))
            info.hostVerbs.push_back(value);
        else if (EqualsNoCase(type, "J"))
            info.joinVerbs.push_back(value);
    }
}
} // namespace

bool boBuildLaunchInfo(const std::string& rawText, CDPLaunchInfo& info)
{
    if (rawText.empty())
        return false;
    CXmlDocument doc;
    doc.vSetOperatingMode(kXmlModeTree);
    if (doc.lLoad("STR://" + rawText, nullptr) != 0)
        return false;
    const CXmlTag* root = doc.lpGetRootTag();
    const CXmlTag* dpinfo = nullptr;
    for (const CXmlTag* child = root->lpGetNextChildTag(nullptr); child;
         child = root->lpGetNextChildTag(child))
        if (!child->IsLeafTag() && EqualsNoCase(child->GetName(), "dpinfo"))
        {
            dpinfo = child;
            break;
        }
    if (!dpinfo)
        return false;
    info.varGuid = dpinfo->GetAttribute("var:guid", "");
    info.varPath = dpinfo->GetAttribute("var:dppath", "");
    info.varFile = dpinfo->GetAttribute("var:dpfile", "");
    for (const CXmlTag* child = dpinfo->lpGetNextChildTag(nullptr); child;
         child = dpinfo->lpGetNextChildTag(child))
        if (!child->IsLeafTag())
            vReadSessionParam(*child, info);
    return true;
}

void vSetHostFlag(CDPLaunchInfo& info, const std::string& launchVerb, int32_t launchMode)
{
    for (const std::string& verb : info.hostVerbs)
        if (EqualsNoCase(verb, launchVerb))
        {
            info.host = 1;
            return;
        }
    for (const std::string& verb : info.joinVerbs)
        if (EqualsNoCase(verb, launchVerb))
        {
            info.host = 0;
            return;
        }
    if (launchMode == 1)
        info.host = 1;
    else if (launchMode == 2)
        info.host = 0;
}
