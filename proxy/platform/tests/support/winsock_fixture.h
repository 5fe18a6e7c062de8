#pragma once

#include "proxy/platform/winsock.h"
#include "proxy/platform/winsock_test_hooks.h"
#include "support/raw_peer.h"
#include "support/recording_window.h"

#include <gtest/gtest.h>

#include <string>

namespace ql::test {

constexpr UINT kClientSocketMsg = 0x0C34;
constexpr UINT kServerSocketMsg = 0x0C35;
constexpr UINT kHostLookupMsg = 0x0C36;

inline sockaddr_in LoopbackAddress(std::uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

inline const sockaddr *AsSockaddr(const sockaddr_in &address) {
  return reinterpret_cast<const sockaddr *>(&address);
}

// Starts the socket layer for each test and stops it afterwards (closing what a test left open).
class WinsockTest : public ::testing::Test {
protected:
  void SetUp() override {
    ResetWinsockTestHooks();
    SetTestHostsOnly(true);
    ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &data_), 0);
  }

  void TearDown() override {
    WSACleanup();
    ResetWinsockTestHooks();
  }

  // A listener on 127.0.0.1 at a free port, registered before bind as the engine does.
  SOCKET Listen(MessageWindow &window, long events, std::uint16_t *port, UINT msg = kClientSocketMsg) {
    const SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    EXPECT_GT(s, 0);
    EXPECT_EQ(WSAAsyncSelect(s, &window, msg, events), 0);
    const sockaddr_in address = LoopbackAddress(0);
    EXPECT_EQ(bind(s, AsSockaddr(address), sizeof address), 0);
    EXPECT_EQ(listen(s, 5), 0);
    sockaddr_in local{};
    int length = sizeof local;
    EXPECT_EQ(getsockname(s, reinterpret_cast<sockaddr *>(&local), &length), 0);
    *port = ntohs(local.sin_port);
    return s;
  }

  // Connects a raw peer to the listener and accepts it once FD_ACCEPT arrived.
  SOCKET AcceptPeer(RecordingWindow &window, SOCKET listener, std::uint16_t port, int *peer,
                    UINT msg = kClientSocketMsg) {
    const std::size_t accepts = window.Matching(msg, listener, FD_ACCEPT).size();
    *peer = raw::ConnectTo(port);
    EXPECT_GE(*peer, 0);
    EXPECT_TRUE(SpinUntil([&] { return window.Matching(msg, listener, FD_ACCEPT).size() > accepts; }));
    return accept(listener, nullptr, nullptr);
  }

  // A socket of ours connected to a raw listener; `peer` is the raw side.
  SOCKET ConnectOut(RecordingWindow &window, long events, int *peer) {
    std::uint16_t port = 0;
    const int rawListener = raw::ListenOn(&port);
    const SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    EXPECT_EQ(WSAAsyncSelect(s, &window, kServerSocketMsg, events), 0);
    const sockaddr_in address = LoopbackAddress(port);
    EXPECT_EQ(connect(s, AsSockaddr(address), sizeof address), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
    *peer = raw::AcceptFrom(rawListener);
    raw::Close(rawListener);
    EXPECT_TRUE(SpinUntil([&] { return !window.Matching(kServerSocketMsg, s, FD_CONNECT).empty(); }));
    return s;
  }

  static std::string Recv(SOCKET s, int length) {
    std::string buffer(static_cast<std::size_t>(length), '\0');
    const int n = recv(s, buffer.data(), length, 0);
    buffer.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return buffer;
  }

  WSADATA data_{};
};

} // namespace ql::test
