#include "EngineTick.h"

#include "TextUtil.h"
#include "XmlDocument.h"

CEngineTick::SAction CEngineTick::OnTick()
{
    SAction action;
    if (m_tickCount % 2 == 0)
    {
        ++m_iconPhase;
        action.icon = kFirstIcon + m_iconPhase % kIconCount;
    }
    ++m_tickCount;
    if (!m_endRequested)
        action.step = true;
    else if (m_quitWhenEnded)
        action.quit = true;
    m_endRequested = false;
    return action;
}

bool IsCustomParameter(const std::string& name)
{
    return name.size() >= 4 && EqualsNoCase(name.substr(0, 4), "cust");
}

std::vector<std::pair<std::string, std::string>> ParseCustomParameters(const std::string& value)
{
    std::vector<std::pair<std::string, std::string>> pairs;
    CXmlDocument doc;
    doc.vSetOperatingMode(kXmlModeTree);
    if (doc.lLoad("str://<dmy " + value + "/>", nullptr) != 0 || doc.GetLastXmlError() != 0)
        return pairs;
    CXmlTag* tag = doc.GetNextSubTagNamed("dmy", nullptr);
    if (!tag)
        return pairs;
    for (int32_t i = 0; i < tag->GetAttributeCount(); ++i)
    {
        CStringExt name;
        CStringExt attributeValue;
        if (tag->boGetAttributeAt(i, name, attributeValue))
            pairs.emplace_back(name, attributeValue);
    }
    return pairs;
}
