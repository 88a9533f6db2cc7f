// The hub's registry settings, the trace's opening lines and the command
// line's switches.
#include "LinkwellSettings.h"

#include <gtest/gtest.h>

#include "PageParams.h"

using namespace Linkwell;

TEST(LinkwellSettings, MissingValuesKeepTheirDefaults)
{
    const SLinkwellSettings s = MakeSettings(SRegistryValues{});
    EXPECT_EQ(0u, s.hub.dwLogFlags);
    EXPECT_EQ(8999, s.hub.wLpcPort);
    EXPECT_EQ(0x80u, s.dwPriorityClass);
    EXPECT_EQ(0, s.hub.wProxyPort);
    EXPECT_EQ(dwIdFromString("LKWE"), s.hub.dwHubId);
    EXPECT_EQ("{7366B689-A61E-4909-9437-28FD6D293BD0}", s.hub.loginClsid);
}

TEST(LinkwellSettings, ValuesReadReplaceTheDefaults)
{
    SRegistryValues v;
    v.logToTextFile = 0x9E;
    v.lpcPort = 0;
    v.processPriority = 0x20;
    v.proxyPort = 8080;
    v.linkwellId = "LKW2";
    v.loginClsid = std::string(70, 'c');
    const SLinkwellSettings s = MakeSettings(v);
    EXPECT_EQ(0x9Eu, s.hub.dwLogFlags);
    EXPECT_EQ(0, s.hub.wLpcPort);
    EXPECT_EQ(0x20u, s.dwPriorityClass);
    EXPECT_EQ(8080, s.hub.wProxyPort);
    EXPECT_EQ(dwIdFromString("LKW2"), s.hub.dwHubId);
    EXPECT_EQ(std::string(64, 'c'), s.hub.loginClsid);
}

TEST(LinkwellSettings, ShortHubIdsAndPortsOutOfRangeAreNotTaken)
{
    SRegistryValues v;
    v.linkwellId = "LKW";
    v.lpcPort = 65536;
    v.proxyPort = 70000;
    const SLinkwellSettings s = MakeSettings(v);
    EXPECT_EQ(dwIdFromString("LKWE"), s.hub.dwHubId);
    EXPECT_EQ(8999, s.hub.wLpcPort);
    EXPECT_EQ(0, s.hub.wProxyPort);
    v.lpcPort = 65535;
    EXPECT_EQ(65535, MakeSettings(v).hub.wLpcPort);
}

TEST(LinkwellSettings, OpeningLinesFollowTheFlags)
{
    const std::string start = "###D\xE9marrage du processus";
    const std::string header =
        "En-t\xEAte du fichier de log mis \xE0 jour le 28/09/2001 \xE0 19h57 pour la version 2.1.0.5";
    const std::string received = "Log des messages re\xE7us par le Linkwell (envoy\xE9s par un serveur)";
    const std::string sent = "Log des messages envoy\xE9s par le Linkwell vers un serveur";
    const std::string lpcReceived = "Log des messages re\xE7us par le LPC (envoy\xE9s par un LPCClient)";
    const std::string lpcSent = "Log des messages envoy\xE9s par le LPC vers un LPCClient";
    const std::string buffered = "Activation du buffering sur le log pour aller un peu plus vite";

    EXPECT_EQ((std::vector<std::string>{start, header}), StartupLogLines(1, 0));
    EXPECT_EQ((std::vector<std::string>{start, header, received, sent, lpcReceived, lpcSent, buffered}),
              StartupLogLines(0x9E, 0));
    EXPECT_EQ((std::vector<std::string>{start, header, sent, buffered}), StartupLogLines(0x105, 0))
        << "any value from 0x80 up buffers";
    EXPECT_EQ((std::vector<std::string>{start, header, lpcReceived}), StartupLogLines(0x7F & 0x08, 0));
    const std::vector<std::string> proxy = StartupLogLines(1, 8080);
    ASSERT_EQ(3u, proxy.size());
    EXPECT_EQ("Utilisation de l'OBProxy sur le port 8080 selectionn\xE9"
              "e dans la registry",
              proxy[2]);
}

TEST(LinkwellSettings, SwitchesAreWordsAfterDashOrSlashInAnyCase)
{
    struct SCase
    {
        const char* lpszCommandLine;
        bool boEmbedding;
    };
    const SCase cases[] = {
        {"-Embedding", true},   {"/embedding", true},  {"  -EMBEDDING  ", true}, {"x /Embedding y", true},
        {"-Embeddingx", false}, {"-Embeddin", false},  {"Embedding", false},     {"", false},
        {"--Embedding", true},  {"-RegServer", false}, {"/Embedding-x", true},
    };
    for (const SCase& c : cases)
        EXPECT_EQ(c.boEmbedding, boHasSwitch(c.lpszCommandLine, "Embedding"))
            << '"' << c.lpszCommandLine << '"';
    EXPECT_FALSE(boHasSwitch(nullptr, "Embedding"));
}
