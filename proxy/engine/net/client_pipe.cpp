#include "proxy/engine/net/client_pipe.h"

#include "proxy/engine/http/paths.h"
#include "proxy/engine/net/engine_state.h"
#include "proxy/engine/net/network_window.h"
#include "proxy/engine/net/server_pipe.h"
#include "proxy/platform/timer_scale.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace ql {

namespace {

// The bytes of one recv, send or file read of a browser-side connection. No connection keeps
// anything here from one call to the next, so they all share it (GUI thread only) and a
// connection costs no piece-sized buffer of its own.
char *Scratch() {
  static std::array<char, TClientPipe::kPieceSize + 1> scratch;
  return scratch.data();
}

// The room that the POST bodies of all browser connections share.
TBodyBudget &PostBodyBudget() {
  static TBodyBudget budget(TClientPipe::kPostBodyBound);
  return budget;
}

// One read of at most a piece from the body file's descriptor: a shorter piece is the last, so
// the file takes one call per piece. 0 at the end or on a failure.
std::size_t ReadPiece(QFile &file, char *piece) {
  ssize_t got;
  do {
    got = ::read(file.handle(), piece, TClientPipe::kPieceSize);
  } while (got < 0 && errno == EINTR);
  return got > 0 ? static_cast<std::size_t>(got) : 0;
}
} // namespace

TClientPipe::TClientPipe(SOCKET socket) : reader_(&PostBodyBudget()) {
  Socket = socket;
}

TClientPipe::~TClientPipe() {
  if (ServerPipe != nullptr) {
    ServerPipe->ClientPipe = nullptr;
  }
  if (writeDelayTimerId_ != 0 && Form1 != nullptr) {
    Form1->StopConnectionTimer(writeDelayTimerId_);
  }
}

void TClientPipe::RecvData() {
  char *const work = Scratch();
  const int received = closed_ ? SOCKET_ERROR : recv(Socket, work, static_cast<int>(kPieceSize), 0);
  if (received == SOCKET_ERROR) {
    return;
  }
  const TReadPhase before = reader_.Phase();
  const TFeedResult fed = reader_.Feed(work, static_cast<std::size_t>(received));
  if (reader_.Phase() == TReadPhase::kComplete && before != TReadPhase::kComplete) {
    KillTimeout();
  } else if (reader_.Phase() == TReadPhase::kBody && before != TReadPhase::kBody) {
    // A body that trickles in would hold the connection as long as a header that does.
    if (!StartDeadline(kBodyDeadlineMs)) {
      return;
    }
  }
  switch (fed) {
  case TFeedResult::kRequestComplete:
    ProcessRequest();
    break;
  case TFeedResult::kInvalid:
    AnswerInvalidRequest();
    break;
  case TFeedResult::kWaiting:
  case TFeedResult::kIgnored:
    break;
  }
}

void TClientPipe::AnswerInvalidRequest() {
  const char *answer = RefusalAnswer(reader_.Fault());
  Buffer.Add(answer, std::strlen(answer));
  CloseAfterSend = true;
  SendData();
}

void TClientPipe::ProcessRequest() {
  if (LoopedBack)
    AnswerInvalidRequest();
  else
    Form1->Router().HandleProxyRequest(*this);
  // Unless an origin-side connection took the body over, nothing needs it any more.
  reader_.DropBody();
}

int TClientPipe::SendData() {
  int result = -1;
  bool failed = false;
  while (Buffer.IsDirty() && !failed) {
    char *const work = Scratch();
    const std::size_t n = Buffer.ReadOldest(work, kPieceSize);
    const int sent = closed_ ? SOCKET_ERROR : send(Socket, work, static_cast<int>(n), 0);
    if (sent == SOCKET_ERROR) {
      failed = true;
      result = closed_ ? -1 : WSAGetLastError();
      NoteSendFailed(result);
      WatchForStall();
    } else {
      Buffer.RemoveOldest(static_cast<std::size_t>(sent));
      NoteTaken();
      result = sent;
    }
  }
  if (CloseAfterSend && !Buffer.IsDirty() && !closed_) {
    EndAnswer();
  }
  return result;
}

void TClientPipe::SendBytes(const char *bytes, std::size_t n) {
  if (Buffer.IsDirty() || closed_) {
    Buffer.Add(bytes, n);
    if (!sendStopped_) {
      SendData();
    }
    return;
  }
  while (n > 0) {
    const int sent = send(Socket, bytes, static_cast<int>(std::min(n, kPieceSize)), 0);
    if (sent == SOCKET_ERROR) {
      NoteSendFailed(WSAGetLastError());
      Buffer.Add(bytes, n);
      WatchForStall();
      return;
    }
    NoteTaken();
    bytes += sent;
    n -= static_cast<std::size_t>(sent);
  }
  if (CloseAfterSend) {
    EndAnswer();
  }
}

