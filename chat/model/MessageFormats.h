// The chat window's two rule tables: named message formats that wrap chat
// texts while active, and per-code rules for server errors and messages.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ChatModel
{

// Every occurrence of `searched` replaced, left to right, going on behind each
// inserted replacement. An empty searched text changes nothing.
std::string strReplaceAll(const std::string& text, const std::string& searched,
                          const std::string& replacement);

class CMessageFormatTable
{
public:
    struct Group
    {
        std::string strName;
        bool boMutex = false;
        std::string strPost;
        std::string strPre;
        int32_t iOrder = 0;
        bool boNoSelection = false;
    };
    struct Format
    {
        std::string strName;
        std::string strGroup;
        std::string strTemplate;
        int32_t iOrder = 0;
    };

    int iSetGroup(const std::string& name, int32_t order, bool mutex, const std::string& pre,
                  const std::string& post, bool noSelection);
    int iSetFormat(const std::string& name, const std::string& templ, const std::string& group,
                   int32_t order);
    // 1 when activated; the displaced formats of a mutex group in `displaced`.
    int iActivate(const std::string& name, std::vector<std::string>* displaced);
    int iDeactivate(const std::string& name);
    bool boIsActive(const std::string& name) const;
    const Group* lpFindGroup(const std::string& name) const { return lpGroup(name); }
    std::string strGroupOf(const std::string& name) const;
    bool boGroupIsMutex(const std::string& group) const;
    bool boIsNotSelectable(const std::string& name) const;
    int iFormatsOfGroup(const std::string& group, std::vector<std::string>* out) const;
    void vApply(std::string& text) const;
    std::vector<std::string> ActiveNames() const;
    void vClear();

private:
    const Group* lpGroup(const std::string& name) const;
    long lFormat(const std::string& name) const;

    std::vector<Group> m_groups;
    std::vector<Format> m_formats;
    std::vector<size_t> m_active; // indexes into m_formats, sorted by order
};

class CServerRules
{
public:
    void vSetRule(int32_t code, const std::string& templ, bool ignore, const std::string& delimiter);
    // 1: show the (maybe reworded) message; 0: drop it, message unchanged.
    int iApply(int32_t code, std::string& message) const;
    void vClear() { m_rules.clear(); }

private:
    struct Rule
    {
        int32_t iCode = 0;
        bool boIgnore = false;
        std::string strTemplate;
        std::string strDelimiter;
    };
    std::vector<Rule> m_rules;
};

} // namespace ChatModel
