// Socket events and timers of a server link, on the LPC thread.
#include "ExceptionBase.h"
#include "HubTrace.h"
#include "INetCnxOwner.h"
#include "NetCnx.h"

using namespace FdNet;

void CNetCnx::vOnClientEvent(CNetCnxClient& client, uint32_t dwCode, UINT_PTR ulTimerId)
{
    FdSystem::CAutoLock lock(&m_owner.HubLock());
    if (m_boClosed)
        return;
    try
    {
        vInternalCallbackNetEvent(client, dwCode, ulTimerId);
    }
    catch (const FdBase::CExceptionBase& e)
    {
        HubTrace::vLog("!ERREUR! CNetCnx::vInternalCallbackNetEvent -> exception %u",
                       unsigned(e.dwGetCode()));
    }
}

void CNetCnx::vOnClientMessage(CNetCnxClient& client, const uint8_t* lpMessage, uint32_t ulSize)
{
    FdSystem::CAutoLock lock(&m_owner.HubLock());
    if (m_boClosed)
        return;
    if (m_boProxyMode)
    {
        // Any message on a socket is the proxy's answer for that side.
        (client.boIsUdp() ? m_boProxyUdpAnswered : m_boProxyTcpAnswered) = true;
        if (m_boProxyTcpAnswered && m_boProxyUdpAnswered)
        {
            vOnConnectionComplete(true);
            return;
        }
    }
    try
    {
        m_owner.vOnServerMessage(*this, lpMessage, ulSize);
    }
    catch (const FdBase::CExceptionBase& e)
    {
        HubTrace::vLog("!ERREUR! CNetCnx::vOnClientMessage -> exception %u", unsigned(e.dwGetCode()));
    }
}

void CNetCnx::vInternalCallbackNetEvent(CNetCnxClient& client, uint32_t dwCode, UINT_PTR ulTimerId)
{
    const int state = iGetState();
    switch (dwCode)
    {
    case NETASYNC_CNX_CONNECTED:
        if (state == NETCNX_CONNECTING || state == NETCNX_RECONNECTING)
            vOnConnected(client);
        else
        {
            if (state == NETCNX_RELEASING)
                HubTrace::vLog(
                    "Connexion réussie mais ignorée, le NetCnx %p concerné étant en cours de destruction",
                    static_cast<void*>(this));
            m_owner.vCallbackNetEvent(*this, dwCode);
        }
        return;
    case NETASYNC_CNX_FAILED:
        if (m_boInClientsConnect)
        {
            // boClientsConnect reports it to its caller.
            m_boImmediateFailure = true;
            return;
        }
        vDisconnectClients();
        if (m_iTimerRole == kTimerReconnecting)
            HubTrace::vLog("Invalidation du timer sur connexion");
        else if (m_iTimerRole == kTimerBetween)
            HubTrace::vLog("Invalidation du timer d'attente entre tentatives de reconnexion");
        vKillReconnTimer();
        vKillConnectTimer();
        m_iTimerRole = kTimerNone;
        m_owner.vCallbackNetEvent(*this, dwCode);
        return;
    case NETASYNC_CNX_CLOSED:
    case NETASYNC_CNX_ABORTED:
        vDisconnectClients();
        if (state == NETCNX_RELEASING || state == NETCNX_NOT_CONNECTED)
            return;
        if (state == NETCNX_RECONNECTING)
            return; // an attempt's own failure arrives as NETASYNC_CNX_FAILED or a timeout
        vKillConnectTimer();
        if (!boTryReconnect())
            m_owner.vCallbackNetEvent(*this, dwCode);
        return;
    case NETASYNC_CNX_TIMER:
        vOnTimer(ulTimerId);
        return;
    default:
        HubTrace::vLog("CNetCnx (%p) : évènement %u du socket %s", static_cast<void*>(this), unsigned(dwCode),
                       client.boIsUdp() ? "UDP" : "TCP");
        return;
    }
}

void CNetCnx::vOnConnected(CNetCnxClient& client)
{
    const bool reconnecting = iGetState() == NETCNX_RECONNECTING;
    if (client.boIsUdp())
    {
        m_boUdpConnected = true;
        m_ulUdpMaxMsgSize = client.ulGetMaxMsgSize();
        HubTrace::vLog(reconnecting ? "Reconnexion UDP effectuée"
                                    : "Connexion UDP effectuée : Taille max d'un message : %d octets",
                       int(m_ulUdpMaxMsgSize));
    }
    else
    {
        m_boTcpConnected = true;
        if (reconnecting)
            HubTrace::vLog("Reconnexion TCP effectuée");
    }
    // Through the proxy, completion waits for its answers on both sockets.
    if (m_boTcpConnected && m_boUdpConnected && !m_boProxyMode)
        vOnConnectionComplete(false);
}

void CNetCnx::vOnConnectionComplete(bool boViaProxy)
{
    if (iGetState() == NETCNX_RECONNECTING)
    {
        vKillReconnTimer();
        m_iTimerRole = kTimerNone;
        m_reconnect.vRefill();
        m_boReregistering = true;
        HubTrace::vLog(boViaProxy ? "/*OBP*/ Reconnexion effectuée via l'OBProxy; timer désactivé"
                                  : "Reconnexion effectuée; timer désactivé");
    }
    else
    {
        vKillConnectTimer();
        HubTrace::vLog(boViaProxy ? "/*OBP*/ Connexion complète effectuée via l'OBProxy; timer désactivé"
                                  : "Connexion complète effectuée; timer désactivé");
    }
    if (boViaProxy)
    {
        m_boProxyMode = false;
        m_boProxyTcpAnswered = m_boProxyUdpAnswered = false;
    }
    m_owner.vCallbackNetEvent(*this, NETASYNC_CNX_CONNECTED);
}

void CNetCnx::vOnTimer(UINT_PTR ulTimerId)
{
    if (ulTimerId != 0 && ulTimerId == m_ulConnectTimer)
    {
        m_ulConnectTimer = 0;
        m_owner.vCallbackNetEvent(*this, NETCNXCLIENT_NOTIF_CONNECTTIMEOUT);
        return;
    }
    if (ulTimerId == 0 || ulTimerId != m_ulReconnTimer)
        return;
    m_ulReconnTimer = 0;
    if (m_iTimerRole == kTimerBetween)
    {
        HubTrace::vLog("Reception du timer d'attente avant reconnexion");
        m_iTimerRole = kTimerReconnecting;
        HubTrace::vLog("Lancement du timer de reconnexion");
        m_ulReconnTimer = m_tcp->ulSetTimer(m_reconnect.dwGetTimeoutMs());
        if (boClientsConnect())
            return;
        HubTrace::vLog("Echec immédiat de la reconnexion : on détruit le timer de reconnexion");
        vDisconnectClients();
        vKillReconnTimer();
        m_iTimerRole = kTimerNone;
        m_owner.vCallbackNetEvent(*this, NETCNX_NOTIF_RECONNECTFAILED);
        return;
    }
    if (m_iTimerRole == kTimerReconnecting)
    {
        HubTrace::vLog("Reception d'un évenement timeout sur la reconnection");
        vDisconnectClients();
        m_iTimerRole = kTimerNone;
        m_owner.vCallbackNetEvent(*this, NETCNX_NOTIF_RECONNECTFAILED);
    }
}
