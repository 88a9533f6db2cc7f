// The launch part's link to the game server: opening it, the notifications
// and their routes, the server's commands, and the loss of the link.
#include "LaunchPart.h"

#include "ServerLinkMessages.h"
#include "TextUtil.h"

namespace
{
const char kLossText[] = "Perte de connexion!";
const char kLossCaption[] = "Launch Script Manager";
} // namespace

void CLaunchPart::OpenServerLink()
{
    if (m_serverLinkOpened || !m_pContext || !m_pContext->host)
        return;
    m_serverLinkOpened = true;
    IScriptEngineHost* host = m_pContext->host;
    m_hubStarted = host->StartHubLibrary();
    if (!m_hubStarted)
        host->Alert("OBSdkClient::Init() Failed", "Ludex");

    CStringExt address;
    CStringExt port;
    CStringExt msgd;
    m_pContext->vars.GetScriptVar("srip", address);
    m_pContext->vars.GetScriptVar("srpt", port);
    m_pContext->vars.GetScriptVar("msgd", msgd);
    m_log << "[Connexion ZDP : IP=" << address << " Port=" << port << "]\n";
    if (!address.empty() && !port.empty())
    {
        m_serverLink = host->OpenServerLink(address, port, msgd, this);
        if (!m_serverLink)
            m_log << "ERROR : Exception Connexion ZDP : \n";
    }
    if (!m_serverLink)
    {
        m_log << "ERROR Connexion ZDP\n";
        // No link holds the library: its start is undone at once.
        CloseServerLink();
    }
}

void CLaunchPart::CloseServerLink()
{
    // The channel goes before the library that carries it.
    m_serverLink.reset();
    if (m_hubStarted && m_pContext && m_pContext->host)
        m_pContext->host->StopHubLibrary();
    m_hubStarted = false;
}

void CLaunchPart::NotifyEvent(int32_t code, const std::string* custom)
{
    if (!m_pContext || !m_pContext->host)
        return;
    if (custom)
        m_pContext->host->NotifyEventText(code, *custom);
    else
        m_pContext->host->NotifyEvent(code);
    const LudexLink::SRoute route = LudexLink::RouteOf(code);
    if (route.toServer)
        SendToServer(code, custom);
    if (route.toPage)
        ShowInPage(code);
}

void CLaunchPart::SendToServer(int32_t code, const std::string* custom)
{
    if (!m_serverLink && !m_serverLinkLost)
        return;
    if (!IsServerLinkConnected())
    {
        m_log << "ERROR : Disconnected from ZDP (cnx Linkwell?/cnx Server?)\n";
        return;
    }
    CStringExt msgTemplate;
    m_pContext->vars.GetScriptVar("msg_", msgTemplate);
    std::string message;
    if (LudexLink::BuildNotification(msgTemplate, code, custom, message) != LudexLink::EBuildStatus::kOk ||
        !SendRawToServer(message))
        m_log << "ERROR : while sending message to ZDP : \n";
}

bool CLaunchPart::SendRawToServer(const std::string& text)
{
    return IsServerLinkConnected() && m_serverLink->Send(text.data(), text.size());
}

void CLaunchPart::ShowInPage(int32_t code)
{
    if (!LudexLink::RouteOf(code).toPage || !m_pContext || !m_pContext->host)
        return;
    CStringExt url;
    CStringExt frame;
    m_pContext->vars.GetScriptVar("iurl", url);
    m_pContext->vars.GetScriptVar("ifrm", frame);
    if (!url.empty())
        m_pContext->host->NavigateHostFrame(url + "&Info=" + std::to_string(code), frame);
}

void CLaunchPart::OnLinkLost()
{
    if (m_serverLinkLost)
        return;
    m_serverLinkLost = true;
    m_lossPending = true;
}

void CLaunchPart::ServiceServerLink()
{
    if (!m_lossPending)
        return;
    m_lossPending = false;
    CloseServerLink();
    if (m_pContext && m_pContext->host)
        m_pContext->host->Alert(kLossText, kLossCaption);
}

void CLaunchPart::QueueStop(const std::string& name)
{
    if (HasSubScript(name))
        Queue(kSubScriptNamed, name, 0);
    else
        Queue(kSubScriptOnStop, "", 0);
}

void CLaunchPart::OnServerCommand(const std::string& command)
{
    if (command.empty())
        return;
    if (EqualsNoCase(command, "quit"))
        QueueStop("quit");
    else if (EqualsNoCase(command, "hfln"))
    {
        ShowInPage(1003);
        QueueStop("hfln");
    }
    else if (EqualsNoCase(command, "hfgm"))
    {
        ShowInPage(1004);
        QueueStop("hfgm");
    }
    else
        Queue(kSubScriptNamed, command, 0);
}
