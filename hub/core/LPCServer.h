// A listener of the LPC port (TCP or UDP): every accepted connection or new
// UDP sender becomes a CLPCServerClt.
#pragma once

#include <winsock2.h>

#include <cstdint>

#include "NetServer.h"

class CLPC;

class CLPCServer : public FdNet::CNetServer
{
public:
    // Client programs one listener serves at most; more are refused.
    static constexpr size_t kMaxClients = 1024;

    explicit CLPCServer(CLPC& lpc);
    ~CLPCServer() override;

    HINSTANCE hGetModuleInstance() override;
    FdNet::CNetClient* lpGetNewClient(SOCKET s, uint32_t dwPortType) override;

private:
    CLPC& m_lpc;
};
