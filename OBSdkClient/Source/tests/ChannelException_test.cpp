// The channel error table and the channel configuration's values.
#include <gtest/gtest.h>

#include "ChannelConfig.h"
#include "ChannelException.h"
#include "ExceptionTableCheck.h"

using namespace OBSdkClient;

TEST(ChannelException, Table)
{
    EXPECT_TRUE(FdTest::ExceptionTableIs<CChannelException>(
        "CChannelException",
        {
            {3001, "Channel_CantChangeDestId", "Impossible de définir le destinataire de la channel"},
            {3002, "Channel_CantSetAutoCnxParamters",
             "Impossible de définir les paramètres pour la reconnexion automatique"},
            {3003, "Channel_AutoCnxParametersChangeNotAllowed", "non utilisé"},
            {3004, "ServerCnx_CantConnect", "Impossible de se connecter au serveur"},
            {3005, "LPCCnx_Timeout", "Impossible de se connecter au Linkwell: timeout à la connexion"},
            {3006, "LPCCnx_CantConnect",
             "Impossible de se connecter au Linkwell (erreur réseau non précisée)"},
            {3007, "LPCCnx_UnexpectedState", "Erreur inconnue"},
        }));
    // The class's table is the one the library hands out.
    EXPECT_EQ(CChannelException::lpGetTable(), CChannelException(0, nullptr, nullptr, 0).lpGetErrorTable());
}

TEST(ChannelException, ThrownWithCodeFunctionFileAndLine)
{
    EXPECT_TRUE(FdTest::ThrowsWithOrigin(
        [] { vThrowChannel(LPCCnx_Timeout, "CLPCClient::CLPCClient", "LPCClient", 42); }, "CChannelException",
        {3005, "LPCCnx_Timeout", "CLPCClient::CLPCClient", "LPCClient", 42, 0}));
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
