#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The POSIX socket calls under the Windows Sockets layer, kept in their own unit so that the
// C library's socket headers (whose macros share names with the Windows Sockets constants)
// never meet winsock.h. Addresses and ports are in network byte order. Calls return a
// non-negative result, or the negated errno value.
namespace ql::sys {

enum class IntOption { ReceiveBuffer, SendBuffer, ReuseAddress };

// What Poll saw on a descriptor at one moment.
struct Readiness {
  bool readable = false; // data, end of stream or an error is waiting
  bool writable = false;
  bool failed = false; // an error or hang-up is pending
};

enum class ResolveStatus { Ok, NotFound, TryAgain, NoRecovery, NoData };

// One readiness report of an epoll set: the key the descriptor was added with and what held
// for it when the report was taken.
struct ReadyReport {
  std::uint64_t key = 0;
  Readiness readiness;
  bool peerShut = false; // the peer ended its sending side, or the connection failed
};

// Raises the soft limit of open descriptors to the hard limit, so that many connections fit.
void RaiseDescriptorLimit();
int TcpSocket();
int Bind(int fd, std::uint32_t address, std::uint16_t port);
int Listen(int fd, int backlog);
int LocalAddress(int fd, std::uint32_t *address, std::uint16_t *port);
// The new descriptor is non-blocking when nonBlocking is set.
int Accept(int fd, bool nonBlocking, std::uint32_t *address, std::uint16_t *port);
int Connect(int fd, std::uint32_t address, std::uint16_t port);
long Send(int fd, const void *data, std::size_t length);
long Recv(int fd, void *data, std::size_t length);
// Looks at the next byte without taking it: 1, 0 at end of stream, or -errno.
long PeekByte(int fd);
int Shutdown(int fd, int how); // 0 receive, 1 send, 2 both
int SetIntOption(int fd, IntOption option, int value);
int GetIntOption(int fd, IntOption option, int *value);
int SetNonBlocking(int fd);
// The pending error of the socket (errno value, 0 for none), or -errno when it cannot be read.
int TakePendingError(int fd);
Readiness Poll(int fd);
// Reads and throws away what has already arrived (bounded), so that closing the descriptor
// ends the stream with FIN rather than a reset.
void DiscardInput(int fd);
void Close(int fd);

// An epoll set (close-on-exec), or -errno.
int EpollCreate();
// Adds fd to the set, edge-triggered for input, output and the peer's shutdown: a report comes
// each time one of these newly holds, and once at once for what already holds. Closing fd
// removes it. Returns 0 or -errno.
int EpollAdd(int epfd, int fd, std::uint64_t key);
// Takes up to max reports without waiting; returns their number, or -errno.
int EpollTake(int epfd, ReadyReport *reports, int max);

// Resolves a host name or dotted quad to its first IPv4 address. Blocking.
ResolveStatus ResolveIPv4(const std::string &name, std::uint32_t *address);

} // namespace ql::sys
