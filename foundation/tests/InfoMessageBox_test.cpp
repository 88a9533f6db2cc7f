#include "InfoMessageBox.h"

#include <gtest/gtest.h>

#include <string>

#include "FdUi.h"

namespace
{
std::string g_caption, g_text;
int CaptureBox(HWND, const char* text, const char* caption, UINT)
{
    g_caption = caption;
    g_text = text;
    return IDOK;
}
} // namespace

TEST(InfoMessageBox, GoesThroughTheModalSeam)
{
    const FdUi::MessageBoxFn prev = FdUi::pfnSetMessageBoxHook(&CaptureBox);
    EXPECT_EQ(FdLib::iInfoMessageBox("Le Linkwell V2 est %s", "déjà en mémoire"), IDOK);
    FdUi::pfnSetMessageBoxHook(prev);
    EXPECT_EQ(g_caption, "Informations");
    EXPECT_EQ(g_text, "Le Linkwell V2 est déjà en mémoire");
}
