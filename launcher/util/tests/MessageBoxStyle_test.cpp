#include <gtest/gtest.h>

#include "MessageBoxStyle.h"

TEST(MessageBoxStyle, Table)
{
    struct Case
    {
        const char* buttons;
        const char* icon;
        uint32_t style;
    } cases[] = {
        {"#4", "error", 4},
        {"YesNo", "Info", 68},
        {"", "", 0},
        {"okcancel", "?", 1 + 32},
        {"RETRYCANCEL", "warning", 5 + 48},
        {"yesnocancel", "ERROR", 3 + 16},
        {"other", "other", 0},
        {"#", "info", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MessageBoxStyle(c.buttons, c.icon), c.style) << c.buttons << " / " << c.icon;
}
