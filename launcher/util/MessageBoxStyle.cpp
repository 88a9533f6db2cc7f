#include "MessageBoxStyle.h"

#include "NumberText.h"
#include "TextUtil.h"

namespace
{
struct CWordStyle
{
    const char* word;
    uint32_t style;
};

const CWordStyle kButtons[] = {
    {"okcancel", kMbOkCancel},
    {"retrycancel", kMbRetryCancel},
    {"yesno", kMbYesNo},
    {"yesnocancel", kMbYesNoCancel},
};

const CWordStyle kIcons[] = {
    {"error", kMbIconHand},
    {"?", kMbIconQuestion},
    {"warning", kMbIconExclamation},
    {"info", kMbIconAsterisk},
};

template <size_t N> uint32_t StyleOf(const CWordStyle (&table)[N], const std::string& word)
{
    for (const CWordStyle& entry : table)
        if (EqualsNoCase(word, entry.word))
            return entry.style;
    return 0;
}
} // namespace

uint32_t MessageBoxStyle(const std::string& buttons, const std::string& icon)
{
    if (!buttons.empty() && buttons[0] == '#')
        return static_cast<uint32_t>(TextToInt32(buttons.c_str() + 1));
    return StyleOf(kButtons, buttons) | StyleOf(kIcons, icon);
}
