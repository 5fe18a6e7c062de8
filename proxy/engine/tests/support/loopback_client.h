#pragma once

#include "support/loopback_exchange.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <future>
#include <string>
#include <vector>

namespace ql::test {

// What a test client does on its own thread with a blocking socket to 127.0.0.1:port.
struct ClientScript {
  std::string address = "127.0.0.1";
  std::vector<std::string> pieces;          // sent in order
  std::chrono::milliseconds pause{0};       // between pieces
  bool read = true;                         // read until the proxy ends its side
  bool closeAfterSending = false;           // close without reading
  bool reset = false;                       // close with a reset (a browser that aborts)
  std::size_t readLimit = 64 * 1024 * 1024; // stop reading after this many bytes
  std::chrono::milliseconds readDelay{0};   // wait before the first read
  std::chrono::milliseconds timeout{10000}; // give up reading after this long
};

// Runs the script; the future gives every byte received. An empty result with
// connected == false means that the connection was refused.
struct ClientResult {
  bool connected = false;
  std::string received;
};
std::future<ClientResult> StartClient(std::uint16_t port, ClientScript script);

// A one-connection origin server on 127.0.0.1:port, listening when this returns. It
// accepts one connection, sends `response`, ends its sending side and returns what it
// read until the peer closed (or a few seconds passed).
std::future<std::string> StartOrigin(std::uint16_t port, std::string response);

// Holds a listening socket on 127.0.0.1:port until destroyed, so that no one else can.
class PortBlocker {
public:
  explicit PortBlocker(std::uint16_t port);
  ~PortBlocker();
  PortBlocker(const PortBlocker &) = delete;
  PortBlocker &operator=(const PortBlocker &) = delete;

private:
  int fd_;
};

// Lets the Qt event loop run until done() holds or the timeout passes; returns done().
bool PumpUntil(const std::function<bool()> &done,
               std::chrono::milliseconds timeout = std::chrono::seconds(10));

// Pumps until the client has finished and returns its result.
ClientResult Finish(std::future<ClientResult> &client);

} // namespace ql::test