void TClientPipe::EndAnswer() {
  shutdown(Socket, SD_SEND);
  answerEnded_ = true;
  if (inputEnded_) {
    // Both sides have said their last: nothing more will come to close the connection.
    CloseSock();
    return;
  }
  WatchForStall();
}

void TClientPipe::PeerClosed(int error) {
  if (error == 0 && !gone_ && reader_.Phase() == TReadPhase::kComplete && !answerEnded_ && !closed_) {
    inputEnded_ = true;
    return;
  }
  if (ServerPipe != nullptr) {
    ServerPipe->AbortConnection();
  }
  CloseSock();
}

void TClientPipe::NoteSendFailed(int error) {
  switch (error) {
  case WSAEWOULDBLOCK:
    writeBlocked_ = true;
    sendStopped_ = true;
    break;
  // The browser is gone; its FD_CLOSE ends the connection. When that came already (it had
  // only ended its sending side, as it seemed), the connection ends at the next timer turn, out
  // of the caller's way.
  case WSAECONNRESET:
  case WSAECONNABORTED:
  case WSAENOTCONN:
  case WSAESHUTDOWN:
    sendStopped_ = true;
    if (!gone_) {
      gone_ = true;
      if (inputEnded_) {
        stallWatch_ = true;
        StartWatch(0);
      }
    }
    break;
  default:
    break;
  }
}

void TClientPipe::WatchForStall() {
  if (stallWatch_ || closed_) {
    return;
  }
  stallWatch_ = true;
  lastTaken_ = Clock::now();
  StartWatch(kStallCheckMs);
}

void TClientPipe::NoteTaken() {
  if (stallWatch_) {
    lastTaken_ = Clock::now();
  }
}

void TClientPipe::CheckStall() {
  if (closed_) {
    return;
  }
  if (!gone_ && !Buffer.IsDirty() && !answerEnded_) {
    // Everything went out and more is to come: the connection waits for its origin, whose own
    // time-out covers it.
    stallWatch_ = false;
    KillTimeout();
    return;
  }
  if (!gone_ && Clock::now() - lastTaken_ < std::chrono::milliseconds(ScaledInterval(kStallMs))) {
    return;
  }
  // The browser went quiet, or away: nothing it holds back is worth keeping.
  stallWatch_ = false;
  KillTimeout();
  if (ServerPipe != nullptr) {
    ServerPipe->AbortConnection();
  }
  CloseSock();
}

bool TClientPipe::OpenFileStream() {
  auto file = std::make_unique<QFile>(FileSystemPath(BodyFileName));
  // Pieces go straight to the socket; a buffer of QFile's own would only add reads.
  if (!file->open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
    return false;
  }
  fileStream_ = std::move(file);
  return true;
}

void TClientPipe::SendFile() {
  if (!fileStream_) {
    if (!OpenFileStream()) {
      // Nothing to send: end the answer instead of leaving the browser waiting.
      SendingBody = false;
      CloseAfterSend = true;
      SendData();
      return;
    }
    SendingBody = true;
  }
  // Pieces go out while the socket takes them; what it leaves queued goes with the next
  // write notification, which calls this again once the queue is empty.
  while (fileStream_ && !Buffer.IsDirty() && !closed_) {
    char *const work = Scratch();
    const std::size_t n = ReadPiece(*fileStream_, work);
    if (n < kPieceSize) {
      SendingBody = false;
      fileStream_.reset();
      CloseAfterSend = true;
    }
    SendBytes(work, n);
  }
}

void TClientPipe::StartWriteDelayTimer() {
  if (writeDelayTimerId_ != 0) {
    return;
  }
  writeDelayTimerId_ = NewTimerId();
  if (writeDelayTimerId_ != 0) {
    Form1->StartConnectionTimer(writeDelayTimerId_, kWriteDelayMs, *this);
  }
}

void TClientPipe::ConnectionTimer(int id) {
  if (stallWatch_ && id == TimerId()) {
    CheckStall();
    return;
  }
  TPipe::ConnectionTimer(id);
  if (id == writeDelayTimerId_ && !closed_) {
    HandleWriteDelayTimer();
  }
}

void TClientPipe::HandleWriteDelayTimer() {
  Form1->StopConnectionTimer(writeDelayTimerId_);
  writeBlocked_ = false;
  sendStopped_ = false;
  writeDelayTimerId_ = 0;
  if (Buffer.IsDirty()) {
    SendData();
  }
  if (!Buffer.IsDirty() && SendingBody) {
    SendFile();
  }
}

void TClientPipe::CloseSock() {
  closed_ = true;
  reader_.DropBody();
  if (Form1->CloseAsyncSocket(Socket) == 0) {
    State = TPipeState::kClosed;
    if (ServerPipe != nullptr) {
      ServerPipe->ClientPipe = nullptr;
      ServerPipe = nullptr;
    }
  }
  RetireClientPipe(this);
}

} // namespace ql
