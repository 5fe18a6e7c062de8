#include "proxy/platform/socket_poller.h"
#include "proxy/platform/socket_table.h"
#include "proxy/platform/sys_socket.h"
#include "proxy/platform/winsock.h"

#include <cerrno>

namespace ql {

namespace {

// The checks send and recv share: an open, connected socket whose direction is not shut, no
// flags, and a buffer for the length. The record, or null with the error left for
// WSAGetLastError.
SocketRecord *TransferSocket(SOCKET s, const char *buffer, int length, int flags,
                             bool shut(const SocketRecord &)) {
  SocketRecord *record = FindSocket(s);
  int error = 0;
  if (record == nullptr) {
    error = WSAENOTSOCK;
  } else if (flags != 0) {
    error = WSAEOPNOTSUPP;
  } else if (length < 0 || (buffer == nullptr && length > 0)) {
    error = WSAEFAULT;
  } else if (record->state != SocketRecord::State::Connected) {
    error = WSAENOTCONN;
  } else if (shut(*record)) {
    error = WSAESHUTDOWN;
  }
  if (error != 0) {
    Fail(error);
    return nullptr;
  }
  return record;
}

} // namespace

int send(SOCKET s, const char *buffer, int length, int flags) {
  SocketRecord *record =
      TransferSocket(s, buffer, length, flags, [](const SocketRecord &r) { return r.sendShut; });
  if (record == nullptr) {
    return SOCKET_ERROR;
  }
  const long result = sys::Send(record->fd, buffer, static_cast<std::size_t>(length));
  if (result == -EAGAIN || result == -EWOULDBLOCK) {
    // The poller reports the socket writable again once it has room; FD_WRITE follows then.
    record->writeReady = false;
    record->writeArmed = true;
    return Fail(WSAEWOULDBLOCK);
  }
  if (result < 0) {
    return FailErrno(result);
  }
  return static_cast<int>(result);
}

int recv(SOCKET s, char *buffer, int length, int flags) {
  SocketRecord *record =
      TransferSocket(s, buffer, length, flags, [](const SocketRecord &r) { return r.receiveShut; });
  if (record == nullptr) {
    return SOCKET_ERROR;
  }
  if (length == 0) {
    return 0;
  }
  // recv() re-arms FD_READ; the poller posts it again while data remain.
  record->readPosted = false;
  record->readParked = false;
  record->dataWaiting = false;
  if (record->unreportedError != 0) {
    const int error = record->unreportedError;
    record->unreportedError = 0;
    return Fail(error);
  }
  // A watched socket that a read left empty has nothing until a report says so, and after the
  // end of the stream there is nothing more.
  if (record->endedInOrder) {
    return 0;
  }
  if (record->watched && record->nonBlocking && !record->readReady && !record->closeSeen) {
    return Fail(WSAEWOULDBLOCK);
  }
  const long result = sys::Recv(record->fd, buffer, static_cast<std::size_t>(length));
  if (result == -EAGAIN || result == -EWOULDBLOCK) {
    record->readReady = false;
    return Fail(WSAEWOULDBLOCK);
  }
  if (result <= 0) {
    record->readReady = false;
    NoteSocketClosed(*record, result == 0 ? 0 : CloseErrorFromErrno(static_cast<int>(-result)));
    return result < 0 ? FailErrno(result) : 0;
  }
  // A read shorter than asked for emptied the socket: data that comes later brings a new
  // report. A full one may have left data, and so may a peer that has ended its side (its end
  // brings no further report): the socket is evaluated again.
  if (result < length && !record->peerShut) {
    record->readReady = false;
  } else {
    RecheckSocket(*record);
  }
  return static_cast<int>(result);
}

int shutdown(SOCKET s, int how) {
  SocketRecord *record = FindSocket(s);
  if (record == nullptr) {
    return Fail(WSAENOTSOCK);
  }
  if (how != SD_RECEIVE && how != SD_SEND && how != SD_BOTH) {
    return Fail(WSAEINVAL);
  }
  const bool done = (how == SD_RECEIVE || record->sendShut) && (how == SD_SEND || record->receiveShut);
  if (done) {
    return 0;
  }
  const int result = sys::Shutdown(record->fd, how);
  if (result < 0) {
    return FailErrno(result);
  }
  record->receiveShut = record->receiveShut || how != SD_SEND;
  record->sendShut = record->sendShut || how != SD_RECEIVE;
  return 0;
}

int closesocket(SOCKET s) {
  SocketRecord *record = FindSocket(s);
  if (record == nullptr) {
    return Fail(WSAENOTSOCK);
  }
  SilenceSocket(*record);
  // Unread input would make the kernel reset the connection and lose what is still queued
  // for the peer; reading it first lets the close go out as an orderly FIN. A socket whose
  // end of stream was read has nothing left.
  if (!record->closeSeen) {
    sys::DiscardInput(record->fd);
  }
  sys::Close(record->fd);
  RemoveSocket(s);
  return 0;
}
} // namespace ql
