#include "support/winsock_fixture.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <string>

namespace ql::test {
namespace {

using SocketStream = WinsockTest;

constexpr long kBrowserEvents = FD_READ | FD_WRITE | FD_ACCEPT | FD_CONNECT | FD_CLOSE; // 0x3B
constexpr long kOriginEvents = FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE;              // 0x33

TEST_F(SocketStream, OneFdReadIsOutstandingUntilRecvRearmsIt) {
  RecordingWindow window;
  std::uint16_t port = 0;
  const SOCKET listener = Listen(window, kBrowserEvents, &port);
  int peer = -1;
  const SOCKET s = AcceptPeer(window, listener, port, &peer);
  ASSERT_GT(s, 0);
  auto reads = [&] { return window.Matching(kClientSocketMsg, s, FD_READ).size(); };

  ASSERT_TRUE(raw::SendAll(peer, "hello"));
  ASSERT_TRUE(SpinUntil([&] { return reads() == 1; }));
  ASSERT_TRUE(raw::SendAll(peer, "world"));
  SpinFor(30);
  EXPECT_EQ(reads(), 1u);

  EXPECT_EQ(Recv(s, 3), "hel");
  ASSERT_TRUE(SpinUntil([&] { return reads() == 2; })); // data remain
  EXPECT_EQ(Recv(s, 100), "loworld");
  SpinFor(30);
  EXPECT_EQ(reads(), 2u);
  char byte;
  EXPECT_EQ(recv(s, &byte, 1, 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
  EXPECT_EQ(recv(s, &byte, 0, 0), 0); // an empty read is not the end of the stream
  SpinFor(20);
  EXPECT_TRUE(window.Matching(kClientSocketMsg, s, FD_CLOSE).empty());

  raw::Close(peer);
  ASSERT_TRUE(SpinUntil([&] { return !window.Matching(kClientSocketMsg, s, FD_CLOSE).empty(); }));
  EXPECT_EQ(recv(s, &byte, 1, 0), 0);
}

TEST_F(SocketStream, FdCloseComesOnceAfterThePendingDataIsRead) {
  RecordingWindow window;
  std::uint16_t port = 0;
  const SOCKET listener = Listen(window, kBrowserEvents, &port);
  int peer = -1;
  const SOCKET s = AcceptPeer(window, listener, port, &peer);
  const std::string payload(100, 'x');
  ASSERT_TRUE(raw::SendAll(peer, payload));
  raw::Close(peer);
  auto closes = [&] { return window.Matching(kClientSocketMsg, s, FD_CLOSE); };

  ASSERT_TRUE(SpinUntil([&] { return !window.Matching(kClientSocketMsg, s, FD_READ).empty(); }));
  SpinFor(20);
  EXPECT_TRUE(closes().empty());
  std::string got;
  while (got.size() < payload.size()) {
    const std::size_t before = window.Matching(kClientSocketMsg, s, FD_READ).size();
    got += Recv(s, 30);
    if (got.size() < payload.size()) {
      ASSERT_TRUE(SpinUntil([&] { return window.Matching(kClientSocketMsg, s, FD_READ).size() > before; }));
      EXPECT_TRUE(closes().empty());
    }
  }
  EXPECT_EQ(got, payload);
  ASSERT_TRUE(SpinUntil([&] { return closes().size() == 1; }));
  EXPECT_EQ(WSAGETSELECTERROR(closes()[0].lParam), 0);
  char byte;
  EXPECT_EQ(recv(s, &byte, 1, 0), 0);
  SpinFor(30);
  EXPECT_EQ(closes().size(), 1u);
}

TEST_F(SocketStream, AResetIsReportedAs10054) {
  RecordingWindow window;
  std::uint16_t port = 0;
  const SOCKET listener = Listen(window, kBrowserEvents, &port);
  int peer = -1;
  const SOCKET s = AcceptPeer(window, listener, port, &peer);
  raw::CloseWithReset(peer);
  ASSERT_TRUE(SpinUntil([&] { return !window.Matching(kClientSocketMsg, s, FD_CLOSE).empty(); }));
  const auto closes = window.Matching(kClientSocketMsg, s, FD_CLOSE);
  ASSERT_EQ(closes.size(), 1u);
  EXPECT_EQ(WSAGETSELECTERROR(closes[0].lParam), WSAECONNRESET);
  char byte;
  EXPECT_EQ(recv(s, &byte, 1, 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAECONNRESET);
}

TEST_F(SocketStream, ConnectPostsFdConnectThenFdWrite) {
  RecordingWindow window;
  int peer = -1;
  const SOCKET s = ConnectOut(window, kOriginEvents, &peer);
  ASSERT_TRUE(SpinUntil([&] { return window.received.size() >= 2; }));
  EXPECT_EQ(WSAGETSELECTEVENT(window.received[0].lParam), FD_CONNECT);
  EXPECT_EQ(WSAGETSELECTERROR(window.received[0].lParam), 0);
  EXPECT_EQ(WSAGETSELECTEVENT(window.received[1].lParam), FD_WRITE);
  EXPECT_EQ(window.received[1].wParam, static_cast<WPARAM>(s));

  const sockaddr_in address = LoopbackAddress(1);
  EXPECT_EQ(connect(s, AsSockaddr(address), sizeof address), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEISCONN);
  EXPECT_EQ(send(s, "GET", 3, 0), 3);
  EXPECT_EQ(raw::ReadExactly(peer, 3, 2000), "GET");
  raw::Close(peer);
}

TEST_F(SocketStream, AFailedConnectReportsItsErrorAndThenStaysQuiet) {
  std::uint16_t port = 0;
  raw::Close(raw::ListenOn(&port)); // a port nobody listens on
  RecordingWindow window;
  const SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_EQ(WSAAsyncSelect(s, &window, kServerSocketMsg, kOriginEvents), 0);
  const sockaddr_in address = LoopbackAddress(port);
  ASSERT_EQ(connect(s, AsSockaddr(address), sizeof address), SOCKET_ERROR);
  if (WSAGetLastError() == WSAEWOULDBLOCK) {
    ASSERT_TRUE(SpinUntil([&] { return !window.received.empty(); }));
    EXPECT_EQ(WSAGETSELECTEVENT(window.received[0].lParam), FD_CONNECT);
    EXPECT_EQ(WSAGETSELECTERROR(window.received[0].lParam), WSAECONNREFUSED);
  } else {
    EXPECT_EQ(WSAGetLastError(), WSAECONNREFUSED);
  }
  SpinFor(40);
  EXPECT_LE(window.received.size(), 1u);
  EXPECT_EQ(send(s, "x", 1, 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAENOTCONN);

  const SOCKET other = socket(AF_INET, SOCK_STREAM, 0);
  EXPECT_EQ(connect(other, AsSockaddr(address), 8), SOCKET_ERROR); // fails at once
  EXPECT_EQ(WSAGetLastError(), WSAEFAULT);
}

TEST_F(SocketStream, ABlockedSendArmsExactlyOneFdWrite) {
  RecordingWindow window;
  int peer = -1;
  const SOCKET s = ConnectOut(window, kOriginEvents, &peer);
  ASSERT_TRUE(SpinUntil([&] { return !window.Matching(kServerSocketMsg, s, FD_WRITE).empty(); }));
  const int small = 4096;
  ASSERT_EQ(setsockopt(s, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char *>(&small), sizeof small), 0);

  std::string sent;
  const std::string chunk(65536, 'q');
  int blocked = 0;
  for (int i = 0; i < 1000 && blocked < 2; ++i) {
    const int n = send(s, chunk.data(), static_cast<int>(chunk.size()), 0);
    if (n == SOCKET_ERROR) {
      ASSERT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
      ++blocked;
    } else {
      sent.append(chunk.data(), static_cast<std::size_t>(n));
    }
  }
  ASSERT_EQ(blocked, 2);
  SpinFor(20);
  EXPECT_EQ(window.Matching(kServerSocketMsg, s, FD_WRITE).size(), 1u);

  EXPECT_TRUE(raw::ReadExactly(peer, sent.size(), 5000) == sent);
  ASSERT_TRUE(SpinUntil([&] { return window.Matching(kServerSocketMsg, s, FD_WRITE).size() == 2; }));
  SpinFor(30);
  EXPECT_EQ(window.Matching(kServerSocketMsg, s, FD_WRITE).size(), 2u);
}

TEST_F(SocketStream, SendingToAResetPeerFailsWithoutASignal) {
  RecordingWindow window;
  int peer = -1;
  const SOCKET s = ConnectOut(window, kOriginEvents, &peer);
  raw::CloseWithReset(peer);
  ASSERT_TRUE(SpinUntil([&] { return !window.Matching(kServerSocketMsg, s, FD_CLOSE).empty(); }));
  int result = 0;
  for (int i = 0; i < 10 && result != SOCKET_ERROR; ++i) {
    result = send(s, "data", 4, 0);
  }
  EXPECT_EQ(result, SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAECONNRESET);
}

TEST_F(SocketStream, ShutdownEndsTheSendingSide) {
  RecordingWindow window;
  int peer = -1;
  const SOCKET s = ConnectOut(window, kOriginEvents, &peer);
  ASSERT_EQ(send(s, "answer", 6, 0), 6);
  ASSERT_EQ(shutdown(s, SD_SEND), 0);
  bool reset = true;
  EXPECT_EQ(raw::ReadToEnd(peer, 2000, &reset), "answer");
  EXPECT_FALSE(reset);
  EXPECT_EQ(send(s, "more", 4, 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAESHUTDOWN);
  raw::Close(peer);
}

TEST_F(SocketStream, CloseIsGracefulEvenWithUnreadInput) {
  RecordingWindow window;
  std::uint16_t port = 0;
  const SOCKET listener = Listen(window, kBrowserEvents, &port);
  int peer = -1;
  const SOCKET s = AcceptPeer(window, listener, port, &peer);
  ASSERT_TRUE(raw::SendAll(peer, "GET / HTTP/1.0\r\n\r\n\r\n"));
  ASSERT_TRUE(SpinUntil([&] { return !window.Matching(kClientSocketMsg, s, FD_READ).empty(); }));
  const std::string answer(200000, 'a');
  std::size_t offset = 0;
  while (offset < answer.size()) {
    const int n = send(s, answer.data() + offset, static_cast<int>(answer.size() - offset), 0);
    if (n == SOCKET_ERROR) {
      break;
    }
    offset += static_cast<std::size_t>(n);
  }
  EXPECT_EQ(closesocket(s), 0);
  bool reset = true;
  const std::string received = raw::ReadToEnd(peer, 2000, &reset);
  EXPECT_EQ(received.size(), offset);
  EXPECT_TRUE(received == answer.substr(0, offset));
  EXPECT_FALSE(reset);
  raw::Close(peer);
}

TEST_F(SocketStream, ClosingDropsTheSocketsQueuedNotifications) {
  RecordingWindow window;
  std::uint16_t port = 0;
  const SOCKET listener = Listen(window, kBrowserEvents, &port);
  int peer = -1;
  const SOCKET s = AcceptPeer(window, listener, port, &peer);
  ASSERT_TRUE(SpinUntil([&] { return !window.Matching(kClientSocketMsg, s, FD_WRITE).empty(); }));
  const std::size_t before = window.Matching(kClientSocketMsg, s).size();
  window.onMessage = [&](const Received &r) {
    if (r.msg == WM_USER) {
      ASSERT_TRUE(raw::SendAll(peer, "late"));
      SpinFor(20); // FD_READ is queued behind this handler
      EXPECT_EQ(closesocket(s), 0);
    }
  };
  window.PostMessage(WM_USER, 0, 0);
  ASSERT_TRUE(SpinUntil([&] { return !window.Matching(WM_USER, 0).empty(); }));
  SpinFor(30);
  EXPECT_EQ(window.Matching(kClientSocketMsg, s).size(), before);
  raw::Close(peer);
}

// A notification reaches its window in the turn of the event loop that saw its socket become
// ready, not one turn later: each event costs the loop one wake-up.
TEST_F(SocketStream, ANotificationIsDispatchedInTheTurnThatSawItsSocketReady) {
  RecordingWindow window;
  std::uint16_t port = 0;
  const SOCKET listener = Listen(window, kBrowserEvents, &port);
  int peer = -1;
  const SOCKET s = AcceptPeer(window, listener, port, &peer);
  ASSERT_TRUE(SpinUntil([&] { return !window.Matching(kClientSocketMsg, s, FD_WRITE).empty(); }));
  SpinFor(20);
  ASSERT_TRUE(raw::SendAll(peer, "x"));
  QThread::msleep(50); // arrived on loopback, not yet seen by the loop
  QCoreApplication::processEvents();
  EXPECT_EQ(window.Matching(kClientSocketMsg, s, FD_READ).size(), 1u);
  raw::Close(peer);
}

// A handler of a socket notification that opens a dialog (through RunOutsideDispatch, as the
// disk-full warning does) keeps ticks flowing under the dialog's modal loop.
TEST_F(SocketStream, ADialogOpenedFromASocketNotificationKeepsMessagesFlowing) {
  RecordingWindow window;
  std::uint16_t port = 0;
  const SOCKET listener = Listen(window, kBrowserEvents, &port);
  int peer = -1;
  const SOCKET s = AcceptPeer(window, listener, port, &peer);
  QEventLoop modal;
  bool dialogUp = false;
  bool tickUnderDialog = false;
  window.onMessage = [&](const Received &r) {
    if (r.msg == kClientSocketMsg && r.wParam == static_cast<WPARAM>(s) &&
        WSAGETSELECTEVENT(r.lParam) == FD_READ) {
      Recv(s, 10);
      RunOutsideDispatch([&] {
        dialogUp = true;
        window.SetTimer(5, 1);
        QTimer::singleShot(3000, &modal, &QEventLoop::quit);
        modal.exec();
        dialogUp = false;
      });
    }
    if (r.msg == WM_TIMER && r.wParam == 5) {
      tickUnderDialog = dialogUp;
      window.KillTimer(5);
      modal.quit();
    }
  };
  ASSERT_TRUE(raw::SendAll(peer, "x"));
  ASSERT_TRUE(SpinUntil([&] { return !window.Matching(WM_TIMER, 5).empty(); }));
  EXPECT_TRUE(tickUnderDialog);
  raw::Close(peer);
}

TEST_F(SocketStream, BufferSizesCanBeSet) {
  const SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  for (const int option : {SO_RCVBUF, SO_SNDBUF}) {
    const int size = 9408;
    ASSERT_EQ(setsockopt(s, SOL_SOCKET, option, reinterpret_cast<const char *>(&size), sizeof size), 0);
    int actual = 0;
    int length = sizeof actual;
    ASSERT_EQ(getsockopt(s, SOL_SOCKET, option, reinterpret_cast<char *>(&actual), &length), 0);
    EXPECT_GE(actual, size);
    EXPECT_LT(actual, 4 * size);
  }
  const int value = 1;
  EXPECT_EQ(setsockopt(s, SOL_SOCKET, 0x7777, reinterpret_cast<const char *>(&value), sizeof value),
            SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAENOPROTOOPT);
  EXPECT_EQ(setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char *>(&value), 2), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEFAULT);
}

TEST_F(SocketStream, ADestroyedWindowGetsNoNotifications) {
  RecordingWindow window;
  std::uint16_t port = 0;
  const SOCKET listener = Listen(window, FD_ACCEPT, &port);
  int peer = -1;
  const SOCKET s = AcceptPeer(window, listener, port, &peer);
  {
    RecordingWindow doomed;
    ASSERT_EQ(WSAAsyncSelect(s, &doomed, kClientSocketMsg, FD_READ | FD_CLOSE), 0);
  }
  ASSERT_TRUE(raw::SendAll(peer, "anyone?"));
  SpinFor(30);
  ASSERT_EQ(WSAAsyncSelect(s, &window, kClientSocketMsg, FD_READ | FD_CLOSE), 0);
  ASSERT_TRUE(SpinUntil([&] { return !window.Matching(kClientSocketMsg, s, FD_READ).empty(); }));
  EXPECT_EQ(Recv(s, 100), "anyone?");
  raw::Close(peer);
}

} // namespace
} // namespace ql::test
