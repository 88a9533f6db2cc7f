#include "ScriptTestHost.h"

#include <cstdlib>

#include "ParamString.h"
#include "SimpleItems.h"

namespace
{
std::vector<int32_t> Answers(const std::string& list)
{
    std::vector<int32_t> answers;
    size_t from = 0;
    while (from < list.size())
    {
        size_t comma = list.find(',', from);
        if (comma == std::string::npos)
            comma = list.size();
        const std::string word = list.substr(from, comma - from);
        answers.push_back(word == "over"  ? CScriptItem::kOver
                          : word == "err" ? CScriptItem::kError
                                          : std::atoi(word.c_str()));
        from = comma + 1;
    }
    return answers;
}

class CScriptedItem : public CScriptItem
{
public:
    CScriptedItem(const std::string& keyword, CTestHost* host) : m_keyword(keyword), m_pHost(host) {}
    const char* GetKeyword() const override { return m_keyword.c_str(); }

    int32_t StateProc(int32_t state) override
    {
        CXmlTag* tag = CommandTag();
        if (m_steps.empty() && m_nextStep == 0 && tag)
        {
            m_steps = Answers(tag->GetAttribute("steps", ""));
            m_async = Answers(tag->GetAttribute("async", ""));
        }
        if (state == 0 && m_nextStep == 0 && tag)
        {
            m_pHost->ran.push_back(m_keyword + ":" + tag->GetAttribute("id", ""));
            if (tag->boHasAttribute("next"))
                CallNextSubScript(tag->GetAttribute("next", ""));
            if (tag->boHasAttribute("onstop"))
                CallOnStopSubScript();
        }
        return m_nextStep < m_steps.size() ? m_steps[m_nextStep++] : kOver;
    }

    int32_t AsyncDone(int32_t) override { return m_nextAsync < m_async.size() ? m_async[m_nextAsync++] : 0; }

private:
    std::string m_keyword;
    CTestHost* m_pHost;
    std::vector<int32_t> m_steps;
    std::vector<int32_t> m_async;
    size_t m_nextStep = 0;
    size_t m_nextAsync = 0;
};
} // namespace

std::unique_ptr<CScriptItem> CTestHost::NewItem(const std::string& keyword)
{
    if (simpleItems)
        return NewSimpleItem(keyword);
    if (keyword == "regop")
        return nullptr; // a kind this host has not
    return std::make_unique<CScriptedItem>(keyword, this);
}
