#pragma once

#include <QByteArray>
#include <QString>

namespace ql {

// The wire of the DDE stand-in. Each service name has one listening Unix stream socket,
// DdeServicePath(service), in a folder of the user's runtime directory. A conversation is one
// connection: the client opens it with a Connect message naming the topic, which the server
// answers with Ack or Nak; then each transaction is a message answered by one message (Data
// for a request, Ack or Nak for the others).
//
// A message is a frame: a u32 little-endian length, then that many bytes, the first of which is
// the message kind. Bodies: Connect, the topic; Request, the item; Execute, "1" (the client
// waits for the answer) or "0", then the command; Poke, the item, a zero byte and the data;
// Data, the reply. Frames longer than kMaxDdeFrame are refused.

enum TDdeKind : char {
  kDdeConnect = 'C',
  kDdeRequest = 'R',
  kDdeExecute = 'E',
  kDdePoke = 'P',
  kDdeAck = 'A',
  kDdeNak = 'N',
  kDdeData = 'D',
};

constexpr qsizetype kMaxDdeFrame = 1 << 20;

// ${XDG_RUNTIME_DIR}/quenlark/dde (Qt's runtime location when the variable is unset).
QString DdeServiceDirectory();
// The socket of a service name in that folder.
QString DdeServicePath(const QString &service);
// True when a service has its socket in that folder: a test that opens no conversation and
// starts no program, cheap enough to run whenever a menu's state is worked out.
bool DdeServiceListed(const QString &service);

// Sends one frame, waiting at most timeoutMs for the socket to take it. False on failure.
bool SendDdeFrame(int fd, char kind, const QByteArray &body, int timeoutMs);
// Reads one frame, waiting at most timeoutMs in all. False on failure, time-out, a closed
// connection or a frame that is empty or too long.
bool ReadDdeFrame(int fd, char &kind, QByteArray &body, int timeoutMs);

} // namespace ql
