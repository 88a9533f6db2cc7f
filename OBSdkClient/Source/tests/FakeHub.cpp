#include "FakeHub.h"

#include "StreamCutter.h"
#include "LpcHubMessages.h"

namespace SdkTest
{

namespace
{
const uint32_t kLoopback = 0x0100007F;
const long kPollUs = 10000;
} // namespace

struct CFakeHub::SConnection
{
    SOCKET s = INVALID_SOCKET;
    bool boLive = true;
    bool boReadEnded = false; // the client closed (or half-closed): kept open for sending
    HubProto::CStreamCutter cutter{HubProto::kLpcFrameLimits};
};

CFakeHub::CFakeHub()
{
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    m_listen = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = kLoopback;
    bind(m_listen, reinterpret_cast<sockaddr*>(&a), sizeof a);
    listen(m_listen, 8);
    int len = sizeof a;
    getsockname(m_listen, reinterpret_cast<sockaddr*>(&a), &len);
    m_wPort = ntohs(a.sin_port);
    m_thread = std::thread([this] { vRun(); });
}

CFakeHub::~CFakeHub()
{
    m_boStop = true;
    m_thread.join();
    for (auto& c : m_connections)
        if (c->s != INVALID_SOCKET)
            closesocket(c->s);
    closesocket(m_listen);
    WSACleanup();
}

void CFakeHub::vSetAnswer(FAnswer answer)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_answer = std::move(answer);
}

std::vector<Bytes> CFakeHub::Requests()
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_requests;
}

std::vector<Bytes> CFakeHub::RequestsOf(uint8_t letter)
{
    std::vector<Bytes> out;
    for (Bytes& r : Requests())
        if (r.size() > 1 && r[1] == letter)
            out.push_back(r);
    return out;
}

size_t CFakeHub::ulRequestCount()
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_requests.size();
}

size_t CFakeHub::ulAccepted()
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_ulAccepted;
}

size_t CFakeHub::ulClosedByClient()
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_ulClosedByClient;
}

size_t CFakeHub::ulLive()
{
    std::lock_guard<std::mutex> lock(m_lock);
    size_t n = 0;
    for (auto& c : m_connections)
        n += c->boLive;
    return n;
}

bool CFakeHub::boSend(const Bytes& bytes)
{
    std::lock_guard<std::mutex> lock(m_lock);
    for (auto it = m_connections.rbegin(); it != m_connections.rend(); ++it)
        if ((*it)->boLive)
            return send((*it)->s, reinterpret_cast<const char*>(bytes.data()), int(bytes.size()), 0) ==
                   int(bytes.size());
    return false;
}

void CFakeHub::vCloseAll(bool boReset)
{
    std::lock_guard<std::mutex> lock(m_lock);
    for (auto& c : m_connections)
    {
        if (!c->boLive)
            continue;
        if (boReset)
        {
            linger l{1, 0};
            setsockopt(c->s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&l), sizeof l);
        }
        closesocket(c->s);
        c->s = INVALID_SOCKET;
        c->boLive = false;
    }
}

CFakeHub::FAnswer CFakeHub::AnswerOpens(uint8_t first)
{
    auto next = std::make_shared<uint8_t>(first);
    return [next](const Bytes& request) -> Bytes
    {
        HubProto::LpcClientMessage m;
        if (request[1] != 'C' || HubProto::DecodeLpcClientMessage(request.data(), uint32_t(request.size()),
                                                                  m) != HubProto::LpcDecodeStatus::Ok)
            return {};
        return HubProto::EncodeLpcConnectionSucceeded(m.dwServerIp, m.wServerPort, (*next)++,
                                                      {1000, 1466, 1465});
    };
}

void CFakeHub::vRun()
{
    while (!m_boStop)
    {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(m_listen, &readable);
        {
            std::lock_guard<std::mutex> lock(m_lock);
            for (auto& c : m_connections)
                if (c->boLive && !c->boReadEnded)
                    FD_SET(c->s, &readable);
        }
        timeval tv{0, kPollUs};
        if (select(0, &readable, nullptr, nullptr, &tv) <= 0)
            continue;
        if (FD_ISSET(m_listen, &readable))
        {
            SOCKET s = accept(m_listen, nullptr, nullptr);
            if (s != INVALID_SOCKET)
            {
                std::lock_guard<std::mutex> lock(m_lock);
                auto c = std::make_unique<SConnection>();
                c->s = s;
                m_connections.push_back(std::move(c));
                ++m_ulAccepted;
            }
        }
        std::vector<SConnection*> ready;
        {
            std::lock_guard<std::mutex> lock(m_lock);
            for (auto& c : m_connections)
                if (c->boLive && !c->boReadEnded && FD_ISSET(c->s, &readable))
                    ready.push_back(c.get());
        }
        for (SConnection* c : ready)
            vReceive(*c);
    }
}

void CFakeHub::vReceive(SConnection& c)
{
    char buffer[65536];
    const int n = recv(c.s, buffer, sizeof buffer, 0);
    std::unique_lock<std::mutex> lock(m_lock);
    if (!c.boLive)
        return;
    if (n <= 0)
    {
        // Not closed from this side: a client that only stopped sending
        // must not see the hub go.
        c.boReadEnded = true;
        ++m_ulClosedByClient;
        return;
    }
    c.cutter.vFeed(reinterpret_cast<const uint8_t*>(buffer), uint32_t(n));
    HubProto::ByteSpan message;
    while (c.cutter.Next(message) == HubProto::CStreamCutter::ECut::Message)
    {
        Bytes request(message.lpData, message.lpData + message.ulSize);
        m_requests.push_back(request);
        if (!m_answer)
            continue;
        const Bytes answer = m_answer(request);
        if (!answer.empty())
            send(c.s, reinterpret_cast<const char*>(answer.data()), int(answer.size()), 0);
    }
}

} // namespace SdkTest
