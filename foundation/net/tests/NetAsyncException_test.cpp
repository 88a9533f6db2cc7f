#include "NetAsyncException.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace FdNet;

namespace
{

TEST(NetAsyncException, TableRowsInTheirFixedOrder)
{
    const uint32_t order[] = {3101, 3102, 3103, 3104, 3105, 3106, 3107, 3108, 3110, 3111, 3109};
    const FdBase::SErrorTableRow* t = CNetAsyncException::lpGetTable();
    size_t i = 0;
    for (; t[i].dwCode != 0; ++i)
    {
        ASSERT_LT(i, sizeof order / sizeof order[0]);
        EXPECT_EQ(t[i].dwCode, order[i]) << i;
    }
    EXPECT_EQ(i, sizeof order / sizeof order[0]);
    EXPECT_STREQ(t[0].szId, "NetAsync_CantStartWSA");
    EXPECT_STREQ(t[8].szId, "NetServer_BindAddrInUse");
    EXPECT_STREQ(t[10].szId, "NetAsync_ListenFailed");
}

TEST(NetAsyncException, MessagesAreTheProgramsAnsiBytes)
{
    const FdBase::SErrorTableRow* t = CNetAsyncException::lpGetTable();
#if defined(__GNUC__) && !defined(__clang__)
    // "Adresse déjà utilisée par un autre bind" in code page 1252.
    EXPECT_STREQ(t[8].szMessage, "Adresse d\xE9j\xE0 utilis\xE9"
                                 "e par un autre bind");
#endif
    EXPECT_EQ(std::strncmp(t[1].szMessage, "La taille maximale du buffer d'envoi", 36), 0);
}

TEST(NetAsyncException, ThrownWithItsOriginAndSocketError)
{
    try
    {
        vThrowNetAsync(NetAsync_BufferOverRun, "CNetAsync::boSend", 42, 10055);
        FAIL();
    }
    catch (const FdBase::CExceptionBase& e)
    {
        EXPECT_STREQ(e.lpszGetClassName(), "CNetAsyncException");
        EXPECT_EQ(e.dwGetCode(), 3102u);
        EXPECT_STREQ(e.lpszGetFunction(), "CNetAsync::boSend");
        EXPECT_STREQ(e.lpszGetFile(), "NetAsync");
        EXPECT_EQ(e.dwGetLine(), 42u);
        EXPECT_EQ(e.dwGetWin32Error(), 10055u);
        ASSERT_NE(e.lpGetErrorRow(), nullptr);
        EXPECT_STREQ(e.lpGetErrorRow()->szId, "NetAsync_BufferOverRun");
    }
}

} // namespace
