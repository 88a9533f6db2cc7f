#include "ExcptLaunchedApp.h"

#include "ExceptionTableCheck.h"

#include <gtest/gtest.h>

// One row: the other launch codes say what failed in the exception's text.
TEST(ExcptLaunchedApp, Table)
{
    EXPECT_TRUE(FdTest::ExceptionTableIs<CExcptLaunchedApp>(
        "CExcptLaunchedApp", {
                                 {5051, "AppNotInstalled", "L'application n'est pas installée"},
                             }));
}
