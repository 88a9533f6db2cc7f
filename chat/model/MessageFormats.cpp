#include "MessageFormats.h"

#include <algorithm>

#include "ChatTextUtil.h"

namespace ChatModel
{

std::string strReplaceAll(const std::string& text, const std::string& searched,
                          const std::string& replacement)
{
    if (searched.empty())
        return text;
    std::string out;
    size_t pos = 0;
    for (;;)
    {
        const size_t hit = text.find(searched, pos);
        if (hit == std::string::npos)
            break;
        out.append(text, pos, hit - pos);
        out += replacement;
        pos = hit + searched.size();
    }
    out.append(text, pos, std::string::npos);
    return out;
}

const CMessageFormatTable::Group* CMessageFormatTable::lpGroup(const std::string& name) const
{
    for (const Group& g : m_groups)
        if (ChatText::boEqualNoCase(g.strName, name))
            return &g;
    return nullptr;
}

long CMessageFormatTable::lFormat(const std::string& name) const
{
    for (size_t i = 0; i < m_formats.size(); ++i)
        if (ChatText::boEqualNoCase(m_formats[i].strName, name))
            return static_cast<long>(i);
    return -1;
}

int CMessageFormatTable::iSetGroup(const std::string& name, int32_t order, bool mutex, const std::string& pre,
                                   const std::string& post, bool noSelection)
{
    if (name.empty())
        return 0;
    Group* g = const_cast<Group*>(lpGroup(name));
    if (!g)
    {
        m_groups.emplace_back();
        g = &m_groups.back();
    }
    g->strName = name;
    g->iOrder = order;
    g->boMutex = mutex;
    g->strPre = pre;
    g->strPost = post;
    g->boNoSelection = noSelection;
    return 1;
}

int CMessageFormatTable::iSetFormat(const std::string& name, const std::string& templ,
                                    const std::string& group, int32_t order)
{
    if (name.empty())
        return 0;
    long i = lFormat(name);
    if (i < 0)
    {
        m_formats.emplace_back();
        i = static_cast<long>(m_formats.size() - 1);
    }
    Format& f = m_formats[static_cast<size_t>(i)];
    f.strName = name;
    f.strTemplate = templ;
    f.strGroup = group;
    if (order >= 0)
        f.iOrder = order;
    else if (const Group* g = group.empty() ? nullptr : lpGroup(group))
        f.iOrder = g->iOrder;
    else
        f.iOrder = -1;
    return 1;
}

bool CMessageFormatTable::boIsActive(const std::string& name) const
{
    for (size_t i : m_active)
        if (ChatText::boEqualNoCase(m_formats[i].strName, name))
            return true;
    return false;
}

int CMessageFormatTable::iActivate(const std::string& name, std::vector<std::string>* displaced)
{
    if (displaced)
        displaced->clear();
    const long found = name.empty() ? -1 : lFormat(name);
    if (found < 0 || boIsActive(name))
        return 0;
    const size_t idx = static_cast<size_t>(found);
    auto at = std::find_if(m_active.begin(), m_active.end(),
                           [&](size_t a) { return m_formats[a].iOrder >= m_formats[idx].iOrder; });
    m_active.insert(at, idx);
    const std::string group = m_formats[idx].strGroup;
    if (!group.empty() && boGroupIsMutex(group))
    {
        std::vector<size_t> keep;
        for (size_t a : m_active)
        {
            if (a != idx && ChatText::boEqualNoCase(m_formats[a].strGroup, group))
            {
                if (displaced)
                    displaced->push_back(m_formats[a].strName);
            }
            else
                keep.push_back(a);
        }
        m_active.swap(keep);
    }
    return 1;
}

int CMessageFormatTable::iDeactivate(const std::string& name)
{
    for (auto it = m_active.begin(); it != m_active.end(); ++it)
        if (ChatText::boEqualNoCase(m_formats[*it].strName, name))
        {
            m_active.erase(it);
            return 1;
        }
    return 0;
}

std::string CMessageFormatTable::strGroupOf(const std::string& name) const
{
    const long i = lFormat(name);
    return i < 0 ? std::string() : m_formats[static_cast<size_t>(i)].strGroup;
}

bool CMessageFormatTable::boGroupIsMutex(const std::string& group) const
{
    const Group* g = lpGroup(group);
    return g && g->boMutex;
}

bool CMessageFormatTable::boIsNotSelectable(const std::string& name) const
{
    const long i = lFormat(name);
    if (i < 0 || m_formats[static_cast<size_t>(i)].strGroup.empty())
        return true;
    const Group* g = lpGroup(m_formats[static_cast<size_t>(i)].strGroup);
    return !g || g->boNoSelection;
}

int CMessageFormatTable::iFormatsOfGroup(const std::string& group, std::vector<std::string>* out) const
{
    if (out)
        out->clear();
    if (group.empty())
        return 0;
    int n = 0;
    for (const Format& f : m_formats)
        if (ChatText::boEqualNoCase(f.strGroup, group))
        {
            ++n;
            if (out)
                out->push_back(f.strName);
        }
    return n;
}

void CMessageFormatTable::vApply(std::string& text) const
{
    for (size_t a : m_active)
    {
        const Format& f = m_formats[a];
        const Group* g = lpGroup(f.strGroup);
        if (g && !g->strPost.empty())
            text = strReplaceAll(g->strPost, "%mess%", text);
        text = strReplaceAll(f.strTemplate, "%mess%", text);
        if (g && !g->strPre.empty())
            text = strReplaceAll(g->strPre, "%mess%", text);
    }
}

std::vector<std::string> CMessageFormatTable::ActiveNames() const
{
    std::vector<std::string> names;
    for (size_t a : m_active)
        names.push_back(m_formats[a].strName);
    return names;
}

void CMessageFormatTable::vClear()
{
    m_groups.clear();
    m_formats.clear();
    m_active.clear();
}

void CServerRules::vSetRule(int32_t code, const std::string& templ, bool ignore, const std::string& delimiter)
{
    for (Rule& r : m_rules)
        if (r.iCode == code)
        {
            r.strTemplate = templ;
            r.boIgnore = ignore;
            r.strDelimiter = delimiter;
            return;
        }
    m_rules.push_back(Rule{code, ignore, templ, delimiter});
}

int CServerRules::iApply(int32_t code, std::string& message) const
{
    for (const Rule& r : m_rules)
    {
        if (r.iCode != code)
            continue;
        if (r.boIgnore)
            return 0;
        std::string cut = message;
        if (!r.strDelimiter.empty())
        {
            const size_t a = message.find(r.strDelimiter);
            const size_t b =
                a == std::string::npos ? a : message.find(r.strDelimiter, a + r.strDelimiter.size());
            cut = b == std::string::npos
                      ? std::string()
                      : message.substr(a + r.strDelimiter.size(), b - a - r.strDelimiter.size());
        }
        message =
            strReplaceAll(strReplaceAll(r.strTemplate, "%origmess%", cut), "%code%", std::to_string(code));
        return 1;
    }
    return 1;
}

} // namespace ChatModel
