#include "support/winsock_fixture.h"

#include <QCoreApplication>
#include <QString>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace ql::test {
namespace {

using SocketSetup = WinsockTest;

TEST_F(SocketSetup, StartupReportsVersionAndATrumpetDescriptionOnlyOnRequest) {
  WSADATA data{};
  ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
  EXPECT_EQ(data.wVersion, MAKEWORD(1, 1));
  EXPECT_FALSE(QString::fromLatin1(data.szDescription).toUpper().contains("TRUMPET"));
  EXPECT_EQ(WSACleanup(), 0);

  SetTrumpetStackForTest(true);
  ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
  EXPECT_TRUE(QString::fromLatin1(data.szDescription).toUpper().contains("TRUMPET"));
  EXPECT_EQ(WSACleanup(), 0);

  EXPECT_EQ(WSAStartup(MAKEWORD(1, 0), &data), WSAVERNOTSUPPORTED);
}

TEST_F(SocketSetup, SocketsNeedAStartedLayer) {
  ASSERT_EQ(WSACleanup(), 0);
  EXPECT_EQ(socket(AF_INET, SOCK_STREAM, 0), INVALID_SOCKET);
  EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
  EXPECT_EQ(WSACleanup(), SOCKET_ERROR);
  WSADATA data{};
  ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
}

TEST_F(SocketSetup, HandlesArePositiveCountUpAndAreNotDescriptors) {
  SOCKET previous = 0;
  for (int i = 0; i < 5; ++i) {
    const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    ASSERT_GT(s, previous);
    EXPECT_EQ(closesocket(s), 0);
    previous = s;
  }
  // Closing a handle that happens to equal an open descriptor's number leaves the descriptor alone.
  EXPECT_TRUE(raw::IsOpenDescriptor(0));
  EXPECT_EQ(closesocket(0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
  EXPECT_TRUE(raw::IsOpenDescriptor(0));

  char byte = 0;
  for (const SOCKET bad : {previous, SOCKET{-5}}) {
    EXPECT_EQ(send(bad, &byte, 1, 0), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
    EXPECT_EQ(recv(bad, &byte, 1, 0), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
    EXPECT_EQ(WSAAsyncSelect(bad, nullptr, 0, 0), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
  }
}

// Handles go round from the highest back to 1, so a long run never uses them up. A handle closed
// in a handler is not given again before that handler has returned, so nothing that the handler
// still holds of the old socket, and no notification queued for it, can reach the socket that
// gets the handle next.
TEST_F(SocketSetup, HandlesGoRoundButAClosedOneWaitsUntilItsHandlerReturned) {
  RecordingWindow window;
  std::uint16_t port = 0;
  const SOCKET listener = Listen(window, FD_ACCEPT | FD_READ | FD_CLOSE, &port);
  SetSocketHandleLimitForTest(3);
  int oldPeer = -1;
  const SOCKET old = AcceptPeer(window, listener, port, &oldPeer);
  ASSERT_GE(old, 1);
  ASSERT_LE(old, 3);
  std::vector<SOCKET> others;
  window.onMessage = [&](const Received &r) {
    if (r.msg != WM_USER) {
      return;
    }
    ASSERT_TRUE(raw::SendAll(oldPeer, "old"));
    SpinFor(20); // FD_READ for the old socket is queued behind this handler
    EXPECT_EQ(closesocket(old), 0);
    for (SOCKET s; (s = socket(AF_INET, SOCK_STREAM, 0)) != INVALID_SOCKET;) {
      others.push_back(s);
    }
    EXPECT_EQ(WSAGetLastError(), WSAEMFILE);
  };
  window.PostMessage(WM_USER, 0, 0);
  ASSERT_TRUE(SpinUntil([&] { return !window.Matching(WM_USER, 0).empty(); }));
  EXPECT_EQ(std::find(others.begin(), others.end(), old), others.end());
  for (const SOCKET s : others) {
    EXPECT_EQ(closesocket(s), 0);
  }
  window.PostMessage(WM_USER + 1, 0, 0);
  ASSERT_TRUE(SpinUntil([&] { return !window.Matching(WM_USER + 1, 0).empty(); }));

  int newPeer = -1;
  const SOCKET reused = AcceptPeer(window, listener, port, &newPeer);
  EXPECT_EQ(reused, old);
  ASSERT_TRUE(raw::SendAll(newPeer, "new"));
  ASSERT_TRUE(SpinUntil([&] { return !window.Matching(kClientSocketMsg, reused, FD_READ).empty(); }));
  EXPECT_EQ(Recv(reused, 100), "new");
  SpinFor(20);
  EXPECT_EQ(window.Matching(kClientSocketMsg, reused, FD_READ).size(), 1u);
  raw::Close(oldPeer);
  raw::Close(newPeer);
}

TEST_F(SocketSetup, PosixErrorsBecomeWindowsSocketsCodes) {
  EXPECT_EQ(WSAErrorFromErrno(EAGAIN), WSAEWOULDBLOCK);
  EXPECT_EQ(WSAErrorFromErrno(EINPROGRESS), WSAEWOULDBLOCK);
  EXPECT_EQ(WSAErrorFromErrno(EADDRINUSE), 10048);
  EXPECT_EQ(WSAErrorFromErrno(ECONNREFUSED), 10061);
  EXPECT_EQ(WSAErrorFromErrno(ECONNRESET), 10054);
  EXPECT_EQ(WSAErrorFromErrno(ECONNABORTED), 10053);
  EXPECT_EQ(WSAErrorFromErrno(ETIMEDOUT), 10060);
  EXPECT_EQ(WSAErrorFromErrno(EINVAL), 10022);
  EXPECT_EQ(WSAErrorFromErrno(EBADF), 10038);
  EXPECT_EQ(WSAEWOULDBLOCK, 10035);
}

TEST_F(SocketSetup, ListenFailsWith10022WhenBindFailedOrNeverRan) {
  RecordingWindow window;
  std::uint16_t port = 0;
  const SOCKET first = Listen(window, FD_ACCEPT, &port);

  const SOCKET second = socket(AF_INET, SOCK_STREAM, 0);
  const sockaddr_in address = LoopbackAddress(port);
  EXPECT_EQ(bind(second, AsSockaddr(address), sizeof address), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEADDRINUSE);
  EXPECT_EQ(listen(second, 5), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEINVAL);

  const SOCKET unbound = socket(AF_INET, SOCK_STREAM, 0);
  EXPECT_EQ(listen(unbound, 5), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEINVAL);

  EXPECT_EQ(bind(unbound, AsSockaddr(address), 8), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEFAULT);
  closesocket(first);
}

TEST_F(SocketSetup, AListenerTakesItsPortAgainWhileAcceptedConnectionsLinger) {
  RecordingWindow window;
  std::uint16_t port = 0;
  const SOCKET listener = Listen(window, 0x3B, &port);
  int reuse = 0;
  int length = sizeof reuse;
  ASSERT_EQ(getsockopt(listener, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<char *>(&reuse), &length), 0);
  EXPECT_NE(reuse, 0);

  int peer = -1;
  const SOCKET accepted = AcceptPeer(window, listener, port, &peer);
  ASSERT_GT(accepted, 0);
  EXPECT_EQ(closesocket(accepted), 0); // our side closes first and lingers in TIME_WAIT
  raw::ReadToEnd(peer, 2000);
  raw::Close(peer);
  EXPECT_EQ(closesocket(listener), 0);

  const SOCKET again = socket(AF_INET, SOCK_STREAM, 0);
  const sockaddr_in address = LoopbackAddress(port);
  EXPECT_EQ(bind(again, AsSockaddr(address), sizeof address), 0);
  EXPECT_EQ(listen(again, 5), 0);
}

TEST_F(SocketSetup, RegistrationIsReplacedAndAMaskOfZeroSilencesTheSocket) {
  RecordingWindow first;
  RecordingWindow second;
  std::uint16_t port = 0;
  const SOCKET listener = Listen(first, FD_ACCEPT, &port);
  ASSERT_EQ(WSAAsyncSelect(listener, &second, kServerSocketMsg, FD_ACCEPT), 0);
  const int peer = raw::ConnectTo(port);
  ASSERT_TRUE(SpinUntil([&] { return !second.Matching(kServerSocketMsg, listener, FD_ACCEPT).empty(); }));
  EXPECT_TRUE(first.received.empty());
  const SOCKET accepted = accept(listener, nullptr, nullptr);
  ASSERT_GT(accepted, 0);

  ASSERT_EQ(WSAAsyncSelect(listener, &second, 0, 0), 0);
  const int quiet = raw::ConnectTo(port);
  SpinFor(40);
  EXPECT_EQ(second.received.size(), 1u);
  raw::Close(peer);
  raw::Close(quiet);
}

TEST_F(SocketSetup, AcceptInheritsTheRegistrationAndFdAcceptRepeatsWhilePending) {
  RecordingWindow window;
  std::uint16_t port = 0;
  const SOCKET listener = Listen(window, FD_READ | FD_ACCEPT | FD_CLOSE, &port);
  const int peerA = raw::ConnectTo(port);
  const int peerB = raw::ConnectTo(port);
  ASSERT_TRUE(SpinUntil([&] { return !window.Matching(kClientSocketMsg, listener, FD_ACCEPT).empty(); }));
  SpinFor(30);
  EXPECT_EQ(window.Matching(kClientSocketMsg, listener, FD_ACCEPT).size(), 1u);

  sockaddr_in peerAddress{};
  int length = sizeof peerAddress;
  const SOCKET a = accept(listener, reinterpret_cast<sockaddr *>(&peerAddress), &length);
  ASSERT_GT(a, listener);
  EXPECT_EQ(peerAddress.sin_addr.s_addr, htonl(INADDR_LOOPBACK));
  ASSERT_TRUE(SpinUntil([&] { return window.Matching(kClientSocketMsg, listener, FD_ACCEPT).size() == 2; }));
  const SOCKET b = accept(listener, nullptr, nullptr);
  ASSERT_GT(b, a);
  EXPECT_EQ(accept(listener, nullptr, nullptr), INVALID_SOCKET);
  EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);

  ASSERT_TRUE(raw::SendAll(peerB, "to b"));
  ASSERT_TRUE(SpinUntil([&] { return !window.Matching(kClientSocketMsg, b, FD_READ).empty(); }));
  EXPECT_EQ(Recv(b, 100), "to b");
  SpinFor(20);
  EXPECT_EQ(window.Matching(kClientSocketMsg, listener, FD_ACCEPT).size(), 2u);
  EXPECT_TRUE(window.Matching(kClientSocketMsg, b, FD_WRITE).empty()); // not in the inherited mask
  raw::Close(peerA);
  raw::Close(peerB);
}

TEST_F(SocketSetup, WhatAlreadyHoldsIsPostedAtRegistration) {
  RecordingWindow window;
  std::uint16_t port = 0;
  const SOCKET listener = Listen(window, FD_ACCEPT, &port);
  int peer = -1;
  const SOCKET accepted = AcceptPeer(window, listener, port, &peer);
  ASSERT_TRUE(raw::SendAll(peer, "waiting"));
  SpinFor(20);
  EXPECT_TRUE(window.Matching(kClientSocketMsg, accepted).empty()); // inherited FD_ACCEPT only

  ASSERT_EQ(WSAAsyncSelect(accepted, &window, kServerSocketMsg, FD_READ | FD_WRITE), 0);
  QCoreApplication::processEvents();
  EXPECT_EQ(window.Matching(kServerSocketMsg, accepted, FD_READ).size(), 1u);
  EXPECT_EQ(window.Matching(kServerSocketMsg, accepted, FD_WRITE).size(), 1u);
  raw::Close(peer);
}

} // namespace
} // namespace ql::test
