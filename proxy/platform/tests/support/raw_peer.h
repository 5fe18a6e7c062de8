#pragma once

#include <cstdint>
#include <string>

// The far end of a test connection, written with plain POSIX calls on 127.0.0.1 so that the
// socket layer under test is only ever on one side. Descriptors are blocking unless noted.
namespace ql::test::raw {

int ConnectTo(std::uint16_t port); // connected descriptor, or -1
int ListenOn(std::uint16_t *port); // listening descriptor on a free port
int AcceptFrom(int listener);      // waits up to 5 s; -1 on time-out
bool SendAll(int fd, const std::string &data);
// Reads until end of stream or the time-out; `reset` tells whether the stream ended in a reset.
std::string ReadToEnd(int fd, int timeoutMs, bool *reset = nullptr);
std::string ReadExactly(int fd, std::size_t length, int timeoutMs);
void SetReceiveBuffer(int fd, int bytes);
void ShutdownSend(int fd);
void CloseWithReset(int fd);
void Close(int fd);
bool IsOpenDescriptor(int fd);

} // namespace ql::test::raw
