#include "proxy/platform/message_queue.h"
#include "proxy/platform/socket_table.h"
#include "proxy/platform/sys_socket.h"

#include <cerrno>

namespace ql {
namespace {

void EvaluateRead(SocketRecord &record, const sys::Readiness &readiness) {
  if (record.closeSeen || record.receiveShut || record.readPosted || record.readParked ||
      !readiness.readable || (record.events & (FD_READ | FD_CLOSE)) == 0) {
    return;
  }
  const long peek = sys::PeekByte(record.fd);
  if (peek > 0) {
    if ((record.events & FD_READ) != 0) {
      record.readPosted = true;
      PostSocketEvent(record, FD_READ, 0);
    } else {
      record.readParked = true;
    }
  } else if (peek == 0) {
    NoteSocketClosed(record, 0);
  } else if (peek != -EAGAIN && peek != -EWOULDBLOCK) {
    const int error = CloseErrorFromErrno(static_cast<int>(-peek));
    record.unreportedError = error;
    NoteSocketClosed(record, error);
  }
}

void EvaluateWrite(SocketRecord &record, const sys::Readiness &readiness) {
  if (record.writeArmed && (record.events & FD_WRITE) != 0 && readiness.writable) {
    record.writeArmed = false;
    PostSocketEvent(record, FD_WRITE, 0);
  }
}

void CompleteConnect(SocketRecord &record) {
  int err = sys::TakePendingError(record.fd);
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
  EvaluateRead(record, sys::Poll(record.fd));
}

void SetNotifier(std::unique_ptr<QSocketNotifier> &notifier, const SocketRecord &record,
                 QSocketNotifier::Type type, bool wanted) {
  if (!wanted) {
    if (notifier) {
      notifier->setEnabled(false);
    }
    return;
  }
  if (!notifier) {
    notifier = std::make_unique<QSocketNotifier>(record.fd, type);
    const SOCKET handle = record.handle;
    QObject::connect(notifier.get(), &QSocketNotifier::activated, notifier.get(), [handle] {
      RunGuarded("Socket notification", [handle] {
        if (SocketRecord *found = FindSocket(handle)) {
          EvaluateSocket(*found);
        }
      });
    });
  }
  notifier->setEnabled(true);
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
  message_queue::Post(std::move(message));
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
  EvaluateSocket(record);
}

void EvaluateSocket(SocketRecord &record) {
  if (record.window != nullptr && record.events != 0) {
    const sys::Readiness readiness = sys::Poll(record.fd);
    switch (record.state) {
    case SocketRecord::State::Listening:
      if ((record.events & FD_ACCEPT) != 0 && !record.acceptPosted && readiness.readable) {
        record.acceptPosted = true;
        PostSocketEvent(record, FD_ACCEPT, 0);
      }
      break;
    case SocketRecord::State::Connecting:
      if (readiness.writable || readiness.failed) {
        CompleteConnect(record);
      }
      break;
    case SocketRecord::State::Connected:
      EvaluateRead(record, readiness);
      EvaluateWrite(record, readiness);
      break;
    case SocketRecord::State::Fresh:
    case SocketRecord::State::Failed:
      break;
    }
  }
  UpdateNotifiers(record);
}

void UpdateNotifiers(SocketRecord &record) {
  bool wantRead = false;
  bool wantWrite = false;
  if (record.window != nullptr && record.events != 0) {
    switch (record.state) {
    case SocketRecord::State::Listening:
      wantRead = (record.events & FD_ACCEPT) != 0 && !record.acceptPosted;
      break;
    case SocketRecord::State::Connecting:
      wantWrite = true;
      break;
    case SocketRecord::State::Connected:
      wantRead = !record.closeSeen && !record.receiveShut && !record.readPosted && !record.readParked &&
                 (record.events & (FD_READ | FD_CLOSE)) != 0;
      wantWrite = record.writeArmed && (record.events & FD_WRITE) != 0;
      break;
    case SocketRecord::State::Fresh:
    case SocketRecord::State::Failed:
      break;
    }
  }
  SetNotifier(record.readNotifier, record, QSocketNotifier::Read, wantRead);
  SetNotifier(record.writeNotifier, record, QSocketNotifier::Write, wantWrite);
}

void SilenceSocket(SocketRecord &record) {
  record.readNotifier.reset();
  record.writeNotifier.reset();
  const auto handle = static_cast<std::uint64_t>(record.handle);
  message_queue::Drop(
      [handle](const QueuedMessage &m) { return m.source == MessageSource::Socket && m.sourceId == handle; });
}

} // namespace ql
