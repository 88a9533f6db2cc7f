// Action directives of the chat's pages: page variables (ACT_SETVAR) and the
// message-format switches (DYN_MESSFORMAT).
#include <cstdint>
#include <cstdlib>

#include "ChatModel.h"
#include "ChatTextUtil.h"
#include "HtmlAttr.h"

namespace ChatModel
{

using ChatText::boEqualNoCase;

namespace
{

// The 32-bit result as a two's-complement machine gives it.
int32_t iWrap(int64_t value)
{
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value)));
}

} // namespace

void CChatModel::vOnActSetVar(const std::string& body, const std::string& attrs)
{
    const std::string name = GetAttrOr("NAME", attrs);
    if (name.empty())
        return;
    const std::string op = GetAttrOr("OP", attrs);
    std::string value = body;
    if (op.size() >= 2)
    {
        const auto old = pageVars.find(name);
        if (boEqualNoCase(op, "ADD"))
            value = old != pageVars.end() ? old->second + body : body;
        else if (op[0] == '+' || op[0] == '-' || op[0] == '*' || op[0] == '/')
        {
            const int64_t operand = std::atoi(op.c_str() + 1);
            const int64_t base = std::atoi(body.c_str());
            int64_t result = 0;
            switch (op[0])
            {
            case '+':
                result = base + operand;
                break;
            case '-':
                result = base - operand;
                break;
            case '*':
                result = base * operand;
                break;
            default:
                // No quotient: the variable keeps what it held.
                if (operand == 0 || (base == INT32_MIN && operand == -1))
                    return;
                result = base / operand;
                break;
            }
            value = std::to_string(iWrap(result));
        }
    }
    pageVars[name] = value;
}

void CChatModel::vOnDynMessFormat(const std::string& name, int mode)
{
    if (name.empty() || !m_lpView)
        return;
    if (!messageFormats.boIsActive(name))
    {
        if (mode != 1)
            return;
        std::vector<std::string> displaced;
        messageFormats.iActivate(name, &displaced);
        for (const std::string& other : displaced)
            m_lpView->vSetSwitchControl("@MSGF@" + other, false);
    }
    else
    {
        if (mode == 1)
            return;
        if (messageFormats.boIsNotSelectable(name))
        {
            messageFormats.iDeactivate(name);
            return;
        }
        m_lpView->vSetSwitchControl("@MSGF@" + name, true);
    }
    const std::string group = messageFormats.strGroupOf(name);
    if (group.empty() || !messageFormats.boGroupIsMutex(group))
        return;
    std::vector<std::string> members;
    messageFormats.iFormatsOfGroup(group, &members);
    for (const std::string& other : members)
        if (!boEqualNoCase(other, name) && m_lpView->boSwitchControlOn("@MSGF@" + other))
            m_lpView->vSetSwitchControl("@MSGF@" + other, false);
}

} // namespace ChatModel
