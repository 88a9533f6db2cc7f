// The socket connection handlers under Wine, over a loopback connection.
#include "SpSrvCnxHandler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PumpUntil.h"

using namespace ChatIrc;

namespace
{

struct Winsock
{
    Winsock()
    {
        WSADATA data;
        WSAStartup(0x0101, &data);
    }
    ~Winsock() { WSACleanup(); }
};

class COwner : public ISpSrvOwner, public ISpSrvSink
{
public:
    std::vector<std::string> texts;
    std::vector<DWORD> textThreads;
    volatile LONG rawBlocks = 0;
    CSpSrvCnxHandler* removed = nullptr;
    DWORD removedThread = 0;

    ISpSrvSink* GetSink() override { return this; }
    HINSTANCE GetModuleInstance() override { return GetModuleHandleA(nullptr); }
    void RemoveHandler(CSpSrvCnxHandler* h) override
    {
        removed = h;
        removedThread = GetCurrentThreadId();
    }
    void OnRawData(const char*, size_t, CSpSrvCnxHandler*, void*) override
    {
        InterlockedIncrement(&rawBlocks);
    }
    void OnText(const char* text, size_t length, CSpSrvCnxHandler*, ISpSrvOwner* owner) override
    {
        EXPECT_EQ(owner, this);
        texts.push_back(std::string(text, length));
        textThreads.push_back(GetCurrentThreadId());
    }
};

// A connected pair over loopback: the client's socket and the accepted one.
bool boPair(SOCKET& client, SOCKET& accepted)
{
    SOCKET listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = inet_addr("127.0.0.1");
    int len = sizeof addr;
    if (bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(listener, 1) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        return false;
    client = socket(AF_INET, SOCK_STREAM, 0);
    if (connect(client, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0)
        return false;
    accepted = accept(listener, nullptr, nullptr);
    closesocket(listener);
    return accepted != INVALID_SOCKET;
}

} // namespace

TEST(SpSrvCnxHandler, CreatedByNameTextsAndPeerClose)
{
    Winsock ws;
    EXPECT_NE(CHtmlRuntimeClass::FromName("CSpSrvCnxHandler"), nullptr);
    CHtmlObject* object = CHtmlRuntimeClass::CreateByName("CSpSrvCStrCnxHandler");
    ASSERT_NE(object, nullptr);
    ASSERT_TRUE(object->IsKindOf(HTML_RUNTIME_CLASS(CSpSrvCnxHandler)));
    CSpSrvCStrCnxHandler* handler = static_cast<CSpSrvCStrCnxHandler*>(object);

    COwner owner;
    EXPECT_FALSE(handler->boStart(INVALID_SOCKET, &owner));
    SOCKET client = INVALID_SOCKET, accepted = INVALID_SOCKET;
    ASSERT_TRUE(boPair(client, accepted));
    ASSERT_TRUE(handler->boStart(accepted, &owner));
    EXPECT_FALSE(IsWindowVisible(handler->hGetWindow()));

    send(client, "ab\0cd\0", 6, 0);
    ASSERT_TRUE(FdWin::boPumpUntil([&] { return owner.texts.size() >= 2; }, 20000));
    EXPECT_EQ(owner.texts, (std::vector<std::string>{std::string("ab\0", 3), std::string("cd\0", 3)}));
    for (DWORD id : owner.textThreads)
        EXPECT_EQ(id, GetCurrentThreadId());
    EXPECT_GE(owner.rawBlocks, 1);

    EXPECT_EQ(handler->iSendText("hi", -1), 3);
    EXPECT_EQ(handler->iSendText("hello", 2), 2);
    EXPECT_EQ(handler->iSend("x", 0), 0);
    char buf[8] = {};
    int got = 0;
    while (got < 5)
    {
        const int n = recv(client, buf + got, sizeof buf - got, 0);
        if (n <= 0)
            break;
        got += n;
    }
    EXPECT_EQ(std::string(buf, 5), std::string("hi\0he", 5));

    // The peer closes: the handler leaves its owner and deletes itself on this thread.
    closesocket(client);
    ASSERT_TRUE(FdWin::boPumpUntil([&] { return owner.removed != nullptr; }, 20000));
    EXPECT_EQ(owner.removed, handler);
    EXPECT_EQ(owner.removedThread, GetCurrentThreadId());
}

TEST(SpSrvCnxHandler, DeletedWhileReading)
{
    Winsock ws;
    COwner owner;
    SOCKET client = INVALID_SOCKET, accepted = INVALID_SOCKET;
    ASSERT_TRUE(boPair(client, accepted));
    CSpSrvCnxHandler* handler = new CSpSrvCnxHandler;
    ASSERT_TRUE(handler->boStart(accepted, &owner));
    send(client, "x", 1, 0);
    ASSERT_TRUE(FdWin::boPumpUntil([&] { return owner.rawBlocks >= 1; }, 20000));
    // The reader still runs: deleting waits for it, then nothing more comes.
    delete handler;
    closesocket(client);
    EXPECT_EQ(owner.removed, nullptr);
}
