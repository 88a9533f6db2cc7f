// The channel error table and the channel configuration's values.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ChannelConfig.h"
#include "ChannelException.h"

using namespace OBSdkClient;

TEST(ChannelException, TableRowsInOrderEndedByZero)
{
    struct SRow
    {
        uint32_t dwCode;
        const char* lpszId;
        const char* lpszMessage;
    };
    const SRow expected[] = {
        {3001, "Channel_CantChangeDestId", "Impossible de définir le destinataire de la channel"},
        {3002, "Channel_CantSetAutoCnxParamters",
         "Impossible de définir les paramètres pour la reconnexion automatique"},
        {3003, "Channel_AutoCnxParametersChangeNotAllowed", "non utilisé"},
        {3004, "ServerCnx_CantConnect", "Impossible de se connecter au serveur"},
        {3005, "LPCCnx_Timeout", "Impossible de se connecter au Linkwell: timeout à la connexion"},
        {3006, "LPCCnx_CantConnect", "Impossible de se connecter au Linkwell (erreur réseau non précisée)"},
        {3007, "LPCCnx_UnexpectedState", "Erreur inconnue"},
    };
    const FdBase::SErrorTableRow* table = CChannelException::lpGetTable();
    size_t i = 0;
    for (const SRow& row : expected)
    {
        SCOPED_TRACE(row.dwCode);
        EXPECT_EQ(table[i].dwCode, row.dwCode);
        EXPECT_STREQ(table[i].szId, row.lpszId);
        EXPECT_STREQ(table[i].szMessage, row.lpszMessage);
        ++i;
    }
    EXPECT_EQ(table[i].dwCode, 0u);
}

TEST(ChannelException, MessagesAreAnsiBytes)
{
#if defined(__GNUC__) && !defined(__clang__)
    // "définir": the program sees 0xE9, not UTF-8.
    const char* message = CChannelException::lpGetTable()[0].szMessage;
    EXPECT_NE(std::strchr(message, '\xE9'), nullptr);
    EXPECT_EQ(std::strstr(message, "\xC3\xA9"), nullptr);
#endif
}

TEST(ChannelException, ThrownWithCodeFunctionFileAndLine)
{
    try
    {
        vThrowChannel(LPCCnx_Timeout, "CLPCClient::CLPCClient", "LPCClient", 42);
        FAIL() << "no throw";
    }
    catch (const FdBase::CExceptionBase& e)
    {
        EXPECT_STREQ(e.lpszGetClassName(), "CChannelException");
        EXPECT_EQ(e.dwGetCode(), 3005u);
        EXPECT_STREQ(e.lpszGetFunction(), "CLPCClient::CLPCClient");
        EXPECT_STREQ(e.lpszGetFile(), "LPCClient");
        EXPECT_EQ(e.dwGetLine(), 42u);
        ASSERT_NE(e.lpGetErrorRow(), nullptr);
        EXPECT_STREQ(e.lpGetErrorRow()->szId, "LPCCnx_Timeout");
    }
}

TEST(ChannelConfig, DefaultAndReadyMadeValues)
{
    const CChannelConfig d;
    EXPECT_EQ(d.dwDstId, 0xFFFFFFFFu);
    EXPECT_EQ(d.dwReconnAttempts, 65244u);
    EXPECT_EQ(d.dwReconnTime, 65244000u);
    EXPECT_EQ(d.dwReconnTimeout, 65244000u);
    EXPECT_EQ(d.dwOpenWaitMode, 0u);
    EXPECT_FALSE(d.boHasDstId());
    EXPECT_FALSE(d.boSetsReconnParams());
    EXPECT_FALSE(d.boOwnWindowOnly());

    EXPECT_EQ(kAutoReconnConfig.dwDstId, 0xFFFFFFFFu);
    EXPECT_EQ(kAutoReconnConfig.dwReconnAttempts, 3u);
    EXPECT_EQ(kAutoReconnConfig.dwReconnTime, 5000u);
    EXPECT_EQ(kAutoReconnConfig.dwReconnTimeout, 10000u);
    EXPECT_EQ(kAutoReconnConfig.dwOpenWaitMode, 1u);
}

TEST(ChannelConfig, DecisionsOnEachSideOfTheMarkers)
{
    struct SCase
    {
        CChannelConfig config;
        bool boDstId, boReconn, boOwnWindow;
    };
    const SCase cases[] = {
        {{0x4B4B4B4B, 0, 65244000, 65244000, 0}, true, true, false}, // the launcher's: 'R' with 0 attempts
        {{0xFFFFFFFF, 65244, 1, 1, 2}, false, false, true},
        {{0xFFFFFFFE, 65243, 1, 1, 1}, true, true, false},
        {{0, 65245, 1, 1, 3}, true, true, false},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.config.dwReconnAttempts);
        EXPECT_EQ(c.config.boHasDstId(), c.boDstId);
        EXPECT_EQ(c.config.boSetsReconnParams(), c.boReconn);
        EXPECT_EQ(c.config.boOwnWindowOnly(), c.boOwnWindow);
    }
}
