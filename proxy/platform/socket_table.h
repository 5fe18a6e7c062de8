#pragma once

#include "proxy/platform/winsock.h"

#include <cstdint>

namespace ql {

// One open socket of the Windows Sockets layer: its descriptor, its registration for window
// notification, what is known of its readiness and the state of each notification. Owned by
// the socket table.
struct SocketRecord {
  enum class State { Fresh, Listening, Connecting, Connected, Failed };

  SOCKET handle = INVALID_SOCKET;
  std::uint32_t opening = 0; // counts the sockets opened in the run (see SocketKey)
  int fd = -1;
  State state = State::Fresh;
  bool bound = false;
  bool nonBlocking = false;
  bool receiveShut = false;
  bool sendShut = false;

  MessageWindow *window = nullptr;
  UINT msg = 0;
  long events = 0;

  // Readiness as the poller last reported it, kept up to date by the calls in between: input
  // (data, end of stream, an error or a pending connection) may be waiting; the socket takes
  // data; the peer ended its side or the connection failed (this one stays set).
  bool readReady = false;
  bool writeReady = false;
  bool peerShut = false;
  // The last report said that data waits (input, and neither the peer's end nor an error), and
  // no read came since: FD_READ is due without a look at the next byte.
  bool dataWaiting = false;
  bool watched = false;         // in the poller's set
  bool readinessSeeded = false; // the readiness above is known without looking
  bool recheckQueued = false;   // waiting for the poller to evaluate it again

  bool acceptPosted = false; // FD_ACCEPT posted, waiting for accept()
  bool readPosted = false;   // FD_READ posted, waiting for recv()
  bool readParked = false;   // data seen but FD_READ not asked for; waiting for recv()
  bool writeArmed = false;   // FD_WRITE is due once the socket can take data
  bool closeSeen = false;    // end of stream or error seen (FD_CLOSE posted if asked for)
  bool endedInOrder = false; // that was the end of the stream: every further read gives 0
  int unreportedError = 0;   // WSA error taken from the socket before recv() could report it
  // The message queue's serial of the last notification posted for the socket.
  std::uint64_t lastPosted = 0;
};

// Leaves `error` for WSAGetLastError and returns SOCKET_ERROR.
inline int Fail(int error) {
  WSASetLastError(error);
  return SOCKET_ERROR;
}
// The same for a negated errno value from the sys:: calls.
inline int FailErrno(long negativeErrno) {
  return Fail(WSAErrorFromErrno(static_cast<int>(-negativeErrno)));
}

// The table of open sockets, keyed by handle. Handles count up from 1 to INT_MAX and then go
// round again, passing over the open ones, so that a long run never uses them up and a value
// comes back only after all the others were given. A closed handle is not given again before a
// message posted after its close has been taken for dispatch: by then its notifications are
// gone and the handler that closed it has returned. GUI thread only.
SocketRecord *AddSocket(int fd);         // null when no handle is free
SocketRecord *FindSocket(SOCKET handle); // null when not open
void RemoveSocket(SOCKET handle);
// A key for the socket that no socket opened later shares, even one given the same handle: what
// keeps a key (the readiness set, a pending re-evaluation) finds nothing once the socket closed.
std::uint64_t SocketKey(const SocketRecord &record);
SocketRecord *FindSocketByKey(std::uint64_t key); // null when that socket is not open
// Closes every open socket (the last WSACleanup).
void CloseAllSockets();

// Turns off the notifications of every socket registered to the window (it is being destroyed).
void DetachSocketsFromWindow(MessageWindow *window);

// Notification engine (socket_events.cpp).
// Registers the socket for notification and posts what already holds.
void SelectSocketEvents(SocketRecord &record, MessageWindow *window, UINT msg, long events);
// Posts what the socket's readiness makes due.
void EvaluateSocket(SocketRecord &record);
// Posts one notification for the socket to its registered window.
void PostSocketEvent(SocketRecord &record, long event, int error);
// Records that the stream ended (error 0) or failed, and posts FD_CLOSE the first time if asked for.
void NoteSocketClosed(SocketRecord &record, int error);
// FD_CLOSE's error for an errno value: WSAECONNRESET for a reset, WSAECONNABORTED otherwise.
int CloseErrorFromErrno(int err);
// Withdraws the socket's queued notifications.
void SilenceSocket(SocketRecord &record);

} // namespace ql
