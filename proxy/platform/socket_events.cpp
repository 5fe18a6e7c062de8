#include "proxy/platform/message_queue.h"
#include "proxy/platform/socket_poller.h"
#include "proxy/platform/socket_table.h"
#include "proxy/platform/sys_socket.h"

#include <cerrno>

namespace ql {
namespace {

// FD_READ or FD_CLOSE when input waits. Unless a report has just said that data waits, the
// readiness only says that input may wait, so one look at the next byte tells data from the end
// of the stream and from an error (and from nothing, when a read took everything since).
void EvaluateRead(SocketRecord &record) {
  if (record.closeSeen || record.receiveShut || record.readPosted || record.readParked || !record.readReady ||
      (record.events & (FD_READ | FD_CLOSE)) == 0) {
    return;
  }
  const long peek = record.dataWaiting ? 1 : sys::PeekByte(record.fd);
  if (peek > 0) {
    if ((record.events & FD_READ) != 0) {
      record.readPosted = true;
      PostSocketEvent(record, FD_READ, 0);
    } else {
      record.readParked = true;
    }
  } else if (peek == 0) {
    record.readReady = false;
    NoteSocketClosed(record, 0);
  } else if (peek == -EAGAIN || peek == -EWOULDBLOCK) {
    record.readReady = false;
  } else {
    record.readReady = false;
    const int error = CloseErrorFromErrno(static_cast<int>(-peek));
    record.unreportedError = error;
    NoteSocketClosed(record, error);
  }
}

void EvaluateWrite(SocketRecord &record) {
  if (record.writeArmed && (record.events & FD_WRITE) != 0 && record.writeReady) {
    record.writeArmed = false;
    PostSocketEvent(record, FD_WRITE, 0);
  }
}

void CompleteConnect(SocketRecord &record) {
  // Writable without a hang-up or an error: the connection stands. Otherwise the socket tells.
  int err = record.peerShut ? sys::TakePendingError(record.fd) : 0;
  if (err < 0) {
    err = -err;
  }
  if (err != 0) {
    record.state = SocketRecord::State::Failed;
    if ((record.events & FD_CONNECT) != 0) {
      PostSocketEvent(record, FD_CONNECT, WSAErrorFromErrno(err));
    }
    return;
  }
  record.state = SocketRecord::State::Connected;
  record.writeArmed = false;
  if ((record.events & FD_CONNECT) != 0) {
    PostSocketEvent(record, FD_CONNECT, 0);
  }
  if ((record.events & FD_WRITE) != 0) {
    PostSocketEvent(record, FD_WRITE, 0);
  }
  EvaluateRead(record);
}

} // namespace

int CloseErrorFromErrno(int err) {
  return err == ECONNRESET || err == EPIPE ? WSAECONNRESET : WSAECONNABORTED;
}

void NoteSocketClosed(SocketRecord &record, int error) {
  if (record.closeSeen) {
    return;
  }
  record.closeSeen = true;
  record.endedInOrder = error == 0;
  if ((record.events & FD_CLOSE) != 0) {
    PostSocketEvent(record, FD_CLOSE, error);
  }
}

void PostSocketEvent(SocketRecord &record, long event, int error) {
  QueuedMessage message;
  message.window = record.window;
  message.msg = record.msg;
  message.wParam = static_cast<WPARAM>(record.handle);
  message.lParam = WSAMAKESELECTREPLY(static_cast<WORD>(event), static_cast<WORD>(error));
  message.source = MessageSource::Socket;
  message.sourceId = static_cast<std::uint64_t>(record.handle);
  record.lastPosted = message_queue::Post(std::move(message));
}

void SelectSocketEvents(SocketRecord &record, MessageWindow *window, UINT msg, long events) {
  if (events == 0) {
    window = nullptr;
    msg = 0;
  }
  record.window = window;
  record.msg = msg;
  record.events = events;
  record.readParked = false;
  if (record.state == SocketRecord::State::Connected && (events & FD_WRITE) != 0) {
    record.writeArmed = true;
  }
  if (events != 0) {
    WatchSocket(record);
  }
  EvaluateSocket(record);
}

void EvaluateSocket(SocketRecord &record) {
  if (record.window == nullptr || record.events == 0) {
    return;
  }
  switch (record.state) {
  case SocketRecord::State::Listening:
    if ((record.events & FD_ACCEPT) != 0 && !record.acceptPosted && record.readReady) {
      record.acceptPosted = true;
      PostSocketEvent(record, FD_ACCEPT, 0);
    }
    break;
  case SocketRecord::State::Connecting:
    if (record.writeReady || record.peerShut) {
      CompleteConnect(record);
    }
    break;
  case SocketRecord::State::Connected:
    EvaluateRead(record);
    EvaluateWrite(record);
    break;
  case SocketRecord::State::Fresh:
  case SocketRecord::State::Failed:
    break;
  }
}

void SilenceSocket(SocketRecord &record) {
  // Most sockets close after their last notification was dispatched; only one that may still
  // have some queued has the queue searched.
  if (record.lastPosted == 0 || !message_queue::MayBeQueued(record.lastPosted)) {
    return;
  }
  const auto handle = static_cast<std::uint64_t>(record.handle);
  message_queue::Drop(
      [handle](const QueuedMessage &m) { return m.source == MessageSource::Socket && m.sourceId == handle; });
}

} // namespace ql
