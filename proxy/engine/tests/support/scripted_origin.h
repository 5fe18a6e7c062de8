#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace ql::test {

// What the scripted origin sends back for one request.
struct OriginReply {
  std::string bytes;                  // sent as they are, then the connection is closed
  int chunkSize = 0;                  // >0: sent in pieces of this size
  std::chrono::milliseconds pause{0}; // between pieces
  bool stall = false;                 // send nothing and keep the connection open until stopped
  bool reset = false;                 // end with a reset instead of an orderly close
};

// An origin server on a loopback address (127.0.0.1 unless another is given) with a free port,
// run on a thread of its own. It reads each
// request up to the empty line and a body of its Content-Length, records the exact bytes, and
// answers with whatever the script returns. Stops and joins when destroyed.
class ScriptedOrigin {
public:
  using Script = std::function<OriginReply(const std::string &request)>;

  explicit ScriptedOrigin(Script script, const char *address = "127.0.0.1");
  ~ScriptedOrigin();

  int Port() const { return port_; }
  // While held, a connection accepted is not read from: what it is sent waits in the sockets.
  void HoldReading(bool hold) { holdReading_ = hold; }
  // Every request received so far, in order of arrival.
  std::vector<std::string> Requests() const;
  std::size_t RequestCount() const;

private:
  void Run();
  void Serve(int fd);

  Script script_;
  int listen_fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<bool> holdReading_{false};
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
  std::vector<std::thread> workers_;
  std::thread thread_;
};

// A full HTTP/1.0 response with a Content-Length.
std::string HttpResponse(const std::string &status, const std::string &contentType, const std::string &body,
                         const std::string &extraHeaders = {});

} // namespace ql::test
