#include "LinkwellSettings.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "PageParams.h"

namespace Linkwell
{

namespace
{
constexpr uint32_t kMaxPort = 65535;
}

SLinkwellSettings MakeSettings(const SRegistryValues& values)
{
    SLinkwellSettings s;
    if (values.logToTextFile)
        s.hub.dwLogFlags = *values.logToTextFile;
    if (values.lpcPort && *values.lpcPort <= kMaxPort)
        s.hub.wLpcPort = static_cast<uint16_t>(*values.lpcPort);
    if (values.processPriority)
        s.dwPriorityClass = *values.processPriority;
    if (values.proxyPort && *values.proxyPort <= kMaxPort)
        s.hub.wProxyPort = static_cast<uint16_t>(*values.proxyPort);
    if (values.linkwellId && values.linkwellId->size() >= kIdLength)
        s.hub.dwHubId = dwIdFromString(*values.linkwellId);
    if (values.loginClsid)
        s.hub.loginClsid = values.loginClsid->substr(0, kLoginClsidMax);
    return s;
}

std::vector<std::string> StartupLogLines(uint32_t dwLogFlags, uint16_t wProxyPort)
{
    std::vector<std::string> lines = {
        "###Démarrage du processus",
        "En-tête du fichier de log mis à jour le 28/09/2001 à 19h57 pour la version 2.1.0.5",
    };
    if (dwLogFlags & HubRouting::kLogServerReceived)
        lines.push_back("Log des messages reçus par le Linkwell (envoyés par un serveur)");
    if (dwLogFlags & HubRouting::kLogServerSent)
        lines.push_back("Log des messages envoyés par le Linkwell vers un serveur");
    if (dwLogFlags & HubRouting::kLogLpcReceived)
        lines.push_back("Log des messages reçus par le LPC (envoyés par un LPCClient)");
    if (dwLogFlags & HubRouting::kLogLpcSent)
        lines.push_back("Log des messages envoyés par le LPC vers un LPCClient");
    if (dwLogFlags >= HubRouting::kLogBuffered)
        lines.push_back("Activation du buffering sur le log pour aller un peu plus vite");
    if (wProxyPort != 0)
    {
        char line[128];
        std::snprintf(line, sizeof(line),
                      "Utilisation de l'OBProxy sur le port %d selectionnée dans la registry",
                      int(wProxyPort));
        lines.push_back(line);
    }
    return lines;
}

bool boHasSwitch(const char* lpszCommandLine, const char* lpszWord)
{
    if (lpszCommandLine == nullptr)
        return false;
    const size_t n = std::strlen(lpszWord);
    for (const char* p = lpszCommandLine; *p != '\0'; ++p)
    {
        if (*p != '-' && *p != '/')
            continue;
        size_t i = 0;
        while (i < n && p[1 + i] != '\0' &&
               std::tolower(static_cast<unsigned char>(p[1 + i])) ==
                   std::tolower(static_cast<unsigned char>(lpszWord[i])))
            ++i;
        if (i == n && !std::isalnum(static_cast<unsigned char>(p[1 + n])))
            return true;
    }
    return false;
}

} // namespace Linkwell
