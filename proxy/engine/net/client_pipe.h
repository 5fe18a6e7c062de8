#pragma once

#include "proxy/engine/http/request_reader.h"
#include "proxy/engine/net/pipe.h"

#include <QFile>
#include <QString>

#include <chrono>
#include <memory>

namespace ql {

class TServerPipe;

// The browser-side connection. It reads one request (header up to the empty line, then a
// POST body by its Content-Length or in chunks), answers a malformed one with "HTTP/1.0 400
// Invalid request" (505 or 411 where the reader says so), hands a complete one to the request routing once,
// and then delivers whatever the engine queues in Buffer: generated pages, relayed origin bytes or a cached
// body file sent in 8192-byte pieces. An answer that is complete sets CloseAfterSend; the sending side is
// shut down once the queue is empty. Each connection carries one request. A connection whose request header
// is not complete kHeaderDeadlineMs after it was accepted, or whose POST body is not complete kBodyDeadlineMs
// after its header, is closed, so that idle or trickling half-requests cannot hold the proxy's descriptors.
// While the connection waits for its browser (bytes queued that the browser does not take, or the answer
// ended and the browser has not closed), a browser that takes no byte for kStallMs is closed too, together
// with the fetch it holds back.
//
// The POST bodies of all browser connections together hold at most kPostBodyBound bytes of
// memory (TBodyBudget): a body that finds no room there is refused with "503 Service Unavailable"
// as its header ends. A body leaves the connection when its request has been routed: to the
// origin-side connection that sends it on, or nowhere.
//
// Created by the listener for an accepted socket and owned by the network window's
// ClientPipeList; CloseSock moves it to FreePipeList.
class TClientPipe : public TPipe {
public:
  static constexpr std::size_t kPieceSize = 8192;
  static constexpr unsigned kWriteDelayMs = 110;
  static constexpr unsigned kHeaderDeadlineMs = 60000;
  static constexpr unsigned kBodyDeadlineMs = 60000;
  static constexpr unsigned kStallMs = 120000;
  // How often a connection that waits for its browser looks whether the browser took anything.
  static constexpr unsigned kStallCheckMs = 15000;
  static constexpr std::size_t kPostBodyBound = 64u * 1024 * 1024;

  explicit TClientPipe(SOCKET socket);
  // Closes an open body file, kills a running write-delay timer and clears the origin
  // side's link to this connection.
  ~TClientPipe() override;

  // FD_READ: one recv of at most kPieceSize bytes, fed to the request reader.
  void RecvData();
  // Hands the complete request to the request routing.
  void ProcessRequest();
  // Sends what the queue holds until it is empty or a send fails; shuts the sending side
  // when CloseAfterSend is set and the queue is empty. Returns the error code of a failed
  // send, else the byte count of the last send, or -1 when the queue was empty.
  int SendData();
  // Sends n bytes behind whatever the queue holds, as Buffer.Add followed by SendData would,
  // but while nothing older waits the bytes go to the socket from the caller's memory and only
  // what the socket leaves is queued. While the socket is full (a send would have blocked and
  // no FD_WRITE came since) or the browser is gone, the bytes are only queued: the FD_WRITE
  // sends them, or the FD_CLOSE ends the connection.
  void SendBytes(const char *bytes, std::size_t n);
  // FD_CLOSE with its error. A browser may end its sending side once its request is out: after
  // an orderly end (error 0) of a complete request whose answer has not ended and that no send
  // has found gone, the answer goes on and the connection closes once it has gone out, or once
  // a send finds the browser gone. Otherwise the fetch for the browser is abandoned and the
  // connection closes now.
  void PeerClosed(int error);
  // FD_WRITE: the socket takes bytes again.
  void NoteWritable() { sendStopped_ = false; }
  // Opens BodyFileName for reading; false when it cannot be opened.
  bool OpenFileStream();
  // Sends the cached body file: pieces of at most kPieceSize bytes go to the queue until
  // the file ends or the socket stops taking them (the next FD_WRITE goes on). The last
  // piece, or a missing or unreadable file, ends the answer.
  void SendFile();
  // The retry of a blocked send on stacks that need it.
  void StartWriteDelayTimer();
  void HandleWriteDelayTimer();
  void ConnectionTimer(int id) override;
  void Connected() { State = TPipeState::kConnected; }
  void CloseSock() override;

  const TRequestReader &Request() const { return reader_; }
  TRequestReader &Request() { return reader_; }
  bool Closed() const { return closed_; }
  bool WriteBlocked() const { return writeBlocked_; }
  int WriteDelayTimerId() const { return writeDelayTimerId_; }

  // The body file of the cache entry being answered from, in the program's path form.
  QString BodyFileName;
  // A cache body file is being sent.
  bool SendingBody = false;
  // The origin-side connection fetching for this browser, or none.
  TServerPipe *ServerPipe = nullptr;
  // End the sending side once the queue is empty.
  bool CloseAfterSend = false;
  // The connection comes from one of the engine's own origin-side connections: its request
  // is answered "400 Invalid request" instead of being routed.
  bool LoopedBack = false;

private:
  using Clock = std::chrono::steady_clock;

  // Queues the answer to a refused request (by the reader's fault, "400 Invalid request" when
  // it has none) and ends the connection's answer.
  void AnswerInvalidRequest();
  // After a send failed with error: stops sending until FD_WRITE when the socket is full or
  // the browser is gone.
  void NoteSendFailed(int error);
  // The queue is empty and the answer complete: shuts the sending side.
  void EndAnswer();
  // The browser has bytes to take, or the answer has ended: from now on the connection
  // watches that the browser keeps taking them.
  void WatchForStall();
  void CheckStall();
  void NoteTaken();

  TRequestReader reader_;
  std::unique_ptr<QFile> fileStream_;
  bool closed_ = false;
  bool writeBlocked_ = false;
  bool sendStopped_ = false; // a send would have blocked (no FD_WRITE since) or the browser is gone
  int writeDelayTimerId_ = 0;
  bool answerEnded_ = false; // the sending side was shut
  bool inputEnded_ = false;  // the browser ended its side in order after its request
  bool gone_ = false;        // a send found the browser gone
  bool stallWatch_ = false;
  Clock::time_point lastTaken_{};
};

} // namespace ql
