// The socket owner: it closes what it owns and nothing it gave up, moves
// without closing, and reports a failed close with its WSA code.
#include <gtest/gtest.h>

#include <utility>

#include "SocketOwner.h"
#include "WinsockUse.h"

using FdNet::CSocket;

namespace
{

// A socket is open while Winsock still knows it.
bool boIsOpen(SOCKET s)
{
    int iType = 0;
    int iSize = sizeof iType;
    return getsockopt(s, SOL_SOCKET, SO_TYPE, reinterpret_cast<char*>(&iType), &iSize) == 0;
}

SOCKET sNewSocket()
{
    return socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
}

class SocketOwner : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_winsock.boIsStarted()); }
    FdNet::CWinsockUse m_winsock;
};

} // namespace

TEST_F(SocketOwner, ClosesWhatItOwnsAndNotWhatItGaveUp)
{
    SOCKET raw = sNewSocket();
    ASSERT_NE(INVALID_SOCKET, raw);
    {
        CSocket owner(raw);
        EXPECT_TRUE(owner.boValid());
        EXPECT_EQ(raw, owner.get());
    }
    EXPECT_FALSE(boIsOpen(raw));

    raw = sNewSocket();
    ASSERT_NE(INVALID_SOCKET, raw);
    {
        CSocket owner(raw);
        EXPECT_EQ(raw, owner.sDetach());
        EXPECT_FALSE(owner.boValid());
        EXPECT_EQ(INVALID_SOCKET, owner.get());
    }
    EXPECT_TRUE(boIsOpen(raw));
    EXPECT_EQ(0, closesocket(raw));
}

TEST_F(SocketOwner, AttachClosesTheOldOneAndKeepsTheSameOne)
{
    const SOCKET first = sNewSocket();
    const SOCKET second = sNewSocket();
    ASSERT_NE(INVALID_SOCKET, first);
    ASSERT_NE(INVALID_SOCKET, second);
    CSocket owner(first);
    owner.vAttach(first); // the same socket: kept open
    EXPECT_TRUE(boIsOpen(first));
    owner.vAttach(second);
    EXPECT_FALSE(boIsOpen(first));
    EXPECT_TRUE(boIsOpen(second));
    EXPECT_EQ(second, owner.get());
}

TEST_F(SocketOwner, MovingHandsTheSocketOverWithoutClosingIt)
{
    const SOCKET raw = sNewSocket();
    ASSERT_NE(INVALID_SOCKET, raw);
    CSocket from(raw);
    CSocket to(std::move(from));
    EXPECT_FALSE(from.boValid());
    EXPECT_EQ(raw, to.get());
    EXPECT_TRUE(boIsOpen(raw));

    const SOCKET other = sNewSocket();
    ASSERT_NE(INVALID_SOCKET, other);
    CSocket target(other);
    target = std::move(to); // closes what the target held
    EXPECT_FALSE(boIsOpen(other));
    EXPECT_FALSE(to.boValid());
    EXPECT_EQ(raw, target.get());
    EXPECT_TRUE(boIsOpen(raw));
}

TEST_F(SocketOwner, CloseReportsTheWsaCodeAndEmptiesTheOwner)
{
    CSocket empty;
    EXPECT_EQ(0, empty.iClose());

    const SOCKET raw = sNewSocket();
    ASSERT_NE(INVALID_SOCKET, raw);
    CSocket owner(raw);
    EXPECT_EQ(0, owner.iClose());
    EXPECT_FALSE(owner.boValid());
    EXPECT_FALSE(boIsOpen(raw));
    EXPECT_EQ(0, owner.iClose()); // nothing left to close

    // A socket closed behind the owner's back: the close fails and says why.
    const SOCKET gone = sNewSocket();
    ASSERT_NE(INVALID_SOCKET, gone);
    CSocket stale(gone);
    ASSERT_EQ(0, closesocket(gone));
    EXPECT_EQ(WSAENOTSOCK, stale.iClose());
    EXPECT_FALSE(stale.boValid());
}
