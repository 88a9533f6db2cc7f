#include "HubTestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "HubTrace.h"
#include "LPC.h"
#include "LpcClientMessages.h"
#include "TestFiles.h"

namespace HubTest
{

namespace
{

FdNet::CWinsockUse g_winsock;

sockaddr_in Loopback(uint16_t wPort)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = kLoopback;
    a.sin_port = htons(wPort);
    return a;
}

// Waits until the socket has something to read; false at the bound.
bool boReadable(SOCKET s, DWORD dwMs)
{
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval tv{long(dwMs / 1000), long((dwMs % 1000) * 1000)};
    return select(0, &set, nullptr, nullptr, &tv) == 1;
}

uint16_t wEnvPort(const char* lpszName)
{
    const char* value = std::getenv(lpszName);
    return value ? uint16_t(std::atoi(value)) : 0;
}

} // namespace

uint32_t dwId(const char* lpszFour)
{
    uint32_t id = 0;
    std::memcpy(&id, lpszFour, 4);
    return id;
}

// ----- CLpcTestClient

CLpcTestClient::CLpcTestClient() : m_cutter(HubProto::kLpcFrameLimits) {}

CLpcTestClient::~CLpcTestClient()
{
    vClose();
}

bool CLpcTestClient::boConnect(uint16_t wPort)
{
    m_socket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    const sockaddr_in a = Loopback(wPort);
    return m_socket != INVALID_SOCKET &&
           connect(m_socket, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
}

bool CLpcTestClient::boOpenUdp(uint16_t wPort)
{
    m_boUdp = true;
    m_socket = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    const sockaddr_in a = Loopback(wPort);
    return m_socket != INVALID_SOCKET &&
           connect(m_socket, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
}

void CLpcTestClient::vClose()
{
    if (m_socket != INVALID_SOCKET)
        closesocket(m_socket);
    m_socket = INVALID_SOCKET;
}

bool CLpcTestClient::boSend(const Bytes& message)
{
    return !message.empty() && send(m_socket, reinterpret_cast<const char*>(message.data()),
                                    int(message.size()), 0) == int(message.size());
}

bool CLpcTestClient::boReadSome(DWORD dwMs)
{
    if (m_boPeerClosed || !boReadable(m_socket, dwMs))
        return false;
    char buffer[65536];
    const int n = recv(m_socket, buffer, sizeof buffer, 0);
    if (n <= 0)
    {
        m_boPeerClosed = true;
        return false;
    }
    const uint8_t* data = reinterpret_cast<const uint8_t*>(buffer);
    if (m_boUdp)
    {
        m_kept.emplace_back(data, data + n);
        return true;
    }
    m_cutter.vFeed(data, uint32_t(n));
    HubProto::ByteSpan message;
    while (m_cutter.Next(message) == HubProto::CStreamCutter::ECut::Message)
        m_kept.emplace_back(message.lpData, message.lpData + message.ulSize);
    return true;
}

bool CLpcTestClient::boTake(uint8_t bLetter, SHubMessage& out)
{
    for (auto it = m_kept.begin(); it != m_kept.end(); ++it)
        if (it->size() >= 2 && (*it)[1] == bLetter)
        {
            out.bytes = std::move(*it);
            m_kept.erase(it);
            return HubProto::DecodeLpcHubMessage(out.bytes.data(), uint32_t(out.bytes.size()), out.msg) ==
                   HubProto::LpcDecodeStatus::Ok;
        }
    return false;
}

bool CLpcTestClient::boExpect(uint8_t bLetter, SHubMessage& out, DWORD dwMs)
{
    const DWORD start = GetTickCount();
    for (;;)
    {
        if (boTake(bLetter, out))
            return true;
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= dwMs || (!boReadSome(dwMs - elapsed) && m_boPeerClosed))
            return boTake(bLetter, out);
    }
}

bool CLpcTestClient::boExpectAny(const std::string& letters, SHubMessage& out, DWORD dwMs)
{
    const DWORD start = GetTickCount();
    for (;;)
    {
        for (char letter : letters)
            if (boTake(uint8_t(letter), out))
                return true;
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= dwMs || (!boReadSome(dwMs - elapsed) && m_boPeerClosed))
            return false;
    }
}

bool CLpcTestClient::boQuiet(DWORD dwMs)
{
    if (!m_kept.empty())
        return false;
    const DWORD start = GetTickCount();
    for (;;)
    {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= dwMs)
            return m_kept.empty();
        boReadSome(dwMs - elapsed);
        if (!m_kept.empty())
            return false;
        if (m_boPeerClosed)
            return true;
    }
}

bool CLpcTestClient::boClosedByHub(DWORD dwMs)
{
    const DWORD start = GetTickCount();
    while (!m_boPeerClosed && GetTickCount() - start < dwMs)
        boReadSome(dwMs - (GetTickCount() - start));
    return m_boPeerClosed;
}

