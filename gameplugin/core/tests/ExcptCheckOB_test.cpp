#include "ExcptCheckOB.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(ExcptCheckOB, NamesItselfAndDescribesEachCode)
{
    const struct
    {
        uint32_t code;
        const char* id;
    } cases[] = {
        {kCheckOBNotInstalled, "OBNotInstalled"},
        {kCheckOBCantReadRegistryKey, "CantReadRegistryKey"},
        {kCheckOBCantReadRegistryData, "CantReadRegistryData"},
        {kCheckOBCantChangeDir, "CantChangeDir"},
    };
    for (const auto& c : cases)
    {
        try
        {
            throw CExcptCheckOB(c.code, "CPlugInst::boCheckOBInstalled", "PlugInst_inits", 1, nullptr, 0);
        }
        catch (const FdBase::CExceptionBase& e)
        {
            EXPECT_STREQ(e.lpszGetClassName(), "CExcptCheckOB");
            ASSERT_NE(e.lpGetErrorRow(), nullptr) << c.code;
            EXPECT_STREQ(e.lpGetErrorRow()->szId, c.id);
        }
    }
    const CExcptCheckOB unknown(5005, nullptr, nullptr, 0);
    EXPECT_EQ(unknown.lpGetErrorRow(), nullptr);
    EXPECT_STREQ(CExcptCheckOB(kCheckOBNotInstalled, nullptr, nullptr, 0).lpGetErrorRow()->szMessage,
                 "Orbelle n'est pas installée correctement");
}
