#pragma once

namespace ql {

// True between a successful WSAStartup and the WSACleanup that balances it.
bool WinsockStarted();

} // namespace ql