int CLpcTestClient::iOpenChannel(uint32_t dwAddress, uint16_t wPort, uint32_t dwTimeoutMs, DWORD dwMs)
{
    if (!boSend(HubProto::EncodeLpcConnect(dwTimeoutMs, dwAddress, wPort)))
        return -2;
    const DWORD start = GetTickCount();
    SHubMessage m;
    while (GetTickCount() - start < dwMs)
    {
        if (boTake('a', m))
            return m.msg.bChannel;
        if (boTake('b', m))
            return -1;
        boReadSome(50);
        if (m_boPeerClosed)
            break;
    }
    return -3;
}

std::string CLpcTestClient::Kept()
{
    std::string letters;
    for (const Bytes& b : m_kept)
        letters += b.size() >= 2 ? char(b[1]) : '?';
    return letters;
}

// ----- CGameServer

CGameServer::~CGameServer()
{
    if (m_socket != INVALID_SOCKET)
        closesocket(m_socket);
}

bool CGameServer::boConnect()
{
    m_wPort = wEnvPort("FD_GAMESERVER_PORT");
    const uint16_t control = wEnvPort("FD_GAMESERVER_CONTROL");
    if (m_wPort == 0 || control == 0)
        return false;
    m_socket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    const sockaddr_in a = Loopback(control);
    return connect(m_socket, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
}

std::string CGameServer::Command(const std::string& line, DWORD dwMs)
{
    const std::string sent = line + "\n";
    if (send(m_socket, sent.data(), int(sent.size()), 0) != int(sent.size()))
        return "";
    const DWORD start = GetTickCount();
    for (;;)
    {
        const size_t end = m_pending.find('\n');
        if (end != std::string::npos)
        {
            std::string reply = m_pending.substr(0, end);
            m_pending.erase(0, end + 1);
            return reply;
        }
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= dwMs || !boReadable(m_socket, dwMs - elapsed))
            return "";
        char buffer[65536];
        const int n = recv(m_socket, buffer, sizeof buffer, 0);
        if (n <= 0)
            return "";
        m_pending.append(buffer, size_t(n));
    }
}

long CGameServer::lWait(const std::string& link, const std::string& counter, long lMin, DWORD dwMs)
{
    const std::string reply =
        Command("WAIT " + link + " " + counter + " " + std::to_string(lMin) + " " + std::to_string(dwMs),
                dwMs + 5000);
    return reply.compare(0, 3, "OK ") == 0 ? std::atol(reply.c_str() + 3) : -1;
}

std::map<std::string, std::string> CGameServer::Fields(const std::string& command)
{
    std::map<std::string, std::string> fields;
    std::istringstream words(Command(command));
    std::string word;
    while (words >> word)
    {
        const size_t eq = word.find('=');
        if (eq != std::string::npos)
            fields[word.substr(0, eq)] = word.substr(eq + 1);
    }
    return fields;
}

long CGameServer::lCounter(const std::string& link, const std::string& counter)
{
    const auto fields = Fields(link == "any" ? std::string("STATS") : "LINK " + link);
    const auto it = fields.find(counter);
    return it != fields.end() ? std::atol(it->second.c_str()) : -1;
}

bool CGameServer::boReset()
{
    for (const char* line :
         {"CLEAR", "ANSWER init on", "ANSWER echo on", "ANSWER ident on", "ANSWER ack on", "ANSWER bind on",
          "ANSWER short on", "ANSWER proxy on", "SILENT off", "REFUSE off", "STALL off"})
        if (!boOk(line))
            return false;
    return true;
}

// ----- CTestHost

template <class Pred> bool CTestHost::boWaitFor(Pred pred, DWORD dwMs)
{
    std::unique_lock<std::mutex> lock(m_lock);
    return m_changed.wait_for(lock, std::chrono::milliseconds(dwMs), pred);
}

void CTestHost::vPostPageJob(const HubRouting::SPageJob& job)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_pageJobs.push_back(job);
    m_changed.notify_all();
}

void CTestHost::vPostErrorJob(int32_t lErrorNumber)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_errorJobs.push_back(lErrorNumber);
    m_changed.notify_all();
}

void CTestHost::vQuit()
{
    std::lock_guard<std::mutex> lock(m_lock);
    ++m_iQuits;
    m_changed.notify_all();
}

void CTestHost::vOnRegisteredLinks(bool boAnyRegistered)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_registered.push_back(boAnyRegistered);
    m_changed.notify_all();
}

bool CTestHost::boWaitErrorJob(int32_t lErrorNumber, DWORD dwMs)
{
    return boWaitFor(
        [&]
        {
            for (int32_t e : m_errorJobs)
                if (e == lErrorNumber)
                    return true;
            return false;
        },
        dwMs);
}

