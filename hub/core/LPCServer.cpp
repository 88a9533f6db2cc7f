#include "LPCServer.h"

#include "HubTrace.h"
#include "LPC.h"
#include "LPCServerClt.h"

CLPCServer::CLPCServer(CLPC& lpc) : m_lpc(lpc) {}

CLPCServer::~CLPCServer() = default;

HINSTANCE CLPCServer::hGetModuleInstance()
{
    return GetModuleHandleA(nullptr);
}

FdNet::CNetClient* CLPCServer::lpGetNewClient(SOCKET s, uint32_t dwPortType)
{
    if (ulGetTcpClientCount() + ulGetUdpClientCount() >= kMaxClients)
    {
        HubTrace::vLog("!ERREUR! CLPCServer::lpGetNewClient -> trop de clients (%u)", unsigned(kMaxClients));
        return nullptr;
    }
    if (dwPortType == FdNet::kPortTypeTcp)
        FdNet::vSetNoDelay(s);
    CLPCServerClt* client = new CLPCServerClt(m_lpc, dwPortType);
    client->vSetNotifyCallback(&CLPC::vServerCltNotifyCallback, &m_lpc);
    return client;
}