bool CTestHost::boWaitPageJob(HubRouting::SPageJob& out, DWORD dwMs)
{
    if (!boWaitFor([&] { return m_pageJobs.size() > m_ulPageJobsTaken; }, dwMs))
        return false;
    std::lock_guard<std::mutex> lock(m_lock);
    out = m_pageJobs[m_ulPageJobsTaken++];
    return true;
}

bool CTestHost::boWaitQuit(DWORD dwMs)
{
    return boWaitFor([&] { return m_iQuits > 0; }, dwMs);
}

std::vector<int32_t> CTestHost::ErrorJobs()
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_errorJobs;
}

std::vector<bool> CTestHost::RegisteredChanges()
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_registered;
}

// ----- CTestLog

CTestLog& CTestLog::Instance()
{
    static CTestLog log;
    return log;
}

CTestLog::CTestLog()
{
    // One file per test program: they run side by side in one folder.
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string name = exe;
    name = name.substr(name.find_last_of("\\/") + 1);
    name = name.substr(0, name.find('.'));
    m_logger.vSetFolder((name + "-").c_str());
    m_logger.vSetFlushEachLine(false); // read back after an explicit flush
    m_logger.vEnable(true);
    HubTrace::vSetLogger(&m_logger, 0);
    vMark();
}

std::string CTestLog::Whole()
{
    m_logger.vFlush();
    char name[1100] = {};
    if (!m_logger.boGetFileName(name, sizeof name))
        return "";
    return FdTestKit::strReadFile(name);
}

void CTestLog::vMark()
{
    m_ulMark = Whole().size();
}

std::string CTestLog::SinceMark()
{
    const std::string whole = Whole();
    return whole.size() >= m_ulMark ? whole.substr(m_ulMark) : whole;
}

size_t CTestLog::ulOccurrences(const std::string& haystack, const std::string& text)
{
    size_t n = 0;
    for (size_t at = haystack.find(text); at != std::string::npos; at = haystack.find(text, at + text.size()))
        ++n;
    return n;
}

// ----- CHubFixture

void CHubFixture::SetUp()
{
    CTestLog::Instance().vMark();
    ASSERT_TRUE(m_server.boConnect())
        << "no stand-in game server (FD_GAMESERVER_PORT, FD_GAMESERVER_CONTROL)";
    ASSERT_TRUE(m_server.boReset());
    m_settings.wLpcPort = 0;
    HubRouting::SHubTimings& t = m_settings.timings;
    t.dwInitReplyMs = 3000;
    t.dwIdentifiedWaitMs = 400;
    t.dwBindIntervalMs = 150;
    t.dwTtlTickMs = 10;
    t.dwReconnBetweenMs = 100;
    t.dwReconnTimeoutMs = 1000;
    t.dwClientKillDelayMs = 50;
    ASSERT_TRUE(Restart());
}

void CHubFixture::TearDown()
{
    m_mgr.reset();
}

::testing::AssertionResult CHubFixture::Restart()
{
    m_mgr.reset();
    m_mgr.reset(new CLinkwellMgr(m_host));
    if (!m_mgr->boInit(m_settings))
        return ::testing::AssertionFailure() << "the hub core did not start";
    if (!m_mgr->boIsLpcListening())
        return ::testing::AssertionFailure() << "the hub core does not listen for client programs";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult CHubFixture::NewClient(std::unique_ptr<CLpcTestClient>& client)
{
    client.reset(new CLpcTestClient);
    if (!client->boConnect(wLpcPort()))
        return ::testing::AssertionFailure() << "no connection to the hub's port " << wLpcPort();
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult CHubFixture::NewClientWithChannel(std::unique_ptr<CLpcTestClient>& client,
                                                             uint8_t* lpbChannel)
{
    ::testing::AssertionResult connected = NewClient(client);
    if (!connected)
        return connected;
    const int channel = client->iOpenChannel(kLoopback, wServerPort());
    if (channel < 0)
        return ::testing::AssertionFailure()
               << "no channel to the stand-in on port " << wServerPort() << " (answer " << channel << ")";
    *lpbChannel = uint8_t(channel);
    return ::testing::AssertionSuccess();
}

Bytes CHubFixture::ReconnParams(uint16_t wAttempts, uint32_t dwBetweenMs, uint32_t dwTimeoutMs)
{
    return HubProto::EncodeLpcSetReconnParams(kLoopback, wServerPort(), wAttempts, dwBetweenMs, dwTimeoutMs);
}

bool CHubFixture::boEventually(const std::function<bool()>& done, DWORD dwMs)
{
    const DWORD start = GetTickCount();
    while (!done())
    {
        if (GetTickCount() - start >= dwMs)
            return false;
        Sleep(5);
    }
    return true;
}

} // namespace HubTest
